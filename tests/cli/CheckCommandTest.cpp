// The check command run as a program against fake WHOIS servers on 127.0.0.1.
#include "tests/support/FakeDnsServer.h"
#include "tests/support/FakeWhoisServer.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"
#include "tests/support/Unprivileged.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <future>
#include <gtest/gtest.h>
#include <map>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

extern char** environ;

namespace cvt {
namespace {

using test::FakeWhoisConnection;
using test::FakeWhoisServer;

using Outcome = test::ProgramResult;

// The command-line tool as a child process whose standard error can be read while it runs; its
// standard output goes to a file.
class CliProcess {
public:
    // With interruptBlocked the program starts with SIGINT blocked, so a Ctrl-C sent at once waits
    // for it however early it comes.
    CliProcess(const std::vector<std::string>& args, std::filesystem::path outFile, bool interruptBlocked = false)
        : m_outFile(std::move(outFile)) {
        int errPipe[2];
        if (pipe2(errPipe, O_CLOEXEC) != 0) {
            throw std::runtime_error("pipe");
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, m_outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        posix_spawn_file_actions_adddup2(&actions, errPipe[1], STDERR_FILENO);
        std::vector<std::string> all{CORVANTIDE_CLI_PATH, "check"};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& arg : all) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        if (interruptBlocked) {
            sigset_t mask;
            sigemptyset(&mask);
            sigaddset(&mask, SIGINT);
            posix_spawnattr_setsigmask(&attributes, &mask);
            posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
        }
        const int failed = posix_spawn(&m_pid, CORVANTIDE_CLI_PATH, &actions, &attributes, argv.data(), environ);
        posix_spawnattr_destroy(&attributes);
        posix_spawn_file_actions_destroy(&actions);
        close(errPipe[1]);
        m_errFd = errPipe[0];
        if (failed != 0) {
            throw std::runtime_error("posix_spawn");
        }
    }
    ~CliProcess() {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        close(m_errFd);
    }

    void interrupt() { kill(m_pid, SIGINT); }

    // Reads until standard error holds the text; false when it ends first.
    bool waitForError(const std::string& text) {
        while (m_err.find(text) == std::string::npos) {
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
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, test::readFileBytes(m_outFile), m_err};
    }

private:
    // False once standard error has ended. The limit only keeps a broken build from hanging the
    // suite: every test here ends by itself long before it.
    bool readSome() {
        pollfd polled{m_errFd, POLLIN, 0};
        if (poll(&polled, 1, 60000) <= 0) {
            ADD_FAILURE() << "the command did not finish";
            return false;
        }
        char buffer[4096];
        ssize_t got = -1;
        do {
            got = read(m_errFd, buffer, sizeof buffer);
        } while (got < 0 && errno == EINTR);
        if (got <= 0) {
            return false;
        }
        m_err.append(buffer, static_cast<std::size_t>(got));
        return true;
    }

    std::filesystem::path m_outFile;
    pid_t m_pid = -1;
    int m_errFd = -1;
    std::string m_err;
};

// Runs the check command with the text as its standard input, in the folder when one is given.
Outcome runCheck(const std::vector<std::string>& args, const std::string& input = {},
                 const std::filesystem::path& workingDirectory = {}) {
    std::vector<std::string> all{"check"};
    all.insert(all.end(), args.begin(), args.end());
    return test::runProgram({CORVANTIDE_CLI_PATH, all, workingDirectory.string(), input});
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
        m_closed = "127.0.0.1:" + std::to_string(test::closedLoopbackPort());
        const std::string& closed = m_closed;
        m_config =
            m_dir.write("test.ini", "[setting]\nlanguage=en\nnum=4\nbackoff=0\nreuse_days=0\n[whois]\n1=com+" + host +
                                        "+No match for\n2=net+" + host + "+No match for+LIMIT EXCEEDED\n3=org+" +
                                        closed + "+No match for\n4=io+" + host + "+No match for\n");
    }

    std::vector<std::string> withConfig(std::vector<std::string> args) const {
        args.insert(args.begin(), {"--config", m_config.string()});
        return args;
    }

    test::TempDir m_dir;
    std::map<std::string, int> m_asked; // touched only by the server's thread
    FakeWhoisServer m_server;
    std::string m_closed; // the org entry's server, where nothing listens
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
        int exitCode; // 0 a free cell, 1 none free, 3 none free and some failed
    };
    const std::vector<Case> cases = {
        {"one suffix", {"-s", "io", "[a-b]x"}, "Domain Name\tio\t\r\nax\t☆\t\r\nbx\t★\t\r\n", 0},
        {"suffixes in table order", {"--suffix=net, com", "ax"}, "Domain Name\tcom\tnet\t\r\nax\t☆\t☆\t\r\n", 0},
        {"word file keeps duplicates and letter case",
         {"--suffix", "com", "--words", words.string()},
         "Domain Name\tcom\t\r\nAx\t★\t\r\nax\t☆\t\r\nbx\t★\t\r\n",
         0},
        {"retry asks the refused cell again",
         {"--suffix", "net", "--retry", "bx"},
         "Domain Name\tnet\t\r\nbx\t★\t\r\n",
         1},
        {"retries gives passes", {"--suffix", "net", "--retries", "2", "bx"}, "Domain Name\tnet\t\r\nbx\t★\t\r\n", 1},
        {"without retry a refused cell stays failed",
         {"--suffix", "net", "bx"},
         "Domain Name\tnet\t\r\nbx\t-\t\r\n",
         3},
        {"exit-zero whatever was found",
         {"--suffix", "org", "--exit-zero", "bx"},
         "Domain Name\torg\t\r\nbx\t-\t\r\n",
         0},
        {"lanes give the same table",
         {"--parallel", "--interval", "09", "--suffix", "com,org", "[a-c]x"},
         "Domain Name\tcom\torg\t\r\nax\t☆\t-\t\r\nbx\t★\t-\t\r\ncx\t★\t-\t\r\n",
         0},
    };
    for (const Case& c : cases) {
        const Outcome outcome = runCheck(withConfig(c.args));
        EXPECT_EQ(outcome.exitCode, c.exitCode) << c.what << ": " << outcome.err;
        EXPECT_EQ(outcome.out, c.table) << c.what;
    }
}

