#include "core/query/ThreadComponent.h"

#include <exception>
#include <iostream>
#include <utility>

namespace cvt {

struct ThreadComponent::Worker {
    std::atomic<bool> deactivated{false};
    std::uint64_t activation = 0;
};

ThreadComponent::ThreadComponent(Handler handler, ErrorCallback onError)
    : m_handler(std::move(handler)), m_onError(std::move(onError)) {}

ThreadComponent::~ThreadComponent() {
    deactivate();
    waitIdle();
}

std::uint64_t ThreadComponent::activate() {
    std::lock_guard lock(m_mutex);
    if (m_current && !m_current->deactivated.load()) {
        return 0;
    }
    auto worker = std::make_shared<Worker>();
    worker->activation = ++m_activations;
    // The new worker joins the previous one before running, so the caller never blocks.
    auto predecessor = std::make_shared<std::thread>(std::move(m_thread));
    m_liveWorkers.fetch_add(1);
    try {
        m_thread = std::thread([this, worker, predecessor] { workerMain(worker, std::move(*predecessor)); });
    } catch (...) {
        m_liveWorkers.fetch_sub(1);
        if (predecessor->joinable()) {
            predecessor->join();
        }
        throw;
    }
    m_current = worker;
    return worker->activation;
}

void ThreadComponent::deactivate() {
    std::lock_guard lock(m_mutex);
    if (m_current) {
        m_current->deactivated.store(true);
    }
}

void ThreadComponent::deactivateWorker(std::uint64_t activation) {
    std::lock_guard lock(m_mutex);
    if (m_current && m_current->activation == activation) {
        m_current->deactivated.store(true);
    }
}

bool ThreadComponent::isActive() const {
    std::lock_guard lock(m_mutex);
    return m_current && !m_current->deactivated.load();
}

bool ThreadComponent::isBusy() const {
    return m_liveWorkers.load() > 0;
}

void ThreadComponent::waitIdle() {
    std::thread newest;
    {
        std::lock_guard lock(m_mutex);
        newest = std::move(m_thread);
    }
    if (newest.joinable()) {
        newest.join();
    }
}

void ThreadComponent::workerMain(const std::shared_ptr<Worker>& worker, std::thread predecessor) {
    if (predecessor.joinable()) {
        predecessor.join();
    }
    const WorkerState state{worker->deactivated, worker->activation};
    std::string failure;
    try {
        do {
            m_handler(state);
        } while (!worker->deactivated.load());
    } catch (const std::exception& error) {
        failure = error.what();
        if (failure.empty()) {
            failure = "Unknown error.";
        }
    } catch (...) {
        failure = "Unknown error.";
    }
    worker->deactivated.store(true);
    if (!failure.empty()) {
        if (m_onError) {
            m_onError(failure);
        } else {
            std::cerr << failure << '\n';
        }
    }
    m_liveWorkers.fetch_sub(1);
}

} // namespace cvt
