#include "net/dns/DnsPrecheck.h"

#include "net/dns/AresChannel.h"
#include "net/dns/DnsName.h"
#include "net/dns/DnsNsReply.h"
#include "net/socket/NetAddress.h"
#include "text/AsciiCase.h"

#include <algorithm>
#include <ares.h>
#include <arpa/nameser.h>
#include <cstdint>
#include <iterator>
#include <map>
#include <memory>
#include <sys/eventfd.h>
#include <vector>

namespace cvt {

namespace {

DnsAnswer notAsked(std::uint64_t tag, std::string name) {
    DnsAnswer answer;
    answer.Tag = tag;
    answer.Name = std::move(name);
    answer.Verdict = DnsVerdict::NotDelegated;
    answer.Why = DnsMiss::NotAsked;
    return answer;
}

bool endedBy(int status) {
    return status == ARES_ECANCELLED || status == ARES_EDESTRUCTION;
}

bool worthAnotherTry(int status) {
    return status == ARES_ETIMEOUT || status == ARES_ECONNREFUSED;
}

} // namespace

// Everything the DNS thread owns: a resolver channel, one channel per set of name servers asked
// directly (made when its first question comes), and the questions on the wire.
class DnsPrecheck::Worker {
public:
    explicit Worker(DnsPrecheck& owner) : m_owner(owner), m_zones(1) {}

    ~Worker() {
        // Ends every question with ARES_EDESTRUCTION; their callbacks only free them. The resolver
        // goes last: the name servers' address lookups run on it.
        for (std::size_t zone = m_zones.size(); zone-- > 0;) {
            m_zones[zone].channel.reset();
        }
    }

    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    // Empty on success, otherwise why the resolver cannot be used.
    std::string setUp() {
        if (const int status = aresLibraryStatus(); status != ARES_SUCCESS) {
            return std::string("DNS library: ") + ares_strerror(status);
        }
        const DnsPrecheckOptions& options = m_owner.m_options;
        ares_options settings{};
        // SERVFAIL and REFUSED come back as such instead of as a refused port after trying the
        // other resolvers: either way the name goes to the registry.
        settings.flags = ARES_FLAG_NOSEARCH | ARES_FLAG_NOALIASES | ARES_FLAG_NOCHECKRESP;
        auto channel = std::make_unique<AresChannel>();
        if (const int status = channel->init(settings, tryOptions(settings)); status != ARES_SUCCESS) {
            return std::string("DNS resolver: ") + ares_strerror(status);
        }
        m_zones[kResolver].channel = std::move(channel);
        m_zones[kResolver].state = Zone::State::Ready;
        if (!options.ServerAddress.empty()) {
            const std::string list = aresServerAddress(options.ServerAddress, options.ServerPort);
            if (const int status = m_zones[kResolver].channel->setServers(list); status != ARES_SUCCESS) {
                return "DNS server " + list + ": " + ares_strerror(status);
            }
        }
        return {};
    }

    void markFailed() { m_failed = true; }
    bool failed() const { return m_failed; }

    void take(std::deque<Pending>& incoming) {
        std::move(incoming.begin(), incoming.end(), std::back_inserter(m_queue));
        incoming.clear();
    }

    // Drops what is queued, parked or on the wire for these servers.
    void abandon(ServerSet servers) {
        Zone& zone = zoneOf(servers);
        zone.abandoned = true;
        zone.parked.clear();
        if (zone.channel) {
            // Their callbacks run with ARES_ECANCELLED and deliver nothing.
            ares_cancel(zone.channel->get());
        }
    }

