// The results journal: opening (claim, damaged, foreign and newer files), a full disk, reuse and
// the search key.
#include "core/journal/Journal.h"

#include "core/journal/JournalError.h"
#include "core/journal/JournalRecall.h"
#include "core/journal/JournalWriter.h"
#include "core/journal/SearchKey.h"
#include "core/query/ResultMarks.h"
#include "tests/support/TempDir.h"

#include <csignal>
#include <ctime>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace cvt {
namespace {

std::unique_ptr<Journal> openJournal(const std::filesystem::path& path, std::vector<std::string>& notices,
                                     JournalAccess access = JournalAccess::Write) {
    return Journal::open(path, access, notices);
}

JournalCell cell(std::int64_t row, std::string name, Mark mark, std::int64_t asked = 1000,
                 std::string server = "whois.example") {
    return {row, std::move(name), "com", mark, "", "whois", std::move(server), asked};
}

std::vector<JournalCell> cellsOf(const Journal& journal, std::int64_t search) {
    std::vector<JournalCell> cells;
    journal.forEachCell(search, [&](const JournalCell& one) { cells.push_back(one); });
    return cells;
}

void writeSqlite(const std::filesystem::path& path, const char* sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

// A file that is not a journal is renamed aside, with a notice, and a new journal started; a journal
// of a newer version is refused and left as it is.
TEST(JournalTest, OpeningDamagedForeignAndNewerFiles) {
    const struct Case {
        const char* what;
        std::function<void(const test::TempDir&)> make;
        bool renamed;
        bool refused;
    } cases[] = {
        {"missing", [](const test::TempDir&) {}, false, false},
        {"garbage", [](const test::TempDir& dir) { dir.write("journal.sqlite", std::string(5000, 'x')); }, true, false},
        {"truncated header", [](const test::TempDir& dir) { dir.write("journal.sqlite", "SQLite format 3"); }, true,
         false},
        {"another program's database",
         [](const test::TempDir& dir) { writeSqlite(dir.file("journal.sqlite"), "CREATE TABLE notes(text)"); }, true,
         false},
        {"newer version",
         [](const test::TempDir& dir) {
             writeSqlite(dir.file("journal.sqlite"),
                         "PRAGMA application_id=1131836516; PRAGMA user_version=9; CREATE TABLE later(x)");
         },
         false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir dir;
        const std::filesystem::path path = dir.file("journal.sqlite");
        c.make(dir);
        const std::string before = test::readFileBytes(path);
        std::vector<std::string> notices;
        if (c.refused) {
            try {
                openJournal(path, notices);
                ADD_FAILURE() << "opened";
            } catch (const JournalError& error) {
                EXPECT_EQ(error.kind(), JournalError::Kind::Newer);
                EXPECT_NE(std::string(error.what()).find("newer version"), std::string::npos) << error.what();
            }
            EXPECT_EQ(test::readFileBytes(path), before);
            continue;
        }
        std::unique_ptr<Journal> journal = openJournal(path, notices);
        ASSERT_EQ(notices.size(), c.renamed ? 1u : 0u);
        if (c.renamed) {
            EXPECT_NE(notices[0].find("renamed to"), std::string::npos) << notices[0];
            const std::string aside = notices[0].substr(notices[0].find("renamed to ") + 11);
            EXPECT_EQ(test::readFileBytes(aside.substr(0, aside.find(' '))), before) << "kept as it was";
        }
        const std::int64_t search = journal->startSearch({0, "k", "[a-c]x", "com", "dns=off", 100});
        journal->writeCells(search, {cell(0, "ax", Mark::Free)});
        EXPECT_EQ(cellsOf(*journal, search).size(), 1u);
    }
}

// One writer at a time, across processes: a second writer is refused while the first holds the file;
// a reader is not.
TEST(JournalTest, SecondWriterIsRefusedReaderIsNot) {
    test::TempDir dir;
    const std::filesystem::path path = dir.file("journal.sqlite");
    int ready[2];
    int release[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(release), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::vector<std::string> notices;
        std::unique_ptr<Journal> journal = openJournal(path, notices);
        journal->startSearch({0, "k", "ax", "com", "dns=off", 100});
        char byte = 1;
        (void)!::write(ready[1], &byte, 1);
        (void)!::read(release[0], &byte, 1);
        ::_exit(0);
    }
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    std::vector<std::string> notices;
    try {
        openJournal(path, notices);
        ADD_FAILURE() << "a second writer opened the journal";
    } catch (const JournalError& error) {
        EXPECT_EQ(error.kind(), JournalError::Kind::InUse);
        EXPECT_NE(std::string(error.what()).find("in use"), std::string::npos) << error.what();
    }
    EXPECT_EQ(openJournal(path, notices, JournalAccess::Read)->searches().size(), 1u);
    (void)!::write(release[1], &byte, 1);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_NO_THROW(openJournal(path, notices)) << "free again once the first has ended";
    EXPECT_TRUE(notices.empty());
}

// A full disk (a file-size limit in a child process): the writer warns once and takes no more
// cells; every batch written before stays.
TEST(JournalTest, FullDiskKeepsWhatWasWritten) {
    test::TempDir dir;
    const std::filesystem::path path = dir.file("journal.sqlite");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        std::vector<std::string> notices;
        std::unique_ptr<Journal> journal = openJournal(path, notices);
        const std::int64_t search = journal->startSearch({0, "k", "x", "com", "dns=off", 100});
        std::vector<std::string> warnings;
        {
            JournalWriter writer(*journal, search, [&](const std::string& text) { warnings.push_back(text); });
            for (int i = 0; i < 100; ++i) {
                writer.add(cell(i, "kept" + std::to_string(i), Mark::Free));
            }
            writer.flush();
            const rlimit limit{256 * 1024, 256 * 1024};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            for (int i = 100; i < 20000 && !writer.failed(); ++i) {
                writer.add(cell(i, std::string(200, 'n') + std::to_string(i), Mark::Free));
                if (i % 1000 == 0) {
                    writer.flush();
                }
            }
            writer.flush();
            if (!writer.failed()) {
                ::_exit(3);
            }
        }
        ::_exit(warnings.size() == 1 && warnings[0].find("goes on without the journal") != std::string::npos ? 0 : 4);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0) << "3: the write never failed, 4: no single warning";
    std::vector<std::string> notices;
    std::unique_ptr<Journal> journal = openJournal(path, notices);
    EXPECT_TRUE(notices.empty()) << notices[0];
    const std::vector<JournalSearch> searches = journal->searches();
    ASSERT_EQ(searches.size(), 1u);
    const std::vector<JournalCell> cells = cellsOf(*journal, searches[0].id);
    ASSERT_GE(cells.size(), 100u);
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(cells[static_cast<std::size_t>(i)].name, "kept" + std::to_string(i));
    }
}

// Reuse takes the latest answer the same server gave within the time, never a failed one; a resumed
// search takes its own answered cells first.
TEST(JournalTest, RecallTakesRecentAnswersOfTheSameServer) {
    test::TempDir dir;
    std::vector<std::string> notices;
    std::unique_ptr<Journal> journal = openJournal(dir.file("journal.sqlite"), notices);
    const ServerEntry entry{"com", "whois.example", "No match", "", true};
    const auto judgedBy = [](const std::string& mark) {
        return std::vector<std::pair<std::string, std::string>>{
            {"com", answerJudgement(ServerEntry{"com", "whois.example", mark, "", true})}};
    };
    const std::int64_t old = journal->startSearch({0, "a", "x", "com", "dns=off", 100, 0, 0, 0, judgedBy("No match")});
    journal->writeCells(old,
                        {cell(0, "fresh", Mark::Free, 5000), cell(1, "stale", Mark::Free, 1000),
                         cell(2, "failed", Mark::Failed, 5000), cell(3, "other", Mark::Free, 5000, "whois.elsewhere"),
                         cell(4, "twice", Mark::Free, 4000)});
    const std::int64_t later =
        journal->startSearch({0, "b", "x", "com", "dns=off", 100, 0, 0, 0, judgedBy("No match")});
    journal->writeCells(later, {cell(0, "twice", Mark::Registered, 4500), cell(1, "failed", Mark::Failed, 5000)});
    // Judged by another mark, or by none recorded (an older version's search): never reused.
    const std::int64_t typo = journal->startSearch({0, "c", "x", "com", "dns=off", 100, 0, 0, 0, judgedBy("No Match")});
    journal->writeCells(typo, {cell(0, "typo", Mark::Registered, 5000), cell(1, "twice", Mark::Free, 4800)});
    const std::int64_t unjudged = journal->startSearch({0, "d", "x", "com", "dns=off", 100});
    journal->writeCells(unjudged, {cell(0, "unjudged", Mark::Free, 5000)});
    const struct Case {
        const char* name;
        std::int64_t resumed;
        std::optional<Mark> mark;
        AnswerOrigin origin;
    } cases[] = {
        {"fresh", 0, Mark::Free, AnswerOrigin::Reused},          {"stale", 0, std::nullopt, AnswerOrigin::Reused},
        {"failed", 0, std::nullopt, AnswerOrigin::Reused},       {"other", 0, std::nullopt, AnswerOrigin::Reused},
        {"twice", 0, Mark::Registered, AnswerOrigin::Reused},    {"twice", old, Mark::Free, AnswerOrigin::Resumed},
        {"failed", later, std::nullopt, AnswerOrigin::Resumed},  {"unknown", 0, std::nullopt, AnswerOrigin::Reused},
        {"typo", 0, std::nullopt, AnswerOrigin::Reused},         {"unjudged", 0, std::nullopt, AnswerOrigin::Reused},
        {"typo", typo, Mark::Registered, AnswerOrigin::Resumed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " resumed " + std::to_string(c.resumed));
        const std::optional<AnsweredCell> found = JournalRecall(*journal, c.resumed, 3000)(c.name, entry);
        ASSERT_EQ(found.has_value(), c.mark.has_value());
        if (found) {
            EXPECT_EQ(found->mark, *c.mark);
            EXPECT_EQ(found->origin, c.origin);
        }
    }
    EXPECT_FALSE(JournalRecall(*journal, 0, 0)("fresh", entry)) << "reuse off";
}

// The key tells apart any two different candidate sources, and settings that change an answer; the
// pace does not change it.
TEST(JournalTest, SearchKeyCoversTheWholeSource) {
    const auto words = [](std::vector<std::string> lines) {
        SearchRequest request;
        request.mode = SearchMode::Text;
        request.words = NameList::fromRange(lines);
        return request;
    };
    SearchRequest pattern;
    pattern.patternText = "[a-z]phone";
    const std::vector<ServerEntry> entries{{"com", "whois.a", "No match", "", true}, {"net", "whois.b", "", "", false}};
    RunSettings settings;
    const std::string base = makeSearchKey(words({"alpha", "beta"}), entries, settings).key;
    RunSettings paced = settings;
    paced.parallel = true;
    paced.interval = std::chrono::milliseconds(500);
    RunSettings dns = settings;
    dns.dns = true;
    std::vector<ServerEntry> otherMark = entries;
    otherMark[0].mark = "NOT FOUND";
    std::vector<ServerEntry> moreTicked = entries;
    moreTicked[1].ticked = true;
    std::vector<ServerEntry> whoisBehind = entries;
    whoisBehind[0].whoisHost = "whois.c";
    const struct Case {
        const char* what;
        std::string key;
        bool same;
    } cases[] = {
        {"same list", makeSearchKey(words({"alpha", "beta"}), entries, settings).key, true},
        {"pace settings", makeSearchKey(words({"alpha", "beta"}), entries, paced).key, true},
        {"same count, other words", makeSearchKey(words({"alpha", "betb"}), entries, settings).key, false},
        {"lines joined differently", makeSearchKey(words({"alphab", "eta"}), entries, settings).key, false},
        {"other order", makeSearchKey(words({"beta", "alpha"}), entries, settings).key, false},
        {"a pattern", makeSearchKey(pattern, entries, settings).key, false},
        {"dns", makeSearchKey(words({"alpha", "beta"}), entries, dns).key, false},
        {"no-match mark", makeSearchKey(words({"alpha", "beta"}), otherMark, settings).key, false},
        {"another suffix", makeSearchKey(words({"alpha", "beta"}), moreTicked, settings).key, false},
        {"a WHOIS server behind", makeSearchKey(words({"alpha", "beta"}), whoisBehind, settings).key, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.key == base, c.same) << c.what;
    }
    // Journals keep their searches' keys, and resume finds a search by its key.
    EXPECT_EQ(makeSearchKey(pattern, entries, settings).key,
              "59b44d5caec6c0daae2f0d4d60f3c8a4e248a98e3776134dc018722b815933e6");
}

} // namespace
} // namespace cvt
