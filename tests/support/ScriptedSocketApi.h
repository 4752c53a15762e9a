#pragma once

#include "net/socket/SocketApi.h"

#include <deque>
#include <string>
#include <vector>

namespace cvt {

// A SocketApi without real sockets, for tests and fuzz targets: it pretends to be one connected
// peer whose incoming bytes, pauses, interruptions and failures follow a script, and records what
// the connection sends. Host lookups answer from a fixed address or fail with a scripted code.
// Waits never block; the clock advances by the full limit whenever a wait times out, and by the
// pause when a scripted pause ends within a wait.
class ScriptedSocketApi : public SocketApi {
public:
    // One step of what the connection sees when it waits and receives.
    struct Event {
        enum class Kind {
            Data,          // a receive returns (the first part of) bytes
            PeerClose,     // a receive returns 0
            RecvError,     // a receive fails with error
            WaitTimeout,   // a wait for data passes its whole limit
            Pause,         // nothing arrives for pauseMs: a wait shorter than what is left passes its limit
            WaitInterrupt, // a wait is interrupted by a signal (EINTR)
            RecvInterrupt, // a receive is interrupted by a signal (EINTR)
        };
        Kind kind = Kind::Data;
        std::string bytes;
        int error = 0;
        long long pauseMs = 0;
    };

    static Event data(std::string bytes) { return {Event::Kind::Data, std::move(bytes), 0}; }
    static Event peerClose() { return {Event::Kind::PeerClose, {}, 0}; }
    static Event recvError(int error) { return {Event::Kind::RecvError, {}, error}; }
    static Event waitTimeout() { return {Event::Kind::WaitTimeout, {}, 0}; }
    static Event pause(long long ms) { return {Event::Kind::Pause, {}, 0, ms}; }
    static Event waitInterrupt() { return {Event::Kind::WaitInterrupt, {}, 0}; }
    static Event recvInterrupt() { return {Event::Kind::RecvInterrupt, {}, 0}; }

    // The incoming side. When the script runs out the peer closes.
    std::deque<Event> incoming;
    // The outgoing side: the most bytes one send call takes (0: all), and errno values that the
    // next send calls fail with, in order (0 lets a call succeed).
    std::size_t sendLimit = 0;
    std::deque<int> sendErrors;
    // Everything the connection sent, and the number of send calls.
    std::string sent;
    int sendCalls = 0;

    // errno of socket() and of connect() (0: success), the lookup's result code and the address
    // it returns (network byte order).
    int socketErrno = 0;
    int connectErrno = 0;
    // When true the connect goes on in the background and never completes (the socket never
    // becomes writable), like a connect to an address that drops every packet.
    bool connectHangs = false;
    int lookupResult = 0;
    std::uint32_t lookupAddress = 0x0A000001; // 10.0.0.1 in host order
    // Every host name handed to the lookup, and the addresses connect() was asked for.
    std::vector<std::string> lookups;
    std::vector<std::string> connectedTo;
    int openSockets = 0;

    int socket(int domain, int type, int protocol) override;
    int bind(int fd, const sockaddr* address, socklen_t length) override;
    int connect(int fd, const sockaddr* address, socklen_t length) override;
    ssize_t send(int fd, const void* data, size_t length, int flags) override;
    ssize_t recv(int fd, void* data, size_t length, int flags) override;
    int poll(pollfd* fds, nfds_t count, int timeoutMs) override;
    int shutdown(int fd, int how) override;
    int close(int fd) override;
    int getsockopt(int fd, int level, int name, void* value, socklen_t* length) override;
    int setsockopt(int fd, int level, int name, const void* value, socklen_t length) override;
    int getsockname(int fd, sockaddr* address, socklen_t* length) override;
    int getpeername(int fd, sockaddr* address, socklen_t* length) override;
    int getaddrinfo(const char* node, const char* service, const addrinfo* hints, addrinfo** result) override;
    void freeaddrinfo(addrinfo* list) override;
    std::chrono::steady_clock::time_point now() override { return m_now; }

    static constexpr int kSocketFd = 1000;

private:
    bool isOurs(int fd) const { return fd == kSocketFd && m_open; }

    bool m_open = false;
    std::chrono::steady_clock::time_point m_now{};
    sockaddr_in m_peer{};
};

} // namespace cvt
