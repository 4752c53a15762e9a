#include "core/names/PatternExpansion.h"

#include "core/words/SortUnique.h"
#include "i18n/Messages.h"
#include "i18n/RefusalWording.h"
#include "text/TextUtil.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace cvt {
namespace {

using namespace std::string_literals;

// ---------------------------------------------------------------------------------------------
// A plain, literal rendering of the expansion: recursive combination with a full copy per level,
// the filter walking the list, the list written out as text and tokenised byte by byte into a
// sorted list that ignores case twins. Slow and memory-hungry on purpose; the fast path must give
// exactly the same names in the same order.

std::string literalTrim(const std::string& text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= 32) {
        ++begin;
    }
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 32) {
        --end;
    }
    return text.substr(begin, end - begin);
}

void literalCombine(const std::vector<TItem>& positions, std::size_t k, std::vector<std::string>& candidates) {
    const std::size_t last = positions.size() - 1;
    if (k < last) {
        literalCombine(positions, k + 1, candidates);
    }
    const std::vector<std::string> working = candidates;
    candidates.clear();
    for (const std::string& c : positions[k].Chars) {
        for (const std::string& e : working) {
            const std::string combined = c + e;
            if (literalTrim(combined).find(' ') == std::string::npos) {
                candidates.push_back(combined);
            }
        }
        if (k == last) {
            candidates.push_back(c);
        }
    }
}

