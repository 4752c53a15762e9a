#include "platform/XlsxWorkbookWriter.h"

#include "core/export/EExportCancelled.h"
#include "core/export/ExportFile.h"
#include "core/export/TextExport.h"
#include "platform/EWorkbookError.h"
#include "platform/WorkbookCheck.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <xlsxwriter.h>

namespace cvt {

namespace {

constexpr std::uint32_t kMaxColumns = 16384;
constexpr std::size_t kMaxSheetNameLength = 31;
constexpr std::size_t kCancelCheckEvery = 4096;

// Decodes one UTF-8 sequence at `pos`; a malformed byte counts as one code point of its own value.
char32_t nextCodePoint(std::string_view text, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    const std::size_t length = lead < 0x80           ? 1
                               : (lead >> 5) == 0x6  ? 2
                               : (lead >> 4) == 0xE  ? 3
                               : (lead >> 3) == 0x1E ? 4
                                                     : 0;
    if (length <= 1 || pos + length > text.size()) {
        ++pos;
        return lead;
    }
    char32_t code = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[pos + i]);
        if ((next & 0xC0) != 0x80) {
            ++pos;
            return lead;
        }
        code = (code << 6) | (next & 0x3F);
    }
    pos += length;
    return code;
}

bool isWide(char32_t code) {
    return (code >= 0x1100 && code <= 0x115F) || (code >= 0x2E80 && code <= 0xA4CF) ||
           (code >= 0xAC00 && code <= 0xD7A3) || (code >= 0xF900 && code <= 0xFAFF) ||
           (code >= 0xFE30 && code <= 0xFE4F) || (code >= 0xFF00 && code <= 0xFF60) ||
           (code >= 0xFFE0 && code <= 0xFFE6) || (code >= 0x20000 && code <= 0x3FFFD);
}

// Text as valid UTF-8: each malformed byte becomes U+FFFD, so the sheet's XML stays well formed.
std::string validUtf8(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const auto lead = static_cast<unsigned char>(text[pos]);
        const std::size_t length = lead < 0x80                      ? 1
                                   : (lead >= 0xC2 && lead <= 0xDF) ? 2
                                   : (lead >> 4) == 0xE             ? 3
                                   : (lead >= 0xF0 && lead <= 0xF4) ? 4
                                                                    : 0;
        bool valid = length != 0 && pos + length <= text.size();
        for (std::size_t i = 1; valid && i < length; ++i) {
            valid = (static_cast<unsigned char>(text[pos + i]) & 0xC0) == 0x80;
        }
        if (valid && length >= 3) {
            const auto second = static_cast<unsigned char>(text[pos + 1]);
            valid = !(lead == 0xE0 && second < 0xA0) && !(lead == 0xED && second >= 0xA0) &&
                    !(lead == 0xF0 && second < 0x90) && !(lead == 0xF4 && second >= 0x90);
        }
        if (valid) {
            result.append(text.substr(pos, length));
            pos += length;
        } else {
            result += "\xEF\xBF\xBD";
            ++pos;
        }
    }
    return result;
}

std::size_t codePointCount(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < text.size(); ++count) {
        nextCodePoint(text, pos);
    }
    return count;
}

void check(lxw_error error, const std::string& what) {
    if (error != LXW_NO_ERROR) {
        throw EWorkbookError(what + ": " + lxw_strerror(error));
    }
}

std::string cellName(std::uint32_t row, std::uint32_t column) {
    return "(" + std::to_string(row + 1) + ", " + std::to_string(column + 1) + ")";
}

// Opens the file a workbook is saved to: a temporary file beside the target, made with the
// target's permissions. A device or a pipe cannot take a zip file's seeks and is refused.
void openTarget(ExportFile& file, const std::filesystem::path& path) {
    if (file.writesInPlace()) {
        std::error_code error;
        throw EWorkbookError("Cannot write the workbook \"" + path.string() + "\": " +
                             (std::filesystem::is_directory(path, error) ? std::strerror(EISDIR)
                                                                         : "a workbook is written only to a file"));
    }
    try {
        file.open();
        file.close();
    } catch (const ECreateFileError& error) {
        throw EWorkbookError(error.what());
    }
}

} // namespace

XlsxWorkbookWriter::XlsxWorkbookWriter(const std::atomic<bool>* cancel) : m_cancel(cancel) {}

XlsxWorkbookWriter::~XlsxWorkbookWriter() = default;

