#pragma once

#include "bench/LoopbackListener.h"

#include <atomic>
#include <benchmark/benchmark.h>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace cvt::bench {

// A WHOIS server on 127.0.0.1 for the benchmarks' runs: accepts one connection after another on its
// own thread, reads the query line, waits `delay`, sends what `reply` makes of the query (as read,
// CR LF and all) and closes.
class AnsweringWhoisServer {
public:
    using Reply = std::string (*)(const std::string& query);

    explicit AnsweringWhoisServer(Reply reply, std::chrono::milliseconds delay = {}, int backlog = 128)
        : m_reply(reply), m_delay(delay) {
        m_listenFd = listenOnLoopback(backlog, m_port, "benchmark WHOIS server");
        m_thread = std::thread([this] { serve(); });
    }
    ~AnsweringWhoisServer() {
        m_stopping = true;
        ::shutdown(m_listenFd, SHUT_RDWR);
        m_thread.join();
        ::close(m_listenFd);
    }
    AnsweringWhoisServer(const AnsweringWhoisServer&) = delete;
    AnsweringWhoisServer& operator=(const AnsweringWhoisServer&) = delete;

    std::uint16_t port() const { return m_port; }
    std::string hostField() const { return "127.0.0.1:" + std::to_string(m_port); }

private:
    void serve() {
        while (!m_stopping) {
            const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) {
                if (!m_stopping && (errno == EINTR || errno == ECONNABORTED)) {
                    continue;
                }
                return;
            }
            char buffer[256];
            std::string query;
            ssize_t got = 0;
            while (query.find('\n') == std::string::npos && (got = ::recv(fd, buffer, sizeof buffer, 0)) > 0) {
                query.append(buffer, static_cast<std::size_t>(got));
            }
            if (m_delay.count() > 0) {
                std::this_thread::sleep_for(m_delay);
            }
            const std::string reply = m_reply(query);
            benchmark::DoNotOptimize(::send(fd, reply.data(), reply.size(), MSG_NOSIGNAL));
            ::close(fd);
        }
    }

    Reply m_reply;
    std::chrono::milliseconds m_delay;
    int m_listenFd = -1;
    std::uint16_t m_port = 0;
    std::atomic<bool> m_stopping{false};
    std::thread m_thread;
};

} // namespace cvt::bench
