#pragma once

#include <cstdint>
#include <string>

namespace cvt {

// One socket: its descriptor, whether it is allocated (open), and the local and peer address and
// port read back after a connect.
struct TNetSocketHandle {
    int handle = -1;
    bool allocated = false;
    std::string localAddress;
    std::uint16_t localPort = 0;
    std::string peerAddress;
    std::uint16_t peerPort = 0;

    // Back to the state of a new handle (the descriptor must already be closed).
    void Reset() { *this = TNetSocketHandle{}; }
};

} // namespace cvt
