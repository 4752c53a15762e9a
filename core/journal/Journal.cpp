#include "core/journal/Journal.h"

#include "core/journal/JournalError.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace cvt {

namespace {

constexpr int kApplicationId = 0x43767464; // "Cvtd"
constexpr int kSchemaVersion = 1;
// How long the lookups of a run may read one snapshot: the answers written meanwhile are not
// needed by them, and a checkpoint is held back no longer than this.
constexpr auto kSnapshotTime = std::chrono::milliseconds(500);
// How long a writer waits for another one that is about to end before it says the file is in use.
constexpr auto kClaimWait = std::chrono::seconds(3);

constexpr const char* kSchema = R"(
CREATE TABLE searches(
    id INTEGER PRIMARY KEY,
    key TEXT NOT NULL,
    source TEXT NOT NULL,
    suffixes TEXT NOT NULL,
    settings TEXT NOT NULL,
    started INTEGER NOT NULL,
    finished INTEGER NOT NULL DEFAULT 0,
    names INTEGER NOT NULL DEFAULT 0);
CREATE INDEX searches_by_key ON searches(key, finished);
CREATE TABLE cells(
    search INTEGER NOT NULL REFERENCES searches(id) ON DELETE CASCADE,
    row INTEGER NOT NULL,
    name TEXT NOT NULL,
    suffix TEXT NOT NULL,
    mark TEXT NOT NULL,
    details TEXT NOT NULL,
    via TEXT NOT NULL,
    server TEXT NOT NULL,
    asked INTEGER NOT NULL,
    PRIMARY KEY(search, row, suffix)) WITHOUT ROWID;
CREATE INDEX cells_by_name ON cells(name, suffix, server, asked);
)";

// Added to journals of the first schema as they are opened for writing; an older version leaves it
// alone, and its searches, having no judgements, are never reused.
constexpr const char* kJudgements = R"(
CREATE TABLE IF NOT EXISTS judgements(
    search INTEGER NOT NULL REFERENCES searches(id) ON DELETE CASCADE,
    suffix TEXT NOT NULL,
    judged TEXT NOT NULL,
    PRIMARY KEY(search, suffix)) WITHOUT ROWID;
)";

// An SQLite call that failed, inside this file; turned into a JournalError at the public edge.
struct SqliteFailure {
    int code = 0;
    std::string message;
};

[[noreturn]] void throwFailure(sqlite3* db, int code) {
    throw SqliteFailure{code, db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(code)};
}

void exec(sqlite3* db, const char* sql) {
    if (const int code = sqlite3_exec(db, sql, nullptr, nullptr, nullptr); code != SQLITE_OK) {
        throwFailure(db, code);
    }
}

