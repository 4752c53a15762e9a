#pragma once

#include <functional>
#include <mutex>
#include <signal.h>
#include <thread>

namespace cvt::cli {

// Turns Ctrl-C into a call on an ordinary thread. Made first thing in main: SIGINT is blocked in
// the main thread, so in every thread started after, and one watcher thread takes it with sigwait;
// nothing runs in a signal handler. Until a command says what Ctrl-C means, a Ctrl-C is held, so
// one that comes in the first moments is never lost. A process started with SIGINT ignored (a
// background job) keeps ignoring it.
class InterruptWatcher {
public:
    InterruptWatcher();
    ~InterruptWatcher();
    InterruptWatcher(const InterruptWatcher&) = delete;
    InterruptWatcher& operator=(const InterruptWatcher&) = delete;

    // From now on every Ctrl-C calls the handler with the number of Ctrl-C so far, on the watcher
    // thread; one held already is handed over at once. Calls never overlap, and none is under way
    // once the handler has been replaced.
    void setHandler(std::function<void(int count)> handler);
    // From now on Ctrl-C ends the process as it would without the watcher; a held one does at once.
    void endProcessOnInterrupt();

private:
    enum class Mode { Hold, Handler, EndProcess };

    void watch();
    [[noreturn]] static void endProcess();

    bool m_active = false;
    sigset_t m_signals{};
    sigset_t m_previousMask{};
    std::mutex m_mutex;
    Mode m_mode = Mode::Hold;
    int m_count = 0;
    bool m_held = false; // a Ctrl-C came while held and has not been acted on
    bool m_ending = false;
    std::function<void(int)> m_handler;
    std::thread m_thread;
};

// Sets a handler for as long as it lives; afterwards Ctrl-C ends the process again.
class InterruptHandlerScope {
public:
    InterruptHandlerScope(InterruptWatcher& watcher, std::function<void(int count)> handler) : m_watcher(watcher) {
        m_watcher.setHandler(std::move(handler));
    }
    ~InterruptHandlerScope() { m_watcher.endProcessOnInterrupt(); }
    InterruptHandlerScope(const InterruptHandlerScope&) = delete;
    InterruptHandlerScope& operator=(const InterruptHandlerScope&) = delete;

private:
    InterruptWatcher& m_watcher;
};

} // namespace cvt::cli
