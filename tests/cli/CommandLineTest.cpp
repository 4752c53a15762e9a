// The command line as a user meets it: every command parsed the same way, the help, the version,
// and the manual page and shell completion written from the same declarations.
#include "tests/support/FakeHttpServer.h"
#include "tests/support/FakeWhoisServer.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace cvt::test {
namespace {

ProgramResult cli(std::vector<std::string> args, std::string input = {}) {
    return runProgram({CORVANTIDE_CLI_PATH, std::move(args), "", std::move(input)});
}

std::size_t lineCount(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

TEST(CommandLineTest, EveryCommandParsesItsArgumentsTheSameWay) {
    TempDir dir;
    const std::string config =
        dir.write("Config.ini", "[setting]\nlanguage=en\n[whois]\n1=com+127.0.0.1:1+No match\n").string();
    const std::string memo = dir.write("memo.txt", "alpha\nbeta\n").string();
    FakeWhoisServer whois(
        FakeWhoisServer::answer([](std::string_view query) { return "asked " + std::string(query); }));
    FakeHttpServer http({FakeHttpServer::respondAndClose("HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\nword_1 w2"),
                         FakeHttpServer::respondAndClose("HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\nword_1 w2")});
    struct Case {
        std::string command;
        // A run that works, written with "--" before an argument that looks like an option, and
        // what it prints.
        std::vector<std::string> dashArgs;
        std::string dashOut;
        // An option that takes a value, with a value, and arguments that complete a run with it.
        std::string option;
        std::string value;
        std::vector<std::string> rest;
    };
    // clang-format off
    const std::vector<Case> cases = {
        {"expand", {"--", "-[ab]x"}, "", "--config", config, {"[ab]x"}},
        {"servers", {"--config", config, "--"}, "x\tcom\t127.0.0.1:1\tNo match\n", "--config", config, {}},
        {"check", {"--config", config, "--suffix", "com", "--format", "tsv", "--exit-zero", "--", "-"},
         "Domain Name\tcom\n", "--suffix", "com", {"--config", config, "--names", "--exit-zero", "-"}},
        {"words", {"--min", "2", "--", memo}, "alpha\nbeta\n", "--min", "5", {memo}},
        {"pinyin", {"--", "-x"}, "X\n", "", "", {}},
        {"whois", {"--host", whois.hostField(), "--", "-x"}, "asked -x", "--host", whois.hostField(), {"ab.com"}},
        {"fetch", {"--", http.url("/")}, "word_1 w2", "", "", {}},
        {"harvest", {"--", http.url("/")}, "w2\nword_1\n", "", "", {}},
    };
    // clang-format on
    for (const Case& c : cases) {
        const std::string usage = "Usage: corvantide-cli " + c.command + " ";
        for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
                 {c.command, "--help"}, {c.command, "-h"}, {c.command, "x", "--help"}, {c.command, "--help", "x"}}) {
            const ProgramResult help = cli(args);
            EXPECT_EQ(help.exitCode, 0) << args.back() << ": " << help.err;
            EXPECT_EQ(help.out.rfind(usage, 0), 0u) << c.command << " " << args[1] << ": " << help.out;
            EXPECT_EQ(help.err, "") << c.command;
        }

        std::vector<std::string> dash{c.command};
        dash.insert(dash.end(), c.dashArgs.begin(), c.dashArgs.end());
        const ProgramResult afterDash = cli(dash);
        EXPECT_EQ(afterDash.exitCode, 0) << c.command << " --: " << afterDash.err;
        EXPECT_EQ(afterDash.out, c.dashOut) << c.command << " --";

        const ProgramResult unknown = cli({c.command, "--bogus"});
        EXPECT_EQ(unknown.exitCode, 2) << c.command;
        EXPECT_EQ(unknown.out, "") << c.command;
        EXPECT_EQ(lineCount(unknown.err), 1u) << c.command << ": " << unknown.err;
        EXPECT_NE(unknown.err.find("--bogus"), std::string::npos) << c.command << ": " << unknown.err;

        if (c.option.empty()) {
            continue; // the command has no option that takes a value
        }
        const ProgramResult missing = cli({c.command, c.option});
        EXPECT_EQ(missing.exitCode, 2) << c.command;
        EXPECT_EQ(lineCount(missing.err), 1u) << c.command << ": " << missing.err;
        EXPECT_NE(missing.err.find(c.option), std::string::npos) << c.command << ": " << missing.err;

        std::vector<std::string> joined{c.command, c.option + "=" + c.value};
        std::vector<std::string> apart{c.command, c.option, c.value};
        joined.insert(joined.end(), c.rest.begin(), c.rest.end());
        apart.insert(apart.end(), c.rest.begin(), c.rest.end());
        const ProgramResult joinedRun = cli(joined);
        const ProgramResult apartRun = cli(apart);
        EXPECT_EQ(joinedRun.exitCode, 0) << c.command << ": " << joinedRun.err;
        EXPECT_EQ(joinedRun.exitCode, apartRun.exitCode) << c.command;
        EXPECT_EQ(joinedRun.out, apartRun.out) << c.command;
        EXPECT_EQ(joinedRun.err, apartRun.err) << c.command;
    }
}

