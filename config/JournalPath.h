#pragma once

#include "config/ConfigPath.h"

#include <filesystem>

namespace cvt {

// The file name of the results journal.
inline constexpr const char* kJournalFileName = "journal.sqlite";

// Where the results journal lives by default: beside a portable Config.ini, else
// "$XDG_STATE_HOME/corvantide/journal.sqlite" (~/.local/state/...). Empty when there is no home
// folder either.
std::filesystem::path defaultJournalPath(const ConfigLocation& config);

} // namespace cvt
