#pragma once

#include "core/chinese/GbkCodec.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace cvt {

// Longest result of the conversion; longer results are cut, even inside a syllable.
constexpr std::size_t kPinyinMaxLength = 255;

// Turns Chinese text into the letters and digits a domain name can carry: every Chinese character
// becomes its toneless pinyin syllable in upper case, without separators (梦境 gives MENGJING);
// ASCII letters and digits pass in upper case, full-width ones in their own case, numbered signs
// give their number and Greek letters their transliteration; everything else is dropped. The
// result is at most kPinyinMaxLength bytes. Never fails.
//
// The text is UTF-8 or GBK bytes (files written on Chinese Windows systems), told apart by
// gbk::detectEncoding. Characters that GBK lacks give nothing.
std::string ChineseToPinyin(std::string_view text);

// The same conversion when the encoding was decided for the whole text the piece comes from.
std::string ChineseToPinyin(std::string_view text, gbk::TextEncoding encoding);

// The same conversion on GBK bytes.
std::string ChineseToPinyinGbk(std::string_view gbkBytes);

// How Chinese characters are read.
enum class PinyinReading {
    // Each run of Chinese characters is split into the words of the word table (longest words
    // first, from the front and from the back; the split with fewer pieces, then fewer single
    // characters, wins). Words take their own reading (重庆 gives CHONGQING, 音乐 YINYUE), other
    // words and characters read as ByCharacter does, except the few characters whose everyday
    // reading needs a syllable of word reading (给 gives GEI).
    ByPhrase,
    // Each character gives its one fixed syllable (重庆 gives ZHONGQING): the conversion above.
    ByCharacter,
};

// The conversions above with a choice of reading; ByCharacter gives exactly their result.
std::string ChineseToPinyin(std::string_view text, PinyinReading reading);
// The conversion with a choice of reading, when the encoding was decided for the whole text.
std::string ChineseToPinyin(std::string_view text, gbk::TextEncoding encoding, PinyinReading reading);
std::string ChineseToPinyinGbk(std::string_view gbkBytes, PinyinReading reading);

namespace pinyin {

constexpr std::size_t kSyllableCount = 405;
constexpr std::size_t kSlotCount = gbk::kSlotCount;

// Generated tables. kReadings holds, for every GBK double-byte code (see gbk::slotIndex), 0 for no
// reading or the number n (1..405) of its syllable kSyllables[n - 1] in lower case.
extern const std::array<const char*, kSyllableCount> kSyllables;
extern const std::array<std::uint16_t, kSlotCount> kReadings;

// Word reading only: the syllables the table above lacks (fo, gei, lia, ...), numbered on from
// kSyllableCount + 1, and the characters whose everyday reading needs one of them (给 gei); those
// read so when no word takes them in.
constexpr std::size_t kWordSyllableCount = 16;
extern const std::array<const char*, kWordSyllableCount> kWordSyllables;

struct AloneReading {
    std::uint16_t code; // GBK double-byte code
    std::uint16_t syllable;
};
constexpr std::size_t kAloneReadingCount = 18;
extern const std::array<AloneReading, kAloneReadingCount> kAloneReadings;

} // namespace pinyin

} // namespace cvt
