// The check command run as a program against fake WHOIS servers on 127.0.0.1.
#include "tests/support/FakeWhoisServer.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <mutex>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace cvt {
namespace {

using test::FakeWhoisConnection;
using test::FakeWhoisServer;

struct Outcome {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// The command-line tool as a child process whose standard error can be read while it runs.
class CliProcess {
public:
    explicit CliProcess(const std::vector<std::string>& args) {
        int outPipe[2];
        int errPipe[2];
        if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0) {
            throw std::runtime_error("pipe");
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, outPipe[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, errPipe[1], STDERR_FILENO);
        std::vector<std::string> all{CORVANTIDE_CLI_PATH, "check"};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& arg : all) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        const int failed = posix_spawn(&m_pid, CORVANTIDE_CLI_PATH, &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(outPipe[1]);
        close(errPipe[1]);
        m_fds = {outPipe[0], errPipe[0]};
        if (failed != 0) {
            throw std::runtime_error("posix_spawn");
        }
    }
    ~CliProcess() {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        for (int fd : m_fds) {
            if (fd >= 0) {
                close(fd);
            }
        }
    }

    void interrupt() { kill(m_pid, SIGINT); }

    // Reads until standard error holds the text (or both streams end); false when it never came.
    bool waitForError(const std::string& text) {
        while (m_outcome.err.find(text) == std::string::npos) {
            if (!readSome()) {
                return false;
            }
        }
        return true;
    }

    Outcome finish() {
        while (readSome()) {
        }
        int status = 0;
        waitpid(m_pid, &status, 0);
        m_pid = -1;
        m_outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return m_outcome;
    }

private:
    // One poll of both streams; false when both have ended. The limit only keeps a broken build
    // from hanging the suite: every test here ends by itself long before it.
    bool readSome() {
        std::array<pollfd, 2> polled{};
        int open = 0;
        for (std::size_t i = 0; i < 2; ++i) {
            polled[i] = {m_fds[i], POLLIN, 0};
            open += m_fds[i] >= 0 ? 1 : 0;
        }
        if (open == 0) {
            return false;
        }
        if (poll(polled.data(), polled.size(), 60000) <= 0) {
            ADD_FAILURE() << "the command did not finish";
            return false;
        }
        for (std::size_t i = 0; i < 2; ++i) {
            if ((polled[i].revents & (POLLIN | POLLHUP | POLLERR)) == 0) {
                continue;
            }
            char buffer[4096];
            const ssize_t got = read(m_fds[i], buffer, sizeof buffer);
            if (got > 0) {
                (i == 0 ? m_outcome.out : m_outcome.err).append(buffer, static_cast<std::size_t>(got));
            } else if (got == 0 || errno != EINTR) {
                close(m_fds[i]);
                m_fds[i] = -1;
            }
        }
        return true;
    }

    pid_t m_pid = -1;
    std::array<int, 2> m_fds{-1, -1};
    Outcome m_outcome;
};

// Runs the check command with the text as its standard input, in the folder when one is given.
Outcome runCheck(const std::vector<std::string>& args, const std::string& input = {},
                 const std::filesystem::path& workingDirectory = {}) {
    std::vector<std::string> all{"check"};
    all.insert(all.end(), args.begin(), args.end());
    const test::ProgramResult result = test::runProgram({CORVANTIDE_CLI_PATH, all, workingDirectory.string(), input});
    return {result.exitCode, result.out, result.err};
}

// Answers like a registry: names starting with "a" are free, others taken; bx.net is refused for
// quota every other time it is asked, from the first on.
std::string registryReply(std::string_view query, std::map<std::string, int>& asked) {
    const int times = ++asked[std::string(query)];
    if (query == "bx.net" && times % 2 == 1) {
        return "WHOIS LIMIT EXCEEDED\r\n";
    }
    if (!query.empty() && query[0] == 'a') {
        return "No match for \"" + std::string(query) + "\".\r\n";
    }
    return "Domain Name: " + std::string(query) + "\r\nRegistrar: Somebody\r\n";
}

class CheckCommandTest : public ::testing::Test {
protected:
    CheckCommandTest()
        : m_server(FakeWhoisServer::answer([this](std::string_view query) { return registryReply(query, m_asked); })) {
        const std::string host = m_server.hostField();
        m_config = m_dir.write("test.ini", "[setting]\nlanguage=en\nnum=4\n[whois]\n"
                                           "1=com+" +
                                               host +
                                               "+No match for\n"
                                               "2=net+" +
                                               host +
                                               "+No match for+LIMIT EXCEEDED\n"
                                               "3=org+127.0.0.1:" +
                                               std::to_string(test::closedLoopbackPort()) +
                                               "+No match for\n"
                                               "4=io+" +
                                               host + "+No match for\n");
    }

