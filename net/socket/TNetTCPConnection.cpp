#include "net/socket/TNetTCPConnection.h"

#include "net/dns/HostResolver.h"
#include "net/socket/NetAddress.h"
#include "net/socket/NetErrors.h"
#include "net/socket/SocketApi.h"
#include "net/socket/TNetIOHandlerSSL.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <limits>

namespace cvt {

TNetTCPConnection::TNetTCPConnection() : m_api(&SocketApi::system()) {}

TNetTCPConnection::~TNetTCPConnection() {
    if (m_ioHandler) {
        m_ioHandler->CloseSocket();
    }
}

void TNetTCPConnection::SetRecvBufferSize(int bytes) {
    m_recvBufferSize = std::max(bytes, 1);
}

TNetConnectionState TNetTCPConnection::State() const {
    if (!m_ioHandler) {
        return TNetConnectionState::Idle;
    }
    if (!m_ioHandler->Connected()) {
        return TNetConnectionState::Closed;
    }
    return m_closedGracefully ? TNetConnectionState::PeerClosed : TNetConnectionState::Open;
}

void TNetTCPConnection::OpenConnection(int timeoutMs) {
    if (m_ioHandler && m_ioHandler->Connected()) {
        throw ENetAlreadyConnected();
    }
    auto* tlsHandler = dynamic_cast<TNetIOHandlerSSL*>(m_ioHandler.get());
    if (!m_ioHandler || (tlsHandler != nullptr) != m_useTLS) {
        if (m_useTLS) {
            auto made = std::make_unique<TNetIOHandlerSSL>(*m_api, m_cancel);
            tlsHandler = made.get();
            m_ioHandler = std::move(made);
        } else {
            m_ioHandler = std::make_unique<TNetIOHandlerSocket>(*m_api, m_cancel);
        }
        m_freeIOHandlerOnClose = true;
    }
    if (tlsHandler != nullptr) {
        tlsHandler->SetServerName(m_host);
    }
    m_ioHandler->ResetSocket();
    m_inputBuffer.clear();
    m_closedGracefully = false;
    m_awaitingReply = false;
    try {
        // A port outside 0..65535 would otherwise be cut to 16 bits and reach some other service.
        if (m_port < 0 || m_port > 65535) {
            throw ENetSocketError(wsaErrorFromErrno(EINVAL));
        }
        const std::vector<NetEndpoint>& peers = resolvePeers();
        for (std::size_t i = 0;; ++i) {
            try {
                NetEndpoint peer = peers[i];
                peer.setPort(static_cast<std::uint16_t>(m_port));
                connectTo(peer, timeoutMs > 0 ? timeoutMs : m_connectTimeout);
                return;
            } catch (const ENetSocketError&) {
                if (i + 1 >= peers.size()) {
                    throw;
                }
                m_ioHandler->CloseSocket();
            }
        }
    } catch (...) {
        // The half-made socket never outlives a failed open; the failure goes on to the caller.
        m_ioHandler->ShutdownSend();
        m_ioHandler->CloseSocket();
        throw;
    }
}

void TNetTCPConnection::connectTo(const NetEndpoint& peer, int timeoutMs) {
    m_ioHandler->AllocateSocket(peer.family());
    if (!m_boundIP.empty() || m_boundPort != 0) {
        if (m_boundPort < 0 || m_boundPort > 65535) {
            throw ENetSocketError(wsaErrorFromErrno(EINVAL));
        }
        m_ioHandler->Bind(m_boundIP, static_cast<std::uint16_t>(m_boundPort));
    }
    // Nagle's algorithm stays on: the query goes out in one send anyway.
    m_ioHandler->Connect(peer, timeoutMs);
}

const std::vector<NetEndpoint>& TNetTCPConnection::resolvePeers() {
    auto known = m_resolved.find(m_host);
    if (known == m_resolved.end()) {
        std::vector<NetEndpoint> found = m_resolver != nullptr
                                             ? m_resolver->resolve(*m_api, m_host, 0, {&m_cancel, &m_lookupCancel})
                                             : resolveHost(*m_api, m_host, 0);
        known = m_resolved.emplace(m_host, std::move(found)).first;
    }
    return known->second;
}

void TNetTCPConnection::CloseConnection() {
    if (m_ioHandler) {
        m_closedGracefully = true;
        if (m_ioHandler->Connected()) {
            m_ioHandler->ShutdownSend();
            m_ioHandler->CloseSocket();
        }
    }
    if (m_freeIOHandlerOnClose) {
        m_ioHandler.reset();
        m_freeIOHandlerOnClose = false;
    }
}

void TNetTCPConnection::CheckForDisconnect(bool raise, bool ignoreBuffer) {
    if (!m_ioHandler || (!m_closedGracefully && m_ioHandler->Connected())) {
        return;
    }
    if (m_closedGracefully && m_ioHandler->Connected()) {
        m_ioHandler->ShutdownSend();
        m_ioHandler->CloseSocket();
    }
    if (raise && (m_inputBuffer.empty() || ignoreBuffer)) {
        throw ENetConnClosedGracefully();
    }
}

bool TNetTCPConnection::IsConnected() {
    CheckForDisconnect(false, false);
    return m_ioHandler && m_ioHandler->Connected();
}

void TNetTCPConnection::SendLine(std::string_view text) {
    std::string line;
    line.reserve(text.size() + 2);
    line.append(text);
    line.append("\r\n");
    SendBytes(line);
}

void TNetTCPConnection::SendBytes(std::string_view bytes, bool now) {
    if (bytes.empty()) {
        return;
    }
    CheckForDisconnect(true, true);
    if (!m_ioHandler || !m_ioHandler->Connected()) {
        throw ENetNotConnected();
    }
    if (m_sendBufferOpen && !now) {
        m_sendBuffer.append(bytes);
        if (m_sendBufferThreshold > 0 && m_sendBuffer.size() >= static_cast<std::size_t>(m_sendBufferThreshold)) {
            FlushSendBuffer();
        }
        return;
    }
    writeDirect(bytes);
}

void TNetTCPConnection::writeDirect(std::string_view bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        if (!m_ioHandler) {
            throw ENetNotConnected();
        }
        const auto result = m_ioHandler->Send(bytes.data() + sent, bytes.size() - sent);
        if (result.count < 0) {
            if (result.error == wsa::kShutdown || result.error == wsa::kConnectionAborted ||
                result.error == wsa::kConnectionReset) {
                m_ioHandler->CloseSocket();
            }
            throw ENetSocketError(result.error);
        }
        if (result.count == 0) {
            m_closedGracefully = true;
        }
        sent += static_cast<std::size_t>(result.count);
        CheckForDisconnect(true, false);
    }
    m_awaitingReply = true;
}

