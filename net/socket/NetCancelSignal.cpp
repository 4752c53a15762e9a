#include "net/socket/NetCancelSignal.h"

#include "net/socket/SocketApi.h"

#include <cstdint>
#include <sys/eventfd.h>

namespace cvt {

NetCancelSignal::~NetCancelSignal() {
    if (m_fd >= 0) {
        m_api->close(m_fd);
    }
}

void NetCancelSignal::raise() {
    std::lock_guard lock(m_mutex);
    m_raised.store(true, std::memory_order_release);
    if (m_fd >= 0) {
        const std::uint64_t one = 1;
        // A full counter is still readable, which is all a waiter needs.
        retryOnEintr([&] { return m_api->write(m_fd, &one, sizeof one); });
    }
}

void NetCancelSignal::clear() {
    std::lock_guard lock(m_mutex);
    m_raised.store(false, std::memory_order_release);
    if (m_fd >= 0) {
        std::uint64_t value = 0;
        // Non-blocking: drains the counter, or fails at once with EAGAIN when it is already 0.
        retryOnEintr([&] { return m_api->read(m_fd, &value, sizeof value); });
    }
}

int NetCancelSignal::fd(SocketApi& api) {
    std::lock_guard lock(m_mutex);
    if (m_fd < 0) {
        m_fd = api.eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
        if (m_fd < 0) {
            return -1;
        }
        m_api = &api;
        if (m_raised.load(std::memory_order_acquire)) {
            const std::uint64_t one = 1;
            retryOnEintr([&] { return m_api->write(m_fd, &one, sizeof one); });
        }
    }
    return m_fd;
}

} // namespace cvt
