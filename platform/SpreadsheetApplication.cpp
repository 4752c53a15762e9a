#include "platform/SpreadsheetApplication.h"

#include "platform/DesktopOpener.h"
#include "platform/EOleError.h"
#include "platform/SpreadsheetRange.h"
#include "platform/SpreadsheetSheet.h"
#include "platform/SpreadsheetWorkbook.h"
#include "platform/SpreadsheetWorkbooks.h"
#include "platform/WorkbookFile.h"

#include <system_error>

namespace cvt {

SpreadsheetApplication::SpreadsheetApplication(SpreadsheetOptions options)
    : MemberDispatch("Application"), m_options(std::move(options)) {
    addProperty(
        "Caption",
        [this](const Args& args) {
            requireArgCount("Caption", args, 0, 0);
            return OleVariant(m_data->caption);
        },
        [this](const Args& args, const OleVariant& value) {
            requireArgCount("Caption", args, 0, 0);
            m_data->caption = value.asString();
        });
    addProperty(
        "Visible",
        [this](const Args& args) {
            requireArgCount("Visible", args, 0, 0);
            return OleVariant(m_data->visible);
        },
        [this](const Args& args, const OleVariant& value) {
            requireArgCount("Visible", args, 0, 0);
            if (!value.asBoolean()) {
                m_data->visible = false;
            } else if (!m_data->visible) {
                show();
                m_data->visible = true;
            }
        });
    // Workbooks(i) is short for Workbooks.Item(i).
    addProperty("Workbooks", [this](const Args& args) {
        requireArgCount("Workbooks", args, 0, 1);
        if (args.empty()) {
            return OleVariant(std::make_shared<SpreadsheetWorkbooks>(m_data));
        }
        return OleVariant(std::make_shared<SpreadsheetWorkbook>(m_data, SpreadsheetWorkbooks::find(*m_data, args[0])));
    });
    // Cells, Rows and Selection refer to the active sheet.
    addProperty(
        "Cells",
        [this](const Args& args) {
            return OleVariant(
                std::make_shared<SpreadsheetRange>(m_data, activeSheet(*m_data), SpreadsheetSheet::cellsArea(args)));
        },
        [this](const Args& args, const OleVariant& value) {
            requireArgCount("Cells", args, 2, 2);
            const SheetArea area = SpreadsheetSheet::cellsArea(args);
            SpreadsheetSheet::storeCell(*activeSheet(*m_data), CellPosition{area.row, area.column}, value);
        });
    addProperty("Rows", [this](const Args& args) {
        return OleVariant(
            std::make_shared<SpreadsheetRange>(m_data, activeSheet(*m_data), SpreadsheetSheet::rowsArea(args)));
    });
    addProperty("Selection", [this](const Args& args) {
        requireArgCount("Selection", args, 0, 0);
        const std::shared_ptr<SheetData> sheet = activeSheet(*m_data);
        const SheetArea area = m_data->selectionSheet == sheet ? m_data->selection : SheetArea{SheetArea::Kind::Cell};
        return OleVariant(std::make_shared<SpreadsheetRange>(m_data, sheet, area));
    });
}

void SpreadsheetApplication::show() {
    if (m_data->workbooks.empty()) {
        return; // an empty window: nothing to write
    }
    const WorkbookData& workbook = *m_data->workbooks[m_data->activeWorkbook];
    if (!m_options.saveTo.empty()) {
        writeWorkbookXlsx(workbook, m_options.saveTo, m_data->caption);
        return;
    }
    const std::filesystem::path folder =
        m_options.outputFolder.empty() ? spreadsheetCacheFolder() : m_options.outputFolder;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        throw EOleError("Cannot create the folder \"" + folder.string() + "\": " + error.message());
    }
    const std::filesystem::path file = freshWorkbookPath(folder, workbook.name);
    writeWorkbookXlsx(workbook, file, m_data->caption);
    if (m_options.openFile) {
        m_options.openFile(file);
    } else {
        DesktopOpener::shared().open(file);
    }
}

} // namespace cvt
