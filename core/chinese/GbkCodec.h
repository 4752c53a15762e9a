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

// What a text is read for. Chinese text is turned into pinyin: GBK bytes that also form two-byte
// UTF-8 characters (谢谢 in GBK reads as two Cyrillic letters) are read as the Chinese characters
// they give. Names are queried as they stand, so valid UTF-8 of Latin or Cyrillic letters stays.
enum class TextKind { ChineseText, Names };

// Weighs a text given in pieces that are split at ASCII bytes (lines, entries, arguments); the
// answer is the one the joined text would get. The text is UTF-8 when it is valid UTF-8 and either
// holds a character of three or four bytes (Chinese written in UTF-8 always does) or has a GBK form
// for every character. Text that is not valid UTF-8 is GBK; valid UTF-8 that fails both tests is
// GBK only when its bytes are well-formed GBK with assigned codes. Chinese text of two-byte UTF-8
// characters only, none a Greek letter (which the conversion transliterates), is GBK whenever its
// bytes are well-formed GBK: every such code is a Chinese character.
//
// A text that mixes both (a UTF-8 file with some lines saved as GBK: some pieces hold characters
// of three or four bytes, others are not valid UTF-8 or, in Chinese text, are GBK that also reads
// as two-byte UTF-8) is read piece by piece: see encodingOf.
class EncodingVote {
public:
    explicit EncodingVote(TextKind kind = TextKind::ChineseText) : m_kind(kind) {}
    void add(std::string_view piece);
    // The encoding of the whole text, as detectEncoding gives it for the joined pieces.
    TextEncoding result() const;
    // Whether the text mixes UTF-8 pieces with GBK ones.
    bool mixed() const { return m_gbkPieceCount > 0 && m_longUtf8Pieces > 0; }
    // The encoding to read one piece of the text in: result(), or for a mixed text GBK where the
    // piece looks like GBK and UTF-8 otherwise.
    TextEncoding encodingOf(std::string_view piece) const;
    // The pieces of a mixed text read as GBK (0 when the text is not mixed).
    std::size_t gbkPieces() const { return mixed() ? m_gbkPieceCount : 0; }

private:
    TextKind m_kind;
    std::size_t m_gbkPieceCount = 0;
    std::size_t m_longUtf8Pieces = 0;
    bool m_invalidUtf8 = false;
    bool m_longUtf8 = false;
    bool m_twoByteUtf8 = false;
    bool m_greek = false;
    bool m_allInGbk = true;
    bool m_wellFormedGbk = true;
};

TextEncoding detectEncoding(std::string_view wholeText);

// UTF-8 text as GBK bytes: ASCII stays, other characters become their double-byte code, characters
// that GBK lacks are dropped. Text that is not valid UTF-8 is returned unchanged.
std::string utf8ToGbk(std::string_view text);

// GBK bytes as UTF-8 text, appended to out. False (out then holds a part) when a byte from 0x80 up
// starts no double-byte code that GBK assigns.
bool gbkToUtf8(std::string_view bytes, std::string& out);

// A character appended to out in UTF-8.
void appendUtf8(std::string& out, char32_t codePoint);

} // namespace cvt::gbk
