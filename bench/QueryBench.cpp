// The query engine's cost and its lanes.
//
// BM_QueryRunPerExchange: what the engine itself costs per exchange, with a client that answers at
// once: the run's bookkeeping (events, row choice, classification) must stay far below the
// milliseconds a real exchange takes.
//
// BM_LanesAgainstSlowServers: three local WHOIS servers that each wait 20 ms before they answer;
// 50 names asked of one suffix, of three suffixes in lanes (goal: at most 1.1 times the one
// suffix), and of three suffixes with lanes off (about 3 times).
//
// BM_WhoisRunAgainstBareLoops: three local WHOIS servers that answer at once; a run of 6,760 names
// in three suffixes, one lane per server, against three threads each doing the same exchanges with
// bare blocking calls (connect, send the query, read to the close) in the same iteration. The
// counter "ratio" is the run's exchanges per second over the bare loops' (the median of the
// iterations; goal: at least 0.8), "cpu ratio" the same for the CPU time the process spends.
//
// BM_DnsFirstSettles: a run of 20,000 names in one suffix, half of them delegated in the test DNS
// responder, with a WHOIS client that answers at once: names per second through the DNS stage.
//
// BM_IdnConversionShare: a run of 10,000 two-character Chinese names in one suffix, with a client
// that answers in the process (argument 0: the engine's own cost only) or through a local WHOIS
// server that answers at once (1), and the conversions the run makes (each name to the form it is
// shown in and its A-label once, while the list is made; each cell's domain joined from the name's
// and the suffix's ready forms) done alone. The counter "share" is the
// conversions' CPU time over the run's (goal: under 0.05 against instant servers); "us/name" the
// conversions' per name.
//
// BM_DnsFirstAgainstSlowWhois: 400 names, half delegated, against a WHOIS server that waits 20 ms
// per reply, with DNS first (argument 1) and without (0). (The 20,000 names of the goal would take
// over six minutes without DNS at 20 ms a reply; the ratio is the same.)
#include "bench/AnsweringWhoisServer.h"
#include "bench/LoopbackListener.h"
#include "core/names/PatternExpansion.h"
#include "core/query/NetWhoisLookup.h"
#include "core/query/QueryEngine.h"
#include "core/query/QueryEvents.h"
#include "core/query/WhoisLookup.h"
#include "tests/support/FakeDnsServer.h"
#include "text/AskedPart.h"
#include "text/IdnName.h"

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <benchmark/benchmark.h>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <netinet/in.h>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

class InstantWhois : public cvt::WhoisLookup {
public:
    std::string lookup(const std::string&, const std::string& query) override {
        return query[0] < 'n' ? "No match for \"" + query + "\".\r\n" : "Domain Name: " + query + "\r\n";
    }
    void closeConnection() override {}
};

// A sink that does what an owner does at least: keeps a count and copies what it is told.
class CountingSink : public cvt::QueryEventSink {
public:
    void rowsCleared() override {}
    void rowAppended(const cvt::AppendedRow& row) override {
        std::lock_guard lock(m_mutex);
        benchmark::DoNotOptimize(m_last = row.caption);
    }
    void cellAnswered(const cvt::AnsweredCell& cell) override {
        std::lock_guard lock(m_mutex);
        benchmark::DoNotOptimize(m_lastMark = cell.mark);
        ++cells;
    }
    void runStateChanged(const cvt::RunProgress&) override {}
    void activityChanged(const std::string& text) override {
        std::lock_guard lock(m_mutex);
        benchmark::DoNotOptimize(m_last = text);
    }
    std::atomic<std::size_t> cells{0};

private:
    std::mutex m_mutex;
    std::string m_last;
    cvt::Mark m_lastMark = cvt::Mark::Unasked;
};

