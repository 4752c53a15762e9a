#include "core/query/QueryEngine.h"
#include "core/query/ResultMarks.h"
#include "i18n/Messages.h"
#include "i18n/RefusalWording.h"
#include "tests/support/QueryFakes.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace cvt {
namespace {

using test::EngineRig;
using test::entry;
using Strings = std::vector<std::string>;

TEST(QueryRunTest, AsksEveryNameOfEveryTickedEntryAndMarksTheRightCells) {
    EngineRig rig;
    rig.setEntries({entry("com", " h-com ", "No match for"), entry("net", "h-net", "No match for"),
                    entry("org", "h-org", "Domain not found.", false)});
    rig.whois.setDefaultReply("Domain Name: TAKEN");
    rig.whois.setReply("ax.com", "No match for \"AX.COM\".\r\n");
    rig.whois.setReply("bx.net", ""); // no answer at all: failed, not registered
    rig.whois.setFailure("cx.net");

    ASSERT_EQ(rig.searchPattern(" [a-c]x ").status, SearchOutcome::Status::Started);
    rig.engine.waitIdle();

    EXPECT_EQ(rig.whois.queries(), (Strings{"ax.com", "ax.net", "bx.com", "bx.net", "cx.com", "cx.net"}));
    EXPECT_EQ(rig.whois.calls()[0].server, "h-com") << "the host is trimmed";
    EXPECT_EQ(rig.rows(), (Strings{"ax:☆|★", "bx:★|-", "cx:★|-"}));
    EXPECT_EQ(rig.whois.closes(), 1) << "a failed exchange closes the connection";
    EXPECT_EQ(rig.sink.eventsStartingWith("status1="),
              (Strings{"status1=0/3", "status1=1/3", "status1=2/3", "status1=3/3"}));
    EXPECT_EQ(rig.sink.eventsStartingWith("status0=").front(), "status0=Connecting ax.com");
    EXPECT_EQ(rig.sink.eventsStartingWith("select="), (Strings{"select=0", "select=1", "select=2"}));
    EXPECT_EQ(rig.sink.eventsStartingWith("state="), (Strings{"state=preparing", "state=running", "state=idle"}));
    EXPECT_EQ(rig.sink.details().back(), "Socket Error # 10061") << "a failed cell keeps its reason";
    EXPECT_EQ(rig.whois.clientsMade(), 1) << "lanes off: one lane, one connection";
    EXPECT_FALSE(rig.engine.isBusy());
    EXPECT_TRUE(rig.errors.empty());
}

TEST(QueryRunTest, SearchReportsPreparingThenEmptiesTheTableAndRuns) {
    EngineRig rig;
    rig.setEntries({entry("com", "h", "No match")});
    rig.whois.hold("ax.com");
    ASSERT_EQ(rig.searchPattern("[a-b]x").status, SearchOutcome::Status::Started);
    rig.whois.waitUntilHeld();
    const Strings events = rig.sink.events();
    const Strings running(events.begin(), events.begin() + 6);
    EXPECT_EQ(running, (Strings{"state=preparing", "cleared", "status1=0/2", "state=running", "status1=1/2",
                                "status0=Connecting ax.com"}));
    EXPECT_TRUE(rig.engine.isBusy());
    EXPECT_TRUE(rig.engine.isRunActive());
    EXPECT_EQ(rig.searchPattern("[a-b]x").status, SearchOutcome::Status::Busy);
    EXPECT_FALSE(rig.requery()) << "no re-query during a run";
    rig.whois.release();
    rig.engine.waitIdle();
}

TEST(QueryRunTest, RefusalsChangeNothing) {
    struct Case {
        const char* what;
        std::vector<ServerEntry> entries;
        std::string pattern;
        std::string language;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"blank pattern", {entry("com", "h", "m")}, " \t ", "en", message(Msg::EmptyPattern, "en")},
        {"no server entry", {}, "[a-b]x", "en", "Please select some domain extensions(whois server)"},
        {"no server entry, Chinese", {}, "[a-b]x", "zh-cn", "请选择一个域名服务器!"},
        {"blank pattern before empty table", {}, "", "en", message(Msg::EmptyPattern, "en")},
        {"unclosed bracket", {entry("com", "h", "m")}, "[a-z", "en", message(Msg::UnclosedBracket, "en")},
        {"unclosed bracket, Chinese",
         {entry("com", "h", "m")},
         "x[ab",
         "zh-cn",
         message(Msg::UnclosedBracket, "zh-cn")},
    };
    for (const Case& c : cases) {
        EngineRig rig;
        rig.setEntries(c.entries);
        rig.table.appendRow("kept");
        rig.sink.clear();
        SearchRequest request;
        request.patternText = c.pattern;
        const SearchOutcome outcome = rig.engine.search(std::move(request));
        EXPECT_EQ(outcome.status, SearchOutcome::Status::Refused) << c.what;
        EXPECT_EQ(refusalMessage(outcome.refusal, c.language), c.message) << c.what;
        EXPECT_TRUE(rig.sink.events().empty()) << c.what;
        EXPECT_EQ(rig.table.rowCount(), 1u) << c.what;
        EXPECT_FALSE(rig.engine.isBusy()) << c.what;
    }
}