    // Sends queued questions while there is room on the wire.
    void launch() {
        const int limit = std::max(1, m_owner.m_options.MaxInFlight);
        while (!m_queue.empty() && m_inFlight < limit && !stopping()) {
            Pending next = std::move(m_queue.front());
            m_queue.pop_front();
            if (m_failed || !dnsCanCarry(next.Name)) {
                m_owner.deliver(notAsked(next.Tag, std::move(next.Name)));
                continue;
            }
            if (zoneOf(next.Servers).abandoned) {
                continue;
            }
            if (m_zones[next.Servers].state == Zone::State::New) {
                lookUpNameServers(next.Servers);
            }
            Zone& zone = m_zones[next.Servers];
            switch (zone.state) {
            case Zone::State::New:
            case Zone::State::LookingUp:
                zone.parked.push_back(std::move(next));
                break;
            case Zone::State::Failed:
                m_owner.deliver(notAsked(next.Tag, std::move(next.Name)));
                break;
            case Zone::State::Ready:
                ++m_inFlight;
                ask(new Question{this, next.Tag, std::move(next.Name), next.Servers,
                                 std::max(1, m_owner.m_options.Tries)});
                break;
            }
        }
    }

    // Waits for the sockets of every channel, the wake-up descriptor or the next time-out, and lets
    // the channels read what arrived and expire what is late.
    void waitAndProcess(int wakeFd) {
        std::vector<AresChannel*> channels;
        for (const Zone& zone : m_zones) {
            if (zone.channel) {
                channels.push_back(zone.channel.get());
            }
        }
        SocketApi& api = *m_owner.m_options.Api;
        if (AresChannel::waitAndProcess(api, {wakeFd}, channels) == 0) {
            std::uint64_t count = 0;
            (void)retryOnEintr([&] { return api.read(wakeFd, &count, sizeof count); });
        }
    }

private:
    struct Zone {
        enum class State : std::uint8_t { New, LookingUp, Ready, Failed };
        State state = State::New;
        bool abandoned = false;
        std::unique_ptr<AresChannel> channel;
        std::deque<Pending> parked;       // questions waiting for the name servers' addresses
        int lookupsLeft = 0;              // address lookups under way
        std::vector<std::string> servers; // the channel's server list entries
    };
    struct Question {
        Worker* worker;
        std::uint64_t tag;
        std::string name;
        ServerSet servers;
        int triesLeft;
    };
    struct AddressLookup {
        Worker* worker;
        ServerSet servers;
        std::string host;
        int triesLeft;
    };

    bool stopping() const { return m_owner.m_stopping.load(std::memory_order_acquire); }

    // The options every channel takes for its tries; the caller's flags stay.
    int tryOptions(ares_options& settings) const {
        settings.timeout = static_cast<int>(std::max<std::int64_t>(1, m_owner.m_options.TryTimeout.count()));
        settings.tries = 1; // the second try is ours, so every try waits the same time
        return ARES_OPT_FLAGS | ARES_OPT_TIMEOUTMS | ARES_OPT_TRIES;
    }

    Zone& zoneOf(ServerSet servers) {
        if (servers >= m_zones.size()) {
            m_zones.resize(servers + 1);
        }
        return m_zones[servers];
    }

    // Starts looking up the addresses of a set's hosts; literals need no lookup.
    void lookUpNameServers(ServerSet servers) {
        const std::vector<std::string> hosts = m_owner.hostsOf(servers);
        Zone& zone = m_zones[servers];
        zone.state = Zone::State::LookingUp;
        zone.lookupsLeft = 1; // held until every lookup has started: a callback may run at once
        for (const std::string& host : hosts) {
            if (const auto literal = parseAddressLiteral(host, 0)) {
                addServer(zone, *literal);
                continue;
            }
            ++zone.lookupsLeft;
            startLookup(new AddressLookup{this, servers, host, std::max(1, m_owner.m_options.Tries)});
        }
        lookupEnded(servers);
    }

    void startLookup(AddressLookup* lookup) {
        ares_addrinfo_hints hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_DGRAM;
        ares_getaddrinfo(m_zones[kResolver].channel->get(), lookup->host.c_str(), nullptr, &hints, &Worker::onAddresses,
                         lookup);
    }

    void addServer(Zone& zone, const NetEndpoint& endpoint) {
        std::string entry = aresServerAddress(formatAddress(endpoint), m_owner.m_options.NameServerPort);
        if (std::find(zone.servers.begin(), zone.servers.end(), entry) == zone.servers.end()) {
            zone.servers.push_back(std::move(entry));
        }
    }

