#pragma once

#include <iosfwd>
#include <string>

namespace CLI {
class App;
}

namespace cvt::cli {

// The manual page (roff, section 1) of corvantide-cli, written from its declared parser: every
// command with its arguments and options, then the exit statuses, the environment, the files,
// examples and related pages. date ("2026-12-08") is the release's date.
void writeManPage(const CLI::App& app, const std::string& date, std::ostream& out);

// The manual page of the desktop program, with the same environment and files.
void writeWindowManPage(const std::string& date, std::ostream& out);

} // namespace cvt::cli
