#include "tests/support/FakeDnsServer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <optional>
#include <poll.h>
#include <stdexcept>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace cvt::test {

namespace {

constexpr std::size_t kHeaderBytes = 12;
constexpr std::uint16_t kFlagResponse = 0x8000;
constexpr std::uint16_t kFlagTruncated = 0x0200;
constexpr std::uint16_t kTypeA = 1;
constexpr std::uint16_t kTypeAAAA = 28;
constexpr std::uint16_t kFlagRecursionDesired = 0x0100;
constexpr std::uint16_t kFlagRecursionAvailable = 0x0080;
constexpr std::uint16_t kNoError = 0;
constexpr std::uint16_t kServerFailure = 2;
constexpr std::uint16_t kNameError = 3;

std::string lowered(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

// A TCP socket listening on 127.0.0.1:port; -1 when the port is taken.
int listeningTcpSocket(std::uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 && ::listen(fd, 16) == 0) {
        return fd;
    }
    if (fd >= 0) {
        ::close(fd);
    }
    return -1;
}

bool receiveAll(int fd, std::uint8_t* data, std::size_t length) {
    while (length > 0) {
        const ssize_t got = ::recv(fd, data, length, 0);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return false;
        }
        data += got;
        length -= static_cast<std::size_t>(got);
    }
    return true;
}

int boundUdpSocket(std::uint16_t& port) {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        const std::string why = std::strerror(errno);
        if (fd >= 0) {
            ::close(fd);
        }
        throw std::runtime_error("fake DNS server cannot bind: " + why);
    }
    port = ntohs(address.sin_port);
    return fd;
}

std::uint16_t read16(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return static_cast<std::uint16_t>((bytes[at] << 8) | bytes[at + 1]);
}

void put16(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value & 0xff));
}

void putName(std::vector<std::uint8_t>& out, std::string_view name) {
    while (!name.empty()) {
        const std::size_t dot = name.find('.');
        const std::string_view label = name.substr(0, dot);
        out.push_back(static_cast<std::uint8_t>(label.size()));
        out.insert(out.end(), label.begin(), label.end());
        name = dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
    }
    out.push_back(0);
}

// The question name and the offset just past the question, when the query is well formed.
std::optional<std::pair<std::string, std::size_t>> question(const std::vector<std::uint8_t>& query) {
    if (query.size() < kHeaderBytes || read16(query, 4) != 1) {
        return std::nullopt;
    }
    std::string name;
    std::size_t at = kHeaderBytes;
    while (at < query.size() && query[at] != 0) {
        const std::size_t length = query[at];
        if (length > 63 || at + 1 + length > query.size()) {
            return std::nullopt;
        }
        if (!name.empty()) {
            name += '.';
        }
        name.append(reinterpret_cast<const char*>(query.data() + at + 1), length);
        at += 1 + length;
    }
    at += 1 + 4; // the root label, type and class
    if (at > query.size()) {
        return std::nullopt;
    }
    return std::make_pair(name, at);
}

std::vector<std::uint8_t> reply(const std::vector<std::uint8_t>& query, std::size_t questionEnd,
                                const std::string& name, const FakeDnsServer::Entry& entry, bool overTcp) {
    using Reply = FakeDnsServer::Reply;
    std::uint16_t flags = kFlagResponse | kFlagRecursionAvailable | (read16(query, 2) & kFlagRecursionDesired);
    const bool inAuthority = entry.reply == Reply::Referral || entry.reply == Reply::ParentReferral;
    const bool ownedByParent = entry.reply == Reply::ParentRecords || entry.reply == Reply::ParentReferral;
    const bool withRecords = entry.reply == Reply::NameServers || entry.reply == Reply::Held ||
                             entry.reply == Reply::ParentRecords || inAuthority ||
                             (entry.reply == Reply::Truncated && overTcp);
    const auto recordCount = withRecords ? static_cast<std::uint16_t>(entry.nameServers.size()) : std::uint16_t{0};
    switch (overTcp && entry.reply == Reply::Truncated ? Reply::NameServers : entry.reply) {
    case Reply::NoSuchName:
        flags |= kNameError;
        break;
    case Reply::ServerFailure:
        flags |= kServerFailure;
        break;
    case Reply::Truncated:
        flags |= kFlagTruncated;
        break;
    default:
        flags |= kNoError;
        break;
    }
    std::vector<std::uint8_t> out(query.begin(), query.begin() + 2); // the id
    put16(out, flags);
    put16(out, 1);
    const std::uint16_t type = read16(query, questionEnd - 4);
    const bool address = (entry.reply == Reply::Loopback && (type == kTypeA || type == kTypeAAAA)) ||
                         (entry.reply == Reply::LoopbackIPv4 && type == kTypeA);
    put16(out, inAuthority ? 0 : withRecords ? recordCount : address ? 1 : 0);
    put16(out, inAuthority ? recordCount : 0);
    put16(out, 0);
    out.insert(out.end(), query.begin() + kHeaderBytes, query.begin() + static_cast<std::ptrdiff_t>(questionEnd));
    if (address) {
        put16(out, 0xc00c); // the question's name
        put16(out, type);
        put16(out, 1); // IN
        put16(out, 0);
        put16(out, 300); // TTL
        put16(out, type == kTypeA ? 4 : 16);
        if (type == kTypeA) {
            out.insert(out.end(), {127, 0, 0, 1});
        } else {
            out.insert(out.end(), 15, 0);
            out.push_back(1);
        }
    }
    if (withRecords) {
        for (const std::string& host : entry.nameServers) {
            if (ownedByParent) {
                const std::size_t dot = name.find('.');
                putName(out, dot == std::string::npos ? std::string_view() : std::string_view(name).substr(dot + 1));
            } else {
                put16(out, 0xc00c); // the question's name
            }
            put16(out, 2); // NS
            put16(out, 1); // IN
            put16(out, 0);
            put16(out, 300); // TTL
            std::vector<std::uint8_t> data;
            putName(data, host);
            put16(out, static_cast<std::uint16_t>(data.size()));
            out.insert(out.end(), data.begin(), data.end());
        }
    }
    return out;
}

} // namespace

