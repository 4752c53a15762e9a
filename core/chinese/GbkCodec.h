#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace cvt::gbk {

// GBK double-byte codes: lead byte 0x81..0xFE, trail byte 0x40..0xFE (0x7F is never used but keeps
// its slot), 126 x 191 slots.
constexpr unsigned kLeadFirst = 0x81;
constexpr unsigned kLeadLast = 0xFE;
constexpr unsigned kTrailFirst = 0x40;
constexpr unsigned kTrailLast = 0xFE;
constexpr std::size_t kTrailsPerLead = kTrailLast - kTrailFirst + 1;
constexpr std::size_t kSlotCount = (kLeadLast - kLeadFirst + 1) * kTrailsPerLead;

constexpr bool isSlot(unsigned lead, unsigned trail) {
    return lead >= kLeadFirst && lead <= kLeadLast && trail >= kTrailFirst && trail <= kTrailLast;
}

// Position of a double-byte code in the per-code tables; the code must pass isSlot().
constexpr std::size_t slotIndex(unsigned lead, unsigned trail) {
    return (lead - kLeadFirst) * kTrailsPerLead + (trail - kTrailFirst);
}

// Generated table: for every slot the difference between its code point and the code point of the
// previous assigned slot, or 0 when GBK leaves the code unassigned.
extern const std::array<std::int32_t, kSlotCount> kCodePointDeltas;

// The Unicode character of a double-byte code (lead << 8 | trail), 0 when GBK has none.
char32_t codePointOf(std::uint16_t code);

// The double-byte code of a character, 0 when GBK has none. ASCII characters are single bytes in
// GBK and have no double-byte code either.
std::uint16_t codeOf(char32_t codePoint);

// Walks UTF-8 text one character at a time. Decoding is strict: overlong forms, surrogates and
// values above U+10FFFF are invalid.
class Utf8Reader {
public:
    explicit Utf8Reader(std::string_view text) : m_text(text) {}

    bool atEnd() const { return m_position >= m_text.size(); }
    // Reads the next character; false at the end or on an invalid sequence (the position then stays).
    bool next(char32_t& codePoint);

private:
    std::string_view m_text;
    std::size_t m_position = 0;
};

bool isValidUtf8(std::string_view text);

// How a whole text is read: its memo, its file, its argument list or its standard input, never line
// by line (a short GBK phrase such as 学习 is also valid UTF-8; the rest of the text decides).
enum class TextEncoding { Utf8, Gbk };

// Weighs a text given in pieces that are split at ASCII bytes (lines, entries, arguments); the
// answer is the one the joined text would get. The text is UTF-8 when it is valid UTF-8 and either
// holds a character of three or four bytes (Chinese written in UTF-8 always does) or has a GBK form
// for every character. Text that is not valid UTF-8 is GBK; valid UTF-8 that fails both tests is
// GBK only when its bytes are well-formed GBK with assigned codes.
class EncodingVote {
public:
    void add(std::string_view piece);
    TextEncoding result() const;

private:
    bool m_validUtf8 = true;
    bool m_longUtf8 = false;
    bool m_allInGbk = true;
    bool m_wellFormedGbk = true;
};

TextEncoding detectEncoding(std::string_view wholeText);

// UTF-8 text as GBK bytes: ASCII stays, other characters become their double-byte code, characters
// that GBK lacks are dropped. Text that is not valid UTF-8 is returned unchanged.
std::string utf8ToGbk(std::string_view text);

} // namespace cvt::gbk