void TNetTCPConnection::appendInput(const char* data, std::size_t length) {
    const std::size_t start = m_inputBuffer.size();
    m_inputBuffer.append(data, length);
    if (m_asciiFilter) {
        for (std::size_t i = start; i < m_inputBuffer.size(); ++i) {
            m_inputBuffer[i] = static_cast<char>(m_inputBuffer[i] & 0x7F);
        }
    }
}

int TNetTCPConnection::boundedByDeadline(int waitMs) const {
    if (!m_receiveDeadline) {
        return waitMs;
    }
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(*m_receiveDeadline - m_api->now()).count();
    if (left <= 0) {
        return 0; // a look without waiting: only bytes already there still count
    }
    const int bounded = static_cast<int>(std::min<long long>(left, std::numeric_limits<int>::max()));
    return waitMs < 0 ? bounded : std::min(waitMs, bounded);
}

int TNetTCPConnection::ReceiveStep(bool raiseIfClosed, int timeoutMs, bool raiseOnTimeout) {
    if (timeoutMs == -1) {
        timeoutMs = m_readTimeout;
    }
    return receiveStep(raiseIfClosed, timeoutMs > 0 ? timeoutMs : -1, raiseOnTimeout);
}

int TNetTCPConnection::receiveStep(bool raiseIfClosed, int waitMs, bool raiseOnTimeout) {
    CheckForDisconnect(raiseIfClosed, false);
    if (!m_ioHandler || !m_ioHandler->Connected()) {
        if (raiseIfClosed) {
            throw ENetNotConnected();
        }
        return 0;
    }
    if (m_receiveDeadline && m_api->now() >= *m_receiveDeadline) {
        if (raiseOnTimeout) {
            throw ENetReadTimeout();
        }
        return -1;
    }
    if (m_recvScratch.size() != static_cast<std::size_t>(m_recvBufferSize)) {
        m_recvScratch.resize(static_cast<std::size_t>(m_recvBufferSize));
    }
    int count = 0;
    // Right after a request the answer is at least a round trip away: the first look waits.
    bool waitFirst = m_awaitingReply && m_inputBuffer.empty();
    do {
        // Bytes (or the close) that are already there are taken without a wait; otherwise wait
        // until the socket is readable and receive again.
        TNetIOHandlerSocket::IoResult result{-1, wsa::kWouldBlock};
        if (!waitFirst) {
            result = m_ioHandler->Recv(m_recvScratch.data(), m_recvScratch.size());
            m_awaitingReply = false;
        }
        waitFirst = false;
        count = static_cast<int>(result.count);
        if (result.count < 0) {
            count = 0;
            if (result.error == wsa::kWouldBlock) {
                if (!m_ioHandler->WaitReadable(boundedByDeadline(waitMs))) {
                    if (raiseOnTimeout) {
                        throw ENetReadTimeout();
                    }
                    return -1;
                }
                continue;
            }
            if (result.error == wsa::kShutdown || result.error == wsa::kConnectionAborted) {
                m_ioHandler->CloseSocket();
                if (m_inputBuffer.empty()) {
                    throw ENetSocketError(result.error);
                }
                m_closedGracefully = true;
            } else {
                throw ENetSocketError(result.error);
            }
        } else if (result.count == 0) {
            m_closedGracefully = true;
        } else {
            appendInput(m_recvScratch.data(), static_cast<std::size_t>(result.count));
        }
        CheckForDisconnect(raiseIfClosed, false);
    } while (count == 0 && m_ioHandler && m_ioHandler->Connected());
    return count;
}