// Blank lines give no name, CR LF lines no CR, and a name with a control character, or with bytes
// that are neither UTF-8 nor GBK, is left out and counted on standard error.
TEST_F(CheckCommandTest, WordFileSkipsBlankLinesAndNamesWithControlCharacters) {
    const std::filesystem::path words = m_dir.write("words.txt", "bx\r\n\r\n  \t\nax\n\nb\x7fx\ncaf\xE9\na😀\n");
    const Outcome outcome = runCheck(withConfig({"--suffix", "com", "--words", words.string()}));
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_EQ(outcome.out, "Domain Name\tcom\t\r\nax\t☆\t\r\nbx\t★\t\r\n");
    EXPECT_NE(outcome.err.find("left out 1 names holding control characters"), std::string::npos) << outcome.err;
    EXPECT_NE(outcome.err.find("left out 1 names that are neither UTF-8 nor GBK"), std::string::npos) << outcome.err;
    EXPECT_NE(outcome.err.find("left out 1 international names that cannot be asked: a😀 (string contains a disallowed "
                               "character)"),
              std::string::npos)
        << outcome.err;
    m_server.stop();
    EXPECT_EQ(m_server.queries(), (std::vector<std::string>{"ax.com\r\n", "bx.com\r\n"}));
}

// A GBK name is decoded, asked by its A-label and printed in Unicode.
TEST_F(CheckCommandTest, InternationalNamesAreAskedByTheirALabelAndPrintedInUnicode) {
    const std::filesystem::path words = m_dir.write("words.txt", "\xD6\xD0\xCE\xC4\nab\n");
    for (const char* format : {"tsv", "json"}) {
        const Outcome outcome =
            runCheck(withConfig({"--suffix", "com", "--format", format, "--words", words.string()}));
        EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
        EXPECT_NE(outcome.out.find("中文"), std::string::npos) << outcome.out;
        EXPECT_EQ(outcome.out.find("xn--"), std::string::npos) << outcome.out;
    }
    m_server.stop();
    EXPECT_EQ(m_server.queries(),
              (std::vector<std::string>{"ab.com\r\n", "xn--fiq228c.com\r\n", "ab.com\r\n", "xn--fiq228c.com\r\n"}));
}

