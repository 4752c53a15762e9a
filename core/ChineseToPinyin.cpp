#include "core/ChineseToPinyin.h"

#include <string_view>

namespace cvt {

namespace {

using namespace std::string_view_literals;

// Row 0xA2, trail bytes 0xA1..0xFE: the number of each numbered sign, empty where the row has none.
constexpr std::array<std::string_view, 94> kNumberedSigns = {
    // 0xA1..0xAA small Roman numerals i to x, then six unassigned codes
    "1"sv, "2"sv, "3"sv, "4"sv, "5"sv, "6"sv, "7"sv, "8"sv, "9"sv, "10"sv, ""sv, ""sv, ""sv, ""sv, ""sv, ""sv,
    // 0xB1..0xC4 numbers with a full stop 1. to 20.
    "1"sv, "2"sv, "3"sv, "4"sv, "5"sv, "6"sv, "7"sv, "8"sv, "9"sv, "10"sv, "11"sv, "12"sv, "13"sv, "14"sv, "15"sv,
    "16"sv, "17"sv, "18"sv, "19"sv, "20"sv,
    // 0xC5..0xD8 parenthesised numbers (1) to (20)
    "1"sv, "2"sv, "3"sv, "4"sv, "5"sv, "6"sv, "7"sv, "8"sv, "9"sv, "10"sv, "11"sv, "12"sv, "13"sv, "14"sv, "15"sv,
    "16"sv, "17"sv, "18"sv, "19"sv, "20"sv,
    // 0xD9..0xE2 circled numbers 1 to 10, then two unassigned codes
    "1"sv, "2"sv, "3"sv, "4"sv, "5"sv, "6"sv, "7"sv, "8"sv, "9"sv, "10"sv, ""sv, ""sv,
    // 0xE5..0xEE parenthesised ideographic numbers one to ten, then two unassigned codes
    "1"sv, "2"sv, "3"sv, "4"sv, "5"sv, "6"sv, "7"sv, "8"sv, "9"sv, "10"sv, ""sv, ""sv,
    // 0xF1..0xFC capital Roman numerals I to XII, then two unassigned codes
    "1"sv, "2"sv, "3"sv, "4"sv, "5"sv, "6"sv, "7"sv, "8"sv, "9"sv, "10"sv, "11"sv, "12"sv, ""sv, ""sv};

// Row 0xA6: capitals at 0xA1..0xB8 and small letters at 0xC1..0xD8, both in alphabet order.
constexpr std::array<std::string_view, 24> kGreekLetters = {"A"sv, "B"sv, "G"sv, "D"sv, "E"sv,  "Z"sv,  "E"sv,  "TH"sv,
                                                            "I"sv, "K"sv, "L"sv, "M"sv, "N"sv,  "X"sv,  "O"sv,  "P"sv,
                                                            "R"sv, "S"sv, "T"sv, "U"sv, "PH"sv, "KH"sv, "PS"sv, "O"sv};

constexpr bool isAsciiAlnum(unsigned c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

constexpr char asciiUpper(unsigned c) {
    return static_cast<char>((c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c);
}

// Appends the output of one single byte (below 0x81, or a byte that starts no double-byte code).
void appendSingle(std::string& out, unsigned c) {
    if (isAsciiAlnum(c)) {
        out += asciiUpper(c);
    }
}

// Appends the output of one double-byte code: lead >= 0x81, trail >= 0x40.
void appendDouble(std::string& out, unsigned lead, unsigned trail) {
    switch (lead) {
    case 0xA2:
        if (trail >= 0xA1 && trail <= 0xFE) {
            out += kNumberedSigns[trail - 0xA1];
        }
        return;
    case 0xA3:
        // Full-width ASCII keeps its letter case.
        if (trail >= 0x80 && isAsciiAlnum(trail - 0x80)) {
            out += static_cast<char>(trail - 0x80);
        }
        return;
    case 0xA6:
        if (trail >= 0xA1 && trail <= 0xB8) {
            out += kGreekLetters[trail - 0xA1];
        } else if (trail >= 0xC1 && trail <= 0xD8) {
            out += kGreekLetters[trail - 0xC1];
        }
        return;
    default:
        if (!gbk::isSlot(lead, trail)) {
            return; // lead byte 0xFF or trail byte 0xFF
        }
        if (const std::uint16_t number = pinyin::kReadings[gbk::slotIndex(lead, trail)]; number != 0) {
            for (const char* letter = pinyin::kSyllables[number - 1]; *letter != '\0'; ++letter) {
                out += asciiUpper(static_cast<unsigned char>(*letter));
            }
        }
        return;
    }
}

void cut(std::string& out) {
    if (out.size() > kPinyinMaxLength) {
        out.resize(kPinyinMaxLength);
    }
}

} // namespace

std::string ChineseToPinyinGbk(std::string_view gbkBytes) {
    std::string out;
    std::size_t i = 0;
    // Output only grows, so the walk may stop once the cut is reached.
    while (i < gbkBytes.size() && out.size() < kPinyinMaxLength) {
        const auto c = static_cast<unsigned char>(gbkBytes[i]);
        const unsigned n = i + 1 < gbkBytes.size() ? static_cast<unsigned char>(gbkBytes[i + 1]) : 0;
        if (c >= 0x81 && n >= 0x40) {
            appendDouble(out, c, n);
            i += 2;
        } else {
            appendSingle(out, c);
            ++i;
        }
    }
    cut(out);
    return out;
}

std::string ChineseToPinyin(std::string_view text) {
    return ChineseToPinyin(text, gbk::detectEncoding(text));
}

std::string ChineseToPinyin(std::string_view text, gbk::TextEncoding encoding) {
    if (encoding == gbk::TextEncoding::Gbk) {
        return ChineseToPinyinGbk(text);
    }
    // Each character maps to one GBK code: ASCII stays a single byte, the rest become double-byte
    // codes whose trail byte is at least 0x40, so the GBK rules see exactly these codes.
    std::string out;
    gbk::Utf8Reader reader(text);
    char32_t codePoint = 0;
    while (out.size() < kPinyinMaxLength && reader.next(codePoint)) {
        if (codePoint < 0x80) {
            appendSingle(out, codePoint);
        } else if (const std::uint16_t code = gbk::codeOf(codePoint); code != 0) {
            appendDouble(out, code >> 8, code & 0xFF);
        }
    }
    cut(out);
    return out;
}

} // namespace cvt
