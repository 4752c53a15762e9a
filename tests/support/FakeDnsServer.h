#pragma once

// A DNS responder for tests: UDP and TCP on 127.0.0.1 on one port the system chooses, answering NS
// questions from a table on its own thread and counting what it was asked. Over TCP a Truncated
// entry is answered in full (its NS records, if any), as a server does when a reply did not fit; a
// server made without TCP leaves that retry to find the port closed.
//
//     cvt::test::FakeDnsServer dns;                          // unknown names: NXDOMAIN
//     dns.set("taken.com", FakeDnsServer::nameServers({"ns1.host.net", "ns2.host.net"}));
//     dns.set("broken.com", {FakeDnsServer::Reply::ServerFailure, {}});
//     dns.timesAsked("taken.com");                           // -> 1

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace cvt::test {

class FakeDnsServer {
public:
    enum class Reply {
        NameServers,    // NOERROR with the entry's NS records
        NoSuchName,     // NXDOMAIN
        NoRecords,      // NOERROR without records
        ServerFailure,  // SERVFAIL
        Silent,         // no reply at all
        Truncated,      // over UDP NOERROR with TC set and no records; over TCP the NS records
        Held,           // no reply until release(), then the entry's NS records
        ParentRecords,  // NOERROR with the entry's NS records owned by the name's parent (the suffix)
        Referral,       // the suffix's own server: NOERROR, no answer, the NS records in the authority section
        ParentReferral, // NOERROR, no answer, NS records of the name's parent in the authority section
        Loopback,       // NOERROR: an A question gets 127.0.0.1, an AAAA question ::1, others nothing
        // NOERROR: an A question gets 127.0.0.1, others nothing. For name servers whose address
        // must be the fake server's own: on ::1 nothing listens, and a question sent there may
        // get no answer at all (the system limits its port-unreachable replies).
        LoopbackIPv4,
    };
    struct Entry {
        Reply reply = Reply::NoSuchName;
        std::vector<std::string> nameServers;
    };
    static Entry nameServers(std::vector<std::string> hosts) { return {Reply::NameServers, std::move(hosts)}; }

    // Starts at once, answering names missing from the table as the given entry (NXDOMAIN by
    // default), on UDP and, unless told otherwise, TCP. Throws std::runtime_error when it cannot bind.
    FakeDnsServer();
    explicit FakeDnsServer(Entry unknownNames, bool listenOnTcp = true);
    ~FakeDnsServer();
    FakeDnsServer(const FakeDnsServer&) = delete;
    FakeDnsServer& operator=(const FakeDnsServer&) = delete;

    // Names are matched without regard to letter case.
    void set(const std::string& name, Entry entry);
    std::uint16_t port() const { return m_port; }

    // Questions over UDP and TCP together.
    int timesAsked(const std::string& name) const;
    int tcpQuestionCount() const;
    int questionCount() const;
    // Questions that asked for recursion (RD set).
    int recursiveQuestionCount() const;
    // Questions held so far and not yet answered.
    int heldCount() const;
    // Answers every held question, and answers Held names at once from now on.
    void release();
    void stop();

private:
    struct HeldQuestion {
        std::vector<std::uint8_t> query;
        std::vector<std::uint8_t> peer; // the sender's sockaddr bytes
        std::string name;
    };

    void serve();
    void answer(const std::vector<std::uint8_t>& query, const std::vector<std::uint8_t>& peer);
    void send(const std::vector<std::uint8_t>& bytes, const std::vector<std::uint8_t>& peer);
    // Serves one length-prefixed question of a TCP connection; false when the connection ended.
    bool serveTcp(int fd);
    // Counts the question (an empty peer: over TCP); the entry to answer it with, or nothing when
    // it was held.
    std::optional<Entry> record(const std::string& name, const std::vector<std::uint8_t>& query,
                                const std::vector<std::uint8_t>& peer);

    Entry m_unknown;
    int m_fd = -1;
    int m_tcpFd = -1;
    std::vector<int> m_connections; // the serving thread's
    int m_stopFd = -1;
    int m_releaseFd = -1;
    std::uint16_t m_port = 0;
    mutable std::mutex m_mutex;
    std::map<std::string, Entry> m_table;
    std::map<std::string, int> m_asked;
    int m_questions = 0;
    int m_tcpQuestions = 0;
    int m_recursive = 0;
    bool m_released = false;
    std::vector<HeldQuestion> m_held;
    std::thread m_thread;
};

// A UDP port on 127.0.0.1 where nothing listens: a datagram there is refused.
std::uint16_t closedUdpLoopbackPort();

} // namespace cvt::test
