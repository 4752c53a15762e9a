#include "cli/CsvTable.h"

#include <ostream>
#include <string>
#include <string_view>

namespace cvt::cli {

namespace {

std::string textField(std::string_view text) {
    const bool formulaLike = !text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos;
    return formulaLike ? "'" + std::string(text) : std::string(text);
}

void writeField(std::string_view field, std::ostream& out) {
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
        out << field;
        return;
    }
    out << '"';
    for (const char c : field) {
        if (c == '"') {
            out << '"';
        }
        out << c;
    }
    out << '"';
}

} // namespace

void writeCsvTable(const ResultTableSnapshot& table, std::ostream& out) {
    out << "\xEF\xBB\xBF";
    for (std::size_t column = 0; column < table.captions.size(); ++column) {
        if (column > 0) {
            out << ',';
        }
        writeField(textField(table.captions[column]), out);
    }
    out << "\r\n";
    const std::size_t cells = table.captions.empty() ? 0 : table.captions.size() - 1;
    for (const ResultRow& row : table.rows) {
        writeField(textField(row.caption), out);
        for (std::size_t cell = 0; cell < std::max(cells, row.cells.size()); ++cell) {
            out << ',';
            writeField(cell < row.cells.size() ? row.cells[cell] : std::string(), out);
        }
        out << "\r\n";
    }
}

} // namespace cvt::cli
