#pragma once

#include "core/query/Mark.h"

#include <string_view>

namespace cvt {

// The glyph a mark is shown and written as: "☆" free, "★" registered, "-" failed, nothing when
// never asked. The window's table, the text, CSV and workbook exports and the command-line tool's
// tables all write these.
constexpr std::string_view markGlyph(Mark mark) {
    switch (mark) {
    case Mark::Free:
        return "☆";
    case Mark::Registered:
        return "★";
    case Mark::Failed:
        return "-";
    case Mark::Unasked:
        break;
    }
    return {};
}

} // namespace cvt