TEST(CommandLineTest, ProgramHelpVersionAndUsageErrors) {
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::string out; // the start of standard output
        std::string err; // text standard error holds
    };
    const std::vector<Case> cases = {
        {{"--help"}, 0, "Usage: corvantide-cli [OPTIONS] [SUBCOMMAND]", ""},
        {{"-h"}, 0, "Usage: corvantide-cli [OPTIONS] [SUBCOMMAND]", ""},
        {{"help"}, 0, "Usage: corvantide-cli [OPTIONS] [SUBCOMMAND]", ""},
        {{"help", "check"}, 0, "Usage: corvantide-cli check [OPTIONS] [PATTERN]", ""},
        {{"--version"}, 0, "corvantide-cli 1.", ""},
        {{"-V"}, 0, "corvantide-cli 1.", ""},
        {{}, 2, "", "Usage: corvantide-cli"},
        {{"bogus"}, 2, "", "unknown command or option: bogus"},
        {{"help", "bogus"}, 2, "", "bogus not in"},
        {{"check", "--format", "xml", "ax"}, 2, "", "--format: xml not in"},
        {{"check", "--names", "--format", "json", "ax"}, 2, "", "excludes"},
        {{"words", "--max", "8x"}, 2, "", "--max: '8x' is not a valid integer value"},
    };
    for (const Case& c : cases) {
        const ProgramResult result = cli(c.args);
        const std::string what = c.args.empty() ? "(none)" : c.args.front() + " " + c.args.back();
        EXPECT_EQ(result.exitCode, c.exitCode) << what << ": " << result.err;
        EXPECT_EQ(result.out.rfind(c.out, 0), 0u) << what << ": " << result.out;
        EXPECT_NE(result.err.find(c.err), std::string::npos) << what << ": " << result.err;
    }
    // The command list shows one line per command.
    const ProgramResult help = cli({"help"});
    for (const char* command : {"expand", "servers", "check", "words", "pinyin", "whois", "fetch", "harvest"}) {
        EXPECT_NE(help.out.find(std::string("\n  ") + command + " "), std::string::npos) << command;
    }
}

// The option names a command's help lists.
std::set<std::string> helpOptions(const std::string& command) {
    const std::string help = cli({command, "--help"}).out;
    const std::string options = help.substr(help.find("Options:"));
    std::set<std::string> names;
    const std::regex name(R"((^|\n)  (-[a-zA-Z],)?(--[a-z-]+))");
    for (auto it = std::sregex_iterator(options.begin(), options.end(), name); it != std::sregex_iterator(); ++it) {
        names.insert((*it)[3]);
    }
    return names;
}

