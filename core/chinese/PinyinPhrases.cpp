#include "core/chinese/PinyinPhrases.h"

#include <algorithm>

namespace cvt::pinyin {

unsigned wordsAt(const std::uint16_t* codes, std::size_t count,
                 std::array<std::uint16_t, kPhraseMaxLength + 1>& readings) {
    // A word runs over double-byte codes only: a single byte ends it.
    if (count < 2 || codes[1] < 0x100) {
        return 0;
    }
    const unsigned lead = codes[0] >> 8;
    const unsigned trail = codes[0] & 0xFF;
    if (!gbk::isSlot(lead, trail)) {
        return 0;
    }
    const std::size_t slot = gbk::slotIndex(lead, trail);
    const std::uint64_t* entry = kWords + kWordFirst[slot];
    const std::uint64_t* const last = kWords + kWordFirst[slot + 1];
    if (entry == last) {
        return 0;
    }
    // The keys of the two-, three- and four-character words the codes could spell (0: too short).
    std::array<std::uint64_t, kPhraseMaxLength + 1> keys{};
    keys[2] = phraseKey(codes[1], 0, 0);
    keys[3] = count > 2 && codes[2] >= 0x100 ? phraseKey(codes[1], codes[2], 0) : 0;
    keys[4] = keys[3] != 0 && count > 3 && codes[3] >= 0x100 ? phraseKey(codes[1], codes[2], codes[3]) : 0;
    const std::uint64_t highest = std::max({keys[2], keys[3], keys[4]});
    // The group is sorted by key, the two-character word first among those with the same second
    // character: one search finds where the candidates start.
    entry = std::lower_bound(entry, last, keys[2],
                             [](std::uint64_t word, std::uint64_t key) { return (word & kPhraseKeyMask) < key; });
    unsigned found = 0;
    for (; entry != last && (*entry & kPhraseKeyMask) <= highest; ++entry) {
        const std::uint64_t key = *entry & kPhraseKeyMask;
        for (std::size_t length = 2; length <= kPhraseMaxLength; ++length) {
            if (keys[length] == key) {
                found |= 1u << length;
                readings[length] = static_cast<std::uint16_t>(*entry >> kReadingShift);
            }
        }
    }
    return found;
}

} // namespace cvt::pinyin
