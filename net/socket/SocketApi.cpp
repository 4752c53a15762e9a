#include "net/socket/SocketApi.h"

#include <sys/eventfd.h>
#include <unistd.h>

namespace cvt {

int SocketApi::socket(int domain, int type, int protocol) {
    return ::socket(domain, type, protocol);
}
int SocketApi::bind(int fd, const sockaddr* address, socklen_t length) {
    return ::bind(fd, address, length);
}
int SocketApi::connect(int fd, const sockaddr* address, socklen_t length) {
    return ::connect(fd, address, length);
}
ssize_t SocketApi::send(int fd, const void* data, size_t length, int flags) {
    return ::send(fd, data, length, flags);
}
ssize_t SocketApi::recv(int fd, void* data, size_t length, int flags) {
    return ::recv(fd, data, length, flags);
}
int SocketApi::poll(pollfd* fds, nfds_t count, int timeoutMs) {
    return ::poll(fds, count, timeoutMs);
}
int SocketApi::shutdown(int fd, int how) {
    return ::shutdown(fd, how);
}
int SocketApi::close(int fd) {
    return ::close(fd);
}
int SocketApi::getsockopt(int fd, int level, int name, void* value, socklen_t* length) {
    return ::getsockopt(fd, level, name, value, length);
}
int SocketApi::setsockopt(int fd, int level, int name, const void* value, socklen_t length) {
    return ::setsockopt(fd, level, name, value, length);
}
int SocketApi::getsockname(int fd, sockaddr* address, socklen_t* length) {
    return ::getsockname(fd, address, length);
}
int SocketApi::getpeername(int fd, sockaddr* address, socklen_t* length) {
    return ::getpeername(fd, address, length);
}
int SocketApi::getaddrinfo(const char* node, const char* service, const addrinfo* hints, addrinfo** result) {
    return ::getaddrinfo(node, service, hints, result);
}
void SocketApi::freeaddrinfo(addrinfo* list) {
    ::freeaddrinfo(list);
}
int SocketApi::eventfd(unsigned int initial, int flags) {
    return ::eventfd(initial, flags);
}
ssize_t SocketApi::read(int fd, void* data, size_t length) {
    return ::read(fd, data, length);
}
ssize_t SocketApi::write(int fd, const void* data, size_t length) {
    return ::write(fd, data, length);
}
std::chrono::steady_clock::time_point SocketApi::now() {
    return std::chrono::steady_clock::now();
}

SocketApi& SocketApi::system() {
    static SocketApi instance;
    return instance;
}

} // namespace cvt
