#pragma once

#include <cstdint>
#include <string>

namespace cvt {

// One socket: its descriptor, whether it is allocated (open), and the peer address and port it
// connected to.
struct TNetSocketHandle {
    int handle = -1;
    bool allocated = false;
    std::string peerAddress;
    std::uint16_t peerPort = 0;

    // Back to the state of a new handle (the descriptor must already be closed).
    void Reset() { *this = TNetSocketHandle{}; }
};

} // namespace cvt
