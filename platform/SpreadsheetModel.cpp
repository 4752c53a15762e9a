#include "platform/SpreadsheetModel.h"

#include "platform/EOleError.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>

namespace cvt {

namespace {

template <typename Apply>
void forEachAttribute(const CellFormat& change, Apply apply) {
    if (change.bold) {
        apply(&CellFormat::bold);
    }
    if (change.fontName) {
        apply(&CellFormat::fontName);
    }
    if (change.fontSize) {
        apply(&CellFormat::fontSize);
    }
}

void overlay(CellFormat& target, const CellFormat& over) {
    if (over.bold) {
        target.bold = over.bold;
    }
    if (over.fontName) {
        target.fontName = over.fontName;
    }
    if (over.fontSize) {
        target.fontSize = over.fontSize;
    }
}

// Decodes one UTF-8 sequence at `pos`; a malformed byte counts as one code point of its own value.
char32_t nextCodePoint(std::string_view text, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    std::size_t length = lead < 0x80           ? 1
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

std::size_t codePointCount(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < text.size(); ++count) {
        nextCodePoint(text, pos);
    }
    return count;
}

bool equalsAsciiIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

} // namespace

CellFormat effectiveFormat(const SheetData& sheet, CellPosition cell) {
    CellFormat format = sheet.baseFormat;
    if (auto row = sheet.rowFormats.find(cell.row); row != sheet.rowFormats.end()) {
        overlay(format, row->second);
    }
    if (auto own = sheet.cellFormats.find(cell); own != sheet.cellFormats.end()) {
        overlay(format, own->second);
    }
    return format;
}

void applyFormat(SheetData& sheet, const SheetArea& area, const CellFormat& change) {
    switch (area.kind) {
    case SheetArea::Kind::AllCells:
        overlay(sheet.baseFormat, change);
        forEachAttribute(change, [&sheet](auto member) {
            for (auto& [row, format] : sheet.rowFormats) {
                (format.*member).reset();
            }
            for (auto& [cell, format] : sheet.cellFormats) {
                (format.*member).reset();
            }
        });
        break;
    case SheetArea::Kind::Row:
        overlay(sheet.rowFormats[area.row], change);
        forEachAttribute(change, [&sheet, &area](auto member) {
            auto first = sheet.cellFormats.lower_bound(CellPosition{area.row, 1});
            for (; first != sheet.cellFormats.end() && first->first.row == area.row; ++first) {
                (first->second.*member).reset();
            }
        });
        break;
    case SheetArea::Kind::Cell:
        overlay(sheet.cellFormats[CellPosition{area.row, area.column}], change);
        break;
    }
}

void autoFitColumns(SheetData& sheet, const SheetArea& area) {
    std::set<std::int32_t> columns;
    if (area.kind == SheetArea::Kind::Cell) {
        columns.insert(area.column);
    } else {
        for (const auto& [cell, value] : sheet.cells) {
            if (area.kind == SheetArea::Kind::AllCells || cell.row == area.row) {
                columns.insert(cell.column);
            }
        }
    }
    std::map<std::int32_t, double> widest;
    std::int32_t formatRow = 0;
    CellFormat rowFormat;
    for (const auto& [cell, value] : sheet.cells) {
        if (columns.count(cell.column) != 0) {
            if (cell.row != formatRow) {
                formatRow = cell.row;
                rowFormat = effectiveFormat(sheet, CellPosition{cell.row, 0});
            }
            const CellFormat format = sheet.cellFormats.count(cell) != 0 ? effectiveFormat(sheet, cell) : rowFormat;
            const double width = value.kind() == VariantKind::String ? fittedWidth(value.asString(), format)
                                                                     : fittedWidth(cellText(value), format);
            double& best = widest[cell.column];
            best = std::max(best, width);
        }
    }
    for (std::int32_t column : columns) {
        const double width = widest.count(column) != 0 ? widest[column] : 0.0;
        if (width > 0.0) {
            sheet.columnWidths[column] = width;
        } else {
            sheet.columnWidths.erase(column);
        }
    }
}

double fittedWidth(std::string_view utf8, const CellFormat& format) {
    double units = 0.0;
    for (std::size_t pos = 0; pos < utf8.size();) {
        units += isWide(nextCodePoint(utf8, pos)) ? 2.0 : 1.0;
    }
    if (units == 0.0) {
        return 0.0;
    }
    const double size = format.fontSize.value_or(11.0);
    const double weight = format.bold.value_or(false) ? 1.1 : 1.0;
    return std::ceil((units * size / 11.0 * weight + 0.75) * 100.0) / 100.0;
}

std::string cellText(const OleVariant& value) {
    switch (value.kind()) {
    case VariantKind::String:
        return value.asString();
    case VariantKind::Integer:
        return std::to_string(value.asInteger());
    case VariantKind::Double: {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.15g", value.asDouble());
        return buffer;
    }
    case VariantKind::Boolean:
        return value.asBoolean() ? "TRUE" : "FALSE";
    case VariantKind::Empty:
    case VariantKind::Dispatch:
        break;
    }
    return {};
}

void validateSheetName(const WorkbookData& workbook, const SheetData* renamed, std::string_view name) {
    const std::size_t length = codePointCount(name);
    if (length == 0 || length > kMaxSheetNameLength) {
        throw EOleError("Invalid sheet name \"" + std::string(name) + "\": it must have 1 to 31 characters");
    }
    if (name.find_first_of(":\\/?*[]") != std::string_view::npos || name.front() == '\'' || name.back() == '\'') {
        throw EOleError("Invalid sheet name \"" + std::string(name) + "\": it contains a character not allowed");
    }
    for (const auto& sheet : workbook.sheets) {
        if (sheet.get() != renamed && equalsAsciiIgnoringCase(sheet->name, name)) {
            throw EOleError("Invalid sheet name \"" + std::string(name) + "\": another sheet has that name");
        }
    }
}

std::shared_ptr<SheetData> findSheet(const WorkbookData& workbook, const OleVariant& key) {
    if (key.kind() == VariantKind::String) {
        for (const auto& sheet : workbook.sheets) {
            if (equalsAsciiIgnoringCase(sheet->name, key.asString())) {
                return sheet;
            }
        }
        throw EOleError("Subscript out of range: no sheet named " + key.describe());
    }
    if (key.kind() == VariantKind::Integer || key.kind() == VariantKind::Double) {
        const double index = key.asDouble();
        if (index >= 1 && index <= static_cast<double>(workbook.sheets.size()) && std::floor(index) == index) {
            return workbook.sheets[static_cast<std::size_t>(index) - 1];
        }
        throw EOleError("Subscript out of range: no sheet " + key.describe());
    }
    throw EOleError(std::string("Type mismatch: a sheet is chosen by index or name, ") + variantKindName(key.kind()) +
                    " given");
}

std::shared_ptr<SheetData> activeSheet(const ApplicationData& application) {
    if (application.workbooks.empty()) {
        throw EOleError("No workbook is open");
    }
    const WorkbookData& workbook = *application.workbooks[application.activeWorkbook];
    if (workbook.sheets.empty()) {
        throw EOleError("The workbook has no sheet");
    }
    return workbook.sheets[workbook.activeSheet];
}

} // namespace cvt
