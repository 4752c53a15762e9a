#include "text/CheckedNumber.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <string>

namespace cvt {
namespace {

using Status = DigitsResult::Status;
constexpr auto kU64Max = std::numeric_limits<std::uint64_t>::max();
constexpr auto kI64Min = std::numeric_limits<std::int64_t>::min();
constexpr auto kI64Max = std::numeric_limits<std::int64_t>::max();

TEST(CheckedNumber, DigitsAgainstTheMaximum) {
    struct Case {
        std::string text;
        std::uint64_t max;
        unsigned base;
        Status status;
        std::uint64_t value;
    };
    // clang-format off
    const Case cases[] = {
        {"0", 0, 10, Status::Ok, 0},
        {"65535", 65535, 10, Status::Ok, 65535},
        {"65536", 65535, 10, Status::TooLarge, 0},
        {"0000000000000000000000000080", 65535, 10, Status::Ok, 80},
        {"9", 5, 10, Status::TooLarge, 0},
        // Values that wrapped around to small numbers when the test came after the multiplication.
        {"18446744073709551615", kU64Max, 10, Status::Ok, kU64Max},
        {"18446744073709551616", kU64Max, 10, Status::TooLarge, 0},
        {"18446744073709551816", kU64Max, 10, Status::TooLarge, 0},
        {"18446744073709551621", 1u << 20, 10, Status::TooLarge, 0},
        {"99999999999", 65535, 10, Status::TooLarge, 0},
        {"ffffffffffffffff", kU64Max, 16, Status::Ok, kU64Max},
        {"10000000000000000", kU64Max, 16, Status::TooLarge, 0},
        {"aF", 255, 16, Status::Ok, 175},
        {"", 10, 10, Status::NotDigits, 0},
        {"+1", 10, 10, Status::NotDigits, 0},
        {"-1", 10, 10, Status::NotDigits, 0},
        {" 1", 10, 10, Status::NotDigits, 0},
        {"1 ", 10, 10, Status::NotDigits, 0},
        {"a", 99, 10, Status::NotDigits, 0},
        {"0x1", 99, 16, Status::NotDigits, 0},
        {"g", 99, 16, Status::NotDigits, 0},
        // A byte that is no digit counts for more than the size of the number.
        {"99999999999999999999999x", kU64Max, 10, Status::NotDigits, 0},
        {std::string("1\0", 2), 99, 10, Status::NotDigits, 0},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text + " base " + std::to_string(c.base) + " max " + std::to_string(c.max));
        const DigitsResult result = parseDigits(c.text, c.max, c.base);
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.value, c.value);
    }
}

TEST(CheckedNumber, SignedRanges) {
    struct Case {
        const char* text;
        std::int64_t min;
        std::int64_t max;
        bool ok;
        std::int64_t value;
    };
    constexpr std::int64_t i32Min = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t i32Max = std::numeric_limits<std::int32_t>::max();
    // clang-format off
    const Case cases[] = {
        {"2147483647", i32Min, i32Max, true, i32Max}, {"2147483648", i32Min, i32Max, false, 0},
        {"-2147483648", i32Min, i32Max, true, i32Min}, {"-2147483649", i32Min, i32Max, false, 0},
        {"+7", i32Min, i32Max, true, 7}, {"-0", i32Min, i32Max, true, 0},
        {"-9223372036854775808", kI64Min, kI64Max, true, kI64Min},
        {"9223372036854775807", kI64Min, kI64Max, true, kI64Max},
        {"-9223372036854775809", kI64Min, kI64Max, false, 0},
        {"-1", 0, 10, false, 0}, {"+-1", i32Min, i32Max, false, 0}, {"-", i32Min, i32Max, false, 0},
        {"", i32Min, i32Max, false, 0},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const SignedResult result = parseSignedDigits(c.text, c.min, c.max);
        EXPECT_EQ(result.ok, c.ok);
        EXPECT_EQ(result.value, c.value);
    }
}

} // namespace
} // namespace cvt
