#include "cli/JournalOption.h"

#include "config/JournalPath.h"

#include <CLI/CLI.hpp>

namespace cvt::cli {

void JournalOption::declare(CLI::App& command) {
    command
        .add_option("--journal", file,
                    "the results journal (default: journal.sqlite beside a portable or --config Config.ini, else "
                    "$XDG_STATE_HOME/corvantide/journal.sqlite)")
        ->type_name("FILE");
}

std::filesystem::path JournalOption::resolve(const ConfigOption& config) const {
    if (!file.empty()) {
        return file;
    }
    if (config.given()) {
        return config.path().parent_path() / kJournalFileName;
    }
    return defaultJournalPath(locateConfig(defaultConfigPlaces()));
}

} // namespace cvt::cli
