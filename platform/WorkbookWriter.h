#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace cvt {

// What the spreadsheet export needs of a workbook: a title, named sheets, text cells, a bold row,
// one font for the whole sheet, columns fitted to their texts, and the file. Sheet calls apply to
// the sheet added last; rows and columns count from 0. A cell's text is always stored as text,
// never read as a number or a formula. Failures raise EWorkbookError.
class WorkbookWriter {
public:
    virtual ~WorkbookWriter() = default;

    virtual void setTitle(const std::string& title) = 0;
    virtual void addSheet(const std::string& name) = 0;
    virtual void setCell(std::uint32_t row, std::uint32_t column, std::string_view text) = 0;
    virtual void setRowBold(std::uint32_t row) = 0;
    virtual void setFontName(const std::string& name) = 0;
    virtual void setFontSize(double points) = 0;
    virtual void fitColumns() = 0;
    // Writes the workbook to the path, replacing a file there; on failure no file is left behind.
    virtual void save(const std::filesystem::path& path) = 0;
};

} // namespace cvt
