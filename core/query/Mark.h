#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

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

// The word for a mark where text is read by programs and people alike (the command-line tool's
// json and verbose lines, the journal's rows): free, registered, failed, unasked.
constexpr std::string_view markWord(Mark mark) {
    switch (mark) {
    case Mark::Free:
        return "free";
    case Mark::Registered:
        return "registered";
    case Mark::Failed:
        return "failed";
    case Mark::Unasked:
        break;
    }
    return "unasked";
}

// The mark a word names; nothing for a word that is not one of markWord's.
constexpr std::optional<Mark> markOfWord(std::string_view word) {
    for (const Mark mark : {Mark::Unasked, Mark::Free, Mark::Registered, Mark::Failed}) {
        if (markWord(mark) == word) {
            return mark;
        }
    }
    return std::nullopt;
}

} // namespace cvt