    std::vector<std::string> withConfig(std::vector<std::string> args) const {
        args.insert(args.begin(), {"--config", m_config.string()});
        return args;
    }

    test::TempDir m_dir;
    std::map<std::string, int> m_asked; // touched only by the server's thread
    FakeWhoisServer m_server;
    std::filesystem::path m_config;
};

TEST_F(CheckCommandTest, PrintsTheTableInTheTextExportFormat) {
    const Outcome outcome = runCheck(withConfig({"[a-c]x"}));
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_EQ(outcome.out, "Domain Name\tcom\tnet\torg\t\r\n"
                           "ax\t☆\t☆\t-\t\r\n"
                           "bx\t★\t-\t-\t\r\n"
                           "cx\t★\t★\t-\t\r\n");
    EXPECT_EQ(outcome.err, "") << "no progress when standard error is not a terminal";
    m_server.stop(); // the last connection is recorded once its script has ended
    EXPECT_EQ(m_server.queries(), (std::vector<std::string>{"ax.com\r\n", "ax.net\r\n", "bx.com\r\n", "bx.net\r\n",
                                                            "cx.com\r\n", "cx.net\r\n"}));
}

TEST_F(CheckCommandTest, OptionsChooseSuffixesNamesAndRetry) {
    const std::filesystem::path words = m_dir.write("words.txt", "bx\nAx\nax\nbx\n");
    struct Case {
        const char* what;
        std::vector<std::string> args;
        std::string table;
    };
    const std::vector<Case> cases = {
        {"one suffix", {"--suffix", "io", "[a-b]x"}, "Domain Name\tio\t\r\nax\t☆\t\r\nbx\t★\t\r\n"},
        {"suffixes in table order", {"--suffix=net, com", "ax"}, "Domain Name\tcom\tnet\t\r\nax\t☆\t☆\t\r\n"},
        {"word file keeps duplicates and letter case",
         {"--suffix", "com", "--words", words.string()},
         "Domain Name\tcom\t\r\nAx\t★\t\r\nax\t☆\t\r\nbx\t★\t\r\n"},
        {"retry asks the refused cell again",
         {"--suffix", "net", "--retry", "bx"},
         "Domain Name\tnet\t\r\nbx\t★\t\r\n"},
        {"without retry a refused cell stays failed", {"--suffix", "net", "bx"}, "Domain Name\tnet\t\r\nbx\t-\t\r\n"},
    };
    for (const Case& c : cases) {
        const Outcome outcome = runCheck(withConfig(c.args));
        EXPECT_EQ(outcome.exitCode, 0) << c.what << ": " << outcome.err;
        EXPECT_EQ(outcome.out, c.table) << c.what;
    }
}

TEST_F(CheckCommandTest, BadArgumentsAreUsageErrorsAndFailuresRuntimeErrors) {
    struct Case {
        const char* what;
        std::vector<std::string> args;
        int exitCode;
        std::string errorText;
    };
    const std::vector<Case> cases = {
        {"no pattern", withConfig({}), 2, "give a PATTERN"},
        {"two patterns", withConfig({"ax", "bx"}), 2, "given twice"},
        {"pattern and word file", withConfig({"--words", "w.txt", "ax"}), 2, "not both"},
        {"unknown option", withConfig({"--bogus", "ax"}), 2, "unknown option '--bogus'"},
        {"unknown suffix", withConfig({"--suffix", "com,zz", "ax"}), 2, "no entry for the suffix 'zz'"},
        {"option without value", {"ax", "--config"}, 2, "needs a value"},
        {"page and word file", withConfig({"--page", "english", "--words", "w.txt"}), 2, "not both"},
        {"dictionary page and a pattern", withConfig({"--page=dictionary", "ax"}), 2, "takes no PATTERN"},
        {"word-list option without page", withConfig({"--min", "2", "ax"}), 2, "need --page"},
        {"unknown page", withConfig({"--page", "french"}), 2, "unknown page 'french'"},
        {"unknown dictionary", withConfig({"--page", "dictionary", "--dict", "fr"}), 2, "unknown dictionary 'fr'"},
        {"page file given twice", withConfig({"--page", "english", "a.txt", "b.txt"}), 2, "given twice"},
        {"missing config", {"--config", m_dir.file("none.ini").string(), "ax"}, 1, "no configuration file"},
        {"missing memo file", withConfig({"--page", "english", m_dir.file("none.txt").string()}), 1, "cannot open"},
        {"missing word file", withConfig({"--words", m_dir.file("none.txt").string()}), 1, "cannot read"},
        {"unclosed bracket", withConfig({"[a-"}), 1, "without a closing"},
        {"blank pattern", withConfig({" "}), 1, "[a-z]phone"},
    };
    for (const Case& c : cases) {
        const Outcome outcome = runCheck(c.args);
        EXPECT_EQ(outcome.exitCode, c.exitCode) << c.what;
        EXPECT_EQ(outcome.out, "") << c.what;
        EXPECT_NE(outcome.err.find(c.errorText), std::string::npos) << c.what << ": " << outcome.err;
    }
    m_server.stop();
    EXPECT_TRUE(m_server.queries().empty());
    const Outcome help = runCheck({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out.rfind("Usage: corvantide-cli check", 0), 0u);
}

TEST_F(CheckCommandTest, PageOptionsTakeTheNamesFromTheWordListBuild) {
    const std::filesystem::path memo = m_dir.write("memo.txt", "a.x.y\r\nbzz\nab c\nax\nAX\ntoolong\n");
    test::TempDir dictionaryFolder;
    dictionaryFolder.write("en.dct", "apple\nbanana\nax\nbanana\r\nzucchinis\n");
    struct Case {
        const char* what;
        std::vector<std::string> args;
        std::string input;
        std::string table;
    };
    const std::vector<Case> cases = {
        {"english page from a file: dots dropped, words with a space skipped, limits, duplicates folded",
         {"--suffix", "com", "--page", "english", "--min", "2", "--max", "4", memo.string()},
         "",
         "Domain Name\tcom\t\r\nax\t☆\t\r\naxy\t☆\t\r\nbzz\t★\t\r\n"},
        {"english page from standard input with prefix and postfix",
         {"--suffix=com", "--page=english", "--prefix", " a ", "--postfix=z", "--min=1"},
         "y\nx\n",
         "Domain Name\tcom\t\r\naxz\t☆\t\r\nayz\t☆\t\r\n"},
        {"chinese page in pinyin",
         {"--suffix", "com", "--page", "chinese", "-"},
         "白菜\n",
         "Domain Name\tcom\t\r\nBAICAI\t★\t\r\n"},
        {"an empty memo asks nothing", {"--suffix", "com", "--page", "english"}, "", "Domain Name\tcom\t\r\n"},
    };
    for (const Case& c : cases) {
        const Outcome outcome = runCheck(withConfig(c.args), c.input);
        EXPECT_EQ(outcome.exitCode, 0) << c.what << ": " << outcome.err;
        EXPECT_EQ(outcome.out, c.table) << c.what;
    }

    // The dictionary comes from the current folder; its words keep the default limits 4 to 8.
    const Outcome outcome =
        runCheck(withConfig({"--suffix", "com", "--page", "dictionary", "--dict", "en"}), "", dictionaryFolder.path());
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_EQ(outcome.out, "Domain Name\tcom\t\r\napple\t☆\t\r\nbanana\t★\t\r\n");
    m_server.stop();
    const std::vector<std::string> queries = m_server.queries();
    EXPECT_EQ(std::count(queries.begin(), queries.end(), "banana.com\r\n"), 1) << "a repeated entry is asked once";
}

TEST_F(CheckCommandTest, WordListFailuresEndTheCommandBeforeAnyQuery) {
    test::TempDir emptyFolder;
    struct Case {
        const char* what;
        std::vector<std::string> args;
        std::string input;
        std::string errorText;
    };
    const std::vector<Case> cases = {
        {"minimum not a number", {"--page", "english", "--min", " x "}, "abcd\n", "'x' is not a valid integer value"},
        {"maximum not a number", {"--page", "english", "--max", "8x"}, "abcd\n", "'8x' is not a valid integer value"},
        {"minimum beyond 32 bits",
         {"--page", "english", "--min", "2147483648"},
         "abcd\n",
         "'2147483648' is not a valid integer value"},
        {"missing Chinese dictionary", {"--page", "dictionary"}, "", "字典文件zh-cn.dct不存在！"},
        {"missing English dictionary", {"--page", "dictionary", "--dict", "en"}, "", "字典文件en.dct不存在！"},
    };
    for (const Case& c : cases) {
        const Outcome outcome = runCheck(withConfig(c.args), c.input, emptyFolder.path());
        EXPECT_EQ(outcome.exitCode, 1) << c.what;
        EXPECT_EQ(outcome.out, "") << c.what;
        EXPECT_NE(outcome.err.find("corvantide-cli check: " + c.errorText), std::string::npos)
            << c.what << ": " << outcome.err;
    }
    m_server.stop();
    EXPECT_TRUE(m_server.queries().empty());
}

TEST_F(CheckCommandTest, OutputWritesTheTableToAFileInsteadOfStandardOutput) {
    struct Case {
        const char* what;
        std::string fileName;
        std::function<void(const std::string& bytes)> check;
    };
    const std::vector<Case> cases = {
        {"text file", "table.txt",
         [](const std::string& bytes) {
             EXPECT_EQ(bytes, "Domain Name\tcom\tnet\t\r\n"
                              "ax\t☆\t☆\t\r\n"
                              "bx\t★\t-\t\r\n");
         }},
        {"workbook", "table.xlsx",
         [](const std::string& bytes) {
             ASSERT_GE(bytes.size(), 4u);
             EXPECT_EQ(bytes.substr(0, 4), std::string("PK\x03\x04", 4));
         }},
    };
    for (const Case& c : cases) {
        const std::filesystem::path target = m_dir.file(c.fileName);
        const Outcome outcome = runCheck(withConfig({"--suffix", "com,net", "--output", target.string(), "[a-b]x"}));
        EXPECT_EQ(outcome.exitCode, 0) << c.what << ": " << outcome.err;
        EXPECT_EQ(outcome.out, "") << c.what;
        ASSERT_TRUE(std::filesystem::exists(target)) << c.what;
        c.check(test::readFileBytes(target));
    }

    // A target in a missing folder fails with the system's reason and leaves nothing behind.
    const std::filesystem::path missing = m_dir.file("none") / "table.txt";
    const Outcome outcome = runCheck(withConfig({"--suffix", "com", "--output", missing.string(), "ax"}));
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_NE(outcome.err.find(missing.string()), std::string::npos) << outcome.err;
    EXPECT_FALSE(std::filesystem::exists(missing.parent_path()));
}

// A gate the server's script waits at until the test opens it.
class Gate {
public:
    void arriveAndWait() {
        std::unique_lock lock(m_mutex);
        m_arrived = true;
        m_changed.notify_all();
        m_changed.wait(lock, [this] { return m_open; });
    }
    void waitArrived() {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_arrived; });
    }
    void open() {
        std::lock_guard lock(m_mutex);
        m_open = true;
        m_changed.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_arrived = false;
    bool m_open = false;
};

TEST(CheckCommandInterruptTest, CtrlCStopsAfterTheExchangeUnderWayAndPrintsTheTableSoFar) {
    Gate gate;
    FakeWhoisServer server([&](FakeWhoisConnection& connection) {
        const std::string query = connection.readQuery();
        if (query == "bx.com\r\n") {
            gate.arriveAndWait();
            connection.send("No match for bx.com\r\n");
            return;
        }
        connection.send("Domain Name: taken\r\n");
    });
    // Opened before the server goes, whatever happens in the test.
    struct OpenAtEnd {
        Gate& gate;
        ~OpenAtEnd() { gate.open(); }
    } openAtEnd{gate};
    test::TempDir dir;
    const std::filesystem::path config =
        dir.write("test.ini", "[setting]\nnum=2\n[whois]\n1=com+" + server.hostField() + "+No match for\n2=net+" +
                                  server.hostField() + "+No match for\n");

    CliProcess process({"--config", config.string(), "[a-c]x"});
    gate.waitArrived();
    process.interrupt();
    ASSERT_TRUE(process.waitForError("stopping after the exchange under way"));
    gate.open();
    const Outcome outcome = process.finish();

    EXPECT_EQ(outcome.out, "Domain Name\tcom\tnet\t\r\n"
                           "ax\t★\t★\t\r\n"
                           "bx\t☆\t\t\r\n");
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_NE(outcome.err.find("interrupted"), std::string::npos) << outcome.err;
    server.stop();
    EXPECT_EQ(server.queries(), (std::vector<std::string>{"ax.com\r\n", "ax.net\r\n", "bx.com\r\n"}));
}

} // namespace
} // namespace cvt
