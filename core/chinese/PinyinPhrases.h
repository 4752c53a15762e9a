#pragma once

#include "core/chinese/GbkCodec.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace cvt::pinyin {

// Longest word of the word table, in characters.
constexpr std::size_t kPhraseMaxLength = 4;

// The GBK codes of a word's characters after the first, packed into one number that sorts as the
// codes do: the second character in bits 32 to 47, the third in 16 to 31, the fourth in 0 to 15; 0
// where the word is shorter.
constexpr std::uint64_t phraseKey(std::uint16_t second, std::uint16_t third, std::uint16_t fourth) {
    return std::uint64_t{second} << 32 | std::uint64_t{third} << 16 | fourth;
}
constexpr std::uint64_t kPhraseKeyMask = (std::uint64_t{1} << 48) - 1;
constexpr unsigned kReadingShift = 48;

// Generated tables (tools/gen_pinyin_phrases.py). kWords holds every word of 2 to 4 characters of
// the dictionary source, grouped by first character and sorted by key within a group: the words
// starting with the character of slot s are kWords[kWordFirst[s]] up to kWords[kWordFirst[s + 1]].
// Each value is the word's phraseKey, with the number n of its reading in the bits from
// kReadingShift: 0 for a word that reads as its characters, else kPhraseReadings[n - 1], the
// syllable numbers of its reading (see kSyllables and kWordSyllables; 0 where the word is shorter).
extern const std::array<std::uint32_t, gbk::kSlotCount + 1> kWordFirst;
extern const std::uint64_t kWords[];
extern const std::array<std::uint16_t, kPhraseMaxLength> kPhraseReadings[];

// The words of the table that start at codes (count GBK codes, lead << 8 | trail; values below 0x100
// stand for single bytes and end a word): bit n of the result is set when the first n codes spell a
// word (n from 2 to kPhraseMaxLength), and readings[n] receives its reading number (0: it reads as
// its characters).
unsigned wordsAt(const std::uint16_t* codes, std::size_t count,
                 std::array<std::uint16_t, kPhraseMaxLength + 1>& readings);

} // namespace cvt::pinyin
