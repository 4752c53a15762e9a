// The checked number reader against a reference that computes in 128 bits: same status, same
// value, for any text, maximum and base.
#include "fuzz/FuzzInput.h"
#include "text/CheckedNumber.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace {

using cvt::DigitsResult;

// 128-bit arithmetic, in which no value of the test can overflow.
__extension__ typedef unsigned __int128 Wide;
__extension__ typedef __int128 WideSigned;

DigitsResult reference(std::string_view text, std::uint64_t max, unsigned base) {
    if (text.empty()) {
        return {};
    }
    Wide value = 0;
    bool tooLarge = false;
    for (const char c : text) {
        unsigned digit = 99;
        if (c >= '0' && c <= '9') {
            digit = static_cast<unsigned>(c - '0');
        } else if (base == 16 && c >= 'a' && c <= 'f') {
            digit = static_cast<unsigned>(c - 'a' + 10);
        } else if (base == 16 && c >= 'A' && c <= 'F') {
            digit = static_cast<unsigned>(c - 'A' + 10);
        }
        if (digit >= base) {
            return {};
        }
        // Once past max the value only grows; stop adding before 128 bits could overflow too.
        if (!tooLarge) {
            value = value * base + digit;
            tooLarge = value > max;
        }
    }
    if (tooLarge) {
        return {DigitsResult::Status::TooLarge, 0};
    }
    return {DigitsResult::Status::Ok, static_cast<std::uint64_t>(value)};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using cvt::fuzz::require;
    // 8 bytes of maximum, one byte choosing the base, then the text.
    if (size < 9) {
        return 0;
    }
    std::uint64_t max = 0;
    std::memcpy(&max, data, sizeof max);
    // Small maxima matter as much as large ones: the low bits of the choice byte shift max down.
    const unsigned base = (data[8] & 1) != 0 ? 16 : 10;
    max >>= (data[8] >> 1) % 64;
    const std::string_view text(reinterpret_cast<const char*>(data) + 9, size - 9);

    const DigitsResult got = cvt::parseDigits(text, max, base);
    const DigitsResult want = reference(text, max, base);
    require(got.status == want.status);
    require(got.value == want.value);

    // The signed reader within [-max - 1, max] (in int64 terms) agrees with the unsigned one.
    const auto signedMax = static_cast<std::int64_t>(max >> 1);
    const cvt::SignedResult signedGot = cvt::parseSignedDigits(text, -signedMax - 1, signedMax, base);
    const bool negative = !text.empty() && text.front() == '-';
    const bool sign = !text.empty() && (text.front() == '-' || text.front() == '+');
    const DigitsResult magnitude =
        reference(sign ? text.substr(1) : text, static_cast<std::uint64_t>(signedMax) + (negative ? 1 : 0), base);
    require(signedGot.ok == magnitude.ok());
    if (signedGot.ok) {
        const auto expected =
            negative ? -static_cast<WideSigned>(magnitude.value) : static_cast<WideSigned>(magnitude.value);
        require(static_cast<WideSigned>(signedGot.value) == expected);
    }
    return 0;
}
