#pragma once

#include "net/socket/TNetTCPConnection.h"

namespace cvt {

// The client side of a TCP connection, the base of the WHOIS and HTTP clients. Everything it does
// is the connection's; it exists so clients share one base.
class TNetTCPClient : public TNetTCPConnection {
public:
    TNetTCPClient() = default;
};

} // namespace cvt
