#include "cli/DeclaredOptions.h"

#include <CLI/CLI.hpp>
#include <algorithm>

namespace cvt::cli {

namespace {

// The type name without the descriptions the validators add.
std::string valueName(const CLI::Option& option) {
    const std::string type = option.get_type_name();
    return type.substr(0, type.find(':'));
}

std::vector<std::string> splitChoices(const std::string& text) {
    std::vector<std::string> words;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t bar = std::min(text.find('|', start), text.size());
        words.push_back(text.substr(start, bar - start));
        start = bar + 1;
    }
    return words;
}

DeclaredOption describe(const CLI::Option& option) {
    DeclaredOption declared;
    for (const std::string& name : option.get_snames()) {
        declared.names.push_back("-" + name);
    }
    for (const std::string& name : option.get_lnames()) {
        declared.names.push_back("--" + name);
    }
    declared.description = option.get_description();
    if (option.get_expected_max() == 0) {
        return declared;
    }
    declared.valueName = valueName(option);
    if (declared.valueName.find('|') != std::string::npos) {
        declared.kind = ValueKind::Choice;
        declared.choices = splitChoices(declared.valueName);
    } else if (declared.valueName == "FILE") {
        declared.kind = ValueKind::File;
    } else if (option.check_lname("suffix")) {
        declared.kind = ValueKind::SuffixList;
    } else {
        declared.kind = ValueKind::Other;
    }
    return declared;
}

} // namespace

std::vector<DeclaredOption> declaredOptions(const CLI::App& command) {
    std::vector<DeclaredOption> options;
    for (const CLI::Option* option : command.get_options()) {
        if (!option->get_positional()) {
            options.push_back(describe(*option));
        }
    }
    return options;
}

std::vector<DeclaredCommand> declaredCommands(const CLI::App& app) {
    std::vector<DeclaredCommand> commands;
    for (const CLI::App* sub : app.get_subcommands([](const CLI::App*) { return true; })) {
        DeclaredCommand command{sub->get_name(), sub->get_description(), declaredOptions(*sub), false};
        for (const CLI::Option* option : sub->get_options()) {
            if (option->get_positional()) {
                const std::string name = option->get_name(true);
                command.takesFiles =
                    command.takesFiles || valueName(*option) == "FILE" || name == "FILE" || name == "PATTERN";
            }
        }
        commands.push_back(std::move(command));
    }
    return commands;
}

} // namespace cvt::cli
