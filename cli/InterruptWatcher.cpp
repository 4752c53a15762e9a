#include "cli/InterruptWatcher.h"

#include <pthread.h>
#include <stdexcept>
#include <unistd.h>

namespace cvt::cli {

InterruptWatcher::InterruptWatcher() {
    struct sigaction current {};
    if (sigaction(SIGINT, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) {
        return;
    }
    sigemptyset(&m_signals);
    sigaddset(&m_signals, SIGINT);
    if (pthread_sigmask(SIG_BLOCK, &m_signals, &m_previousMask) != 0) {
        throw std::runtime_error("cannot block SIGINT");
    }
    m_active = true;
    m_thread = std::thread([this] { watch(); });
}

InterruptWatcher::~InterruptWatcher() {
    if (!m_active) {
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        m_ending = true;
    }
    pthread_kill(m_thread.native_handle(), SIGINT);
    m_thread.join();
    pthread_sigmask(SIG_SETMASK, &m_previousMask, nullptr);
}

void InterruptWatcher::setHandler(std::function<void(int)> handler) {
    std::lock_guard lock(m_mutex);
    m_handler = std::move(handler);
    m_mode = Mode::Handler;
    if (m_held) {
        m_held = false;
        m_handler(m_count);
    }
}

void InterruptWatcher::endProcessOnInterrupt() {
    std::lock_guard lock(m_mutex);
    m_mode = Mode::EndProcess;
    m_handler = nullptr;
    if (m_held) {
        endProcess();
    }
}

void InterruptWatcher::watch() {
    for (;;) {
        int received = 0;
        if (sigwait(&m_signals, &received) != 0) {
            continue;
        }
        std::lock_guard lock(m_mutex);
        if (m_ending) {
            return;
        }
        ++m_count;
        if (m_mode == Mode::Handler) {
            m_handler(m_count);
        } else if (m_mode == Mode::EndProcess) {
            endProcess();
        } else {
            m_held = true;
        }
    }
}

void InterruptWatcher::endProcess() {
    // The default action, so the parent sees a process ended by SIGINT.
    signal(SIGINT, SIG_DFL);
    sigset_t interrupt;
    sigemptyset(&interrupt);
    sigaddset(&interrupt, SIGINT);
    pthread_sigmask(SIG_UNBLOCK, &interrupt, nullptr);
    raise(SIGINT);
    _exit(128 + SIGINT);
}

} // namespace cvt::cli