std::vector<cvt::ServerEntry> entries(int count, const std::string (&hosts)[3]) {
    static const char* const suffixes[] = {"com", "net", "org"};
    std::vector<cvt::ServerEntry> result;
    for (int i = 0; i < count; ++i) {
        result.push_back({suffixes[i], hosts[i], "No match for", "", true});
    }
    return result;
}

// One whole run of "[a-z][a-z][a-z]" (17,576 names) against as many ticked suffixes as the argument.
void BM_QueryRunPerExchange(benchmark::State& state) {
    CountingSink sink;
    cvt::QueryEngine engine({sink, [] { return std::make_unique<InstantWhois>(); }, nullptr, {}});
    const std::string hosts[3] = {"whois.example", "whois.example", "whois.example"};
    engine.setServerEntries(entries(static_cast<int>(state.range(0)), hosts));
    for (auto _ : state) {
        cvt::SearchRequest request;
        request.patternText = "[a-z][a-z][a-z]";
        engine.search(std::move(request));
        engine.waitIdle();
    }
    const auto exchanges = static_cast<double>(sink.cells.load());
    state.counters["exchanges/s"] = benchmark::Counter(exchanges, benchmark::Counter::kIsRate);
    state.counters["ns/exchange"] =
        benchmark::Counter(exchanges, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_QueryRunPerExchange)->Arg(1)->Arg(3)->Unit(benchmark::kMillisecond)->UseRealTime();

// Waits 20 ms, then says every name is free.
std::string freeReply(const std::string& query) {
    return "No match for " + query;
}

// A server that waits 20 ms per reply.
class SlowWhoisServer : public cvt::bench::AnsweringWhoisServer {
public:
    SlowWhoisServer() : AnsweringWhoisServer(freeReply, std::chrono::milliseconds(20), 16) {}
};

// Argument 0: one suffix; 1: three suffixes in lanes; 2: three suffixes with lanes off.
void BM_LanesAgainstSlowServers(benchmark::State& state) {
    SlowWhoisServer servers[3];
    const std::string hosts[3] = {servers[0].hostField(), servers[1].hostField(), servers[2].hostField()};
    CountingSink sink;
    cvt::QueryEngine engine({sink, [] { return std::make_unique<cvt::NetWhoisLookup>(); }, nullptr, {}});
    engine.setServerEntries(entries(state.range(0) == 0 ? 1 : 3, hosts));
    cvt::RunSettings settings;
    settings.parallel = state.range(0) != 2;
    engine.setSettings(settings);
    for (auto _ : state) {
        cvt::SearchRequest request;
        request.patternText = "[a-y][ab]x"; // 50 names
        engine.search(std::move(request));
        engine.waitIdle();
    }
    state.SetLabel(state.range(0) == 0 ? "one suffix" : state.range(0) == 1 ? "three, lanes on" : "three, lanes off");
}
BENCHMARK(BM_LanesAgainstSlowServers)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

// Answers at once: every name is free.
class InstantWhoisServer : public cvt::bench::AnsweringWhoisServer {
public:
    InstantWhoisServer()
        : AnsweringWhoisServer([](const std::string& query) {
              return "No match for \"" + query.substr(0, query.find('\r')) + "\".\r\n";
          }) {}
};

// The process's CPU time so far, user and system.
std::chrono::duration<double> processCpuTime() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return std::chrono::duration<double>(seconds(usage.ru_utime) + seconds(usage.ru_stime));
}

