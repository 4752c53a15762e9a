#include "net/dns/AresChannel.h"

#include "net/socket/SocketApi.h"

#include <algorithm>
#include <mutex>
#include <poll.h>

namespace cvt {

int aresLibraryStatus() {
    static std::once_flag once;
    static int status = ARES_SUCCESS;
    std::call_once(once, [] { status = ares_library_init(ARES_LIB_INIT_ALL); });
    return status;
}

std::string aresServerAddress(const std::string& address, std::uint16_t port) {
    const bool v6 = address.find(':') != std::string::npos;
    return (v6 ? "[" + address + "]" : address) + ":" + std::to_string(port);
}

AresChannel::~AresChannel() {
    if (m_channel != nullptr) {
        ares_destroy(m_channel);
    }
}

int AresChannel::init(ares_options settings, int mask) {
    settings.sock_state_cb = &AresChannel::onSocketState;
    settings.sock_state_cb_data = this;
    const int status = ares_init_options(&m_channel, &settings, mask | ARES_OPT_SOCK_STATE_CB);
    if (status != ARES_SUCCESS) {
        m_channel = nullptr;
    }
    return status;
}

int AresChannel::setServers(const std::string& list) {
    return ares_set_servers_ports_csv(m_channel, list.c_str());
}

void AresChannel::onSocketState(void* data, ares_socket_t fd, int readable, int writable) {
    auto* channel = static_cast<AresChannel*>(data);
    if (readable == 0 && writable == 0) {
        channel->m_sockets.erase(fd);
        return;
    }
    channel->m_sockets[fd] = static_cast<short>((readable != 0 ? POLLIN : 0) | (writable != 0 ? POLLOUT : 0));
}

int AresChannel::waitAndProcess(SocketApi& api, const std::vector<int>& watchFds,
                                const std::vector<AresChannel*>& channels) {
    std::vector<pollfd> fds;
    std::vector<AresChannel*> owners; // the channel of each socket, after the watched descriptors
    for (const int fd : watchFds) {
        fds.push_back({fd, POLLIN, 0});
    }
    int timeoutMs = -1;
    for (AresChannel* channel : channels) {
        if (channel->m_channel == nullptr) {
            continue;
        }
        for (const auto& [fd, events] : channel->m_sockets) {
            fds.push_back({fd, events, 0});
            owners.push_back(channel);
        }
        timeval limit{};
        if (const timeval* next = ares_timeout(channel->m_channel, nullptr, &limit); next != nullptr) {
            const int ms = static_cast<int>(next->tv_sec * 1000 + (next->tv_usec + 999) / 1000);
            timeoutMs = timeoutMs < 0 ? ms : std::min(timeoutMs, ms);
        }
    }
    const int ready = retryOnEintr([&] { return api.poll(fds.data(), fds.size(), timeoutMs); });
    int watched = -1;
    for (std::size_t i = 0; i < watchFds.size() && ready > 0 && watched < 0; ++i) {
        if (fds[i].revents != 0) {
            watched = static_cast<int>(i);
        }
    }
    for (std::size_t i = watchFds.size(); i < fds.size() && ready > 0; ++i) {
        const short got = fds[i].revents;
        if (got == 0) {
            continue;
        }
        const bool readable = (got & (POLLIN | POLLERR | POLLHUP)) != 0;
        const bool writable = (got & (POLLOUT | POLLERR | POLLHUP)) != 0;
        ares_process_fd(owners[i - watchFds.size()]->m_channel, readable ? fds[i].fd : ARES_SOCKET_BAD,
                        writable ? fds[i].fd : ARES_SOCKET_BAD);
    }
    for (AresChannel* channel : channels) {
        if (channel->m_channel != nullptr) {
            // Expires the tries that have run out.
            ares_process_fd(channel->m_channel, ARES_SOCKET_BAD, ARES_SOCKET_BAD);
        }
    }
    return watched;
}

} // namespace cvt
