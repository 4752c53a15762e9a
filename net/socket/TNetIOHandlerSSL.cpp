#include "net/socket/TNetIOHandlerSSL.h"

#include "net/socket/NetAddress.h"
#include "net/socket/NetCancelSignal.h"
#include "net/socket/NetErrors.h"
#include "net/socket/NetExceptions.h"
#include "net/socket/SocketApi.h"
#include "net/socket/TlsClientContext.h"

#include <cerrno>
#include <chrono>
#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/x509v3.h>

namespace cvt {

namespace {

using Transport = TNetIOHandlerSSL::Transport;

// The BIO that carries TLS records over the socket through the SocketApi seam. It never waits:
// "would block" becomes a retry request, and the handler waits on the socket itself.
int bioWrite(BIO* bio, const char* data, int length) {
    auto* transport = static_cast<Transport*>(BIO_get_data(bio));
    BIO_clear_retry_flags(bio);
    const ssize_t sent = retryOnEintr(
        [&] { return transport->api->send(transport->fd, data, static_cast<std::size_t>(length), MSG_NOSIGNAL); });
    if (sent >= 0) {
        return static_cast<int>(sent);
    }
    transport->lastErrno = errno;
    if (errno == EAGAIN || errno == EWOULDBLOCK) {
        BIO_set_retry_write(bio);
    }
    return -1;
}

int bioRead(BIO* bio, char* data, int length) {
    auto* transport = static_cast<Transport*>(BIO_get_data(bio));
    BIO_clear_retry_flags(bio);
    const ssize_t received =
        retryOnEintr([&] { return transport->api->recv(transport->fd, data, static_cast<std::size_t>(length), 0); });
    if (received >= 0) {
        return static_cast<int>(received);
    }
    transport->lastErrno = errno;
    if (errno == EAGAIN || errno == EWOULDBLOCK) {
        BIO_set_retry_read(bio);
    }
    return -1;
}

long bioControl(BIO*, int command, long, void*) {
    // Writes are never buffered, so a flush has nothing to do; nothing else is supported.
    return command == BIO_CTRL_FLUSH ? 1 : 0;
}

int bioCreate(BIO* bio) {
    BIO_set_init(bio, 1);
    return 1;
}

const BIO_METHOD* socketApiBioMethod() {
    static BIO_METHOD* const method = [] {
        BIO_METHOD* made = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "socket api");
        BIO_meth_set_write(made, bioWrite);
        BIO_meth_set_read(made, bioRead);
        BIO_meth_set_ctrl(made, bioControl);
        BIO_meth_set_create(made, bioCreate);
        return made;
    }();
    return method;
}

} // namespace

TNetIOHandlerSSL::TNetIOHandlerSSL(SocketApi& api, NetCancelSignal& cancel) : TNetIOHandlerSocket(api, cancel) {}

TNetIOHandlerSSL::~TNetIOHandlerSSL() {
    freeSession();
}

void TNetIOHandlerSSL::freeSession() {
    if (m_ssl != nullptr) {
        SSL_free(m_ssl); // frees the BIO too
        m_ssl = nullptr;
    }
}

void TNetIOHandlerSSL::Connect(const NetEndpoint& peer, int timeoutMs) {
    TNetIOHandlerSocket::Connect(peer, timeoutMs);
    handshake(timeoutMs);
}

void TNetIOHandlerSSL::handshake(int timeoutMs) {
    freeSession();
    m_context = clientTlsContext();
    m_ssl = SSL_new(m_context.get());
    BIO* bio = m_ssl != nullptr ? BIO_new(socketApiBioMethod()) : nullptr;
    if (bio == nullptr) {
        failHandshake("out of memory");
    }
    m_transport = {&api(), Socket().handle, 0};
    BIO_set_data(bio, &m_transport);
    SSL_set_bio(m_ssl, bio, bio);
    m_closedWithoutNotice = false;
    // The name or address is checked against the certificate's subjectAltName entries only, as
    // browsers do: a name that stands only in the subject's common name is refused. A check that
    // cannot be set up fails the handshake; it is never left out.
    X509_VERIFY_PARAM* param = SSL_get0_param(m_ssl);
    X509_VERIFY_PARAM_set_hostflags(param, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS | X509_CHECK_FLAG_NEVER_CHECK_SUBJECT);
    if (m_serverName.empty()) {
        failHandshake("no host name to check the certificate against");
    }
    if (const auto address = parseDottedIPv4(m_serverName)) {
        if (X509_VERIFY_PARAM_set1_ip_asc(param, formatIPv4(*address).c_str()) != 1) {
            failHandshake("cannot check the certificate against the address");
        }
    } else if (SSL_set_tlsext_host_name(m_ssl, m_serverName.c_str()) != 1 ||
               X509_VERIFY_PARAM_set1_host(param, m_serverName.data(), m_serverName.size()) != 1) {
        failHandshake("cannot check the certificate against the name");
    }

    using std::chrono::milliseconds;
    const int limitMs = timeoutMs > 0 ? timeoutMs : kDefaultHandshakeMs;
    const auto deadline = api().now() + milliseconds(limitMs);
    for (;;) {
        ERR_clear_error();
        const int result = SSL_connect(m_ssl);
        if (result == 1) {
            return;
        }
        const int error = SSL_get_error(m_ssl, result);
        if (error != SSL_ERROR_WANT_READ && error != SSL_ERROR_WANT_WRITE) {
            failHandshake(failureReason(error));
        }
        const auto left = std::chrono::ceil<milliseconds>(deadline - api().now()).count();
        const bool ready = left > 0 && waitSocket(error == SSL_ERROR_WANT_READ ? WaitFor::Readable : WaitFor::Writable,
                                                  static_cast<int>(left));
        if (!ready) {
            failHandshake("no answer within " + std::to_string(limitMs) + " ms");
        }
    }
}

