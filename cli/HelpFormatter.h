#pragma once

#include <CLI/CLI.hpp>
#include <string>

namespace cvt::cli {

// The help of a command as the program prints it: the usage line first, then what the command
// does, its arguments and options, and the notes of its footer.
class HelpFormatter : public CLI::Formatter {
public:
    HelpFormatter() { column_width(28); }
    std::string make_help(const CLI::App* app, std::string name, CLI::AppFormatMode mode) const override;
};

} // namespace cvt::cli
