#include "platform/ExcelExport.h"

#include "core/export/EExportCancelled.h"
#include "core/export/TextExport.h"
#include "platform/EWorkbookError.h"
#include "platform/XlsxWorkbookWriter.h"
#include "tests/support/RecordingWorkbookWriter.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"

#include <algorithm>
#include <csignal>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace cvt {
namespace {

namespace fs = std::filesystem;

ResultTableSnapshot sampleTable() {
    return ResultTableSnapshot{{"Domain Name", "com", "net"},
                               {{"phone", {Mark::Free, Mark::Registered}},
                                {"short", {Mark::Failed}},
                                {"long", {Mark::Registered, Mark::Free, Mark::Failed}}}};
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
    table.rows.push_back({"ctl\x01<&>\xFF", {Mark::Free}});
    table.rows.push_back({"=1+2", {Mark::Free}});
    table.rows.push_back({"-5", {Mark::Free}});
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

// Every format goes where the text export's file goes: through symbolic links, which stay, keeping
// an existing file's permissions; a name at the file-name limit works, its temporary name being
// no longer than it.
TEST(ExcelExportTest, EveryFormatWritesThroughLinksKeepsPermissionsAndTakesLongNames) {
    // The name given and the file that must then hold the table.
    using Paths = std::pair<fs::path, fs::path>;
    struct Case {
        const char* what;
        std::function<Paths(const test::TempDir&, const std::string& extension)> prepare;
        mode_t mode; // 0: not checked
    };
    const std::vector<Case> cases = {
        {"through two links",
         [](const test::TempDir& d, const std::string& extension) {
             const fs::path real = d.write("real" + extension, "old");
             fs::create_symlink(real.filename(), d.file("middle" + extension));
             fs::create_symlink("middle" + extension, d.file("link" + extension));
             return Paths{d.file("link" + extension), real};
         },
         0},
        {"over a file with its own permissions",
         [](const test::TempDir& d, const std::string& extension) {
             const fs::path file = d.write("kept" + extension, "old");
             fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
             return Paths{file, file};
         },
         0640},
        {"a name of 255 bytes",
         [](const test::TempDir& d, const std::string& extension) {
             const fs::path file = d.file(std::string(255 - extension.size(), 'n') + extension);
             return Paths{file, file};
         },
         0},
    };
    for (const std::string extension : {".xlsx", ".txt"}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.what + std::string(" ") + extension);
            test::TempDir dir;
            const auto [target, written] = c.prepare(dir, extension);
            std::vector<std::string> expected = folderEntries(dir.path());
            if (!fs::exists(written)) {
                expected.push_back(written.filename().string());
                std::sort(expected.begin(), expected.end());
            }
            ExportToFile(sampleTable(), target);
            EXPECT_EQ(folderEntries(dir.path()), expected) << "no temporary file left";
            EXPECT_EQ(fs::is_symlink(target), target != written);
            EXPECT_EQ(test::readFileBytes(written).substr(0, 2), extension == ".xlsx" ? "PK" : "Do");
            if (c.mode != 0) {
                EXPECT_EQ(static_cast<mode_t>(fs::status(written).permissions()), c.mode);
            }
        }
    }
}

TEST(ExcelExportTest, SheetLimitsCountNamesAndCharacters) {
    std::string faces;
    for (int i = 0; i < 16384; ++i) {
        faces += "\xF0\x9F\x98\x80"; // beyond U+FFFF: two units each
    }
    std::string han;
    for (int i = 0; i < 20000; ++i) {
        han += "学";
    }
    const std::pair<std::string, bool> texts[] = {
        {std::string(32767, 'a'), true},
        {std::string(32768, 'a'), false},
        {han, true}, // 60,000 bytes, 20,000 characters
        {faces, false},
        {faces.substr(4), true},
    };
    for (const auto& [text, fits] : texts) {
        EXPECT_EQ(XlsxWorkbookWriter::cellTextFits(text), fits) << text.size() << " bytes";
    }

    NameList names;
    for (std::uint32_t i = 0; i + 1 < XlsxWorkbookWriter::kMaxRows; ++i) {
        names.push_back("n" + std::to_string(i));
    }
    EXPECT_NO_THROW(CheckSheetHolds(names)) << "1,048,575 names below the captions";
    names.push_back("one more");
    EXPECT_THROW(CheckSheetHolds(names), EWorkbookError);
    EXPECT_THROW(CheckSheetHolds(NameList::fromRange({"ax", std::string(32768, 'a')})), EWorkbookError);
}

// A full disk, as a file-size limit in a child process: the export fails with a message and leaves
// no file, for each format.
TEST(ExcelExportTest, FullDiskFailsCleanlyInEveryFormat) {
    ResultTableSnapshot table{{"Domain Name", "com", "net", "org"}, {}};
    for (int i = 0; i < 20000; ++i) {
        table.rows.push_back({"name" + std::to_string(i * 7919), {Mark::Free, Mark::Registered, Mark::Failed}});
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
    table.rows.push_back({"=1+2", {Mark::Free}});
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
