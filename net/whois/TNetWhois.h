#pragma once

#include "net/dns/HostResolver.h"
#include "net/socket/TNetTCPClient.h"

#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>

namespace cvt {

// The WHOIS client: one exchange asks a server on TCP port 43 about one query and returns the
// server's whole reply, byte for byte, as read until the server closes the connection.
//
// Limits of an exchange: the connect may take at most 10 s (ConnectTimeout), each wait for reply
// data at most 6000 ms (ReadTimeout), the whole exchange at most 60 s (ExchangeTimeout, so a
// server dripping a byte now and then cannot hold it for ever), and the reply may hold at most
// 4 MiB (ReceiveAllLimit); each limit ends the exchange with an exception (ENetReadTimeout for the
// two reading limits).
//
// Host names are looked up through the c-ares resolver (HostResolver), once per client and host:
// Cancel() and CancelLookup() end a lookup under way at once.
//
// Only one exchange runs at a time on a client: a Lookup started while another thread's Lookup is
// under way waits for it to end.
class TNetWhois : public TNetTCPClient {
public:
    static constexpr int kDefaultPort = 43;
    static constexpr int kDefaultReadTimeoutMs = 6000;
    static constexpr int kDefaultConnectTimeoutMs = 10000;
    static constexpr int kDefaultExchangeTimeoutMs = 60000;
    static constexpr std::size_t kMaxReplyBytes = 4 * 1024 * 1024;
    static constexpr const char* kDefaultHost = "whois.verisign-grs.com";

    TNetWhois();

    // Selects the server from a server-table field: "host:port" uses that port, a plain "host"
    // port 43. An IPv6 address is written in brackets, "[2001:db8::1]:43" or "[2001:db8::1]", or
    // bare ("2001:db8::1", port 43). A field whose part after the last colon (after the closing
    // bracket) is not a port number 1..65535 is taken whole as the host, with port 43.
    void SetServer(std::string_view hostField);

    // One exchange: connect, send the query + CR LF, read until the server closes, close. The
    // connection is closed whatever happens; on failure the exception goes on to the caller and
    // the bytes received so far are dropped.
    std::string Lookup(std::string_view query);

    // Milliseconds a whole exchange may last, measured from its start; 0 = no limit.
    int ExchangeTimeout() const { return m_exchangeTimeout; }
    void SetExchangeTimeout(int milliseconds) { m_exchangeTimeout = milliseconds; }

private:
    HostResolver m_resolver;
    std::mutex m_exchangeMutex;
    int m_exchangeTimeout = kDefaultExchangeTimeoutMs;
};

} // namespace cvt
