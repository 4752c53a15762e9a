// Loading the shipped suffix catalogue (time and heap it keeps), looking suffixes up, and deriving
// a no-match mark from replies with a long terms-of-use footer.
#include "core/suffixes/CalibrationBook.h"
#include "core/suffixes/NoMatchCalibration.h"
#include "core/suffixes/SuffixCatalogue.h"
#include "core/suffixes/SuffixData.h"
#include "core/suffixes/SuffixDirectory.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <malloc.h>
#include <string>

namespace {

// The copy the build puts beside the programs.
const std::filesystem::path kCatalogue =
    std::filesystem::read_symlink("/proc/self/exe").parent_path() / cvt::SuffixCatalogue::fileName();

// Goal: no visible change to start-up, i.e. well under 10 ms and a few hundred KiB.
void BM_SuffixCatalogueLoad(benchmark::State& state) {
    std::size_t entries = 0;
    std::size_t heapBytes = 0;
    for (auto _ : state) {
        const std::size_t before = mallinfo2().uordblks;
        const cvt::SuffixCatalogue catalogue = cvt::SuffixCatalogue::load(kCatalogue);
        heapBytes = mallinfo2().uordblks - before;
        entries = catalogue.entries().size();
        if (!catalogue.problems().empty()) {
            state.SkipWithError(catalogue.problemSummary().c_str());
            break;
        }
    }
    state.counters["entries"] = static_cast<double>(entries);
    state.counters["heap_KiB"] = static_cast<double>(heapBytes) / 1024.0;
}
BENCHMARK(BM_SuffixCatalogueLoad)->Unit(benchmark::kMillisecond);

// What start-up adds when the suffixes are offered: the three shipped files read and merged with
// the 19 entries of the shipped Config.ini into the suffix directory. Goal: as for the catalogue.
void BM_SuffixDirectoryStartUp(benchmark::State& state) {
    const std::filesystem::path folder = kCatalogue.parent_path();
    std::vector<cvt::ServerEntry> config;
    for (const char* suffix :
         {"com", "net", "org", "cn", "com.cn", "net.cn", "co", "biz", "cc", "tv", "de", "uk", "jp"}) {
        config.push_back({suffix, "whois.example." + std::string(suffix), "No match", {}, config.size() < 3});
    }
    for (const char* suffix : {"io", "ai", "xyz", "info", "app", "dev"}) {
        config.push_back({suffix, "https://rdap.example/", {}, {}, false});
    }
    std::size_t suffixes = 0;
    std::size_t heapBytes = 0;
    for (auto _ : state) {
        const std::size_t before = mallinfo2().uordblks;
        {
            const cvt::SuffixData data =
                cvt::SuffixData::load([&](std::string_view name) { return folder / std::string(name); });
            const cvt::SuffixDirectory directory(config, data, cvt::CalibrationBook());
            heapBytes = mallinfo2().uordblks - before;
            suffixes = directory.suffixes().size();
            if (!data.problems.empty()) {
                state.SkipWithError(data.problems.front().c_str());
                break;
            }
        }
    }
    state.counters["suffixes"] = static_cast<double>(suffixes);
    state.counters["heap_KiB"] = static_cast<double>(heapBytes) / 1024.0;
}
BENCHMARK(BM_SuffixDirectoryStartUp)->Unit(benchmark::kMillisecond);

// Every entry looked up by its own form and by its ASCII form in capitals.
void BM_SuffixCatalogueFind(benchmark::State& state) {
    const cvt::SuffixCatalogue catalogue = cvt::SuffixCatalogue::load(kCatalogue);
    std::vector<std::string> asked;
    for (const cvt::SuffixEntry& entry : catalogue.entries()) {
        asked.push_back(entry.suffix);
        std::string upper = entry.ascii;
        for (char& c : upper) {
            c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
        }
        asked.push_back(upper);
    }
    for (auto _ : state) {
        for (const std::string& suffix : asked) {
            benchmark::DoNotOptimize(catalogue.find(suffix));
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * asked.size()));
}
BENCHMARK(BM_SuffixCatalogueFind);

void BM_NoMatchCalibration(benchmark::State& state) {
    std::string terms;
    for (int i = 0; i < 60; ++i) {
        terms += "TERMS OF USE: You are not authorized to access or query our database by automated means " +
                 std::to_string(i) + ".\n";
    }
    const cvt::CalibrationReplies replies{
        {{"qwhzkvbtrmplxsdfgnycab.com",
          "No match for \"QWHZKVBTRMPLXSDFGNYCAB.COM\".\n>>> Last update: 2026-12-08T09:30:12Z <<<\n" + terms},
         {"zmxncbvlaksjdhfgqpwoei.com",
          "No match for \"ZMXNCBVLAKSJDHFGQPWOEI.COM\".\n>>> Last update: 2026-12-08T09:30:13Z <<<\n" + terms}},
        {"nic.com", "Domain Name: NIC.COM\nRegistrar: Example\n>>> Last update: 2026-12-08T09:30:14Z <<<\n" + terms}};
    for (auto _ : state) {
        benchmark::DoNotOptimize(cvt::NoMatchCalibration::derive(replies));
    }
}
BENCHMARK(BM_NoMatchCalibration)->Unit(benchmark::kMicrosecond);

// Replies of the largest size accepted, full of distinct words no other reply holds: the search
// tries its whole budget of candidates and finds none.
std::string distinctWords(char first, std::size_t bytes) {
    std::string text;
    for (std::size_t i = 0; text.size() < bytes; ++i) {
        std::string word(1, first);
        for (std::size_t n = i; word.size() < 6; n /= 26) {
            word += static_cast<char>('a' + n % 26);
        }
        text += word + (i % 8 == 7 ? " 1\n" : " 1 ");
    }
    text.resize(bytes);
    return text;
}

void BM_NoMatchCalibrationNothingFound(benchmark::State& state) {
    constexpr std::size_t kBytes = cvt::NoMatchCalibration::kMaxReplyBytes - 64;
    const cvt::CalibrationReplies replies{{{"qwhzkvbtrmplxsdfgnycab.com", distinctWords('q', kBytes)},
                                           {"zmxncbvlaksjdhfgqpwoei.com", distinctWords('z', kBytes)}},
                                          {"nic.com", distinctWords('n', kBytes)}};
    for (auto _ : state) {
        if (cvt::NoMatchCalibration::derive(replies).succeeded()) {
            state.SkipWithError("a mark was found where none exists");
            break;
        }
    }
}
BENCHMARK(BM_NoMatchCalibrationNothingFound)->Unit(benchmark::kMillisecond);

} // namespace