TEST_F(CheckCommandTest, BadArgumentsAreUsageErrorsAndFailuresRuntimeErrorsBeforeAnyQuery) {
    struct Case {
        const char* what;
        std::vector<std::string> args;
        int exitCode;
        std::string errorText;
        std::string input = {};
    };
    const std::string none = m_dir.file("none").string();
    const std::string prefix = "corvantide-cli check: ";
    // clang-format off
    const std::vector<Case> cases = {
        {"no pattern", withConfig({}), 2, "give a PATTERN"},
        {"two patterns", withConfig({"ax", "bx"}), 2, "not expected: bx"},
        {"pattern and word file", withConfig({"--words", "w.txt", "ax"}), 2, "not both"},
        {"unknown option", withConfig({"--bogus", "ax"}), 2, "not expected: --bogus"},
        {"unknown suffix", withConfig({"--suffix", "com,zz", "ax"}), 2, "unknown suffix 'zz'"},
        {"unknown group", withConfig({"--suffix", "@big", "ax"}), 2, "unknown group '@big'"},
        {"option without value", {"ax", "--config"}, 2, prefix + "--config: 1 required FILE missing"},
        {"interval not a number", withConfig({"--interval", "1s", "ax"}), 2, prefix + "--interval: "},
        {"interval in hexadecimal", withConfig({"--interval", "0x10", "ax"}), 2,
         prefix + "--interval: '0x10' is not a decimal number from 0 to 86400000"},
        {"a leading zero does not make octal", withConfig({"--backoff", "0100000", "ax"}), 2, prefix + "--backoff: "},
        {"negative back-off", withConfig({"--backoff", "-1", "ax"}), 2, prefix + "--backoff: "},
        {"back-off over a day", withConfig({"--backoff", "86401", "ax"}), 2, prefix + "--backoff: "},
        {"lanes on and off", withConfig({"--parallel", "--no-parallel", "ax"}), 2, "--no-parallel"},
        {"page and word file", withConfig({"--page", "english", "--words", "w.txt"}), 2, "not both"},
        {"dictionary page and a pattern", withConfig({"--page=dictionary", "ax"}), 2, "takes no PATTERN"},
        {"word-list option without page", withConfig({"--min", "2", "ax"}), 2, "need --page"},
        {"unknown page", withConfig({"--page", "french"}), 2, "--page: french not in"},
        {"unknown dictionary", withConfig({"--page", "dictionary", "--dict", "fr"}), 2, "--dict: fr not in"},
        {"page file given twice", withConfig({"--page", "english", "a.txt", "b.txt"}), 2, "not expected: b.txt"},
        {"missing config", {"--config", none + ".ini", "ax"}, 4, "no configuration file"},
        {"missing memo file", withConfig({"--page", "english", none}), 4, "cannot read the file"},
        {"missing word file", withConfig({"--words", none}), 4, "cannot read"},
        {"word file that is a folder", withConfig({"--words", m_dir.path().string()}), 4,
         prefix + "cannot read the word file " + m_dir.path().string() + ": Is a directory"},
        {"unclosed bracket", withConfig({"[a-"}), 4, "without a closing"},
        {"blank pattern", withConfig({" "}), 4, "[a-z]phone"},
        {"minimum not a number", withConfig({"--page", "english", "--min", " x "}), 2,
         prefix + "--min: 'x' is not a valid integer value", "abcd\n"},
        {"maximum not a number", withConfig({"--page", "english", "--max", "8x"}), 2,
         prefix + "--max: '8x' is not a valid integer value", "abcd\n"},
        {"minimum beyond 32 bits", withConfig({"--page", "english", "--min", "2147483648"}), 2,
         prefix + "--min: '2147483648' is not a valid integer value", "abcd\n"},
        // The dictionaries are looked for in the current folder, an empty one here.
        {"missing Chinese dictionary", withConfig({"--page", "dictionary"}), 4, prefix + "字典文件zh-cn.dct不存在！"},
        {"missing English dictionary", withConfig({"--page", "dictionary", "--dict", "en"}), 4,
         prefix + "字典文件en.dct不存在！"},
        {"negative timeout", withConfig({"--timeout", "-1", "ax"}), 2, prefix + "--timeout: "},
        {"no timeout at all", withConfig({"--timeout", "0", "ax"}), 2, prefix + "--timeout: give at least 1"},
        {"connect timeout not a number", withConfig({"--connect-timeout", "5s", "ax"}), 2, prefix + "--connect-timeout: "},
        {"retries beyond reason", withConfig({"--retries", "1000000", "ax"}), 2, prefix + "--retries: "},
        {"retry and retries", withConfig({"--retry", "--retries", "2", "ax"}), 2, "--retr"},
        {"server without a suffix", withConfig({"--server", "=127.0.0.1+x", "ax"}), 2, prefix + "--server '=127.0.0.1+x'"},
        {"server without =", withConfig({"--server", "com", "ax"}), 2, prefix + "--server 'com'"},
        {"RDAP base without a host", withConfig({"--server", "com=https:///rdap/", "ax"}), 2, "names no host"},
        {"host with a blank", withConfig({"--server", "com=who is+x", "ax"}), 2, "not a host name"},
        {"reasons without csv", withConfig({"--reasons", "ax"}), 2, prefix + "--reasons goes with --format csv"},
        {"quiet and verbose", withConfig({"-q", "-v", "ax"}), 2, "--verbose"},
    };
    // clang-format on
    test::TempDir emptyFolder;
    for (const Case& c : cases) {
        const Outcome outcome = runCheck(c.args, c.input, emptyFolder.path());
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

TEST_F(CheckCommandTest, BadPaceSettingsAreLeftOutWithAWarning) {
    const std::string host = m_server.hostField();
    const std::filesystem::path config = m_dir.write(
        "pace.ini", "[setting]\nlanguage=en\nnum=1\ninterval=-5\nbackoff=lots\n[interval]\n" + host +
                        "=99999999999\nwhois.unused.example=10\n[whois]\n1=com+" + host + "+No match for\n");
    const Outcome outcome = runCheck({"--config", config.string(), "ax"});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_EQ(outcome.out, "Domain Name\tcom\t\r\nax\t☆\t\r\n");
    for (const std::string& warning : std::vector<std::string>{
             "[setting] interval=-5: not a number of milliseconds", "[setting] backoff=lots: not a number of seconds",
             "[interval] " + host + "=99999999999: not a number of milliseconds"}) {
        EXPECT_NE(outcome.err.find("warning: Config.ini " + warning), std::string::npos) << outcome.err;
    }
    EXPECT_EQ(outcome.err.find("unused"), std::string::npos) << "a server of no entry is ignored";
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
        int exitCode = 0;
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
         "Domain Name\tcom\t\r\nBAICAI\t★\t\r\n",
         1},
        {"an empty memo asks nothing", {"--suffix", "com", "--page", "english"}, "", "Domain Name\tcom\t\r\n", 1},
    };
    for (const Case& c : cases) {
        const Outcome outcome = runCheck(withConfig(c.args), c.input);
        EXPECT_EQ(outcome.exitCode, c.exitCode) << c.what << ": " << outcome.err;
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

TEST_F(CheckCommandTest, OutputWritesTheTableToAFileInsteadOfStandardOutput) {
    const std::pair<const char*, std::string> cases[] = {
        // The file name, and the file's whole text or, for a workbook, its zip signature.
        {"table.txt", "Domain Name\tcom\tnet\t\r\nax\t☆\t☆\t\r\nbx\t★\t-\t\r\n"},
        {"table.xlsx", std::string("PK\x03\x04", 4)},
        {"table.CSV", "\xEF\xBB\xBF"
                      "Domain Name,com,net\r\nax,☆,☆\r\nbx,★,-\r\n"},
    };
    for (const auto& [fileName, start] : cases) {
        const std::filesystem::path target = m_dir.file(fileName);
        const Outcome outcome = runCheck(withConfig({"--suffix", "com,net", "--output", target.string(), "[a-b]x"}));
        EXPECT_EQ(outcome.exitCode, 0) << fileName << ": " << outcome.err;
        EXPECT_EQ(outcome.out, "") << fileName;
        const std::string bytes = test::readFileBytes(target);
        EXPECT_EQ(std::string_view(fileName).ends_with(".xlsx") ? bytes.substr(0, 4) : bytes, start) << fileName;
    }

    // "-" is standard output, in the format asked; /dev/stdout is written into the pipe it is.
    const std::pair<std::vector<std::string>, std::string> toStandardOutput[] = {
        {{"--output", "-", "--format", "csv"},
         "\xEF\xBB\xBF"
         "Domain Name,com\r\nax,☆\r\nbx,★\r\n"},
        {{"--output", "/dev/stdout"}, "Domain Name\tcom\t\r\nax\t☆\t\r\nbx\t★\t\r\n"},
    };
    for (const auto& [args, table] : toStandardOutput) {
        std::vector<std::string> all = withConfig({"--suffix", "com", "[a-b]x"});
        all.insert(all.end(), args.begin(), args.end());
        const Outcome outcome = runCheck(all);
        EXPECT_EQ(outcome.exitCode, 0) << args[1] << ": " << outcome.err;
        EXPECT_EQ(outcome.out, table) << args[1];
    }

    // A target in a missing folder fails with the system's reason and leaves nothing behind.
    const std::filesystem::path missing = m_dir.file("none") / "table.txt";
    const Outcome outcome = runCheck(withConfig({"--suffix", "com", "--output", missing.string(), "ax"}));
    EXPECT_EQ(outcome.exitCode, 4);
    EXPECT_NE(outcome.err.find(missing.string()), std::string::npos) << outcome.err;
    EXPECT_FALSE(std::filesystem::exists(missing.parent_path()));
}

TEST_F(CheckCommandTest, OutputThatCannotTakeTheTableIsRefusedBeforeTheFirstQuery) {
    namespace fs = std::filesystem;
    // The ordinary user must be able to start the program: a build below a private folder (root's
    // home, where a fresh machine's clone often is) is out of its reach.
    if (!test::runUnprivileged([] { return ::access(CORVANTIDE_CLI_PATH, X_OK) == 0 ? "" : "out of reach"; }).empty()) {
        GTEST_SKIP() << "an ordinary user cannot run " << CORVANTIDE_CLI_PATH;
    }
    // The run below is an ordinary user's, who must read the configuration and the word files.
    fs::permissions(m_dir.path(), fs::perms::all);
    const fs::path locked = m_dir.file("locked");
    fs::create_directory(locked);
    ASSERT_EQ(::chmod(locked.c_str(), 0555), 0);
    std::string many;
    for (int i = 0; i < 1048576; ++i) {
        many += "n" + std::to_string(i) + "\n";
    }
    const std::string manyNames = m_dir.write("many.txt", many).string();
    const std::string longName = m_dir.write("long.txt", "bx\n" + std::string(32768, 'a') + "\n").string();
    const std::string workbook = m_dir.file("table.xlsx").string();
    struct Case {
        const char* what;
        std::string target;
        std::vector<std::string> names;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {"a folder the user may not write", (locked / "table.txt").string(), {"[a-b]x"}, "Permission denied"},
        {"a folder in the file's place", m_dir.path().string(), {"[a-b]x"}, "Is a directory"},
        {"more names than a sheet holds",
         workbook,
         {"--words", manyNames},
         "1048576 names are more than a sheet holds (1048575 below the captions)"},
        {"a name longer than a cell holds", workbook, {"--words", longName}, "is longer than a cell holds (32767"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = withConfig({"--suffix", "com", "--output", c.target});
        args.insert(args.end(), c.names.begin(), c.names.end());
        const std::string failure = test::runUnprivileged([&]() -> std::string {
            const Outcome outcome = runCheck(args);
            if (outcome.exitCode != 4 || !outcome.out.empty() || outcome.err.find(c.reason) == std::string::npos) {
                return "exit status " + std::to_string(outcome.exitCode) + ", error: " + outcome.err;
            }
            return "";
        });
        EXPECT_EQ(failure, "") << c.what;
    }
    EXPECT_FALSE(fs::exists(workbook));
    EXPECT_TRUE(fs::is_empty(locked));
    m_server.stop();
    EXPECT_TRUE(m_server.queries().empty()) << "refused before the first query";
}

// The target that passed the check before the run is spoiled while the run goes on: the table
// still reaches a file, named on standard error, and the exit status says the target was missed.
TEST(CheckCommandFallbackTest, ATableThatCannotBeWrittenAtTheEndGoesToAnotherFile) {
    namespace fs = std::filesystem;
    struct Case {
        const char* what;
        std::function<void(const fs::path& target)> spoil;
        bool beside; // the table lands beside the target, else in the temporary folder
    };
    const std::vector<Case> cases = {
        {"the folder removed", [](const fs::path& target) { fs::remove_all(target.parent_path()); }, false},
        {"a folder in the file's place", [](const fs::path& target) { fs::create_directory(target); }, true},
    };
    for (const Case& c : cases) {
        test::TempDir dir;
        const fs::path target = dir.file("out") / "table.csv";
        fs::create_directory(target.parent_path());
        fs::create_directory(dir.file("tmp"));
        std::atomic<bool> spoiled{false};
        FakeWhoisServer server(FakeWhoisServer::answer([&](std::string_view query) {
            if (!spoiled.exchange(true)) {
                c.spoil(target);
            }
            return "No match for " + std::string(query) + "\r\n";
        }));
        const fs::path config = dir.write("test.ini", "[setting]\nlanguage=en\nnum=1\n[whois]\n1=com+" +
                                                          server.hostField() + "+No match for\n");
        const Outcome outcome = test::runProgram({"/usr/bin/env",
                                                  {"TMPDIR=" + dir.file("tmp").string(), CORVANTIDE_CLI_PATH, "check",
                                                   "--config", config.string(), "--output", target.string(), "[a-b]x"},
                                                  "",
                                                  ""});
        EXPECT_EQ(outcome.exitCode, 4) << c.what;
        EXPECT_NE(outcome.err.find("Cannot create file \"" + target.string() + "\""), std::string::npos)
            << c.what << ": " << outcome.err;
        const std::string said = "the table was written to ";
        const std::size_t at = outcome.err.find(said);
        ASSERT_NE(at, std::string::npos) << c.what << ": " << outcome.err;
        const fs::path kept = outcome.err.substr(at + said.size(), outcome.err.find(" instead", at) - at - said.size());
        EXPECT_EQ(kept.parent_path(), c.beside ? target.parent_path() : dir.file("tmp")) << c.what;
        EXPECT_EQ(kept.extension(), ".csv") << c.what;
        EXPECT_EQ(test::readFileBytes(kept), "\xEF\xBB\xBF"
                                             "Domain Name,com\r\nax,☆\r\nbx,☆\r\n")
            << c.what;
    }
}

// What Python's json or csv module makes of the bytes, printed back as compact JSON.
std::string parsedByPython(const std::string& module, const std::string& bytes) {
    const std::string script =
        module == "csv"
            ? "import csv, io, json, sys\n"
              "text = io.TextIOWrapper(sys.stdin.buffer, encoding='utf-8-sig', newline='')\n"
              "print(json.dumps(list(csv.reader(text, strict=True)), ensure_ascii=False, separators=(',', ':')))\n"
        : module == "jsonl"
            ? "import json, sys\n"
              "print(json.dumps([json.loads(line) for line in sys.stdin], ensure_ascii=False, separators=(',', ':')))\n"
            : "import json, sys\n"
              "print(json.dumps(json.load(sys.stdin), ensure_ascii=False, separators=(',', ':')))\n";
    const test::ProgramResult parsed = test::runProgram({"/usr/bin/python3", {"-c", script}, "", bytes});
    EXPECT_EQ(parsed.exitCode, 0) << module << ": " << parsed.err;
    return parsed.out;
}

TEST_F(CheckCommandTest, FormatsForScriptsParseWithStandardParsers) {
    // Patterns without bx, whose .net cell the registry refuses every other time.
    const std::string refused = R"("reasons":{"org":"connect: Connection refused ()" + m_closed + ")\"}";
    const std::string rows = R"([{"name":"ax","marks":{"com":"free","net":"free","org":"failed"},)" + refused +
                             R"(},{"name":"cx","marks":{"com":"registered","net":"registered","org":"failed"},)" +
                             refused + "}]";
    struct Case {
        std::vector<std::string> args;
        std::string parser; // empty: compared byte for byte
        std::string expected;
    };
    const std::vector<Case> cases = {
        {{"--format", "json", "[ac]x"}, "json", R"({"suffixes":["com","net","org"],"rows":)" + rows + "}\n"},
        {{"--format=jsonl", "[ac]x"}, "jsonl", rows + "\n"},
        {{"--format", "csv", "[ac]x"},
         "csv",
         R"([["Domain Name","com","net","org"],["ax","☆","☆","-"],["cx","★","★","-"]])"
         "\n"},
        {{"--format", "tsv", "--suffix", "com,net", "[ac]x"}, "", "Domain Name\tcom\tnet\nax\t☆\t☆\ncx\t★\t★\n"},
        {{"-f", "tsv", "--no-header", "-s", "com", "[ac]x"}, "", "ax\t☆\ncx\t★\n"},
        {{"--no-header", "-s", "com", "[ac]x"}, "", "ax\t☆\t\r\ncx\t★\t\r\n"},
        {{"-f", "csv", "--csv-plain", "--no-header", "-s", "com", "-"}, "", "=1,★\r\n"},
        {{"-f", "csv", "--csv-plain", "--reasons", "-s", "com,org", "ax"},
         "",
         "Domain Name,com,org,reasons\r\nax,☆,-,org: connect: Connection refused (" + m_closed + ")\r\n"},
        {{"--only", "registered", "--suffix", "com,org", "[ac]x"}, "", "Domain Name\tcom\torg\t\r\ncx\t★\t-\t\r\n"},
        {{"--only=free", "--format", "jsonl", "--suffix", "com,org", "[ac]x"},
         "jsonl",
         R"([{"name":"ax","marks":{"com":"free","org":"failed"},)" + refused +
             "}]"
             "\n"},
        {{"--names", "[ac]x"}, "", "ax.com\nax.net\n"},
    };
    for (const Case& c : cases) {
        const Outcome outcome = runCheck(withConfig(c.args), c.args.back() == "-" ? "=1\n" : "");
        EXPECT_EQ(outcome.exitCode, c.args.back() == "-" ? 1 : 0) << c.args.front() << ": " << outcome.err;
        const std::string got = c.parser.empty() ? outcome.out : parsedByPython(c.parser, outcome.out);
        EXPECT_EQ(got, c.expected) << c.args.front() << " " << c.args[1];
    }
}

TEST_F(CheckCommandTest, NamesFromAPipeAndCsvThatStaysText) {
    // "-" reads the names from standard input, one per line, sorted as a word file's are.
    const Outcome piped = runCheck(withConfig({"--suffix", "com", "-"}), "bx\nax\n");
    EXPECT_EQ(piped.exitCode, 0) << piped.err;
    EXPECT_EQ(piped.out, "Domain Name\tcom\t\r\nax\t☆\t\r\nbx\t★\t\r\n");

    // Names a spreadsheet would take for a formula keep a leading apostrophe; quotes and commas are
    // quoted; the file starts with a byte-order mark and every record ends in CR LF.
    const Outcome csv = runCheck(withConfig({"--suffix", "com", "--format", "csv", "-"}), "=1+2\n@x\nb,\"q\"\n");
    EXPECT_EQ(csv.exitCode, 1) << csv.err; // every cell registered
    EXPECT_EQ(csv.out, "\xEF\xBB\xBF"
                       "Domain Name,com\r\n'=1+2,★\r\n'@x,★\r\n\"b,\"\"q\"\"\",★\r\n");
    EXPECT_EQ(parsedByPython("csv", csv.out), R"([["Domain Name","com"],["'=1+2","★"],["'@x","★"],["b,\"q\"","★"]])"
                                              "\n");
}

