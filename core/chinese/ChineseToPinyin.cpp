#include "core/chinese/ChineseToPinyin.h"

#include "core/chinese/PinyinPhrases.h"

#include <algorithm>
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

// Appends syllable number in upper case: 1..405 of the character table, above that of word reading.
void appendSyllable(std::string& out, std::uint16_t number) {
    const char* letter = number <= pinyin::kSyllableCount ? pinyin::kSyllables[number - 1]
                                                          : pinyin::kWordSyllables[number - pinyin::kSyllableCount - 1];
    for (; *letter != '\0'; ++letter) {
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

// A unit that the character table reads: only such characters make up words.
bool hasReading(std::uint16_t unit) {
    const unsigned lead = unit >> 8;
    const unsigned trail = unit & 0xFF;
    return gbk::isSlot(lead, trail) && pinyin::kReadings[gbk::slotIndex(lead, trail)] != 0;
}

// A character that no word takes in: its reading when it stands alone, where word reading has one.
void appendAlone(std::string& out, std::uint16_t unit) {
    const auto end = pinyin::kAloneReadings.end();
    const auto found =
        std::lower_bound(pinyin::kAloneReadings.begin(), end, unit,
                         [](const pinyin::AloneReading& entry, std::uint16_t code) { return entry.code < code; });
    if (found != end && found->code == unit) {
        appendSyllable(out, found->syllable);
    } else {
        appendUnit(out, unit);
    }
}

// Runs longer than this are read in pieces of this many characters; each character gives at least
// one letter, so the first piece alone reaches the cut.
constexpr std::size_t kLongestRun = 1024;

// One piece of a run of characters: a word of the table (length 2 to 4) or a single character.
struct Segment {
    std::uint16_t length;
    std::uint16_t reading; // see pinyin::kWords
};

// A run of characters with the words that start at each of them (see pinyin::wordsAt).
struct Run {
    std::array<std::uint16_t, kLongestRun> codes;
    std::array<std::uint8_t, kLongestRun> words;
    std::array<std::array<std::uint16_t, pinyin::kPhraseMaxLength + 1>, kLongestRun> readings;
    std::size_t size = 0;
    std::array<Segment, kLongestRun> forward;
    std::array<Segment, kLongestRun> backward;
};

// Splits the run into words, the longest word at each step, walking forwards or backwards; returns
// the number of pieces, which fill the end of segments when walking backwards.
std::size_t splitRun(const Run& run, bool backward, std::array<Segment, kLongestRun>& segments) {
    std::size_t done = 0;
    std::size_t pieces = 0;
    while (done < run.size) {
        Segment segment{1, 0};
        for (std::size_t length = std::min(run.size - done, pinyin::kPhraseMaxLength); length >= 2; --length) {
            const std::size_t start = backward ? run.size - done - length : done;
            if (run.words[start] & (1u << length)) {
                segment = {static_cast<std::uint16_t>(length), run.readings[start][length]};
                break;
            }
        }
        ++pieces;
        segments[backward ? kLongestRun - pieces : pieces - 1] = segment;
        done += segment.length;
    }
    return pieces;
}

std::size_t singles(const Segment* first, std::size_t count) {
    return static_cast<std::size_t>(
        std::count_if(first, first + count, [](const Segment& s) { return s.length == 1; }));
}

// Reads a run of characters word by word. The run is split both ways; the split with fewer pieces
// wins, then the one with fewer single characters, then the forward one.
void appendRun(std::string& out, Run& run) {
    for (std::size_t i = 0; i < run.size; ++i) {
        run.words[i] = static_cast<std::uint8_t>(pinyin::wordsAt(&run.codes[i], run.size - i, run.readings[i]));
    }
    const std::size_t forwardCount = splitRun(run, false, run.forward);
    const std::size_t backwardCount = splitRun(run, true, run.backward);
    const Segment* const backwardFirst = run.backward.data() + kLongestRun - backwardCount;
    const bool takeBackward = backwardCount < forwardCount ||
                              (backwardCount == forwardCount &&
                               singles(backwardFirst, backwardCount) < singles(run.forward.data(), forwardCount));
    const Segment* segment = takeBackward ? backwardFirst : run.forward.data();
    const Segment* const end = segment + (takeBackward ? backwardCount : forwardCount);
    std::size_t position = 0;
    for (; segment != end; ++segment) {
        if (segment->length == 1) {
            appendAlone(out, run.codes[position]);
        } else if (segment->reading != 0) {
            for (const std::uint16_t syllable : pinyin::kPhraseReadings[segment->reading - 1]) {
                if (syllable != 0) {
                    appendSyllable(out, syllable);
                }
            }
        } else {
            for (std::size_t i = 0; i < segment->length; ++i) {
                appendUnit(out, run.codes[position + i]);
            }
        }
        position += segment->length;
    }
}

// Word reading: runs of characters are split into words; everything else reads as by character.
template <class Units>
std::string convertByPhrase(Units units) {
    std::string out;
    // About 25 KB: kept per thread rather than on the stack or allocated per call.
    thread_local Run run;
    std::uint16_t unit = 0;
    bool more = units.next(unit);
    while (more && out.size() < kPinyinMaxLength) {
        if (!hasReading(unit)) {
            appendUnit(out, unit);
            more = units.next(unit);
            continue;
        }
        run.size = 0;
        while (more && hasReading(unit) && run.size < kLongestRun) {
            run.codes[run.size++] = unit;
            more = units.next(unit);
        }
        appendRun(out, run);
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
