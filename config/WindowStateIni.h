#pragma once

#include "config/IniFile.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace cvt {

// The main window's remembered state, kept in the "[state]" section of Config.ini: where the
// window stood, the last pattern, the ticks of the server table, the search mode and the word-list
// builder's fields. Every value is read on its own; a missing or unreadable one stays unset, and the
// window keeps its initial state for it.
struct WindowState {
    struct Geometry {
        std::int32_t x = 0;
        std::int32_t y = 0;
        std::int32_t width = 0;
        std::int32_t height = 0;
        bool operator==(const Geometry&) const = default;
    };
    std::optional<Geometry> geometry;
    std::optional<std::string> pattern;
    // One '1' (ticked) or '0' per server-table row, in table order: how earlier versions kept the
    // ticks; read when tickedSuffixes is not there.
    std::optional<std::string> ticks;
    // The ticked suffixes as the server table shows them, in the order they were ticked. Kept in
    // keys ticked1, ticked2... of at most 2000 bytes each, with their number in ticked_parts, since
    // one value holds at most 2047 bytes.
    std::optional<std::vector<std::string>> tickedSuffixes;
    // The suffix picker's group: "ticked", "popular", "generic", "country", "chinese" or "all".
    std::optional<std::string> suffixGroup;
    // "random" or "text".
    std::optional<std::string> mode;
    // The width of the server table beside the results, as the splitter between them left it.
    std::optional<std::int32_t> serverTableWidth;
    // The word-list builder: the page shown, the address, prefix, postfix, letter limits, the
    // dictionary choice (0 or 1) and "read by character".
    std::optional<std::int32_t> builderPage;
    std::optional<std::string> builderUrl;
    std::optional<std::string> builderPrefix;
    std::optional<std::string> builderPostfix;
    std::optional<std::string> builderMinLetters;
    std::optional<std::string> builderMaxLetters;
    std::optional<std::int32_t> builderDictionary;
    std::optional<bool> builderByCharacter;

    bool operator==(const WindowState&) const = default;

    static WindowState readFrom(const IniFile& ini);
    // Writes every value that is set; values not set keep what the file holds.
    void writeTo(IniFile& ini) const;
};

} // namespace cvt
