#include "platform/WorkbookFile.h"

#include "platform/EOleError.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <map>
#include <memory>
#include <set>
#include <tuple>
#include <unistd.h>
#include <xlsxwriter.h>

namespace cvt {

namespace {

constexpr std::size_t kMaxCellTextLength = 32767;

// Text as valid UTF-8: each malformed byte becomes U+FFFD, so the sheet's XML stays well formed.
std::string validUtf8(const std::string& text) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const auto lead = static_cast<unsigned char>(text[pos]);
        std::size_t length = lead < 0x80                      ? 1
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
            result.append(text, pos, length);
            pos += length;
        } else {
            result += "\xEF\xBF\xBD";
            ++pos;
        }
    }
    return result;
}

class FormatCache {
public:
    explicit FormatCache(lxw_workbook* workbook) : m_workbook(workbook) {}

    lxw_format* get(const CellFormat& format) {
        auto key = std::make_tuple(format.bold.value_or(false), format.fontName.value_or(std::string("Calibri")),
                                   format.fontSize.value_or(11.0));
        auto found = m_formats.find(key);
        if (found != m_formats.end()) {
            return found->second;
        }
        lxw_format* created = workbook_add_format(m_workbook);
        if (created == nullptr) {
            throw EOleError("Out of memory while formatting the workbook");
        }
        if (std::get<0>(key)) {
            format_set_bold(created);
        }
        format_set_font_name(created, std::get<1>(key).c_str());
        format_set_font_size(created, std::get<2>(key));
        m_formats.emplace(std::move(key), created);
        return created;
    }

private:
    lxw_workbook* m_workbook;
    std::map<std::tuple<bool, std::string, double>, lxw_format*> m_formats;
};

void check(lxw_error error, const std::string& what) {
    if (error != LXW_NO_ERROR) {
        throw EOleError(what + ": " + lxw_strerror(error));
    }
}

void writeSheet(lxw_workbook* book, FormatCache& formats, const SheetData& sheet) {
    lxw_worksheet* page = workbook_add_worksheet(book, sheet.name.c_str());
    if (page == nullptr) {
        throw EOleError("Cannot add the sheet \"" + sheet.name + "\" to the workbook");
    }
    lxw_format* base = formats.get(sheet.baseFormat);
    for (const auto& [column, width] : sheet.columnWidths) {
        check(worksheet_set_column(page, static_cast<lxw_col_t>(column - 1), static_cast<lxw_col_t>(column - 1), width,
                                   base),
              "Cannot set the width of column " + std::to_string(column));
    }
    // Rows are visited in order (formatted rows as well as rows with cells) so that the worksheet
    // can be streamed row by row.
    std::set<std::int32_t> rows;
    for (const auto& [row, format] : sheet.rowFormats) {
        rows.insert(row);
    }
    auto cell = sheet.cells.begin();
    while (cell != sheet.cells.end() || !rows.empty()) {
        const std::int32_t row = rows.empty()                ? cell->first.row
                                 : cell == sheet.cells.end() ? *rows.begin()
                                                             : std::min(*rows.begin(), cell->first.row);
        // Cells take their row's format unless they have one of their own.
        lxw_format* rowFormat = formats.get(effectiveFormat(sheet, CellPosition{row, 0}));
        if (!rows.empty() && *rows.begin() == row) {
            rows.erase(rows.begin());
            check(worksheet_set_row(page, static_cast<lxw_row_t>(row - 1), LXW_DEF_ROW_HEIGHT, rowFormat),
                  "Cannot format row " + std::to_string(row));
        }
        for (; cell != sheet.cells.end() && cell->first.row == row; ++cell) {
            const auto r = static_cast<lxw_row_t>(cell->first.row - 1);
            const auto c = static_cast<lxw_col_t>(cell->first.column - 1);
            lxw_format* format = sheet.cellFormats.count(cell->first) != 0
                                     ? formats.get(effectiveFormat(sheet, cell->first))
                                     : rowFormat;
            const OleVariant& value = cell->second;
            lxw_error error = LXW_NO_ERROR;
            if (value.kind() == VariantKind::String) {
                const std::string text = validUtf8(value.asString());
                if (text.empty()) {
                    error = worksheet_write_blank(page, r, c, format);
                } else if (text.size() > kMaxCellTextLength) {
                    throw EOleError("The text of cell (" + std::to_string(cell->first.row) + ", " +
                                    std::to_string(cell->first.column) + ") is longer than a cell holds");
                } else {
                    error = worksheet_write_string(page, r, c, text.c_str(), format);
                }
            } else if (value.kind() == VariantKind::Boolean) {
                error = worksheet_write_boolean(page, r, c, value.asBoolean() ? 1 : 0, format);
            } else if (value.kind() == VariantKind::Integer || value.kind() == VariantKind::Double) {
                error = worksheet_write_number(page, r, c, value.asDouble(), format);
            }
            check(error, "Cannot write cell (" + std::to_string(cell->first.row) + ", " +
                             std::to_string(cell->first.column) + ")");
        }
    }
}

