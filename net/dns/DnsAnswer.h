#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace cvt {

// What the DNS check learnt of one name. Only Delegated settles a cell (registered); every other
// kind means "ask the registry": DNS never marks a name free.
enum class DnsVerdict : std::uint8_t {
    Delegated,    // the answer holds NS records for the name
    NotDelegated, // anything else; Why() says what
};

// Why a name is not delegated, for logs and tests; the run treats all of them alike.
enum class DnsMiss : std::uint8_t {
    None,          // delegated
    NoSuchName,    // NXDOMAIN
    NoNameServers, // an answer without NS records
    ServerFailure, // SERVFAIL
    Refused,       // REFUSED, or the server's port is closed
    TimedOut,      // no answer within the tries
    BadReply,      // a reply that could not be read
    NotAsked,      // a name DNS cannot carry, no resolver could be set up, or no name server address found
    Other,         // any other failure
};

struct DnsAnswer {
    std::uint64_t Tag = 0; // the caller's handle for the question (a cell, say)
    std::string Name;
    DnsVerdict Verdict = DnsVerdict::NotDelegated;
    DnsMiss Why = DnsMiss::NotAsked;
    // The name servers of a delegated name, in answer order, without trailing dots or repeats.
    std::vector<std::string> NameServers;

    bool delegated() const { return Verdict == DnsVerdict::Delegated; }
    // The details text of a delegated cell: "Delegated in DNS: ns1.example.net, ns2.example.net".
    std::string details() const;
};

} // namespace cvt