void XlsxWorkbookWriter::setTitle(const std::string& title) {
    m_title = validUtf8(title);
}

void XlsxWorkbookWriter::addSheet(const std::string& name) {
    const std::size_t length = codePointCount(name);
    if (length == 0 || length > kMaxSheetNameLength || name.find_first_of("[]:*?/\\") != std::string::npos) {
        throw EWorkbookError("Invalid sheet name \"" + name + "\"");
    }
    for (const auto& sheet : m_sheets) {
        if (sheet->name == name) {
            throw EWorkbookError("The workbook has a sheet named \"" + name + "\" already");
        }
    }
    auto sheet = std::make_unique<Sheet>();
    sheet->name = validUtf8(name);
    m_sheets.push_back(std::move(sheet));
}

XlsxWorkbookWriter::Sheet& XlsxWorkbookWriter::current() {
    if (m_sheets.empty()) {
        throw EWorkbookError("The workbook has no sheet");
    }
    return *m_sheets.back();
}

void XlsxWorkbookWriter::setCell(std::uint32_t row, std::uint32_t column, std::string_view text) {
    Sheet& sheet = current();
    if (row >= kMaxRows || column >= kMaxColumns) {
        throw EWorkbookError("Cell " + cellName(row, column) + " lies outside a sheet (at most " +
                             std::to_string(kMaxRows) + " rows)");
    }
    if (!cellTextFits(text)) {
        throw EWorkbookError("The text of cell " + cellName(row, column) + " is longer than a cell holds");
    }
    if (!sheet.cells.empty()) {
        const Cell& last = sheet.cells.back();
        if (row < last.row || (row == last.row && column <= last.column)) {
            sheet.inOrder = false;
        }
    }
    sheet.cells.push_back(Cell{row, column, sheet.text.size(), text.size()});
    sheet.text.append(text);
}

void XlsxWorkbookWriter::setRowBold(std::uint32_t row) {
    current().boldRows.insert(row);
}

void XlsxWorkbookWriter::setFontName(const std::string& name) {
    if (name.empty()) {
        throw EWorkbookError("A font needs a name");
    }
    current().fontName = validUtf8(name);
}

void XlsxWorkbookWriter::setFontSize(double points) {
    if (!(points >= 1.0 && points <= 409.0)) {
        throw EWorkbookError("Invalid font size " + std::to_string(points));
    }
    current().fontSize = points;
}

void XlsxWorkbookWriter::fitColumns() {
    current().fitted = true;
}

double XlsxWorkbookWriter::fittedWidth(std::string_view utf8, double fontSize, bool bold) {
    double units = 0.0;
    for (std::size_t pos = 0; pos < utf8.size();) {
        units += isWide(nextCodePoint(utf8, pos)) ? 2.0 : 1.0;
    }
    if (units == 0.0) {
        return 0.0;
    }
    const double weight = bold ? 1.1 : 1.0;
    return std::ceil((units * fontSize / 11.0 * weight + 0.75) * 100.0) / 100.0;
}

