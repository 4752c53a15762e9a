#include "core/query/ResultMarks.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace cvt {
namespace {

TEST(QueryClassifyTest, ReplyGivesTheMarkInTheStatedOrder) {
    struct Case {
        const char* what;
        std::string reply;
        std::string mark;
        std::string refusal;
        std::string_view expected;
    };
    const std::vector<Case> cases = {
        {"no-match mark present", "No match for \"AX.COM\".\r\n", "No match for", "", kMarkFree},
        {"no-match mark absent", "Domain Name: AX.COM\r\n", "No match for", "", kMarkRegistered},
        {"empty reply: no answer at all", "", "No match for", "", kMarkFailed},
        {"failed exchange", std::string(kFailedExchangeReply), "No match for", "", kMarkFailed},
        {"Error WSA wins over the mark", "No match for x Error WSA", "No match for", "", kMarkFailed},
        {"Error WSA anywhere", "abcError WSAxyz", "zzz", "", kMarkFailed},
        {"error wsa in other letter case is an answer", "error wsa", "No match for", "", kMarkRegistered},
        {"mark compared with letter case", "NO MATCH FOR AX.COM", "No match for", "", kMarkRegistered},
        {"empty mark never matches", "anything", "", "", kMarkRegistered},
        {"empty mark, empty reply", "", "", "", kMarkFailed},
        {"refusal is a failure", "WHOIS LIMIT EXCEEDED - see terms", "Domain not found.", "WHOIS LIMIT EXCEEDED",
         kMarkFailed},
        {"refusal wins over the mark", "Domain not found.\nWHOIS LIMIT EXCEEDED", "Domain not found.",
         "WHOIS LIMIT EXCEEDED", kMarkFailed},
        {"refusal absent", "Domain not found.", "Domain not found.", "WHOIS LIMIT EXCEEDED", kMarkFree},
        {"empty refusal never matches", "Domain not found.", "Domain not found.", "", kMarkFree},
        {"a quota phrase is a refusal for an entry without refusal text", "Error: Query rate LIMIT exceeded",
         "No match for", "", kMarkFailed},
        {"... but not beside the no-match mark", "No match for x\nplease slow down", "No match for", "", kMarkFree},
        {"terms of use are no refusal", "Registered.\nExcessive querying is prohibited.", "No match", "",
         kMarkRegistered},
        {"the entry's own refusal text rules", "limit exceeded", "No match", "BLOCKED", kMarkRegistered},
        {"bytes above 127 compared as bytes", "\xA1\xEE free", "\xA1\xEE", "", kMarkFree},
        {"embedded zero byte", std::string("a\0No match", 10), "No match", "", kMarkFree},
        // Chinese marks are written in UTF-8; the registries answer in UTF-8 or in GBK.
        {"Chinese mark in a UTF-8 reply", "没有匹配的记录。\r\n", "没有匹配", "", kMarkFree},
        {"Chinese mark in a GBK reply", "\xC3\xBB\xD3\xD0\xC6\xA5\xC5\xE4\r\n", "没有匹配", "", kMarkFree},
        {"GBK reply without the mark", "\xD3\xF2\xC3\xFB\r\n", "没有匹配", "", kMarkRegistered},
        {"a mark GBK cannot hold only matches in UTF-8", "\xC3\xBB", "没\U0001F600", "", kMarkRegistered},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(classifyReply(c.reply, c.mark, c.refusal), c.expected) << c.what;
    }
}

TEST(QueryClassifyTest, RefusalNamesItsLine) {
    const CellOutcome quota =
        judgeReply("% Note\r\n%  Queried interval is too short. \r\n", ServerEntry{"com", "h", "No match", "", true});
    EXPECT_TRUE(quota.refused);
    EXPECT_EQ(quota.details, "refused: %  Queried interval is too short.");
    const CellOutcome own =
        judgeReply("x WHOIS LIMIT EXCEEDED y", ServerEntry{"com", "h", "No match", "WHOIS LIMIT EXCEEDED", true});
    EXPECT_EQ(own.details, "refused: WHOIS LIMIT EXCEEDED");
    EXPECT_FALSE(judgeReply("No match", ServerEntry{"com", "h", "No match", "", true}).refused);
}

TEST(QueryClassifyTest, OnlyFailedAndEmptyCellsAreAskedAgain) {
    const std::vector<std::pair<std::string_view, bool>> cases = {
        {kMarkFailed, true}, {kMarkNotAsked, true}, {kMarkFree, false}, {kMarkRegistered, false}, {"--", false}};
    for (const auto& [mark, expected] : cases) {
        EXPECT_EQ(needsRequery(mark), expected) << mark;
    }
}

} // namespace
} // namespace cvt
