#include "net/socket/TlsClientContext.h"

#include "net/socket/NetExceptions.h"

#include <cstdlib>
#include <mutex>
#include <string>

namespace cvt {

namespace {

std::string environmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

std::shared_ptr<SSL_CTX> makeContext() {
    SSL_CTX* context = SSL_CTX_new(TLS_client_method());
    if (context == nullptr) {
        throw ENetTLSError("TLS is not available: OpenSSL could not make a client context");
    }
    std::shared_ptr<SSL_CTX> owned(context, SSL_CTX_free);
    SSL_CTX_set_min_proto_version(context, TLS1_2_VERSION);
    SSL_CTX_set_verify(context, SSL_VERIFY_PEER, nullptr);
    // Reads SSL_CERT_FILE and SSL_CERT_DIR, else the system's store. A missing store is no error
    // here: the handshake then reports the certificate it could not verify.
    SSL_CTX_set_default_verify_paths(context);
    SSL_CTX_set_mode(context, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
    return owned;
}

} // namespace

std::shared_ptr<SSL_CTX> clientTlsContext() {
    static std::mutex mutex;
    static std::shared_ptr<SSL_CTX> context;
    static std::string madeForFile;
    static std::string madeForDir;
    const std::lock_guard lock(mutex);
    std::string file = environmentValue("SSL_CERT_FILE");
    std::string dir = environmentValue("SSL_CERT_DIR");
    if (!context || file != madeForFile || dir != madeForDir) {
        context = makeContext();
        madeForFile = std::move(file);
        madeForDir = std::move(dir);
    }
    return context;
}

} // namespace cvt
