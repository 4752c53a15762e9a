#pragma once

// Asks DNS, ahead of the registry, whether names are delegated (their NS records), many questions at
// once on a thread of its own, so a caller never waits on DNS:
//
//     cvt::DnsPrecheck dns(options, [&](cvt::DnsAnswer answer) { events.push(std::move(answer)); });
//     dns.submit(cellTag, "example.com");     // returns at once; one answer per submit, in any order
//     dns.stop();                             // ends everything under way; no answer arrives after it
//
// The sink runs on the component's thread, one answer at a time; it should hand the answer over
// and return (it must not throw or destroy the component; calling stop() from it is fine). A name DNS cannot
// carry, or every name when no resolver could be set up, is answered NotDelegated/NotAsked without
// a question on the wire. Every failure is NotDelegated: the caller then asks the registry.
//
// A question can also go straight to a zone's own name servers, without a resolver:
//
//     const auto servers = dns.nameServers({"a.nic.example", "b.nic.example"});
//     dns.submit(cellTag, "name.example", servers);  // asked of those servers, without recursion
//
// Their addresses are looked up through the resolver once, when the first question for them comes;
// when no address can be found every question for them is answered NotAsked.

#include "net/dns/DnsAnswer.h"
#include "net/socket/SocketApi.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace cvt {

struct DnsPrecheckOptions {
    // Empty: the system's resolvers (/etc/resolv.conf). Otherwise an IPv4 or IPv6 address literal.
    std::string ServerAddress;
    std::uint16_t ServerPort = 53;
    // The port a zone's own name servers are asked on (53; tests point it at a local server).
    std::uint16_t NameServerPort = 53;
    // Questions on the wire at once.
    int MaxInFlight = 64;
    // How long one try waits for its answer, and how many tries a question gets (a timeout or a
    // refused port tries again; each try goes once round the resolvers).
    std::chrono::milliseconds TryTimeout{2000};
    int Tries = 2;
    SocketApi* Api = &SocketApi::system();
};

class DnsPrecheck {
public:
    using Sink = std::function<void(DnsAnswer)>;
    // The servers a question goes to: kResolver, or a handle from nameServers().
    using ServerSet = std::size_t;
    static constexpr ServerSet kResolver = 0;

    // Starts the thread at once. Never throws for a resolver that cannot be set up: setupError()
    // then says why and every name is answered NotAsked.
    DnsPrecheck(DnsPrecheckOptions options, Sink sink);
    ~DnsPrecheck();
    DnsPrecheck(const DnsPrecheck&) = delete;
    DnsPrecheck& operator=(const DnsPrecheck&) = delete;

    // The handle of a zone's name servers (host names or address literals); the same servers in any
    // order or letter case give the same handle, none gives kResolver. Thread-safe.
    ServerSet nameServers(std::vector<std::string> hosts);
    // Queues a question; thread-safe; ignored after stop().
    void submit(std::uint64_t tag, std::string name, ServerSet servers = kResolver);
    // Drops every question for these servers, queued or on the wire, without an answer, and every
    // later one. Thread-safe.
    void abandon(ServerSet servers);
    // Cancels every question, queued or on the wire, and joins the thread (from the sink: only
    // stops; the owner's destructor joins). No answer is delivered once it returns.
    void stop();
    // Empty when the resolver was set up; waits for the set-up to finish.
    std::string setupError();

private:
    struct Pending {
        std::uint64_t Tag;
        std::string Name;
        ServerSet Servers;
    };
    class Worker;

    void run();
    void wake();
    std::vector<std::string> hostsOf(ServerSet servers);
    // Hands an answer to the sink; a sink that throws ends the program rather than unwind through
    // the resolver library.
    void deliver(DnsAnswer answer) noexcept;

    DnsPrecheckOptions m_options;
    Sink m_sink;
    int m_wakeFd = -1;
    std::atomic<bool> m_stopping{false};

    std::mutex m_mutex;
    std::deque<Pending> m_incoming;
    std::vector<ServerSet> m_abandoned; // not yet taken by the thread
    // The hosts of each server set (lower case, sorted; kResolver's empty), and their handles.
    std::vector<std::vector<std::string>> m_serverSets{{}};
    std::map<std::vector<std::string>, ServerSet> m_setByHosts;
    bool m_setupDone = false;
    std::string m_setupError;
    std::condition_variable m_setupChanged;
    std::condition_variable m_incomingChanged;

    std::thread m_thread;
};

} // namespace cvt
