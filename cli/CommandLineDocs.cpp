#include "cli/CommandLineDocs.h"

#include "cli/CommandLine.h"

#include <CLI/CLI.hpp>
#include <ostream>
#include <string>
#include <vector>

namespace cvt::cli {

namespace {

// Text for roff: a backslash doubled, a leading dot or apostrophe kept from being a request, and
// "-" written as the minus sign so options can be searched and copied.
std::string roff(const std::string& text) {
    std::string out;
    bool lineStart = true;
    for (const char c : text) {
        if (lineStart && (c == '.' || c == '\'')) {
            out += "\\&";
        }
        if (c == '\\') {
            out += "\\e";
        } else if (c == '-') {
            out += "\\-";
        } else {
            out += c;
        }
        lineStart = c == '\n';
    }
    return out;
}

// The type name without the descriptions the validators add.
std::string valueName(const CLI::Option* option) {
    const std::string type = option->get_type_name();
    return type.substr(0, type.find(':'));
}

std::vector<const CLI::App*> commands(const CLI::App& app) {
    return app.get_subcommands([](const CLI::App*) { return true; });
}

std::string optionNames(const CLI::Option* option) {
    return option->get_name(false, true);
}

void writeOptions(const CLI::App& command, std::ostream& out) {
    for (const CLI::Option* option : command.get_options()) {
        if (option->get_positional()) {
            continue;
        }
        std::string names = optionNames(option);
        for (std::size_t comma = names.find(','); comma != std::string::npos; comma = names.find(',', comma)) {
            names.replace(comma, 1, ", ");
            comma += 2;
        }
        out << ".TP\n.B " << roff(names);
        if (option->get_expected_max() > 0) {
            out << " \\fI" << roff(valueName(option)) << "\\fR";
        }
        out << '\n' << roff(option->get_description()) << '\n';
    }
}

void writePositionals(const CLI::App& command, std::ostream& out) {
    for (const CLI::Option* option : command.get_options()) {
        if (option->get_positional()) {
            out << ".TP\n.I " << roff(option->get_name(true)) << '\n' << roff(option->get_description()) << '\n';
        }
    }
}

std::string synopsis(const CLI::App& command) {
    std::string text = "corvantide-cli " + command.get_name() + " [OPTIONS]";
    for (const CLI::Option* option : command.get_options()) {
        if (option->get_positional()) {
            const std::string name = option->get_name(true);
            text += option->get_required() ? " " + name : " [" + name + "]";
            if (option->get_expected_max() > 1) {
                text += "...";
            }
        }
    }
    return text;
}

// The words of a shell list: the names of the options of one command.
std::string optionWords(const CLI::App& command) {
    std::string words;
    for (const CLI::Option* option : command.get_options()) {
        if (option->get_positional()) {
            continue;
        }
        std::string names = optionNames(option);
        for (char& c : names) {
            c = c == ',' ? ' ' : c;
        }
        words += (words.empty() ? "" : " ") + names;
    }
    return words;
}

} // namespace

void writeManPage(const CLI::App& app, std::ostream& out) {
    out << ".\\\" Written from the declared options of corvantide-cli at build time.\n"
        << ".TH CORVANTIDE-CLI 1 \"\" \"" << roff(programVersion()) << "\" \"User Commands\"\n"
        << ".SH NAME\ncorvantide\\-cli \\- " << roff(app.get_description()) << '\n'
        << ".SH SYNOPSIS\n.B corvantide\\-cli\n\\fICOMMAND\\fR [\\fIOPTIONS\\fR] [\\fIARGUMENTS\\fR]\n.br\n"
        << ".B corvantide\\-cli\n\\fB\\-\\-help\\fR | \\fB\\-\\-version\\fR | \\fBhelp\\fR [\\fICOMMAND\\fR]\n"
        << ".SH OPTIONS\n";
    writeOptions(app, out);
    out << ".SH COMMANDS\n";
    for (const CLI::App* command : commands(app)) {
        out << ".SS " << roff(command->get_name()) << "\n.B " << roff(synopsis(*command)) << "\n.PP\n"
            << roff(command->get_description().empty() ? command->get_group() : command->get_description()) << '\n';
        writePositionals(*command, out);
        writeOptions(*command, out);
        if (!command->get_footer().empty()) {
            out << ".PP\n" << roff(command->get_footer()) << '\n';
        }
    }
    out << ".SH EXIT STATUS\n.TP\n0\ndone\n.TP\n1\nfailed; the reason is on standard error\n.TP\n2\nwrong "
           "usage: an unknown option, a missing value, a bad number\n"
        << ".SH FILES\n.TP\n.I Config.ini\nbeside the program: the settings and the WHOIS server table\n";
}

void writeBashCompletion(const CLI::App& app, std::ostream& out) {
    std::string commandNames;
    for (const CLI::App* command : commands(app)) {
        commandNames += (commandNames.empty() ? "" : " ") + command->get_name();
    }
    out << "# bash completion for corvantide-cli, written from its declared options at build time.\n"
           "_corvantide_cli() {\n"
           "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}\n"
           "    local command= i\n"
           "    for ((i = 1; i < COMP_CWORD; i++)); do\n"
           "        case ${COMP_WORDS[i]} in\n"
           "        -*) ;;\n"
           "        *) command=${COMP_WORDS[i]}; break ;;\n"
           "        esac\n"
           "    done\n"
           "    local options= values= files=\n"
           "    case $command in\n"
           "    '')\n"
           "        COMPREPLY=($(compgen -W '"
        << commandNames << ' ' << optionWords(app)
        << "' -- \"$cur\"))\n"
           "        return ;;\n"
           "    help)\n"
           "        COMPREPLY=($(compgen -W '"
        << commandNames
        << "' -- \"$cur\"))\n"
           "        return ;;\n";
    for (const CLI::App* command : commands(app)) {
        if (command->get_name() == "help") {
            continue;
        }
        out << "    " << command->get_name() << ")\n        options='" << optionWords(*command) << "'\n";
        std::string valueCases;
        bool takesFiles = false;
        for (const CLI::Option* option : command->get_options()) {
            const std::string value = valueName(option);
            if (option->get_positional()) {
                takesFiles = takesFiles || value == "FILE" || option->get_name(true) == "FILE" ||
                             option->get_name(true) == "PATTERN";
                continue;
            }
            if (option->get_expected_max() == 0) {
                continue;
            }
            std::string names = optionNames(option);
            for (char& c : names) {
                c = c == ',' ? '|' : c;
            }
            if (value.find('|') != std::string::npos) {
                std::string words = value;
                for (char& c : words) {
                    c = c == '|' ? ' ' : c;
                }
                valueCases += "        " + names + ") values='" + words + "' ;;\n";
            } else if (value == "FILE") {
                valueCases += "        " + names + ") files=1 ;;\n";
            } else {
                valueCases += "        " + names + ") return ;;\n";
            }
        }
        if (!valueCases.empty()) {
            out << "        case $prev in\n" << valueCases << "        esac\n";
        }
        if (takesFiles) {
            out << "        [[ $cur == -* || -n $values ]] || files=1\n";
        }
        out << "        ;;\n";
    }
    out << "    esac\n"
           "    if [[ -n $values ]]; then\n"
           "        COMPREPLY=($(compgen -W \"$values\" -- \"$cur\"))\n"
           "    elif [[ -n $files ]]; then\n"
           "        COMPREPLY=($(compgen -f -- \"$cur\"))\n"
           "    else\n"
           "        COMPREPLY=($(compgen -W \"$options\" -- \"$cur\"))\n"
           "    fi\n"
           "}\n"
           "complete -o filenames -F _corvantide_cli corvantide-cli\n";
}

} // namespace cvt::cli
