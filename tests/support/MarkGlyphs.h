#pragma once

#include "core/export/MarkGlyph.h"

#include <gtest/gtest.h>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace cvt {

// Tests write cells as the glyphs the exports show, so a table reads as it prints.
inline Mark markOf(std::string_view glyph) {
    for (const Mark mark : {Mark::Unasked, Mark::Free, Mark::Registered, Mark::Failed}) {
        if (markGlyph(mark) == glyph) {
            return mark;
        }
    }
    ADD_FAILURE() << "no mark shows as \"" << glyph << "\"";
    return Mark::Unasked;
}

inline std::vector<Mark> marksOf(const std::vector<std::string>& glyphs) {
    std::vector<Mark> marks;
    for (const std::string& glyph : glyphs) {
        marks.push_back(markOf(glyph));
    }
    return marks;
}

// gtest prints a mark as its glyph.
inline void PrintTo(Mark mark, std::ostream* out) {
    *out << '"' << markGlyph(mark) << '"';
}

} // namespace cvt
