// WHOIS exchanges against scripted servers on 127.0.0.1. A limit that must pass is short, so that
// no test waits long; a limit within which something must happen only bounds a hang, however slow
// the machine.
#include "net/whois/TNetWhois.h"

#include "net/dns/HostResolver.h"
#include "net/socket/NetExceptions.h"
#include "tests/support/FakeDnsServer.h"
#include "tests/support/FakeWhoisServer.h"
#include "tests/support/ScriptedSocketApi.h"

#include <atomic>
#include <future>
#include <gtest/gtest.h>
#include <iostream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace cvt {
namespace {

using namespace std::chrono_literals;
using test::FakeWhoisConnection;
using test::FakeWhoisServer;

constexpr int kShortReadTimeoutMs = 1000;
constexpr int kAnsweredReadTimeoutMs = 60000;
constexpr std::chrono::milliseconds kAnsweredLookupLimit = 30s;

void aimAt(TNetWhois& whois, const FakeWhoisServer& server, int readTimeoutMs = kAnsweredReadTimeoutMs) {
    whois.SetServer(server.hostField());
    whois.SetReadTimeout(readTimeoutMs);
}

TEST(TNetWhois, ReplyComesBackByteForByte) {
    const std::string binary("\x00\x01\x7F\x80\xA1\xEE\xA1\xEF\xFF", 9);
    struct Case {
        const char* name;
        test::FakeWhoisScript script;
        std::string reply;
    };
    const std::string limit(TNetWhois::kMaxReplyBytes, 'z');
    // clang-format off
    const std::vector<Case> cases = {
        {"empty reply", FakeWhoisServer::reply(""), ""},
        {"crlf", FakeWhoisServer::reply("No match for \"ABC.COM\".\r\n"), "No match for \"ABC.COM\".\r\n"},
        {"bare lf and mixed ends", FakeWhoisServer::reply("a\nb\r\nc\rd\n\n"), "a\nb\r\nc\rd\n\n"},
        {"bytes above 127 and nul", FakeWhoisServer::reply(binary), binary},
        {"pieces with gaps", FakeWhoisServer::replyInPieces({"Domain ", "Name: ", "ABC.COM\r\n"}, 50ms),
         "Domain Name: ABC.COM\r\n"},
        {"exactly the size limit", FakeWhoisServer::reply(limit), limit},
        {"error wsa text from a server is just reply text", FakeWhoisServer::reply("Error WSAconnectionReset"),
         "Error WSAconnectionReset"},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeWhoisServer server(c.script);
        TNetWhois whois;
        aimAt(whois, server);
        const std::string reply = whois.Lookup("abc.com");
        EXPECT_EQ(reply.size(), c.reply.size());
        EXPECT_TRUE(reply == c.reply);
        EXPECT_EQ(whois.State(), TNetConnectionState::Idle);
    }
}

TEST(TNetWhois, QueryGoesOnTheWireAsItStandsWithCrLf) {
    const std::vector<std::string> queries = {"abc.com", "", "\xD6\xD0\xCE\xC4.cn", "xn--fiqs8s.cn", "a b"};
    FakeWhoisServer server(FakeWhoisServer::reply("ok"));
    TNetWhois whois;
    aimAt(whois, server);
    for (const auto& query : queries) {
        whois.Lookup(query);
    }
    server.stop(); // the last connection is recorded once its script has ended
    const auto received = server.queries();
    ASSERT_EQ(received.size(), queries.size());
    for (std::size_t i = 0; i < queries.size(); ++i) {
        EXPECT_EQ(received[i], queries[i] + "\r\n");
    }
}

// What a failed exchange raises, and that the client is idle and usable afterwards.
TEST(TNetWhois, FailuresRaiseTheSpecifiedExceptions) {
    struct Case {
        const char* name;
        test::FakeWhoisScript script;
        int socketError;  // 0: not an ENetSocketError
        const char* what; // the whole message, or its end for socket errors
        int readTimeoutMs = kAnsweredReadTimeoutMs;
    };
    const char* tooLarge = "Reply too large.";
    // clang-format off
    const std::vector<Case> cases = {
        {"silent after reply", FakeWhoisServer::replyThenSilent("Domain Name: ABC.COM\r\n"), 0, "Read Timeout",
         kShortReadTimeoutMs},
        {"reset during reply", FakeWhoisServer::replyThenReset(std::string(1000, 'r')), 10054,
         "Connection reset by peer."},
        {"sends without end", FakeWhoisServer::endless(std::string(16384, 'e')), 0, tooLarge},
        {"one byte over the limit", FakeWhoisServer::reply(std::string(TNetWhois::kMaxReplyBytes + 1, 'o')), 0,
         tooLarge},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeWhoisServer server(c.script);
        TNetWhois whois;
        aimAt(whois, server, c.readTimeoutMs);
        try {
            whois.Lookup("abc.com");
            ADD_FAILURE() << "no exception";
        } catch (const ENetSocketError& error) {
            EXPECT_EQ(error.errorCode(), c.socketError);
            EXPECT_TRUE(std::string(error.what()).ends_with(c.what)) << error.what();
        } catch (const ENetException& error) {
            EXPECT_EQ(c.socketError, 0);
            EXPECT_STREQ(error.what(), c.what);
        }
        EXPECT_EQ(whois.State(), TNetConnectionState::Idle);
        EXPECT_NO_THROW(whois.CloseConnection());
    }
}

TEST(TNetWhois, ClosedPortIsRefused) {
    TNetWhois whois;
    whois.SetServer("127.0.0.1:" + std::to_string(test::closedLoopbackPort()));
    try {
        whois.Lookup("abc.com");
        ADD_FAILURE() << "no exception";
    } catch (const ENetSocketError& error) {
        EXPECT_EQ(error.errorCode(), 10061);
        EXPECT_STREQ(error.what(), "Socket Error # 10061\r\nConnection refused.");
    }
    // A failed connect leaves the handler attached with its socket closed; closing again is harmless.
    EXPECT_EQ(whois.State(), TNetConnectionState::Closed);
    whois.CloseConnection();
    whois.CloseConnection();
    EXPECT_EQ(whois.State(), TNetConnectionState::Idle);
}

TEST(TNetWhois, ServerFieldSelectsHostAndPort) {
    struct Case {
        const char* field;
        const char* host;
        int port;
    };
    // clang-format off
    const Case cases[] = {
        {"whois.verisign-grs.com", "whois.verisign-grs.com", 43}, {"whois.example:4343", "whois.example", 4343},
        {"127.0.0.1:1", "127.0.0.1", 1}, {"127.0.0.1:65535", "127.0.0.1", 65535},
        {"127.0.0.1:65536", "127.0.0.1:65536", 43}, {"127.0.0.1:0", "127.0.0.1:0", 43}, {"host:", "host:", 43},
        {"host:4x", "host:4x", 43}, {"host:-1", "host:-1", 43}, {"host:0000043", "host:0000043", 43}, {"", "", 43},
        {"whois.example:99999999999", "whois.example:99999999999", 43},
        {"[2001:db8::1]:43", "2001:db8::1", 43}, {"[2001:db8::1]:4343", "2001:db8::1", 4343},
        {"[2001:db8::1]", "2001:db8::1", 43}, {"2001:db8::1", "2001:db8::1", 43}, {"::1", "::1", 43},
        {"2001:db8::4343", "2001:db8::4343", 43}, {"[::1]:0", "[::1]:0", 43}, {"[::1]x", "[::1]x", 43},
    };
    // clang-format on
    TNetWhois whois;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        whois.SetServer("previous:99");
        whois.SetServer(c.field);
        EXPECT_EQ(whois.Host(), c.host);
        EXPECT_EQ(whois.Port(), c.port);
    }
}