FakeDnsServer::FakeDnsServer() : FakeDnsServer(Entry{}) {}

FakeDnsServer::FakeDnsServer(Entry unknownNames, bool listenOnTcp) : m_unknown(std::move(unknownNames)) {
    m_fd = boundUdpSocket(m_port);
    // The TCP port must be the UDP one; another program may hold it, so a few ports are tried.
    for (int attempt = 0; attempt < 20 && listenOnTcp && m_tcpFd < 0; ++attempt) {
        m_tcpFd = listeningTcpSocket(m_port);
        if (m_tcpFd < 0) {
            ::close(m_fd);
            m_fd = boundUdpSocket(m_port);
        }
    }
    m_stopFd = ::eventfd(0, EFD_CLOEXEC);
    m_releaseFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (listenOnTcp && m_tcpFd < 0) {
        ::close(m_fd);
        throw std::runtime_error("fake DNS server cannot listen on TCP");
    }
    if (m_stopFd < 0 || m_releaseFd < 0) {
        throw std::runtime_error("fake DNS server: eventfd failed");
    }
    m_thread = std::thread([this] { serve(); });
}

FakeDnsServer::~FakeDnsServer() {
    stop();
    for (const int fd : {m_fd, m_tcpFd, m_stopFd, m_releaseFd}) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
}

void FakeDnsServer::set(const std::string& name, Entry entry) {
    const std::lock_guard lock(m_mutex);
    m_table[lowered(name)] = std::move(entry);
}

int FakeDnsServer::timesAsked(const std::string& name) const {
    const std::lock_guard lock(m_mutex);
    const auto found = m_asked.find(lowered(name));
    return found == m_asked.end() ? 0 : found->second;
}

int FakeDnsServer::tcpQuestionCount() const {
    const std::lock_guard lock(m_mutex);
    return m_tcpQuestions;
}

int FakeDnsServer::questionCount() const {
    const std::lock_guard lock(m_mutex);
    return m_questions;
}

int FakeDnsServer::recursiveQuestionCount() const {
    const std::lock_guard lock(m_mutex);
    return m_recursive;
}

int FakeDnsServer::heldCount() const {
    const std::lock_guard lock(m_mutex);
    return static_cast<int>(m_held.size());
}

void FakeDnsServer::release() {
    const std::uint64_t one = 1;
    (void)!::write(m_releaseFd, &one, sizeof one);
}

void FakeDnsServer::stop() {
    if (m_thread.joinable()) {
        const std::uint64_t one = 1;
        (void)!::write(m_stopFd, &one, sizeof one);
        m_thread.join();
    }
}

