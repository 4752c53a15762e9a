#include "cli/CommandLineDocs.h"

#include "cli/CommandLine.h"
#include "cli/DeclaredOptions.h"

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

std::vector<const CLI::App*> commands(const CLI::App& app) {
    return app.get_subcommands([](const CLI::App*) { return true; });
}

void writeOptions(const CLI::App& command, std::ostream& out) {
    for (const DeclaredOption& option : declaredOptions(command)) {
        std::string names;
        for (const std::string& name : option.names) {
            names += (names.empty() ? "" : ", ") + name;
        }
        out << ".TP\n.B " << roff(names);
        if (option.takesValue()) {
            out << " \\fI" << roff(option.valueName) << "\\fR";
        }
        out << '\n' << roff(option.description) << '\n';
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

constexpr const char* kDescription =
    "corvantide\\-cli is the command\\-line tool of Corvantide. It finds domain names that are still free\n"
    "to register. The names come from a query pattern such as \\fB[a\\-z]phone\\fR, which\n"
    ".B expand\n"
    "turns into every name it allows, or from word lists built by\n"
    ".BR words ,\n"
    ".B pinyin\n"
    "and\n"
    ".BR harvest .\n"
    ".B check\n"
    "asks the registry of every chosen suffix about every name (WHOIS on TCP port 43, or RDAP over\n"
    "HTTPS, after an optional DNS check) and prints a table with one row per name and one column per\n"
    "suffix, each cell marked \\[u2606] free, \\[u2605] registered or \\- failed. A cell is free only when\n"
    "the registry says so; an answer that cannot be read fails, with its reason, and can be asked\n"
    "again.\n"
    ".PP\n"
    "The suffixes and their servers come from the server table of\n"
    ".I Config.ini\n"
    "(see FILES).\n";

constexpr const char* kExitStatus = ".TP\n"
                                    "0\n"
                                    "done; for check: at least one cell is free\n"
                                    ".TP\n"
                                    "1\n"
                                    "check: no cell is free and every cell was answered; other commands: failed, "
                                    "the reason on standard error\n"
                                    ".TP\n"
                                    "2\n"
                                    "wrong usage: an unknown option, a missing or bad value; one line on standard "
                                    "error names it\n"
                                    ".TP\n"
                                    "3\n"
                                    "check: some cells failed and none is free\n"
                                    ".TP\n"
                                    "4\n"
                                    "check: the run could not start, or its results could not be written\n"
                                    ".TP\n"
                                    "130\n"
                                    "stopped by Ctrl\\-C; check still prints the table so far\n"
                                    ".PP\n"
                                    ".B check \\-\\-exit\\-zero\n"
                                    "ends with 0 whatever was found.\n";

// The environment and the files both programs read.
constexpr const char* kEnvironmentAndFiles =
    ".SH ENVIRONMENT\n"
    ".TP\n"
    ".B XDG_CONFIG_HOME\n"
    "The per\\-user settings are\n"
    ".IR $XDG_CONFIG_HOME/corvantide/Config.ini ;\n"
    "unset or empty means\n"
    ".IR ~/.config .\n"
    ".TP\n"
    ".B XDG_DATA_HOME\n"
    "Data files (the dictionaries, the suffix catalogue) are looked for in the current folder, then in\n"
    ".I $XDG_DATA_HOME/corvantide\n"
    "(unset or empty means\n"
    ".IR ~/.local/share ),\n"
    "then among the installed data.\n"
    ".TP\n"
    ".B XDG_STATE_HOME\n"
    "The journal of answered cells is kept in\n"
    ".I $XDG_STATE_HOME/corvantide\n"
    "(unset or empty means\n"
    ".IR ~/.local/state ).\n"
    ".TP\n"
    ".B SSL_CERT_FILE\n"
    "A file of trusted certificate authorities for HTTPS (RDAP servers, web pages), read instead of\n"
    "the system's trust store.\n"
    ".TP\n"
    ".B SSL_CERT_DIR\n"
    "A folder of trusted certificate authorities (named by their hashes) for HTTPS, read instead of\n"
    "the system's trust store.\n"
    ".SH FILES\n"
    ".TP\n"
    ".I ~/.config/corvantide/Config.ini\n"
    "The per\\-user settings and server table, made on first start from the shipped one. A\n"
    ".I Config.ini\n"
    "beside the program in a folder the user may write to is used instead (a portable install).\n"
    ".TP\n"
    ".I /usr/share/corvantide/\n"
    "The installed data (\\fI../share/corvantide\\fR beside the program): the shipped\n"
    ".IR Config.ini ,\n"
    "the dictionaries\n"
    ".I en.dct\n"
    "and\n"
    ".IR zh\\-cn.dct ,\n"
    "the suffix catalogue\n"
    ".IR suffixes.tsv ,\n"
    "and the licence notices of the data.\n"
    ".TP\n"
    ".I ~/.local/share/corvantide/\n"
    "The user's own dictionaries and suffix catalogue, preferred to the installed ones.\n"
    ".TP\n"
    ".I /usr/share/doc/corvantide/copyright\n"
    "The licences of the program and of its data.\n";

constexpr const char* kExamples =
    "List the names a pattern allows:\n"
    ".PP\n"
    ".RS\n"
    ".nf\n"
    "corvantide\\-cli expand \\(aq[a\\-c]phone\\(aq\n"
    ".fi\n"
    ".RE\n"
    ".PP\n"
    "Ask two suffixes about them and keep the free names; the exit status tells whether any was free:\n"
    ".PP\n"
    ".RS\n"
    ".nf\n"
    "if corvantide\\-cli check \\-\\-suffix com,net \\-\\-names \\(aq[a\\-c]phone\\(aq >free.txt; then\n"
    "    echo \"free: $(wc \\-l <free.txt)\"\n"
    "else\n"
    "    echo \"nothing free, or the run failed (status $?)\"\n"
    "fi\n"
    ".fi\n"
    ".RE\n"
    ".PP\n"
    "Check the English dictionary's words of four to six letters and save the table as CSV:\n"
    ".PP\n"
    ".RS\n"
    ".nf\n"
    "corvantide\\-cli words \\-\\-page dictionary \\-\\-dict en \\-\\-min 4 \\-\\-max 6 >words.txt\n"
    "corvantide\\-cli check \\-\\-suffix io \\-\\-words words.txt \\-\\-output table.csv\n"
    ".fi\n"
    ".RE\n";

std::string versionNumber() {
    const std::string version = programVersion();
    return version.substr(version.rfind(' ') + 1);
}

} // namespace

void writeManPage(const CLI::App& app, const std::string& date, std::ostream& out) {
    out << ".\\\" Written from the declared options of corvantide-cli at build time.\n"
        << ".TH CORVANTIDE\\-CLI 1 \"" << date << "\" \"Corvantide " << roff(versionNumber())
        << "\" \"User Commands\"\n"
        << ".SH NAME\ncorvantide\\-cli \\- find unregistered domain names in bulk\n"
        << ".SH SYNOPSIS\n.B corvantide\\-cli\n\\fICOMMAND\\fR [\\fIOPTIONS\\fR] [\\fIARGUMENTS\\fR]\n.br\n"
        << ".B corvantide\\-cli\n\\fB\\-\\-help\\fR | \\fB\\-\\-version\\fR | \\fBhelp\\fR [\\fICOMMAND\\fR]\n"
        << ".SH DESCRIPTION\n"
        << kDescription << ".SH OPTIONS\n";
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
    out << ".SH EXIT STATUS\n"
        << kExitStatus << kEnvironmentAndFiles << ".SH EXAMPLES\n"
        << kExamples << ".SH SEE ALSO\n.BR corvantide (1)\n";
}

void writeWindowManPage(const std::string& date, std::ostream& out) {
    out << ".TH CORVANTIDE 1 \"" << date << "\" \"Corvantide " << roff(versionNumber())
        << "\" \"User Commands\"\n"
           ".SH NAME\n"
           "corvantide \\- find unregistered domain names in bulk (desktop program)\n"
           ".SH SYNOPSIS\n"
           ".B corvantide\n"
           "[\\fIQt options\\fR]\n"
           ".SH DESCRIPTION\n"
           "Corvantide finds domain names that are still free to register. Type a query pattern such as\n"
           "\\fB[a\\-z]phone\\fR, or build a word list from English or Chinese text (turned into pinyin), a\n"
           "web page or a dictionary; tick the suffixes to try in the server table and start the search.\n"
           "For every name and suffix the program asks the suffix's registry (WHOIS on TCP port 43, or RDAP\n"
           "over HTTPS, after an optional DNS check) and marks the cell \\[u2606] free, \\[u2605] registered\n"
           "or \\- failed in a live table. The table's menu exports it as text or as a workbook, removes\n"
           "registered names, asks the failed cells again and shows the registry's replies.\n"
           ".PP\n"
           "The window speaks English or Simplified Chinese, as chosen in its language menu.\n"
           ".SH OPTIONS\n"
           "The program takes the options every Qt program takes, such as\n"
           ".B \\-platform\n"
           "and\n"
           ".BR \\-style ;\n"
           "none of its own.\n"
        << kEnvironmentAndFiles
        << ".SH SEE ALSO\n"
           ".BR corvantide\\-cli (1)\n";
}

} // namespace cvt::cli
