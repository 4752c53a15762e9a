#include "tests/support/FakeHttpServer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace cvt::test {

namespace {

// Waits until fd is ready for events or the stop descriptor is signalled; true only for the former.
bool waitUnlessStopped(int fd, short events, int stopFd) {
    pollfd fds[2] = {{fd, events, 0}, {stopFd, POLLIN, 0}};
    while (true) {
        const int ready = ::poll(fds, 2, -1);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        return ready > 0 && (fds[1].revents & POLLIN) == 0 && fds[0].revents != 0;
    }
}

} // namespace

FakeHttpConnection::~FakeHttpConnection() {
    close();
}

bool FakeHttpConnection::waitReadable() {
    return waitUnlessStopped(m_fd, POLLIN, m_stopFd);
}

std::string FakeHttpConnection::readRequest() {
    while (m_fd >= 0) {
        const std::size_t end = m_pending.find("\r\n\r\n");
        if (end != std::string::npos) {
            std::string request = m_pending.substr(0, end + 4);
            m_pending.erase(0, end + 4);
            m_server.record(request);
            return request;
        }
        if (!waitReadable()) {
            return {};
        }
        char block[4096];
        const ssize_t got = ::recv(m_fd, block, sizeof block, 0);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return {};
        }
        m_pending.append(block, static_cast<std::size_t>(got));
    }
    return {};
}

void FakeHttpConnection::send(std::string_view bytes) {
    while (m_fd >= 0 && !bytes.empty()) {
        if (!waitUnlessStopped(m_fd, POLLOUT, m_stopFd)) {
            return;
        }
        const ssize_t sent = ::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) {
            continue;
        }
        if (sent <= 0) {
            return;
        }
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
}

void FakeHttpConnection::waitForClientClose() {
    char block[4096];
    while (m_fd >= 0 && waitReadable()) {
        const ssize_t got = ::recv(m_fd, block, sizeof block, 0);
        if (got == 0 || (got < 0 && errno != EINTR)) {
            return;
        }
    }
}

void FakeHttpConnection::close() {
    if (m_fd >= 0) {
        ::shutdown(m_fd, SHUT_WR);
        ::close(m_fd);
        m_fd = -1;
    }
}

FakeHttpServer::FakeHttpServer(std::vector<FakeHttpScript> scripts) : m_scripts(std::move(scripts)) {
    m_listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    m_stopFd = ::eventfd(0, EFD_CLOEXEC);
    if (m_listenFd < 0 || m_stopFd < 0) {
        throw std::runtime_error("fake HTTP server: cannot create its sockets");
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (::bind(m_listenFd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(m_listenFd, 16) != 0 ||
        ::getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(m_listenFd);
        ::close(m_stopFd);
        throw std::runtime_error("fake HTTP server: cannot listen on 127.0.0.1");
    }
    m_port = ntohs(address.sin_port);
    m_acceptThread = std::thread([this] { serve(); });
}

FakeHttpServer::~FakeHttpServer() {
    stop();
    ::close(m_listenFd);
    ::close(m_stopFd);
}

void FakeHttpServer::stop() {
    {
        std::lock_guard lock(m_mutex);
        if (m_stopping) {
            return;
        }
        m_stopping = true;
    }
    m_changed.notify_all();
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(m_stopFd, &one, sizeof one);
    if (m_acceptThread.joinable()) {
        m_acceptThread.join();
    }
    for (std::thread& thread : m_connectionThreads) {
        thread.join();
    }
}

void FakeHttpServer::serve() {
    while (true) {
        if (!waitUnlessStopped(m_listenFd, POLLIN, m_stopFd)) {
            return;
        }
        const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        FakeHttpScript script;
        {
            std::lock_guard lock(m_mutex);
            const auto index = static_cast<std::size_t>(m_connections++);
            if (index < m_scripts.size()) {
                script = m_scripts[index];
            }
        }
        m_changed.notify_all();
        // Only this thread adds connection threads; stop() joins them after joining this one.
        m_connectionThreads.emplace_back([this, fd, script = std::move(script)] {
            {
                FakeHttpConnection connection(*this, fd, m_stopFd);
                if (script) {
                    script(connection);
                }
            }
            {
                std::lock_guard lock(m_mutex);
                ++m_endedConnections;
            }
            m_changed.notify_all();
        });
    }
}

void FakeHttpServer::record(std::string request) {
    {
        std::lock_guard lock(m_mutex);
        m_requests.push_back(std::move(request));
    }
    m_changed.notify_all();
}

std::string FakeHttpServer::url(std::string_view path) const {
    return "http://127.0.0.1:" + std::to_string(m_port) + std::string(path);
}

std::vector<std::string> FakeHttpServer::requests() const {
    std::lock_guard lock(m_mutex);
    return m_requests;
}

int FakeHttpServer::connectionCount() const {
    std::lock_guard lock(m_mutex);
    return m_connections;
}

bool FakeHttpServer::waitForRequests(std::size_t count) const {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::seconds(30), [&] {
        return m_stopping || m_requests.size() >= count;
    }) && m_requests.size() >= count;
}

bool FakeHttpServer::waitForEndedConnections(int count) const {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::seconds(30), [&] {
        return m_stopping || m_endedConnections >= count;
    }) && m_endedConnections >= count;
}

FakeHttpScript FakeHttpServer::respond(std::string response) {
    return [response = std::move(response)](FakeHttpConnection& connection) {
        if (!connection.readRequest().empty()) {
            connection.send(response);
            connection.waitForClientClose();
        }
    };
}

FakeHttpScript FakeHttpServer::respondAndClose(std::string response) {
    return [response = std::move(response)](FakeHttpConnection& connection) {
        if (!connection.readRequest().empty()) {
            connection.send(response);
        }
        connection.close();
    };
}

FakeHttpScript FakeHttpServer::respondEach(std::vector<std::string> responses) {
    return [responses = std::move(responses)](FakeHttpConnection& connection) {
        for (const std::string& response : responses) {
            if (connection.readRequest().empty()) {
                return;
            }
            connection.send(response);
        }
        connection.waitForClientClose();
    };
}

FakeHttpScript FakeHttpServer::closeWithoutReply() {
    return [](FakeHttpConnection& connection) {
        connection.readRequest();
        connection.close();
    };
}

FakeHttpScript FakeHttpServer::silent() {
    return [](FakeHttpConnection& connection) {
        connection.readRequest();
        connection.waitForClientClose();
    };
}

} // namespace cvt::test