std::string TNetIOHandlerSSL::failureReason(int sslError) const {
    if (m_ssl != nullptr) {
        const long verify = SSL_get_verify_result(m_ssl);
        if (verify != X509_V_OK) {
            return std::string("certificate verify failed (") + X509_verify_cert_error_string(verify) + ")";
        }
    }
    const unsigned long queued = ERR_peek_last_error();
    if (ERR_GET_REASON(queued) == SSL_R_UNEXPECTED_EOF_WHILE_READING) {
        return "the server closed the connection";
    }
    if (queued != 0) {
        const char* reason = ERR_reason_error_string(queued);
        if (reason != nullptr) {
            return reason;
        }
        return "error " + std::to_string(queued);
    }
    if (sslError == SSL_ERROR_SYSCALL || sslError == SSL_ERROR_ZERO_RETURN) {
        if (m_transport.lastErrno != 0 && m_transport.lastErrno != EAGAIN) {
            return socketErrorMessage(wsaErrorFromErrno(m_transport.lastErrno));
        }
        return "the server closed the connection";
    }
    return "error " + std::to_string(sslError);
}

void TNetIOHandlerSSL::failHandshake(const std::string& reason) {
    ERR_clear_error();
    CloseSocket();
    throw ENetTLSError("TLS handshake with " + m_serverName + " failed: " + reason);
}

TNetIOHandlerSocket::IoResult TNetIOHandlerSSL::Send(const char* data, std::size_t length) {
    for (;;) {
        if (!Connected() || m_ssl == nullptr) {
            throw ENetClosedSocket();
        }
        ERR_clear_error();
        m_transport.lastErrno = 0;
        std::size_t written = 0;
        if (SSL_write_ex(m_ssl, data, length, &written) == 1) {
            return {static_cast<ssize_t>(written), 0};
        }
        const int error = SSL_get_error(m_ssl, 0);
        if (error == SSL_ERROR_WANT_WRITE || error == SSL_ERROR_WANT_READ) {
            if (!waitSocket(error == SSL_ERROR_WANT_READ ? WaitFor::Readable : WaitFor::Writable, -1)) {
                return {-1, wsaErrorFromErrno(errno)};
            }
            continue;
        }
        if (error == SSL_ERROR_SYSCALL && m_transport.lastErrno != 0) {
            return {-1, wsaErrorFromErrno(m_transport.lastErrno)};
        }
        if (error == SSL_ERROR_ZERO_RETURN) {
            return {-1, wsa::kConnectionReset};
        }
        const std::string reason = failureReason(error);
        ERR_clear_error();
        throw ENetTLSError("TLS error with " + m_serverName + ": " + reason);
    }
}

bool TNetIOHandlerSSL::WaitReadable(int timeoutMs) {
    // Decrypted bytes already waiting count as readable. (Without read-ahead TLS never takes more
    // from the socket than the record under way, so anything else is still the socket's to tell.)
    if (m_ssl != nullptr && SSL_pending(m_ssl) > 0) {
        return true;
    }
    return TNetIOHandlerSocket::WaitReadable(timeoutMs);
}

TNetIOHandlerSocket::IoResult TNetIOHandlerSSL::Recv(char* data, std::size_t length) {
    if (!Connected() || m_ssl == nullptr) {
        throw ENetClosedSocket();
    }
    if (cancelSignal().raised()) {
        throwCancelled();
    }
    for (;;) {
        ERR_clear_error();
        m_transport.lastErrno = 0;
        std::size_t received = 0;
        if (SSL_read_ex(m_ssl, data, length, &received) == 1) {
            return {static_cast<ssize_t>(received), 0};
        }
        const int error = SSL_get_error(m_ssl, 0);
        switch (error) {
        case SSL_ERROR_WANT_READ:
            return {-1, wsa::kWouldBlock};
        case SSL_ERROR_WANT_WRITE:
            // A key update wants to go out first.
            if (!waitSocket(WaitFor::Writable, -1)) {
                return {-1, wsaErrorFromErrno(errno)};
            }
            continue;
        case SSL_ERROR_ZERO_RETURN:
            return {0, 0};
        case SSL_ERROR_SYSCALL:
            if (m_transport.lastErrno != 0) {
                return {-1, wsaErrorFromErrno(m_transport.lastErrno)};
            }
            m_closedWithoutNotice = true;
            return {0, 0};
        case SSL_ERROR_SSL:
            if (ERR_GET_REASON(ERR_peek_last_error()) == SSL_R_UNEXPECTED_EOF_WHILE_READING) {
                // A close without close_notify: a close all the same, for the reader to judge.
                ERR_clear_error();
                m_closedWithoutNotice = true;
                return {0, 0};
            }
            break;
        default:
            break;
        }
        const std::string reason = failureReason(error);
        ERR_clear_error();
        throw ENetTLSError("TLS error with " + m_serverName + ": " + reason);
    }
}

void TNetIOHandlerSSL::ShutdownSend() {
    // After a close without close_notify the session is in its error state and sends nothing.
    if (m_ssl != nullptr && Connected() && !m_closedWithoutNotice && SSL_is_init_finished(m_ssl) == 1) {
        // One try at a close_notify; the socket is closed next whatever the peer does.
        ERR_clear_error();
        SSL_shutdown(m_ssl);
        ERR_clear_error();
    }
    TNetIOHandlerSocket::ShutdownSend();
}

void TNetIOHandlerSSL::CloseSocket() {
    freeSession();
    TNetIOHandlerSocket::CloseSocket();
}

} // namespace cvt
