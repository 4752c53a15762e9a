#pragma once

#include "core/query/MarkCounts.h"

#include <chrono>
#include <cstddef>
#include <string>

namespace cvt::cli {

// How far a check run has come.
struct CheckProgress {
    std::size_t namesDone = 0;
    std::size_t names = 0;
    MarkCounts marks;
};

// The one progress line: "12/40 names, 3 free, 8 registered, 1 failed, 2.5 names/s, 0:11 left".
// The rate and the time left read "-" until a name is done.
std::string formatProgress(const CheckProgress& progress, std::chrono::steady_clock::duration elapsed);

} // namespace cvt::cli
