#include "core/export/CsvExport.h"

#include "core/export/MarkGlyph.h"
#include "core/export/TextExport.h"

#include <string_view>

namespace cvt {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kLineEnd = "\r\n";

bool looksLikeFormula(std::string_view text) {
    return !text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos;
}

void appendField(std::string& out, std::string_view text, bool guardFormula) {
    const bool guard = guardFormula && looksLikeFormula(text);
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        if (guard) {
            out += '\'';
        }
        out.append(text);
        return;
    }
    out += '"';
    if (guard) {
        out += '\'';
    }
    for (const char c : text) {
        if (c == '"') {
            out += '"';
        }
        out += c;
    }
    out += '"';
}

} // namespace

std::string ExportCsvBytes(const ResultTableSnapshot& table) {
    return ExportCsvBytes(table, CsvLayout{});
}

std::string ExportCsvBytes(const ResultTableSnapshot& table, const CsvLayout& layout) {
    const bool guard = layout.forSpreadsheets;
    std::string out(guard ? kByteOrderMark : std::string_view());
    if (layout.header) {
        for (std::size_t i = 0; i < table.captions.size(); ++i) {
            if (i != 0) {
                out += ',';
            }
            appendField(out, table.captions[i], guard);
        }
        if (layout.last) {
            out += ',';
            appendField(out, layout.last->caption, guard);
        }
        out.append(kLineEnd);
    }
    const std::size_t suffixColumns = table.captions.empty() ? 0 : table.captions.size() - 1;
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        const ResultRow& row = table.rows[r];
        appendField(out, row.caption, guard);
        // The marks' glyphs are the program's own ("-" means no answer) and are written as they are.
        for (std::size_t j = 0; j < suffixColumns; ++j) {
            out += ',';
            if (j < row.cells.size()) {
                appendField(out, markGlyph(row.cells[j]), false);
            }
        }
        if (layout.last) {
            out += ',';
            if (r < layout.last->fields.size()) {
                appendField(out, layout.last->fields[r], false);
            }
        }
        out.append(kLineEnd);
    }
    return out;
}

void ExportToCsv(const ResultTableSnapshot& table, const std::filesystem::path& fileName,
                 const std::atomic<bool>* cancel) {
    WriteExportFile(fileName, ExportCsvBytes(table), cancel);
}

} // namespace cvt
