// Sequential WHOIS exchanges per second against a loopback server that answers at once with about
// 2 KB and closes, through TNetWhois and through a bare blocking-socket loop doing the same
// exchange. The two run side by side so their ratio can be read from one run (goal: the client
// reaches at least 90% of the bare loop).
#include "bench/LoopbackListener.h"
#include "net/whois/TNetWhois.h"

#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <cerrno>
#include <cstdint>
#include <netinet/in.h>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr std::size_t kReplyBytes = 2048;

// Accepts one connection after another; reads the query line, sends the reply, closes.
class LoopbackWhoisServer {
public:
    LoopbackWhoisServer() : m_reply(makeReply()) {
        m_listenFd = cvt::bench::listenOnLoopback(128, m_port, "loopback WHOIS server");
        m_thread = std::thread([this] { serve(); });
    }

    ~LoopbackWhoisServer() {
        // Wakes the blocked accept().
        ::shutdown(m_listenFd, SHUT_RDWR);
        m_thread.join();
        ::close(m_listenFd);
    }

    std::uint16_t port() const { return m_port; }

private:
    static std::string makeReply() {
        std::string reply;
        while (reply.size() < kReplyBytes) {
            reply += "   Domain Name: EXAMPLE.COM\r\n   Registrar: Example Registrar, Inc.\r\n";
        }
        reply.resize(kReplyBytes);
        return reply;
    }

    void serve() {
        for (;;) {
            const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) {
                if (errno == EINTR || errno == ECONNABORTED) {
                    continue;
                }
                return;
            }
            std::string query;
            char buffer[512];
            while (query.find("\r\n") == std::string::npos) {
                const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
                if (got <= 0) {
                    break;
                }
                query.append(buffer, static_cast<std::size_t>(got));
            }
            std::size_t sent = 0;
            while (sent < m_reply.size()) {
                const ssize_t n = ::send(fd, m_reply.data() + sent, m_reply.size() - sent, MSG_NOSIGNAL);
                if (n <= 0) {
                    break;
                }
                sent += static_cast<std::size_t>(n);
            }
            ::close(fd);
        }
    }

    std::string m_reply;
    int m_listenFd = -1;
    std::uint16_t m_port = 0;
    std::thread m_thread;
};

LoopbackWhoisServer& server() {
    static LoopbackWhoisServer instance;
    return instance;
}

void BM_WhoisLookup(benchmark::State& state) {
    cvt::TNetWhois whois;
    whois.SetServer("127.0.0.1:" + std::to_string(server().port()));
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string reply = whois.Lookup("example.com");
        bytes += reply.size();
        benchmark::DoNotOptimize(reply.data());
    }
    if (bytes != state.iterations() * kReplyBytes) {
        state.SkipWithError("short reply");
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_BareSocketExchange(benchmark::State& state) {
    const std::uint16_t port = server().port();
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string reply = cvt::bench::bareWhoisExchange(port, "example.com");
        bytes += reply.size();
        benchmark::DoNotOptimize(reply.data());
    }
    if (bytes != state.iterations() * kReplyBytes) {
        state.SkipWithError("short reply");
    }
    state.SetItemsProcessed(state.iterations());
}

// Alternating registration keeps the two close together in time, so machine load affects both.
BENCHMARK(BM_BareSocketExchange)->UseRealTime()->Repetitions(3);
BENCHMARK(BM_WhoisLookup)->UseRealTime()->Repetitions(3);

} // namespace
