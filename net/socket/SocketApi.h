#pragma once

// The thin seam between the network layer and the operating system. Every system call the
// connection makes goes through a SocketApi, so tests and fuzz targets can script short reads and
// writes, EINTR, resets and lookup failures without real sockets. Each call has the meaning and the
// result convention of the POSIX call of the same name (-1 and errno on failure). The default
// implementation forwards to the system; a fake overrides only what it needs.
//
// The calls are made as they stand: retrying after EINTR is done by the callers, in retryOnEintr().

#include <cerrno>
#include <chrono>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/types.h>

namespace cvt {

class SocketApi {
public:
    virtual ~SocketApi() = default;

    virtual int socket(int domain, int type, int protocol);
    virtual int bind(int fd, const sockaddr* address, socklen_t length);
    virtual int connect(int fd, const sockaddr* address, socklen_t length);
    virtual ssize_t send(int fd, const void* data, size_t length, int flags);
    virtual ssize_t recv(int fd, void* data, size_t length, int flags);
    virtual int poll(pollfd* fds, nfds_t count, int timeoutMs);
    virtual int shutdown(int fd, int how);
    virtual int close(int fd);
    virtual int getsockopt(int fd, int level, int name, void* value, socklen_t* length);
    virtual int setsockopt(int fd, int level, int name, const void* value, socklen_t length);
    virtual int getsockname(int fd, sockaddr* address, socklen_t* length);
    virtual int getpeername(int fd, sockaddr* address, socklen_t* length);
    virtual int getaddrinfo(const char* node, const char* service, const addrinfo* hints, addrinfo** result);
    virtual void freeaddrinfo(addrinfo* list);
    // The wake-up descriptor that lets another thread interrupt a wait (eventfd semantics).
    virtual int eventfd(unsigned int initial, int flags);
    virtual ssize_t read(int fd, void* data, size_t length);
    virtual ssize_t write(int fd, const void* data, size_t length);
    // The clock that time limits are measured against.
    virtual std::chrono::steady_clock::time_point now();

    // The process-wide instance that forwards to the system.
    static SocketApi& system();
};

// Calls op() again while it fails with EINTR; returns its last result with errno as it left it.
template <typename Op>
auto retryOnEintr(Op&& op) -> decltype(op()) {
    for (;;) {
        auto result = op();
        if (result != -1 || errno != EINTR) {
            return result;
        }
    }
}

} // namespace cvt
