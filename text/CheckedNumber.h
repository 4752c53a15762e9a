#pragma once

#include <cstdint>
#include <string_view>

// Numbers read from outside text (network replies, addresses, settings, typed fields). Every
// reader of such a number goes through parseDigits, which stops before a value could pass the
// caller's maximum, so no length of digits can wrap around.
namespace cvt {

struct DigitsResult {
    enum class Status {
        Ok,
        NotDigits, // empty, or a byte that is not a digit of the base
        TooLarge,  // only digits, but more than the maximum
    };
    Status status = Status::NotDigits;
    std::uint64_t value = 0; // meaningful only with Ok

    bool ok() const { return status == Status::Ok; }
};

// Text made only of digits of `base` (10, or 16 with letters in either case), nothing else: no
// sign, no blanks, no prefix. Leading zeros are allowed. A value above `max` is TooLarge; a text
// that holds any other byte is NotDigits, however long it is.
DigitsResult parseDigits(std::string_view text, std::uint64_t max, unsigned base = 10);

// An optional "+" or "-" followed by what parseDigits reads, within [min, max] (min <= 0 <= max).
// Empty when it is not such a text or lies outside the range.
struct SignedResult {
    bool ok = false;
    std::int64_t value = 0;
};
SignedResult parseSignedDigits(std::string_view text, std::int64_t min, std::int64_t max, unsigned base = 10);

} // namespace cvt