void FakeDnsServer::serve() {
    std::vector<std::uint8_t> buffer(65536);
    for (;;) {
        std::vector<pollfd> fds = {{m_stopFd, POLLIN, 0}, {m_releaseFd, POLLIN, 0}, {m_fd, POLLIN, 0}};
        if (m_tcpFd >= 0) {
            fds.push_back({m_tcpFd, POLLIN, 0});
        }
        for (const int connection : m_connections) {
            fds.push_back({connection, POLLIN, 0});
        }
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        if (fds[0].revents != 0) {
            break;
        }
        if (fds[1].revents != 0) {
            std::uint64_t count = 0;
            (void)!::read(m_releaseFd, &count, sizeof count);
            std::vector<HeldQuestion> held;
            {
                const std::lock_guard lock(m_mutex);
                m_released = true;
                held.swap(m_held);
            }
            for (const HeldQuestion& question : held) {
                answer(question.query, question.peer);
            }
        }
        if (fds[2].revents != 0) {
            sockaddr_storage peer{};
            socklen_t peerLength = sizeof peer;
            const ssize_t got =
                ::recvfrom(m_fd, buffer.data(), buffer.size(), 0, reinterpret_cast<sockaddr*>(&peer), &peerLength);
            if (got > 0) {
                const std::vector<std::uint8_t> query(buffer.begin(), buffer.begin() + got);
                const auto* peerBytes = reinterpret_cast<const std::uint8_t*>(&peer);
                const std::vector<std::uint8_t> peerCopy(peerBytes, peerBytes + peerLength);
                const auto asked = question(query);
                if (asked) {
                    if (const std::optional<Entry> entry = record(asked->first, query, peerCopy)) {
                        if (entry->reply != Reply::Silent) {
                            send(reply(query, asked->second, asked->first, *entry, false), peerCopy);
                        }
                    }
                }
            }
        }
        std::size_t next = 3;
        if (m_tcpFd >= 0 && fds[next++].revents != 0) {
            const int connection = ::accept4(m_tcpFd, nullptr, nullptr, SOCK_CLOEXEC);
            if (connection >= 0) {
                m_connections.push_back(connection);
            }
        }
        for (; next < fds.size(); ++next) {
            if (fds[next].revents != 0 && !serveTcp(fds[next].fd)) {
                ::close(fds[next].fd);
                std::erase(m_connections, fds[next].fd);
            }
        }
    }
    for (const int connection : m_connections) {
        ::close(connection);
    }
    m_connections.clear();
}

bool FakeDnsServer::serveTcp(int fd) {
    std::uint8_t prefix[2] = {};
    if (!receiveAll(fd, prefix, sizeof prefix)) {
        return false;
    }
    std::vector<std::uint8_t> query(static_cast<std::size_t>((prefix[0] << 8) | prefix[1]));
    if (!receiveAll(fd, query.data(), query.size())) {
        return false;
    }
    const auto asked = question(query);
    if (!asked) {
        return false;
    }
    // Held questions are answered at once over TCP.
    const std::optional<Entry> entry = record(asked->first, query, {});
    if (entry->reply == Reply::Silent) {
        return true;
    }
    const std::vector<std::uint8_t> bytes = reply(query, asked->second, asked->first, *entry, true);
    std::vector<std::uint8_t> framed;
    put16(framed, static_cast<std::uint16_t>(bytes.size()));
    framed.insert(framed.end(), bytes.begin(), bytes.end());
    return ::send(fd, framed.data(), framed.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(framed.size());
}

std::optional<FakeDnsServer::Entry> FakeDnsServer::record(const std::string& name,
                                                          const std::vector<std::uint8_t>& query,
                                                          const std::vector<std::uint8_t>& peer) {
    const bool overTcp = peer.empty();
    const std::lock_guard lock(m_mutex);
    ++m_questions;
    m_tcpQuestions += overTcp ? 1 : 0;
    m_recursive += query.size() > 2 && (query[2] & 0x01) != 0 ? 1 : 0; // RD: recursion desired
    ++m_asked[lowered(name)];
    const auto found = m_table.find(lowered(name));
    const Entry& entry = found == m_table.end() ? m_unknown : found->second;
    if (entry.reply == Reply::Held && !m_released && !overTcp) {
        m_held.push_back({query, peer, name});
        return std::nullopt;
    }
    return entry;
}

void FakeDnsServer::answer(const std::vector<std::uint8_t>& query, const std::vector<std::uint8_t>& peer) {
    const auto asked = question(query);
    Entry entry;
    {
        const std::lock_guard lock(m_mutex);
        const auto found = m_table.find(lowered(asked->first));
        entry = found == m_table.end() ? m_unknown : found->second;
    }
    send(reply(query, asked->second, asked->first, entry, false), peer);
}

void FakeDnsServer::send(const std::vector<std::uint8_t>& bytes, const std::vector<std::uint8_t>& peer) {
    (void)!::sendto(m_fd, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(peer.data()),
                    static_cast<socklen_t>(peer.size()));
}

std::uint16_t closedUdpLoopbackPort() {
    std::uint16_t port = 0;
    ::close(boundUdpSocket(port));
    return port;
}

} // namespace cvt::test
