// What the query engine itself costs per exchange, with a WHOIS client that answers at once: the
// run's bookkeeping (status texts, row choice, classification, the table and its listener) must stay
// far below the milliseconds a real exchange takes.
#include "core/QueryControls.h"
#include "core/QueryEngine.h"
#include "core/ResultTable.h"
#include "core/WhoisLookup.h"

#include <benchmark/benchmark.h>
#include <string>

namespace {

class InstantWhois : public cvt::WhoisLookup {
public:
    std::string lookup(const std::string&, const std::string& query) override {
        return query[0] < 'n' ? "No match for \"" + query + "\".\r\n" : "Domain Name: " + query + "\r\n";
    }
    void closeConnection() override {}
};

// A listener that does what a window's mirror does at least: copies what it is told.
class CopyingListener : public cvt::ResultTableListener {
public:
    void columnAppended(const std::string& caption) override { benchmark::DoNotOptimize(m_last = caption); }
    void columnRemoved(std::size_t) override {}
    void columnCaptionChanged(std::size_t, const std::string&) override {}
    void rowAppended(const cvt::ResultRow& row) override { benchmark::DoNotOptimize(m_last = row.caption); }
    void rowsRemoved(const std::vector<std::size_t>&) override {}
    void rowsCleared() override {}
    void rowCaptionChanged(std::size_t, const std::string&) override {}
    void cellChanged(std::size_t, std::size_t, const std::string& mark) override {
        benchmark::DoNotOptimize(m_last = mark);
    }

private:
    std::string m_last;
};

// One whole run of "[a-z][a-z][a-z]" (17,576 names) against as many ticked suffixes as the argument.
void BM_QueryRunPerExchange(benchmark::State& state) {
    cvt::ResultTable table("Domain Name");
    CopyingListener listener;
    table.setListener(&listener);
    cvt::NullQueryControls controls;
    InstantWhois whois;
    cvt::QueryEngine engine({table, controls, whois, {}});
    std::vector<cvt::ServerEntry> entries;
    const char* suffixes[] = {"com", "net", "org"};
    for (int i = 0; i < state.range(0); ++i) {
        entries.push_back({suffixes[i], "whois.example", "No match for", "LIMIT EXCEEDED", true});
    }
    engine.lvWhoisChange(entries);
    std::size_t exchanges = 0;
    for (auto _ : state) {
        cvt::SearchRequest request;
        request.patternText = "[a-z][a-z][a-z]";
        engine.btnSearchClick(std::move(request));
        engine.waitIdle();
        exchanges += table.rowCount() * entries.size();
    }
    state.counters["exchanges/s"] = benchmark::Counter(static_cast<double>(exchanges), benchmark::Counter::kIsRate);
    state.counters["ns/exchange"] =
        benchmark::Counter(static_cast<double>(exchanges), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    table.setListener(nullptr);
}
BENCHMARK(BM_QueryRunPerExchange)->Arg(1)->Arg(3)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
