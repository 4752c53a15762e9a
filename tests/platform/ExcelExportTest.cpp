#include "platform/ExcelExport.h"

#include "platform/EOleError.h"
#include "platform/RecordingDispatch.h"
#include "platform/SpreadsheetApplication.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace cvt {
namespace {

namespace fs = std::filesystem;

ResultTableSnapshot sampleTable() {
    return ResultTableSnapshot{{"Domain Name", "com", "net"},
                               {{"phone", {"☆", "★"}}, {"short", {"-"}}, {"long", {"★", "☆", "-"}}}};
}

// The spreadsheet server of a test: it writes into a temporary folder and records what it would open.
struct Server {
    test::TempDir dir;
    std::vector<fs::path> opened;
    std::shared_ptr<SpreadsheetApplication> application;
    std::shared_ptr<CallLog> log = std::make_shared<CallLog>();
    OleRegistry registry;

    explicit Server(std::function<std::shared_ptr<Dispatch>(std::shared_ptr<Dispatch>)> wrap = {}) {
        registry.registerServer("Excel.Application", [this, wrap]() -> std::shared_ptr<Dispatch> {
            SpreadsheetOptions options;
            options.outputFolder = dir.path() / "cache";
            options.openFile = [this](const fs::path& file) { opened.push_back(file); };
            application = std::make_shared<SpreadsheetApplication>(std::move(options));
            std::shared_ptr<Dispatch> served = wrap ? wrap(application) : application;
            return std::make_shared<RecordingDispatch>(served, "application", log);
        });
    }
    std::vector<std::string> calls() const {
        std::vector<std::string> described;
        for (const RecordedCall& call : *log) {
            described.push_back(call.describe());
        }
        return described;
    }
};

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

TEST(ExcelExportTest, MakesTheThirteenCallsInOrderWithTheirKindsAndArguments) {
    Server server;
    ExportToExcel(sampleTable(), server.registry);

    const std::string wb = "application.Workbooks";
    const std::string sheet = "application.Workbooks.WorkSheets";
    const std::vector<std::string> expected = {
        "application.Caption put() = \"Domain List\"",
        "application.Workbooks method|get()",
        wb + ".Add method()",
        "application.Workbooks get(1)",
        wb + ".Sheets method|get()",
        wb + ".Sheets.Add method()",
        "application.Workbooks get(1)",
        wb + ".WorkSheets get(1)",
        sheet + ".Name put() = \"Domain\"",
        "application.Workbooks get(1)",
        wb + ".WorkSheets get(\"Domain\")",
        sheet + ".Cells put(1, 1) = \"Domain Name\"",
        sheet + ".Cells put(1, 2) = \"com\"",
        sheet + ".Cells put(1, 3) = \"net\"",
        sheet + ".Cells put(2, 1) = \"phone\"",
        sheet + ".Cells put(2, 2) = \"☆\"",
        sheet + ".Cells put(2, 3) = \"★\"",
        sheet + ".Cells put(3, 1) = \"short\"",
        sheet + ".Cells put(3, 2) = \"-\"",
        sheet + ".Cells put(3, 3) = \"\"",
        sheet + ".Cells put(4, 1) = \"long\"",
        sheet + ".Cells put(4, 2) = \"★\"",
        sheet + ".Cells put(4, 3) = \"☆\"",
        "application.rows get(1)",
        "application.rows.Font method|get()",
        "application.rows.Font.Bold put() = true",
        "application.Cells method|get()",
        "application.Cells.select method()",
        "application.Selection method|get()",
        "application.Selection.Font method|get()",
        "application.Selection.Font.Name put() = \"Arial\"",
        "application.Selection method|get()",
        "application.Selection.Font method|get()",
        "application.Selection.Font.Size put() = 9",
        "application.selection method|get()",
        "application.selection.Columns method|get()",
        "application.selection.Columns.AutoFit method()",
        "application.Visible put() = true",
    };
    EXPECT_EQ(server.calls(), expected);
    // Kinds of the values matter too: integers, not doubles; the automation boolean.
    EXPECT_EQ((*server.log)[11].args[0].kind(), VariantKind::Integer);
    EXPECT_EQ((*server.log)[33].value.kind(), VariantKind::Integer);
    EXPECT_EQ((*server.log).back().value.kind(), VariantKind::Boolean);
}

TEST(ExcelExportTest, BuildsTheWorkbookAndShowsItOnce) {
    Server server;
    ExportToExcel(sampleTable(), server.registry);

    // The cells and fonts follow from the calls above and the server's own tests; here the outcome as a whole.
    const ApplicationData& data = *server.application->data();
    EXPECT_EQ(data.caption, "Domain List");
    EXPECT_TRUE(data.visible);
    ASSERT_EQ(data.workbooks.size(), 1u);
    const WorkbookData& book = *data.workbooks[0];
    ASSERT_EQ(book.sheets.size(), 2u);
    EXPECT_EQ(book.sheets[0]->name, "Domain");
    EXPECT_EQ(book.sheets[0]->cells.size(), 12u);
    EXPECT_EQ(book.sheets[0]->columnWidths.size(), 3u);

    ASSERT_EQ(server.opened.size(), 1u);
    EXPECT_EQ(server.opened[0].parent_path(), server.dir.path() / "cache");
    EXPECT_EQ(server.opened[0].extension(), ".xlsx");
    EXPECT_TRUE(fs::exists(server.opened[0]));
}

TEST(ExcelExportTest, WrittenWorkbookReadsBackWithSheetBoldHeaderFontAndCells) {
    Server server;
    ResultTableSnapshot table = sampleTable();
    table.rows.push_back({"ctl\x01<&>\xFF", {"☆"}});
    ExportToExcel(table, server.registry);
    ASSERT_EQ(server.opened.size(), 1u);
    const fs::path file = server.opened[0];
    EXPECT_EQ(test::readFileBytes(file).substr(0, 2), "PK");

    const std::string workbook = zipMember(file, "xl/workbook.xml");
    const auto domain = workbook.find("name=\"Domain\"");
    const auto sheet1 = workbook.find("name=\"Sheet1\"");
    ASSERT_NE(domain, std::string::npos) << workbook;
    ASSERT_NE(sheet1, std::string::npos);
    EXPECT_LT(domain, sheet1) << "the sheet \"Domain\" comes first";

    const std::string sheet = zipMember(file, "xl/worksheets/sheet1.xml");
    for (const char* text : {"Domain Name", "com", "net", "phone", "☆", "★", "short", "long"}) {
        EXPECT_NE(sheet.find(std::string(">") + text), std::string::npos) << text << " in " << sheet;
    }
    // Markup characters escaped, a control character in the sheet's escape form, a malformed byte replaced.
    EXPECT_NE(sheet.find(">ctl_x0001_&lt;&amp;&gt;\xEF\xBF\xBD<"), std::string::npos);
    EXPECT_NE(sheet.find("<col "), std::string::npos) << "fitted column widths";

    const std::string styles = zipMember(file, "xl/styles.xml");
    EXPECT_NE(styles.find("<b/>"), std::string::npos);
    EXPECT_NE(styles.find("<sz val=\"9\"/>"), std::string::npos);
    EXPECT_NE(styles.find("<name val=\"Arial\"/>"), std::string::npos);
}

// Forwards to the real server but knows no member of the given name, as an older server might not.
class MissingMember : public Dispatch {
public:
    MissingMember(std::shared_ptr<Dispatch> inner, std::string missing)
        : m_inner(std::move(inner)), m_missing(std::move(missing)) {}
    DispId idOfName(std::string_view name) override {
        if (name == m_missing) {
            throw EOleError("Unknown name \"" + m_missing + "\"");
        }
        return m_inner->idOfName(name);
    }
    OleVariant invoke(DispId id, const DispatchCall& call) override {
        OleVariant result = m_inner->invoke(id, call);
        if (result.kind() == VariantKind::Dispatch) {
            return OleVariant(std::make_shared<MissingMember>(result.asDispatch(), m_missing));
        }
        return result;
    }

private:
    std::shared_ptr<Dispatch> m_inner;
    std::string m_missing;
};

TEST(ExcelExportTest, FailuresEndTheExportKeepingWhatWasWrittenAndShowNothing) {
    {
        SCOPED_TRACE("no server for the identifier");
        OleRegistry empty;
        EXPECT_THROW(ExportToExcel(sampleTable(), empty), EOleError);
    }
    {
        SCOPED_TRACE("unknown member after the cells");
        Server server([](std::shared_ptr<Dispatch> inner) { return std::make_shared<MissingMember>(inner, "select"); });
        EXPECT_THROW(ExportToExcel(sampleTable(), server.registry), EOleError);
        EXPECT_EQ(server.application->data()->workbooks[0]->sheets[0]->cells.size(), 12u);
        EXPECT_FALSE(server.application->data()->visible);
        EXPECT_TRUE(server.opened.empty());
        EXPECT_EQ(server.calls().back(), "application.Cells method|get()");
    }
    {
        SCOPED_TRACE("no program to open the workbook");
        Server server;
        server.registry.registerServer("Excel.Application", [&server]() -> std::shared_ptr<Dispatch> {
            SpreadsheetOptions options;
            options.outputFolder = server.dir.path();
            options.openFile = [](const fs::path&) { throw EOleError("No program could open it"); };
            return std::make_shared<SpreadsheetApplication>(std::move(options));
        });
        EXPECT_THROW(ExportToExcel(sampleTable(), server.registry), EOleError);
    }
}

TEST(ExcelExportTest, ExportToFileChoosesTheFormatByTheNameAndOpensNothing) {
    test::TempDir dir;
    for (const char* name : {"out.xlsx", "OUT2.XLSX"}) {
        SCOPED_TRACE(name);
        ExportToFile(sampleTable(), dir.file(name));
        EXPECT_NE(zipMember(dir.file(name), "xl/workbook.xml").find("name=\"Domain\""), std::string::npos);
    }
    ExportToFile(sampleTable(), dir.file("out.txt"));
    EXPECT_EQ(test::readFileBytes(dir.file("out.txt")), ExportTextBytes(sampleTable()));

    EXPECT_THROW(ExportToFile(sampleTable(), dir.file("missing") / "out.xlsx"), EOleError);
    EXPECT_THROW(ExportToFile(sampleTable(), dir.file("missing") / "out.txt"), ECreateFileError);
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(dir.path())) {
        left.push_back(entry.path().filename().string());
    }
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"OUT2.XLSX", "out.txt", "out.xlsx"})) << "no temporary file left";
}

} // namespace
} // namespace cvt
