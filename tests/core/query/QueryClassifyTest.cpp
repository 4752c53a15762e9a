#include "core/query/ResultMarks.h"
#include "core/query/WhoisCellLookup.h"
#include "tests/support/MarkGlyphs.h"
#include "tests/support/QueryFakes.h"

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
        Mark expected;
    };
    const std::vector<Case> cases = {
        {"no-match mark present", "No match for \"AX.COM\".\r\n", "No match for", "", Mark::Free},
        {"no-match mark absent", "Domain Name: AX.COM\r\n", "No match for", "", Mark::Registered},
        {"empty reply: no answer at all", "", "No match for", "", Mark::Failed},
        {"line ends and blanks alone: no answer either", "\r\n \t\r\n", "No match for", "", Mark::Failed},
        {"failed exchange", std::string(kFailedExchangeReply), "No match for", "", Mark::Failed},
        {"Error WSA wins over the mark", "No match for x Error WSA", "No match for", "", Mark::Failed},
        {"Error WSA anywhere", "abcError WSAxyz", "zzz", "", Mark::Failed},
        {"error wsa in other letter case is an answer", "error wsa", "No match for", "", Mark::Registered},
        {"mark compared with letter case", "NO MATCH FOR AX.COM", "No match for", "", Mark::Registered},
        {"empty mark never matches", "anything", "", "", Mark::Registered},
        {"empty mark, empty reply", "", "", "", Mark::Failed},
        {"refusal is a failure", "WHOIS LIMIT EXCEEDED - see terms", "Domain not found.", "WHOIS LIMIT EXCEEDED",
         Mark::Failed},
        {"refusal wins over the mark", "Domain not found.\nWHOIS LIMIT EXCEEDED", "Domain not found.",
         "WHOIS LIMIT EXCEEDED", Mark::Failed},
        {"refusal absent", "Domain not found.", "Domain not found.", "WHOIS LIMIT EXCEEDED", Mark::Free},
        {"empty refusal never matches", "Domain not found.", "Domain not found.", "", Mark::Free},
        {"a quota phrase is a refusal for an entry without refusal text", "Error: Query rate LIMIT exceeded",
         "No match for", "", Mark::Failed},
        {"... but not beside the no-match mark", "No match for x\nplease slow down", "No match for", "", Mark::Free},
        {"terms of use are no refusal", "Registered.\nExcessive querying is prohibited.", "No match", "",
         Mark::Registered},
        {"the entry's own refusal text rules", "limit exceeded", "No match", "BLOCKED", Mark::Registered},
        {"bytes above 127 compared as bytes", "\xA1\xEE free", "\xA1\xEE", "", Mark::Free},
        {"embedded zero byte", std::string("a\0No match", 10), "No match", "", Mark::Free},
        // Chinese marks are written in UTF-8; the registries answer in UTF-8 or in GBK.
        {"Chinese mark in a UTF-8 reply", "没有匹配的记录。\r\n", "没有匹配", "", Mark::Free},
        {"Chinese mark in a GBK reply", "\xC3\xBB\xD3\xD0\xC6\xA5\xC5\xE4\r\n", "没有匹配", "", Mark::Free},
        {"GBK reply without the mark", "\xD3\xF2\xC3\xFB\r\n", "没有匹配", "", Mark::Registered},
        {"a mark GBK cannot hold only matches in UTF-8", "\xC3\xBB", "没\U0001F600", "", Mark::Registered},
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

TEST(QueryClassifyTest, AWhoisEntryWithoutANoMatchTextIsFailedWithoutAsking) {
    test::ScriptedWhois whois;
    whois.setDefaultReply("Domain Name: AX.SHOP\r\n");
    WhoisCellLookup lookup(whois.client());
    const CellAnswer answer = lookup.ask(ServerEntry{"shop", "whois.nic.shop", "", "", true}, "ax.shop");
    EXPECT_EQ(answer.outcome.mark, Mark::Failed);
    EXPECT_NE(answer.outcome.details.find("not calibrated"), std::string::npos);
    EXPECT_TRUE(whois.calls().empty());
}

// A calibrated text can be one word, which a registered name may hold: the name the reply echoes
// (in either form, any letter case) is no evidence of either text. A reply holding both texts fits
// neither kind of reply the calibration saw: it is failed, not free.
TEST(QueryClassifyTest, CalibratedTextsDecideOutsideTheEchoedNameAndOnlyAlone) {
    const struct Case {
        const char* query;
        const char* reply;
        Mark expected;
    } cases[] = {
        {"available.shop", "Domain Name: AVAILABLE.SHOP\r\n", Mark::Registered},
        {"xn--available-yl6n.shop", "Domain Name: AVAILABLE\xe4\xb8\xad.SHOP\r\n", Mark::Registered},
        {"available.shop", "AVAILABLE\r\n", Mark::Free},
        {"ax.shop", "ax.shop: AVAILABLE\r\n", Mark::Free},
        {"ax.shop", "Domain Name: AX.SHOP\r\n", Mark::Registered},
        {"bx.shop", "AVAILABLE\r\nDomain Name: BX.SHOP\r\n", Mark::Failed},
    };
    for (const Case& c : cases) {
        test::ScriptedWhois whois;
        whois.setDefaultReply(c.reply);
        WhoisCellLookup lookup(whois.client(), [](const CalibrationCall&) {
            return CalibrationResult{"AVAILABLE", {}, "Domain Name"};
        });
        EXPECT_EQ(lookup.ask(ServerEntry{"shop", "whois.nic.shop", "", "", true}, c.query).outcome.mark, c.expected)
            << c.query << " " << c.reply;
    }
}

TEST(QueryClassifyTest, OnlyFailedAndEmptyCellsAreAskedAgain) {
    const std::vector<std::pair<Mark, bool>> cases = {
        {Mark::Failed, true}, {Mark::Unasked, true}, {Mark::Free, false}, {Mark::Registered, false}};
    for (const auto& [mark, expected] : cases) {
        EXPECT_EQ(needsRequery(mark), expected) << markGlyph(mark);
    }
}

} // namespace
} // namespace cvt
