#include "core/chinese/PinyinPhrases.h"

#include <algorithm>

namespace cvt::pinyin {

const PhraseEntry* longestPhrase(const std::uint16_t* codes, std::size_t count, std::size_t& length) {
    // A word runs over double-byte codes only: a single byte ends it.
    if (count < 2 || codes[1] < 0x100) {
        return nullptr;
    }
    const unsigned lead = codes[0] >> 8;
    const unsigned trail = codes[0] & 0xFF;
    if (!gbk::isSlot(lead, trail)) {
        return nullptr;
    }
    const std::size_t slot = gbk::slotIndex(lead, trail);
    const PhraseEntry* const last = kPhrases + kPhraseFirst[slot + 1];
    const std::uint64_t second = phraseKey(codes[1], 0, 0);
    // The words of this first character are sorted by key, the two-character word first among
    // those with the same second character: one search finds where the candidates start.
    const PhraseEntry* entry = std::lower_bound(kPhrases + kPhraseFirst[slot], last, second,
                                                [](const PhraseEntry& e, std::uint64_t key) { return e.rest < key; });
    const std::uint64_t third = count > 2 && codes[2] >= 0x100 ? phraseKey(codes[1], codes[2], 0) : 0;
    const std::uint64_t fourth =
        third != 0 && count > 3 && codes[3] >= 0x100 ? phraseKey(codes[1], codes[2], codes[3]) : 0;
    const PhraseEntry* found = nullptr;
    for (; entry != last && (entry->rest >> 32) == codes[1]; ++entry) {
        if (entry->rest == second) {
            found = entry;
            length = 2;
        } else if (third != 0 && entry->rest == third) {
            found = entry;
            length = 3;
        } else if (fourth != 0 && entry->rest == fourth) {
            length = 4;
            return entry;
        } else if (entry->rest > fourth && entry->rest > third) {
            break; // past every candidate
        }
    }
    return found;
}

} // namespace cvt::pinyin
