#include "net/whois/TNetWhois.h"

#include "net/socket/SocketApi.h"
#include "text/CheckedNumber.h"

#include <chrono>

namespace cvt {

TNetWhois::TNetWhois() {
    SetHost(kDefaultHost);
    SetPort(kDefaultPort);
    SetReadTimeout(kDefaultReadTimeoutMs);
    SetConnectTimeout(kDefaultConnectTimeoutMs);
    SetReceiveAllLimit(kMaxReplyBytes);
}

void TNetWhois::SetServer(std::string_view hostField) {
    const std::size_t colon = hostField.rfind(':');
    if (colon != std::string_view::npos) {
        const std::string_view portText = hostField.substr(colon + 1);
        const DigitsResult port = parseDigits(portText, 65535);
        if (portText.size() <= 5 && port.ok() && port.value >= 1) {
            SetHost(std::string(hostField.substr(0, colon)));
            SetPort(static_cast<int>(port.value));
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
