#include "platform/DesktopOpener.h"
#include "platform/EOleError.h"
#include "platform/OleRegistry.h"
#include "platform/SpreadsheetApplication.h"
#include "platform/WorkbookFile.h"
#include "tests/support/TempDir.h"

#include <fstream>
#include <functional>
#include <gtest/gtest.h>

namespace cvt {
namespace {

std::shared_ptr<SpreadsheetApplication> newApplication() {
    SpreadsheetOptions options;
    options.outputFolder = "/nonexistent-folder-never-written";
    options.openFile = [](const std::filesystem::path&) { FAIL() << "nothing may be opened"; };
    return std::make_shared<SpreadsheetApplication>(std::move(options));
}

// An application with one workbook of two sheets: "Sheet2" (active, index 1) and "Sheet1".
struct Fixture {
    std::shared_ptr<SpreadsheetApplication> server = newApplication();
    OleVariant app{std::static_pointer_cast<Dispatch>(server)};

    Fixture() {
        app.call("Workbooks").callVoid("Add");
        app.get("Workbooks", {1}).call("Sheets").callVoid("Add");
    }
    OleVariant sheet(OleVariant key) const { return app.get("Workbooks", {1}).get("WorkSheets", {std::move(key)}); }
    const SheetData& sheetData(std::size_t index) const { return *server->data()->workbooks[0]->sheets[index]; }
};

TEST(AutomationTest, MembersAreFoundWhateverTheLetterCase) {
    for (const char* spelling : {"Caption", "caption", "CAPTION", "cApTiOn"}) {
        SCOPED_TRACE(spelling);
        Fixture f;
        f.app.put(spelling, "Domain List");
        EXPECT_EQ(f.app.get("CAPTION").asString(), "Domain List");
    }
    Fixture f;
    EXPECT_EQ(f.app.call("WORKBOOKS").get("count").asInteger(), 1);
    EXPECT_EQ(f.app.get("workBooks", {1}).get("worksheets", {"sheet2"}).get("NAME").asString(), "Sheet2");
}

TEST(AutomationTest, UnknownMembersAreErrorsNamingTheMember) {
    for (const char* name : {"Captions", "", "Workbook", "Caption ", "Selection2"}) {
        SCOPED_TRACE(name);
        Fixture f;
        try {
            f.app.get(name);
            ADD_FAILURE() << "no error";
        } catch (const EOleError& error) {
            EXPECT_NE(std::string(error.what()).find("\"" + std::string(name) + "\""), std::string::npos)
                << error.what();
        }
    }
}

struct RefusedCall {
    const char* title;
    std::function<void(Fixture&)> call;
};

TEST(AutomationTest, WrongKindsAndArgumentsAreErrors) {
    // clang-format off
    const RefusedCall cases[] = {
        {"text property given an integer", [](Fixture& f) { f.app.put("Caption", 5); }},
        {"boolean property given a text", [](Fixture& f) { f.app.put("Visible", "yes"); }},
        {"property called as a plain method", [](Fixture& f) { f.app.callVoid("Workbooks"); }},
        {"method reached by a plain get", [](Fixture& f) { f.app.call("Workbooks").get("Add"); }},
        {"read-only property set", [](Fixture& f) { f.app.put("Workbooks", 1); }},
        {"too many arguments", [](Fixture& f) { f.app.get("Workbooks", {1, 2}); }},
        {"index zero", [](Fixture& f) { f.app.get("Workbooks", {0}); }},
        {"missing workbook", [](Fixture& f) { f.app.get("Workbooks", {2}); }},
        {"missing sheet by name", [](Fixture& f) { f.sheet("Domain"); }},
        {"missing sheet by index", [](Fixture& f) { f.sheet(3); }},
        {"sheet chosen by a boolean", [](Fixture& f) { f.sheet(true); }},
        {"cell index as text", [](Fixture& f) { f.sheet(1).put("Cells", {"A", 1}, "x"); }},
        {"cell index with a fraction", [](Fixture& f) { f.sheet(1).put("Cells", {1.5, 1}, "x"); }},
        {"cell put with one index", [](Fixture& f) { f.sheet(1).put("Cells", {1}, "x"); }},
        {"row beyond the sheet", [](Fixture& f) { f.sheet(1).put("Cells", {kMaxSheetRows + 1, 1}, "x"); }},
        {"column beyond the sheet", [](Fixture& f) { f.sheet(1).put("Cells", {1, kMaxSheetColumns + 1}, "x"); }},
        {"cell given an object", [](Fixture& f) { f.sheet(1).put("Cells", {1, 1}, f.sheet(1)); }},
        {"sheet renamed like another", [](Fixture& f) { f.sheet(1).put("Name", "SHEET1"); }},
        {"sheet name too long", [](Fixture& f) { f.sheet(1).put("Name", std::string(32, 'x')); }},
        {"sheet name empty", [](Fixture& f) { f.sheet(1).put("Name", ""); }},
        {"sheet name with a bracket", [](Fixture& f) { f.sheet(1).put("Name", "a[1]"); }},
        {"font size zero", [](Fixture& f) { f.app.get("Rows", {1}).call("Font").put("Size", 0); }},
        {"font name empty", [](Fixture& f) { f.app.call("Cells").call("Font").put("Name", ""); }},
        {"select on a sheet that is not active",
         [](Fixture& f) { f.sheet("Sheet1").call("Cells").callVoid("Select"); }},
        {"late binding on a plain value", [](Fixture& f) { f.app.get("Caption").get("Length"); }},
    };
    // clang-format on
    for (const RefusedCall& c : cases) {
        SCOPED_TRACE(c.title);
        Fixture f;
        EXPECT_THROW(c.call(f), EOleError);
    }
}

TEST(AutomationTest, WorkbookStructureFollowsTheCalls) {
    Fixture f;
    EXPECT_EQ(f.app.get("Workbooks", {1}).get("Name").asString(), "Book1");
    // The added sheet goes before the active one and becomes active.
    EXPECT_EQ(f.sheet(1).get("Name").asString(), "Sheet2");
    EXPECT_EQ(f.sheet(2).get("Name").asString(), "Sheet1");
    EXPECT_EQ(f.app.get("Workbooks", {1}).call("Sheets").get("Count").asInteger(), 2);

    f.sheet(1).put("Name", "Domain");
    f.sheet("domain").put("Cells", {2, 3}, "x");
    EXPECT_EQ(f.sheetData(0).cells.at(CellPosition{2, 3}), OleVariant("x"));
    // Cells and Rows of the application are those of the active sheet.
    f.app.put("Cells", {1, 1}, 42);
    EXPECT_EQ(f.sheetData(0).cells.at(CellPosition{1, 1}), OleVariant(42));
    f.sheet("Domain").put("Cells", {1, 1}, OleVariant());
    EXPECT_EQ(f.sheetData(0).cells.count(CellPosition{1, 1}), 0u);
}

TEST(AutomationTest, FontsApplyToTheirAreaAndWiderAreasOverrideNarrowerOnes) {
    Fixture f;
    f.app.get("rows", {1}).call("Font").put("Bold", true);
    f.app.call("Cells").callVoid("select");
    f.app.call("Selection").call("Font").put("Name", "Arial");
    f.app.call("Selection").call("Font").put("Size", 9);

    const SheetData& sheet = f.sheetData(0);
    EXPECT_EQ(effectiveFormat(sheet, {1, 5}), (CellFormat{true, std::string("Arial"), 9.0}));
    EXPECT_EQ(effectiveFormat(sheet, {2, 1}), (CellFormat{false, std::string("Arial"), 9.0}));
    EXPECT_TRUE(f.app.get("Rows", {1}).call("Font").get("Bold").asBoolean());
    EXPECT_EQ(f.app.call("Selection").call("Font").get("Size").asDouble(), 9.0);

    // A font set on all cells replaces one set on a row before.
    f.app.get("Rows", {3}).call("Font").put("Name", "Courier");
    f.app.call("Cells").call("Font").put("Name", "Verdana");
    EXPECT_EQ(effectiveFormat(sheet, {3, 1}).fontName, "Verdana");
    EXPECT_EQ(effectiveFormat(sheet, {1, 1}).bold, true);
}

TEST(AutomationTest, AutoFitSizesEachColumnToItsWidestText) {
    Fixture f;
    const OleVariant sheet = f.sheet(1);
    sheet.put("Cells", {1, 1}, "Domain Name");
    sheet.put("Cells", {2, 1}, "a");
    sheet.put("Cells", {1, 2}, "com");
    sheet.put("Cells", {2, 2}, "a-much-longer-name");
    sheet.put("Cells", {1, 3}, "");
    sheet.put("Cells", {1, 4}, "域名");
    sheet.put("Cells", {1, 5}, "ab");
    f.app.call("Cells").callVoid("select");
    f.app.call("selection").call("Columns").callVoid("AutoFit");

    const auto& widths = f.sheetData(0).columnWidths;
    ASSERT_EQ(widths.count(1), 1u);
    ASSERT_EQ(widths.count(2), 1u);
    EXPECT_EQ(widths.count(3), 0u) << "a column of empty texts keeps the default width";
    EXPECT_GT(widths.at(2), widths.at(1));
    EXPECT_DOUBLE_EQ(widths.at(4), widths.at(5) + 2.0) << "two wide characters count as four narrow ones";
    EXPECT_GT(fittedWidth("abc", CellFormat{true, {}, 11.0}), fittedWidth("abc", CellFormat{false, {}, 11.0}));
    EXPECT_LT(fittedWidth("abc", CellFormat{false, {}, 9.0}), fittedWidth("abc", CellFormat{false, {}, 11.0}));
}

TEST(AutomationTest, RegistryFindsServersByIdentifierWithCaseIgnored) {
    OleRegistry registry;
    int created = 0;
    registry.registerServer("Test.Server", [&created]() -> std::shared_ptr<Dispatch> {
        ++created;
        return newApplication();
    });
    registry.registerServer("Null.Server", []() -> std::shared_ptr<Dispatch> { return nullptr; });

    EXPECT_EQ(registry.create("test.SERVER").kind(), VariantKind::Dispatch);
    EXPECT_EQ(created, 1);
    EXPECT_THROW(registry.create("Excel.Application"), EOleError);
    EXPECT_THROW(registry.create("Null.Server"), EOleError);
    registry.unregisterServer("TEST.server");
    EXPECT_THROW(registry.create("Test.Server"), EOleError);

    // The program's own registry has the spreadsheet server (created, never shown here).
    EXPECT_NO_THROW(CreateOleObject("excel.application").put("Caption", "x"));
    EXPECT_THROW(CreateOleObject("Word.Application"), EOleError);
}

TEST(AutomationTest, CacheFolderComesFromTheEnvironment) {
    struct Case {
        const char* xdg;
        const char* home;
        const char* expected; // null: an error
    };
    const char* cache = "/home/u/.cache/corvantide";
    const Case cases[] = {
        {"/x/cache", "/home/u", "/x/cache/corvantide"}, {nullptr, "/home/u", cache}, {"", "/home/u", cache},
        {"relative/cache", "/home/u", cache},           {nullptr, nullptr, nullptr}, {nullptr, "", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.xdg ? c.xdg : "(unset)") + " " + (c.home ? c.home : "(unset)"));
        if (c.expected == nullptr) {
            EXPECT_THROW(spreadsheetCacheFolder(c.xdg, c.home), EOleError);
        } else {
            EXPECT_EQ(spreadsheetCacheFolder(c.xdg, c.home), std::filesystem::path(c.expected));
        }
    }
}

TEST(AutomationTest, ShownWorkbooksNeverOverwriteEarlierOnes) {
    test::TempDir dir;
    const std::filesystem::path first = freshWorkbookPath(dir.path(), "Book1");
    EXPECT_EQ(first.parent_path(), dir.path());
    EXPECT_EQ(first.extension(), ".xlsx");
    EXPECT_EQ(first.filename().string().rfind("Book1-", 0), 0u);
    std::ofstream(first) << "taken";
    const std::filesystem::path second = freshWorkbookPath(dir.path(), "Book1");
    EXPECT_NE(second, first);
    EXPECT_FALSE(std::filesystem::exists(second));
}

TEST(AutomationTest, DesktopOpenerReportsAnOpenerThatFailsOrIsMissing) {
    struct Case {
        const char* program;
        bool fails;
    };
    for (const Case& c : {Case{"true", false}, Case{"false", true}, Case{"/nonexistent/opener-program", true}}) {
        SCOPED_TRACE(c.program);
        DesktopOpener opener(c.program, std::chrono::seconds(30));
        if (c.fails) {
            EXPECT_THROW(opener.open("/tmp/book.xlsx"), EOleError);
        } else {
            EXPECT_NO_THROW(opener.open("/tmp/book.xlsx"));
        }
    }
}

} // namespace
} // namespace cvt
