#include "tests/support/ScriptedSocketApi.h"

#include "net/socket/NetAddress.h"

#include <arpa/inet.h>
#include <cstring>

namespace cvt {

namespace {

struct ScriptedAddressList {
    addrinfo info{};
    sockaddr_in address{};
};

} // namespace

int ScriptedSocketApi::socket(int, int, int) {
    if (socketErrno != 0) {
        errno = socketErrno;
        return -1;
    }
    m_open = true;
    ++openSockets;
    return kSocketFd;
}

int ScriptedSocketApi::bind(int fd, const sockaddr*, socklen_t) {
    if (!isOurs(fd)) {
        errno = EBADF;
        return -1;
    }
    return 0;
}

int ScriptedSocketApi::connect(int fd, const sockaddr* address, socklen_t length) {
    if (!isOurs(fd)) {
        errno = EBADF;
        return -1;
    }
    if (length >= static_cast<socklen_t>(sizeof(sockaddr_in))) {
        std::memcpy(&m_peer, address, sizeof m_peer);
        connectedTo.push_back(formatIPv4(m_peer.sin_addr) + ":" + std::to_string(ntohs(m_peer.sin_port)));
    }
    if (connectHangs) {
        errno = EINPROGRESS;
        return -1;
    }
    if (connectErrno != 0) {
        errno = connectErrno;
        return -1;
    }
    return 0;
}

ssize_t ScriptedSocketApi::send(int fd, const void* data, size_t length, int) {
    ++sendCalls;
    if (!isOurs(fd)) {
        errno = EBADF;
        return -1;
    }
    if (!sendErrors.empty()) {
        const int error = sendErrors.front();
        sendErrors.pop_front();
        if (error != 0) {
            errno = error;
            return -1;
        }
    }
    const size_t taken = sendLimit != 0 && length > sendLimit ? sendLimit : length;
    sent.append(static_cast<const char*>(data), taken);
    return static_cast<ssize_t>(taken);
}

ssize_t ScriptedSocketApi::recv(int fd, void* data, size_t length, int) {
    if (!isOurs(fd)) {
        errno = EBADF;
        return -1;
    }
    if (incoming.empty()) {
        return 0;
    }
    Event& event = incoming.front();
    switch (event.kind) {
    case Event::Kind::Data: {
        const size_t taken = event.bytes.size() < length ? event.bytes.size() : length;
        std::memcpy(data, event.bytes.data(), taken);
        event.bytes.erase(0, taken);
        if (event.bytes.empty()) {
            incoming.pop_front();
        }
        return static_cast<ssize_t>(taken);
    }
    case Event::Kind::PeerClose:
        incoming.pop_front();
        return 0;
    case Event::Kind::RecvError: {
        const int error = event.error;
        incoming.pop_front();
        errno = error;
        return -1;
    }
    case Event::Kind::RecvInterrupt:
        incoming.pop_front();
        errno = EINTR;
        return -1;
    case Event::Kind::WaitTimeout:
    case Event::Kind::WaitInterrupt:
    case Event::Kind::Pause:
        // A receive without a wait before it: nothing there yet.
        errno = EAGAIN;
        return -1;
    }
    return 0;
}

int ScriptedSocketApi::poll(pollfd* fds, nfds_t count, int timeoutMs) {
    int ready = 0;
    bool forReading = false;
    for (nfds_t i = 0; i < count; ++i) {
        fds[i].revents = 0;
        if (!isOurs(fds[i].fd)) {
            continue;
        }
        if ((fds[i].events & POLLIN) != 0) {
            forReading = true;
            if (!incoming.empty() && incoming.front().kind == Event::Kind::WaitInterrupt) {
                incoming.pop_front();
                errno = EINTR;
                return -1;
            }
            // Pauses that end within the wait pass; the one that outlasts it keeps the socket quiet.
            while (!incoming.empty() && incoming.front().kind == Event::Kind::Pause &&
                   (timeoutMs < 0 || incoming.front().pauseMs <= timeoutMs)) {
                m_now += std::chrono::milliseconds(incoming.front().pauseMs);
                timeoutMs = timeoutMs < 0 ? timeoutMs : timeoutMs - static_cast<int>(incoming.front().pauseMs);
                incoming.pop_front();
            }
            if (!incoming.empty() &&
                (incoming.front().kind == Event::Kind::WaitTimeout || incoming.front().kind == Event::Kind::Pause)) {
                continue;
            }
            fds[i].revents = POLLIN;
        } else {
            fds[i].revents = connectHangs ? 0 : static_cast<short>(fds[i].events & POLLOUT);
        }
        if (fds[i].revents != 0) {
            ++ready;
        }
    }
    if (ready == 0) {
        if (forReading && !incoming.empty() && incoming.front().kind == Event::Kind::WaitTimeout) {
            incoming.pop_front();
        } else if (forReading && !incoming.empty() && incoming.front().kind == Event::Kind::Pause && timeoutMs > 0) {
            incoming.front().pauseMs -= timeoutMs;
        }
        if (timeoutMs > 0) {
            m_now += std::chrono::milliseconds(timeoutMs);
        }
    }
    return ready;
}

int ScriptedSocketApi::shutdown(int fd, int) {
    if (!isOurs(fd)) {
        errno = EBADF;
        return -1;
    }
    return 0;
}

int ScriptedSocketApi::close(int fd) {
    if (isOurs(fd)) {
        m_open = false;
        --openSockets;
        return 0;
    }
    return SocketApi::close(fd);
}

int ScriptedSocketApi::getsockopt(int fd, int, int, void* value, socklen_t* length) {
    if (!isOurs(fd)) {
        errno = EBADF;
        return -1;
    }
    std::memset(value, 0, *length);
    return 0;
}

int ScriptedSocketApi::setsockopt(int fd, int, int, const void*, socklen_t) {
    return isOurs(fd) ? 0 : -1;
}

int ScriptedSocketApi::getsockname(int fd, sockaddr* address, socklen_t* length) {
    if (!isOurs(fd) || *length < static_cast<socklen_t>(sizeof(sockaddr_in))) {
        errno = EBADF;
        return -1;
    }
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(0x7F000001);
    local.sin_port = htons(40000);
    std::memcpy(address, &local, sizeof local);
    *length = sizeof local;
    return 0;
}

int ScriptedSocketApi::getpeername(int fd, sockaddr* address, socklen_t* length) {
    if (!isOurs(fd) || *length < static_cast<socklen_t>(sizeof(sockaddr_in))) {
        errno = EBADF;
        return -1;
    }
    std::memcpy(address, &m_peer, sizeof m_peer);
    *length = sizeof m_peer;
    return 0;
}

int ScriptedSocketApi::getaddrinfo(const char* node, const char*, const addrinfo*, addrinfo** result) {
    lookups.emplace_back(node != nullptr ? node : "");
    if (lookupResult != 0) {
        return lookupResult;
    }
    auto* list = new ScriptedAddressList;
    list->address.sin_family = AF_INET;
    list->address.sin_addr.s_addr = htonl(lookupAddress);
    list->info.ai_family = AF_INET;
    list->info.ai_socktype = SOCK_STREAM;
    list->info.ai_addr = reinterpret_cast<sockaddr*>(&list->address);
    list->info.ai_addrlen = sizeof list->address;
    *result = &list->info;
    return 0;
}

void ScriptedSocketApi::freeaddrinfo(addrinfo* list) {
    // info is the first member, so the list starts where its info does.
    delete reinterpret_cast<ScriptedAddressList*>(list);
}

} // namespace cvt
