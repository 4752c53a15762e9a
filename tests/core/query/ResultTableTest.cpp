#include "core/query/ResultTable.h"

#include "tests/support/MarkGlyphs.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace cvt {
namespace {

using Cells = std::vector<Mark>;
using Captions = std::vector<std::string>;

ResultTable& withColumns(ResultTable& table, const std::vector<std::string>& suffixes) {
    for (const std::string& suffix : suffixes) {
        table.appendColumn(suffix);
    }
    return table;
}

TEST(ResultTableTest, RemovingAColumnTakesItsCellsFromEveryRow) {
    ResultTable table("Domain Name");
    withColumns(table, {"com", "net", "org"});
    table.appendRow("full");
    table.setCell(0, 0, Mark::Free);
    table.setCell(0, 1, Mark::Registered);
    table.setCell(0, 2, Mark::Failed);
    table.RemoveSuffixColumn("org");
    table.appendRow("short"); // made with two cells
    table.setCell(1, 0, Mark::Free);
    table.appendColumn("org");
    table.appendColumn("io"); // "short" now lacks the cells of org and io

    table.RemoveSuffixColumn("net");

    const ResultTableSnapshot after = table.snapshot();
    EXPECT_EQ(after.captions, (Captions{"Domain Name", "com", "org", "io"}));
    EXPECT_EQ(after.rows[0].cells, (Cells{Mark::Free}));
    EXPECT_EQ(after.rows[1].cells, (Cells{Mark::Free}));
    // Every remaining cell stands under its own caption.
    table.setCell(1, 2, Mark::Failed);
    EXPECT_EQ(table.cell(1, 2), Mark::Failed);
    EXPECT_EQ(table.cell(1, 1), Mark::Unasked);
}

TEST(ResultTableTest, TheNameColumnIsNeverTakenForASuffix) {
    ResultTable table("com");
    withColumns(table, {"net"});
    EXPECT_EQ(table.SuffixColumn("com"), -1);
    table.RemoveSuffixColumn("com");
    EXPECT_EQ(table.columnCount(), 2u);
    EXPECT_EQ(table.columnCaption(0), "com");
    table.appendRow("ax");
    EXPECT_EQ(table.writeAnswer(0, "com", Mark::Free), -1);
    EXPECT_EQ(table.row(0).cells, (Cells{Mark::Unasked}));
}

TEST(ResultTableTest, AnswersLandUnderTheirSuffixWithTheirReasons) {
    ResultTable table("Domain Name");
    withColumns(table, {"com", "net"});
    table.appendRow("ax");
    EXPECT_EQ(table.writeAnswer(0, "net", Mark::Failed, "Read Timeout"), 2);
    EXPECT_EQ(table.writeAnswer(0, "org", Mark::Free), -1) << "no column";
    EXPECT_EQ(table.writeAnswer(1, "com", Mark::Free), -1) << "no row";
    EXPECT_EQ(table.row(0).cells, (Cells{Mark::Unasked, Mark::Failed}));
    EXPECT_EQ(table.row(0).detail(1), "Read Timeout");
    // A column that goes takes its reasons with it; a later answer replaces the reason.
    table.RemoveSuffixColumn("com");
    EXPECT_EQ(table.row(0).detail(0), "Read Timeout");
    table.writeAnswer(0, "net", Mark::Registered);
    EXPECT_EQ(table.row(0).detail(0), "");
}

} // namespace
} // namespace cvt
