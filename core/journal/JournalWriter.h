#pragma once

#include "core/journal/Journal.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace cvt {

// Writes the cells of one search to the journal on a thread of its own, many per transaction: a
// batch goes out once kBatchRows cells are waiting or a second after the previous one, so a crash
// loses at most the last second of answers. When a write fails (a full disk) the writer warns once
// and takes no more cells: the run goes on without the journal, and every batch written before
// stays.
class JournalWriter {
public:
    static constexpr std::size_t kBatchRows = 4000;
    static constexpr std::chrono::milliseconds kBatchTime{1000};

    // warn is told the failure, once, on the writer's thread.
    JournalWriter(Journal& journal, std::int64_t search, std::function<void(const std::string&)> warn);
    // Writes what is waiting and ends the thread.
    ~JournalWriter();
    JournalWriter(const JournalWriter&) = delete;
    JournalWriter& operator=(const JournalWriter&) = delete;

    // Any thread; never waits for the disk.
    void add(JournalCell cell);
    // The search's candidate count, written with the next batch.
    void setNames(std::int64_t names);
    // Writes everything added so far and waits until it is written (or the journal has failed).
    void flush();
    bool failed() const { return m_failed.load(); }
    std::int64_t search() const { return m_search; }

private:
    void loop();

    Journal& m_journal;
    const std::int64_t m_search;
    std::function<void(const std::string&)> m_warn;
    std::atomic<bool> m_failed{false};

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_written;
    std::vector<JournalCell> m_waiting;
    std::int64_t m_names = 0;
    std::uint64_t m_added = 0;   // batches are counted in cells added and cells written
    std::uint64_t m_settled = 0; // written, or dropped after a failure
    bool m_flushing = false;
    bool m_closing = false;
    std::thread m_thread;
};

} // namespace cvt