TEST_F(CheckCommandTest, ProgressShowsOnATerminalOnly) {
    // Standard error on a pseudo-terminal, standard output in a file.
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0 || ptsname(master) == nullptr ||
        access(ptsname(master), F_OK) != 0) {
        // A bare root (a chroot without /dev/pts) has no pseudo-terminals to offer.
        const std::string reason = std::strerror(errno);
        if (master >= 0) {
            close(master);
        }
        GTEST_SKIP() << "no pseudo-terminal to run the program on: " << reason;
    }
    const std::string terminal = ptsname(master);
    const std::filesystem::path out = m_dir.file("out.txt");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, terminal.c_str(), O_RDWR | O_NOCTTY, 0);
    // The last reply waits until the line is on the terminal (a minute at most), so the line is
    // drawn before the run ends however slow the machine.
    std::atomic<bool> lineShown{false};
    FakeWhoisServer slow([&lineShown](FakeWhoisConnection& connection) {
        if (connection.readQuery() == "bx.com\r\n") {
            for (int i = 0; i < 12000 && !lineShown.load(); ++i) {
                connection.pause(std::chrono::milliseconds(5));
            }
        }
        connection.send("No match for the name");
    });
    const std::string config =
        m_dir.write("slow.ini", "[setting]\nlanguage=en\nnum=1\n[whois]\n1=com+" + slow.hostField() + "+No match for\n")
            .string();
    std::vector<std::string> args = {CORVANTIDE_CLI_PATH, "check", "--config", config, "[ab]x"};
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    // The test keeps the terminal open itself, so the master side never reads as hung up before the
    // program has opened it; the program's end is told by waitpid instead.
    const int slave = open(terminal.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(slave, 0);
    pid_t pid = -1;
    ASSERT_EQ(posix_spawn(&pid, CORVANTIDE_CLI_PATH, &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    std::string shown;
    char buffer[4096];
    int status = 0;
    bool ended = false;
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    for (;;) {
        pollfd polled{master, POLLIN, 0};
        if (poll(&polled, 1, ended ? 0 : 50) > 0) {
            const ssize_t got = read(master, buffer, sizeof buffer);
            if (got > 0) {
                shown.append(buffer, static_cast<std::size_t>(got));
                lineShown = shown.find("/2 names, ") != std::string::npos;
                continue;
            }
        }
        if (ended) {
            break; // everything the program wrote has been read
        }
        ended = waitpid(pid, &status, WNOHANG) == pid;
        if (!ended && std::chrono::steady_clock::now() > giveUp) {
            ADD_FAILURE() << "the command did not finish";
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            break;
        }
    }
    close(slave);
    close(master);
    EXPECT_EQ(WEXITSTATUS(status), 0) << shown;
    EXPECT_EQ(test::readFileBytes(out), "Domain Name\tcom\t\r\nax\t☆\t\r\nbx\t☆\t\r\n");
    EXPECT_NE(shown.find("/2 names, "), std::string::npos) << shown;
    EXPECT_EQ(shown.rfind("\r\033[K", 0), 0u) << shown;
    EXPECT_TRUE(shown.ends_with("\r\033[K")) << "the line is cleared at the end: " << shown;
}

TEST_F(CheckCommandTest, MessagesAndCaptionsFollowTheConfiguredLanguage) {
    std::string chinese = test::readFileBytes(m_config);
    chinese.replace(chinese.find("language=en"), 11, "language=zh-cn");
    const std::string config = m_dir.write("zh.ini", chinese).string();
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::string out;
        std::string err;
    };
    const std::vector<Case> cases = {
        {{"check", "--config", config, "--suffix", "com", "ax"}, 0, "域名\tcom\t\r\nax\t☆\t\r\n", ""},
        {{"check", "--config", config, "[a-"}, 4, "", "查询组合中的“[”没有对应的“]”"},
        {{"check", "--config", config, "--language", "en", "[a-"}, 4, "", "without a closing"},
        {{"expand", "--config", config, "[a-"}, 1, "", "查询组合中的“[”没有对应的“]”"},
        {{"expand", "[a-"}, 1, "", "without a closing"}, // the shipped Config.ini is in English
    };
    for (const Case& c : cases) {
        const Outcome outcome = test::runProgram({CORVANTIDE_CLI_PATH, c.args, "", ""});
        EXPECT_EQ(outcome.exitCode, c.exitCode) << c.args.back() << ": " << outcome.err;
        EXPECT_EQ(outcome.out, c.out) << c.args.back();
        EXPECT_NE(outcome.err.find(c.err), std::string::npos) << c.args.back() << ": " << outcome.err;
    }
}

// A gate the server's script waits at until the test opens it. Meanwhile the script sends a
// comment line every second, so the program's wait for each part of the reply (6 s) never ends
// the exchange before the test does, however slow the machine.
class Gate {
public:
    void arriveAndWait(FakeWhoisConnection& connection) {
        m_arrived.set_value();
        while (m_opened.wait_for(std::chrono::seconds(1)) != std::future_status::ready) {
            connection.send("% held\r\n");
        }
    }
    void waitArrived() { m_arrived.get_future().wait(); }
    void open() {
        if (!std::exchange(m_isOpen, true)) {
            m_open.set_value();
        }
    }

private:
    std::promise<void> m_arrived;
    std::promise<void> m_open;
    std::shared_future<void> m_opened = m_open.get_future().share();
    bool m_isOpen = false; // touched only by the test's thread
};

TEST(CheckCommandDnsTest, DnsOptionsOverrideTheSettingsAndTheClosingLineCountsSettledCells) {
    test::FakeDnsServer dns; // unknown names: NXDOMAIN
    dns.set("bx.com", test::FakeDnsServer::nameServers({"ns1.host.net"}));
    const std::string dnsServer = "127.0.0.1:" + std::to_string(dns.port());
    const std::string closedDns = "127.0.0.1:" + std::to_string(test::closedUdpLoopbackPort());
    struct Case {
        const char* setting; // [setting] lines
        std::vector<std::string> options;
        std::string closingLine; // empty: DNS was not asked
        std::vector<std::string> whoisAsked;
        std::string warning;
    };
    const std::vector<std::string> all = {"ax.com\r\n", "bx.com\r\n", "cx.com\r\n"};
    const std::vector<Case> cases = {
        {"dns=1\ndns_server=DNS\n", {}, "1 of 3 cells settled by DNS\n", {"ax.com\r\n", "cx.com\r\n"}, ""},
        {"dns=1\ndns_server=DNS\n", {"--no-dns"}, "", all, ""},
        {"dns=0\ndns_server=DNS\n", {"--dns"}, "1 of 3 cells settled by DNS\n", {"ax.com\r\n", "cx.com\r\n"}, ""},
        {"dns=0\n",
         {"--dns", "--dns-server", "DNS"},
         "1 of 3 cells settled by DNS\n",
         {"ax.com\r\n", "cx.com\r\n"},
         ""},
        {"dns=1\ndns_server=DNS\n", {"--dns-server", "CLOSED"}, "0 of 3 cells settled by DNS\n", all, ""},
        {"dns=1\n",
         {"--dns-server", "dns.example"},
         "",
         all,
         "corvantide-cli check: warning: dns_server \"dns.example\": "},
    };
    const auto place = [&](std::string text) {
        for (const auto& [word, value] : {std::pair{"CLOSED", closedDns}, std::pair{"DNS", dnsServer}}) {
            for (std::size_t at; (at = text.find(word)) != std::string::npos;) {
                text.replace(at, std::string_view(word).size(), value);
            }
        }
        return text;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.setting) + " " + (c.options.empty() ? "" : c.options[0]));
        test::TempDir dir;
        FakeWhoisServer whois(FakeWhoisServer::answer([](std::string_view query) {
            return query.starts_with("a") ? std::string("No match for\r\n") : "Domain: " + std::string(query);
        }));
        const std::filesystem::path config =
            dir.write("dns.ini", "[setting]\nlanguage=en\nnum=1\n" + place(c.setting) + "[whois]\n1=com+" +
                                     whois.hostField() + "+No match for\n");
        std::vector<std::string> args = {"--config", config.string()};
        for (const std::string& option : c.options) {
            args.push_back(place(option));
        }
        args.push_back("[a-c]x");
        const Outcome outcome = runCheck(args);
        EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
        EXPECT_EQ(outcome.out, "Domain Name\tcom\t\r\nax\t☆\t\r\nbx\t★\t\r\ncx\t★\t\r\n");
        EXPECT_EQ(outcome.err, c.warning.empty() ? c.closingLine : outcome.err);
        if (!c.warning.empty()) {
            EXPECT_EQ(outcome.err.rfind(c.warning, 0), 0u) << outcome.err;
            EXPECT_EQ(outcome.err.find("settled by DNS"), std::string::npos) << outcome.err;
        }
        whois.stop();
        EXPECT_EQ(whois.queries(), c.whoisAsked);
    }
}

