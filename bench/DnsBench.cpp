// Names settled per second by the DNS check against the loopback test responder: 20,000 names, half
// of them delegated (NS records), half not (NXDOMAIN), 64 questions on the wire (goal: at least
// 5,000 names a second).
#include "net/dns/DnsPrecheck.h"
#include "tests/support/FakeDnsServer.h"

#include <benchmark/benchmark.h>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

namespace {

constexpr int kNames = 20000;

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
    int delegated = 0;
    for (auto _ : state) {
        std::mutex mutex;
        std::condition_variable done;
        int answered = 0;
        delegated = 0;
        cvt::DnsPrecheck dns(options, [&](cvt::DnsAnswer answer) {
            const std::lock_guard lock(mutex);
            delegated += answer.delegated() ? 1 : 0;
            if (++answered == kNames) {
                done.notify_one();
            }
        });
        for (int i = 0; i < kNames; ++i) {
            dns.submit(static_cast<std::uint64_t>(i), names[static_cast<std::size_t>(i)]);
        }
        std::unique_lock lock(mutex);
        done.wait(lock, [&] { return answered == kNames; });
    }
    state.SetItemsProcessed(state.iterations() * kNames);
    state.counters["delegated"] = delegated;
}
BENCHMARK(BM_DnsCheck20000Names)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
