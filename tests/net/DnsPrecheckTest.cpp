#include "net/dns/DnsPrecheck.h"

#include "tests/support/FakeDnsServer.h"

#include <chrono>
#include <condition_variable>
#include <gtest/gtest.h>
#include <map>
#include <mutex>
#include <string>
#include <thread>

namespace cvt {
namespace {

using test::FakeDnsServer;
using namespace std::chrono_literals;

// A limit that only matters when something hangs; every wait ends early on success.
constexpr auto kHangLimit = 60s;
// A try limit for servers that answer: never reached however slow the machine, so every answer
// counted is the first try's. A server that must time out gets a short limit of its own.
constexpr auto kAnsweredTryLimit = 30000ms;

// Gathers the answers the component delivers on its thread.
class Answers {
public:
    DnsPrecheck::Sink sink() {
        return [this](DnsAnswer answer) {
            {
                const std::lock_guard lock(m_mutex);
                m_byName[answer.Name] = std::move(answer);
                ++m_count;
            }
            m_changed.notify_all();
        };
    }

    // Waits for count answers in all; false when they did not come.
    bool waitFor(int count) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, kHangLimit, [&] { return m_count >= count; });
    }

    int count() {
        const std::lock_guard lock(m_mutex);
        return m_count;
    }

    DnsAnswer of(const std::string& name) {
        const std::lock_guard lock(m_mutex);
        return m_byName.at(name);
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::map<std::string, DnsAnswer> m_byName;
    int m_count = 0;
};

DnsPrecheckOptions localServer(std::uint16_t port, std::chrono::milliseconds tryTimeout = kAnsweredTryLimit) {
    DnsPrecheckOptions options;
    options.ServerAddress = "127.0.0.1";
    options.ServerPort = port;
    options.TryTimeout = tryTimeout;
    return options;
}

template <typename Predicate>
bool eventually(Predicate done) {
    const auto limit = std::chrono::steady_clock::now() + kHangLimit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > limit) {
            return false;
        }
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

TEST(DnsPrecheck, SettlesOnlyNamesWithNameServers) {
    FakeDnsServer server; // unknown names: NXDOMAIN
    server.set("taken.com", FakeDnsServer::nameServers({"ns1.host.net", "NS2.host.net", "ns1.HOST.net"}));
    server.set("empty.com", {FakeDnsServer::Reply::NoRecords, {}});
    server.set("broken.com", {FakeDnsServer::Reply::ServerFailure, {}});
    // Name servers of the suffix, not of the name: nothing is settled by them.
    server.set("parent.com", {FakeDnsServer::Reply::ParentRecords, {"a.gtld-servers.net"}});
    // The suffix's own server refers to the name's servers (lame or not); a referral upwards to the
    // suffix's servers settles nothing.
    server.set("referred.com", {FakeDnsServer::Reply::Referral, {"ns1.host.net", "ns2.host.net"}});
    server.set("referred-up.com", {FakeDnsServer::Reply::ParentReferral, {"a.gtld-servers.net"}});
    // Too long for UDP: asked again over TCP, where the full answer comes.
    server.set("long-answer.com", {FakeDnsServer::Reply::Truncated, {"ns1.big.net"}});

    const std::string longLabel(64, 'a');
    const std::string longName = std::string(63, 'b') + "." + std::string(63, 'c') + "." + std::string(63, 'd') + "." +
                                 std::string(62, 'e') + ".com"; // 258 bytes
    struct Case {
        std::string name;
        DnsVerdict verdict;
        DnsMiss why;
        int timesAsked;
    };
    const std::vector<Case> cases = {
        {"taken.com", DnsVerdict::Delegated, DnsMiss::None, 1},
        {"free.com", DnsVerdict::NotDelegated, DnsMiss::NoSuchName, 1},
        {"empty.com", DnsVerdict::NotDelegated, DnsMiss::NoNameServers, 1},
        {"broken.com", DnsVerdict::NotDelegated, DnsMiss::ServerFailure, 1},
        {"parent.com", DnsVerdict::NotDelegated, DnsMiss::NoNameServers, 1},
        {"referred.com", DnsVerdict::Delegated, DnsMiss::None, 1},
        {"referred-up.com", DnsVerdict::NotDelegated, DnsMiss::NoNameServers, 1},
        {"long-answer.com", DnsVerdict::Delegated, DnsMiss::None, 2},
        {longLabel + ".com", DnsVerdict::NotDelegated, DnsMiss::NotAsked, 0},
        {longName, DnsVerdict::NotDelegated, DnsMiss::NotAsked, 0},
        {"under_score.com", DnsVerdict::NotDelegated, DnsMiss::NotAsked, 0},
        {"\xe4\xb8\xad.com", DnsVerdict::NotDelegated, DnsMiss::NotAsked, 0},
        {"two..dots.com", DnsVerdict::NotDelegated, DnsMiss::NotAsked, 0},
        {"", DnsVerdict::NotDelegated, DnsMiss::NotAsked, 0},
    };

    Answers answers;
    DnsPrecheck dns(localServer(server.port()), answers.sink());
    ASSERT_EQ(dns.setupError(), "");
    for (std::size_t i = 0; i < cases.size(); ++i) {
        dns.submit(i, cases[i].name);
    }
    ASSERT_TRUE(answers.waitFor(static_cast<int>(cases.size())));
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].name);
        const DnsAnswer answer = answers.of(cases[i].name);
        EXPECT_EQ(answer.Tag, i);
        EXPECT_EQ(answer.Verdict, cases[i].verdict);
        EXPECT_EQ(answer.Why, cases[i].why);
        EXPECT_EQ(server.timesAsked(cases[i].name), cases[i].timesAsked);
    }
    EXPECT_EQ(answers.of("taken.com").details(), "Delegated in DNS: ns1.host.net, NS2.host.net");
    EXPECT_EQ(answers.of("long-answer.com").details(), "Delegated in DNS: ns1.big.net");
    EXPECT_EQ(server.tcpQuestionCount(), 1);
    EXPECT_TRUE(answers.of("free.com").NameServers.empty());
}

