// TLS against plain HTTP: a 10 MB page over loopback on a kept-alive connection (the TLS server is
// a TLS front relaying to the same plain server, so its figure includes one more loopback hop and
// the server's encryption on the same machine). RDAP lookups per second against a local TLS
// server, with the connection kept alive and with a new connection (and handshake) per lookup. A
// query run over 1,250 names of one RDAP entry (its lane's connection kept alive): cells per second.
#include "core/query/QueryEngine.h"
#include "core/query/WhoisLookup.h"
#include "net/http/TNetHTTP.h"
#include "net/rdap/RdapClient.h"
#include "tests/support/FakeHttpServer.h"
#include "tests/support/FakeTlsServer.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestCertificates.h"

#include <atomic>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using cvt::test::FakeHttpConnection;
using cvt::test::FakeHttpScript;
using cvt::test::FakeHttpServer;

// Answers every request of the connection with the same response.
FakeHttpScript answerEvery(std::shared_ptr<const std::string> response) {
    return [response](FakeHttpConnection& connection) {
        while (!connection.readRequest().empty()) {
            connection.send(*response);
        }
    };
}

// A test CA trusted for the process, and a localhost certificate.
struct TrustedLocalhost {
    TrustedLocalhost() : certificates(folder.path()), leaf(certificates.localhost()) {
        ::setenv("SSL_CERT_FILE", certificates.caFile().c_str(), 1);
    }
    cvt::test::TempDir folder;
    cvt::test::TestCertificates certificates;
    cvt::test::TestLeaf leaf;
};

std::shared_ptr<const std::string> page() {
    const std::size_t bytes = 10 * 1000 * 1000;
    return std::make_shared<const std::string>("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(bytes) +
                                               "\r\n\r\n" + std::string(bytes, 'x'));
}

void BM_PlainFetch10MB(benchmark::State& state) {
    FakeHttpServer server({answerEvery(page())});
    cvt::TNetHTTP client;
    for (auto _ : state) {
        benchmark::DoNotOptimize(client.Get(server.url("/page")).size());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 10'000'000);
}
BENCHMARK(BM_PlainFetch10MB)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_TlsFetch10MB(benchmark::State& state) {
    TrustedLocalhost trust;
    FakeHttpServer backend({answerEvery(page())});
    cvt::test::FakeTlsServer tls(trust.leaf.certFile, trust.leaf.keyFile, backend.port());
    cvt::TNetHTTP client;
    for (auto _ : state) {
        benchmark::DoNotOptimize(client.Get(tls.url("/page")).size());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 10'000'000);
}
BENCHMARK(BM_TlsFetch10MB)->Unit(benchmark::kMillisecond)->UseRealTime();

constexpr int kNewConnectionLookups = 200;

// keepAlive 1: one connection for every lookup; 0: the server closes after each reply.
void BM_RdapLookups(benchmark::State& state) {
    TrustedLocalhost trust;
    const bool keepAlive = state.range(0) == 1;
    const auto notFound = std::make_shared<const std::string>(
        std::string("HTTP/1.1 404 Not Found\r\nContent-Type: application/rdap+json\r\n") +
        (keepAlive ? "" : "Connection: close\r\n") + "Content-Length: 17\r\n\r\n{\"errorCode\":404}");
    std::vector<FakeHttpScript> scripts;
    if (keepAlive) {
        scripts.push_back(answerEvery(notFound));
    } else {
        for (int i = 0; i < kNewConnectionLookups + 1; ++i) {
            scripts.push_back(FakeHttpServer::respondAndClose(*notFound));
        }
    }
    FakeHttpServer backend(std::move(scripts));
    cvt::test::FakeTlsServer tls(trust.leaf.certFile, trust.leaf.keyFile, backend.port());
    cvt::RdapClient client;
    const std::string base = tls.url("/rdap/");
    for (auto _ : state) {
        if (client.lookup(base, "abc.info").mark != cvt::RdapMark::Free) {
            state.SkipWithError("lookup failed");
            break;
        }
    }
    state.counters["lookups/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RdapLookups)->Arg(1)->Iterations(2000)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_RdapLookups)->Arg(0)->Iterations(kNewConnectionLookups)->Unit(benchmark::kMicrosecond)->UseRealTime();

class NoWhois : public cvt::WhoisLookup {
public:
    std::string lookup(const std::string&, const std::string&) override { return {}; }
    void closeConnection() override {}
};

class CellCounter : public cvt::QueryEventSink {
public:
    void rowsCleared() override {}
    void rowAppended(const cvt::AppendedRow&) override {}
    void cellAnswered(const cvt::AnsweredCell& cell) override { free += cell.mark == cvt::Mark::Free ? 1 : 0; }
    void runStateChanged(const cvt::RunProgress&) override {}
    void activityChanged(const std::string&) override {}
    std::atomic<std::size_t> free{0};
};

void BM_RdapRun(benchmark::State& state) {
    TrustedLocalhost trust;
    const auto notFound =
        std::make_shared<const std::string>("HTTP/1.1 404 Not Found\r\nContent-Type: "
                                            "application/rdap+json\r\nContent-Length: 17\r\n\r\n{\"errorCode\":404}");
    FakeHttpServer backend({answerEvery(notFound), answerEvery(notFound), answerEvery(notFound)});
    cvt::test::FakeTlsServer tls(trust.leaf.certFile, trust.leaf.keyFile, backend.port());
    CellCounter sink;
    cvt::QueryEngine engine({sink, [] { return std::make_unique<NoWhois>(); }, nullptr, {}});
    engine.setServerEntries({{"info", tls.url("/rdap/"), "", "", true}});
    for (auto _ : state) {
        cvt::SearchRequest request;
        request.patternText = "[a-y][a-y][a-b]"; // 1,250 names
        engine.search(std::move(request));
        engine.waitIdle();
    }
    state.counters["cells/s"] = benchmark::Counter(static_cast<double>(sink.free.load()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RdapRun)->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
