// Fetching a 10 MB body over loopback in the three body modes, side by side with a bare socket
// loop that reads the same response without parsing it (goal: within 1.5 times of it).
#include "core/words/WebHarvest.h"
#include "net/http/TNetHTTP.h"

#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <cstdint>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <string>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::size_t kBodyBytes = 10 * 1000 * 1000;
constexpr std::size_t kChunkBytes = 16 * 1024;

enum class Mode { ContentLength, Chunked, ToClose };

std::string makeResponse(Mode mode) {
    const std::string body(kBodyBytes, 'x');
    switch (mode) {
    case Mode::ContentLength:
        return "HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" +
               body;
    case Mode::Chunked: {
        std::string response = "HTTP/1.1 200 OK\r\nConnection: close\r\nTransfer-Encoding: chunked\r\n\r\n";
        char size[32];
        for (std::size_t at = 0; at < body.size(); at += kChunkBytes) {
            const std::size_t length = std::min(kChunkBytes, body.size() - at);
            std::snprintf(size, sizeof size, "%zx\r\n", length);
            response += size;
            response.append(body, at, length);
            response += "\r\n";
        }
        return response + "0\r\n\r\n";
    }
    case Mode::ToClose:
        return "HTTP/1.1 200 OK\r\n\r\n" + body;
    }
    return {};
}

// Serves the same response on every connection, then closes it (saying so in the response, so
// the client does not try to keep the connection).
class BenchServer {
public:
    explicit BenchServer(Mode mode) : m_response(makeResponse(mode)) {
        m_listen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        m_stop = ::eventfd(0, EFD_CLOEXEC);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (m_listen < 0 || m_stop < 0 || ::bind(m_listen, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            ::listen(m_listen, 8) != 0 ||
            ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            throw std::runtime_error("bench server cannot listen");
        }
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { serve(); });
    }
    ~BenchServer() {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(m_stop, &one, sizeof one);
        m_thread.join();
        ::close(m_listen);
        ::close(m_stop);
    }
    BenchServer(const BenchServer&) = delete;
    BenchServer& operator=(const BenchServer&) = delete;

    std::string url() const { return "http://127.0.0.1:" + std::to_string(m_port) + "/page"; }
    std::uint16_t port() const { return m_port; }

private:
    void serve() {
        while (true) {
            pollfd fds[2] = {{m_listen, POLLIN, 0}, {m_stop, POLLIN, 0}};
            if (::poll(fds, 2, -1) < 0 || (fds[1].revents & POLLIN)) {
                return;
            }
            const int fd = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) {
                continue;
            }
            std::string request;
            char block[4096];
            while (request.find("\r\n\r\n") == std::string::npos) {
                const ssize_t got = ::recv(fd, block, sizeof block, 0);
                if (got <= 0) {
                    break;
                }
                request.append(block, static_cast<std::size_t>(got));
            }
            std::size_t sent = 0;
            while (sent < m_response.size()) {
                const ssize_t n = ::send(fd, m_response.data() + sent, m_response.size() - sent, MSG_NOSIGNAL);
                if (n <= 0) {
                    break;
                }
                sent += static_cast<std::size_t>(n);
            }
            ::shutdown(fd, SHUT_WR);
            ::close(fd);
        }
    }

    std::string m_response;
    int m_listen = -1;
    int m_stop = -1;
    std::uint16_t m_port = 0;
    std::thread m_thread;
};

void BM_HttpFetch10MB(benchmark::State& state) {
    BenchServer server(static_cast<Mode>(state.range(0)));
    cvt::TNetHTTP client;
    cvt::setUpHarvestClient(client);
    for (auto _ : state) {
        const std::string body = cvt::FetchPage(server.url(), client);
        if (body.size() != kBodyBytes) {
            state.SkipWithError("short body");
            return;
        }
        benchmark::DoNotOptimize(body.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBodyBytes));
}
BENCHMARK(BM_HttpFetch10MB)->ArgName("mode")->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

// The yardstick: a bare blocking-socket loop that sends a minimal request and reads every byte
// of the response until the server closes, without parsing anything.
void BM_HttpFetch10MBBareSocket(benchmark::State& state) {
    BenchServer server(static_cast<Mode>(state.range(0)));
    const std::string request = "GET /page HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
    std::string received;
    std::vector<char> block(64 * 1024);
    for (auto _ : state) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(server.port());
        if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::send(fd, request.data(), request.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(request.size())) {
            state.SkipWithError("bare socket exchange failed");
            if (fd >= 0) {
                ::close(fd);
            }
            return;
        }
        received.clear();
        ssize_t got = 0;
        while ((got = ::recv(fd, block.data(), block.size(), 0)) > 0) {
            received.append(block.data(), static_cast<std::size_t>(got));
        }
        ::close(fd);
        benchmark::DoNotOptimize(received.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBodyBytes));
}
BENCHMARK(BM_HttpFetch10MBBareSocket)
    ->ArgName("mode")
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace
