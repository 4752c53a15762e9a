#include "net/dns/DnsPrecheck.h"

#include "net/dns/DnsName.h"
#include "net/dns/DnsNsReply.h"

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

std::once_flag g_libraryInit;
int g_libraryStatus = ARES_SUCCESS;

int initLibrary() {
    std::call_once(g_libraryInit, [] { g_libraryStatus = ares_library_init(ARES_LIB_INIT_ALL); });
    return g_libraryStatus;
}

// The address list the library reads: "a.b.c.d:port" or "[v6]:port".
std::string serverList(const DnsPrecheckOptions& options) {
    const bool v6 = options.ServerAddress.find(':') != std::string::npos;
    std::string list = v6 ? "[" + options.ServerAddress + "]" : options.ServerAddress;
    return list + ":" + std::to_string(options.ServerPort);
}

DnsAnswer notAsked(std::uint64_t tag, std::string name) {
    DnsAnswer answer;
    answer.Tag = tag;
    answer.Name = std::move(name);
    answer.Verdict = DnsVerdict::NotDelegated;
    answer.Why = DnsMiss::NotAsked;
    return answer;
}

} // namespace

// Everything the DNS thread owns: the resolver channel, its sockets and the questions on the wire.
class DnsPrecheck::Worker {
public:
    explicit Worker(DnsPrecheck& owner) : m_owner(owner) {}

    ~Worker() {
        if (m_ready) {
            // Ends every question with ARES_EDESTRUCTION; their callbacks only free them.
            ares_destroy(m_channel);
        }
    }

    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    // Empty on success, otherwise why the resolver cannot be used.
    std::string setUp() {
        if (const int status = initLibrary(); status != ARES_SUCCESS) {
            return std::string("DNS library: ") + ares_strerror(status);
        }
        const DnsPrecheckOptions& options = m_owner.m_options;
        ares_options settings{};
        // SERVFAIL and REFUSED come back as such instead of as a refused port after trying the
        // other resolvers: either way the name goes to the registry.
        settings.flags = ARES_FLAG_NOSEARCH | ARES_FLAG_NOALIASES | ARES_FLAG_NOCHECKRESP;
        settings.timeout = static_cast<int>(std::max<std::int64_t>(1, options.TryTimeout.count()));
        settings.tries = 1; // the second try is ours, so every try waits the same time
        settings.sock_state_cb = &Worker::onSocketState;
        settings.sock_state_cb_data = this;
        const int mask = ARES_OPT_FLAGS | ARES_OPT_TIMEOUTMS | ARES_OPT_TRIES | ARES_OPT_SOCK_STATE_CB;
        if (const int status = ares_init_options(&m_channel, &settings, mask); status != ARES_SUCCESS) {
            return std::string("DNS resolver: ") + ares_strerror(status);
        }
        m_ready = true;
        if (!options.ServerAddress.empty()) {
            const std::string list = serverList(options);
            if (const int status = ares_set_servers_ports_csv(m_channel, list.c_str()); status != ARES_SUCCESS) {
                return "DNS server " + list + ": " + ares_strerror(status);
            }
        }
        return {};
    }

    void markFailed() { m_failed = true; }
    bool failed() const { return m_failed; }

    // Sends queued questions while there is room on the wire.
    void launch(std::deque<Pending>& queue) {
        while (!queue.empty() && m_inFlight < std::max(1, m_owner.m_options.MaxInFlight) && !stopping()) {
            Pending next = std::move(queue.front());
            queue.pop_front();
            if (m_failed || !dnsCanCarry(next.Name)) {
                m_owner.deliver(notAsked(next.Tag, std::move(next.Name)));
                continue;
            }
            auto* question = new Question{this, next.Tag, std::move(next.Name), std::max(1, m_owner.m_options.Tries)};
            ++m_inFlight;
            ask(question);
        }
    }

    bool idle() const { return m_inFlight == 0; }