TEST(CommandLineTest, ManualPageAndCompletionListEveryOption) {
    const std::string man = readFileBytes(CORVANTIDE_MAN_PAGE);
    const std::string completion = readFileBytes(CORVANTIDE_BASH_COMPLETION);
    ASSERT_FALSE(man.empty());
    ASSERT_FALSE(completion.empty());
    for (const char* command : {"expand", "servers", "check", "words", "pinyin", "whois", "fetch", "harvest"}) {
        EXPECT_NE(man.find(std::string(".SS ") + command + "\n"), std::string::npos) << command;
        const std::set<std::string> options = helpOptions(command);
        EXPECT_FALSE(options.empty()) << command;
        for (const std::string& option : options) {
            std::string roffName;
            for (const char c : option) {
                roffName += c == '-' ? std::string("\\-") : std::string(1, c);
            }
            EXPECT_TRUE(man.find(".B " + roffName) != std::string::npos ||
                        man.find(", " + roffName) != std::string::npos)
                << command << " " << option;
        }
    }

    // What bash offers at the cursor, from the script as installed.
    const auto complete = [&](const std::string& words, const std::string& environment = {}) {
        const std::string script = environment + "source '" + std::string(CORVANTIDE_BASH_COMPLETION) +
                                   "'\nCOMP_WORDS=(" + words +
                                   ")\nCOMP_CWORD=$((${#COMP_WORDS[@]} - 1))\n_corvantide_cli\n"
                                   "printf '%s\\n' \"${COMPREPLY[@]}\"\n";
        return runProgram({"/bin/bash", {"-c", script}, "", ""}).out;
    };
    EXPECT_EQ(complete("corvantide-cli ch"), "check\n");
    EXPECT_EQ(complete("corvantide-cli check --fo"), "--format\n");
    EXPECT_EQ(complete("corvantide-cli check --format ''"), "text\ntsv\ncsv\njson\njsonl\n");
    EXPECT_EQ(complete("corvantide-cli words --page d"), "dictionary\n");
    EXPECT_EQ(complete("corvantide-cli help ex"), "expand\n");
    // Values after "--option=" (split at "=" as bash does, or whole), the languages, and the
    // groups and the suffixes of the catalogue in the user's data folder, after those already in the
    // list.
    TempDir data;
    std::filesystem::create_directories(data.file("corvantide"));
    data.write("corvantide/suffixes.tsv", "# the catalogue\nabc\tabc\tgeneric\nxyz\txyz\tgeneric\n");
    const std::string withCatalogue = "export XDG_DATA_HOME='" + data.path().string() + "'\n";
    const struct {
        std::string words;
        std::string offered;
    } values[] = {
        {"corvantide-cli check --format = ''", "text\ntsv\ncsv\njson\njsonl\n"},
        {"corvantide-cli check --format = j", "json\njsonl\n"},
        {"corvantide-cli check --format=ts", "--format=tsv\n"},
        {"corvantide-cli expand --language ''", "zh-cn\nen\n"},
        {"corvantide-cli check --suffix ''", "@popular\n@generic\n@country\n@chinese\n@all\nabc\nxyz\n"},
        {"corvantide-cli check --suffix @p", "@popular\n"},
        {"corvantide-cli check --suffix abc,x", "abc,xyz\n"},
        {"corvantide-cli check --suffix=x", "--suffix=xyz\n"},
    };
    for (const auto& c : values) {
        EXPECT_EQ(complete(c.words, withCatalogue), c.offered) << c.words;
    }
    for (const std::string& option : helpOptions("check")) {
        EXPECT_NE(complete("corvantide-cli check " + option).find(option + "\n"), std::string::npos) << option;
    }
    // Options each command owns besides the shared ones, as the help, the manual page and the
    // completion must offer them.
    const struct {
        std::string command;
        std::string option;
    } owned[] = {{"pinyin", "--by-character"}, {"words", "--by-character"}, {"check", "--by-character"},
                 {"harvest", "--raw"},         {"harvest", "--chinese"},    {"check", "--output"},
                 {"servers", "--config"},      {"whois", "--host"}};
    for (const auto& c : owned) {
        EXPECT_TRUE(helpOptions(c.command).contains(c.option)) << c.command << " " << c.option;
        EXPECT_EQ(complete("corvantide-cli " + c.command + " " + c.option), c.option + "\n")
            << c.command << " " << c.option;
    }
}

