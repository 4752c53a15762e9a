#include "core/PinyinPhrases.h"

#include <algorithm>

namespace cvt::pinyin {

const PhraseEntry* longestPhrase(const std::uint16_t* codes, std::size_t count, std::size_t& length) {
    if (count < 2) {
        return nullptr;
    }
    const unsigned lead = codes[0] >> 8;
    const unsigned trail = codes[0] & 0xFF;
    if (!gbk::isSlot(lead, trail)) {
        return nullptr;
    }
    const std::size_t slot = gbk::slotIndex(lead, trail);
    const PhraseEntry* first = kPhrases + kPhraseFirst[slot];
    const PhraseEntry* last = kPhrases + kPhraseFirst[slot + 1];
    if (first == last) {
        return nullptr;
    }
    // A word runs over double-byte codes only: a single byte ends it.
    std::size_t run = 1;
    while (run < count && run < kPhraseMaxLength && codes[run] >= 0x100) {
        ++run;
    }
    const auto byRest = [](const PhraseEntry& entry, const std::array<std::uint16_t, kPhraseMaxLength - 1>& rest) {
        return entry.rest < rest;
    };
    for (std::size_t candidate = run; candidate >= 2; --candidate) {
        std::array<std::uint16_t, kPhraseMaxLength - 1> rest{};
        std::copy(codes + 1, codes + candidate, rest.begin());
        const PhraseEntry* found = std::lower_bound(first, last, rest, byRest);
        if (found != last && found->rest == rest) {
            length = candidate;
            return found;
        }
    }
    return nullptr;
}

} // namespace cvt::pinyin
