#pragma once

#include "core/query/Mark.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace cvt {

// A search as the journal keeps it.
struct JournalSearch {
    std::int64_t id = 0;
    std::string key;      // see SearchKey
    std::string source;   // the pattern, or the word list's count and digest
    std::string suffixes; // comma-separated
    std::string settings;
    std::int64_t started = 0;  // seconds since the epoch
    std::int64_t finished = 0; // 0 while unfinished
    std::int64_t names = 0;    // candidates; 0 until known
    std::int64_t cells = 0;    // cells journaled (read back only)
    // Per suffix, what its answers were judged by besides its server (SearchKey::judgements);
    // written by startSearch only.
    std::vector<std::pair<std::string, std::string>> judgements = {};
};

// One answered cell.
struct JournalCell {
    std::int64_t row = 0; // the row in the search's table
    std::string name;
    std::string suffix;
    Mark mark = Mark::Unasked; // stored as its word (markWord)
    std::string details;       // the reason of a failed cell, the delegation of a DNS answer
    std::string via;           // whois, rdap or dns
    std::string server;        // the suffix's server field
    std::int64_t asked = 0;
};

enum class JournalAccess {
    Write, // claims the file for this process; a damaged or foreign file is renamed aside
    Read,  // reads beside a running writer; the file must exist
};

// The results journal: an SQLite database in WAL mode (synchronous=NORMAL), its schema version in
// user_version and its kind in application_id. One process writes at a time: a writer claims the
// file with a lock on "<file>.lock" and a second writer is refused (JournalError::InUse). Readers
// (history) need no claim. All members may be called from any thread; writes and reads use
// separate connections, so a reader never waits for a batch being written.
class Journal {
public:
    // Opens or creates the journal. Throws JournalError: InUse, Newer (the file is left as it is),
    // Unusable. A file that is damaged or not a journal is renamed aside when writing ("<file>.damaged-
    // <time>") and a new one started; notices gets a line saying so.
    static std::unique_ptr<Journal> open(const std::filesystem::path& path, JournalAccess access,
                                         std::vector<std::string>& notices);
    ~Journal();
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;

    const std::filesystem::path& path() const { return m_path; }

    // Records a new search (its id and cell count ignored); returns its id.
    std::int64_t startSearch(const JournalSearch& search);
    void setNames(std::int64_t search, std::int64_t names);
    void finishSearch(std::int64_t search, std::int64_t when);
    // Removes a search and its cells (one that was refused before it asked anything).
    void removeSearch(std::int64_t search);
    // Writes the cells in one transaction (a cell already there is replaced). Throws
    // JournalError::Write when it cannot; the transaction is rolled back and earlier ones are kept.
    void writeCells(std::int64_t search, const std::vector<JournalCell>& cells);

    // The newest unfinished search with this key.
    std::optional<JournalSearch> lastUnfinished(std::string_view key) const;
    std::optional<JournalSearch> search(std::int64_t id) const;
    // Newest first.
    std::vector<JournalSearch> searches() const;
    // The first of searches(), if any.
    std::optional<JournalSearch> newestSearch() const;
    // The search's cell, when it holds an answer (free or registered).
    std::optional<JournalCell> answeredCell(std::int64_t search, std::string_view name, std::string_view suffix) const;
    // Whether the server answered any name of the suffix (free or registered) at or after `since`.
    bool hasAnswersSince(std::string_view suffix, std::string_view server, std::int64_t since) const;
    // The latest answer (free or registered) of any search asked of this server at or after `since`
    // and judged as `judged` says (answerJudgement); a search that recorded no judgement gives none.
    std::optional<JournalCell> recentAnswer(std::string_view name, std::string_view suffix, std::string_view server,
                                            std::string_view judged, std::int64_t since) const;
    // Lets the next lookups (answeredCell, recentAnswer) see every cell written before: a new run
    // starts with this.
    void refreshLookups() const;
    // The search's cells in row order.
    void forEachCell(std::int64_t search, const std::function<void(const JournalCell&)>& visit) const;
    // Removes the searches started at or before `before` with their cells and shrinks the file; returns
    // how many searches went.
    std::size_t prune(std::int64_t before);

private:
    Journal(std::filesystem::path path, int claimFd);
    void openConnections(JournalAccess access, std::vector<std::string>& notices);
    template <typename Work>
    auto writing(Work&& work) -> decltype(work());
    template <typename Work>
    auto reading(Work&& work) const -> decltype(work());

    std::filesystem::path m_path;
    int m_claimFd = -1;
    sqlite3* m_write = nullptr;
    sqlite3* m_read = nullptr;
    mutable std::mutex m_writeMutex;
    mutable std::mutex m_readMutex;
    // Under m_readMutex: the lookups of a run share one read transaction, renewed after
    // kSnapshotTime, rather than starting one per cell; the other reads end it first.
    void useSnapshot() const;
    void endSnapshot() const;
    mutable bool m_snapshotOpen = false;
    mutable std::chrono::steady_clock::time_point m_snapshotStart;
    // The lookups a run makes for every cell, prepared once (under m_readMutex).
    sqlite3_stmt* m_answeredQuery = nullptr;
    sqlite3_stmt* m_recentQuery = nullptr;
};

} // namespace cvt
