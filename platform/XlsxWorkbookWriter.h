#pragma once

#include "platform/WorkbookWriter.h"

#include <atomic>
#include <memory>
#include <set>
#include <vector>

namespace cvt {

// Writes .xlsx files with libxlsxwriter in its constant-memory mode. The cells given are kept in
// one compact text buffer per sheet (the formats and column widths are only known once every cell
// is in), and save() streams them row by row into the file, so the library never holds the whole
// workbook. Texts that are not valid UTF-8 get U+FFFD for each bad byte. The cancel flag, when
// given, is checked while saving: a cancelled save raises EExportCancelled and leaves no file.
class XlsxWorkbookWriter : public WorkbookWriter {
public:
    explicit XlsxWorkbookWriter(const std::atomic<bool>* cancel = nullptr);
    ~XlsxWorkbookWriter() override;

    void setTitle(const std::string& title) override;
    void addSheet(const std::string& name) override;
    void setCell(std::uint32_t row, std::uint32_t column, std::string_view text) override;
    void setRowBold(std::uint32_t row) override;
    void setFontName(const std::string& name) override;
    void setFontSize(double points) override;
    void fitColumns() override;
    void save(const std::filesystem::path& path) override;

    // The column width that fits the text in the given font size, in the sheet's width units
    // (wide East Asian characters count twice, bold text is a tenth wider); 0 for an empty text.
    static double fittedWidth(std::string_view utf8, double fontSize, bool bold);

private:
    struct Cell {
        std::uint32_t row;
        std::uint32_t column;
        std::size_t offset;
        std::size_t length;
    };
    struct Sheet {
        std::string name;
        std::string text; // every cell's text, one after the other
        std::vector<Cell> cells;
        bool inOrder = true;
        std::set<std::uint32_t> boldRows;
        std::string fontName = "Calibri";
        double fontSize = 11.0;
        bool fitted = false;
    };

    Sheet& current();

    const std::atomic<bool>* m_cancel;
    std::string m_title;
    std::vector<std::unique_ptr<Sheet>> m_sheets;
};

} // namespace cvt