// Runs work in one write transaction: committed when it returns, rolled back when it throws.
template <typename Work>
void inTransaction(sqlite3* db, Work&& work) {
    exec(db, "BEGIN IMMEDIATE");
    try {
        work();
        exec(db, "COMMIT");
    } catch (const SqliteFailure&) {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

// A prepared statement, finalized at the end of its scope unless it is kept.
class Query {
public:
    Query(sqlite3* db, const char* sql) : m_db(db) {
        if (const int code = sqlite3_prepare_v2(db, sql, -1, &m_statement, nullptr); code != SQLITE_OK) {
            throwFailure(db, code);
        }
    }
    // Uses a kept statement, reset before and after.
    Query(sqlite3* db, sqlite3_stmt* kept) : m_db(db), m_statement(kept), m_kept(true) { sqlite3_reset(kept); }
    ~Query() {
        if (m_kept) {
            sqlite3_reset(m_statement);
            sqlite3_clear_bindings(m_statement);
        } else {
            sqlite3_finalize(m_statement);
        }
    }
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    Query& bind(int index, std::string_view text) {
        sqlite3_bind_text(m_statement, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Query& bind(int index, std::int64_t value) {
        sqlite3_bind_int64(m_statement, index, value);
        return *this;
    }
    // True while there is a row.
    bool step() {
        const int code = sqlite3_step(m_statement);
        if (code == SQLITE_ROW) {
            return true;
        }
        if (code == SQLITE_DONE) {
            return false;
        }
        throwFailure(m_db, code);
    }
    void rewind() { sqlite3_reset(m_statement); }
    std::string text(int column) const {
        const auto* bytes = sqlite3_column_text(m_statement, column);
        return bytes == nullptr ? std::string()
                                : std::string(reinterpret_cast<const char*>(bytes),
                                              static_cast<std::size_t>(sqlite3_column_bytes(m_statement, column)));
    }
    std::int64_t integer(int column) const { return sqlite3_column_int64(m_statement, column); }

private:
    sqlite3* m_db;
    sqlite3_stmt* m_statement = nullptr;
    bool m_kept = false;
};

sqlite3_stmt* prepareKept(sqlite3* db, const char* sql) {
    sqlite3_stmt* statement = nullptr;
    if (const int code = sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr);
        code != SQLITE_OK) {
        throwFailure(db, code);
    }
    return statement;
}

std::int64_t singleInteger(sqlite3* db, const char* sql) {
    Query query(db, sql);
    return query.step() ? query.integer(0) : 0;
}

sqlite3* openDatabase(const std::filesystem::path& path, int flags) {
    sqlite3* db = nullptr;
    const int code = sqlite3_open_v2(path.c_str(), &db, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    if (code != SQLITE_OK) {
        SqliteFailure failure{code, db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(code)};
        sqlite3_close(db);
        throw failure;
    }
    sqlite3_busy_timeout(db, 5000);
    sqlite3_extended_result_codes(db, 0);
    return db;
}

void closeDatabase(sqlite3*& db) {
    sqlite3_close(db);
    db = nullptr;
}

int claimFile(const std::filesystem::path& path) {
    const std::string lockPath = path.string() + ".lock";
    const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        throw JournalError(JournalError::Kind::Unusable,
                           "cannot open the journal's lock file " + lockPath + ": " + std::strerror(errno));
    }
    const auto deadline = std::chrono::steady_clock::now() + kClaimWait;
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        if (error != EWOULDBLOCK && error != EINTR) {
            ::close(fd);
            throw JournalError(JournalError::Kind::Unusable,
                               "cannot lock the journal " + path.string() + ": " + std::strerror(error));
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            ::close(fd);
            throw JournalError(JournalError::Kind::InUse,
                               "the journal " + path.string() + " is in use by another running Corvantide");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return fd;
}

// Renames the file (and its WAL and shared-memory files) aside; returns the new name.
std::filesystem::path renameAside(const std::filesystem::path& path) {
    char stamp[32] = {};
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &utc);
    const std::string aside = path.string() + ".damaged-" + stamp;
    for (const char* companion : {"", "-wal", "-shm"}) {
        const std::string from = path.string() + companion;
        if (::rename(from.c_str(), (aside + companion).c_str()) != 0 && errno != ENOENT) {
            throw JournalError(JournalError::Kind::Unusable,
                               "cannot rename the damaged journal " + from + " aside: " + std::strerror(errno));
        }
    }
    return aside;
}

bool isDamage(int code) {
    return code == SQLITE_NOTADB || code == SQLITE_CORRUPT;
}

enum class FileKind { Ours, Empty, Foreign, Newer };

FileKind inspect(sqlite3* db) {
    const std::int64_t application = singleInteger(db, "PRAGMA application_id");
    const std::int64_t version = singleInteger(db, "PRAGMA user_version");
    const std::int64_t tables = singleInteger(db, "SELECT count(*) FROM sqlite_master");
    if (application == kApplicationId) {
        if (version > kSchemaVersion) {
            return FileKind::Newer;
        }
        return version == kSchemaVersion ? FileKind::Ours : FileKind::Empty;
    }
    return application == 0 && version == 0 && tables == 0 ? FileKind::Empty : FileKind::Foreign;
}

JournalSearch readSearch(const Query& query) {
    JournalSearch search;
    search.id = query.integer(0);
    search.key = query.text(1);
    search.source = query.text(2);
    search.suffixes = query.text(3);
    search.settings = query.text(4);
    search.started = query.integer(5);
    search.finished = query.integer(6);
    search.names = query.integer(7);
    search.cells = query.integer(8);
    return search;
}

constexpr const char* kSearchColumns = "SELECT id, key, source, suffixes, settings, started, finished, names, "
                                       "(SELECT count(*) FROM cells WHERE cells.search = searches.id) FROM searches ";

JournalCell readCell(const Query& query) {
    JournalCell cell;
    cell.row = query.integer(0);
    cell.name = query.text(1);
    cell.suffix = query.text(2);
    // A word the journal does not know reads as failed, never as an answer.
    cell.mark = markOfWord(query.text(3)).value_or(Mark::Failed);
    cell.details = query.text(4);
    cell.via = query.text(5);
    cell.server = query.text(6);
    cell.asked = query.integer(7);
    return cell;
}

} // namespace

Journal::Journal(std::filesystem::path path, int claimFd) : m_path(std::move(path)), m_claimFd(claimFd) {}

Journal::~Journal() {
    if (m_snapshotOpen) {
        sqlite3_exec(m_read, "COMMIT", nullptr, nullptr, nullptr);
    }
    sqlite3_finalize(m_answeredQuery);
    sqlite3_finalize(m_recentQuery);
    if (m_read != m_write) {
        closeDatabase(m_read);
    }
    closeDatabase(m_write);
    if (m_claimFd >= 0) {
        ::close(m_claimFd);
    }
}

std::unique_ptr<Journal> Journal::open(const std::filesystem::path& path, JournalAccess access,
                                       std::vector<std::string>& notices) {
    int claim = -1;
    if (access == JournalAccess::Write) {
        std::error_code ignored;
        if (path.has_parent_path()) {
            std::filesystem::create_directories(path.parent_path(), ignored);
        }
        claim = claimFile(path);
    } else if (!std::filesystem::exists(path)) {
        throw JournalError(JournalError::Kind::Unusable, "there is no journal at " + path.string());
    }
    std::unique_ptr<Journal> journal(new Journal(path, claim));
    journal->openConnections(access, notices);
    return journal;
}

void Journal::openConnections(JournalAccess access, std::vector<std::string>& notices) {
    const bool writing = access == JournalAccess::Write;
    for (bool renamed = false;;) {
        std::string problem;
        try {
            if (writing) {
                m_write = openDatabase(m_path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
            } else {
                m_read = openDatabase(m_path, SQLITE_OPEN_READONLY);
            }
            sqlite3* db = writing ? m_write : m_read;
            const FileKind kind = inspect(db);
            if (kind == FileKind::Newer) {
                throw JournalError(JournalError::Kind::Newer,
                                   "the journal " + m_path.string() +
                                       " was made by a newer version of Corvantide; it is left as it is");
            }
            if (kind == FileKind::Foreign) {
                problem = "it is not a Corvantide journal";
            } else if (!writing) {
                if (kind == FileKind::Empty) {
                    throw JournalError(JournalError::Kind::Unusable, "the journal " + m_path.string() + " is empty");
                }
                break;
            } else {
                Query mode(db, "PRAGMA journal_mode=WAL");
                if (!mode.step() || mode.text(0) != "wal") {
                    throw SqliteFailure{SQLITE_CANTOPEN, "WAL mode is not available"};
                }
                mode.rewind();
                exec(db, "PRAGMA synchronous=NORMAL; PRAGMA foreign_keys=ON");
                if (kind == FileKind::Empty) {
                    inTransaction(db, [db] {
                        exec(db, kSchema);
                        exec(db, ("PRAGMA application_id=" + std::to_string(kApplicationId) +
                                  "; PRAGMA user_version=" + std::to_string(kSchemaVersion))
                                     .c_str());
                    });
                }
                exec(db, kJudgements);
                m_read = openDatabase(m_path, SQLITE_OPEN_READWRITE);
                break;
            }
        } catch (const SqliteFailure& failure) {
            if (!isDamage(failure.code)) {
                throw JournalError(JournalError::Kind::Unusable,
                                   "cannot use the journal " + m_path.string() + ": " + failure.message);
            }
            problem = failure.message;
        }
        closeDatabase(m_write);
        closeDatabase(m_read);
        if (!writing || renamed) {
            throw JournalError(JournalError::Kind::Unusable,
                               "cannot use the journal " + m_path.string() + ": " + problem);
        }
        const std::filesystem::path aside = renameAside(m_path);
        notices.push_back("the journal " + m_path.string() + " is damaged or foreign (" + problem +
                          "); it was renamed to " + aside.string() + " and a new journal started");
        renamed = true;
    }
    try {
        // Only answers are taken back: a failed cell, or a word this version does not know (a file
        // another program wrote), is asked again. "+search": the lookup goes by name through
        // cells_by_name; by the primary key it would walk every cell of the search.
        m_answeredQuery =
            prepareKept(m_read, "SELECT row, name, suffix, mark, details, via, server, asked FROM cells "
                                "WHERE name = ?2 AND suffix = ?3 AND +search = ?1 AND mark IN ('free', 'registered')");
        // Reuse is for runs, which write; a reader may open a journal without judgements.
        if (writing) {
            m_recentQuery = prepareKept(
                m_read, "SELECT row, name, cells.suffix, mark, details, via, server, asked FROM cells "
                        "JOIN judgements ON judgements.search = cells.search AND judgements.suffix = cells.suffix "
                        "WHERE name = ?1 AND cells.suffix = ?2 AND server = ?3 AND asked >= ?4 "
                        "AND mark IN ('free', 'registered') AND judged = ?5 ORDER BY asked DESC LIMIT 1");
        }
    } catch (const SqliteFailure& failure) {
        throw JournalError(JournalError::Kind::Unusable,
                           "cannot use the journal " + m_path.string() + ": " + failure.message);
    }
}

// Runs work on the writing connection under its lock; an SQLite failure becomes JournalError::Write.
template <typename Work>
auto Journal::writing(Work&& work) -> decltype(work()) {
    std::lock_guard lock(m_writeMutex);
    try {
        return work();
    } catch (const SqliteFailure& failure) {
        throw JournalError(JournalError::Kind::Write,
                           "cannot write to the journal " + m_path.string() + ": " + failure.message);
    }
}

// The same for the reading connection; a failure there is JournalError::Unusable.
template <typename Work>
auto Journal::reading(Work&& work) const -> decltype(work()) {
    std::lock_guard lock(m_readMutex);
    try {
        return work();
    } catch (const SqliteFailure& failure) {
        throw JournalError(JournalError::Kind::Unusable,
                           "cannot read the journal " + m_path.string() + ": " + failure.message);
    }
}

void Journal::useSnapshot() const {
    const auto now = std::chrono::steady_clock::now();
    if (m_snapshotOpen && now - m_snapshotStart < kSnapshotTime) {
        return;
    }
    endSnapshot();
    exec(m_read, "BEGIN");
    m_snapshotOpen = true;
    m_snapshotStart = now;
}

void Journal::endSnapshot() const {
    if (m_snapshotOpen) {
        m_snapshotOpen = false;
        exec(m_read, "COMMIT");
    }
}

void Journal::refreshLookups() const {
    reading([&] { endSnapshot(); });
}

std::int64_t Journal::startSearch(const JournalSearch& search) {
    return writing([&] {
        std::int64_t id = 0;
        inTransaction(m_write, [&] {
            Query insert(m_write, "INSERT INTO searches(key, source, suffixes, settings, started, names) "
                                  "VALUES(?, ?, ?, ?, ?, ?)");
            insert.bind(1, search.key)
                .bind(2, search.source)
                .bind(3, search.suffixes)
                .bind(4, search.settings)
                .bind(5, search.started)
                .bind(6, search.names);
            insert.step();
            id = sqlite3_last_insert_rowid(m_write);
            Query judged(m_write, "INSERT OR REPLACE INTO judgements(search, suffix, judged) VALUES(?, ?, ?)");
            for (const auto& [suffix, judgement] : search.judgements) {
                judged.bind(1, id).bind(2, suffix).bind(3, judgement);
                judged.step();
                judged.rewind();
            }
        });
        return id;
    });
}

void Journal::setNames(std::int64_t search, std::int64_t names) {
    writing([&] {
        Query update(m_write, "UPDATE searches SET names = ? WHERE id = ?");
        update.bind(1, names).bind(2, search).step();
    });
}

void Journal::finishSearch(std::int64_t search, std::int64_t when) {
    writing([&] {
        Query update(m_write, "UPDATE searches SET finished = ? WHERE id = ?");
        update.bind(1, when).bind(2, search).step();
    });
}

void Journal::writeCells(std::int64_t search, const std::vector<JournalCell>& cells) {
    writing([&] {
        inTransaction(m_write, [&] {
            Query insert(m_write, "INSERT OR REPLACE INTO cells(search, row, name, suffix, mark, details, via, "
                                  "server, asked) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?)");
            for (const JournalCell& cell : cells) {
                insert.bind(1, search)
                    .bind(2, cell.row)
                    .bind(3, cell.name)
                    .bind(4, cell.suffix)
                    .bind(5, markWord(cell.mark))
                    .bind(6, cell.details)
                    .bind(7, cell.via)
                    .bind(8, cell.server)
                    .bind(9, cell.asked);
                insert.step();
                insert.rewind();
            }
        });
    });
}

std::optional<JournalSearch> Journal::lastUnfinished(std::string_view key) const {
    return reading([&]() -> std::optional<JournalSearch> {
        endSnapshot();
        Query query(m_read,
                    (std::string(kSearchColumns) + "WHERE key = ? AND finished = 0 ORDER BY id DESC LIMIT 1").c_str());
        query.bind(1, key);
        if (query.step()) {
            return readSearch(query);
        }
        return std::nullopt;
    });
}

std::optional<JournalSearch> Journal::search(std::int64_t id) const {
    return reading([&]() -> std::optional<JournalSearch> {
        endSnapshot();
        Query query(m_read, (std::string(kSearchColumns) + "WHERE id = ?").c_str());
        query.bind(1, id);
        if (query.step()) {
            return readSearch(query);
        }
        return std::nullopt;
    });
}

std::vector<JournalSearch> Journal::searches() const {
    return reading([&] {
        endSnapshot();
        std::vector<JournalSearch> found;
        Query query(m_read, (std::string(kSearchColumns) + "ORDER BY id DESC").c_str());
        while (query.step()) {
            found.push_back(readSearch(query));
        }
        return found;
    });
}

std::optional<JournalSearch> Journal::newestSearch() const {
    return reading([&]() -> std::optional<JournalSearch> {
        endSnapshot();
        Query query(m_read, (std::string(kSearchColumns) + "ORDER BY id DESC LIMIT 1").c_str());
        if (query.step()) {
            return readSearch(query);
        }
        return std::nullopt;
    });
}

std::optional<JournalCell> Journal::answeredCell(std::int64_t search, std::string_view name,
                                                 std::string_view suffix) const {
    return reading([&]() -> std::optional<JournalCell> {
        useSnapshot();
        Query query(m_read, m_answeredQuery);
        query.bind(1, search).bind(2, name).bind(3, suffix);
        if (query.step()) {
            return readCell(query);
        }
        return std::nullopt;
    });
}

bool Journal::hasAnswersSince(std::string_view suffix, std::string_view server, std::int64_t since) const {
    return reading([&] {
        useSnapshot();
        Query query(m_read, "SELECT 1 FROM cells WHERE suffix = ?1 AND server = ?2 AND asked >= ?3 "
                            "AND mark IN ('free', 'registered') LIMIT 1");
        query.bind(1, suffix).bind(2, server).bind(3, since);
        return query.step();
    });
}

std::optional<JournalCell> Journal::recentAnswer(std::string_view name, std::string_view suffix,
                                                 std::string_view server, std::string_view judged,
                                                 std::int64_t since) const {
    return reading([&]() -> std::optional<JournalCell> {
        if (m_recentQuery == nullptr) {
            return std::nullopt;
        }
        useSnapshot();
        Query query(m_read, m_recentQuery);
        query.bind(1, name).bind(2, suffix).bind(3, server).bind(4, since).bind(5, judged);
        if (query.step()) {
            return readCell(query);
        }
        return std::nullopt;
    });
}

void Journal::forEachCell(std::int64_t search, const std::function<void(const JournalCell&)>& visit) const {
    reading([&] {
        endSnapshot();
        Query query(m_read, "SELECT row, name, suffix, mark, details, via, server, asked FROM cells "
                            "WHERE search = ? ORDER BY row");
        query.bind(1, search);
        while (query.step()) {
            visit(readCell(query));
        }
    });
}

void Journal::removeSearch(std::int64_t search) {
    writing([&] {
        inTransaction(m_write, [&] {
            Query cells(m_write, "DELETE FROM cells WHERE search = ?");
            cells.bind(1, search).step();
            Query judgements(m_write, "DELETE FROM judgements WHERE search = ?");
            judgements.bind(1, search).step();
            Query searches(m_write, "DELETE FROM searches WHERE id = ?");
            searches.bind(1, search).step();
        });
    });
}

std::size_t Journal::prune(std::int64_t before) {
    return writing([&] {
        std::size_t removed = 0;
        inTransaction(m_write, [&] {
            Query cells(m_write, "DELETE FROM cells WHERE search IN (SELECT id FROM searches WHERE started <= ?)");
            cells.bind(1, before).step();
            Query judgements(m_write,
                             "DELETE FROM judgements WHERE search IN (SELECT id FROM searches WHERE started <= ?)");
            judgements.bind(1, before).step();
            Query searches(m_write, "DELETE FROM searches WHERE started <= ?");
            searches.bind(1, before).step();
            removed = static_cast<std::size_t>(sqlite3_changes(m_write));
        });
        if (removed > 0) {
            exec(m_write, "VACUUM; PRAGMA wal_checkpoint(TRUNCATE)");
        }
        return removed;
    });
}

} // namespace cvt
