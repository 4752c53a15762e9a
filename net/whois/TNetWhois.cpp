#include "net/whois/TNetWhois.h"

#include "net/socket/SocketApi.h"
#include "text/CheckedNumber.h"

#include <chrono>
#include <optional>

namespace cvt {

TNetWhois::TNetWhois() {
    SetHost(kDefaultHost);
    SetPort(kDefaultPort);
    SetReadTimeout(kDefaultReadTimeoutMs);
    SetConnectTimeout(kDefaultConnectTimeoutMs);
    SetReceiveAllLimit(kMaxReplyBytes);
    SetHostResolver(&m_resolver);
}

namespace {

// The port after a host: "" is port 43; ":N" with N from 1 to 65535 (at most five digits) is N;
// anything else is no port.
std::optional<int> portAfterHost(std::string_view rest) {
    if (rest.empty()) {
        return TNetWhois::kDefaultPort;
    }
    if (rest.front() != ':') {
        return std::nullopt;
    }
    const std::string_view portText = rest.substr(1);
    const DigitsResult port = parseDigits(portText, 65535);
    if (portText.size() <= 5 && port.ok() && port.value >= 1) {
        return static_cast<int>(port.value);
    }
    return std::nullopt;
}

} // namespace

void TNetWhois::SetServer(std::string_view hostField) {
    // "[v6]" or "[v6]:port": the brackets set the address apart from the port.
    if (!hostField.empty() && hostField.front() == '[') {
        const std::size_t close = hostField.find(']');
        if (close != std::string_view::npos) {
            if (const auto port = portAfterHost(hostField.substr(close + 1))) {
                SetHost(std::string(hostField.substr(1, close - 1)));
                SetPort(*port);
                return;
            }
        }
    }
    // More than one colon without brackets: a bare IPv6 address, whose last group is no port.
    const std::size_t colon = hostField.rfind(':');
    if (colon != std::string_view::npos && hostField.find(':') == colon) {
        if (const auto port = portAfterHost(hostField.substr(colon))) {
            SetHost(std::string(hostField.substr(0, colon)));
            SetPort(*port);
            return;
        }
    }
    SetHost(std::string(hostField));
    SetPort(kDefaultPort);
}

std::string TNetWhois::Lookup(std::string_view query) {
    std::lock_guard lock(m_exchangeMutex);
    Deadline deadline;
    if (m_exchangeTimeout > 0) {
        deadline = Api().now() + std::chrono::milliseconds(m_exchangeTimeout);
    }
    SetReceiveDeadline(deadline);
    OpenConnection(-1);
    std::string reply;
    try {
        SendLine(query);
        reply = ReceiveAll();
    } catch (...) {
        // Whatever ended the exchange (also running out of memory), the socket must not stay open:
        // the next exchange would find the connection still open.
        CloseConnection();
        throw;
    }
    CloseConnection();
    return reply;
}

} // namespace cvt
