#include "cli/ShellCompletion.h"

#include "cli/DeclaredOptions.h"

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

namespace cvt::cli {

namespace {

// Prints the suffixes one a line: the groups (@popular ...), then the first column of the suffix
// catalogue found in the data folders (the current folder, $XDG_DATA_HOME/corvantide, the installed
// data beside the program), else the captions of the server table in use. POSIX sh without single quotes, so that every
// shell can run it: bash and zsh as a function body, fish through sh -c '...'.
constexpr const char* kSuffixLister =
    "printf \"%s\\n\" @popular @generic @country @chinese @all\n"
    "bin=$(command -v corvantide-cli) || bin=\n"
    "for dir in . \"${XDG_DATA_HOME:-$HOME/.local/share}/corvantide\" \"${bin%/*}/../share/corvantide\"; do\n"
    "    if [ -f \"$dir/suffixes.tsv\" ]; then\n"
    "        grep -v \"^#\" \"$dir/suffixes.tsv\" | cut -f1\n"
    "        exit 0\n"
    "    fi\n"
    "done\n"
    "corvantide-cli servers 2>/dev/null | cut -f2\n";

std::string joined(const std::vector<std::string>& words, const std::string& separator) {
    std::string text;
    for (const std::string& word : words) {
        text += (text.empty() ? "" : separator) + word;
    }
    return text;
}

std::vector<std::string> commandNames(const std::vector<DeclaredCommand>& commands) {
    std::vector<std::string> names;
    for (const DeclaredCommand& command : commands) {
        names.push_back(command.name);
    }
    return names;
}

std::string optionWords(const std::vector<DeclaredOption>& options) {
    std::vector<std::string> names;
    for (const DeclaredOption& option : options) {
        names.insert(names.end(), option.names.begin(), option.names.end());
    }
    return joined(names, " ");
}

// The text inside single quotes of sh, zsh (a quote as '\'') or fish (a quote as \').
std::string shQuoted(const std::string& text) {
    std::string out = "'";
    for (const char c : text) {
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return out + "'";
}

std::string fishQuoted(const std::string& text) {
    std::string out = "'";
    for (const char c : text) {
        if (c == '\'' || c == '\\') {
            out += '\\';
        }
        out += c;
    }
    return out + "'";
}

// The first clause of a description on one line, short enough for a completion menu.
std::string shortDescription(const std::string& text) {
    std::string line = text.substr(0, std::min(text.find("; "), text.find('\n')));
    // A parenthesis ends it too, unless it would leave a word or two.
    if (const std::size_t parenthesis = line.find(" ("); parenthesis != std::string::npos && parenthesis >= 20) {
        line.resize(parenthesis);
    }
    if (line.size() > 80) {
        line = line.substr(0, line.rfind(' ', 77)) + "...";
    }
    return line;
}

std::string indented(const std::string& text, const std::string& indent) {
    std::string out;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        out += indent + text.substr(start, end - start) + '\n';
        start = end == std::string::npos ? text.size() : end + 1;
    }
    return out;
}

void writeBashValueCases(const DeclaredCommand& command, std::ostream& out) {
    std::string cases;
    for (const DeclaredOption& option : command.options) {
        if (!option.takesValue()) {
            continue;
        }
        cases += "        " + joined(option.names, "|") + ") ";
        switch (option.kind) {
        case ValueKind::Choice:
            cases += "values='" + joined(option.choices, " ") + "' ;;\n";
            break;
        case ValueKind::File:
            cases += "files=1 ;;\n";
            break;
        case ValueKind::SuffixList:
            cases += "suffixes=1 ;;\n";
            break;
        default:
            cases += "return ;;\n";
            break;
        }
    }
    if (!cases.empty()) {
        out << "        case $prev in\n" << cases << "        esac\n";
    }
}

std::string zshAction(const DeclaredOption& option) {
    switch (option.kind) {
    case ValueKind::Choice:
        return "(" + joined(option.choices, " ") + ")";
    case ValueKind::File:
        return "_files";
    case ValueKind::SuffixList:
        return "_corvantide_cli_suffix_list";
    default:
        return " ";
    }
}

std::string zshSpec(const std::string& name, const DeclaredOption& option) {
    std::string description;
    for (const char c : shortDescription(option.description)) {
        if (c == '[' || c == ']' || c == '\\' || c == ':') {
            description += '\\';
        }
        description += c;
    }
    if (!option.takesValue()) {
        return shQuoted(name + "[" + description + "]");
    }
    const bool isLong = name.starts_with("--");
    std::string message = option.names.back().substr(2);
    return shQuoted(name + (isLong ? "=" : "+") + "[" + description + "]:" + message + ":" + zshAction(option));
}

void writeZshSpecs(const std::vector<DeclaredOption>& options, std::ostream& out) {
    for (const DeclaredOption& option : options) {
        for (const std::string& name : option.names) {
            out << " \\\n            " << zshSpec(name, option);
        }
    }
}

std::string fishOption(const std::string& condition, const DeclaredOption& option) {
    std::string line = "complete -c corvantide-cli -n " + fishQuoted(condition);
    for (const std::string& name : option.names) {
        line += name.starts_with("--") ? " -l " + name.substr(2) : " -s " + name.substr(1);
    }
    switch (option.kind) {
    case ValueKind::Choice:
        line += " -x -a " + fishQuoted(joined(option.choices, " "));
        break;
    case ValueKind::File:
        line += " -r -F";
        break;
    case ValueKind::SuffixList:
        line += " -x -a '(__corvantide_cli_suffix_list)'";
        break;
    case ValueKind::Other:
        line += " -x";
        break;
    case ValueKind::None:
        break;
    }
    return line + " -d " + fishQuoted(shortDescription(option.description)) + '\n';
}

} // namespace

void writeBashCompletion(const CLI::App& app, std::ostream& out) {
    const std::vector<DeclaredCommand> commands = declaredCommands(app);
    const std::string names = joined(commandNames(commands), " ");
    out << "# bash completion for corvantide-cli, written from its declared options at build time.\n"
           "_corvantide_cli_suffixes() (\n"
        << indented(kSuffixLister, "    ")
        << ")\n"
           "_corvantide_cli() {\n"
           "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]} prefix=\n"
           "    # --option=value arrives split at \"=\" (as COMP_WORDBREAKS has it) or as one word.\n"
           "    if [[ $cur == = ]]; then\n"
           "        cur=\n"
           "    elif [[ $prev == = ]] && ((COMP_CWORD > 1)); then\n"
           "        prev=${COMP_WORDS[COMP_CWORD-2]}\n"
           "    elif [[ $cur == --*=* ]]; then\n"
           "        prev=${cur%%=*} prefix=${cur%%=*}= cur=${cur#*=}\n"
           "    fi\n"
           "    local command= i\n"
           "    for ((i = 1; i < COMP_CWORD; i++)); do\n"
           "        case ${COMP_WORDS[i]} in\n"
           "        -*) ;;\n"
           "        *) command=${COMP_WORDS[i]}; break ;;\n"
           "        esac\n"
           "    done\n"
           "    local options= values= files= suffixes=\n"
           "    case $command in\n"
           "    '')\n"
           "        COMPREPLY=($(compgen -W '"
        << names << ' ' << optionWords(declaredOptions(app))
        << "' -- \"$cur\"))\n"
           "        return ;;\n"
           "    help)\n"
           "        COMPREPLY=($(compgen -W '"
        << names
        << "' -- \"$cur\"))\n"
           "        return ;;\n";
    for (const DeclaredCommand& command : commands) {
        if (command.name == "help") {
            continue;
        }
        out << "    " << command.name << ")\n        options='" << optionWords(command.options) << "'\n";
        writeBashValueCases(command, out);
        if (command.takesFiles) {
            out << "        [[ $cur == -* || -n $values$files$suffixes$prefix ]] || files=1\n";
        }
        out << "        ;;\n";
    }
    out << "    esac\n"
           "    if [[ -n $suffixes ]]; then\n"
           "        local done=${cur%\"${cur##*,}\"}\n"
           "        COMPREPLY=($(compgen -P \"$prefix$done\" -W \"$(_corvantide_cli_suffixes)\" -- \"${cur##*,}\"))\n"
           "    elif [[ -n $values ]]; then\n"
           "        COMPREPLY=($(compgen -P \"$prefix\" -W \"$values\" -- \"$cur\"))\n"
           "    elif [[ -n $files ]]; then\n"
           "        COMPREPLY=($(compgen -f -- \"$cur\"))\n"
           "    else\n"
           "        COMPREPLY=($(compgen -W \"$options\" -- \"$cur\"))\n"
           "    fi\n"
           "}\n"
           "complete -o filenames -F _corvantide_cli corvantide-cli\n";
}

void writeZshCompletion(const CLI::App& app, std::ostream& out) {
    const std::vector<DeclaredCommand> commands = declaredCommands(app);
    out << "#compdef corvantide-cli\n"
           "# zsh completion for corvantide-cli, written from its declared options at build time.\n"
           "_corvantide_cli_suffixes() (\n"
        << indented(kSuffixLister, "    ")
        << ")\n"
           "_corvantide_cli_suffix_list() {\n"
           "    local -a suffixes\n"
           "    suffixes=(${(f)\"$(_corvantide_cli_suffixes)\"})\n"
           "    (($#suffixes)) && _values -s , suffix $suffixes\n"
           "}\n"
           "_corvantide-cli() {\n"
           "    local curcontext=$curcontext state line\n"
           "    local -a commands\n"
           "    commands=(";
    for (const DeclaredCommand& command : commands) {
        out << "\n        " << shQuoted(command.name + ":" + shortDescription(command.summary));
    }
    out << "\n    )\n    _arguments -C";
    writeZshSpecs(declaredOptions(app), out);
    out << " \\\n            '1:command:->command' '*::argument:->argument'\n"
           "    case $state in\n"
           "    command) _describe -t commands command commands ;;\n"
           "    argument)\n"
           "        case $words[1] in\n"
           "        help) _describe -t commands command commands ;;\n";
    for (const DeclaredCommand& command : commands) {
        if (command.name == "help") {
            continue;
        }
        out << "        " << command.name << ")\n            _arguments";
        writeZshSpecs(command.options, out);
        out << " \\\n            " << (command.takesFiles ? "'*:file:_files'" : "'*:argument: '") << " ;;\n";
    }
    out << "        esac ;;\n"
           "    esac\n"
           "}\n"
           "_corvantide-cli \"$@\"\n";
}

void writeFishCompletion(const CLI::App& app, std::ostream& out) {
    const std::vector<DeclaredCommand> commands = declaredCommands(app);
    out << "# fish completion for corvantide-cli, written from its declared options at build time.\n"
           "function __corvantide_cli_suffixes\n"
           "    sh -c "
        << fishQuoted(kSuffixLister)
        << "\n"
           "end\n"
           "# The suffixes after those already typed in a comma-separated list.\n"
           "function __corvantide_cli_suffix_list\n"
           "    set -l typed (string replace -r -- '^--[^=]*=' '' (commandline -ct))\n"
           "    set -l done (string replace -r -- '[^,]*$' '' $typed)\n"
           "    for suffix in (__corvantide_cli_suffixes)\n"
           "        echo $done$suffix\n"
           "    end\n"
           "end\n"
           "complete -c corvantide-cli -f\n";
    for (const DeclaredOption& option : declaredOptions(app)) {
        out << fishOption("__fish_use_subcommand", option);
    }
    for (const DeclaredCommand& command : commands) {
        out << "complete -c corvantide-cli -n __fish_use_subcommand -a " << command.name << " -d "
            << fishQuoted(shortDescription(command.summary)) << '\n';
    }
    for (const DeclaredCommand& command : commands) {
        const std::string condition = "__fish_seen_subcommand_from " + command.name;
        if (command.name == "help") {
            out << "complete -c corvantide-cli -n " << fishQuoted(condition) << " -a "
                << fishQuoted(joined(commandNames(commands), " ")) << '\n';
            continue;
        }
        for (const DeclaredOption& option : command.options) {
            out << fishOption(condition, option);
        }
        if (command.takesFiles) {
            out << "complete -c corvantide-cli -n " << fishQuoted(condition) << " -F\n";
        }
    }
}

} // namespace cvt::cli
