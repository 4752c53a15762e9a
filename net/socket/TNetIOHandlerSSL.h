#pragma once

#include "net/socket/TNetIOHandlerSocket.h"

#include <memory>
#include <openssl/ssl.h>
#include <string>

namespace cvt {

// The TLS I/O handler: the socket handler's connect followed by a TLS handshake (TLS 1.2 or later,
// SNI, the peer's chain and host name verified against the trust store of clientTlsContext()), then
// sends and receives through TLS. Every byte still moves through the SocketApi seam and every wait
// is the socket handler's poll on the socket and the cancel signal, so the connection's limits and
// its Cancel work as they do without TLS.
//
// The handshake is limited by the connect limit given to Connect (or kDefaultHandshakeMs when
// there is none) and fails with ENetTLSError, for example "TLS handshake with example.com failed:
// certificate verify failed (self-signed certificate)". A broken TLS record later on fails with
// ENetTLSError too; a peer that closes without a close_notify counts as a close, which
// ClosedWithoutNotice() then tells.
class TNetIOHandlerSSL : public TNetIOHandlerSocket {
public:
    static constexpr int kDefaultHandshakeMs = 30000;

    TNetIOHandlerSSL(SocketApi& api, NetCancelSignal& cancel);
    ~TNetIOHandlerSSL() override;

    // The name the certificate must carry in its subjectAltName and that SNI announces (an IPv4
    // address is checked against the certificate's addresses and sent without SNI). Set before
    // Connect.
    void SetServerName(std::string name) { m_serverName = std::move(name); }
    const std::string& ServerName() const { return m_serverName; }

    void Connect(const NetEndpoint& peer, int timeoutMs) override;
    IoResult Send(const char* data, std::size_t length) override;
    bool WaitReadable(int timeoutMs) override;
    IoResult Recv(char* data, std::size_t length) override;
    bool ClosedWithoutNotice() const override { return m_closedWithoutNotice; }
    void ShutdownSend() override;
    void CloseSocket() override;

    // Where the BIO that carries the TLS records finds the socket (see the .cpp).
    struct Transport {
        SocketApi* api = nullptr;
        int fd = -1;
        int lastErrno = 0;
    };

private:
    void handshake(int timeoutMs);
    [[noreturn]] void failHandshake(const std::string& reason);
    // The reason of the last failed TLS call, in OpenSSL's words.
    std::string failureReason(int sslError) const;
    void freeSession();

    std::string m_serverName;
    std::shared_ptr<SSL_CTX> m_context;
    SSL* m_ssl = nullptr;
    Transport m_transport;
    bool m_closedWithoutNotice = false;
};

} // namespace cvt
