// Expansion of the wide letter patterns, ordering and de-duplication included, and the heap a
// prepared list keeps.
#include "core/names/PatternExpansion.h"
#include "core/names/SearchCandidates.h"
#include "core/words/SortUnique.h"
#include "text/TextUtil.h"

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <string>

namespace {

void expandPattern(benchmark::State& state, const char* pattern) {
    std::size_t names = 0;
    for (auto _ : state) {
        cvt::NameList list = cvt::PreparePatternCandidates(pattern);
        list.sortIgnoreCase();
        names = list.size();
        benchmark::DoNotOptimize(list);
    }
    state.counters["names"] = static_cast<double>(names);
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * names));
}

void BM_ExpandFourLetters(benchmark::State& state) {
    expandPattern(state, "[a-z][a-z][a-z][a-z]");
}
BENCHMARK(BM_ExpandFourLetters)->Unit(benchmark::kMillisecond);

void BM_ExpandFiveLetters(benchmark::State& state) {
    expandPattern(state, "[a-z][a-z][a-z][a-z][a-z]");
}
BENCHMARK(BM_ExpandFiveLetters)->Unit(benchmark::kMillisecond)->Iterations(3);

// The Search command's check that no name holds a control character, over the five-letter list
// (nothing to drop: one look at the bytes).
void BM_ControlCharacterCheckFiveLetters(benchmark::State& state) {
    cvt::NameList list = cvt::PreparePatternCandidates("[a-z][a-z][a-z][a-z][a-z]");
    for (auto _ : state) {
        benchmark::DoNotOptimize(cvt::hasControlCharacter(list.bytes()) ? list.eraseIf(cvt::hasControlCharacter) : 0);
    }
    state.counters["names"] = static_cast<double>(list.size());
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * list.size()));
}
BENCHMARK(BM_ControlCharacterCheckFiveLetters)->Unit(benchmark::kMillisecond)->Iterations(3);

// The Search command's list of the five-letter names, as its run prepares it.
void BM_SearchCandidatesFiveLetters(benchmark::State& state) {
    std::size_t names = 0;
    for (auto _ : state) {
        cvt::SearchCandidates candidates =
            cvt::SearchCandidates::prepare(cvt::SearchMode::Pattern, "[a-z][a-z][a-z][a-z][a-z]", {});
        names = candidates.names.size();
        benchmark::DoNotOptimize(candidates);
    }
    state.counters["names"] = static_cast<double>(names);
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * names));
}
BENCHMARK(BM_SearchCandidatesFiveLetters)->Unit(benchmark::kMillisecond)->Iterations(3);

// The heap a run's list of 1,000,000 word-list names keeps once prepared ("heap_MiB"): all plain
// ASCII (argument 0), and one name in a hundred Chinese (1), whose A-label forms the list keeps too.
void BM_SearchCandidatesHeap(benchmark::State& state) {
    const bool chinese = state.range(0) == 1;
    // Large blocks are mapped apart from the heap's arena.
    const auto inUse = [] {
        const struct mallinfo2 info = mallinfo2();
        return info.uordblks + info.hblkhd;
    };
    std::size_t heapBytes = 0;
    for (auto _ : state) {
        const std::size_t before = inUse();
        cvt::NameList words;
        for (int i = 0; i < 1000000; ++i) {
            words.push_back((chinese && i % 100 == 0 ? "中文" : "w") + std::to_string(1000000 + i));
        }
        const cvt::SearchCandidates candidates =
            cvt::SearchCandidates::prepare(cvt::SearchMode::Text, "", std::move(words));
        heapBytes = inUse() - before;
        benchmark::DoNotOptimize(candidates);
    }
    state.SetLabel(chinese ? "1% Chinese" : "ASCII");
    state.counters["heap_MiB"] = static_cast<double>(heapBytes) / (1024.0 * 1024.0);
}
BENCHMARK(BM_SearchCandidatesHeap)->DenseRange(0, 1)->Unit(benchmark::kMillisecond)->Iterations(1);

// The names handed on one by one without a list, as the command-line tool prints them.
void BM_StreamFiveLetters(benchmark::State& state) {
    std::size_t bytes = 0;
    for (auto _ : state) {
        bytes = 0;
        cvt::StreamPatternCandidates("[a-z][a-z][a-z][a-z][a-z]",
                                     [&bytes](std::string_view name) { bytes += name.size() + 1; });
        benchmark::DoNotOptimize(bytes);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_StreamFiveLetters)->Unit(benchmark::kMillisecond)->Iterations(3);

// Mixed case and unsorted sets: the positions are reduced, the output still needs no sort.
void BM_ExpandMixedCaseUnsorted(benchmark::State& state) {
    expandPattern(state, "[zA-Za-y][a-z][a-z][a-z]");
}
BENCHMARK(BM_ExpandMixedCaseUnsorted)->Unit(benchmark::kMillisecond);

// A space position sends the pattern through the general path: trimming, tokenising and a sort.
void BM_ExpandWithSpacePosition(benchmark::State& state) {
    expandPattern(state, "[ a-z][a-z][a-z][a-z]");
}
BENCHMARK(BM_ExpandWithSpacePosition)->Unit(benchmark::kMillisecond);

void BM_SortUniqueWordList(benchmark::State& state) {
    std::string text;
    for (int i = 200000; i > 0; --i) {
        text += "Word" + std::to_string(i * 7919 % 100003) + "\r\n";
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(cvt::SortUniqueList(text));
    }
}
BENCHMARK(BM_SortUniqueWordList)->Unit(benchmark::kMillisecond);

} // namespace
