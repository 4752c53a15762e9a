#include "net/TNetWhois.h"

#include "net/SocketApi.h"

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
        int port = 0;
        bool valid = !portText.empty() && portText.size() <= 5;
        for (char c : portText) {
            if (c < '0' || c > '9') {
                valid = false;
                break;
            }
            port = port * 10 + (c - '0');
        }
        if (valid && port >= 1 && port <= 65535) {
            SetHost(std::string(hostField.substr(0, colon)));
            SetPort(port);
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
