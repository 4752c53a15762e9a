#include "cli/TimeLimitOptions.h"

#include "cli/Command.h"
#include "cli/SharedOptions.h"

#include <CLI/CLI.hpp>

namespace cvt::cli {

namespace {

constexpr std::int64_t kMaxTimeoutSeconds = 3600;

} // namespace

void TimeLimitOptions::declare(CLI::App& command, const std::string& exchangeDefault,
                               const std::string& connectDefault) {
    addDecimalOption(command, "--timeout", exchangeSeconds, kMaxTimeoutSeconds,
                     "the longest one exchange with a registry may take, connect included (1 to 3600; default " +
                         exchangeDefault + ")")
        ->type_name("S");
    addDecimalOption(command, "--connect-timeout", connectSeconds, kMaxTimeoutSeconds,
                     "the longest a connect may take (1 to 3600; default " + connectDefault + ")")
        ->type_name("S");
}

void TimeLimitOptions::check() const {
    if (exchangeSeconds && *exchangeSeconds == 0) {
        throw UsageError("--timeout: give at least 1 second");
    }
    if (connectSeconds && *connectSeconds == 0) {
        throw UsageError("--connect-timeout: give at least 1 second");
    }
}

} // namespace cvt::cli