// Each wait is limited by ReadTimeout and the whole exchange by ExchangeTimeout: a reply dripping in
// with gaps below the read wait succeeds although it takes longer than one wait, and fails once it
// takes longer than the whole limit. The peer is scripted on the connection's own clock, so a slow
// machine cannot stretch a gap.
TEST(TNetWhois, ReadWaitAndWholeExchangeAreLimitedSeparately) {
    struct Case {
        const char* name;
        int readTimeoutMs;
        int exchangeTimeoutMs;
        bool succeeds;
    };
    const Case cases[] = {
        {"gaps below the read wait, total above it", 400, 0, true},
        {"the whole limit is not reached", 400, 5000, true},
        {"the whole limit passes while bytes still trickle in", 400, 350, false},
        {"a gap above the read wait", 50, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // 8 pieces 100 ms apart: 700 ms in all.
        ScriptedSocketApi drip;
        drip.incoming.push_back(ScriptedSocketApi::data("x"));
        for (int piece = 1; piece < 8; ++piece) {
            drip.incoming.push_back(ScriptedSocketApi::pause(100));
            drip.incoming.push_back(ScriptedSocketApi::data("x"));
        }
        TNetWhois whois;
        whois.SetSocketApi(drip);
        whois.SetServer("127.0.0.1:43");
        whois.SetReadTimeout(c.readTimeoutMs);
        whois.SetExchangeTimeout(c.exchangeTimeoutMs);
        try {
            EXPECT_EQ(whois.Lookup("abc.com"), "xxxxxxxx");
            EXPECT_TRUE(c.succeeds);
        } catch (const ENetReadTimeout& error) {
            EXPECT_FALSE(c.succeeds);
            EXPECT_STREQ(error.what(), "Read Timeout");
        }
        EXPECT_EQ(whois.State(), TNetConnectionState::Idle);
    }
}

TEST(TNetWhois, DefaultsAreTheExchangeLimits) {
    const TNetWhois whois;
    EXPECT_EQ(whois.Port(), 43);
    EXPECT_FALSE(whois.Host().empty());
    EXPECT_EQ(whois.ReadTimeout(), 6000);
    EXPECT_EQ(whois.ConnectTimeout(), 10000);
    EXPECT_EQ(whois.ExchangeTimeout(), 60000);
    EXPECT_EQ(whois.ReceiveAllLimit(), 4U * 1024 * 1024);
}

TEST(TNetWhois, CancelFromAnotherThreadEndsABlockedExchange) {
    std::promise<void> queryRead;
    std::atomic<bool> signalled{false};
    FakeWhoisServer server([&](FakeWhoisConnection& connection) {
        connection.readQuery();
        if (!signalled.exchange(true)) {
            queryRead.set_value();
            connection.waitForClientClose();
        } else {
            connection.send("second");
        }
    });
    TNetWhois whois;
    whois.SetServer(server.hostField());
    whois.SetReadTimeout(0); // no limit: only the cancel can end the wait
    std::thread canceller([&] {
        queryRead.get_future().wait();
        whois.Cancel();
    });
    EXPECT_THROW(whois.Lookup("abc.com"), ENetOperationCancelled);
    canceller.join();
    EXPECT_EQ(whois.State(), TNetConnectionState::Idle);
    whois.ClearCancel();
    EXPECT_EQ(whois.Lookup("abc.com"), "second");
}

TEST(TNetWhois, ExchangesFromTwoThreadsDoNotMix) {
    FakeWhoisServer server(
        FakeWhoisServer::answer([](std::string_view query) { return "reply to " + std::string(query); }));
    TNetWhois whois;
    whois.SetServer(server.hostField());
    whois.SetReadTimeout(kAnsweredReadTimeoutMs);
    constexpr int kRounds = 20;
    auto ask = [&](const std::string& prefix) {
        for (int i = 0; i < kRounds; ++i) {
            const std::string query = prefix + std::to_string(i);
            EXPECT_EQ(whois.Lookup(query), "reply to " + query);
        }
    };
    std::thread other(ask, "b");
    ask("a");
    other.join();
    server.stop(); // the server counts a connection after closing it
    EXPECT_EQ(server.connectionCount(), 2 * kRounds);
}

// Server fields naming an address reach it without a lookup; a host name is looked up once per
// client, and of its addresses (here ::1 first, where nothing listens, then 127.0.0.1) the first
// that takes the connection serves.
TEST(TNetWhois, HostsAreLookedUpOncePerClientAndEveryAddressIsTried) {
    test::FakeDnsServer dns(test::FakeDnsServer::Entry{test::FakeDnsServer::Reply::Loopback, {}});
    const HostResolver resolver({"127.0.0.1", dns.port(), kAnsweredLookupLimit, 1});
    FakeWhoisServer v4(FakeWhoisServer::reply("four"));
    std::unique_ptr<FakeWhoisServer> v6;
    try {
        v6 = std::make_unique<FakeWhoisServer>(FakeWhoisServer::reply("six"), FakeWhoisServer::Loopback::IPv6);
    } catch (const std::runtime_error& error) {
        std::cerr << "IPv6 cases skipped: ::1 is not available (" << error.what() << ")\n";
    }
    struct Case {
        std::string field;
        const char* reply;
        int questions; // of the fake DNS server, after three exchanges
    };
    std::vector<Case> cases = {
        {v4.hostField(), "four", 0},
        {"localhost:" + std::to_string(v4.port()), "four", 0},
        {"whois.test:" + std::to_string(v4.port()), "four", 2}, // one A and one AAAA question
    };
    if (v6) {
        const std::string port = std::to_string(v6->port());
        cases.push_back({"[::1]:" + port, "six", 0});
        cases.push_back({"[0:0::1]:" + port, "six", 0});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        const int before = dns.questionCount();
        TNetWhois whois;
        whois.SetHostResolver(&resolver);
        whois.SetServer(c.field);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(whois.Lookup("abc.com"), c.reply);
        }
        EXPECT_EQ(dns.questionCount() - before, c.questions);
    }
}

