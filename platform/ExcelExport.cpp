#include "platform/ExcelExport.h"

#include "core/TextUtil.h"
#include "platform/SpreadsheetApplication.h"

#include <algorithm>
#include <cstdint>

namespace cvt {

namespace {

// A 1-based sheet index as an automation integer; one too large for it stays too large for a
// sheet, so the server refuses it.
OleVariant position(std::size_t zeroBased, std::size_t offset) {
    const std::size_t oneBased = zeroBased + offset;
    return OleVariant(static_cast<std::int32_t>(std::min<std::size_t>(oneBased, INT32_MAX)));
}

} // namespace

void ExportToExcel(const ResultTableSnapshot& table, const OleRegistry& registry) {
    const OleVariant application = registry.create(kSpreadsheetProgId);

    application.put("Caption", "Domain List");
    application.call("Workbooks").callVoid("Add");
    application.get("Workbooks", {1}).call("Sheets").callVoid("Add");
    application.get("Workbooks", {1}).get("WorkSheets", {1}).put("Name", "Domain");
    const OleVariant sheet = application.get("Workbooks", {1}).get("WorkSheets", {"Domain"});

    for (std::size_t i = 0; i < table.captions.size(); ++i) {
        sheet.put("Cells", {1, position(i, 1)}, table.captions[i]);
    }
    const std::size_t suffixColumns = table.captions.empty() ? 0 : table.captions.size() - 1;
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        const ResultRow& row = table.rows[r];
        sheet.put("Cells", {position(r, 2), 1}, row.caption);
        for (std::size_t j = 0; j < suffixColumns; ++j) {
            sheet.put("Cells", {position(r, 2), position(j, 2)}, j < row.cells.size() ? row.cells[j] : std::string());
        }
    }

    application.get("rows", {1}).call("Font").put("Bold", true);
    application.call("Cells").callVoid("select");
    application.call("Selection").call("Font").put("Name", "Arial");
    application.call("Selection").call("Font").put("Size", 9);
    application.call("selection").call("Columns").callVoid("AutoFit");
    application.put("Visible", true);
}

void ExportToFile(const ResultTableSnapshot& table, const std::filesystem::path& fileName) {
    const std::string extension = fileName.extension().string();
    if (!equalsIgnoreCase(extension, ".xlsx")) {
        ExportToText(table, fileName);
        return;
    }
    OleRegistry registry;
    registry.registerServer(std::string(kSpreadsheetProgId), [fileName] {
        SpreadsheetOptions options;
        options.saveTo = fileName;
        return std::make_shared<SpreadsheetApplication>(std::move(options));
    });
    ExportToExcel(table, registry);
}

} // namespace cvt
