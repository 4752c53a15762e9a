// The journal's cost on a run.
//
// BM_RunWithJournal: "[a-z][a-z][a-d]" (2,704 names) in three suffixes, lanes on, against three local WHOIS
// servers that answer at once; argument 0 without the journal, 1 with it (every cell written by the
// batching writer and looked up for reuse first), 2 with it and reuse off. Goal: the journal keeps
// at least 0.95 of the throughput without it (cells/s). The writer's last batch of a run is timed
// apart ("flush ms").
#include "bench/AnsweringWhoisServer.h"
#include "core/journal/Journal.h"
#include "core/journal/JournalRecall.h"
#include "core/journal/JournalSink.h"
#include "core/journal/JournalWriter.h"
#include "core/query/NetWhoisLookup.h"
#include "core/query/QueryEngine.h"

#include <atomic>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>

namespace {

// Answers at once: names before "n" free, the others registered.
std::string instantReply(const std::string& query) {
    return query[0] < 'n' ? "No match for " + query : "Domain Name: " + query;
}

class CountingSink : public cvt::QueryEventSink {
public:
    void rowsCleared() override {}
    void rowAppended(const cvt::AppendedRow&) override {}
    void cellAnswered(const cvt::AnsweredCell&) override { ++cells; }
    void runStateChanged(const cvt::RunProgress&) override {}
    void activityChanged(const std::string&) override {}
    std::atomic<std::size_t> cells{0};
};

void BM_RunWithJournal(benchmark::State& state) {
    const bool journaled = state.range(0) != 0;
    cvt::bench::AnsweringWhoisServer servers[3] = {cvt::bench::AnsweringWhoisServer(instantReply),
                                                   cvt::bench::AnsweringWhoisServer(instantReply),
                                                   cvt::bench::AnsweringWhoisServer(instantReply)};
    CountingSink counting;
    cvt::JournalSink sink(counting);
    cvt::QueryEngine engine({sink, [] { return std::make_unique<cvt::NetWhoisLookup>(); }, nullptr, {}});
    const char* const suffixes[] = {"com", "net", "org"};
    std::vector<cvt::ServerEntry> entries;
    for (int i = 0; i < 3; ++i) {
        entries.push_back({suffixes[i], servers[i].hostField(), "No match for", "", true});
    }
    engine.setServerEntries(entries);
    cvt::RunSettings settings;
    settings.parallel = true;
    engine.setSettings(settings);

    char folder[] = "/tmp/corvantide-journal-bench-XXXXXX";
    if (::mkdtemp(folder) == nullptr) {
        state.SkipWithError("no temporary folder");
        return;
    }
    std::vector<std::string> notices;
    std::unique_ptr<cvt::Journal> journal =
        cvt::Journal::open(std::filesystem::path(folder) / "journal.sqlite", cvt::JournalAccess::Write, notices);
    // Every lookup misses (nothing is newer than tomorrow), so every cell is asked and written.
    const cvt::JournalRecall recall(*journal, 0, static_cast<std::int64_t>(std::time(nullptr)) + 86'400);
    std::chrono::steady_clock::duration flushTime{};
    for (auto _ : state) {
        cvt::SearchRequest request;
        request.patternText = "[a-z][a-z][a-d]";
        std::unique_ptr<cvt::JournalWriter> writer;
        if (journaled) {
            const std::int64_t search = journal->startSearch({0, "bench", "[a-z][a-z][a-d]", "com,net,org", "", 0});
            writer = std::make_unique<cvt::JournalWriter>(*journal, search, [](const std::string&) {});
            sink.setWriter(writer.get());
            if (state.range(0) == 1) {
                request.recall = [&recall](std::string_view name, const cvt::ServerEntry& entry) {
                    return recall(name, entry);
                };
            }
        }
        engine.search(std::move(request));
        engine.waitIdle();
        if (writer) {
            // The last batch: a long run pays it once, so it is timed apart (flush ms).
            state.PauseTiming();
            const auto start = std::chrono::steady_clock::now();
            writer->flush();
            flushTime += std::chrono::steady_clock::now() - start;
            sink.setWriter(nullptr);
            state.ResumeTiming();
        }
    }
    engine.shutdown();
    journal.reset();
    std::filesystem::remove_all(folder);
    state.counters["cells/s"] =
        benchmark::Counter(static_cast<double>(counting.cells.load()), benchmark::Counter::kIsRate);
    state.counters["flush ms"] =
        std::chrono::duration<double, std::milli>(flushTime).count() / static_cast<double>(state.iterations());
    state.SetLabel(journaled ? "with the journal" : "without");
}
BENCHMARK(BM_RunWithJournal)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

} // namespace
