#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace CLI {
class App;
} // namespace CLI

namespace cvt::cli {

// --timeout and --connect-timeout of the commands that ask servers, in whole seconds from 1 to 3600;
// unset, the command's own defaults hold.
struct TimeLimitOptions {
    std::optional<std::int64_t> exchangeSeconds;
    std::optional<std::int64_t> connectSeconds;

    // The help names each default, which differs by command.
    void declare(CLI::App& command, const std::string& exchangeDefault, const std::string& connectDefault);
    // A limit of 0 seconds is wrong usage.
    void check() const;
};

} // namespace cvt::cli
