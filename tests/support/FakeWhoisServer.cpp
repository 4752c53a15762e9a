#include "tests/support/FakeWhoisServer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace cvt::test {

namespace {

sockaddr_in loopback(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// Binds to 127.0.0.1 or ::1 on a port the system chooses.
int bindLoopback(int fd, bool ipv6) {
    if (!ipv6) {
        const sockaddr_in address = loopback(0);
        return ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    }
    sockaddr_in6 address{};
    address.sin6_family = AF_INET6;
    address.sin6_addr = in6addr_loopback;
    return ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
}

std::uint16_t boundPort(int fd) {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::runtime_error(std::string("getsockname: ") + std::strerror(errno));
    }
    return address.ss_family == AF_INET6 ? ntohs(reinterpret_cast<const sockaddr_in6*>(&address)->sin6_port)
                                         : ntohs(reinterpret_cast<const sockaddr_in*>(&address)->sin_port);
}

} // namespace

bool FakeWhoisConnection::waitFor(short events, int timeoutMs) {
    if (m_fd < 0) {
        return false;
    }
    pollfd fds[2] = {{m_fd, events, 0}, {m_stopFd, POLLIN, 0}};
    int ready = 0;
    do {
        ready = ::poll(fds, 2, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    return ready > 0 && fds[1].revents == 0 && fds[0].revents != 0;
}

std::string FakeWhoisConnection::readQuery() {
    char byte = 0;
    while (m_query.size() < 2 || m_query.compare(m_query.size() - 2, 2, "\r\n") != 0) {
        if (!waitFor(POLLIN, -1)) {
            break;
        }
        const ssize_t got = ::recv(m_fd, &byte, 1, 0);
        if (got <= 0) {
            if (got < 0 && errno == EINTR) {
                continue;
            }
            break;
        }
        m_query += byte;
    }
    return m_query;
}

void FakeWhoisConnection::send(std::string_view bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        if (!waitFor(POLLOUT, -1)) {
            return;
        }
        const ssize_t n = ::send(m_fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN) {
                continue;
            }
            return;
        }
        sent += static_cast<std::size_t>(n);
    }
}

void FakeWhoisConnection::pause(std::chrono::milliseconds duration) {
    pollfd stop{m_stopFd, POLLIN, 0};
    ::poll(&stop, 1, static_cast<int>(duration.count()));
}

void FakeWhoisConnection::waitForClientClose() {
    char scratch[4096];
    while (waitFor(POLLIN, -1)) {
        const ssize_t got = ::recv(m_fd, scratch, sizeof scratch, 0);
        if (got == 0 || (got < 0 && errno != EINTR)) {
            return;
        }
    }
}

void FakeWhoisConnection::sendEndlessly(std::string_view chunk) {
    for (;;) {
        if (!waitFor(POLLOUT, -1)) {
            return;
        }
        const ssize_t n = ::send(m_fd, chunk.data(), chunk.size(), MSG_NOSIGNAL);
        if (n < 0 && errno != EINTR && errno != EAGAIN) {
            return;
        }
    }
}

void FakeWhoisConnection::reset() {
    if (m_fd < 0) {
        return;
    }
    linger option{1, 0};
    ::setsockopt(m_fd, SOL_SOCKET, SO_LINGER, &option, sizeof option);
    ::close(m_fd);
    m_fd = -1;
}

void FakeWhoisConnection::close() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

FakeWhoisServer::FakeWhoisServer(FakeWhoisScript script, Loopback where)
    : m_script(std::move(script)), m_ipv6(where == Loopback::IPv6) {
    m_listenFd = ::socket(m_ipv6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    m_stopFd = ::eventfd(0, EFD_CLOEXEC);
    if (m_listenFd < 0 || m_stopFd < 0) {
        throw std::runtime_error(std::string("fake WHOIS server: ") + std::strerror(errno));
    }
    if (bindLoopback(m_listenFd, m_ipv6) != 0 || ::listen(m_listenFd, 64) != 0) {
        const std::string reason = std::strerror(errno);
        ::close(m_listenFd);
        ::close(m_stopFd);
        throw std::runtime_error("fake WHOIS server cannot listen: " + reason);
    }
    m_port = boundPort(m_listenFd);
    m_thread = std::thread([this] { serve(); });
}

FakeWhoisServer::~FakeWhoisServer() {
    stop();
    ::close(m_listenFd);
    ::close(m_stopFd);
}

void FakeWhoisServer::stop() {
    if (m_thread.joinable()) {
        const std::uint64_t one = 1;
        while (::write(m_stopFd, &one, sizeof one) < 0 && errno == EINTR) {
        }
        m_thread.join();
    }
}

std::string FakeWhoisServer::hostField() const {
    return (m_ipv6 ? "[::1]:" : "127.0.0.1:") + std::to_string(m_port);
}

std::vector<std::string> FakeWhoisServer::queries() const {
    std::lock_guard lock(m_mutex);
    return m_queries;
}

int FakeWhoisServer::connectionCount() const {
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_queries.size());
}

void FakeWhoisServer::serve() {
    for (;;) {
        pollfd fds[2] = {{m_listenFd, POLLIN, 0}, {m_stopFd, POLLIN, 0}};
        const int ready = ::poll(fds, 2, -1);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready < 0 || fds[1].revents != 0) {
            return;
        }
        const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        FakeWhoisConnection connection(fd, m_stopFd);
        m_script(connection);
        connection.close();
        std::lock_guard lock(m_mutex);
        m_queries.push_back(connection.query());
    }
}

FakeWhoisScript FakeWhoisServer::reply(std::string bytes) {
    return [bytes = std::move(bytes)](FakeWhoisConnection& connection) {
        connection.readQuery();
        connection.send(bytes);
    };
}

FakeWhoisScript FakeWhoisServer::replyInPieces(std::vector<std::string> pieces, std::chrono::milliseconds gap) {
    return [pieces = std::move(pieces), gap](FakeWhoisConnection& connection) {
        connection.readQuery();
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            if (i > 0) {
                connection.pause(gap);
            }
            connection.send(pieces[i]);
        }
    };
}

FakeWhoisScript FakeWhoisServer::replyThenSilent(std::string bytes) {
    return [bytes = std::move(bytes)](FakeWhoisConnection& connection) {
        connection.readQuery();
        connection.send(bytes);
        connection.waitForClientClose();
    };
}

FakeWhoisScript FakeWhoisServer::replyThenReset(std::string bytes) {
    return [bytes = std::move(bytes)](FakeWhoisConnection& connection) {
        connection.readQuery();
        connection.send(bytes);
        connection.reset();
    };
}

FakeWhoisScript FakeWhoisServer::endless(std::string chunk) {
    return [chunk = std::move(chunk)](FakeWhoisConnection& connection) {
        connection.readQuery();
        connection.sendEndlessly(chunk);
    };
}

FakeWhoisScript FakeWhoisServer::answer(std::function<std::string(std::string_view query)> makeReply) {
    return [makeReply = std::move(makeReply)](FakeWhoisConnection& connection) {
        const std::string line = connection.readQuery();
        std::string_view query = line;
        if (query.size() >= 2 && query.substr(query.size() - 2) == "\r\n") {
            query.remove_suffix(2);
        }
        connection.send(makeReply(query));
    };
}

std::uint16_t closedLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in address = loopback(0);
    if (fd < 0 || ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        throw std::runtime_error(std::string("closedLoopbackPort: ") + std::strerror(errno));
    }
    const std::uint16_t port = boundPort(fd);
    // Bound but never listening: connects to it are refused while the socket exists, and after.
    ::close(fd);
    return port;
}

} // namespace cvt::test