TEST(QueryRunTest, EntriesSharingACaptionShareOneColumnAndTheLaterMarkStands) {
    EngineRig rig;
    rig.setEntries({entry("com", "first", "free-1"), entry("net", "n", "free-n"), entry("com", "second", "free-2")});
    rig.whois.setDefaultReply("free-1");
    ASSERT_EQ(rig.searchPattern("ax").status, SearchOutcome::Status::Started);
    rig.engine.waitIdle();
    EXPECT_EQ(rig.table.snapshot().captions, (Strings{"Domain Name", "com", "net"}));
    EXPECT_EQ(rig.whois.queries(), (Strings{"ax.com", "ax.net", "ax.com"}));
    // "free-1" is the first server's mark only: the second server's verdict stands.
    EXPECT_EQ(rig.rows(), (Strings{"ax:★|★"}));
}

TEST(QueryRunTest, MarksLandUnderTheirSuffixWhateverTheColumnOrder) {
    EngineRig rig;
    // Ticked in the order net, org, com: the columns follow that order, the server table does not.
    rig.setEntries({entry("com", "c", "M", false), entry("net", "n", "M"), entry("org", "o", "M", false)});
    rig.setEntries({entry("com", "c", "M", false), entry("net", "n", "M"), entry("org", "o", "M")});
    rig.setEntries({entry("com", "c", "M"), entry("net", "n", "M"), entry("org", "o", "M")});
    rig.whois.setReply("ax.com", "M");
    rig.whois.setReply("ax.org", "Error WSA M");
    ASSERT_EQ(rig.searchPattern("ax").status, SearchOutcome::Status::Started);
    rig.engine.waitIdle();
    EXPECT_EQ(rig.table.snapshot().captions, (Strings{"Domain Name", "net", "org", "com"}));
    EXPECT_EQ(rig.rows(), (Strings{"ax:★|-|☆"}));
}

TEST(QueryRunTest, TextModeSortsWithoutRegardToCaseAndNeighbouringDuplicatesShareARow) {
    EngineRig rig;
    rig.setEntries({entry("com", "h", "free")});
    rig.whois.setReply("b.com", "free");
    ASSERT_EQ(rig.searchWords({"b", "a", "B", "a", " b"}).status, SearchOutcome::Status::Started);
    rig.engine.waitIdle();
    EXPECT_EQ(rig.whois.queries(), (Strings{"b.com", "a.com", "a.com", "b.com", "B.com"}));
    // " b" is asked as "b" but its status line keeps the listed form.
    EXPECT_EQ(rig.sink.eventsStartingWith("status0=").front(), "status0=Connecting  b.com");
    EXPECT_EQ(rig.rows(), (Strings{"b:☆", "a:★", "b:☆", "B:★"}));
    EXPECT_EQ(rig.sink.eventsStartingWith("select=").size(), 4u);
}

// A control character inside a name would put extra lines into the query: such names are left out
// of both kinds of list, and the engine counts them.
TEST(QueryRunTest, NamesWithControlCharactersNeverReachTheServer) {
    struct Case {
        const char* name;
        bool pattern;
        std::string patternText;
        Strings words;
        Strings queries;
        std::size_t dropped;
    };
    const Case cases[] = {
        {"pattern", true, "x[a\x7f]b", {}, {"xab.com"}, 1},
        {"quotes keep line breaks inside names", true, "\"b\r\n[a\"]\r\nab\"", {}, {"ab\".com"}, 2},
        {"word list", false, "", {"ab\r\ncd", "ok", "tab\there", "del\x7f", "\x1b[0m"}, {"ok.com"}, 4},
        {"nothing to drop", false, "", {"ok"}, {"ok.com"}, 0},
    };
    for (const auto& c : cases) {
        EngineRig rig;
        rig.setEntries({entry("com", "h", "free")});
        const SearchOutcome outcome = c.pattern ? rig.searchPattern(c.patternText) : rig.searchWords(c.words);
        ASSERT_EQ(outcome.status, SearchOutcome::Status::Started) << c.name;
        rig.engine.waitIdle();
        EXPECT_EQ(rig.engine.droppedNames(), c.dropped) << c.name;
        EXPECT_EQ(rig.whois.queries(), c.queries) << c.name;
    }
}

TEST(QueryRunTest, FailureEscapingTheRunStillEndsItAndIsReported) {
    class ThrowingSink : public test::RecordingSink {
    public:
        using RecordingSink::RecordingSink;
        void rowAppended(const AppendedRow&) override { throw std::logic_error("row vanished"); }
    };
    test::EngineRigWith<ThrowingSink> rig;
    rig.setEntries({entry("com", "h", "m")});
    ASSERT_EQ(rig.searchPattern("[a-c]x").status, SearchOutcome::Status::Started);
    rig.engine.waitIdle();
    EXPECT_FALSE(rig.engine.isBusy());
    EXPECT_TRUE(rig.requery()) << "the engine is usable again";
    rig.engine.waitIdle();
    EXPECT_EQ(rig.errors, Strings{"row vanished"});
    EXPECT_EQ(rig.whois.queries().front(), "ax.com");
    EXPECT_EQ(rig.sink.eventsStartingWith("state=idle").size(), 2u);
}

} // namespace
} // namespace cvt
