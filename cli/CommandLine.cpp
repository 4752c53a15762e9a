#include "cli/CommandLine.h"

#include "cli/CommandFactories.h"
#include "cli/HelpFormatter.h"
#include "cli/InterruptWatcher.h"
#include "cli/PlainReason.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <exception>
#include <ostream>

#ifndef CORVANTIDE_VERSION
#define CORVANTIDE_VERSION "unknown"
#endif

namespace cvt::cli {

namespace {

constexpr const char* kProgram = "corvantide-cli";

// The subcommand the parse reached, or null.
const CLI::App* chosenCommand(const CLI::App& app) {
    const std::vector<const CLI::App*> chosen = app.get_subcommands([](const CLI::App* sub) { return sub->parsed(); });
    return chosen.empty() ? nullptr : chosen.front();
}

std::string prefixFor(const CLI::App* command) {
    return command == nullptr ? std::string(kProgram) : std::string(kProgram) + " " + command->get_name();
}

} // namespace

std::string programVersion() {
    return std::string(kProgram) + " " + CORVANTIDE_VERSION;
}

CommandLine::CommandLine()
    : m_app(std::make_unique<CLI::App>("Find unregistered domain names in bulk by asking each suffix's WHOIS server.",
                                       kProgram)) {
    m_app->formatter(std::make_shared<HelpFormatter>());
    m_app->set_help_flag("-h,--help", "print this help and exit");
    m_app->set_version_flag("-V,--version", programVersion(), "print the program's version and exit");
    m_app->require_subcommand(0, 1);
    m_app->footer("Each command takes --help. Exit status: 0 done, 1 failed (the reason on standard error), "
                  "2 wrong usage; check has its own (corvantide-cli check --help).\n\"--\" ends the options: what "
                  "follows is taken as arguments.");

    m_commands.push_back(makeExpandCommand());
    m_commands.push_back(makeServersCommand());
    m_commands.push_back(makeCheckCommand());
    m_commands.push_back(makeCalibrateCommand());
    m_commands.push_back(makeWordsCommand());
    m_commands.push_back(makePinyinCommand());
    m_commands.push_back(makeWhoisCommand());
    m_commands.push_back(makeFetchCommand());
    m_commands.push_back(makeHarvestCommand());
    m_commands.push_back(makeHistoryCommand());
    for (const auto& command : m_commands) {
        CLI::App* sub = m_app->add_subcommand(command->name(), command->summary());
        command->declare(*sub);
        // The command list shows the one-line summary; the command's help shows the whole text.
        const std::string text = sub->get_description();
        if (text != command->summary()) {
            sub->description(command->summary());
            sub->footer(sub->get_footer().empty() ? text : text + "\n\n" + sub->get_footer());
        }
    }

    CLI::App* help = m_app->add_subcommand("help", "print this help, or the help of COMMAND");
    std::vector<std::string> names;
    for (const auto& command : m_commands) {
        names.push_back(command->name());
    }
    help->add_option("COMMAND", m_helpTopic, "the command to describe")
        ->check(CLI::IsMember(names).description(""))
        ->type_name("");
}

CommandLine::~CommandLine() = default;

std::string CommandLine::helpText(const std::string& command) const {
    if (command.empty()) {
        // Straight from the formatter: App::help() would describe the command chosen, such as help.
        return m_app->get_formatter()->make_help(m_app.get(), kProgram, CLI::AppFormatMode::Normal);
    }
    return m_app->get_subcommand(command)->help(kProgram);
}

int CommandLine::runHelp(CommandIo& io) const {
    io.out << helpText(m_helpTopic);
    io.out.flush();
    return io.out ? 0 : 1;
}

int CommandLine::run(int argc, const char* const* argv, CommandIo& io) {
    try {
        m_app->parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        io.interrupts.endProcessOnInterrupt();
        const CLI::App* command = chosenCommand(*m_app);
        io.out << helpText(command == nullptr ? std::string() : command->get_name());
        io.out.flush();
        return 0;
    } catch (const CLI::CallForVersion& version) {
        io.interrupts.endProcessOnInterrupt();
        io.out << version.what() << '\n';
        io.out.flush();
        return 0;
    } catch (const CLI::ParseError& error) {
        io.interrupts.endProcessOnInterrupt();
        const CLI::App* command = chosenCommand(*m_app);
        std::string message = error.what();
        // An unknown option is named even when a required argument is missing too.
        if (command != nullptr && dynamic_cast<const CLI::RequiredError*>(&error) != nullptr &&
            !command->remaining().empty()) {
            message = CLI::ExtrasError(command->remaining()).what();
        }
        if (command == nullptr && dynamic_cast<const CLI::ExtrasError*>(&error) != nullptr) {
            message = "unknown command or option: " + message.substr(message.find(':') + 2) + " (" + kProgram +
                      " help lists the commands)";
        }
        io.err << prefixFor(command) << ": " << message << '\n';
        return 2;
    }

    const CLI::App* chosen = chosenCommand(*m_app);
    if (chosen == nullptr) {
        io.interrupts.endProcessOnInterrupt();
        io.err << helpText();
        return 2;
    }
    if (chosen->get_name() == "help") {
        io.interrupts.endProcessOnInterrupt();
        return runHelp(io);
    }
    const auto found = std::find_if(m_commands.begin(), m_commands.end(),
                                    [&](const auto& command) { return command->name() == chosen->get_name(); });
    Command& command = **found;
    if (!command.handlesInterrupt()) {
        io.interrupts.endProcessOnInterrupt();
    }
    try {
        return command.run(io);
    } catch (const UsageError& error) {
        io.err << prefixFor(chosen) << ": " << error.what() << '\n';
        return 2;
    } catch (const std::exception& error) {
        io.err << prefixFor(chosen) << ": " << plainReason(error.what()) << '\n';
        return command.failureStatus();
    }
}

} // namespace cvt::cli
