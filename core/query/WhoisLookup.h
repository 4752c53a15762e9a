#pragma once

#include <chrono>
#include <string>

namespace cvt {

// The WHOIS exchange the query engine uses: one question to one server, one whole reply back.
// The engine makes one exchange at a time and never from two threads at once.
class WhoisLookup {
public:
    virtual ~WhoisLookup() = default;

    // Asks the server named by serverField ("host" or "host:port") about query and returns the
    // reply bytes as received. Throws a std::exception descendant when the exchange fails.
    virtual std::string lookup(const std::string& serverField, const std::string& query) = 0;

    // The limits of the exchanges from now on: the whole exchange (0: none) and its connect (0: the
    // client's own limit).
    virtual void setTimeLimits(std::chrono::milliseconds exchange, std::chrono::milliseconds connect) {
        static_cast<void>(exchange);
        static_cast<void>(connect);
    }

    // Closes the connection if one is open; harmless when already closed. Does not throw.
    virtual void closeConnection() = 0;

    // Thread-safe: makes an exchange under way (or the next one) fail at once. Used only when the
    // owner shuts down; a plain Stop lets the exchange under way finish.
    virtual void cancel() {}

    // Thread-safe: makes a host name lookup under way (or a later one) fail at once, leaving an
    // exchange with a server alone. Used by Stop.
    virtual void cancelHostLookup() {}
};

} // namespace cvt
