#pragma once

namespace cvt {

// The process-wide network stack. It lives while at least one network component exists: the first
// component created brings it up and the last one destroyed takes it down, both under one
// process-wide lock. On POSIX there is nothing to load or start; the stack makes sure a peer that
// closes under a send cannot kill the process with SIGPIPE (sends also pass MSG_NOSIGNAL).
class TNetStack {
public:
    // Called by every network component when it is created and destroyed.
    static void Acquire();
    static void Release();
    // The number of living network components.
    static int InstanceCount();
};

} // namespace cvt
