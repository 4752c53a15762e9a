#include "core/words/SortUnique.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace cvt {
namespace {

using namespace std::string_literals;

struct Case {
    std::string text;
    std::vector<std::string> tokens;
};

TEST(SortUniqueTest, SplitsSortsAndKeepsTheFirstCaseForm) {
    const std::vector<Case> cases = {
        {"", {}},
        {" \r\n\t ", {}},
        {"b\r\na\r\nc\r\n", {"a", "b", "c"}},
        {"Able\r\nable\r\nABLE", {"Able"}},
        {"able Able", {"able"}},
        {"two words\tand\x01more", {"and", "more", "two", "words"}},
        // The byte 0 separates like a blank.
        {"a\0b"s, {"a", "b"}},
        {"\0\0x\0"s, {"x"}},
        // Quoted tokens keep their blanks, lose their quotes; "" inside stands for one quote.
        {"\"new york\" boston", {"boston", "new york"}},
        {"\"say \"\"hi\"\"\"", {"say \"hi\""}},
        {"\"a\r\nb\"", {"a\r\nb"}},
        {"\"ab\"cd", {"ab", "cd"}},
        {"ab\"cd\"", {"ab\"cd\""}},
        {"\"\" x", {"x"}},
        // An unclosed quote takes the rest of the text, without the final line break.
        {"z \"open end\r\nmore\r\n", {"open end\r\nmore", "z"}},
        {"\"   ", {}},
        // Bytes above 127 are ordinary bytes and sort after the ASCII ones.
        {"\xe4\xb8\xad b A", {"A", "b", "\xe4\xb8\xad"}},
        // Case folding is ASCII only: "_" (0x5F) sorts before the letters, "[" after "Z" folds.
        {"b _ a [", {"[", "_", "a", "b"}},
        {"a- a a0", {"a", "a-", "a0"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SortUniqueList(c.text).toVector(), c.tokens) << c.text;
        std::string joined;
        for (const auto& token : c.tokens) {
            joined += token + "\r\n";
        }
        EXPECT_EQ(SortUnique(c.text), joined) << c.text;
    }
}

TEST(SortUniqueTest, LargeUnsortedListKeepsFirstOfEachCaseClass) {
    std::string text;
    for (int i = 999; i >= 0; --i) {
        text += "Name" + std::to_string(i) + "\r\n";
        text += "name" + std::to_string(i) + "\r\n";
    }
    const NameList tokens = SortUniqueList(text);
    ASSERT_EQ(tokens.size(), 1000U);
    for (const std::string_view token : tokens) {
        EXPECT_EQ(token.substr(0, 4), "Name");
    }
    EXPECT_TRUE(tokens.isSortedIgnoreCase());
}

} // namespace
} // namespace cvt
