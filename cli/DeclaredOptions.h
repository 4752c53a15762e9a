#pragma once

#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace cvt::cli {

// What the shell completion offers for an option's value.
enum class ValueKind {
    None,       // a flag
    Choice,     // one of the words declared in the type name "a|b|c"
    File,       // a file name
    SuffixList, // comma-separated suffixes
    Other,      // anything: nothing to offer
};

// One option as its command declares it, reduced to what the manual page and the completion need.
struct DeclaredOption {
    std::vector<std::string> names; // with their dashes, short ones first: "-o", "--output"
    std::string valueName;          // "FILE", "text|tsv"; empty for a flag
    std::vector<std::string> choices;
    ValueKind kind = ValueKind::None;
    std::string description;

    bool takesValue() const { return kind != ValueKind::None; }
};

struct DeclaredCommand {
    std::string name;
    std::string summary;
    std::vector<DeclaredOption> options;
    // The arguments may be file names (a FILE, or a PATTERN that --words turns into a file).
    bool takesFiles = false;
};

// The options (not the positional arguments) of one command, or of the program itself.
std::vector<DeclaredOption> declaredOptions(const CLI::App& command);

// Every command of the program, in the order the help lists them.
std::vector<DeclaredCommand> declaredCommands(const CLI::App& app);

} // namespace cvt::cli
