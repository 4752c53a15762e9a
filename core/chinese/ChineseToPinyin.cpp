#include "core/chinese/ChineseToPinyin.h"

#include "core/chinese/PinyinPhrases.h"

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

// Appends syllable number (1..405) in upper case.
void appendSyllable(std::string& out, std::uint16_t number) {
    for (const char* letter = pinyin::kSyllables[number - 1]; *letter != '\0'; ++letter) {
        out += asciiUpper(static_cast<unsigned char>(*letter));
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
            appendSyllable(out, number);
        }
        return;
    }
}

void cut(std::string& out) {
    if (out.size() > kPinyinMaxLength) {
        out.resize(kPinyinMaxLength);
    }
}

// A single byte (below 0x100) or a double-byte code (lead << 8 | trail).
void appendUnit(std::string& out, std::uint16_t unit) {
    if (unit >= 0x100) {
        appendDouble(out, unit >> 8, unit & 0xFF);
    } else {
        appendSingle(out, unit);
    }
}

// GBK bytes as the by-character walk splits them into single bytes and double-byte codes.
class GbkUnits {
public:
    explicit GbkUnits(std::string_view bytes) : m_bytes(bytes) {}
    bool next(std::uint16_t& unit) {
        if (m_position >= m_bytes.size()) {
            return false;
        }
        const auto c = static_cast<unsigned char>(m_bytes[m_position]);
        const unsigned n = m_position + 1 < m_bytes.size() ? static_cast<unsigned char>(m_bytes[m_position + 1]) : 0;
        if (c >= 0x81 && n >= 0x40) {
            unit = static_cast<std::uint16_t>(c << 8 | n);
            m_position += 2;
        } else {
            unit = c;
            ++m_position;
        }
        return true;
    }

private:
    std::string_view m_bytes;
    std::size_t m_position = 0;
};

// UTF-8 text as the same units: ASCII as single bytes, other characters as their GBK code. A
// character GBK lacks gives a single byte 0x80, which reads as nothing and ends a word.
class Utf8Units {
public:
    explicit Utf8Units(std::string_view text) : m_reader(text) {}
    bool next(std::uint16_t& unit) {
        char32_t codePoint = 0;
        if (!m_reader.next(codePoint)) {
            return false;
        }
        if (codePoint < 0x80) {
            unit = static_cast<std::uint16_t>(codePoint);
        } else if (const std::uint16_t code = gbk::codeOf(codePoint); code != 0) {
            unit = code;
        } else {
            unit = 0x80;
        }
        return true;
    }

private:
    gbk::Utf8Reader m_reader;
};

// Forward maximum matching over the phrase table, looking at most a word's length ahead.
template <class Units>
std::string convertByPhrase(Units units) {
    std::string out;
    std::array<std::uint16_t, pinyin::kPhraseMaxLength> window{};
    std::size_t count = 0;
    while (count < window.size() && units.next(window[count])) {
        ++count;
    }
    while (count > 0 && out.size() < kPinyinMaxLength) {
        std::size_t used = 1;
        if (const pinyin::PhraseEntry* phrase = pinyin::longestPhrase(window.data(), count, used)) {
            for (std::size_t i = 0; i < used; ++i) {
                appendSyllable(out, phrase->syllables[i]);
            }
        } else {
            appendUnit(out, window[0]);
        }
        std::copy(window.begin() + static_cast<std::ptrdiff_t>(used),
                  window.begin() + static_cast<std::ptrdiff_t>(count), window.begin());
        count -= used;
        while (count < window.size() && units.next(window[count])) {
            ++count;
        }
    }
    cut(out);
    return out;
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

std::string ChineseToPinyinGbk(std::string_view gbkBytes, PinyinReading reading) {
    if (reading == PinyinReading::ByCharacter) {
        return ChineseToPinyinGbk(gbkBytes);
    }
    return convertByPhrase(GbkUnits(gbkBytes));
}

std::string ChineseToPinyin(std::string_view text, PinyinReading reading) {
    return ChineseToPinyin(text, gbk::detectEncoding(text), reading);
}

std::string ChineseToPinyin(std::string_view text, gbk::TextEncoding encoding, PinyinReading reading) {
    if (reading == PinyinReading::ByCharacter) {
        return ChineseToPinyin(text, encoding);
    }
    if (encoding == gbk::TextEncoding::Gbk) {
        return convertByPhrase(GbkUnits(text));
    }
    return convertByPhrase(Utf8Units(text));
}

} // namespace cvt
