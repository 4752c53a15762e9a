#pragma once

#include <arpa/inet.h>
#include <cstdint>
#include <netinet/in.h>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace cvt::bench {

// A listening TCP socket on 127.0.0.1 with a port of the system's choosing, for the benchmarks'
// small servers. Throws std::runtime_error naming `what` when it cannot listen.
inline int listenOnLoopback(int backlog, std::uint16_t& port, const std::string& what) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, backlog) != 0 || ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (fd >= 0) {
            ::close(fd);
        }
        throw std::runtime_error(what + " cannot listen");
    }
    port = ntohs(address.sin_port);
    return fd;
}

// One WHOIS exchange with plain blocking calls and no error handling beyond giving up: connect to
// 127.0.0.1 at the port, send the query and CR LF, read until the server closes. The yardstick the
// client is measured against.
inline std::string bareWhoisExchange(std::uint16_t port, const std::string& query) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string reply;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        const std::string line = query + "\r\n";
        ::send(fd, line.data(), line.size(), MSG_NOSIGNAL);
        char buffer[32768];
        for (;;) {
            const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
            if (got <= 0) {
                break;
            }
            reply.append(buffer, static_cast<std::size_t>(got));
        }
    }
    ::close(fd);
    return reply;
}

} // namespace cvt::bench
