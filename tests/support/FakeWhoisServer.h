#pragma once

// A scripted WHOIS server for tests: it listens on 127.0.0.1 on a port the system chooses and
// serves the connections it accepts one after another on its own thread, each with the same
// script. Everything it does ends when the server is stopped or destroyed, so no test can hang on
// it.
//
//     cvt::test::FakeWhoisServer server(cvt::test::FakeWhoisServer::reply("No match for X.\r\n"));
//     whois.SetServer(server.hostField());          // "127.0.0.1:<port>"
//     whois.Lookup("x.com");                        // -> "No match for X.\r\n"
//     server.queries();                             // -> {"x.com\r\n"}

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace cvt::test {

// One accepted connection, as the script sees it. Every call returns early once the server stops
// or the client has gone; failures to send are ignored (the client may have closed on purpose).
class FakeWhoisConnection {
public:
    FakeWhoisConnection(int fd, int stopFd) : m_fd(fd), m_stopFd(stopFd) {}

    // Reads the query line: the bytes up to and including the first CR LF (or all bytes until
    // the client closes its side). The server records them as this connection's query.
    std::string readQuery();
    void send(std::string_view bytes);
    void pause(std::chrono::milliseconds duration);
    // Stays open and silent until the client closes the connection (or the server stops).
    void waitForClientClose();
    // Sends chunk after chunk until the client goes away (or the server stops).
    void sendEndlessly(std::string_view chunk);
    // Closes with SO_LINGER 0: the client sees a connection reset.
    void reset();
    // Closes gracefully (what happens anyway when the script returns).
    void close();

    bool isOpen() const { return m_fd >= 0; }
    const std::string& query() const { return m_query; }

private:
    // Waits until the socket is ready for events or the server stops: false when stopping or
    // the time passed.
    bool waitFor(short events, int timeoutMs);

    int m_fd;
    int m_stopFd;
    std::string m_query;
};

using FakeWhoisScript = std::function<void(FakeWhoisConnection&)>;

class FakeWhoisServer {
public:
    enum class Loopback { IPv4, IPv6 };
    // Starts listening (on 127.0.0.1, or ::1) and serving at once. Throws std::runtime_error when
    // it cannot listen.
    explicit FakeWhoisServer(FakeWhoisScript script, Loopback where = Loopback::IPv4);
    ~FakeWhoisServer();
    FakeWhoisServer(const FakeWhoisServer&) = delete;
    FakeWhoisServer& operator=(const FakeWhoisServer&) = delete;

    std::uint16_t port() const { return m_port; }
    // "127.0.0.1:<port>" (or "[::1]:<port>"), the form of a server-table field.
    std::string hostField() const;
    // The query bytes of every connection served so far, in order.
    std::vector<std::string> queries() const;
    int connectionCount() const;
    // Ends every wait of the script under way and stops accepting; joins the thread.
    void stop();

    // Ready-made scripts; each reads the query first.
    // Sends the bytes and closes.
    static FakeWhoisScript reply(std::string bytes);
    // Sends the pieces with a pause between them, then closes.
    static FakeWhoisScript replyInPieces(std::vector<std::string> pieces, std::chrono::milliseconds gap);
    // Sends the bytes, then stays open and silent.
    static FakeWhoisScript replyThenSilent(std::string bytes);
    // Sends the bytes, then resets the connection.
    static FakeWhoisScript replyThenReset(std::string bytes);
    // Sends the chunk without end.
    static FakeWhoisScript endless(std::string chunk);
    // Sends what the function makes of the query (without its CR LF), then closes.
    static FakeWhoisScript answer(std::function<std::string(std::string_view query)> makeReply);

private:
    void serve();

    FakeWhoisScript m_script;
    bool m_ipv6 = false;
    int m_listenFd = -1;
    int m_stopFd = -1;
    std::uint16_t m_port = 0;
    mutable std::mutex m_mutex;
    std::vector<std::string> m_queries;
    std::thread m_thread;
};

// A port on 127.0.0.1 where nothing listens: a connect there is refused.
std::uint16_t closedLoopbackPort();

} // namespace cvt::test
