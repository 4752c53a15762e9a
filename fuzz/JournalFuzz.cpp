// The journal read back from a file it did not write: a journal whose rows another program put
// there, with values of any type, or bytes that are no journal at all. Opening, listing the
// searches, reading a search's cells and recalling answers never crash, never read a failed or
// unasked cell, or a word this version does not know, as an answer to take back.
//
// Input: a first field "F" takes the rest as the file's bytes. Otherwise the fields are rows for a
// fresh journal: "s" then the 8 columns of a search, or "c" then the 9 columns of a cell, or "v"
// then a schema version; a value field starting with "i" is the integer after it, "n" NULL, "b" the
// rest as a blob, "r" a real, anything else the field as text.
#include "core/journal/Journal.h"
#include "core/journal/JournalError.h"
#include "core/journal/JournalRecall.h"
#include "core/query/Mark.h"
#include "fuzz/FuzzInput.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sqlite3.h>
#include <string>
#include <string_view>
#include <vector>

namespace {

namespace fs = std::filesystem;
using cvt::fuzz::FieldReader;
using cvt::fuzz::require;

constexpr int kSearchColumns = 8;
constexpr int kCellColumns = 9;
// Enough to reach every branch; more only slows the fuzzer down.
constexpr int kMaxRows = 64;
constexpr std::size_t kMaxRecalls = 64;

// Made on first use and removed at exit (kept for good: the exit handler still needs it).
const fs::path& folder() {
    static const fs::path* const path = [] {
        std::string pattern = (fs::temp_directory_path() / "corvantide-journal-fuzz-XXXXXX").string();
        require(::mkdtemp(pattern.data()) != nullptr);
        return new fs::path(pattern);
    }();
    static const bool removedAtExit = std::atexit([] {
                                          std::error_code ignored;
                                          fs::remove_all(*path, ignored);
                                      }) == 0;
    static_cast<void>(removedAtExit);
    return *path;
}

fs::path journalFile() {
    return folder() / "journal.sqlite";
}

void clearFolder() {
    for (const auto& entry : fs::directory_iterator(folder())) {
        fs::remove(entry.path());
    }
}

void writeBytes(const fs::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// An empty journal as this program makes it, made once and copied for every input.
const std::string& emptyJournal() {
    static const std::string bytes = [] {
        clearFolder();
        std::vector<std::string> notices;
        cvt::Journal::open(journalFile(), cvt::JournalAccess::Write, notices).reset();
        std::ifstream in(journalFile(), std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }();
    return bytes;
}

void bindValue(sqlite3_stmt* statement, int index, std::string_view field) {
    const char kind = field.empty() ? 't' : field.front();
    const std::string_view rest = field.empty() ? field : field.substr(1);
    switch (kind) {
    case 'i':
        sqlite3_bind_int64(statement, index, std::strtoll(std::string(rest).c_str(), nullptr, 10));
        return;
    case 'n':
        sqlite3_bind_null(statement, index);
        return;
    case 'b':
        sqlite3_bind_blob(statement, index, rest.data(), static_cast<int>(rest.size()), SQLITE_TRANSIENT);
        return;
    case 'r':
        sqlite3_bind_double(statement, index, std::strtod(std::string(rest).c_str(), nullptr));
        return;
    default:
        sqlite3_bind_text(statement, index, field.data(), static_cast<int>(field.size()), SQLITE_TRANSIENT);
    }
}

// Puts the rows of the input into the journal file with a plain connection: no check but SQLite's.
void writeRows(FieldReader& fields) {
    sqlite3* db = nullptr;
    require(sqlite3_open(journalFile().c_str(), &db) == SQLITE_OK);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    for (int rows = 0; !fields.rest().empty() && rows < kMaxRows; ++rows) {
        const unsigned char kind = fields.choice();
        if (kind == 'v') {
            const std::string version = std::to_string(std::strtoll(std::string(fields.next()).c_str(), nullptr, 10));
            sqlite3_exec(db, ("PRAGMA user_version=" + version).c_str(), nullptr, nullptr, nullptr);
            continue;
        }
        const bool search = kind == 's';
        const char* sql = search ? "INSERT OR IGNORE INTO searches VALUES(?, ?, ?, ?, ?, ?, ?, ?)"
                                 : "INSERT OR IGNORE INTO cells VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?)";
        sqlite3_stmt* statement = nullptr;
        require(sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK);
        for (int column = 1; column <= (search ? kSearchColumns : kCellColumns); ++column) {
            bindValue(statement, column, fields.next());
        }
        sqlite3_step(statement);
        sqlite3_finalize(statement);
    }
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

bool isAnswer(cvt::Mark mark) {
    return mark == cvt::Mark::Free || mark == cvt::Mark::Registered;
}

void readBack(cvt::JournalAccess access) {
    std::vector<std::string> notices;
    std::unique_ptr<cvt::Journal> journal;
    try {
        journal = cvt::Journal::open(journalFile(), access, notices);
    } catch (const cvt::JournalError&) {
        return;
    }
    try {
        for (const cvt::JournalSearch& search : journal->searches()) {
            require(journal->search(search.id).has_value());
            journal->lastUnfinished(search.key);
            std::vector<cvt::JournalCell> cells;
            journal->forEachCell(search.id, [&](const cvt::JournalCell& cell) {
                if (cells.size() < kMaxRecalls) {
                    cells.push_back(cell);
                }
            });
            // Resumed, and reused from any search of the last 2^62 seconds.
            const cvt::JournalRecall recall(*journal, search.id, 1);
            for (const cvt::JournalCell& cell : cells) {
                cvt::ServerEntry entry;
                entry.caption = cell.suffix;
                entry.host = cell.server;
                if (const std::optional<cvt::AnsweredCell> answer = recall(cell.name, entry)) {
                    require(isAnswer(answer->mark));
                }
                if (const auto answered = journal->answeredCell(search.id, cell.name, cell.suffix)) {
                    require(isAnswer(answered->mark));
                }
            }
        }
    } catch (const cvt::JournalError&) {
        // A file SQLite finds damaged while reading: refused with a message, as it should be.
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FieldReader fields(data, size);
    const std::string& empty = emptyJournal();
    clearFolder();
    if (fields.choice() == 'F') {
        writeBytes(journalFile(), fields.rest());
    } else {
        writeBytes(journalFile(), empty);
        writeRows(fields);
    }
    readBack(cvt::JournalAccess::Read);
    readBack(cvt::JournalAccess::Write);
    return 0;
}
