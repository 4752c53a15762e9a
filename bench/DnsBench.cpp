// Names settled per second by the DNS check against the loopback test responder: 20,000 names, half
// of them delegated (NS records), half not (NXDOMAIN), 64 questions on the wire (goal: at least
// 5,000 names a second).
#include "net/dns/DnsPrecheck.h"
#include "tests/support/FakeDnsServer.h"

#include <benchmark/benchmark.h>
#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace {

constexpr int kNames = 20000;

// Asks every name once per iteration (of the zone's own name servers when servers names them) and
// counts the delegated ones.
void askAll(benchmark::State& state, const cvt::DnsPrecheckOptions& options, const std::vector<std::string>& names,
            const std::vector<std::string>& servers = {}) {
    const int count = static_cast<int>(names.size());
    int delegated = 0;
    for (auto _ : state) {
        std::mutex mutex;
        std::condition_variable done;
        int answered = 0;
        delegated = 0;
        cvt::DnsPrecheck dns(options, [&](cvt::DnsAnswer answer) {
            const std::lock_guard lock(mutex);
            delegated += answer.delegated() ? 1 : 0;
            if (++answered == count) {
                done.notify_one();
            }
        });
        const cvt::DnsPrecheck::ServerSet set = dns.nameServers(servers);
        for (int i = 0; i < count; ++i) {
            dns.submit(static_cast<std::uint64_t>(i), names[static_cast<std::size_t>(i)], set);
        }
        std::unique_lock lock(mutex);
        done.wait(lock, [&] { return answered == count; });
    }
    state.SetItemsProcessed(state.iterations() * count);
    state.counters["delegated"] = delegated;
}

void BM_DnsCheck20000Names(benchmark::State& state) {
    cvt::test::FakeDnsServer server;
    std::vector<std::string> names;
    names.reserve(kNames);
    for (int i = 0; i < kNames; ++i) {
        names.push_back("name" + std::to_string(i) + ".com");
        if (i % 2 == 0) {
            server.set(names.back(), cvt::test::FakeDnsServer::nameServers({"ns1.host.net", "ns2.host.net"}));
        }
    }
    cvt::DnsPrecheckOptions options;
    options.ServerAddress = "127.0.0.1";
    options.ServerPort = server.port();
    askAll(state, options, names);
}
BENCHMARK(BM_DnsCheck20000Names)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same names under "bench" asked of the zone's own name server directly (dns_server=auto): the
// delegated half comes back as referrals. The loopback responder by default;
// CORVANTIDE_BENCH_NAME_SERVER_PORT names a port on 127.0.0.1 where another server (NSD, say) serves
// the zone with name0.bench, name2.bench... delegated, to compare with other clients asking it.
void BM_DnsCheckOwnNameServers20000Names(benchmark::State& state) {
    std::unique_ptr<cvt::test::FakeDnsServer> fake;
    std::vector<std::string> names;
    names.reserve(kNames);
    for (int i = 0; i < kNames; ++i) {
        names.push_back("name" + std::to_string(i) + ".bench");
    }
    cvt::DnsPrecheckOptions options;
    if (const char* port = std::getenv("CORVANTIDE_BENCH_NAME_SERVER_PORT"); port != nullptr) {
        options.NameServerPort = static_cast<std::uint16_t>(std::atoi(port));
    } else {
        fake = std::make_unique<cvt::test::FakeDnsServer>();
        for (int i = 0; i < kNames; i += 2) {
            fake->set(names[static_cast<std::size_t>(i)],
                      {cvt::test::FakeDnsServer::Reply::Referral, {"ns1.host.net", "ns2.host.net"}});
        }
        options.NameServerPort = fake->port();
    }
    askAll(state, options, names, {"127.0.0.1"});
}
BENCHMARK(BM_DnsCheckOwnNameServers20000Names)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
