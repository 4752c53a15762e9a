#pragma once

#include <atomic>
#include <mutex>

namespace cvt {

class SocketApi;

// A cancellation request that another thread can raise while a connection waits. Waits poll the
// descriptor fd() beside the socket, so raising it wakes a blocked poll() at once; the socket
// itself is never closed under the waiting thread. A request stays raised until clear().
class NetCancelSignal {
public:
    NetCancelSignal() = default;
    ~NetCancelSignal();
    NetCancelSignal(const NetCancelSignal&) = delete;
    NetCancelSignal& operator=(const NetCancelSignal&) = delete;

    // Thread-safe.
    void raise();
    void clear();
    bool raised() const { return m_raised.load(std::memory_order_acquire); }

    // The descriptor to poll for POLLIN (readable while raised), created on first use through api.
    // -1 when it cannot be created; waits then only notice a request when they end.
    int fd(SocketApi& api);

private:
    mutable std::mutex m_mutex;
    std::atomic<bool> m_raised{false};
    int m_fd = -1;
    SocketApi* m_api = nullptr;
};

} // namespace cvt