// A zone's own name servers are asked directly and without recursion; their host names are looked
// up once through the resolver, and servers without an address answer nothing: the registry decides.
TEST(DnsPrecheck, AsksAZonesOwnNameServersDirectly) {
    FakeDnsServer registry; // the zone's name server; unknown names: NXDOMAIN
    registry.set("taken.example", {FakeDnsServer::Reply::Referral, {"ns1.host.net"}});
    registry.set("slow.example", {FakeDnsServer::Reply::Silent, {}});
    FakeDnsServer resolver; // the name servers' addresses, and questions without name servers
    resolver.set("ns1.nic.test", {FakeDnsServer::Reply::LoopbackIPv4, {}});
    resolver.set("ns2.nic.test", {FakeDnsServer::Reply::LoopbackIPv4, {}});
    resolver.set("elsewhere.other", FakeDnsServer::nameServers({"ns.elsewhere.net"}));
    DnsPrecheckOptions options = localServer(resolver.port());
    options.NameServerPort = registry.port();

    Answers answers;
    DnsPrecheck dns(options, answers.sink());
    const auto zone = dns.nameServers({"NS2.nic.test", "ns1.nic.test"});
    EXPECT_EQ(dns.nameServers({"ns1.nic.test", "ns2.nic.test", "ns1.nic.test"}), zone);
    EXPECT_EQ(dns.nameServers({}), DnsPrecheck::kResolver);
    const auto literal = dns.nameServers({"127.0.0.1"});
    const auto gone = dns.nameServers({"ns.gone.test"});
    struct Case {
        std::string name;
        DnsPrecheck::ServerSet servers;
        DnsMiss why;
    };
    const std::vector<Case> cases = {
        {"taken.example", zone, DnsMiss::None},
        {"free.example", zone, DnsMiss::NoSuchName},
        {"taken.example.", literal, DnsMiss::NotAsked}, // a name DNS cannot carry
        {"referred.example", literal, DnsMiss::NoSuchName},
        {"lost.example", gone, DnsMiss::NotAsked},
        {"elsewhere.other", DnsPrecheck::kResolver, DnsMiss::None},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        dns.submit(i, cases[i].name, cases[i].servers);
    }
    ASSERT_TRUE(answers.waitFor(static_cast<int>(cases.size())));
    for (const Case& c : cases) {
        EXPECT_EQ(answers.of(c.name).Why, c.why) << c.name;
    }
    EXPECT_EQ(answers.of("taken.example").details(), "Delegated in DNS: ns1.host.net");
    EXPECT_EQ(registry.recursiveQuestionCount(), 0);
    EXPECT_EQ(registry.timesAsked("elsewhere.other"), 0);
    EXPECT_EQ(resolver.timesAsked("taken.example"), 0);
    EXPECT_EQ(resolver.timesAsked("ns1.nic.test"), 2) << "once for IPv4, once for IPv6";
    EXPECT_GT(resolver.timesAsked("ns.gone.test"), 0);

    // A zone given up asks nothing more and answers nothing.
    dns.abandon(zone);
    dns.submit(100, "after.example", zone);
    dns.submit(101, "after.other", DnsPrecheck::kResolver);
    ASSERT_TRUE(answers.waitFor(static_cast<int>(cases.size()) + 1));
    EXPECT_EQ(registry.timesAsked("after.example"), 0);
    EXPECT_EQ(answers.of("after.other").Tag, 101U);

    // A zone server that never answers: the question times out (its servers given as an address,
    // so the short limit holds back no answer that must come).
    DnsPrecheckOptions impatient = localServer(resolver.port(), 150ms);
    impatient.NameServerPort = registry.port();
    Answers late;
    DnsPrecheck slow(impatient, late.sink());
    slow.submit(0, "slow.example", slow.nameServers({"127.0.0.1"}));
    ASSERT_TRUE(late.waitFor(1));
    EXPECT_EQ(late.of("slow.example").Why, DnsMiss::TimedOut);
}

