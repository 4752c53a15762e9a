#pragma once

// A TLS front for the fake servers: it listens on 127.0.0.1, makes the TLS handshake with the
// certificate and key given, and relays the plain bytes to and from a backend port on 127.0.0.1
// (a FakeHttpServer, whose scripts then answer over TLS). A failed handshake just closes the
// connection. Every wait ends when the server stops, so no test can hang on it.
//
//     FakeHttpServer backend({FakeHttpServer::respond(...)});
//     FakeTlsServer tls(leaf.certFile, leaf.keyFile, backend.port());
//     client.Get(tls.url("/x"));      // https://localhost:<port>/x

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace cvt::test {

class FakeTlsServer {
public:
    // Throws std::runtime_error when the certificate cannot be loaded or the port not opened.
    FakeTlsServer(const std::string& certFile, const std::string& keyFile, std::uint16_t backendPort);
    ~FakeTlsServer();
    FakeTlsServer(const FakeTlsServer&) = delete;
    FakeTlsServer& operator=(const FakeTlsServer&) = delete;

    std::uint16_t port() const { return m_port; }
    // "https://localhost:<port>" followed by the path.
    std::string url(std::string_view path = "/") const;
    // Whether the end of the backend's reply is passed on with a close_notify (the default) or
    // by closing the connection bare, as a cut would.
    void setCloseNotify(bool on) { m_closeNotify = on; }
    // Handshakes completed so far.
    int handshakes() const { return m_handshakes.load(); }
    void stop();

private:
    void serve();
    void relay(int clientFd);

    void* m_context = nullptr; // SSL_CTX
    std::uint16_t m_backendPort;
    int m_listenFd = -1;
    int m_stopFd = -1;
    std::uint16_t m_port = 0;
    std::atomic<int> m_handshakes{0};
    std::atomic<bool> m_closeNotify{true};
    std::mutex m_mutex;
    bool m_stopped = false;
    std::vector<std::thread> m_threads;
    std::thread m_acceptThread;
};

} // namespace cvt::test
