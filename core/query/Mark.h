#pragma once

#include <cstdint>

namespace cvt {

// What asking one cell came to. The front ends word it (a glyph, a colour, a word); the run, the
// table and every filter, count and clean-up work with these values.
enum class Mark : std::uint8_t {
    Unasked,    // never asked, or emptied since
    Free,       // the reply held the no-match mark
    Registered, // the reply did not hold it
    Failed,     // the exchange failed or was refused; the cell's reason says why
};

// True for the marks the re-query pass asks again: failed and never asked.
constexpr bool needsRequery(Mark mark) {
    return mark == Mark::Failed || mark == Mark::Unasked;
}

} // namespace cvt