    // Waits for the sockets, the wake-up descriptor or the next time-out, then lets the library
    // read what arrived and expire what is late.
    void waitAndProcess(int wakeFd) {
        std::vector<pollfd> fds;
        fds.push_back({wakeFd, POLLIN, 0});
        for (const auto& [fd, events] : m_sockets) {
            fds.push_back({fd, events, 0});
        }
        int timeoutMs = -1;
        if (m_ready && !idle()) {
            timeval limit{};
            if (const timeval* next = ares_timeout(m_channel, nullptr, &limit); next != nullptr) {
                timeoutMs = static_cast<int>(next->tv_sec * 1000 + (next->tv_usec + 999) / 1000);
            }
        }
        SocketApi& api = *m_owner.m_options.Api;
        const int ready = retryOnEintr([&] { return api.poll(fds.data(), fds.size(), timeoutMs); });
        if (ready > 0 && (fds[0].revents & POLLIN) != 0) {
            std::uint64_t count = 0;
            (void)retryOnEintr([&] { return api.read(wakeFd, &count, sizeof count); });
        }
        if (!m_ready || stopping()) {
            return;
        }
        for (std::size_t i = 1; i < fds.size() && ready > 0; ++i) {
            const short got = fds[i].revents;
            if (got == 0) {
                continue;
            }
            const bool readable = (got & (POLLIN | POLLERR | POLLHUP)) != 0;
            const bool writable = (got & (POLLOUT | POLLERR | POLLHUP)) != 0;
            ares_process_fd(m_channel, readable ? fds[i].fd : ARES_SOCKET_BAD, writable ? fds[i].fd : ARES_SOCKET_BAD);
        }
        // Expires the questions whose try has run out.
        ares_process_fd(m_channel, ARES_SOCKET_BAD, ARES_SOCKET_BAD);
    }

private:
    struct Question {
        Worker* worker;
        std::uint64_t tag;
        std::string name;
        int triesLeft;
    };

    bool stopping() const { return m_owner.m_stopping.load(std::memory_order_acquire); }

    void ask(Question* question) {
        ares_query(m_channel, question->name.c_str(), ns_c_in, ns_t_ns, &Worker::onReply, question);
    }

    static void onSocketState(void* data, ares_socket_t fd, int readable, int writable) {
        auto* worker = static_cast<Worker*>(data);
        if (readable == 0 && writable == 0) {
            worker->m_sockets.erase(fd);
            return;
        }
        worker->m_sockets[fd] = static_cast<short>((readable != 0 ? POLLIN : 0) | (writable != 0 ? POLLOUT : 0));
    }

    static void onReply(void* arg, int status, int /*timeouts*/, unsigned char* reply, int replyLength) {
        std::unique_ptr<Question> question(static_cast<Question*>(arg));
        Worker& worker = *question->worker;
        const bool ended = status == ARES_ECANCELLED || status == ARES_EDESTRUCTION || worker.stopping();
        const bool retry = status == ARES_ETIMEOUT || status == ARES_ECONNREFUSED;
        if (!ended && retry && --question->triesLeft > 0) {
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
    ares_channel m_channel = nullptr;
    bool m_ready = false;
    bool m_failed = false;
    int m_inFlight = 0;
    std::map<ares_socket_t, short> m_sockets;
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

void DnsPrecheck::submit(std::uint64_t tag, std::string name) {
    if (m_stopping.load(std::memory_order_acquire)) {
        return;
    }
    {
        const std::lock_guard lock(m_mutex);
        m_incoming.push_back({tag, std::move(name)});
    }
    m_incomingChanged.notify_one();
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
            worker.launch(batch);
        }
    }
    std::deque<Pending> queue;
    while (!m_stopping.load(std::memory_order_acquire)) {
        {
            const std::lock_guard lock(m_mutex);
            std::move(m_incoming.begin(), m_incoming.end(), std::back_inserter(queue));
            m_incoming.clear();
        }
        worker.launch(queue);
        if (m_stopping.load(std::memory_order_acquire)) {
            break;
        }
        worker.waitAndProcess(m_wakeFd);
    }
}

} // namespace cvt
