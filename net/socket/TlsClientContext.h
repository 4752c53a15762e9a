#pragma once

#include <memory>
#include <openssl/ssl.h>

namespace cvt {

// The TLS settings every client connection shares: TLS 1.2 or later, peer verification on, and
// the system's trust store (SSL_CERT_FILE and SSL_CERT_DIR, when set, name the store instead). The
// context is made once and made again only when one of those two variables has changed, so a
// test that trusts its own CA needs no special set-up. Thread-safe. Throws ENetTLSError when
// OpenSSL cannot make a context.
std::shared_ptr<SSL_CTX> clientTlsContext();

} // namespace cvt
