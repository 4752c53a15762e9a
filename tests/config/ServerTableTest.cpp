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
    // clang-format off
    const std::vector<SplitCase> cases = {
        {"com+host+mark", {"com", "host", "mark"}}, {"com++host++mark", {"com", "host", "mark"}},
        {"+com+host+mark+", {"com", "host", "mark"}}, {"com + host + mark", {"com ", " host ", " mark"}},
        {"com+host+No match for", {"com", "host", "No match for"}},
        {"com+host+\"a+b\"+x", {"com", "host", "\"a+b\"", "x"}},
        {"com+host+'it\"s+x'", {"com", "host", "'it\"s+x'"}},
        {"com+host+\"never closed+x+y", {"com", "host", "\"never closed+x+y"}},
        {"com\r\nhost\rmark", {"com", "host", "mark"}}, {"a\"b\"c+d", {"a\"b\"c", "d"}},
        {"", {}}, {"+++", {}}, {"one", {"one"}},
    };
    // clang-format on
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
                          "com+second.com+dup",
                          "info+HTTPS://rdap.example/rdap/",
                          "app+http://rdap.example/+mark kept",
                          "dev+whois.nic.dev",
                          "shop+https://rdap.example/+whois.nic.shop:4343+NOT FOUND+LIMIT",
                          "me+whois.nic.me+https://rdap.example/+NOT FOUND",
                          "fr+https://rdap.example/+No match+LIMIT"};
    options.WhoisKeys = {1, 2, 3, 5, 6, 7, 9, 10, 11, 12, 13, 14, 15};
    const ServerTableData table = BuildServerTable(options);

    std::vector<std::vector<std::string>> rows;
    for (const auto& e : table.entries) {
        const char* kinds[] = {"", "rdap", "rdap+whois"};
        rows.push_back({e.caption, e.host, e.mark, e.refusal, e.ticked ? "ticked" : "", kinds[static_cast<int>(e.kind)],
                        e.whoisHost});
    }
    const std::vector<std::vector<std::string>> expected = {
        {"com", "whois.a.com", "No match for", "", "ticked", "", ""},
        {"net", "whois.b.net", " Not found ", " LIMIT ", "ticked", "", ""},
        {"org", "whois.c.org", "Domain not found.", "WHOIS LIMIT EXCEEDED", "ticked", "", ""},
        {"io", "localhost:4343", "free", "", "", "", ""},
        {"com", "second.com", "dup", "", "", "", ""},
        {"info", "HTTPS://rdap.example/rdap/", "", "", "", "rdap", ""},
        {"app", "http://rdap.example/", "mark kept", "", "", "rdap", ""},
        // Two fields: WHOIS with the text calibrated for its server.
        {"dev", "whois.nic.dev", "", "", "", "", ""},
        {"shop", "https://rdap.example/", "NOT FOUND", "LIMIT", "", "rdap+whois", "whois.nic.shop:4343"},
        // A text in the third field, as before: RDAP alone.
        {"fr", "https://rdap.example/", "No match", "LIMIT", "", "rdap", ""},
    };
    EXPECT_EQ(rows, expected);

    ASSERT_EQ(table.skipped.size(), 3U);
    EXPECT_EQ(table.skipped[0].key, 2);
    EXPECT_EQ(describeSkippedServerLine(table.skipped[0]),
              "Config.ini key 2 (cnxxxxx): fewer than two fields; the entry is left out");
    EXPECT_EQ(table.skipped[1].key, 6);
    EXPECT_EQ(describeSkippedServerLine(table.skipped[2]),
              "Config.ini key 14 (me+whois.nic.me+https://rdap.example/+NOT FOUND): the WHOIS server comes before "
              "the RDAP base; write suffix+https://base/+whois.host+mark; the entry is left out");

    const ServerTableData empty = BuildServerTable(TIniOptions());
    EXPECT_TRUE(empty.entries.empty());
    EXPECT_TRUE(empty.skipped.empty());
}

TEST(BuildServerTableTest, InternationalSuffixesInEitherFormAreShownInUnicode) {
    TIniOptions options;
    options.WhoisLines = {"中国+whois.cnnic.cn+No matching record.",
                          "xn--fiqs8s+https://rdap.test/",
                          "XN--55QX5D+whois.ngtld.cn+No matching record.",
                          "com.中国+whois.cnnic.cn+No match",
                          "a😀+whois.test+free",
                          "xn--zz+whois.test+free"};
    const ServerTableData table = BuildServerTable(options);
    std::vector<std::string> captions;
    for (const ServerEntry& entry : table.entries) {
        captions.push_back(entry.caption);
    }
    EXPECT_EQ(captions, (std::vector<std::string>{"中国", "中国", "公司", "com.中国"}));
    ASSERT_EQ(table.skipped.size(), 2U);
    EXPECT_EQ(describeSkippedServerLine(table.skipped[0]),
              "Config.ini key 5 (a😀+whois.test+free): the suffix is not an international domain name: string "
              "contains a disallowed character; the entry is left out");
    EXPECT_EQ(table.skipped[1].key, 6);
}

} // namespace
} // namespace cvt
