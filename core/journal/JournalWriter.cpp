#include "core/journal/JournalWriter.h"

#include "core/journal/JournalError.h"

#include <utility>

namespace cvt {

JournalWriter::JournalWriter(Journal& journal, std::int64_t search, std::function<void(const std::string&)> warn)
    : m_journal(journal), m_search(search), m_warn(std::move(warn)), m_thread([this] { loop(); }) {}

JournalWriter::~JournalWriter() {
    {
        std::lock_guard lock(m_mutex);
        m_closing = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

void JournalWriter::add(JournalCell cell) {
    if (m_failed.load()) {
        return;
    }
    std::lock_guard lock(m_mutex);
    m_waiting.push_back(std::move(cell));
    ++m_added;
    if (m_waiting.size() == kBatchRows) {
        m_wake.notify_one();
    }
}

void JournalWriter::setNames(std::int64_t names) {
    std::lock_guard lock(m_mutex);
    m_names = names;
}

void JournalWriter::flush() {
    std::unique_lock lock(m_mutex);
    const std::uint64_t target = m_added;
    m_flushing = true;
    m_wake.notify_one();
    m_written.wait(lock, [&] { return m_settled >= target; });
    m_flushing = false;
}

void JournalWriter::loop() {
    std::unique_lock lock(m_mutex);
    auto due = std::chrono::steady_clock::now() + kBatchTime;
    for (;;) {
        m_wake.wait_until(lock, due, [this] { return m_closing || m_flushing || m_waiting.size() >= kBatchRows; });
        const bool closing = m_closing;
        const auto taken = std::chrono::steady_clock::now();
        std::vector<JournalCell> batch;
        batch.swap(m_waiting);
        const std::int64_t names = std::exchange(m_names, 0);
        lock.unlock();
        if (!m_failed.load()) {
            try {
                if (names > 0) {
                    m_journal.setNames(m_search, names);
                }
                if (!batch.empty()) {
                    m_journal.writeCells(m_search, batch);
                }
            } catch (const JournalError& error) {
                m_failed.store(true);
                m_warn(std::string(error.what()) + "; the run goes on without the journal");
            }
        }
        lock.lock();
        m_settled += batch.size();
        m_written.notify_all();
        if (closing && m_waiting.empty()) {
            return;
        }
        // The next batch is due a second after this one was taken, however long writing it took,
        // so a slow disk does not stretch the time an answer waits to be written.
        due = taken + kBatchTime;
    }
}

} // namespace cvt