void BM_WhoisRunAgainstBareLoops(benchmark::State& state) {
    InstantWhoisServer servers[3];
    const std::string hosts[3] = {servers[0].hostField(), servers[1].hostField(), servers[2].hostField()};
    const char* const suffixes[] = {"com", "net", "org"};
    CountingSink sink;
    cvt::QueryEngine engine({sink, [] { return std::make_unique<cvt::NetWhoisLookup>(); }, nullptr, {}});
    engine.setServerEntries(entries(3, hosts));
    cvt::RunSettings settings;
    settings.parallel = true;
    engine.setSettings(settings);
    const char* const pattern = "[a-z][a-z][a-j]";
    const cvt::NameList names = cvt::PreparePatternCandidates(pattern);
    const double exchanges = static_cast<double>(names.size() * 3);
    using Clock = std::chrono::steady_clock;
    std::vector<double> ratios;
    double runRate = 0;
    double bareRate = 0;
    std::chrono::duration<double> runCpu{};
    std::chrono::duration<double> bareCpu{};
    std::size_t missing = 0;
    for (auto _ : state) {
        const std::size_t before = sink.cells.load();
        auto cpu = processCpuTime();
        auto start = Clock::now();
        cvt::SearchRequest request;
        request.patternText = pattern;
        engine.search(std::move(request));
        engine.waitIdle();
        const double run = exchanges / std::chrono::duration<double>(Clock::now() - start).count();
        runCpu += processCpuTime() - cpu;
        missing += names.size() * 3 - (sink.cells.load() - before);

        cpu = processCpuTime();
        start = Clock::now();
        std::vector<std::thread> loops;
        for (int lane = 0; lane < 3; ++lane) {
            loops.emplace_back([&, lane] {
                const std::string suffix = std::string(".") + suffixes[lane];
                for (std::size_t i = 0; i < names.size(); ++i) {
                    const std::string reply =
                        cvt::bench::bareWhoisExchange(servers[lane].port(), std::string(names[i]) + suffix);
                    benchmark::DoNotOptimize(reply.data());
                }
            });
        }
        for (std::thread& loop : loops) {
            loop.join();
        }
        const double bare = exchanges / std::chrono::duration<double>(Clock::now() - start).count();
        bareCpu += processCpuTime() - cpu;
        ratios.push_back(run / bare);
        runRate += run;
        bareRate += bare;
    }
    // The machine's other load changes from one second to the next: the median of the iterations'
    // ratios, and the CPU time both spend (servers included), are what to read.
    std::sort(ratios.begin(), ratios.end());
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["run ex/s"] = runRate / iterations;
    state.counters["bare ex/s"] = bareRate / iterations;
    state.counters["ratio"] = ratios[ratios.size() / 2];
    state.counters["cpu ratio"] = bareCpu / runCpu;
    if (missing != 0) {
        state.SkipWithError("cells missing from the run");
    }
}
BENCHMARK(BM_WhoisRunAgainstBareLoops)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// Words "d00000", "d00001", ...; the even ones delegated in the responder under the suffix com.
cvt::NameList delegatedHalf(cvt::test::FakeDnsServer& dns, int count) {
    std::vector<std::string> words;
    for (int i = 0; i < count; ++i) {
        std::string word = std::to_string(100000 + i);
        word[0] = 'd';
        if (i % 2 == 0) {
            dns.set(word + ".com", cvt::test::FakeDnsServer::nameServers({"ns1.host.net", "ns2.host.net"}));
        }
        words.push_back(std::move(word));
    }
    return cvt::NameList::fromRange(words);
}

void runWords(cvt::QueryEngine& engine, const cvt::NameList& words) {
    cvt::SearchRequest request;
    request.mode = cvt::SearchMode::Text;
    request.words = words;
    engine.search(std::move(request));
    engine.waitIdle();
}

cvt::RunSettings dnsSettings(bool dns, const cvt::test::FakeDnsServer& server) {
    cvt::RunSettings settings;
    settings.parallel = true;
    settings.dns = dns;
    settings.dnsServerAddress = "127.0.0.1";
    settings.dnsServerPort = server.port();
    return settings;
}

