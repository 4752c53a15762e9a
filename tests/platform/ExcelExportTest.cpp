#include "platform/ExcelExport.h"

#include "core/export/EExportCancelled.h"
#include "core/export/TextExport.h"
#include "platform/EWorkbookError.h"
#include "platform/XlsxWorkbookWriter.h"
#include "tests/support/RecordingWorkbookWriter.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"

#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace cvt {
namespace {

namespace fs = std::filesystem;

ResultTableSnapshot sampleTable() {
    return ResultTableSnapshot{{"Domain Name", "com", "net"},
                               {{"phone", {"☆", "★"}}, {"short", {"-"}}, {"long", {"★", "☆", "-"}}}};
}

std::vector<std::string> folderEntries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The text of one member of a zip file, read by Python's zipfile module.
std::string zipMember(const fs::path& zip, const std::string& member) {
    const test::ProgramResult result = test::runProgram(
        {"/usr/bin/env",
         {"python3", "-c",
          "import sys, zipfile; sys.stdout.write(zipfile.ZipFile(sys.argv[1]).read(sys.argv[2]).decode())",
          zip.string(), member},
         {},
         {}});
    EXPECT_EQ(result.exitCode, 0) << "python3 reads the workbook back: " << result.err;
    return result.out;
}

TEST(ExcelExportTest, AsksTheWriterForTheWorkbookInItsStepsAndOrder) {
    test::RecordingWorkbookWriter writer;
    ExportToExcel(sampleTable(), writer, "/out/book.xlsx");
    const std::vector<std::string> expected = {
        "title Domain List",
        "sheet Domain",
        "cell 0,0 Domain Name",
        "cell 0,1 com",
        "cell 0,2 net",
        "cell 1,0 phone",
        "cell 1,1 ☆",
        "cell 1,2 ★",
        // A short row gets empty cells; a cell without a column is left out.
        "cell 2,0 short",
        "cell 2,1 -",
        "cell 2,2 ",
        "cell 3,0 long",
        "cell 3,1 ★",
        "cell 3,2 ☆",
        "bold row 0",
        "font Arial",
        "size 9",
        "fit columns",
        "save /out/book.xlsx",
    };
    EXPECT_EQ(writer.calls, expected);
}

TEST(ExcelExportTest, WrittenWorkbookHoldsTextCellsBoldHeaderArialNineAndFittedColumns) {
    test::TempDir dir;
    ResultTableSnapshot table = sampleTable();
    table.rows.push_back({"ctl\x01<&>\xFF", {"☆"}});
    table.rows.push_back({"=1+2", {"☆"}});
    table.rows.push_back({"-5", {"☆"}});
    const fs::path file = dir.file("book.xlsx");
    ExportToWorkbookFile(table, file);
    EXPECT_EQ(folderEntries(dir.path()), std::vector<std::string>{"book.xlsx"}) << "no temporary file left";

    const std::string workbook = zipMember(file, "xl/workbook.xml");
    EXPECT_NE(workbook.find("<sheet name=\"Domain\" sheetId=\"1\""), std::string::npos) << workbook;
    EXPECT_NE(zipMember(file, "docProps/core.xml").find("<dc:title>Domain List</dc:title>"), std::string::npos);

    const std::string sheet = zipMember(file, "xl/worksheets/sheet1.xml");
    for (const char* text : {"Domain Name", "com", "net", "phone", "☆", "★", "short", "long", "-5"}) {
        EXPECT_NE(sheet.find(std::string("<t>") + text + "</t>"), std::string::npos) << text << " in " << sheet;
    }
    // A name that looks like a formula or a number stays a text cell.
    EXPECT_NE(sheet.find("<t>=1+2</t>"), std::string::npos) << sheet;
    EXPECT_EQ(sheet.find("<f>"), std::string::npos);
    EXPECT_EQ(sheet.find("<v>"), std::string::npos) << "no cell is a number";
    // Markup escaped, a control character in the sheet's escape form, a malformed byte replaced.
    EXPECT_NE(sheet.find(">ctl_x0001_&lt;&amp;&gt;\xEF\xBF\xBD<"), std::string::npos) << sheet;
    // Every column has its fitted width (the widths themselves are checked below).
    EXPECT_NE(sheet.find("<cols><col min=\"1\" max=\"1\""), std::string::npos) << sheet;
    EXPECT_NE(sheet.find("<col min=\"3\" max=\"3\""), std::string::npos) << sheet;
    EXPECT_NE(sheet.find("<row r=\"1\""), std::string::npos);

    const std::string styles = zipMember(file, "xl/styles.xml");
    EXPECT_NE(styles.find("<b/><sz val=\"9\"/>"), std::string::npos) << styles;
    EXPECT_NE(styles.find("<name val=\"Arial\"/>"), std::string::npos);
}

TEST(ExcelExportTest, FittedWidthCountsWideCharactersTwiceAndBoldWider) {
    struct Case {
        const char* text;
        double size;
        bool bold;
        double width;
    };
    const Case cases[] = {
        {"", 9, false, 0.0},   {"abcd", 11, false, 4.75},       {"学习", 11, false, 4.75},
        {"☆", 9, false, 1.57}, {"Domain Name", 9, true, 10.65}, {"\xFF", 11, false, 1.75},
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(XlsxWorkbookWriter::fittedWidth(c.text, c.size, c.bold), c.width) << c.text;
    }
}

TEST(ExcelExportTest, BadTargetsAndCancelLeaveNoFileAndKeepAnOldOne) {
    test::TempDir dir;
    const std::string before = "an older workbook";
    { std::ofstream(dir.file("kept.xlsx")) << before; }
    fs::create_directory(dir.file("folder.xlsx"));
    std::atomic<bool> cancel{true};
    struct Case {
        const char* what;
        fs::path target;
        const std::atomic<bool>* cancel;
        bool cancelled;
    };
    const Case cases[] = {
        {"missing folder", dir.file("missing") / "book.xlsx", nullptr, false},
        {"target is a folder", dir.file("folder.xlsx"), nullptr, false},
        {"folder nobody can write", "/proc/corvantide-book.xlsx", nullptr, false},
        {"cancelled", dir.file("new.xlsx"), &cancel, true},
        {"cancelled over an older file", dir.file("kept.xlsx"), &cancel, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.cancelled) {
            EXPECT_THROW(ExportToWorkbookFile(sampleTable(), c.target, c.cancel), EExportCancelled);
        } else {
            try {
                ExportToWorkbookFile(sampleTable(), c.target, c.cancel);
                ADD_FAILURE() << "no error";
            } catch (const EWorkbookError& error) {
                EXPECT_NE(std::string(error.what()).find(c.target.string()), std::string::npos) << error.what();
            }
        }
    }
    EXPECT_EQ(folderEntries(dir.path()), (std::vector<std::string>{"folder.xlsx", "kept.xlsx"}));
    EXPECT_EQ(test::readFileBytes(dir.file("kept.xlsx")), before);
}

// A full disk, as a file-size limit in a child process: the export fails with a message and leaves
// no file, for each format.
TEST(ExcelExportTest, FullDiskFailsCleanlyInEveryFormat) {
    ResultTableSnapshot table{{"Domain Name", "com", "net", "org"}, {}};
    for (int i = 0; i < 20000; ++i) {
        table.rows.push_back({"name" + std::to_string(i * 7919), {"☆", "★", "-"}});
    }
    for (const char* name : {"big.xlsx", "big.csv", "big.txt"}) {
        SCOPED_TRACE(name);
        test::TempDir dir;
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{64 * 1024, 64 * 1024};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            int code = 3;
            try {
                ExportToFile(table, dir.file(name));
                code = 1;
            } catch (const EWorkbookError&) {
                code = 0;
            } catch (const ECreateFileError&) {
                code = 0;
            } catch (...) {
                code = 2;
            }
            ::_exit(code);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0) << "1: no error, 2: another error";
        EXPECT_TRUE(folderEntries(dir.path()).empty()) << ::testing::PrintToString(folderEntries(dir.path()));
    }
}

