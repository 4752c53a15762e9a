#pragma once

#include "platform/MemberDispatch.h"
#include "platform/SpreadsheetModel.h"

#include <filesystem>
#include <functional>
#include <memory>

namespace cvt {

struct SpreadsheetOptions {
    // Where shown workbooks are written; empty: the "corvantide" folder in the user's cache folder.
    std::filesystem::path outputFolder;
    // Opens a written workbook with the desktop's spreadsheet program; empty: DesktopOpener.
    std::function<void(const std::filesystem::path&)> openFile;
    // When set, showing the application saves the active workbook to this path and opens nothing.
    std::filesystem::path saveTo;
};

// The application object of the in-process spreadsheet server ("Excel.Application").
// Members: Caption, Visible, Workbooks, Cells, Rows, Selection. Making it visible writes the
// active workbook as an .xlsx file and opens it (or saves it where the options say).
class SpreadsheetApplication : public MemberDispatch {
public:
    explicit SpreadsheetApplication(SpreadsheetOptions options);

    // The model behind the objects, for inspection.
    std::shared_ptr<const ApplicationData> data() const { return m_data; }

private:
    void show();

    std::shared_ptr<ApplicationData> m_data = std::make_shared<ApplicationData>();
    SpreadsheetOptions m_options;
};

} // namespace cvt
