#pragma once

#include "core/journal/Journal.h"
#include "core/journal/JournalRecall.h"
#include "core/journal/JournalWriter.h"
#include "core/journal/SearchKey.h"
#include "core/query/QueryEngine.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace cvt {

// How a run uses the journal.
struct JournalRunStart {
    // The search to go on with (its answered cells are taken back); 0 records a new search.
    std::int64_t resume = 0;
    // Answers of the last so many days are reused instead of asked; 0 asks every cell.
    int reuseDays = 0;
    // Told on the writer's thread when the journal fails during the run.
    std::function<void(const std::string&)> warn;
};

// A front end's runs in one journal, one at a time: each run's search is recorded (or resumed), its
// cells journaled by a writer, and the run given the answers it need not ask.
class JournalSession {
public:
    explicit JournalSession(std::unique_ptr<Journal> journal) : m_journal(std::move(journal)) {}
    ~JournalSession() { m_writer.reset(); }
    JournalSession(const JournalSession&) = delete;
    JournalSession& operator=(const JournalSession&) = delete;

    Journal& journal() { return *m_journal; }

    // Readies a run while none is under way: records the search under `key` (or takes up
    // start.resume) and sets the request's recall. Returns the writer the run's cells go to. Throws
    // JournalError when the search cannot be recorded; the run then goes on without the journal.
    JournalWriter& begin(SearchRequest& request, const SearchKey& key, const JournalRunStart& start);
    // After the run (and its re-query passes): writes what is waiting; a run that went to its end
    // marks its search finished, a refused one leaves none. A journal that failed during the run
    // leaves the search unfinished, for a later resume. Throws JournalError.
    void end(bool finished, bool refused);
    bool running() const { return m_writer != nullptr; }

private:
    std::unique_ptr<Journal> m_journal;
    std::unique_ptr<JournalWriter> m_writer;
    std::optional<JournalRecall> m_recall;
    std::int64_t m_search = 0;
    bool m_resumed = false;
};

} // namespace cvt
