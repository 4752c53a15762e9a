#pragma once

#include "core/query/Mark.h"

#include <cstddef>

namespace cvt {

// How many cells hold each mark; a cell never asked is not counted.
struct MarkCounts {
    std::size_t free = 0;
    std::size_t registered = 0;
    std::size_t failed = 0;

    // Counts a cell with the mark in (step +1) or out (step -1).
    constexpr void add(Mark mark, int step) {
        std::size_t* counter = nullptr;
        switch (mark) {
        case Mark::Free:
            counter = &free;
            break;
        case Mark::Registered:
            counter = &registered;
            break;
        case Mark::Failed:
            counter = &failed;
            break;
        case Mark::Unasked:
            return;
        }
        *counter = step > 0 ? *counter + 1 : *counter - 1;
    }

    bool operator==(const MarkCounts&) const = default;
};

} // namespace cvt