// A lookup that fails is the exchange's failure and is made again by the next exchange.
TEST(TNetWhois, FailedLookupIsRaisedAndAskedAgain) {
    test::FakeDnsServer dns;
    const HostResolver resolver({"127.0.0.1", dns.port(), kAnsweredLookupLimit, 1});
    TNetWhois whois;
    whois.SetHostResolver(&resolver);
    whois.SetServer("no-such-host.test");
    for (int i = 0; i < 2; ++i) {
        try {
            whois.Lookup("abc.com");
            ADD_FAILURE() << "no exception";
        } catch (const ENetSocketError& error) {
            EXPECT_EQ(error.errorCode(), 11001);
        }
    }
    EXPECT_EQ(dns.timesAsked("no-such-host.test"), 4); // A and AAAA, twice
}

// A resolver that never answers holds the lookup until Cancel (shutdown, a second Ctrl-C) or
// CancelLookup (Stop) ends it; neither waits for the resolver's own time limit.
TEST(TNetWhois, CancelEndsALookupOnASilentResolver) {
    const std::vector<std::pair<const char*, void (TNetWhois::*)()>> cases = {
        {"Cancel", &TNetWhois::Cancel},
        {"CancelLookup", &TNetWhois::CancelLookup},
    };
    for (const auto& [name, cancel] : cases) {
        SCOPED_TRACE(name);
        test::FakeDnsServer dns(test::FakeDnsServer::Entry{test::FakeDnsServer::Reply::Silent, {}});
        const HostResolver resolver({"127.0.0.1", dns.port(), std::chrono::milliseconds(600000), 1});
        TNetWhois whois;
        whois.SetHostResolver(&resolver);
        whois.SetServer("whois.test");
        std::thread canceller([&, cancel = cancel] {
            while (dns.questionCount() == 0) {
                std::this_thread::sleep_for(5ms);
            }
            (whois.*cancel)();
        });
        EXPECT_THROW(whois.Lookup("abc.com"), ENetOperationCancelled);
        canceller.join();
    }
}

} // namespace
} // namespace cvt
