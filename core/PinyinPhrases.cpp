#include "core/PinyinPhrases.h"

#include <algorithm>

namespace cvt::pinyin {

bool findWord(const std::uint16_t* codes, std::size_t length, std::uint16_t& reading) {
    const unsigned lead = codes[0] >> 8;
    const unsigned trail = codes[0] & 0xFF;
    if (length < 2 || length > kPhraseMaxLength || !gbk::isSlot(lead, trail)) {
        return false;
    }
    std::array<std::uint16_t, kPhraseMaxLength - 1> rest{};
    std::copy(codes + 1, codes + length, rest.begin());
    const std::uint64_t key = phraseKey(rest[0], rest[1], rest[2]);
    const std::size_t slot = gbk::slotIndex(lead, trail);
    const std::uint64_t* const last = kWords + kWordFirst[slot + 1];
    const std::uint64_t* const found =
        std::lower_bound(kWords + kWordFirst[slot], last, key,
                         [](std::uint64_t word, std::uint64_t k) { return (word & kPhraseKeyMask) < k; });
    if (found == last || (*found & kPhraseKeyMask) != key) {
        return false;
    }
    reading = static_cast<std::uint16_t>(*found >> kReadingShift);
    return true;
}

} // namespace cvt::pinyin
