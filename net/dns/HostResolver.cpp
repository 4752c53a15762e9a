#include "net/dns/HostResolver.h"

#include "net/dns/AresChannel.h"
#include "net/socket/NetCancelSignal.h"
#include "net/socket/NetErrors.h"
#include "net/socket/NetExceptions.h"
#include "net/socket/SocketApi.h"

#include <algorithm>
#include <ares.h>

namespace cvt {

namespace {

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

// One lookup on a channel of its own, and the outcome its callback leaves.
class Lookup {
public:
    void setUp(const HostResolverOptions& options) {
        if (aresLibraryStatus() != ARES_SUCCESS) {
            throw ENetSocketError(wsa::kNoRecovery);
        }
        ares_options settings{};
        settings.timeout = static_cast<int>(std::max<std::int64_t>(1, options.TryTimeout.count()));
        settings.tries = std::max(1, options.Tries);
        if (m_channel.init(settings, ARES_OPT_TIMEOUTMS | ARES_OPT_TRIES) != ARES_SUCCESS) {
            throw ENetSocketError(wsa::kNoRecovery);
        }
        if (!options.ServerAddress.empty() &&
            m_channel.setServers(aresServerAddress(options.ServerAddress, options.ServerPort)) != ARES_SUCCESS) {
            throw ENetSocketError(wsa::kNoRecovery);
        }
    }

    void start(const std::string& name, std::uint16_t port) {
        m_port = port;
        ares_addrinfo_hints hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        ares_getaddrinfo(m_channel.get(), name.c_str(), nullptr, &hints, &Lookup::onDone, this);
    }

    bool done() const { return m_done; }
    int status() const { return m_status; }
    std::vector<NetEndpoint>& found() { return m_found; }
    AresChannel& channel() { return m_channel; }

private:
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

    std::uint16_t m_port = 0;
    bool m_done = false;
    int m_status = ARES_SUCCESS;
    std::vector<NetEndpoint> m_found;
    // Last: destroying it ends the question under way, whose callback records that above.
    AresChannel m_channel;
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
        if (AresChannel::waitAndProcess(api, cancelFds, {&lookup.channel()}) >= 0 && cancelled()) {
            throw ENetOperationCancelled();
        }
    }
    if (lookup.status() != ARES_SUCCESS || lookup.found().empty()) {
        throw ENetSocketError(lookup.status() == ARES_SUCCESS ? wsa::kHostNotFound : wsaErrorFromAres(lookup.status()));
    }
    return std::move(lookup.found());
}

} // namespace cvt
