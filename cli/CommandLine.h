#pragma once

#include "cli/Command.h"

#include <memory>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace cvt::cli {

// The program's command line: every command declared on one parser, the global options (--help,
// --version) and the `help` command. run() parses, dispatches to the chosen command and turns what
// happens into the exit status: 0 done, 1 failed, 2 wrong usage (one line on standard error).
class CommandLine {
public:
    CommandLine();
    ~CommandLine();
    CommandLine(const CommandLine&) = delete;
    CommandLine& operator=(const CommandLine&) = delete;

    int run(int argc, const char* const* argv, CommandIo& io);

    // The declared parser, for the manual page and the shell completion.
    const CLI::App& app() const { return *m_app; }
    // The help text of the program (no name) or of one command.
    std::string helpText(const std::string& command = {}) const;

private:
    int runHelp(CommandIo& io) const;

    std::unique_ptr<CLI::App> m_app;
    std::vector<std::unique_ptr<Command>> m_commands;
    std::string m_helpTopic;
};

// The program's version, as --version prints it.
std::string programVersion();

} // namespace cvt::cli
