// Runs over RDAP entries (a TLS RDAP server on 127.0.0.1) and runs that ask DNS first (the test
// DNS responder), with the real clients.
#include "core/query/DnsStage.h"
#include "core/query/NetWhoisLookup.h"
#include "core/query/QueryEngine.h"
#include "core/query/ResultMarks.h"
#include "tests/support/FakeDnsServer.h"
#include "tests/support/FakeHttpServer.h"
#include "tests/support/FakeTlsServer.h"
#include "tests/support/FakeWhoisServer.h"
#include "tests/support/QueryFakes.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestCertificates.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace cvt {
namespace {

using namespace std::chrono_literals;
using test::FakeDnsServer;
using test::FakeWhoisServer;

// A DNS try limit never reached by a server that answers, however slow the machine: every answer
// counted is the first try's.
constexpr auto kAnsweredTryLimit = 30s;
// For a resolver whose answers must come within a try while one of its names is silent and must
// time out soon: far above what an answer takes on a slow machine.
constexpr auto kWorkingTryLimit = 1000ms;

// More names than a DNS stage asks without an answer before it gives up: name0, name1...
NameList namesPastTheSilentLimit() {
    NameList names;
    for (int i = 0; i < 3 * DnsStage::kSilentLimit; ++i) {
        names.push_back("name" + std::to_string(i));
    }
    return names;
}

std::string rdapReply(const std::string& status, const std::string& body, const std::string& extra = "") {
    return "HTTP/1.1 " + status + "\r\nContent-Type: application/rdap+json\r\n" + extra +
           "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

// Trusts the test CA for the life of the object.
struct TrustedTestCa {
    test::TempDir folder;
    test::TestCertificates certificates{folder.path()};
    test::TestLeaf leaf = certificates.localhost();
    TrustedTestCa() { ::setenv("SSL_CERT_FILE", certificates.caFile().c_str(), 1); }
    ~TrustedTestCa() { ::unsetenv("SSL_CERT_FILE"); }
};

TEST(QueryRdapDnsTest, RdapLaneMarksFreeRegisteredAndRefusedAndWaitsTheRetryAfter) {
    TrustedTestCa ca;
    for (const bool parallel : {true, false}) {
        SCOPED_TRACE(parallel ? "lanes on" : "lanes off");
        test::FakeHttpServer backend({test::FakeHttpServer::respondEach({
            rdapReply("404 Not Found", R"({"errorCode":404})"),
            rdapReply("200 OK", R"({"objectClassName":"domain","ldhName":"AB.INFO"})"),
            rdapReply("429 Too Many Requests", "", "Retry-After: 7\r\n"),
            rdapReply("404 Not Found", ""),
        })});
        test::FakeTlsServer tls(ca.leaf.certFile, ca.leaf.keyFile, backend.port());

        test::EngineRig rig;
        rig.whois.setDefaultReply("No match for");
        rig.whois.setReply("ab.com", "Domain Name: AB.COM");
        // The refusal text of an RDAP entry plays no part.
        rig.setEntries({test::entry("com", "whois.test", "No match for"),
                        test::entry("info", tls.url("/rdap/"), "", true, "Too Many")});
        RunSettings settings;
        settings.parallel = parallel;
        rig.setSettings(settings);
        ASSERT_EQ(rig.searchWords({"ad", "ac", "ab", "aa"}).status, SearchOutcome::Status::Started);
        rig.engine.waitIdle();

        EXPECT_EQ(rig.rows(), (std::vector<std::string>{"aa:☆|☆", "ab:★|★", "ac:☆|-", "ad:☆|☆"}));
        EXPECT_EQ(rig.table.rows()[2].detail(1), "refused: HTTP/1.1 429 Too Many Requests");
        // The server's Retry-After, not the 30 s back-off, came before the next exchange.
        EXPECT_EQ(rig.clock.sleepsMs(), std::vector<long long>{7000});
        EXPECT_EQ(rig.whois.queriesOf("whois.test"),
                  (std::vector<std::string>{"aa.com", "ab.com", "ac.com", "ad.com"}));
        std::vector<std::string> paths;
        for (const std::string& request : backend.requests()) {
            paths.push_back(request.substr(0, request.find(" HTTP/")));
        }
        EXPECT_EQ(paths, (std::vector<std::string>{"GET /rdap/domain/aa.info", "GET /rdap/domain/ab.info",
                                                   "GET /rdap/domain/ac.info", "GET /rdap/domain/ad.info"}));
        EXPECT_EQ(tls.handshakes(), 1) << "one kept-alive connection per lane";
    }
}

// A Retry-After beyond the longest back-off does not park the lane: the server's other cells fail
// at once, the WHOIS cells are asked as usual, and a re-query asks again after the longest back-off.
// Records how each cell was asked.
class ViaSink : public test::RecordingSink {
public:
    using RecordingSink::RecordingSink;
    void cellAnswered(const AnsweredCell& cell) override {
        {
            std::lock_guard lock(m_viaMutex);
            m_vias.push_back(cell.name + " " + cell.via);
        }
        RecordingSink::cellAnswered(cell);
    }
    std::vector<std::string> vias() const {
        std::lock_guard lock(m_viaMutex);
        return m_vias;
    }

private:
    mutable std::mutex m_viaMutex;
    std::vector<std::string> m_vias;
};

TEST(QueryRdapDnsTest, ACellTheWhoisServerBehindRdapAnsweredOrFailedWasAskedViaWhois) {
    TrustedTestCa ca;
    test::FakeHttpServer backend({test::FakeHttpServer::respondEach({
        rdapReply("404 Not Found", R"({"errorCode":404})"),
        rdapReply("503 Service Unavailable", ""),
        rdapReply("503 Service Unavailable", ""),
    })});
    test::FakeTlsServer tls(ca.leaf.certFile, ca.leaf.keyFile, backend.port());
    test::EngineRigWith<ViaSink> rig;
    rig.whois.setDefaultReply("No match for");
    rig.whois.setFailure("ac.info");
    ServerEntry both = test::entry("info", tls.url("/rdap/"), "No match for");
    both.kind = LookupKind::RdapThenWhois;
    both.whoisHost = "whois.test";
    rig.setEntries({both});
    ASSERT_EQ(rig.searchWords({"aa", "ab", "ac"}).status, SearchOutcome::Status::Started);
    rig.engine.waitIdle();
    EXPECT_EQ(rig.rows(), (std::vector<std::string>{"aa:☆", "ab:☆", "ac:-"}));
    EXPECT_EQ(rig.sink.vias(), (std::vector<std::string>{"aa rdap", "ab whois", "ac whois"}));
    const std::string reason = rig.table.rows()[2].detail(0);
    EXPECT_EQ(reason.rfind("RDAP: ", 0), 0u) << reason;
    EXPECT_NE(reason.find("; WHOIS: Socket Error # 10061"), std::string::npos) << reason;
}

TEST(QueryRdapDnsTest, AWaitLongerThanTheLongestBackOffFailsTheServersCellsAndTheRunEnds) {
    TrustedTestCa ca;
    for (const bool parallel : {true, false}) {
        SCOPED_TRACE(parallel ? "lanes on" : "lanes off");
        const std::string free = rdapReply("404 Not Found", "");
        test::FakeHttpServer backend(
            {test::FakeHttpServer::respondEach({free, rdapReply("429 Too Many Requests", "", "Retry-After: 3600\r\n")}),
             test::FakeHttpServer::respondEach({free, free, free})});
        test::FakeTlsServer tls(ca.leaf.certFile, ca.leaf.keyFile, backend.port());
        test::EngineRig rig;
        rig.whois.setDefaultReply("No match for");
        rig.setEntries({test::entry("com", "whois.test", "No match for"), test::entry("info", tls.url("/rdap/"), "")});
        RunSettings settings;
        settings.parallel = parallel;
        rig.setSettings(settings);
        ASSERT_EQ(rig.searchWords({"aa", "ab", "ac", "ad"}).status, SearchOutcome::Status::Started);
        rig.engine.waitIdle();

        EXPECT_EQ(rig.rows(), (std::vector<std::string>{"aa:☆|☆", "ab:☆|-", "ac:☆|-", "ad:☆|-"}));
        EXPECT_EQ(rig.table.rows()[2].detail(1), "server asks to wait 3600 s");
        EXPECT_EQ(rig.table.rows()[3].detail(1), "server asks to wait 3600 s");
        EXPECT_TRUE(rig.clock.sleepsMs().empty());
        EXPECT_EQ(backend.requests().size(), 2u);
        EXPECT_EQ(rig.whois.queriesOf("whois.test").size(), 4u);

        ASSERT_TRUE(rig.requery());
        rig.engine.waitIdle();
        EXPECT_EQ(rig.rows(), (std::vector<std::string>{"aa:☆|☆", "ab:☆|☆", "ac:☆|☆", "ad:☆|☆"}));
        EXPECT_EQ(rig.clock.sleepsMs(), std::vector<long long>{600000});
        EXPECT_EQ(backend.requests().size(), 5u);
    }
}

// An RDAP server that closes without a reply is rationing too: from the second in a row its lane
// backs off as after a 429.
TEST(QueryRdapDnsTest, AnRdapServerClosingWithoutAReplyBacksOffFromTheSecondInARow) {
    TrustedTestCa ca;
    const auto closing = test::FakeHttpServer::closeWithoutReply();
    test::FakeHttpServer backend(
        {closing, closing, closing, test::FakeHttpServer::respond(rdapReply("404 Not Found", ""))});
    test::FakeTlsServer tls(ca.leaf.certFile, ca.leaf.keyFile, backend.port());
    test::EngineRig rig;
    rig.setEntries({test::entry("info", tls.url("/rdap/"), "")});
    ASSERT_EQ(rig.searchWords({"aa", "ab", "ac", "ad"}).status, SearchOutcome::Status::Started);
    rig.engine.waitIdle();
    EXPECT_EQ(rig.rows(), (std::vector<std::string>{"aa:-", "ab:-", "ac:-", "ad:☆"}));
    EXPECT_EQ(rig.clock.sleepsMs(), (std::vector<long long>{30000, 60000}));
    EXPECT_EQ(rig.table.rows()[0].detail(0), "Connection Closed Gracefully.");
}

// Two suffixes on two WHOIS servers that log what they are asked; DNS as each case sets it up.
struct DnsRun {
    std::vector<std::string> rows;
    std::vector<std::string> whoisQueries; // both servers', sorted
    std::vector<std::string> details;      // the details of every cell, row by row
    RunProgress progress;
};

DnsRun runWithDns(const std::function<void(RunSettings&)>& setUpDns) {
    const auto answer = [](std::string_view query) {
        const bool registered = !query.starts_with("fresh") && !query.starts_with("under_score");
        return registered ? "Domain Name: " + std::string(query) + "\r\n" : std::string("No match for\r\n");
    };
    FakeWhoisServer comServer(FakeWhoisServer::answer(answer));
    FakeWhoisServer netServer(FakeWhoisServer::answer(answer));
    ResultTable table{"Domain Name"};
    test::RecordingSink sink{table};
    DnsRun run;
    {
        QueryEngine engine{QueryEngineDeps{sink, [] { return std::make_unique<NetWhoisLookup>(); }, nullptr, {}}};
        const std::vector<ServerEntry> entries = {test::entry("com", comServer.hostField(), "No match for"),
                                                  test::entry("net", netServer.hostField(), "No match for")};
        engine.setServerEntries(entries);
        table.alignSuffixColumns(entries);
        RunSettings settings;
        settings.parallel = true;
        setUpDns(settings);
        engine.setSettings(settings);
        SearchRequest request;
        request.mode = SearchMode::Text;
        request.words =
            NameList::fromRange(std::vector<std::string>{"taken", "parked", "fresh", "broken", "empty", "under_score"});
        EXPECT_EQ(engine.search(std::move(request)).status, SearchOutcome::Status::Started);
        engine.waitIdle();
        run.progress = sink.progress();
    }
    comServer.stop();
    netServer.stop();
    for (const FakeWhoisServer* server : {&comServer, &netServer}) {
        for (const std::string& query : server->queries()) {
            run.whoisQueries.push_back(query.substr(0, query.find('\r')));
        }
    }
    std::sort(run.whoisQueries.begin(), run.whoisQueries.end());
    for (const ResultRow& row : table.rows()) {
        std::string line = row.caption + ":";
        for (std::size_t i = 0; i < row.cells.size(); ++i) {
            line += (i == 0 ? "" : "|") + std::string(markGlyph(row.cells[i]));
            run.details.push_back(row.detail(i));
        }
        run.rows.push_back(line);
    }
    return run;
}

TEST(QueryRdapDnsTest, DelegatedNamesNeverReachTheRegistryAndAFailingResolverChangesNothing) {
    const DnsRun withoutDns = runWithDns([](RunSettings&) {});
    const std::vector<std::string> everyCell = {"broken.com", "broken.net", "empty.com",       "empty.net",
                                                "fresh.com",  "fresh.net",  "parked.com",      "parked.net",
                                                "taken.com",  "taken.net",  "under_score.com", "under_score.net"};
    ASSERT_EQ(withoutDns.whoisQueries, everyCell);
    const std::vector<std::string> marks = {"broken:★|★", "empty:★|★", "fresh:☆|☆",
                                            "parked:★|★", "taken:★|★", "under_score:☆|☆"};
    ASSERT_EQ(withoutDns.rows, marks);

    FakeDnsServer working; // unknown names: NXDOMAIN
    working.set("taken.com", FakeDnsServer::nameServers({"ns1.host.net", "ns2.host.net"}));
    working.set("taken.net", FakeDnsServer::nameServers({"ns1.host.net"}));
    working.set("parked.com", FakeDnsServer::nameServers({"ns.parking.example"}));
    working.set("broken.com", {FakeDnsServer::Reply::ServerFailure, {}});
    working.set("broken.net", {FakeDnsServer::Reply::Silent, {}});
    working.set("empty.com", {FakeDnsServer::Reply::NoRecords, {}});
    FakeDnsServer silent(FakeDnsServer::Entry{FakeDnsServer::Reply::Silent, {}});
    FakeDnsServer failing(FakeDnsServer::Entry{FakeDnsServer::Reply::ServerFailure, {}});
    const std::uint16_t closedPort = test::closedUdpLoopbackPort();

    // The failing resolvers give the same table whether a try times out or not.
    struct Case {
        const char* what;
        std::uint16_t port;
        std::vector<std::string> notAsked; // cells DNS settled
        std::chrono::milliseconds tryTimeout;
    };
    const std::vector<Case> cases = {
        {"working resolver", working.port(), {"parked.com", "taken.com", "taken.net"}, kWorkingTryLimit},
        {"silent resolver", silent.port(), {}, 100ms},
        {"every answer SERVFAIL", failing.port(), {}, 100ms},
        {"closed port", closedPort, {}, 100ms},
    };
    for (const Case& c : cases) {
        const DnsRun run = runWithDns([&c](RunSettings& settings) {
            settings.dns = true;
            settings.dnsServerAddress = "127.0.0.1";
            settings.dnsServerPort = c.port;
            settings.dnsTryTimeout = c.tryTimeout;
        });
        EXPECT_EQ(run.rows, marks) << c.what;
        std::vector<std::string> asked;
        std::copy_if(everyCell.begin(), everyCell.end(), std::back_inserter(asked), [&c](const std::string& cell) {
            return std::find(c.notAsked.begin(), c.notAsked.end(), cell) == c.notAsked.end();
        });
        EXPECT_EQ(run.whoisQueries, asked) << c.what;
        EXPECT_TRUE(run.progress.dns) << c.what;
        EXPECT_EQ(run.progress.dnsSettled, c.notAsked.size()) << c.what;
        EXPECT_EQ(run.progress.done, 6u) << c.what << ": settled cells count as asked";
        EXPECT_EQ(run.progress.total, 6u) << c.what;
    }
    const DnsRun settled = runWithDns([&working](RunSettings& settings) {
        settings.dns = true;
        settings.dnsServerAddress = "127.0.0.1";
        settings.dnsServerPort = working.port();
        settings.dnsTryTimeout = kWorkingTryLimit;
    });
    // Row "parked" (3), then "taken" (4): com, net.
    EXPECT_EQ(settled.details[6], "Delegated in DNS: ns.parking.example");
    EXPECT_EQ(settled.details[8], "Delegated in DNS: ns1.host.net, ns2.host.net");
    EXPECT_EQ(settled.details[9], "Delegated in DNS: ns1.host.net");
    EXPECT_EQ(working.timesAsked("under_score.com"), 0) << "a name DNS cannot carry goes straight to the registry";
}

// With dns_server=auto each suffix's own name servers are asked directly (their host names looked
// up through the resolver); a suffix without any is asked through the resolver. A referral settles
// a cell; NXDOMAIN, or name servers without an address, leave it to the registry.
TEST(QueryRdapDnsTest, AutoAsksEachSuffixsOwnNameServers) {
    FakeDnsServer suffixServers; // unknown names: NXDOMAIN
    suffixServers.set("taken.com", {FakeDnsServer::Reply::Referral, {"ns1.host.net"}});
    FakeDnsServer resolver;
    resolver.set("a.nic.test", {FakeDnsServer::Reply::LoopbackIPv4, {}});
    resolver.set("taken.org", FakeDnsServer::nameServers({"ns.org.example"}));
    test::EngineRig rig;
    rig.whois.setDefaultReply("No match for");
    for (const char* taken : {"taken.com", "taken.net", "taken.org"}) {
        rig.whois.setReply(taken, "Domain Name: " + std::string(taken));
    }
    std::vector<ServerEntry> entries = {test::entry("com", "whois.test", "No match for"),
                                        test::entry("net", "whois.test", "No match for"),
                                        test::entry("org", "whois.test", "No match for")};
    entries[0].nameServers = {"a.nic.test"};
    entries[1].nameServers = {"ns.gone.test"};
    EXPECT_EQ(suffixesAskedThroughResolver(entries), ".org");
    rig.setEntries(entries);
    RunSettings settings;
    settings.dns = true;
    settings.dnsAuto = true;
    settings.dnsServerAddress = "127.0.0.1";
    settings.dnsServerPort = resolver.port();
    settings.dnsNameServerPort = suffixServers.port();
    settings.dnsTryTimeout = kAnsweredTryLimit;
    rig.setSettings(settings);
    ASSERT_EQ(rig.searchWords({"fresh", "taken"}).status, SearchOutcome::Status::Started);
    rig.engine.waitIdle();

    EXPECT_EQ(rig.rows(), (std::vector<std::string>{"fresh:☆|☆|☆", "taken:★|★|★"}));
    EXPECT_EQ(rig.table.rows()[1].detail(0), "Delegated in DNS: ns1.host.net");
    EXPECT_EQ(rig.table.rows()[1].detail(2), "Delegated in DNS: ns.org.example");
    EXPECT_EQ(rig.whois.queriesOf("whois.test"),
              (std::vector<std::string>{"fresh.com", "fresh.net", "fresh.org", "taken.net"}));
    EXPECT_EQ(rig.sink.progress().dnsSettled, 2u);
    EXPECT_EQ(suffixServers.timesAsked("fresh.com"), 1);
    EXPECT_EQ(suffixServers.timesAsked("taken.org") + suffixServers.timesAsked("taken.net"), 0);
    EXPECT_EQ(suffixServers.recursiveQuestionCount(), 0);
    EXPECT_EQ(resolver.timesAsked("taken.com"), 0);
    EXPECT_EQ(resolver.timesAsked("a.nic.test"), 2) << "looked up once (IPv4 and IPv6) for the whole run";
}

TEST(QueryRdapDnsTest, AResolverThatNeverAnswersIsGivenUpAndEveryCellGoesToTheRegistry) {
    const NameList names = namesPastTheSilentLimit();
    RunSettings settings;
    settings.dns = true;
    settings.dnsServerAddress = "127.0.0.1";
    settings.dnsServerPort = test::closedUdpLoopbackPort();
    const NameList noALabels;
    DnsStage stage(settings, names, noALabels, {DnsSuffix("com")}, names.size());
    stage.feed(0);
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(stage.await(i, 0, [] { return false; }), std::nullopt) << names[i];
    }
    EXPECT_TRUE(stage.givenUp());
}

// Asking the suffixes' own name servers, a set that never answers is given up alone.
TEST(QueryRdapDnsTest, NameServersThatNeverAnswerAreGivenUpAlone) {
    FakeDnsServer working(FakeDnsServer::Entry{FakeDnsServer::Reply::Referral, {"ns.host.net"}});
    const NameList names = namesPastTheSilentLimit();
    RunSettings settings;
    settings.dns = true;
    settings.dnsAuto = true;
    settings.dnsNameServerPort = working.port(); // nothing listens there on 127.0.0.2
    const NameList noALabels;
    DnsStage stage(settings, names, noALabels, {DnsSuffix("com", {"127.0.0.1"}), DnsSuffix("net", {"127.0.0.2"})},
                   names.size());
    stage.feed(0);
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_NE(stage.await(i, 0, [] { return false; }), std::nullopt) << names[i];
        EXPECT_EQ(stage.await(i, 1, [] { return false; }), std::nullopt) << names[i];
    }
    EXPECT_FALSE(stage.givenUp());
    EXPECT_EQ(working.timesAsked("name0.net"), 0);
}

