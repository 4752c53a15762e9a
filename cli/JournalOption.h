#pragma once

#include "cli/SharedOptions.h"

#include <filesystem>
#include <string>

namespace CLI {
class App;
}

namespace cvt::cli {

// --journal FILE: the results journal to use instead of the default one.
class JournalOption {
public:
    std::string file;

    void declare(CLI::App& command);
    // The option's file; else, with --config, "journal.sqlite" beside that file (a journal belongs to
    // the configuration its answers came from); else the default place. Empty when there is none.
    std::filesystem::path resolve(const ConfigOption& config) const;
};

} // namespace cvt::cli
