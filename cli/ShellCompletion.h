#pragma once

#include <iosfwd>

namespace CLI {
class App;
}

namespace cvt::cli {

// Completion scripts for bash, zsh and fish, written from the declared parser: the commands, each
// command's options, the values of options with a fixed set of values (type names such as
// "text|csv"), also after "--option=", file names where a FILE is asked for, and the suffixes of
// --suffix (comma-separated) from the suffix catalogue when there is one, else from the server
// table in use.
void writeBashCompletion(const CLI::App& app, std::ostream& out);
void writeZshCompletion(const CLI::App& app, std::ostream& out);
void writeFishCompletion(const CLI::App& app, std::ostream& out);

} // namespace cvt::cli
