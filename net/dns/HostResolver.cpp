#include "net/dns/HostResolver.h"

#include "net/socket/NetCancelSignal.h"
#include "net/socket/NetErrors.h"
#include "net/socket/NetExceptions.h"
#include "net/socket/SocketApi.h"

#include <algorithm>
#include <ares.h>
#include <map>
#include <mutex>
#include <poll.h>

namespace cvt {

namespace {

int libraryStatus() {
    static std::once_flag once;
    static int status = ARES_SUCCESS;
    std::call_once(once, [] { status = ares_library_init(ARES_LIB_INIT_ALL); });
    return status;
}

int wsaErrorFromAres(int status) {
    switch (status) {
    case ARES_ENOTFOUND:
    case ARES_ENODATA:
    case ARES_ENONAME:
    case ARES_EBADNAME:
        return wsa::kHostNotFound;
    case ARES_ETIMEOUT:
    case ARES_ECONNREFUSED:
    case ARES_ESERVFAIL:
    case ARES_EREFUSED:
        return wsa::kTryAgain;
    default:
        return wsa::kNoRecovery;
    }
}

// One lookup on a channel of its own: the library's sockets as it asks for them, and the outcome
// its callback leaves.
class Lookup {
public:
    Lookup() = default;
    Lookup(const Lookup&) = delete;
    Lookup& operator=(const Lookup&) = delete;
    ~Lookup() {
        if (m_channel != nullptr) {
            // Ends the question under way; its callback only records that.
            ares_destroy(m_channel);
        }
    }

    void setUp(const HostResolverOptions& options) {
        if (libraryStatus() != ARES_SUCCESS) {
            throw ENetSocketError(wsa::kNoRecovery);
        }
        ares_options settings{};
        settings.timeout = static_cast<int>(std::max<std::int64_t>(1, options.TryTimeout.count()));
        settings.tries = std::max(1, options.Tries);
        settings.sock_state_cb = &Lookup::onSocketState;
        settings.sock_state_cb_data = this;
        const int mask = ARES_OPT_TIMEOUTMS | ARES_OPT_TRIES | ARES_OPT_SOCK_STATE_CB;
        if (ares_init_options(&m_channel, &settings, mask) != ARES_SUCCESS) {
            m_channel = nullptr;
            throw ENetSocketError(wsa::kNoRecovery);
        }
        if (!options.ServerAddress.empty()) {
            const bool v6 = options.ServerAddress.find(':') != std::string::npos;
            const std::string list = (v6 ? "[" + options.ServerAddress + "]" : options.ServerAddress) + ":" +
                                     std::to_string(options.ServerPort);
            if (ares_set_servers_ports_csv(m_channel, list.c_str()) != ARES_SUCCESS) {
                throw ENetSocketError(wsa::kNoRecovery);
            }
        }
    }

    void start(const std::string& name, std::uint16_t port) {
        m_port = port;
        ares_addrinfo_hints hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        ares_getaddrinfo(m_channel, name.c_str(), nullptr, &hints, &Lookup::onDone, this);
    }

    bool done() const { return m_done; }
    int status() const { return m_status; }
    std::vector<NetEndpoint>& found() { return m_found; }

