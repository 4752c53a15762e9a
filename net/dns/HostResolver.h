#pragma once

#include "net/socket/NetAddress.h"

#include <chrono>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace cvt {

class NetCancelSignal;
class SocketApi;

struct HostResolverOptions {
    // Empty: the system's resolvers (/etc/resolv.conf, and /etc/hosts first). Otherwise an IPv4
    // or IPv6 address literal.
    std::string ServerAddress;
    std::uint16_t ServerPort = 53;
    // How long one try waits for its answer, and how many tries each resolver gets.
    std::chrono::milliseconds TryTimeout{2000};
    int Tries = 2;
};

// Looks host names up for connections, asking for IPv6 and IPv4 addresses at once. A lookup waits
// on the resolver's sockets and on the cancel signals it is given, so raising one ends it at once.
// Holds only its options: one object may serve any number of connections and threads.
class HostResolver {
public:
    explicit HostResolver(HostResolverOptions options = {}) : m_options(std::move(options)) {}

    // Every address of host with the port put in, in the resolver's order of preference, without
    // repeats; a literal (see parseAddressLiteral) is taken as it stands, without a lookup. Throws
    // ENetOperationCancelled when one of the signals is (or becomes) raised, ENetSocketError
    // 11001 when the name has no address, 11002 when no resolver answered, 11003 otherwise.
    std::vector<NetEndpoint> resolve(SocketApi& api, std::string_view host, std::uint16_t port,
                                     std::initializer_list<NetCancelSignal*> cancels) const;

private:
    HostResolverOptions m_options;
};

} // namespace cvt