    // One lookup of the set ended; after the last, its channel is made (or the set fails) and its
    // parked questions go back to the front of the queue.
    void lookupEnded(ServerSet servers) {
        Zone& zone = m_zones[servers];
        if (--zone.lookupsLeft > 0) {
            return;
        }
        zone.state = openChannel(zone) ? Zone::State::Ready : Zone::State::Failed;
        std::move(zone.parked.rbegin(), zone.parked.rend(), std::front_inserter(m_queue));
        zone.parked.clear();
    }

    bool openChannel(Zone& zone) {
        if (zone.servers.empty()) {
            return false;
        }
        ares_options settings{};
        // A server that fails or refuses is passed over for the zone's next one.
        settings.flags = ARES_FLAG_NORECURSE | ARES_FLAG_NOSEARCH | ARES_FLAG_NOALIASES;
        auto channel = std::make_unique<AresChannel>();
        if (channel->init(settings, tryOptions(settings)) != ARES_SUCCESS) {
            return false;
        }
        std::string list;
        for (const std::string& server : zone.servers) {
            list += (list.empty() ? "" : ",") + server;
        }
        if (channel->setServers(list) != ARES_SUCCESS) {
            return false;
        }
        zone.channel = std::move(channel);
        return true;
    }

    void ask(Question* question) {
        ares_query(m_zones[question->servers].channel->get(), question->name.c_str(), ns_c_in, ns_t_ns,
                   &Worker::onReply, question);
    }

    static void onAddresses(void* arg, int status, int /*timeouts*/, ares_addrinfo* result) {
        std::unique_ptr<AddressLookup> lookup(static_cast<AddressLookup*>(arg));
        Worker& worker = *lookup->worker;
        if (status == ARES_EDESTRUCTION || worker.stopping()) {
            if (result != nullptr) {
                ares_freeaddrinfo(result);
            }
            return;
        }
        if (worthAnotherTry(status) && --lookup->triesLeft > 0) {
            worker.startLookup(lookup.release());
            return;
        }
        if (result != nullptr) {
            Zone& zone = worker.m_zones[lookup->servers];
            for (const ares_addrinfo_node* node = result->nodes; node != nullptr; node = node->ai_next) {
                if (const auto endpoint = NetEndpoint::fromSockaddr(node->ai_addr, node->ai_addrlen, 0)) {
                    worker.addServer(zone, *endpoint);
                }
            }
            ares_freeaddrinfo(result);
        }
        worker.lookupEnded(lookup->servers);
    }

    static void onReply(void* arg, int status, int /*timeouts*/, unsigned char* reply, int replyLength) {
        std::unique_ptr<Question> question(static_cast<Question*>(arg));
        Worker& worker = *question->worker;
        const bool ended = endedBy(status) || worker.stopping();
        if (!ended && worthAnotherTry(status) && --question->triesLeft > 0) {
            worker.ask(question.release());
            return;
        }
        --worker.m_inFlight;
        if (ended) {
            return;
        }
        DnsAnswer answer = interpretNsReply(status, reply, replyLength);
        answer.Tag = question->tag;
        answer.Name = std::move(question->name);
        worker.m_owner.deliver(std::move(answer));
    }