std::string TNetTCPConnection::ReceiveAll() {
    std::string result;
    while (IsConnected()) {
        ReceiveStep(false, -1, true);
        if (result.empty()) {
            result.swap(m_inputBuffer);
        } else {
            result.append(m_inputBuffer);
        }
        m_inputBuffer.clear();
        if (m_receiveAllLimit != 0 && result.size() > m_receiveAllLimit) {
            m_ioHandler->CloseSocket();
            throw ENetReplyTooLarge();
        }
    }
    return result;
}

std::string TNetTCPConnection::ReceiveLine(std::string_view terminator, int timeoutMs, int maxLength) {
    if (terminator.empty()) {
        terminator = "\n";
    }
    if (maxLength == -1) {
        maxLength = m_maxLineLength;
    }
    const auto limit = static_cast<std::size_t>(std::max(maxLength, 0));
    std::size_t searchFrom = 0;
    for (;;) {
        const std::size_t position = m_inputBuffer.find(terminator, searchFrom);
        const bool found = position != std::string::npos;
        if (limit != 0 && ((found && position > limit) || (!found && m_inputBuffer.size() > limit))) {
            if (m_maxLineAction == TNetMaxLineAction::maException) {
                throw ENetReadLnMaxLineLengthExceeded();
            }
            std::string line = m_inputBuffer.substr(0, limit);
            m_inputBuffer.erase(0, limit);
            return line;
        }
        if (!found) {
            // Only the bytes that arrive next need searching, plus a possible start of the
            // terminator at the end of what is already here.
            searchFrom = m_inputBuffer.size() >= terminator.size() ? m_inputBuffer.size() - terminator.size() + 1 : 0;
            CheckForDisconnect(true, true);
            if (ReceiveStep(true, timeoutMs, true) == 0) {
                return {};
            }
            continue;
        }
        std::string line = m_inputBuffer.substr(0, position);
        m_inputBuffer.erase(0, position + terminator.size());
        if (terminator == "\n" && !line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        return line;
    }
}

void TNetTCPConnection::ReceiveCount(std::string& stream, std::int64_t n) {
    if (n <= 0) {
        return;
    }
    auto remaining = static_cast<std::uint64_t>(n);
    const std::size_t buffered = static_cast<std::size_t>(std::min<std::uint64_t>(remaining, m_inputBuffer.size()));
    stream.append(m_inputBuffer, 0, buffered);
    m_inputBuffer.erase(0, buffered);
    remaining -= buffered;
    while (remaining > 0 && m_ioHandler && m_ioHandler->Connected()) {
        const auto block =
            static_cast<std::size_t>(std::min<std::uint64_t>(remaining, static_cast<std::uint64_t>(m_recvBufferSize)));
        while (m_inputBuffer.size() < block) {
            ReceiveStep(true, -1, true);
            CheckForDisconnect(true, true);
        }
        stream.append(m_inputBuffer, 0, block);
        m_inputBuffer.erase(0, block);
        remaining -= block;
    }
    // The connection was closed before the operation began (or without a close check raising):
    // fewer than n bytes is a failure, never a short success.
    if (remaining > 0) {
        if (!m_ioHandler) {
            throw ENetNotConnected();
        }
        throw ENetConnClosedGracefully();
    }
}

void TNetTCPConnection::ReceiveToClose(std::string& stream) {
    for (;;) {
        stream.append(m_inputBuffer);
        m_inputBuffer.clear();
        if (!IsConnected()) {
            break;
        }
        ReceiveStep(false, -1, true);
    }
    stream.append(m_inputBuffer);
    m_inputBuffer.clear();
}

void TNetTCPConnection::PollClosed() {
    receiveStep(false, 0, false);
}

void TNetTCPConnection::OpenSendBuffer(int threshold) {
    m_sendBufferOpen = true;
    m_sendBufferThreshold = threshold;
    m_sendBuffer.clear();
}

void TNetTCPConnection::FlushSendBuffer() {
    if (m_sendBuffer.empty()) {
        return;
    }
    std::string pending;
    pending.swap(m_sendBuffer);
    writeDirect(pending);
}

void TNetTCPConnection::CloseSendBuffer() {
    if (!m_sendBufferOpen) {
        return;
    }
    // Closed first, so that a failing send does not leave the buffer collecting.
    m_sendBufferOpen = false;
    std::string pending;
    pending.swap(m_sendBuffer);
    if (!pending.empty()) {
        CheckForDisconnect(true, true);
        if (!m_ioHandler || !m_ioHandler->Connected()) {
            throw ENetNotConnected();
        }
        writeDirect(pending);
    }
}

void TNetTCPConnection::CancelSendBuffer() {
    m_sendBufferOpen = false;
    m_sendBuffer.clear();
}

} // namespace cvt