    // Waits for the library's sockets, the cancel descriptors or the next time-out; true when a
    // cancel descriptor became readable.
    bool waitAndProcess(SocketApi& api, const std::vector<int>& cancelFds) {
        std::vector<pollfd> fds;
        for (const int fd : cancelFds) {
            fds.push_back({fd, POLLIN, 0});
        }
        for (const auto& [fd, events] : m_sockets) {
            fds.push_back({fd, events, 0});
        }
        int timeoutMs = -1;
        timeval limit{};
        if (const timeval* next = ares_timeout(m_channel, nullptr, &limit); next != nullptr) {
            timeoutMs = static_cast<int>(next->tv_sec * 1000 + (next->tv_usec + 999) / 1000);
        }
        const int ready = retryOnEintr([&] { return api.poll(fds.data(), fds.size(), timeoutMs); });
        for (std::size_t i = 0; i < cancelFds.size(); ++i) {
            if (ready > 0 && fds[i].revents != 0) {
                return true;
            }
        }
        for (std::size_t i = cancelFds.size(); i < fds.size() && ready > 0; ++i) {
            const short got = fds[i].revents;
            if (got == 0) {
                continue;
            }
            const bool readable = (got & (POLLIN | POLLERR | POLLHUP)) != 0;
            const bool writable = (got & (POLLOUT | POLLERR | POLLHUP)) != 0;
            ares_process_fd(m_channel, readable ? fds[i].fd : ARES_SOCKET_BAD, writable ? fds[i].fd : ARES_SOCKET_BAD);
        }
        // Expires the tries that have run out.
        ares_process_fd(m_channel, ARES_SOCKET_BAD, ARES_SOCKET_BAD);
        return false;
    }

private:
    static void onSocketState(void* data, ares_socket_t fd, int readable, int writable) {
        auto* lookup = static_cast<Lookup*>(data);
        if (readable == 0 && writable == 0) {
            lookup->m_sockets.erase(fd);
            return;
        }
        lookup->m_sockets[fd] = static_cast<short>((readable != 0 ? POLLIN : 0) | (writable != 0 ? POLLOUT : 0));
    }

    static void onDone(void* arg, int status, int /*timeouts*/, ares_addrinfo* result) {
        auto* lookup = static_cast<Lookup*>(arg);
        lookup->m_done = true;
        lookup->m_status = status;
        if (result == nullptr) {
            return;
        }
        for (const ares_addrinfo_node* node = result->nodes; node != nullptr; node = node->ai_next) {
            const auto endpoint = NetEndpoint::fromSockaddr(node->ai_addr, node->ai_addrlen, lookup->m_port);
            if (endpoint &&
                std::find(lookup->m_found.begin(), lookup->m_found.end(), *endpoint) == lookup->m_found.end()) {
                lookup->m_found.push_back(*endpoint);
            }
        }
        ares_freeaddrinfo(result);
    }

    ares_channel m_channel = nullptr;
    std::map<ares_socket_t, short> m_sockets;
    std::uint16_t m_port = 0;
    bool m_done = false;
    int m_status = ARES_SUCCESS;
    std::vector<NetEndpoint> m_found;
};

} // namespace

std::vector<NetEndpoint> HostResolver::resolve(SocketApi& api, std::string_view host, std::uint16_t port,
                                               std::initializer_list<NetCancelSignal*> cancels) const {
    if (auto literal = parseAddressLiteral(host, port)) {
        return {*literal};
    }
    const std::string name = lookupName(host);
    const auto cancelled = [&cancels] {
        return std::any_of(cancels.begin(), cancels.end(), [](const NetCancelSignal* s) { return s->raised(); });
    };
    std::vector<int> cancelFds;
    for (NetCancelSignal* signal : cancels) {
        if (const int fd = signal->fd(api); fd >= 0) {
            cancelFds.push_back(fd);
        }
    }
    if (cancelled()) {
        throw ENetOperationCancelled();
    }
    Lookup lookup;
    lookup.setUp(m_options);
    lookup.start(name, port);
    while (!lookup.done()) {
        // A withdrawn request leaves its descriptor readable until it is cleared: only a raised
        // one ends the lookup.
        if (lookup.waitAndProcess(api, cancelFds) && cancelled()) {
            throw ENetOperationCancelled();
        }
    }
    if (lookup.status() != ARES_SUCCESS || lookup.found().empty()) {
        throw ENetSocketError(lookup.status() == ARES_SUCCESS ? wsa::kHostNotFound : wsaErrorFromAres(lookup.status()));
    }
    return std::move(lookup.found());
}

} // namespace cvt
