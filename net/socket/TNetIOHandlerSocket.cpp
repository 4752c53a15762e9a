#include "net/socket/TNetIOHandlerSocket.h"

#include "net/socket/NetAddress.h"
#include "net/socket/NetCancelSignal.h"
#include "net/socket/NetErrors.h"
#include "net/socket/NetExceptions.h"
#include "net/socket/SocketApi.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>

namespace cvt {

namespace {

bool isWouldBlock(int error) {
    return error == EAGAIN || error == EWOULDBLOCK;
}

} // namespace

TNetIOHandlerSocket::TNetIOHandlerSocket(SocketApi& api, NetCancelSignal& cancel) : m_api(api), m_cancel(cancel) {}

TNetIOHandlerSocket::~TNetIOHandlerSocket() {
    CloseSocket();
}

void TNetIOHandlerSocket::ResetSocket() {
    CloseSocket();
    m_socket.Reset();
}

void TNetIOHandlerSocket::AllocateSocket(int family) {
    CloseSocket();
    const int fd = m_api.socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        throw ENetInvalidSocket();
    }
    m_socket.handle = fd;
    m_socket.allocated = true;
    m_family = family;
}

void TNetIOHandlerSocket::Bind(const std::string& address, std::uint16_t port) {
    if (!m_socket.allocated) {
        throw ENetClosedSocket();
    }
    NetEndpoint local = m_family == AF_INET6 ? NetEndpoint::fromIPv6(in6addr_any, port)
                                             : NetEndpoint::fromIPv4(in_addr{htonl(INADDR_ANY)}, port);
    if (!address.empty()) {
        const auto parsed = parseAddressLiteral(address, port);
        if (!parsed || parsed->family() != m_family) {
            throw ENetSocketError(wsaErrorFromErrno(EADDRNOTAVAIL));
        }
        local = *parsed;
    }
    if (m_api.bind(m_socket.handle, local.address(), local.length) != 0) {
        const int error = wsaErrorFromErrno(errno);
        if (error == wsa::kAddressInUse) {
            throw ENetCouldNotBindSocket();
        }
        throw ENetSocketError(error);
    }
}

void TNetIOHandlerSocket::Connect(const NetEndpoint& peer, int timeoutMs) {
    if (!m_socket.allocated) {
        throw ENetClosedSocket();
    }
    if (m_cancel.raised()) {
        throwCancelled();
    }
    const int result = m_api.connect(m_socket.handle, peer.address(), peer.length);
    if (result != 0) {
        // The socket is non-blocking: the connect goes on in the background (an interrupted
        // connect does too) and its outcome is read once the socket becomes writable.
        if (errno != EINPROGRESS && errno != EINTR && errno != EALREADY) {
            throw ENetSocketError(wsaErrorFromErrno(errno));
        }
        if (!waitSocket(WaitFor::Writable, timeoutMs > 0 ? timeoutMs : -1)) {
            throw ENetSocketError(wsa::kTimedOut);
        }
        // Writable without an error or hang-up: the connection is made. Otherwise the socket's
        // pending error tells whether it failed.
        if ((m_lastRevents & (POLLERR | POLLHUP)) != 0) {
            int pending = 0;
            socklen_t length = sizeof pending;
            if (m_api.getsockopt(m_socket.handle, SOL_SOCKET, SO_ERROR, &pending, &length) != 0) {
                throw ENetSocketError(wsaErrorFromErrno(errno));
            }
            if (pending != 0) {
                throw ENetSocketError(wsaErrorFromErrno(pending));
            }
        }
    }
    // The peer is the address just connected to; asking the system again would tell the same.
    m_socket.peerAddress = formatAddress(peer);
    m_socket.peerPort = peer.port();
}

TNetIOHandlerSocket::IoResult TNetIOHandlerSocket::Send(const char* data, std::size_t length) {
    for (;;) {
        if (!m_socket.allocated) {
            throw ENetClosedSocket();
        }
        const ssize_t sent = retryOnEintr([&] { return m_api.send(m_socket.handle, data, length, MSG_NOSIGNAL); });
        if (sent >= 0) {
            return {sent, 0};
        }
        if (!isWouldBlock(errno)) {
            return {-1, wsaErrorFromErrno(errno)};
        }
        // The peer is not reading and the socket's buffer is full: wait until it takes bytes again.
        if (!waitSocket(WaitFor::Writable, -1)) {
            return {-1, wsaErrorFromErrno(errno)};
        }
    }
}

bool TNetIOHandlerSocket::WaitReadable(int timeoutMs) {
    if (!m_socket.allocated) {
        throw ENetClosedSocket();
    }
    return waitSocket(WaitFor::Readable, timeoutMs);
}

TNetIOHandlerSocket::IoResult TNetIOHandlerSocket::Recv(char* data, std::size_t length) {
    if (!m_socket.allocated) {
        throw ENetClosedSocket();
    }
    if (m_cancel.raised()) {
        throwCancelled();
    }
    const ssize_t received = retryOnEintr([&] { return m_api.recv(m_socket.handle, data, length, 0); });
    if (received >= 0) {
        return {received, 0};
    }
    return {-1, wsaErrorFromErrno(errno)};
}

void TNetIOHandlerSocket::ShutdownSend() {
    if (m_socket.allocated) {
        // Fails harmlessly on a socket that never connected or that the peer has reset.
        m_api.shutdown(m_socket.handle, SHUT_WR);
    }
}

void TNetIOHandlerSocket::CloseSocket() {
    if (m_socket.allocated) {
        // Not retried after EINTR: Linux releases the descriptor whatever close() reports.
        m_api.close(m_socket.handle);
        m_socket.handle = -1;
        m_socket.allocated = false;
    }
}

bool TNetIOHandlerSocket::waitSocket(WaitFor what, int timeoutMs) {
    using std::chrono::milliseconds;
    if (m_cancel.raised()) {
        throwCancelled();
    }
    const auto deadline = m_api.now() + milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    const int cancelFd = m_cancel.fd(m_api);
    pollfd fds[2] = {};
    fds[0].fd = m_socket.handle;
    fds[0].events = what == WaitFor::Readable ? POLLIN : POLLOUT;
    fds[1].fd = cancelFd;
    fds[1].events = POLLIN;
    const nfds_t count = cancelFd >= 0 ? 2 : 1;
    int waitMs = timeoutMs < 0 ? -1 : timeoutMs;
    for (;;) {
        fds[0].revents = 0;
        fds[1].revents = 0;
        const int ready = m_api.poll(fds, count, waitMs);
        const int pollErrno = errno;
        if (m_cancel.raised()) {
            throwCancelled();
        }
        if (ready > 0 && fds[0].revents != 0) {
            // POLLHUP and POLLERR count as ready too: the next send or receive reports them.
            m_lastRevents = fds[0].revents;
            return true;
        }
        // Interrupted, or woken by a cancel request that was withdrawn meanwhile: wait again for
        // what is left of the limit. Any other failure of the wait counts as a time-out.
        const bool again = (ready < 0 && pollErrno == EINTR) || ready > 0;
        if (!again) {
            return false;
        }
        if (timeoutMs >= 0) {
            const auto left = std::chrono::ceil<milliseconds>(deadline - m_api.now()).count();
            if (left <= 0) {
                return false;
            }
            waitMs = static_cast<int>(left);
        }
    }
}

void TNetIOHandlerSocket::throwCancelled() {
    CloseSocket();
    throw ENetOperationCancelled();
}

} // namespace cvt