TEST(DnsPrecheck, FailingServersNeverSettleAName) {
    struct Case {
        const char* what;
        std::uint16_t port;
        DnsMiss why;
        std::chrono::milliseconds tryTimeout; // short only where the time-out must come
    };
    FakeDnsServer silent(FakeDnsServer::Entry{FakeDnsServer::Reply::Silent, {}});
    // A reply too long for UDP whose retry over TCP finds the port closed.
    FakeDnsServer udpOnly(FakeDnsServer::Entry{FakeDnsServer::Reply::Truncated, {"ns1.big.net"}}, false);
    const std::vector<Case> cases = {
        {"silent server: two tries, then given up", silent.port(), DnsMiss::TimedOut, 150ms},
        {"closed port", test::closedUdpLoopbackPort(), DnsMiss::Refused, kAnsweredTryLimit},
        {"truncated reply, no TCP", udpOnly.port(), DnsMiss::Refused, kAnsweredTryLimit},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Answers answers;
        DnsPrecheck dns(localServer(c.port, c.tryTimeout), answers.sink());
        dns.submit(1, "one.com");
        dns.submit(2, "two.net");
        ASSERT_TRUE(answers.waitFor(2));
        for (const char* name : {"one.com", "two.net"}) {
            EXPECT_EQ(answers.of(name).Verdict, DnsVerdict::NotDelegated);
            EXPECT_EQ(answers.of(name).Why, c.why);
        }
    }
    EXPECT_EQ(silent.timesAsked("one.com"), 2);
}

TEST(DnsPrecheck, ResolverThatCannotBeSetUpAnswersEveryNameUnasked) {
    for (const char* address : {"::1", "127.0.0.1"}) {
        DnsPrecheckOptions options = localServer(5353);
        options.ServerAddress = address;
        EXPECT_EQ(DnsPrecheck(options, [](DnsAnswer) {}).setupError(), "") << address;
    }
    Answers answers;
    DnsPrecheckOptions options = localServer(53);
    options.ServerAddress = "not an address";
    DnsPrecheck dns(options, answers.sink());
    EXPECT_NE(dns.setupError(), "");
    dns.submit(7, "example.com");
    ASSERT_TRUE(answers.waitFor(1));
    EXPECT_EQ(answers.of("example.com").Why, DnsMiss::NotAsked);
    EXPECT_EQ(answers.of("example.com").Tag, 7U);
}

TEST(DnsPrecheck, KeepsAtMostTheLimitOnTheWire) {
    FakeDnsServer server(FakeDnsServer::Entry{FakeDnsServer::Reply::Held, {"ns.host.net"}});
    Answers answers;
    DnsPrecheck dns(localServer(server.port(), 30000ms), answers.sink());
    constexpr int kNames = 150;
    for (int i = 0; i < kNames; ++i) {
        dns.submit(static_cast<std::uint64_t>(i), "name" + std::to_string(i) + ".com");
    }
    ASSERT_TRUE(eventually([&] { return server.heldCount() == 64; }));
    // Nothing else is sent while all 64 wait for their answers.
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(server.questionCount(), 64);
    EXPECT_EQ(answers.count(), 0);

    server.release();
    ASSERT_TRUE(answers.waitFor(kNames));
    EXPECT_EQ(server.questionCount(), kNames);
    EXPECT_TRUE(answers.of("name149.com").delegated());
}

TEST(DnsPrecheck, StopCancelsQuestionsOnTheWireAndDeliversNothingMore) {
    FakeDnsServer server(FakeDnsServer::Entry{FakeDnsServer::Reply::Held, {"ns.host.net"}});
    Answers answers;
    DnsPrecheck dns(localServer(server.port(), 30000ms), answers.sink());
    for (int i = 0; i < 100; ++i) {
        dns.submit(static_cast<std::uint64_t>(i), "name" + std::to_string(i) + ".com");
    }
    ASSERT_TRUE(eventually([&] { return server.heldCount() == 64; }));
    dns.stop();
    dns.submit(500, "late.com");
    server.release();
    server.stop();
    EXPECT_EQ(answers.count(), 0);
    EXPECT_EQ(server.timesAsked("late.com"), 0);
}

} // namespace
} // namespace cvt