TEST(QueryRdapDnsTest, StopAndClosingEndARunWaitingOnDnsAtOnce) {
    for (const bool closing : {false, true}) {
        SCOPED_TRACE(closing ? "closing" : "stop");
        FakeDnsServer dns(FakeDnsServer::Entry{FakeDnsServer::Reply::Held, {"ns.host.net"}});
        test::EngineRig rig;
        rig.setEntries({test::entry("com", "whois.test", "No match for"), test::entry("net", "whois.test", "x")});
        RunSettings settings = test::lanesOn();
        settings.dns = true;
        settings.dnsServerAddress = "127.0.0.1";
        settings.dnsServerPort = dns.port();
        settings.dnsTryTimeout = 60s; // only Stop can end the wait
        rig.setSettings(settings);
        ASSERT_EQ(rig.searchWords({"aa", "ab"}).status, SearchOutcome::Status::Started);
        for (int i = 0; i < 2000 && dns.heldCount() == 0; ++i) {
            std::this_thread::sleep_for(5ms);
        }
        ASSERT_GT(dns.heldCount(), 0);
        if (closing) {
            rig.engine.shutdown();
        } else {
            rig.engine.stop();
            rig.engine.waitIdle();
        }
        EXPECT_TRUE(rig.whois.calls().empty());
        EXPECT_EQ(rig.sink.progress().state, RunState::Idle);
        EXPECT_EQ(rig.sink.progress().dnsSettled, 0u);
    }
}

} // namespace
} // namespace cvt