// Where LibreOffice is installed, it must read the workbook with the cells the table has.
TEST(ExcelExportTest, LibreOfficeReadsTheWorkbook) {
    std::string office;
    for (const char* candidate : {"libreoffice", "soffice"}) {
        const test::ProgramResult found =
            test::runProgram({"/bin/sh", {"-c", std::string("command -v ") + candidate}, {}, {}});
        if (found.exitCode == 0 && !found.out.empty()) {
            office = found.out.substr(0, found.out.find('\n'));
            break;
        }
    }
    if (office.empty()) {
        GTEST_SKIP() << "LibreOffice (libreoffice or soffice) is not installed, so the workbook is not opened in it";
    }
    test::TempDir dir;
    ResultTableSnapshot table = sampleTable();
    table.rows.push_back({"=1+2", {"☆"}});
    ExportToWorkbookFile(table, dir.file("book.xlsx"));
    const test::ProgramResult converted =
        test::runProgram({office,
                          {"-env:UserInstallation=file://" + (dir.path() / "profile").string(), "--headless",
                           "--convert-to", "csv:Text - txt - csv (StarCalc):44,34,76", "--outdir",
                           (dir.path() / "out").string(), dir.file("book.xlsx").string()},
                          {},
                          {}});
    ASSERT_EQ(converted.exitCode, 0) << converted.err;
    EXPECT_EQ(test::readFileBytes(dir.path() / "out" / "book.csv"),
              "Domain Name,com,net\nphone,☆,★\nshort,-,\nlong,★,☆\n=1+2,☆,\n");
}

} // namespace
} // namespace cvt