class TemporaryFile {
public:
    explicit TemporaryFile(std::filesystem::path path) : m_path(std::move(path)) {}
    ~TemporaryFile() {
        if (!m_kept) {
            std::error_code ignored; // the file may not exist if the write failed early
            std::filesystem::remove(m_path, ignored);
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    void keep() { m_kept = true; }

private:
    std::filesystem::path m_path;
    bool m_kept = false;
};

} // namespace

void writeWorkbookXlsx(const WorkbookData& workbook, const std::filesystem::path& path, const std::string& title) {
    if (workbook.sheets.empty()) {
        throw EOleError("The workbook has no sheet to write");
    }
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
    static std::atomic<unsigned> sequence{0};
    TemporaryFile temporary(folder / ("." + path.filename().string() + "." + std::to_string(::getpid()) + "." +
                                      std::to_string(sequence.fetch_add(1)) + ".tmp"));

    // Made here first, so that a folder where nothing can be created is reported with the system's
    // reason; the writer then fills the file.
    const int probe = ::open(temporary.path().c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (probe < 0) {
        throw EOleError("Cannot write the workbook \"" + path.string() + "\": " + std::strerror(errno));
    }
    ::close(probe);

    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.use_zip64 = LXW_TRUE;
    std::unique_ptr<lxw_workbook, void (*)(lxw_workbook*)> book(workbook_new_opt(temporary.path().c_str(), &options),
                                                                lxw_workbook_free);
    if (book == nullptr) {
        throw EOleError("Cannot create the workbook \"" + path.string() + "\": out of memory");
    }
    FormatCache formats(book.get());
    std::string documentTitle = validUtf8(title);
    lxw_doc_properties properties{};
    properties.title = documentTitle.data();
    check(workbook_set_properties(book.get(), &properties), "Cannot set the workbook's properties");
    for (const auto& sheet : workbook.sheets) {
        writeSheet(book.get(), formats, *sheet);
    }
    errno = 0;
    const lxw_error closed = workbook_close(book.release()); // frees the workbook in every case
    if (closed != LXW_NO_ERROR) {
        std::string reason = lxw_strerror(closed);
        if (errno != 0) {
            reason += " (" + std::string(std::strerror(errno)) + ")";
        }
        throw EOleError("Cannot write the workbook \"" + path.string() + "\": " + reason);
    }
    if (std::rename(temporary.path().c_str(), path.c_str()) != 0) {
        throw EOleError("Cannot write the workbook \"" + path.string() + "\": " + std::strerror(errno));
    }
    temporary.keep();
}

std::filesystem::path spreadsheetCacheFolder(const char* xdgCacheHome, const char* home) {
    if (xdgCacheHome != nullptr && xdgCacheHome[0] == '/') {
        return std::filesystem::path(xdgCacheHome) / "corvantide";
    }
    if (home != nullptr && home[0] != '\0') {
        return std::filesystem::path(home) / ".cache" / "corvantide";
    }
    throw EOleError("No folder for the workbook: neither XDG_CACHE_HOME nor HOME is set");
}

std::filesystem::path spreadsheetCacheFolder() {
    return spreadsheetCacheFolder(std::getenv("XDG_CACHE_HOME"), std::getenv("HOME"));
}

std::filesystem::path freshWorkbookPath(const std::filesystem::path& folder, const std::string& workbookName) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    const std::string stem = workbookName + "-" + stamp;
    std::filesystem::path candidate = folder / (stem + ".xlsx");
    std::error_code unknown; // a name that cannot be checked is taken; writing it then tells why it failed
    for (int number = 2; std::filesystem::exists(candidate, unknown); ++number) {
        candidate = folder / (stem + "-" + std::to_string(number) + ".xlsx");
    }
    return candidate;
}

} // namespace cvt
