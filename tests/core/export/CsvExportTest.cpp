#include "core/export/CsvExport.h"

#include "core/export/EExportCancelled.h"
#include "tests/support/TempDir.h"

#include <fstream>
#include <gtest/gtest.h>

namespace cvt {
namespace {

const std::string kBom = "\xEF\xBB\xBF";

TEST(CsvExportTest, BytesFollowTheTableWithQuotingAndFormulaGuards) {
    struct Case {
        const char* what;
        ResultTableSnapshot table;
        std::string expected;
    };
    const Case cases[] = {
        {"header only", {{"Domain Name", "com"}, {}}, kBom + "Domain Name,com\r\n"},
        {"marks, short and long rows",
         {{"域名", "com", "net"},
          {{"phone", {Mark::Free, Mark::Registered}},
           {"short", {Mark::Failed}},
           {"long", {Mark::Registered, Mark::Free, Mark::Failed}},
           {"none", {}}}},
         kBom + "域名,com,net\r\nphone,☆,★\r\nshort,-,\r\nlong,★,☆\r\nnone,,\r\n"},
        {"quoting",
         {{"Domain Name", "a,b"},
          {{"say \"hi\"", {Mark::Free}},
           {"x\r\ny", {Mark::Registered}},
           {"semi;colon", {Mark::Failed}},
           {"line\nbreak", {}}}},
         kBom + "Domain Name,\"a,b\"\r\n\"say \"\"hi\"\"\",☆\r\n\"x\r\ny\",★\r\nsemi;colon,-\r\n\"line\nbreak\",\r\n"},
        {"formula-like names stay text",
         {{"Domain Name", "com"},
          {{"=1+2", {Mark::Free}},
           {"+x", {Mark::Free}},
           {"-x", {Mark::Failed}},
           {"@x", {Mark::Free}},
           {"\tx", {Mark::Free}},
           {"\rx", {Mark::Free}},
           {"=a,b", {Mark::Free}},
           {"a=b", {Mark::Free}}}},
         kBom + "Domain Name,com\r\n'=1+2,☆\r\n'+x,☆\r\n'-x,-\r\n'@x,☆\r\n'\tx,☆\r\n\"'\rx\",☆\r\n\"'=a,b\",☆\r\n"
                "a=b,☆\r\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ExportCsvBytes(c.table), c.expected) << c.what;
    }
}

TEST(CsvExportTest, FileIsReplacedWholeAndACancelledExportKeepsTheOldOne) {
    test::TempDir dir;
    const std::filesystem::path file = dir.file("domain.csv");
    const ResultTableSnapshot table{{"Domain Name", "com"}, {{"a", {Mark::Free}}}};
    { std::ofstream(file) << "old"; }
    std::atomic<bool> cancel{true};
    EXPECT_THROW(ExportToCsv(table, file, &cancel), EExportCancelled);
    EXPECT_EQ(test::readFileBytes(file), "old");
    cancel = false;
    ExportToCsv(table, file, &cancel);
    EXPECT_EQ(test::readFileBytes(file), kBom + "Domain Name,com\r\na,☆\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

} // namespace
} // namespace cvt
