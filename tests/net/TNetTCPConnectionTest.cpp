// The connection's readers, writers, close checks and states over a scripted peer: every byte
// stream, interruption and failure comes from ScriptedSocketApi, so nothing here waits.
#include "net/socket/NetExceptions.h"
#include "net/socket/TNetTCPClient.h"
#include "tests/support/ScriptedSocketApi.h"

#include <algorithm>
#include <cerrno>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace cvt {
namespace {

using Event = ScriptedSocketApi::Event;

// A client connected to the scripted peer.
struct Connected {
    ScriptedSocketApi api;
    TNetTCPClient client;

    explicit Connected(std::vector<Event> events = {}) {
        api.incoming.assign(events.begin(), events.end());
        client.SetSocketApi(api);
        client.SetHost("127.0.0.1");
        client.SetPort(43);
        client.SetReadTimeout(200);
        client.OpenConnection();
    }
};

enum class Outcome { Lines, MaxLineLength, ClosedGracefully, ReadTimeout, SocketError };

TEST(TNetTCPConnection, ReceiveLineSplitsAtTheTerminator) {
    struct Case {
        const char* name;
        std::vector<Event> events;
        std::string terminator;
        int maxLength;
        Outcome outcome;
        std::vector<std::string> lines; // also the number of lines asked for (at least one)
        std::string leftInBuffer;
        TNetMaxLineAction action = TNetMaxLineAction::maException;
    };
    const auto d = ScriptedSocketApi::data;
    const auto lines = Outcome::Lines;
    const std::string binary("\xA1\xEE\0z", 4);
    // clang-format off
    const std::vector<Case> cases = {
        {"crlf and bare lf", {d("one\r\ntwo\nthree\r\n")}, "\n", -1, lines, {"one", "two", "three"}, ""},
        {"line across receives", {d("ab"), d("c\r"), d("\nrest")}, "\n", -1, lines, {"abc"}, "rest"},
        {"empty terminator means lf", {d("x\r\ny")}, "", -1, lines, {"x"}, "y"},
        {"cr kept for other terminators", {d("a\r|b")}, "|", -1, lines, {"a\r"}, "b"},
        {"two-byte terminator across receives", {d("ab\r"), d("\ncd")}, "\r\n", -1, lines, {"ab"}, "cd"},
        {"lone cr inside a crlf line", {d("a\rb\r\n")}, "\r\n", -1, lines, {"a\rb"}, ""},
        {"bytes above 127 and nul kept", {d(binary + "\n")}, "\n", -1, lines, {binary}, ""},
        {"unterminated piece then close gives empty line", {d("piece"), ScriptedSocketApi::peerClose()}, "\n", -1,
         lines, {""}, "piece"},
        {"close with nothing buffered", {ScriptedSocketApi::peerClose()}, "\n", -1, Outcome::ClosedGracefully, {}, ""},
        {"line of exactly max length", {d("12345\n")}, "\n", 5, lines, {"12345"}, ""},
        {"found line longer than max", {d("123456\n")}, "\n", 5, Outcome::MaxLineLength, {}, ""},
        {"unterminated bytes beyond max", {d("123456")}, "\n", 5, Outcome::MaxLineLength, {}, ""},
        {"split long line", {d("123456789\n")}, "\n", 4, lines, {"1234", "5678", "9"}, "", TNetMaxLineAction::maSplit},
        {"max 0 means no limit", {d(std::string(40000, 'x') + "\n")}, "\n", 0, lines, {std::string(40000, 'x')}, ""},
        {"interrupted wait and receive are retried",
         {ScriptedSocketApi::waitInterrupt(), ScriptedSocketApi::recvInterrupt(), d("ok\n")}, "\n", -1, lines, {"ok"},
         ""},
        {"abort with an unterminated piece ends like a close", {d("par"), ScriptedSocketApi::recvError(ECONNABORTED)},
         "\n", -1, lines, {""}, "par"},
        {"silence", {ScriptedSocketApi::waitTimeout()}, "\n", -1, Outcome::ReadTimeout, {}, ""},
        {"reset", {d("par"), ScriptedSocketApi::recvError(ECONNRESET)}, "\n", -1, Outcome::SocketError, {}, ""},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Connected peer(c.events);
        peer.client.SetMaxLineAction(c.action);
        std::vector<std::string> received;
        Outcome outcome = Outcome::Lines;
        try {
            for (std::size_t i = 0; i < std::max<std::size_t>(1, c.lines.size()); ++i) {
                received.push_back(peer.client.ReceiveLine(c.terminator, -1, c.maxLength));
            }
        } catch (const ENetReadLnMaxLineLengthExceeded&) {
            outcome = Outcome::MaxLineLength;
        } catch (const ENetConnClosedGracefully&) {
            outcome = Outcome::ClosedGracefully;
        } catch (const ENetReadTimeout&) {
            outcome = Outcome::ReadTimeout;
        } catch (const ENetSocketError&) {
            outcome = Outcome::SocketError;
        }
        EXPECT_EQ(outcome, c.outcome);
        if (c.outcome == Outcome::Lines) {
            EXPECT_EQ(received, c.lines);
            EXPECT_EQ(peer.client.InputBuffer(), c.leftInBuffer);
        }
    }
}

TEST(TNetTCPConnection, ReceiveCountTakesExactlyNBytesInBlocks) {
    struct Case {
        const char* name;
        std::vector<Event> events;
        int recvBufferSize;
        std::int64_t n;
        bool closesEarly;
        std::string stream;
        std::string leftInBuffer;
    };
    const auto d = ScriptedSocketApi::data;
    const auto close = ScriptedSocketApi::peerClose();
    const std::vector<Case> cases = {
        {"from one receive", {d("hello world")}, 32768, 5, false, "hello", " world"},
        {"across many receives", {d("he"), d("l"), d("lo!")}, 32768, 5, false, "hello", "!"},
        {"larger than the receive block", {d("abcdefghij")}, 4, 10, false, "abcdefghij", ""},
        {"zero bytes", {d("abc")}, 32768, 0, false, "", ""},
        {"peer closes inside the second block", {d("abcdef"), close}, 4, 10, true, "abcd", "ef"},
        {"peer closes before any byte", {close}, 32768, 3, true, "", ""},
        {"bytes that arrived with the close are kept", {d("abc"), close}, 32768, 3, false, "abc", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Connected peer(c.events);
        peer.client.SetRecvBufferSize(c.recvBufferSize);
        std::string stream;
        bool closedEarly = false;
        try {
            peer.client.ReceiveCount(stream, c.n);
        } catch (const ENetConnClosedGracefully&) {
            closedEarly = true;
        }
        EXPECT_EQ(closedEarly, c.closesEarly);
        EXPECT_EQ(stream, c.stream);
        EXPECT_EQ(peer.client.InputBuffer(), c.leftInBuffer);
    }
}

TEST(TNetTCPConnection, ReceiveCountOnAnAlreadyClosedConnectionFailsInsteadOfComingBackShort) {
    Connected peer({ScriptedSocketApi::data("ab"), ScriptedSocketApi::peerClose()});
    peer.client.PollClosed();
    peer.client.PollClosed();
    ASSERT_EQ(peer.client.State(), TNetConnectionState::Closed);
    std::string stream;
    EXPECT_THROW(peer.client.ReceiveCount(stream, 5), ENetConnClosedGracefully);
    EXPECT_EQ(stream, "ab");
    peer.client.CloseConnection();
    EXPECT_THROW(peer.client.ReceiveCount(stream, 1), ENetNotConnected);
}

TEST(TNetTCPConnection, ReceiveToCloseAndReceiveAllReadUntilThePeerCloses) {
    const auto d = ScriptedSocketApi::data;
    struct Case {
        const char* name;
        std::vector<Event> events;
        bool fails;
        std::string bytes;
    };
    // clang-format off
    const std::vector<Case> cases = {
        {"pieces", {d("a\r\n"), d("b\n"), d("\xFF")}, false, "a\r\nb\n\xFF"},
        {"nothing", {}, false, ""},
        {"interruptions retried", {ScriptedSocketApi::waitInterrupt(), d("x"), ScriptedSocketApi::recvInterrupt()},
         false, "x"},
        {"abort after data", {d("lost"), ScriptedSocketApi::recvError(ECONNABORTED)}, true, ""},
        {"abort with nothing buffered", {ScriptedSocketApi::recvError(ECONNABORTED)}, true, ""},
        {"reset", {d("lost"), ScriptedSocketApi::recvError(ECONNRESET)}, true, ""},
        {"silence after data", {d("lost"), ScriptedSocketApi::waitTimeout()}, true, ""},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const bool toClose : {true, false}) {
            Connected peer(c.events);
            std::string bytes;
            bool failed = false;
            try {
                if (toClose) {
                    peer.client.ReceiveToClose(bytes);
                } else {
                    bytes = peer.client.ReceiveAll();
                }
            } catch (const ENetException&) {
                failed = true;
            }
            EXPECT_EQ(failed, c.fails);
            if (!c.fails) {
                EXPECT_EQ(bytes, c.bytes);
                EXPECT_EQ(peer.client.State(), TNetConnectionState::Closed);
            }
        }
    }
}

TEST(TNetTCPConnection, ReceiveAllStopsBeyondItsLimit) {
    Connected peer({ScriptedSocketApi::data(std::string(100, 'x'))});
    peer.client.SetRecvBufferSize(16);
    peer.client.SetReceiveAllLimit(50);
    EXPECT_THROW(peer.client.ReceiveAll(), ENetReplyTooLarge);
    EXPECT_EQ(peer.client.State(), TNetConnectionState::Closed);
    EXPECT_EQ(peer.api.openSockets, 0);
}

TEST(TNetTCPConnection, SendHandsOverEveryByteOrRaisesAndClosesOnResetAbortAndShutdown) {
    struct Case {
        const char* name;
        std::size_t sendLimit;
        std::vector<int> sendErrors;
        int expectedCalls; // on success
        int code;          // 0: success
        TNetConnectionState after;
    };
    const auto open = TNetConnectionState::Open;
    const auto closed = TNetConnectionState::Closed;
    const std::vector<Case> cases = {
        {"one call", 0, {}, 1, 0, open},
        {"short writes", 4, {}, 3, 0, open},
        {"interrupted then whole", 0, {EINTR, EINTR}, 3, 0, open},
        {"would block then whole", 0, {EAGAIN}, 2, 0, open},
        {"reset", 0, {ECONNRESET}, 0, 10054, closed},
        {"abort", 0, {ECONNABORTED}, 0, 10053, closed},
        {"shut down", 0, {EPIPE}, 0, 10058, closed},
        {"no buffer space", 0, {ENOBUFS}, 0, 10055, open},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Connected peer;
        peer.api.sendLimit = c.sendLimit;
        peer.api.sendErrors.assign(c.sendErrors.begin(), c.sendErrors.end());
        int code = 0;
        try {
            peer.client.SendLine("abc.com");
        } catch (const ENetSocketError& error) {
            code = error.errorCode();
        }
        EXPECT_EQ(code, c.code);
        if (c.code == 0) {
            EXPECT_EQ(peer.api.sent, "abc.com\r\n");
            EXPECT_EQ(peer.api.sendCalls, c.expectedCalls);
        }
        EXPECT_EQ(peer.client.State(), c.after);
    }
}

TEST(TNetTCPConnection, SendBufferCollectsUntilClosedOrThreshold) {
    Connected peer;
    peer.client.OpenSendBuffer();
    peer.client.SendBytes("GET / HTTP/1.1\r\n");
    peer.client.SendBytes("Host: a\r\n");
    peer.client.SendBytes("");
    EXPECT_EQ(peer.api.sendCalls, 0);
    peer.client.SendBytes("now", true);
    EXPECT_EQ(peer.api.sent, "now");
    peer.client.SendBytes("\r\n");
    peer.client.CloseSendBuffer();
    EXPECT_FALSE(peer.client.SendBufferOpen());
    EXPECT_EQ(peer.api.sent, "nowGET / HTTP/1.1\r\nHost: a\r\n\r\n");
    EXPECT_EQ(peer.api.sendCalls, 2);

    Connected withThreshold;
    withThreshold.client.OpenSendBuffer(5);
    withThreshold.client.SendBytes("abc");
    EXPECT_EQ(withThreshold.api.sent, "");
    withThreshold.client.SendBytes("defg");
    EXPECT_EQ(withThreshold.api.sent, "abcdefg");
    withThreshold.client.SendBytes("h");
    withThreshold.client.CancelSendBuffer();
    withThreshold.client.SendBytes("i");
    EXPECT_EQ(withThreshold.api.sent, "abcdefgi");
}

TEST(TNetTCPConnection, StatesFollowOpenPeerCloseCloseCheckAndCloseConnection) {
    Connected peer({ScriptedSocketApi::data("tail"), ScriptedSocketApi::peerClose()});
    EXPECT_EQ(peer.client.State(), TNetConnectionState::Open);
    peer.client.SetRecvBufferSize(4);
    EXPECT_EQ(peer.client.ReceiveStep(false, -1, true), 4);
    // The close is seen by the next step; the socket is closed by its close check, data stays.
    peer.client.PollClosed();
    EXPECT_EQ(peer.client.State(), TNetConnectionState::Closed);
    EXPECT_EQ(peer.client.InputBuffer(), "tail");
    EXPECT_FALSE(peer.client.IsConnected());
    // Sending on a closed connection: the close check raises even with data waiting.
    EXPECT_THROW(peer.client.SendBytes("x"), ENetConnClosedGracefully);
    peer.client.CloseConnection();
    EXPECT_EQ(peer.client.State(), TNetConnectionState::Idle);
    EXPECT_NO_THROW(peer.client.CloseConnection());
    EXPECT_THROW(peer.client.SendBytes("x"), ENetNotConnected);
    EXPECT_THROW(peer.client.ReceiveLine(), ENetNotConnected);
    EXPECT_EQ(peer.api.openSockets, 0);
}

TEST(TNetTCPConnection, OpenWhileOpenRaisesAndLeavesTheConnectionAsItWas) {
    Connected peer({ScriptedSocketApi::data("still here\n")});
    try {
        peer.client.OpenConnection();
        ADD_FAILURE() << "no exception";
    } catch (const ENetAlreadyConnected& error) {
        EXPECT_STREQ(error.what(), "Already connected.");
    }
    EXPECT_EQ(peer.client.State(), TNetConnectionState::Open);
    EXPECT_EQ(peer.client.ReceiveLine(), "still here");
    EXPECT_EQ(peer.api.openSockets, 1);
}

TEST(TNetTCPConnection, FailedOpenClosesTheSocketAndKeepsTheHandler) {
    struct Case {
        const char* name;
        int socketErrno;
        int connectErrno;
        bool connectHangs;
        int lookupResult;
        const char* host;
        int port;
        const char* message;
    };
    // clang-format off
    const Case cases[] = {
        {"refused", 0, ECONNREFUSED, false, 0, "127.0.0.1", 43, "Socket Error # 10061\r\nConnection refused."},
        {"unreachable", 0, ENETUNREACH, false, 0, "127.0.0.1", 43, "Socket Error # 10051\r\nNetwork is unreachable."},
        {"connect limit", 0, 0, true, 0, "127.0.0.1", 43, "Socket Error # 10060\r\nConnection timed out."},
        {"unknown host", 0, 0, false, EAI_NONAME, "no.such.host", 43, "Socket Error # 11001\r\nHost not found."},
        {"port out of range", 0, 0, false, 0, "127.0.0.1", 65536 + 43, "Socket Error # 10022\r\nInvalid argument."},
        {"no socket", EMFILE, 0, false, 0, "127.0.0.1", 43, "Cannot allocate socket."},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedSocketApi api;
        api.socketErrno = c.socketErrno;
        api.connectErrno = c.connectErrno;
        api.connectHangs = c.connectHangs;
        api.lookupResult = c.lookupResult;
        TNetTCPClient client;
        client.SetSocketApi(api);
        client.SetHost(c.host);
        client.SetPort(c.port);
        client.SetConnectTimeout(10000);
        try {
            client.OpenConnection();
            ADD_FAILURE() << "no exception";
        } catch (const ENetException& error) {
            EXPECT_STREQ(error.what(), c.message);
        }
        EXPECT_EQ(client.State(), TNetConnectionState::Closed);
        EXPECT_EQ(api.openSockets, 0);
        // Connects to the ported address (the connect limit case retries and fails again).
        api = ScriptedSocketApi();
        client.SetPort(43);
        EXPECT_NO_THROW(client.OpenConnection());
        EXPECT_EQ(client.State(), TNetConnectionState::Open);
        client.CloseConnection();
        EXPECT_EQ(client.State(), TNetConnectionState::Idle);
    }
}

TEST(TNetTCPConnection, ConnectsToTheResolvedAddressAndPort) {
    ScriptedSocketApi api;
    api.lookupAddress = 0xC0000207; // 192.0.2.7
    TNetTCPClient client;
    client.SetSocketApi(api);
    client.SetHost("whois.example");
    client.SetPort(4343);
    client.OpenConnection();
    ASSERT_EQ(api.connectedTo.size(), 1U);
    EXPECT_EQ(api.connectedTo.front(), "192.0.2.7:4343");
    EXPECT_EQ(client.IOHandler()->Socket().peerAddress, "192.0.2.7");
    EXPECT_EQ(client.IOHandler()->Socket().peerPort, 4343);
}

TEST(TNetTCPConnection, ASCIIFilterMasksReceivedBytes) {
    Connected peer({ScriptedSocketApi::data("\xC1\xE2\n")});
    peer.client.SetASCIIFilter(true);
    EXPECT_EQ(peer.client.ReceiveLine(), "Ab");
}

TEST(TNetTCPConnection, CancelBeforeAWaitEndsItAndTheConnectionCanOpenAgain) {
    Connected peer({ScriptedSocketApi::data("x")});
    peer.client.Cancel();
    EXPECT_THROW(peer.client.ReceiveLine(), ENetOperationCancelled);
    EXPECT_EQ(peer.client.State(), TNetConnectionState::Closed);
    EXPECT_THROW(peer.client.OpenConnection(), ENetOperationCancelled);
    peer.client.ClearCancel();
    peer.client.CloseConnection();
    peer.client.OpenConnection();
    EXPECT_EQ(peer.client.State(), TNetConnectionState::Open);
}

} // namespace
} // namespace cvt
