#include "config/WindowStateIni.h"

#include <algorithm>
#include <charconv>
#include <string_view>
#include <vector>

namespace cvt {

namespace {

constexpr std::string_view kSection = "state";
// A value no key can hold, telling a missing key from an empty one.
constexpr std::string_view kMissing = "\x01";

std::optional<std::string> readText(const IniFile& ini, std::string_view key) {
    std::string value = ini.readString(kSection, key, kMissing);
    if (value == kMissing || value.find_first_of("\r\n") != std::string::npos) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::int32_t> readNumber(const IniFile& ini, std::string_view key, std::int32_t low, std::int32_t high) {
    const std::optional<std::string> text = readText(ini, key);
    if (!text || text->empty()) {
        return std::nullopt;
    }
    std::int32_t value = 0;
    const char* end = text->data() + text->size();
    const auto [stop, error] = std::from_chars(text->data(), end, value);
    if (error != std::errc() || stop != end || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

bool onlyTicks(const std::string& text) {
    return text.find_first_not_of("01") == std::string::npos;
}

constexpr std::size_t kTickedPartBytes = 2000;
constexpr std::int32_t kMostTickedParts = 1000;

// A suffix the ticked list can keep: no blanks, control bytes, commas or quotes, which the list or
// the file would not give back as they were.
bool storableSuffix(std::string_view suffix) {
    return !suffix.empty() && std::none_of(suffix.begin(), suffix.end(), [](char c) {
        return static_cast<unsigned char>(c) <= 32 || c == ',' || c == '"' || c == '\'' || c == 127;
    });
}

std::optional<std::vector<std::string>> readTickedSuffixes(const IniFile& ini) {
    const std::optional<std::int32_t> parts = readNumber(ini, "ticked_parts", 0, kMostTickedParts);
    if (!parts) {
        return std::nullopt;
    }
    std::vector<std::string> suffixes;
    for (std::int32_t part = 1; part <= *parts; ++part) {
        const std::optional<std::string> text = readText(ini, "ticked" + std::to_string(part));
        if (!text) {
            return std::nullopt; // a part went missing: the list is not whole
        }
        std::string_view rest = *text;
        while (!rest.empty()) {
            const std::size_t comma = rest.find(',');
            const std::string_view suffix = rest.substr(0, comma);
            if (!storableSuffix(suffix)) {
                return std::nullopt;
            }
            suffixes.emplace_back(suffix);
            rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
        }
    }
    return suffixes;
}

void writeTickedSuffixes(const std::vector<std::string>& suffixes, std::vector<IniEntry>& values) {
    std::vector<std::string> parts;
    for (const std::string& suffix : suffixes) {
        if (!storableSuffix(suffix) || suffix.size() > kTickedPartBytes) {
            continue;
        }
        if (parts.empty() || parts.back().size() + 1 + suffix.size() > kTickedPartBytes) {
            parts.emplace_back();
        } else {
            parts.back() += ',';
        }
        parts.back() += suffix;
    }
    values.push_back({"ticked_parts", std::to_string(parts.size())});
    for (std::size_t part = 0; part < parts.size(); ++part) {
        values.push_back({"ticked" + std::to_string(part + 1), parts[part]});
    }
}

} // namespace

WindowState WindowState::readFrom(const IniFile& ini) {
    constexpr std::int32_t kFar = 1 << 20;
    WindowState state;
    const auto x = readNumber(ini, "x", -kFar, kFar);
    const auto y = readNumber(ini, "y", -kFar, kFar);
    const auto width = readNumber(ini, "width", 1, kFar);
    const auto height = readNumber(ini, "height", 1, kFar);
    if (x && y && width && height) {
        state.geometry = Geometry{*x, *y, *width, *height};
    }
    state.pattern = readText(ini, "pattern");
    state.ticks = readText(ini, "ticks");
    if (state.ticks && !onlyTicks(*state.ticks)) {
        state.ticks.reset();
    }
    state.tickedSuffixes = readTickedSuffixes(ini);
    state.suffixGroup = readText(ini, "suffix_group");
    if (state.suffixGroup && *state.suffixGroup != "ticked" && *state.suffixGroup != "popular" &&
        *state.suffixGroup != "generic" && *state.suffixGroup != "country" && *state.suffixGroup != "chinese" &&
        *state.suffixGroup != "all") {
        state.suffixGroup.reset();
    }
    state.mode = readText(ini, "mode");
    if (state.mode && *state.mode != "random" && *state.mode != "text") {
        state.mode.reset();
    }
    state.serverTableWidth = readNumber(ini, "server_table_width", 1, kFar);
    state.builderPage = readNumber(ini, "builder_page", 0, 2);
    state.builderUrl = readText(ini, "builder_url");
    state.builderPrefix = readText(ini, "builder_prefix");
    state.builderPostfix = readText(ini, "builder_postfix");
    state.builderMinLetters = readText(ini, "builder_min");
    state.builderMaxLetters = readText(ini, "builder_max");
    state.builderDictionary = readNumber(ini, "builder_dictionary", 0, 1);
    if (const auto byCharacter = readNumber(ini, "builder_by_character", 0, 1)) {
        state.builderByCharacter = *byCharacter == 1;
    }
    return state;
}

void WindowState::writeTo(IniFile& ini) const {
    std::vector<IniEntry> values;
    const auto text = [&](const char* key, const std::optional<std::string>& value) {
        // A value with a line break, or too long to read back whole, is left out rather than cut.
        if (value && value->find_first_of("\r\n") == std::string::npos && value->size() <= IniFile::kMaxValueLength) {
            values.push_back({key, *value});
        }
    };
    const auto number = [&](const char* key, const std::optional<std::int32_t>& value) {
        if (value) {
            values.push_back({key, std::to_string(*value)});
        }
    };
    if (geometry) {
        number("x", geometry->x);
        number("y", geometry->y);
        number("width", geometry->width);
        number("height", geometry->height);
    }
    text("pattern", pattern);
    if (ticks && onlyTicks(*ticks)) {
        values.push_back({"ticks", *ticks});
    }
    if (tickedSuffixes) {
        writeTickedSuffixes(*tickedSuffixes, values);
    }
    text("suffix_group", suffixGroup);
    if (mode) {
        values.push_back({"mode", *mode});
    }
    number("server_table_width", serverTableWidth);
    number("builder_page", builderPage);
    text("builder_url", builderUrl);
    text("builder_prefix", builderPrefix);
    text("builder_postfix", builderPostfix);
    text("builder_min", builderMinLetters);
    text("builder_max", builderMaxLetters);
    number("builder_dictionary", builderDictionary);
    if (builderByCharacter) {
        values.push_back({"builder_by_character", *builderByCharacter ? "1" : "0"});
    }
    ini.writeStrings(kSection, values);
}

} // namespace cvt
