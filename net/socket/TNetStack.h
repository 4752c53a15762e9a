#pragma once

namespace cvt {

// The process-wide network stack. It lives while at least one network component exists: the first
// component created brings it up and the last one destroyed takes it down, both under one
// process-wide lock. On POSIX there is nothing to load or start, so it only counts the components;
// a peer that closes under a send cannot raise SIGPIPE because every send passes MSG_NOSIGNAL.
class TNetStack {
public:
    // Called by every network component when it is created and destroyed.
    static void Acquire();
    static void Release();
};

} // namespace cvt
