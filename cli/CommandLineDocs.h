#pragma once

#include <iosfwd>

namespace CLI {
class App;
}

namespace cvt::cli {

// The manual page (roff, section 1) of the program, written from its declared parser: every
// command with its arguments and options, and the exit statuses.
void writeManPage(const CLI::App& app, std::ostream& out);

// A bash completion script written from the declared parser: the commands, each command's options,
// the values of options with a fixed set of values (type names such as "text|csv") and file names
// for options and arguments that name a FILE.
void writeBashCompletion(const CLI::App& app, std::ostream& out);

} // namespace cvt::cli