// --server defines or replaces entries for one run, and check needs no Config.ini when it gives them:
// the program runs from a folder of its own with empty per-user folders.
TEST_F(CheckCommandTest, ServersOnTheCommandLineNeedNoConfigIni) {
    test::TempDir alone;
    const std::filesystem::path program = alone.file("bin") / "corvantide-cli";
    std::filesystem::create_directories(program.parent_path());
    std::filesystem::copy_file(CORVANTIDE_CLI_PATH, program);
    const std::string whois = "com=" + m_server.hostField() + "+No match for";
    // A registry whose texts are calibrated: it knows nic.com and bx.com.
    FakeWhoisServer calibrated(FakeWhoisServer::answer([](std::string_view query) {
        return query == "nic.com" || query == "bx.com" ? "Domain Name: " + std::string(query) + "\r\n"
                                                       : "No match for \"" + std::string(query) + "\".\r\n";
    }));
    // The catalogue in the current folder: an RDAP base serves a suffix, a WHOIS server alone a
    // calibrated one.
    alone.write("suffixes.tsv",
                "rdp\trdp\tgeneric\thttps://" + m_closed + "/\t\t\t\nwh\twh\tgeneric\t\t" + m_closed + "\t\t\n");
    alone.write("suffixes-closed.tsv", "brandx\tbrandx\tbrand\n");
    struct Case {
        const char* what;
        std::vector<std::string> args;
        int exitCode;
        std::string out;
        std::string err = {};
    };
    const std::vector<Case> cases = {
        {"one WHOIS server", {"--server", whois, "[ab]x"}, 0, "Domain Name\tcom\t\r\nax\t☆\t\r\nbx\t★\t\r\n"},
        {"a WHOIS server without its mark, calibrated",
         {"--server", "com=" + calibrated.hostField(), "[ab]x"},
         0,
         "Domain Name\tcom\t\r\nax\t☆\t\r\nbx\t★\t\r\n"},
        {"two, the suffixes they name asked",
         {"--server", whois, "--server", "org=" + m_closed + "+No match for", "-f", "jsonl", "bx"},
         3,
         R"({"name":"bx","marks":{"com":"registered","org":"failed"},"reasons":{"org":"connect: Connection refused ()" +
             m_closed + ")\"}}\n"},
        {"a suffix without a server", {"--server", whois, "-s", "net", "ax"}, 2, "", "unknown suffix 'net'"},
        {"a suffix not open to the public",
         {"-s", "rdp,brandx", "ax"},
         2,
         "",
         "'brandx' is not open to the public (brand)"},
        {"a group without suffixes", {"-s", "@country", "ax"}, 2, "", "'@country' holds no suffix"},
        {"neither servers nor Config.ini", {"ax"}, 4, "", "no configuration file"},
        {"a suffix from the catalogue",
         {"-s", "rdp", "-f", "jsonl", "ax"},
         3,
         "{\"name\":\"ax\",\"marks\":{\"rdp\":\"failed\"}"},
        // Every cell of a WHOIS server that cannot be calibrated is failed, with the reason.
        {"the catalogue's WHOIS server cannot be calibrated",
         {"-s", "wh", "-f", "jsonl", "ax"},
         3,
         "{\"name\":\"ax\",\"marks\":{\"wh\":\"failed\"},\"reasons\":{\"wh\":\"no no-match text: the server could "
         "not be asked about "},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{"HOME=" + alone.path().string(),
                                      "XDG_CONFIG_HOME=" + alone.file("config").string(), program.string(), "check"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const Outcome outcome = test::runProgram({"/usr/bin/env", args, alone.path().string(), ""});
        EXPECT_EQ(outcome.exitCode, c.exitCode) << c.what << ": " << outcome.err;
        EXPECT_EQ(outcome.out.substr(0, c.out.size()), c.out) << c.what;
        EXPECT_NE(outcome.err.find(c.err), std::string::npos) << c.what << ": " << outcome.err;
    }

    // Over a Config.ini, --server replaces the entry of its suffix.
    const Outcome replaced =
        runCheck(withConfig({"-s", "org", "--server", "org=" + m_server.hostField() + "+No match for", "ax"}));
    EXPECT_EQ(replaced.exitCode, 0) << replaced.err;
    EXPECT_EQ(replaced.out, "Domain Name\torg\t\r\nax\t☆\t\r\n");
}

// --verbose tells each exchange with its server, time and outcome; --quiet leaves out the closing
// line; a server that never answers fails its cell after --timeout, not the default minute.
TEST_F(CheckCommandTest, VerboseQuietAndTimeLimits) {
    const Outcome verbose = runCheck(withConfig({"-v", "-s", "com,org", "ax"}));
    EXPECT_EQ(verbose.exitCode, 0) << verbose.err;
    EXPECT_NE(verbose.err.find("ax.com " + m_server.hostField() + " "), std::string::npos) << verbose.err;
    EXPECT_NE(verbose.err.find(" ms free"), std::string::npos) << verbose.err;
    EXPECT_NE(verbose.err.find(" ms failed: connect: Connection refused (" + m_closed + ")"), std::string::npos)
        << verbose.err;

    const Outcome quiet = runCheck(withConfig({"-q", "--dns-server", "127.0.0.1:1", "--no-dns", "-s", "com", "ax"}));
    EXPECT_EQ(quiet.exitCode, 0) << quiet.err;
    EXPECT_EQ(quiet.err.find("settled by DNS"), std::string::npos) << quiet.err;

    FakeWhoisServer silent([](FakeWhoisConnection& connection) {
        connection.readQuery();
        connection.waitForClientClose();
    });
    const Outcome limited = runCheck(withConfig(
        {"--timeout", "1", "--server", "com=" + silent.hostField() + "+x", "-s", "com", "-f", "jsonl", "ax"}));
    EXPECT_EQ(limited.exitCode, 3) << limited.err;
    EXPECT_NE(limited.out.find(R"("reasons":{"com":"Read Timeout"})"), std::string::npos) << limited.out;
}

TEST(CheckCommandInterruptTest, CtrlCStopsAfterTheExchangeUnderWayAndPrintsTheTableSoFar) {
    Gate gate;
    FakeWhoisServer server([&](FakeWhoisConnection& connection) {
        const std::string query = connection.readQuery();
        if (query == "bx.com\r\n") {
            gate.arriveAndWait(connection);
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

    CliProcess process({"--config", config.string(), "[a-c]x"}, dir.file("out.txt"));
    gate.waitArrived();
    process.interrupt();
    ASSERT_TRUE(process.waitForError("stopping after the exchange under way"));
    gate.open();
    const Outcome outcome = process.finish();

    EXPECT_EQ(outcome.out, "Domain Name\tcom\tnet\t\r\n"
                           "ax\t★\t★\t\r\n"
                           "bx\t☆\t\t\r\n");
    EXPECT_EQ(outcome.exitCode, 130);
    EXPECT_NE(outcome.err.find("interrupted"), std::string::npos) << outcome.err;
    server.stop();
    EXPECT_EQ(server.queries(), (std::vector<std::string>{"ax.com\r\n", "ax.net\r\n", "bx.com\r\n"}));
}

TEST(CheckCommandInterruptTest, JsonLinesReachTheOutputWhileTheRunGoesOn) {
    Gate gate;
    FakeWhoisServer server([&](FakeWhoisConnection& connection) {
        if (connection.readQuery() == "bx.com\r\n") {
            gate.arriveAndWait(connection);
        }
        connection.send("Domain Name: taken\r\n");
    });
    struct OpenAtEnd {
        Gate& gate;
        ~OpenAtEnd() { gate.open(); }
    } openAtEnd{gate};
    test::TempDir dir;
    const std::filesystem::path config =
        dir.write("test.ini", "[setting]\nnum=1\n[whois]\n1=com+" + server.hostField() + "+No match for\n");
    CliProcess process({"--config", config.string(), "--format", "jsonl", "[ab]x"}, dir.file("out.txt"));
    gate.waitArrived();
    EXPECT_EQ(test::readFileBytes(dir.file("out.txt")), "{\"name\":\"ax\",\"marks\":{\"com\":\"registered\"}}\n");
    gate.open();
    const Outcome outcome = process.finish();
    EXPECT_EQ(outcome.exitCode, 1) << outcome.err; // nothing free
    EXPECT_EQ(outcome.out, "{\"name\":\"ax\",\"marks\":{\"com\":\"registered\"}}\n"
                           "{\"name\":\"bx\",\"marks\":{\"com\":\"registered\"}}\n");
}

TEST(CheckCommandInterruptTest, ACtrlCBeforeAnythingStartedStillGivesTheTable) {
    FakeWhoisServer server([](FakeWhoisConnection& connection) {
        connection.readQuery();
        connection.pause(std::chrono::milliseconds(50));
        connection.send("Domain Name: taken\r\n");
    });
    test::TempDir dir;
    const std::filesystem::path config =
        dir.write("test.ini", "[setting]\nnum=1\n[whois]\n1=com+" + server.hostField() + "+No match for\n");
    for (const char* format : {"text", "jsonl"}) {
        CliProcess process({"--config", config.string(), "--format", format, "[a-z]x"}, dir.file("out.txt"), true);
        process.interrupt();
        const Outcome outcome = process.finish();
        EXPECT_EQ(outcome.exitCode, 130) << format << ": " << outcome.err;
        EXPECT_NE(outcome.err.find("interrupted"), std::string::npos) << outcome.err;
        if (std::string(format) == "text") {
            EXPECT_EQ(outcome.out.rfind("Domain Name\tcom\t\r\n", 0), 0u) << outcome.out;
        }
        EXPECT_LT(std::count(outcome.out.begin(), outcome.out.end(), '\n'), 26) << format << ": the run was stopped";
    }
}

} // namespace
} // namespace cvt
