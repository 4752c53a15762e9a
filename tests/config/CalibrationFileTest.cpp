#include "config/CalibrationFile.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace cvt {
namespace {

TEST(CalibrationFile, KeepsTextsByteForByte) {
    test::TempDir folder;
    const std::filesystem::path path = folder.file("whois-texts.tsv");
    EXPECT_EQ(CalibrationFile::keep(path, "WHOIS.nic.be:43", {"Status:\tAVAILABLE\\ ", 1'700'000'000, "Status:\tok"}),
              "");
    EXPECT_EQ(CalibrationFile::keep(path, "127.0.0.1:4343", {" not found", 1'700'000'001}), "");
    std::string problem;
    const CalibrationBook book = CalibrationFile::load(path, problem);
    EXPECT_EQ(problem, "");
    ASSERT_EQ(book.all().size(), 2u);
    EXPECT_EQ(book.find("whois.nic.be")->mark, "Status:\tAVAILABLE\\ ");
    EXPECT_EQ(book.find("whois.nic.be")->derivedAt, 1'700'000'000);
    EXPECT_EQ(book.find("whois.nic.be")->registered, "Status:\tok");
    EXPECT_EQ(book.find("127.0.0.1:4343")->mark, " not found");
    EXPECT_EQ(book.find("127.0.0.1:4343")->registered, "");
    EXPECT_NE(
        test::readFileBytes(path).find("whois.nic.be\t2023-11-14T22:13:20Z\tStatus:\\tAVAILABLE\\\\ \tStatus:\\tok\n"),
        std::string::npos);
}

TEST(CalibrationFile, LeavesOutBrokenLines) {
    std::size_t leftOut = 0;
    const CalibrationBook book = CalibrationFile::parse("# comment\n"
                                                        "a.example\t2026-12-08T12:00:00Z\tfree\r\n"
                                                        "b.example\t2026-13-08T12:00:00Z\tbad month\n"
                                                        "c.example\t2026-12-08 12:00:00\tbad date\n"
                                                        "d.example\t2026-12-08T12:00:00Z\tbad \\q escape\n"
                                                        "e.example\t2026-12-08T12:00:00Z\t\n"
                                                        "f.example\t2026-12-08T12:00:00Z\tfree\t\n"
                                                        "g.example\t2026-12-08T12:00:00Z\tfree\tDomain Name\n"
                                                        "no tabs at all\n"
                                                        "a.example\t2026-12-09T12:00:00Z\tlater\n",
                                                        &leftOut);
    EXPECT_EQ(leftOut, 6u);
    ASSERT_EQ(book.all().size(), 2u);
    EXPECT_EQ(book.find("a.example")->mark, "later");
    EXPECT_EQ(book.find("a.example")->registered, ""); // an older version's line: unknown
    EXPECT_EQ(book.find("g.example")->registered, "Domain Name");
    EXPECT_EQ(calibrationDate(book.find("a.example")->derivedAt), "2026-12-09T12:00:00Z");
}

TEST(CalibrationFile, ASaveThatFailsSaysWhy) {
    test::TempDir folder;
    const std::filesystem::path path = folder.file("missing/whois-texts.tsv");
    EXPECT_NE(CalibrationFile::keep(path, "whois.example", {"free", 1}), "");
}

} // namespace
} // namespace cvt
