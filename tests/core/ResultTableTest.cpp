#include "core/ResultTable.h"

#include "tests/core/QueryFakes.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace cvt {
namespace {

using Cells = std::vector<std::string>;

ResultTable& withColumns(ResultTable& table, const std::vector<std::string>& suffixes) {
    for (const std::string& suffix : suffixes) {
        table.appendColumn(suffix);
    }
    return table;
}

TEST(ResultTableTest, MirrorBuiltFromTheReportsMatchesTheTableAfterEveryChange) {
    struct Step {
        const char* what;
        std::function<void(ResultTable&)> change;
    };
    const std::vector<Step> steps = {
        {"append columns",
         [](ResultTable& t) {
             withColumns(t, {"com", "net"});
         }},
        {"append rows",
         [](ResultTable& t) {
             t.appendRow("ax");
             t.appendRow("bx");
             t.appendRow("cx");
         }},
        {"write a cell", [](ResultTable& t) { t.setCell(1, 1, "★"); }},
        {"append a column after the rows", [](ResultTable& t) { t.appendColumn("org"); }},
        {"write past a short row's end", [](ResultTable& t) { t.setCell(0, 2, "☆"); }},
        {"remove a middle column", [](ResultTable& t) { t.RemoveSuffixColumn("net"); }},
        {"rename the name column", [](ResultTable& t) { t.setColumnCaption(0, "域名"); }},
        {"edit a row caption", [](ResultTable& t) { t.setRowCaption(2, "cy"); }},
        {"place a mark in a new row", [](ResultTable& t) { t.placeMark("dx", "org", "-"); }},
        {"remove rows out of order",
         [](ResultTable& t) {
             t.removeRows({4, 0, 4, 99});
         }},
        {"remove rows by content",
         [](ResultTable& t) { t.removeRowsIf([](const ResultRow& row) { return row.caption == "cy"; }); }},
        {"clear rows", [](ResultTable& t) { t.clearRows(); }},
    };
    ResultTable table("Domain Name");
    test::MirrorListener mirror;
    table.appendRow("already there");
    mirror.start(table.setListener(&mirror));
    for (const Step& step : steps) {
        step.change(table);
        EXPECT_EQ(mirror.mirror(), table.snapshot()) << "after: " << step.what;
    }
}

TEST(ResultTableTest, RemovingAColumnTakesItsCellsFromEveryRow) {
    ResultTable table("Domain Name");
    withColumns(table, {"com", "net", "org"});
    table.appendRow("full");
    table.setCell(0, 0, "c");
    table.setCell(0, 1, "n");
    table.setCell(0, 2, "o");
    table.RemoveSuffixColumn("org");
    table.appendRow("short"); // made with two cells
    table.setCell(1, 0, "c");
    table.appendColumn("org");
    table.appendColumn("io"); // "short" now lacks the cells of org and io

    table.RemoveSuffixColumn("net");

    const ResultTableSnapshot after = table.snapshot();
    EXPECT_EQ(after.captions, (Cells{"Domain Name", "com", "org", "io"}));
    EXPECT_EQ(after.rows[0].cells, (Cells{"c"}));
    EXPECT_EQ(after.rows[1].cells, (Cells{"c"}));
    // Every remaining cell stands under its own caption.
    table.setCell(1, 2, "i");
    EXPECT_EQ(table.cell(1, 2), "i");
    EXPECT_EQ(table.cell(1, 1), "");
}

TEST(ResultTableTest, TheNameColumnIsNeverTakenForASuffix) {
    ResultTable table("com");
    withColumns(table, {"net"});
    EXPECT_EQ(table.SuffixColumn("com"), -1);
    table.RemoveSuffixColumn("com");
    EXPECT_EQ(table.columnCount(), 2u);
    EXPECT_EQ(table.columnCaption(0), "com");
    const PlacedMark placed = table.placeMark("ax", "com", "☆");
    EXPECT_FALSE(placed.written);
    EXPECT_EQ(table.row(0).cells, (Cells{""}));
}

TEST(ResultTableTest, PlaceMarkReusesOnlyTheLastRowWithTheSameCaption) {
    struct Case {
        const char* what;
        std::vector<std::string> rowsBefore;
        std::string name;
        std::size_t expectedRow;
        bool appended;
    };
    const std::vector<Case> cases = {
        {"empty table", {}, "ax", 0, true},
        {"same as the last row", {"ax", "bx"}, "bx", 1, false},
        {"same as an earlier row only", {"ax", "bx"}, "ax", 2, true},
        {"differs in letter case", {"ax"}, "AX", 1, true},
        {"differs by a blank", {"ax"}, "ax ", 1, true},
    };
    for (const Case& c : cases) {
        ResultTable table("Domain Name");
        withColumns(table, {"com", "net"});
        for (const std::string& caption : c.rowsBefore) {
            table.appendRow(caption);
        }
        const PlacedMark placed = table.placeMark(c.name, "net", "★");
        EXPECT_EQ(placed.row, c.expectedRow) << c.what;
        EXPECT_EQ(placed.rowAppended, c.appended) << c.what;
        EXPECT_TRUE(placed.written) << c.what;
        EXPECT_EQ(table.row(placed.row), (ResultRow{c.name, {"", "★"}})) << c.what;
    }
}

} // namespace
} // namespace cvt