std::vector<std::string> literalSortUnique(const std::string& text) {
    std::vector<std::string> sorted;
    std::size_t i = 0;
    const auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    for (;;) {
        while (i < text.size() && blank(text[i])) {
            ++i;
        }
        if (i == text.size()) {
            break;
        }
        std::string token;
        if (text[i] == '"') {
            ++i;
            bool closed = false;
            while (i < text.size()) {
                if (text[i] == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"') {
                        token += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                token += text[i++];
            }
            if (!closed) {
                while (!token.empty() && blank(token.back())) {
                    token.pop_back();
                }
            }
        } else {
            while (i < text.size() && !blank(text[i])) {
                token += text[i++];
            }
        }
        if (token.empty()) {
            continue;
        }
        const auto at =
            std::lower_bound(sorted.begin(), sorted.end(), token,
                             [](const std::string& a, const std::string& b) { return compareIgnoreCase(a, b) < 0; });
        if (at == sorted.end() || compareIgnoreCase(*at, token) != 0) {
            sorted.insert(at, token);
        }
    }
    return sorted;
}

std::vector<std::string> literalPrepare(const std::string& patternBoxText) {
    const std::vector<TItem> positions = ParsePattern(literalTrim(patternBoxText));
    std::vector<std::string> candidates;
    if (!positions.empty()) {
        literalCombine(positions, 0, candidates);
    }
    for (std::size_t i = 0; i < candidates.size();) {
        if (RejectCandidate(candidates[i], '-')) {
            candidates.erase(candidates.begin() + static_cast<std::ptrdiff_t>(i));
        } else {
            candidates[i] = literalTrim(candidates[i]);
            ++i;
        }
    }
    std::string text;
    for (const std::string& candidate : candidates) {
        text += candidate + "\r\n";
    }
    return literalSortUnique(text);
}

// ---------------------------------------------------------------------------------------------

std::vector<std::string> chars(const std::vector<TItem>& positions) {
    std::vector<std::string> result;
    for (const TItem& item : positions) {
        std::string joined;
        for (const std::string& one : item.Chars) {
            EXPECT_EQ(one.size(), 1U);
            joined += one;
        }
        result.push_back(joined);
    }
    return result;
}

std::vector<std::string> prepare(const std::string& pattern) {
    return PreparePatternCandidates(pattern).toVector();
}

struct ParseCase {
    std::string pattern;
    std::vector<std::string> positions;
};

TEST(ParsePatternTest, ReadsElementsAndSets) {
    const std::vector<ParseCase> cases = {
        {"[a-e]x", {"abcde", "x"}},
        {"[z-a]", {"z"}},
        {"[a-a]", {"a"}},
        {"[a-c-e]", {"abcde"}},
        {"[a-]", {"a"}},
        {"[-a]", {"-a"}},
        {"[aa]", {"aa"}},
        {"[]", {""}},
        {"a]b", {"a", "]", "b"}},
        {"[[a]b]", {"[a", "b", "]"}},
        {"[a[-c]", {"a[-c"}}, // "-" right behind an inner "[" is a member
        {"[a--d]", {"a./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`abcd"}}, // starts behind the second "-"
        {"[ a]b", {" a", "b"}},
        {"a b", {"a", " ", "b"}},
        {"[0-9A-C]", {"0123456789ABC"}},
        {"[\xfd-\xff]", {"\xfd\xfe\xff"}}, // bytes compare unsigned
        {"[\x7f-\x81]", {"\x7f\x80\x81"}},
        {"", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(chars(ParsePattern(c.pattern)), c.positions) << c.pattern;
    }
}

TEST(ParsePatternTest, ReadsOnlyTheFirstElementAndTwoHundredBytesBehindIt) {
    EXPECT_EQ(ParsePattern(std::string(250, 'a')).size(), 201U);
    // The first set may be long; the reading window starts behind it.
    const std::string longSet = "[" + std::string(300, 'b') + "]";
    const auto positions = ParsePattern(longSet + std::string(250, 'c'));
    ASSERT_EQ(positions.size(), 201U);
    EXPECT_EQ(positions[0].Chars.size(), 300U);
    // A "]" that falls behind the window leaves the "[" unclosed.
    EXPECT_THROW(ParsePattern("x" + std::string(198, 'a') + "[b]"), PatternError);
    EXPECT_EQ(ParsePattern("x" + std::string(197, 'a') + "[b]").size(), 199U);
}

TEST(RejectCandidateTest, TrimsAndLooksAtBothEnds) {
    struct Case {
        std::string text;
        bool rejected;
    };
    const std::vector<Case> cases = {{"", true},     {" \t", true},   {"-a", true}, {"a-", true},    {" -a ", true},
                                     {"a-b", false}, {" ab ", false}, {"-", true},  {"\0a"s, false}, {"a\x01", false}};
    for (const auto& c : cases) {
        EXPECT_EQ(RejectCandidate(c.text, '-'), c.rejected) << c.text;
    }
}

struct ExpandCase {
    std::string pattern;
    std::vector<std::string> names;
};

TEST(PreparePatternCandidatesTest, KnownPatterns) {
    std::vector<std::string> aToZPhone;
    for (char c = 'a'; c <= 'z'; ++c) {
        aToZPhone.push_back(std::string(1, c) + "phone");
    }
    const std::vector<ExpandCase> cases = {
        {"[a-z]phone", aToZPhone},
        {"  [a-z]phone\t\r\n", aToZPhone},
        {"[ab]x[12]", {"ax1", "ax2", "bx1", "bx2"}},
        {"[z-a]x", {"zx"}},
        {"[a-]x", {"ax"}},
        {"[-a]", {"a"}},
        {"x[a-c]-", {}},
        {"-a", {}},
        {"a-", {}},
        {"a-b", {"a-b"}},
        {"[aa]b", {"ab"}},
        {"[Aa]x", {"Ax"}},
        {"[aA]x", {"ax"}},
        {"[ba]X[yY]", {"aXy", "bXy"}},
        {"[ a]b", {"ab", "b"}},
        {"a b", {}},
        {"a]b", {"a]b"}},
        {"[[a]b]", {"[b]", "ab]"}},
        {"[]phone", {}},
        {"[a-c][]", {}},
        {std::string(250, 'a'), {std::string(201, 'a')}},
        // Bytes outside the typed set pass through as bytes.
        {"\xc3[\xa9\xa8]", {"\xc3\xa8", "\xc3\xa9"}},
        // A tab is no space: the combination survives and is then split into two names.
        {"a\tb", {"a", "b"}},
        // Quotes reach the tokenizer: "ab" loses its quotes.
        {"\"ab\"", {"ab"}},
        {"[a-c\"]", {"a", "b", "c"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(prepare(c.pattern), c.names) << c.pattern;
        EXPECT_EQ(literalPrepare(c.pattern), c.names) << "reference disagrees with the table: " << c.pattern;
    }
}

TEST(PreparePatternCandidatesTest, RefusesEmptyUnclosedAndOversizedPatterns) {
    struct Case {
        std::string pattern;
        SearchRefusal::Reason reason;
        std::string english;
    };
    using enum SearchRefusal::Reason;
    const std::vector<Case> cases = {
        {"", EmptyPattern, message(Msg::EmptyPattern, "en")},
        {" \t\r\n", EmptyPattern, message(Msg::EmptyPattern, "en")},
        {"ab[c", UnclosedBracket, message(Msg::UnclosedBracket, "en")},
        {"[", UnclosedBracket, message(Msg::UnclosedBracket, "en")},
        {"[abc", UnclosedBracket, message(Msg::UnclosedBracket, "en")},
        {"abc[", UnclosedBracket, message(Msg::UnclosedBracket, "en")},
        {"a]b[c", UnclosedBracket, message(Msg::UnclosedBracket, "en")},
        {"[a][", UnclosedBracket, message(Msg::UnclosedBracket, "en")},
        {"[a-z][a-z][a-z][a-z][a-z][a-z]", TooManyCombinations,
         "The pattern gives 308915776 names, more than the limit of 16777216. Please narrow it down."},
        {"[a-q][a-z][a-z][a-z][a-z][a-z]", TooManyCombinations,
         "The pattern gives 201983392 names, more than the limit of 16777216. Please narrow it down."},
    };
    for (const auto& c : cases) {
        std::vector<TItem> positions(1);
        try {
            PreparePatternCandidates(c.pattern, &positions);
            ADD_FAILURE() << c.pattern;
        } catch (const PatternError& error) {
            EXPECT_EQ(error.refusal().reason, c.reason) << c.pattern;
            EXPECT_EQ(refusalMessage(error.refusal(), "en"), c.english) << c.pattern;
            if (c.reason != EmptyPattern) {
                EXPECT_NE(refusalMessage(error.refusal(), "zh-cn"), c.english) << c.pattern;
            }
        }
        EXPECT_EQ(positions.size(), 1U) << "a refused pattern leaves the positions alone: " << c.pattern;
    }
}

TEST(PreparePatternCandidatesTest, ReportsHugeCountsExactly) {
    // 256 bytes at each of 201 positions: far beyond 64 bits, yet the message states the number.
    std::string pattern = "[\x01-\xff]";
    for (int i = 0; i < 40; ++i) {
        pattern += "[\x01-\xff]";
    }
    try {
        PreparePatternCandidates(pattern);
        FAIL();
    } catch (const PatternError& error) {
        EXPECT_EQ(error.combinations(), UINT64_MAX);
        const std::string text = refusalMessage(error.refusal(), "en");
        // 255^41 has 99 digits.
        const auto begin = text.find("gives ") + 6;
        const auto end = text.find(' ', begin);
        EXPECT_EQ(end - begin, 99U) << text;
        EXPECT_EQ(text.substr(begin, 6), "465744") << text; // 255^41 = 4.65744...e98
        EXPECT_NE(refusalMessage(error.refusal(), "zh-cn").find(text.substr(begin, end - begin)), std::string::npos);
    }
}

TEST(PreparePatternCandidatesTest, RefusesOneHugePastedSet) {
    // 100,000 ranges of 255 bytes in one set: refused by count without building millions of strings.
    std::string pattern = "[";
    for (int i = 0; i < 100000; ++i) {
        pattern += "\x01-\xff";
    }
    pattern += "]";
    try {
        PreparePatternCandidates(pattern);
        FAIL();
    } catch (const PatternError& error) {
        EXPECT_EQ(error.combinations(), 25500000U);
    }
    // An empty set elsewhere makes the count 0: accepted, and nothing comes out.
    EXPECT_TRUE(PreparePatternCandidates(pattern + "[]").empty());
}

TEST(PreparePatternCandidatesTest, TheBoundItselfIsAccepted) {
    // 16 * 16 * 16 * 16 * 16 * 16 = 16777216 combinations: exactly at the limit.
    std::vector<TItem> positions;
    EXPECT_EQ(CountCombinations(ParsePattern("[0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f]")), 16777216U);
    EXPECT_THROW(PreparePatternCandidates("[0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-g]"), PatternError);
    EXPECT_EQ(PreparePatternCandidates("[a-c]x", &positions).size(), 3U);
    EXPECT_EQ(chars(positions), (std::vector<std::string>{"abc", "x"}));
}

// Compares the fast expansion with the literal one on many generated patterns.
void compareWithReference(const std::string& alphabet, int patterns, unsigned seed) {
    std::mt19937 random(seed);
    int compared = 0;
    for (int n = 0; n < patterns; ++n) {
        const std::size_t length = 1 + random() % 12;
        std::string pattern;
        for (std::size_t i = 0; i < length; ++i) {
            pattern += alphabet[random() % alphabet.size()];
        }
        std::vector<TItem> positions;
        try {
            positions = ParsePattern(trim(pattern));
        } catch (const PatternError&) {
            EXPECT_THROW(PreparePatternCandidates(pattern), PatternError) << pattern;
            continue;
        }
        if (positions.empty() || CountCombinations(positions) > 20000) {
            continue;
        }
        const std::vector<std::string> expected = literalPrepare(pattern);
        ASSERT_EQ(prepare(pattern), expected) << "pattern: " << pattern;
        std::vector<std::string> streamed;
        StreamPatternCandidates(pattern, [&streamed](std::string_view name) { streamed.emplace_back(name); });
        ASSERT_EQ(streamed, expected) << "streamed, pattern: " << pattern;
        ++compared;
    }
    EXPECT_GT(compared, patterns / 4);
}

TEST(PreparePatternCandidatesTest, MatchesTheLiteralAlgorithmOnGeneratedPatterns) {
    compareWithReference("[[[]]]--aAbBcCzZ09", 4000, 1);             // typed patterns
    compareWithReference("[[]]--aAbB  \t\"\"\x01\xc3\xa9", 4000, 2); // blanks, quotes, high bytes
}

TEST(SortUniqueListTest, MatchesTheLiteralTokenizerOnRandomText) {
    std::mt19937 random(3);
    const std::string alphabet = "aAbBzZ\"\"\"  \t\r\n\0\x01\xe4"s;
    for (int n = 0; n < 3000; ++n) {
        std::string text;
        const std::size_t length = random() % 40;
        for (std::size_t i = 0; i < length; ++i) {
            text += alphabet[random() % alphabet.size()];
        }
        ASSERT_EQ(SortUniqueList(text).toVector(), literalSortUnique(text)) << text;
        // Handing the text over in slices changes nothing.
        SortUniqueBuilder builder;
        for (std::size_t i = 0; i < text.size(); i += 3) {
            builder.feed(std::string_view(text).substr(i, 3));
        }
        ASSERT_EQ(builder.finish().toVector(), literalSortUnique(text)) << text;
    }
}

} // namespace
} // namespace cvt
