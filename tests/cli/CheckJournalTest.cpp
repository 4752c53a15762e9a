// The check command with its journal: resume after a kill, reuse with and without --fresh, and the
// history command, against a fake WHOIS server on 127.0.0.1.
#include "core/journal/Journal.h"
#include "tests/support/FakeWhoisServer.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <mutex>
#include <set>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace cvt {
namespace {

using test::FakeWhoisConnection;
using test::FakeWhoisServer;

// Names starting with "a" or "1" are free, the others taken.
bool freeName(std::string_view name) {
    return !name.empty() && (name[0] == 'a' || name[0] == '1');
}

std::string registryReply(std::string_view query) {
    if (freeName(query)) {
        return "No match for \"" + std::string(query) + "\".\r\n";
    }
    return "Domain Name: " + std::string(query) + "\r\n";
}

std::string queryName(std::string query) {
    while (!query.empty() && (query.back() == '\n' || query.back() == '\r')) {
        query.pop_back();
    }
    return query;
}

test::ProgramResult runCli(std::vector<std::string> args) {
    return test::runProgram({CORVANTIDE_CLI_PATH, std::move(args), {}, {}});
}

// The server answers while `answering` holds; otherwise it takes the query and stays silent until
// the client goes. It records what it answered.
class JournalCheck : public ::testing::Test {
protected:
    JournalCheck()
        : m_server([this](FakeWhoisConnection& connection) {
              const std::string query = queryName(connection.readQuery());
              if (m_answering.load()) {
                  {
                      std::lock_guard lock(m_mutex);
                      m_answered.push_back(query);
                  }
                  connection.send(registryReply(query));
              } else {
                  connection.waitForClientClose();
              }
          }) {
        const std::string host = m_server.hostField();
        m_config = m_dir.write("test.ini", "[setting]\nlanguage=en\nparallel=0\nbackoff=0\n[whois]\n1=com+" + host +
                                               "+No match for\n2=net+" + host + "+No match for\n");
        m_journal = m_dir.file("journal.sqlite").string();
    }