    DnsPrecheck& m_owner;
    bool m_failed = false;
    int m_inFlight = 0;
    std::deque<Pending> m_queue;
    std::vector<Zone> m_zones; // by ServerSet; kResolver's channel is the resolver
};

DnsPrecheck::DnsPrecheck(DnsPrecheckOptions options, Sink sink)
    : m_options(std::move(options)), m_sink(std::move(sink)) {
    m_wakeFd = m_options.Api->eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    m_thread = std::thread([this] { run(); });
}

DnsPrecheck::~DnsPrecheck() {
    stop();
    if (m_thread.joinable()) {
        m_thread.join();
    }
    if (m_wakeFd >= 0) {
        m_options.Api->close(m_wakeFd);
    }
}

DnsPrecheck::ServerSet DnsPrecheck::nameServers(std::vector<std::string> hosts) {
    for (std::string& host : hosts) {
        host = toAsciiLower(host);
    }
    std::sort(hosts.begin(), hosts.end());
    hosts.erase(std::unique(hosts.begin(), hosts.end()), hosts.end());
    if (hosts.empty()) {
        return kResolver;
    }
    const std::lock_guard lock(m_mutex);
    const auto [known, added] = m_setByHosts.try_emplace(hosts, m_serverSets.size());
    if (added) {
        m_serverSets.push_back(std::move(hosts));
    }
    return known->second;
}

std::vector<std::string> DnsPrecheck::hostsOf(ServerSet servers) {
    const std::lock_guard lock(m_mutex);
    return servers < m_serverSets.size() ? m_serverSets[servers] : std::vector<std::string>();
}

void DnsPrecheck::submit(std::uint64_t tag, std::string name, ServerSet servers) {
    if (m_stopping.load(std::memory_order_acquire)) {
        return;
    }
    bool wasEmpty = false;
    {
        const std::lock_guard lock(m_mutex);
        wasEmpty = m_incoming.empty();
        m_incoming.push_back({tag, std::move(name), servers});
    }
    // The thread takes every queued question at once: one wake-up since it last took them is enough.
    if (wasEmpty) {
        m_incomingChanged.notify_one();
        wake();
    }
}

void DnsPrecheck::abandon(ServerSet servers) {
    {
        const std::lock_guard lock(m_mutex);
        m_abandoned.push_back(servers);
    }
    wake();
}

void DnsPrecheck::stop() {
    m_stopping.store(true, std::memory_order_release);
    {
        // Taken so a thread about to wait cannot miss the flag.
        const std::lock_guard lock(m_mutex);
    }
    m_incomingChanged.notify_all();
    wake();
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id()) {
        m_thread.join();
    }
}

std::string DnsPrecheck::setupError() {
    std::unique_lock lock(m_mutex);
    m_setupChanged.wait(lock, [this] { return m_setupDone; });
    return m_setupError;
}

void DnsPrecheck::deliver(DnsAnswer answer) noexcept {
    m_sink(std::move(answer));
}

void DnsPrecheck::wake() {
    if (m_wakeFd < 0) {
        return;
    }
    const std::uint64_t one = 1;
    (void)retryOnEintr([&] { return m_options.Api->write(m_wakeFd, &one, sizeof one); });
}

void DnsPrecheck::run() {
    Worker worker(*this);
    std::string error = m_wakeFd < 0 ? std::string("DNS check: no wake-up descriptor") : worker.setUp();
    if (!error.empty()) {
        worker.markFailed();
    }
    {
        const std::lock_guard lock(m_mutex);
        m_setupError = std::move(error);
        m_setupDone = true;
    }
    m_setupChanged.notify_all();
    if (worker.failed()) {
        // Nothing to wait for on the wire: each name is answered NotAsked as it comes.
        for (;;) {
            std::deque<Pending> batch;
            {
                std::unique_lock lock(m_mutex);
                m_incomingChanged.wait(
                    lock, [this] { return m_stopping.load(std::memory_order_acquire) || !m_incoming.empty(); });
                if (m_stopping.load(std::memory_order_acquire)) {
                    return;
                }
                batch.swap(m_incoming);
            }
            worker.take(batch);
            worker.launch();
        }
    }
    while (!m_stopping.load(std::memory_order_acquire)) {
        std::vector<ServerSet> abandoned;
        {
            const std::lock_guard lock(m_mutex);
            worker.take(m_incoming);
            abandoned.swap(m_abandoned);
        }
        for (const ServerSet servers : abandoned) {
            worker.abandon(servers);
        }
        worker.launch();
        if (m_stopping.load(std::memory_order_acquire)) {
            break;
        }
        worker.waitAndProcess(m_wakeFd);
    }
}

} // namespace cvt
