#pragma once

#include <iosfwd>
#include <stdexcept>
#include <string>

namespace CLI {
class App;
}

namespace cvt::cli {

class InterruptWatcher;

// The streams and the Ctrl-C watcher a command runs with.
struct CommandIo {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
    InterruptWatcher& interrupts;
};

// Wrong usage found after the options were read (a combination the options cannot express): the
// process ends with status 2 and the message on standard error.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One command of corvantide-cli. It declares its options and positional arguments once, on the
// subcommand the command line gives it; the parse fills the command's own fields, and run() does
// the work. run() returns the exit status (0 done, 1 failed) or throws: UsageError for status 2,
// any other std::exception for failureStatus(), its message on standard error.
class Command {
public:
    virtual ~Command() = default;

    virtual std::string name() const = 0;
    // One line for the command list.
    virtual std::string summary() const = 0;
    virtual void declare(CLI::App& command) = 0;
    virtual int run(CommandIo& io) = 0;
    // The exit status when run() throws anything but UsageError.
    virtual int failureStatus() const { return 1; }
    // Whether run() says itself what Ctrl-C does; otherwise Ctrl-C ends the process.
    virtual bool handlesInterrupt() const { return false; }
};

} // namespace cvt::cli
