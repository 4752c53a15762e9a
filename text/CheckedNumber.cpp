#include "text/CheckedNumber.h"

namespace cvt {

namespace {

// The value of one digit in `base`, or base itself when the byte is not such a digit.
unsigned digitValue(char c, unsigned base) {
    unsigned value = base;
    if (c >= '0' && c <= '9') {
        value = static_cast<unsigned>(c - '0');
    } else if (c >= 'a' && c <= 'f') {
        value = static_cast<unsigned>(c - 'a' + 10);
    } else if (c >= 'A' && c <= 'F') {
        value = static_cast<unsigned>(c - 'A' + 10);
    }
    return value < base ? value : base;
}

} // namespace

DigitsResult parseDigits(std::string_view text, std::uint64_t max, unsigned base) {
    DigitsResult result;
    if (text.empty()) {
        return result;
    }
    bool tooLarge = false;
    std::uint64_t value = 0;
    for (const char c : text) {
        const unsigned digit = digitValue(c, base);
        if (digit == base) {
            return result;
        }
        // value * base + digit <= max, tested without computing anything that could pass max.
        if (!tooLarge && (digit > max || value > (max - digit) / base)) {
            tooLarge = true;
        }
        if (!tooLarge) {
            value = value * base + digit;
        }
    }
    result.status = tooLarge ? DigitsResult::Status::TooLarge : DigitsResult::Status::Ok;
    result.value = tooLarge ? 0 : value;
    return result;
}

SignedResult parseSignedDigits(std::string_view text, std::int64_t min, std::int64_t max, unsigned base) {
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    // The magnitude of min, written so that INT64_MIN does not overflow.
    const std::uint64_t limit = negative ? static_cast<std::uint64_t>(-(min + 1)) + 1 : static_cast<std::uint64_t>(max);
    const DigitsResult digits = parseDigits(text, limit, base);
    if (!digits.ok()) {
        return {};
    }
    if (!negative) {
        return {true, static_cast<std::int64_t>(digits.value)};
    }
    // -(value - 1) - 1 stays in range for the magnitude of INT64_MIN.
    return {true, digits.value == 0 ? 0 : -static_cast<std::int64_t>(digits.value - 1) - 1};
}

} // namespace cvt
