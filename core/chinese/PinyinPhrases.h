#pragma once

#include "core/chinese/GbkCodec.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace cvt::pinyin {

// Longest word of the phrase table, in characters.
constexpr std::size_t kPhraseMaxLength = 4;

// The GBK codes of a word's characters after the first, packed into one number that sorts as the
// codes do: the second character in bits 32 to 47, the third in 16 to 31, the fourth in 0 to 15; 0
// where the word is shorter.
constexpr std::uint64_t phraseKey(std::uint16_t second, std::uint16_t third, std::uint16_t fourth) {
    return std::uint64_t{second} << 32 | std::uint64_t{third} << 16 | fourth;
}

// One word of the phrase table: the key of its characters after the first and the syllable numbers
// of its reading (see kSyllables; 0 where the word is shorter).
struct PhraseEntry {
    std::uint64_t rest;
    std::array<std::uint16_t, kPhraseMaxLength> syllables;
};

// Generated tables (tools/gen_pinyin_phrases.py): words of 2 to 4 characters whose reading differs
// from the reading of their characters, grouped by first character and sorted by rest within a
// group. The words starting with the character of slot s are kPhrases[kPhraseFirst[s]] up to
// kPhrases[kPhraseFirst[s + 1]].
extern const std::array<std::uint16_t, gbk::kSlotCount + 1> kPhraseFirst;
extern const PhraseEntry kPhrases[];

// The longest word of the table at the start of codes (count GBK codes, lead << 8 | trail; values
// below 0x100 stand for single bytes and end a word), or nullptr. length receives its characters.
const PhraseEntry* longestPhrase(const std::uint16_t* codes, std::size_t count, std::size_t& length);

} // namespace cvt::pinyin