void BM_DnsFirstSettles(benchmark::State& state) {
    cvt::test::FakeDnsServer dns;
    const cvt::NameList words = delegatedHalf(dns, 20000);
    CountingSink sink;
    cvt::QueryEngine engine({sink, [] { return std::make_unique<InstantWhois>(); }, nullptr, {}});
    engine.setServerEntries({{"com", "whois.example", "No match for", "", true}});
    engine.setSettings(dnsSettings(true, dns));
    for (auto _ : state) {
        runWords(engine, words);
    }
    state.SetItemsProcessed(state.iterations() * 20000);
    state.counters["settled by DNS"] = static_cast<double>(engine.progress().dnsSettled);
}
BENCHMARK(BM_DnsFirstSettles)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

void BM_DnsFirstAgainstSlowWhois(benchmark::State& state) {
    cvt::test::FakeDnsServer dns;
    const cvt::NameList words = delegatedHalf(dns, 400);
    SlowWhoisServer server;
    CountingSink sink;
    cvt::QueryEngine engine({sink, [] { return std::make_unique<cvt::NetWhoisLookup>(); }, nullptr, {}});
    engine.setServerEntries({{"com", server.hostField(), "No match for", "", true}});
    engine.setSettings(dnsSettings(state.range(0) == 1, dns));
    for (auto _ : state) {
        runWords(engine, words);
    }
    state.SetLabel(state.range(0) == 1 ? "DNS first" : "without DNS");
}
BENCHMARK(BM_DnsFirstAgainstSlowWhois)->DenseRange(0, 1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

void BM_IdnConversionShare(benchmark::State& state) {
    const std::string characters =
        "的一是不了人我在有他这中大来上个国到说们为子和你地出道也时年得就那要下以生会自之着去"
        "过家学对可里后小么心多天而能好都然没日于起还发成事只作当想看文无开手十用主行方又如前所"
        "本见经头面公同三已老从动两长知民样现分将外但身些与高意进把法此实回二理美点月明其种声全工"
        "己话儿者向情部正名定女问力机给等几很业最间新什打便位因重被走电四第门相次东政海口使";
    constexpr std::size_t kCharacterBytes = 3;
    std::vector<std::string> words;
    for (std::size_t first = 0; first < 100; ++first) {
        for (std::size_t second = 0; second < 100; ++second) {
            words.push_back(characters.substr(first * kCharacterBytes, kCharacterBytes) +
                            characters.substr(second * kCharacterBytes, kCharacterBytes));
        }
    }
    const cvt::NameList names = cvt::NameList::fromRange(words);
    const bool loopback = state.range(0) == 1;
    InstantWhoisServer server;
    CountingSink sink;
    cvt::QueryEngine engine({sink,
                             [loopback]() -> std::unique_ptr<cvt::WhoisLookup> {
                                 if (loopback) {
                                     return std::make_unique<cvt::NetWhoisLookup>();
                                 }
                                 return std::make_unique<InstantWhois>();
                             },
                             nullptr,
                             {}});
    const std::string hosts[3] = {server.hostField(), server.hostField(), server.hostField()};
    engine.setServerEntries(entries(1, hosts));
    double runCpu = 0;
    double conversionCpu = 0;
    for (auto _ : state) {
        const auto start = processCpuTime();
        runWords(engine, names);
        const auto ran = processCpuTime();
        cvt::AskedPart suffix = cvt::AskedPart::suffix("com");
        for (const std::string& word : words) {
            const cvt::IdnConversion shown = cvt::IdnName::toCandidate(word);
            cvt::AskedPart name = cvt::AskedPart::name(shown.name, shown.ascii);
            benchmark::DoNotOptimize(cvt::AskedPart::domain(name, suffix));
        }
        runCpu += (ran - start).count();
        conversionCpu += (processCpuTime() - ran).count();
    }
    state.SetLabel(loopback ? "loopback WHOIS server" : "in-process client");
    state.counters["share"] = conversionCpu / runCpu;
    state.counters["us/name"] = conversionCpu * 1e6 / static_cast<double>(words.size() * state.iterations());
}
BENCHMARK(BM_IdnConversionShare)->DenseRange(0, 1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace
