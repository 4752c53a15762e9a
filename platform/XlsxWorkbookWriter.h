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
// workbook. Texts that are not valid UTF-8 get U+FFFD for each bad byte. The file is written the
// way ExportFile writes a file: through symbolic links, keeping an existing file's permissions,
// through a temporary file beside it that takes its place once the workbook is complete. The cancel flag, when
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

    // A sheet's limits: its rows, the captions' row included, and the characters of one cell's text.
    static constexpr std::uint32_t kMaxRows = 1048576;
    static constexpr std::size_t kMaxCellCharacters = 32767;
    // Whether the text fits in one cell: at most kMaxCellCharacters counted in UTF-16 units, as the
    // spreadsheet counts them, once each malformed byte has become U+FFFD.
    static bool cellTextFits(std::string_view text);
    // Checks that a workbook could be saved to the path now, leaving nothing behind (the file as
    // ExportFile::check checks it; a device or a pipe is refused). Raises EWorkbookError.
    static void checkTarget(const std::filesystem::path& path);

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