    std::vector<std::string> check(std::vector<std::string> args) const {
        std::vector<std::string> all{"check",    "--config", m_config.string(), "--journal", m_journal,
                                     "--suffix", "com,net",  "--format",        "tsv"};
        all.insert(all.end(), args.begin(), args.end());
        return all;
    }
    // Runs check in a child process, lets the server answer `answerBeforeKill` cells, then holds the
    // next ones unanswered for longer than the writer's batch time and kills the child with SIGKILL.
    // Returns the cells the server answered.
    std::vector<std::string> killMidRun(const std::string& pattern, std::size_t answerBeforeKill) {
        std::vector<std::string> args = check({pattern});
        args.insert(args.begin(), CORVANTIDE_CLI_PATH);
        std::vector<char*> argv;
        for (std::string& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        pid_t child = -1;
        const int spawned = posix_spawn(&child, CORVANTIDE_CLI_PATH, &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0) {
            ADD_FAILURE() << "cannot start " << CORVANTIDE_CLI_PATH;
            return {};
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(5);
        while (true) {
            {
                std::lock_guard lock(m_mutex);
                if (m_answered.size() + 1 >= answerBeforeKill) {
                    m_answering.store(false);
                    break;
                }
            }
            if (std::chrono::steady_clock::now() >= deadline) {
                ADD_FAILURE() << "the run answered only " << takeAnswered().size() << " cells";
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        waitUntilJournaled(deadline);
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        m_answering.store(true);
        return takeAnswered();
    }
    // Waits, without asking the run to flush, until the journal holds every cell the server answered:
    // the writer commits on its own while the run waits for the silent server.
    void waitUntilJournaled(std::chrono::steady_clock::time_point deadline) {
        std::size_t journaled = 0;
        std::size_t answered = 0;
        while (std::chrono::steady_clock::now() < deadline) {
            {
                std::lock_guard lock(m_mutex);
                answered = m_answered.size();
            }
            std::vector<std::string> notices;
            const auto search = Journal::open(m_journal, JournalAccess::Read, notices)->newestSearch();
            journaled = search ? static_cast<std::size_t>(search->cells) : 0;
            if (journaled >= answered) {
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        ADD_FAILURE() << "the journal holds " << journaled << " of the " << answered << " answered cells";
    }
    std::vector<std::string> takeAnswered() {
        std::lock_guard lock(m_mutex);
        return std::exchange(m_answered, {});
    }

    test::TempDir m_dir;
    std::atomic<bool> m_answering{true};
    std::mutex m_mutex;
    std::vector<std::string> m_answered;
    FakeWhoisServer m_server;
    std::filesystem::path m_config;
    std::string m_journal;
};

// The expected tsv of [a-e][a-j]: 50 names, com and net, "a…" free.
std::string expectedTable() {
    std::string table = "Domain Name\tcom\tnet\n";
    for (char first = 'a'; first <= 'e'; ++first) {
        for (char second = 'a'; second <= 'j'; ++second) {
            const char* mark = first == 'a' ? "☆" : "★";
            table += std::string{first, second} + "\t" + mark + "\t" + mark + "\n";
        }
    }
    return table;
}

// The names of a kill test: the pattern of 10^digits names made of digits.
std::string digitPattern(int digits) {
    std::string pattern;
    for (int i = 0; i < digits; ++i) {
        pattern += "[0-9]";
    }
    return pattern;
}

std::string expectedDigitTable(int digits) {
    std::string table = "Domain Name\tcom\tnet\n";
    std::size_t names = 1;
    for (int i = 0; i < digits; ++i) {
        names *= 10;
    }
    for (std::size_t number = 0; number < names; ++number) {
        std::string name = std::to_string(number);
        name.insert(0, static_cast<std::size_t>(digits) - name.size(), '0');
        const char* mark = freeName(name) ? "☆" : "★";
        table += name + "\t" + mark + "\t" + mark + "\n";
    }
    return table;
}

// How many names the large kill test runs: 10^4 in CTest; CORVANTIDE_KILL_TEST_DIGITS=5 runs it at
// 100,000 names by hand (40 s on two busy cores: every cell is a TCP exchange with the fake server).
int killTestDigits() {
    const char* digits = std::getenv("CORVANTIDE_KILL_TEST_DIGITS");
    return digits != nullptr && *digits != '\0' ? std::atoi(digits) : 4;
}

// Every query of the two runs asked once, and all of them asked.
void expectAskedOnce(const std::vector<std::string>& first, const std::vector<std::string>& second, std::size_t cells) {
    std::set<std::string> all(first.begin(), first.end());
    EXPECT_EQ(all.size(), first.size()) << "the first run asked a cell twice";
    std::size_t twice = 0;
    for (const std::string& query : second) {
        if (!all.insert(query).second && ++twice <= 5) {
            ADD_FAILURE() << query << " asked twice";
        }
    }
    EXPECT_EQ(twice, 0u);
    EXPECT_EQ(all.size(), cells) << "every cell asked once";
}

// A run killed with SIGKILL half-way, then resumed: every cell the first run had answered a second
// before the kill is taken from the journal, every other cell asked once, and the table is whole.
TEST_F(JournalCheck, ResumeAfterKillAsksOnlyWhatWasNotAnswered) {
    const std::vector<std::string> first = killMidRun("[a-e][a-j]", 37);
    ASSERT_GE(first.size(), 36u);
    ASSERT_LT(first.size(), 100u);

    const test::ProgramResult resumed = runCli(check({"--resume", "--fresh", "[a-e][a-j]"}));
    EXPECT_EQ(resumed.exitCode, 0) << resumed.err;
    EXPECT_EQ(resumed.out, expectedTable());
    expectAskedOnce(first, takeAnswered(), 100);

    const test::ProgramResult again = runCli(check({"--resume", "[a-e][a-j]"}));
    EXPECT_EQ(again.exitCode, 4) << "the resumed search has finished: nothing to resume";
    EXPECT_NE(again.err.find("no unfinished search"), std::string::npos) << again.err;
}

// The same at the size of a long run (10,000 names on two suffixes, or 100,000 by hand), killed in the middle.
TEST_F(JournalCheck, ResumeAfterKillOfALargeRun) {
    const int digits = killTestDigits();
    const std::string pattern = digitPattern(digits);
    const std::string expected = expectedDigitTable(digits);
    const std::size_t cells = 2 * static_cast<std::size_t>(std::count(expected.begin(), expected.end(), '\n') - 1);
    const std::vector<std::string> first = killMidRun(pattern, cells / 2);
    ASSERT_GE(first.size(), cells / 2 - 1);
    ASSERT_LT(first.size(), cells);

    const test::ProgramResult resumed = runCli(check({"--resume", "--fresh", pattern}));
    EXPECT_EQ(resumed.exitCode, 0) << resumed.err;
    EXPECT_TRUE(resumed.out == expected) << "the resumed table differs";
    expectAskedOnce(first, takeAnswered(), cells);
}

// A second run takes the first one's answers unless --fresh is given; the history shows both
// searches and prints one in the formats of check.
TEST_F(JournalCheck, ReuseFreshAndHistory) {
    const struct Case {
        const char* what;
        std::vector<std::string> extra;
        std::size_t asked;
    } cases[] = {
        {"first run", {}, 100},
        {"reused", {}, 0},
        {"fresh", {"--fresh"}, 100},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = c.extra;
        args.push_back("[a-e][a-j]");
        const test::ProgramResult run = runCli(check(args));
        EXPECT_EQ(run.exitCode, 0) << c.what << ": " << run.err;
        EXPECT_EQ(run.out, expectedTable()) << c.what;
        EXPECT_EQ(takeAnswered().size(), c.asked) << c.what;
    }
    const test::ProgramResult list = runCli({"history", "--journal", m_journal});
    EXPECT_EQ(list.exitCode, 0) << list.err;
    EXPECT_NE(list.out.find("\tfinished\t100 of 100 cells\tcom,net\t[a-e][a-j]\n"), std::string::npos) << list.out;
    const std::string id =
        list.out.substr(list.out.find('\n') + 1, list.out.find('\t', list.out.find('\n')) - list.out.find('\n') - 1);
    const test::ProgramResult shown = runCli({"history", "--journal", m_journal, "show", id, "--format", "tsv"});
    EXPECT_EQ(shown.exitCode, 0) << shown.err;
    EXPECT_EQ(shown.out, expectedTable());
    const test::ProgramResult missing = runCli({"history", "--journal", m_journal, "show", "999"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("no search 999"), std::string::npos) << missing.err;

    const test::ProgramResult pruned = runCli({"history", "--journal", m_journal, "prune", "--older-than", "0"});
    EXPECT_EQ(pruned.exitCode, 0) << pruned.err;
    EXPECT_EQ(runCli({"history", "--journal", m_journal}).out, "");
}

// An answer is reused only for an entry that judges replies alike: a corrected no-match mark asks
// its suffix again.
TEST_F(JournalCheck, AnswersJudgedByAnotherMarkAreNotReused) {
    const test::ProgramResult typo = runCli(check({"--server", "com=" + m_server.hostField() + "+No Match for", "ax"}));
    EXPECT_EQ(typo.out, "Domain Name\tcom\tnet\nax\t★\t☆\n") << typo.err;
    EXPECT_EQ(takeAnswered().size(), 2u);
    const test::ProgramResult corrected = runCli(check({"ax"}));
    EXPECT_EQ(corrected.out, "Domain Name\tcom\tnet\nax\t☆\t☆\n") << corrected.err;
    EXPECT_EQ(takeAnswered(), std::vector<std::string>{"ax.com"});
}

} // namespace
} // namespace cvt