void XlsxWorkbookWriter::save(const std::filesystem::path& path) {
    if (m_sheets.empty()) {
        throw EWorkbookError("The workbook has no sheet to write");
    }
    auto cancelled = [this] { return m_cancel != nullptr && m_cancel->load(std::memory_order_relaxed); };
    const std::string shownPath = path.string();
    ExportFile file(path);
    openTarget(file, path);
    const std::filesystem::path& temporary = file.writtenPath();

    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    std::unique_ptr<lxw_workbook, void (*)(lxw_workbook*)> book(workbook_new_opt(temporary.c_str(), &options),
                                                                lxw_workbook_free);
    if (book == nullptr) {
        throw EWorkbookError("Cannot create the workbook \"" + shownPath + "\"");
    }
    lxw_doc_properties properties{};
    properties.title = m_title.data();
    check(workbook_set_properties(book.get(), &properties), "Cannot set the workbook's properties");

    for (auto& owned : m_sheets) {
        Sheet& sheet = *owned;
        if (!sheet.inOrder) {
            // Rows are streamed in order; of two texts for one cell the later one counts.
            std::stable_sort(sheet.cells.begin(), sheet.cells.end(), [](const Cell& a, const Cell& b) {
                return a.row != b.row ? a.row < b.row : a.column < b.column;
            });
            auto last = std::unique(sheet.cells.rbegin(), sheet.cells.rend(), [](const Cell& a, const Cell& b) {
                return a.row == b.row && a.column == b.column;
            });
            sheet.cells.erase(sheet.cells.begin(), last.base());
            sheet.inOrder = true;
        }
        lxw_worksheet* page = workbook_add_worksheet(book.get(), sheet.name.c_str());
        if (page == nullptr) {
            throw EWorkbookError("Cannot add the sheet \"" + sheet.name + "\" to the workbook");
        }
        lxw_format* plain = workbook_add_format(book.get());
        lxw_format* bold = workbook_add_format(book.get());
        for (lxw_format* format : {plain, bold}) {
            format_set_font_name(format, sheet.fontName.c_str());
            format_set_font_size(format, sheet.fontSize);
        }
        format_set_bold(bold);

        if (sheet.fitted) {
            std::map<std::uint32_t, double> widest;
            for (const Cell& cell : sheet.cells) {
                const double width = fittedWidth(std::string_view(sheet.text).substr(cell.offset, cell.length),
                                                 sheet.fontSize, sheet.boldRows.count(cell.row) != 0);
                double& best = widest[cell.column];
                best = std::max(best, width);
            }
            for (const auto& [column, width] : widest) {
                if (width > 0.0) {
                    check(worksheet_set_column(page, static_cast<lxw_col_t>(column), static_cast<lxw_col_t>(column),
                                               width, plain),
                          "Cannot set the width of column " + std::to_string(column + 1));
                }
            }
        }

        auto boldRow = sheet.boldRows.begin();
        std::size_t sinceCheck = 0;
        auto formatRowsUpTo = [&](std::uint32_t row) {
            // Bold rows are announced before their cells, as the stream needs.
            for (; boldRow != sheet.boldRows.end() && *boldRow <= row; ++boldRow) {
                check(worksheet_set_row(page, static_cast<lxw_row_t>(*boldRow), LXW_DEF_ROW_HEIGHT, bold),
                      "Cannot format row " + std::to_string(*boldRow + 1));
            }
        };
        for (const Cell& cell : sheet.cells) {
            if (++sinceCheck == kCancelCheckEvery) {
                sinceCheck = 0;
                if (cancelled()) {
                    throw EExportCancelled();
                }
            }
            formatRowsUpTo(cell.row);
            lxw_format* format = sheet.boldRows.count(cell.row) != 0 ? bold : plain;
            const std::string_view raw = std::string_view(sheet.text).substr(cell.offset, cell.length);
            const auto r = static_cast<lxw_row_t>(cell.row);
            const auto c = static_cast<lxw_col_t>(cell.column);
            lxw_error error = LXW_NO_ERROR;
            if (raw.empty()) {
                error = worksheet_write_blank(page, r, c, format);
            } else {
                // Always a text cell: a name like "=1+2" must never become a formula.
                const std::string text = validUtf8(raw);
                error = worksheet_write_string(page, r, c, text.c_str(), format);
            }
            check(error, "Cannot write cell " + cellName(cell.row, cell.column));
        }
        formatRowsUpTo(kMaxRows);
    }
    if (cancelled()) {
        throw EExportCancelled();
    }
    errno = 0;
    const lxw_error closed = workbook_close(book.release()); // frees the workbook in every case
    if (closed != LXW_NO_ERROR) {
        std::string reason = lxw_strerror(closed);
        if (errno != 0) {
            reason += " (" + std::string(std::strerror(errno)) + ")";
        }
        throw EWorkbookError("Cannot write the workbook \"" + shownPath + "\": " + reason);
    }
    checkWorkbookComplete(temporary);
    if (cancelled()) {
        throw EExportCancelled();
    }
    try {
        file.commit();
    } catch (const ECreateFileError& error) {
        throw EWorkbookError(error.what());
    }
}

void XlsxWorkbookWriter::checkTarget(const std::filesystem::path& path) {
    ExportFile file(path);
    openTarget(file, path);
}

bool XlsxWorkbookWriter::cellTextFits(std::string_view text) {
    // A character takes at least one byte, so a short text needs no count.
    if (text.size() <= kMaxCellCharacters) {
        return true;
    }
    // Counted as the spreadsheet counts: in UTF-16 units, a character beyond U+FFFF taking two.
    std::size_t units = 0;
    for (const char c : validUtf8(text)) {
        const auto byte = static_cast<unsigned char>(c);
        units += (byte & 0xC0) == 0x80 ? 0 : byte >= 0xF0 ? 2 : 1;
    }
    return units <= kMaxCellCharacters;
}

} // namespace cvt
