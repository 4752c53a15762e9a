#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace cvt {

// The time a run keeps its pace by. Waits end early when woken, so Stop and closing never wait
// for a pause to run out.
class PaceClock {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    virtual ~PaceClock() = default;
    virtual TimePoint now() = 0;
    // Waits until the deadline, or until wake() is called and stop() returns true.
    virtual void sleepUntil(TimePoint deadline, const std::function<bool()>& stop) = 0;
    // Ends every wait whose stop() now returns true. Any thread.
    virtual void wake() = 0;
};

class SystemPaceClock : public PaceClock {
public:
    TimePoint now() override { return std::chrono::steady_clock::now(); }
    void sleepUntil(TimePoint deadline, const std::function<bool()>& stop) override {
        std::unique_lock lock(m_mutex);
        m_woken.wait_until(lock, deadline, stop);
    }
    void wake() override {
        // Taking the lock orders the wake after a waiter's test of stop().
        std::lock_guard lock(m_mutex);
        m_woken.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_woken;
};

} // namespace cvt
