#include "config/ServerTable.h"

#include "config/ServerEntryLine.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace cvt {
namespace {

struct SplitCase {
    std::string line;
    std::vector<std::string> fields;
};

TEST(SplitServerLineTest, SplitsAtPlusRunsAndRespectsQuotes) {
    const std::vector<SplitCase> cases = {
        {"com+host+mark", {"com", "host", "mark"}},
        {"com++host++mark", {"com", "host", "mark"}},
        {"+com+host+mark+", {"com", "host", "mark"}},
        {"com + host + mark", {"com ", " host ", " mark"}},
        {"com+host+No match for", {"com", "host", "No match for"}},
        {"com+host+\"a+b\"+x", {"com", "host", "\"a+b\"", "x"}},
        {"com+host+'it\"s+x'", {"com", "host", "'it\"s+x'"}},
        {"com+host+\"never closed+x+y", {"com", "host", "\"never closed+x+y"}},
        {"com\r\nhost\rmark", {"com", "host", "mark"}},
        {"a\"b\"c+d", {"a\"b\"c", "d"}},
        {"", {}},
        {"+++", {}},
        {"one", {"one"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SplitServerLine(c.line), c.fields) << c.line;
    }
}

TEST(BuildServerTableTest, BuildsRowsTicksTheFirstThreeAndReportsBadLines) {
    TIniOptions options;
    options.WhoisLines = {"com+whois.a.com+No match for",
                          "cnxxxxx",
                          " net + whois.b.net + Not found + LIMIT ",
                          "org+whois.c.org+Domain not found.+WHOIS LIMIT EXCEEDED+ignored",
                          "com +   +mark",
                          "io+localhost:4343+free",
                          "com+second.com+dup"};
    options.WhoisKeys = {1, 2, 3, 5, 6, 7, 9};
    const ServerTableData table = BuildServerTable(options);

    ASSERT_EQ(table.entries.size(), 5U);
    const auto& e = table.entries;
    EXPECT_EQ(e[0].caption, "com");
    EXPECT_EQ(e[0].host, "whois.a.com");
    EXPECT_EQ(e[0].mark, "No match for");
    EXPECT_EQ(e[0].refusal, "");
    EXPECT_EQ(e[1].caption, "net");
    EXPECT_EQ(e[1].host, "whois.b.net");
    EXPECT_EQ(e[1].mark, " Not found ");
    EXPECT_EQ(e[1].refusal, " LIMIT ");
    EXPECT_EQ(e[2].refusal, "WHOIS LIMIT EXCEEDED");
    EXPECT_EQ(e[3].host, "localhost:4343");
    EXPECT_EQ(e[4].caption, "com");
    EXPECT_EQ(e[4].host, "second.com");
    const std::vector<bool> ticks = {e[0].ticked, e[1].ticked, e[2].ticked, e[3].ticked, e[4].ticked};
    EXPECT_EQ(ticks, (std::vector<bool>{true, true, true, false, false}));

    ASSERT_EQ(table.skipped.size(), 2U);
    EXPECT_EQ(table.skipped[0].key, 2);
    EXPECT_EQ(describeSkippedServerLine(table.skipped[0]),
              "Config.ini key 2 (cnxxxxx): fewer than three fields; the entry is left out");
    EXPECT_EQ(table.skipped[1].key, 6);
}

TEST(BuildServerTableTest, EmptyOptionsGiveAnEmptyTable) {
    const ServerTableData table = BuildServerTable(TIniOptions());
    EXPECT_TRUE(table.entries.empty());
    EXPECT_TRUE(table.skipped.empty());
}

} // namespace
} // namespace cvt
