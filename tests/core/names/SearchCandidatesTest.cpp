#include "core/names/SearchCandidates.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace cvt {
namespace {

std::vector<std::string> listed(const NameList& names) {
    return std::vector<std::string>(names.begin(), names.end());
}

// A label that claims to be an A-label is held to the rules of the name it stands for, so an unsound
// one is never asked as it stands; a sound one keeps the form it was written in.
TEST(SearchCandidates, ALabelsWrittenInASCIIAreCheckedAndKeptAsWritten) {
    const SearchCandidates candidates = SearchCandidates::prepare(
        SearchMode::Text, "",
        NameList::fromRange(std::vector<std::string>{"XN--FIQS8S", "ab--cd", "xn--zz", "xn--80ak6aa92e", "中国"}));
    EXPECT_EQ(listed(candidates.names), (std::vector<std::string>{"ab--cd", "XN--FIQS8S", "中国"}));
    EXPECT_EQ(listed(candidates.aLabels), (std::vector<std::string>{"", "xn--fiqs8s", "xn--fiqs8s"}))
        << "the A-labels follow their names through the sort";
    EXPECT_EQ(candidates.refused.count, 2u);
    EXPECT_EQ(candidates.refused.exampleList().rfind("xn--zz (", 0), 0u) << candidates.refused.exampleList();

    std::vector<std::string> streamed;
    RefusedNames refused;
    const std::size_t dropped = SearchCandidates::streamPattern(
        "[ax]n--zz", [&](std::string_view name) { streamed.emplace_back(name); }, &refused);
    EXPECT_EQ(streamed, (std::vector<std::string>{"an--zz"}));
    EXPECT_EQ(dropped, 1u);
    EXPECT_EQ(refused.count, 1u);
}

// The A-label forms are kept only when some name has one: a list of plain ASCII names holds no second
// list, one that has gives each name its A-label line for line, whatever the order the names came in.
TEST(SearchCandidates, KeepsALabelsOnlyForListsThatNeedThem) {
    struct Case {
        std::vector<std::string> words;
        std::vector<std::string> names;
        std::vector<std::string> aLabels;
    };
    const Case cases[] = {
        {{"zeta", "ab--cd", "Alpha"}, {"ab--cd", "Alpha", "zeta"}, {}},
        {{"zeta", "Bücher", "alpha", "中国"},
         {"alpha", "bücher", "zeta", "中国"},
         {"", "xn--bcher-kva", "", "xn--fiqs8s"}},
        {{"中国", "b", "a"}, {"a", "b", "中国"}, {"", "", "xn--fiqs8s"}},
    };
    for (const Case& c : cases) {
        const SearchCandidates candidates =
            SearchCandidates::prepare(SearchMode::Text, "", NameList::fromRange(c.words));
        EXPECT_EQ(listed(candidates.names), c.names);
        EXPECT_EQ(listed(candidates.aLabels), c.aLabels);
    }
}

} // namespace
} // namespace cvt