// The sections a reader of each manual page looks for.
TEST(CommandLineTest, ManualPagesHaveEverySection) {
    const std::string cli = readFileBytes(CORVANTIDE_MAN_PAGE);
    const std::string window = readFileBytes(CORVANTIDE_WINDOW_MAN_PAGE);
    const std::regex dated(R"(\.TH \S+ 1 "\d{4}-\d\d-\d\d" )");
    EXPECT_TRUE(std::regex_search(cli, dated));
    EXPECT_TRUE(std::regex_search(window, dated));
    const std::vector<std::string> both = {".SH NAME\n",         ".SH SYNOPSIS\n",           ".SH DESCRIPTION\n",
                                           ".SH ENVIRONMENT\n",  ".B XDG_CONFIG_HOME\n",     ".B XDG_STATE_HOME\n",
                                           ".B XDG_DATA_HOME\n", ".B SSL_CERT_FILE\n",       ".B SSL_CERT_DIR\n",
                                           ".SH FILES\n",        "/corvantide/Config.ini\n", "/usr/share/corvantide/\n",
                                           ".SH SEE ALSO\n"};
    for (const std::string& text : both) {
        EXPECT_NE(cli.find(text), std::string::npos) << "corvantide-cli.1: " << text;
        EXPECT_NE(window.find(text), std::string::npos) << "corvantide.1: " << text;
    }
    for (const char* text : {".SH EXIT STATUS\n", ".TP\n0\n", ".TP\n1\n", ".TP\n2\n", ".TP\n3\n", ".TP\n4\n",
                             ".TP\n130\n", ".SH EXAMPLES\n", "\nif corvantide\\-cli check ", ".BR corvantide (1)"}) {
        EXPECT_NE(cli.find(text), std::string::npos) << "corvantide-cli.1: " << text;
    }
    EXPECT_NE(window.find(".BR corvantide\\-cli (1)"), std::string::npos);
}

// zsh and fish get the commands, options and values bash gets, from the same declarations. fish
// answers a completion request without a terminal; zsh is checked for its syntax.
TEST(CommandLineTest, ZshAndFishCompletionOfferTheDeclaredValues) {
    const std::string zsh = readFileBytes(CORVANTIDE_ZSH_COMPLETION);
    ASSERT_EQ(zsh.rfind("#compdef corvantide-cli\n", 0), 0u);
    EXPECT_NE(zsh.find(":format:(text tsv csv json jsonl)'"), std::string::npos);
    if (std::filesystem::exists("/usr/bin/zsh")) {
        const ProgramResult parsed = runProgram({"/usr/bin/zsh", {"-n", CORVANTIDE_ZSH_COMPLETION}, "", ""});
        EXPECT_EQ(parsed.exitCode, 0) << parsed.err;
    }
    if (!std::filesystem::exists("/usr/bin/fish")) {
        GTEST_SKIP() << "fish is missing (Debian package fish)";
    }
    TempDir data;
    std::filesystem::create_directories(data.file("corvantide"));
    data.write("corvantide/suffixes.tsv", "abc\tabc\tgeneric\nxyz\txyz\tgeneric\n");
    const struct {
        std::string line;
        std::vector<std::string> offered;
    } cases[] = {
        {"corvantide-cli ch", {"check"}},
        {"corvantide-cli check --fo", {"--format"}},
        {"corvantide-cli check --format=j", {"--format=json", "--format=jsonl"}},
        {"corvantide-cli expand --language ", {"en", "zh-cn"}},
        {"corvantide-cli check --suffix abc,",
         {"abc,@all", "abc,@chinese", "abc,@country", "abc,@generic", "abc,@popular", "abc,abc", "abc,xyz"}},
        {"corvantide-cli help w", {"whois", "words"}},
    };
    for (const auto& c : cases) {
        const std::string script = "set -x XDG_DATA_HOME '" + data.path().string() + "'; source '" +
                                   CORVANTIDE_FISH_COMPLETION + "'; complete -C '" + c.line + "'";
        const ProgramResult result = runProgram({"/usr/bin/fish", {"--no-config", "-c", script}, "", ""});
        std::vector<std::string> offered;
        std::size_t start = 0;
        while (start < result.out.size()) {
            const std::size_t end = result.out.find('\n', start);
            const std::string line = result.out.substr(start, end - start);
            offered.push_back(line.substr(0, line.find('\t')));
            start = end == std::string::npos ? result.out.size() : end + 1;
        }
        EXPECT_EQ(offered, c.offered) << c.line << "\n" << result.err;
    }
}

} // namespace
} // namespace cvt::test
