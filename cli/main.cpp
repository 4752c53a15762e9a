// corvantide-cli: the headless tool on the same core as the desktop program.
#include "cli/Commands.h"

#include <cstring>
#include <exception>
#include <iostream>
#include <string_view>

namespace {

struct CommandEntry {
    std::string_view name;
    std::string_view synopsis;
    int (*run)(cvt::cli::CommandContext&);
};

constexpr CommandEntry kCommands[] = {
    {"expand", "expand PATTERN                 print the names a query pattern allows, sorted", cvt::cli::runExpand},
    {"servers", "servers [--config FILE]        print the WHOIS server table built from Config.ini",
     cvt::cli::runServers},
    {"check", "check [OPTIONS] PATTERN         ask the WHOIS servers about every name (see check --help)",
     cvt::cli::runCheck},
    {"words", "words [OPTIONS]                 build a word list (see words --help)", cvt::cli::runWords},
    {"pinyin", "pinyin TEXT...                  turn Chinese text into upper-case pinyin", cvt::cli::runPinyin},
    {"whois",
     "whois [--host HOST[:PORT]] QUERY  one WHOIS exchange; print the raw reply (an https:// host:\n"
     "                                  one RDAP lookup)",
     cvt::cli::runWhois},
    {"fetch", "fetch URL                       print the body of a web page (HTTP/1.1 GET, http or https)",
     cvt::cli::runFetch},
    {"harvest", "harvest [--raw|--chinese] URL   print the words (or Chinese runs) of a web page, one per line",
     cvt::cli::runHarvest},
};

void printHelp(std::ostream& out) {
    out << "Usage: corvantide-cli COMMAND [ARGUMENTS]\n"
           "Find unregistered domain names in bulk by asking each suffix's WHOIS server.\n\n"
           "Commands:\n";
    for (const auto& command : kCommands) {
        out << "  " << command.synopsis << '\n';
    }
    out << "  help                            print this help\n";
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "help") == 0 || std::strcmp(argv[1], "--help") == 0 ||
        std::strcmp(argv[1], "-h") == 0) {
        printHelp(std::cout);
        return argc < 2 ? 2 : 0;
    }
    const std::string_view name = argv[1];
    for (const auto& command : kCommands) {
        if (command.name != name) {
            continue;
        }
        cvt::cli::CommandContext context{{argv + 2, argv + argc}, std::cout, std::cerr};
        try {
            return command.run(context);
        } catch (const std::exception& error) {
            std::cerr << "corvantide-cli: " << error.what() << '\n';
            return 1;
        }
    }
    std::cerr << "corvantide-cli: unknown command '" << name << "'\n";
    printHelp(std::cerr);
    return 2;
}
