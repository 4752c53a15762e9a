#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace cvt {

// What a worker tells its handler.
struct WorkerState {
    // Raised when the component was deactivated for this worker; later activations never clear it,
    // so a stopping worker stays stopped.
    const std::atomic<bool>& deactivated;
    // Numbers the activations of the component from 1.
    std::uint64_t activation;
};

// A worker thread that can be started and asked to stop.
//
// activate() starts a worker that calls the handler again and again until the component is
// deactivated; the handler usually deactivates the component at its end, so it runs once per
// activation. The handler is always called at least once, so work that must follow every
// activation (a clean-up) runs even when the component was deactivated before the worker began.
// Deactivating only marks the worker as stopping; the handler running goes on to its own end.
//
// Activating while a worker is active does nothing. Activating while the previous worker is still
// finishing starts the new worker, which first waits for the previous one to end: the caller never
// blocks, and at most one handler runs at a time.
//
// An exception escaping the handler ends the worker and is reported through the error callback
// (with its message), on the worker thread. The destructor deactivates and waits for every worker.
class ThreadComponent {
public:
    using Handler = std::function<void(const WorkerState&)>;
    using ErrorCallback = std::function<void(const std::string& message)>;

    ThreadComponent(Handler handler, ErrorCallback onError);
    ~ThreadComponent();
    ThreadComponent(const ThreadComponent&) = delete;
    ThreadComponent& operator=(const ThreadComponent&) = delete;

    // Starts a worker unless one is active. Returns the activation number of the new worker, or 0
    // when a worker was already active.
    std::uint64_t activate();
    // Marks the current worker as stopping. Any thread, the worker itself included.
    void deactivate();
    // The handler's own end: marks the worker with this activation number as stopping. A newer
    // worker is left alone (an older one was deactivated before the newer could start).
    void deactivateWorker(std::uint64_t activation);
    // True from activate() until deactivate().
    bool isActive() const;
    // True while any worker of this component has not ended (active or finishing).
    bool isBusy() const;
    // Waits until every worker has ended. Must not be called from a worker of this component.
    void waitIdle();

private:
    struct Worker;
    void workerMain(const std::shared_ptr<Worker>& worker, std::thread predecessor);

    Handler m_handler;
    ErrorCallback m_onError;
    mutable std::mutex m_mutex;
    std::shared_ptr<Worker> m_current;
    std::thread m_thread; // the newest worker; it joins its predecessor before it runs
    std::uint64_t m_activations = 0;
    std::atomic<int> m_liveWorkers{0};
};

} // namespace cvt
