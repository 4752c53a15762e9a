#pragma once

// A scripted HTTP server for tests: it listens on 127.0.0.1 on a port the system chooses and runs
// a script for every connection it accepts, each connection on a thread of its own. The first
// connection gets the first script, the second the second, and so on; connections beyond the
// scripts are closed at once. Every wait ends when the server stops, so no test can hang on it.
//
//     FakeHttpServer server({FakeHttpServer::respond("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nhi")});
//     client.Get(server.url("/x"));                 // -> "hi"
//     server.requests();                            // -> {"GET /x HTTP/1.1\r\n...\r\n\r\n"}

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace cvt::test {

class FakeHttpServer;

// One accepted connection as its script sees it. Calls return early once the server stops or the
// client has gone; failures to send are ignored (the client may close on purpose).
class FakeHttpConnection {
public:
    FakeHttpConnection(FakeHttpServer& server, int fd, int stopFd) : m_server(server), m_fd(fd), m_stopFd(stopFd) {}
    ~FakeHttpConnection();
    FakeHttpConnection(const FakeHttpConnection&) = delete;
    FakeHttpConnection& operator=(const FakeHttpConnection&) = delete;

    // Reads one request head: the bytes up to and including the empty line. The server records
    // it. Empty when the client closed first.
    std::string readRequest();
    void send(std::string_view bytes);
    // Stays open and silent until the client closes the connection (or the server stops).
    void waitForClientClose();
    // Closes the connection gracefully.
    void close();

    bool isOpen() const { return m_fd >= 0; }

private:
    bool waitReadable();

    FakeHttpServer& m_server;
    int m_fd;
    int m_stopFd;
    std::string m_pending;
};

using FakeHttpScript = std::function<void(FakeHttpConnection&)>;

class FakeHttpServer {
public:
    // Starts listening and serving at once. Throws std::runtime_error when it cannot listen.
    explicit FakeHttpServer(std::vector<FakeHttpScript> scripts);
    ~FakeHttpServer();
    FakeHttpServer(const FakeHttpServer&) = delete;
    FakeHttpServer& operator=(const FakeHttpServer&) = delete;

    std::uint16_t port() const { return m_port; }
    // "http://127.0.0.1:<port>" followed by the path.
    std::string url(std::string_view path = "/") const;
    // Every request head read so far, in the order read.
    std::vector<std::string> requests() const;
    int connectionCount() const;
    // Waits until `count` requests have been read; false if the server stops first. A guard of
    // 30 s keeps a broken test from hanging.
    bool waitForRequests(std::size_t count) const;
    // Waits until the scripts of `count` connections have ended and their sockets are closed.
    bool waitForEndedConnections(int count) const;
    // Ends every wait of the scripts under way and stops accepting; joins the threads.
    void stop();

    // Ready-made scripts; each reads one request first.
    // Sends the response, then stays open until the client closes.
    static FakeHttpScript respond(std::string response);
    // Sends the response and closes.
    static FakeHttpScript respondAndClose(std::string response);
    // Answers one request after another on the same connection, then stays open.
    static FakeHttpScript respondEach(std::vector<std::string> responses);
    // Reads the request and closes without sending a byte.
    static FakeHttpScript closeWithoutReply();
    // Reads the request and stays silent until the client goes away.
    static FakeHttpScript silent();

private:
    friend class FakeHttpConnection;
    void serve();
    void record(std::string request);

    std::vector<FakeHttpScript> m_scripts;
    int m_listenFd = -1;
    int m_stopFd = -1;
    std::uint16_t m_port = 0;
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    bool m_stopping = false;
    int m_endedConnections = 0;
    int m_connections = 0;
    std::vector<std::string> m_requests;
    std::vector<std::thread> m_connectionThreads;
    std::thread m_acceptThread;
};

} // namespace cvt::test
