#include "cli/CheckOutput.h"

#include "core/export/CsvExport.h"
#include "core/export/MarkGlyph.h"
#include "core/export/TextExport.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <ostream>

namespace cvt::cli {

namespace {

nlohmann::ordered_json jsonRow(const std::vector<std::string>& captions, const ResultRow& row) {
    nlohmann::ordered_json marks = nlohmann::ordered_json::object();
    for (std::size_t column = 1; column < captions.size(); ++column) {
        marks[captions[column]] = markWord(column - 1 < row.cells.size() ? row.cells[column - 1] : Mark::Unasked);
    }
    return {{"name", row.caption}, {"marks", std::move(marks)}};
}

// Names that are not UTF-8 (word files in GBK) get U+FFFD rather than failing the whole output.
std::string dump(const nlohmann::ordered_json& value) {
    return value.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

// The text export's fields with LF line ends.
void writeTsv(const ResultTableSnapshot& table, std::ostream& out) {
    for (const std::string& caption : table.captions) {
        out << caption << '\t';
    }
    out << '\n';
    for (const ResultRow& row : table.rows) {
        out << row.caption << '\t';
        for (const Mark cell : row.cells) {
            out << markGlyph(cell) << '\t';
        }
        out << '\n';
    }
}

} // namespace

bool rowHasMark(const ResultRow& row, std::optional<Mark> mark) {
    return !mark || std::find(row.cells.begin(), row.cells.end(), *mark) != row.cells.end();
}

ResultTableSnapshot keepRows(const ResultTableSnapshot& table, std::optional<Mark> mark) {
    ResultTableSnapshot kept{table.captions, {}};
    for (const ResultRow& row : table.rows) {
        if (rowHasMark(row, mark)) {
            kept.rows.push_back(row);
        }
    }
    return kept;
}

const char* markWord(Mark mark) {
    switch (mark) {
    case Mark::Free:
        return "free";
    case Mark::Registered:
        return "registered";
    case Mark::Failed:
        return "failed";
    case Mark::Unasked:
        break;
    }
    return "unasked";
}

void CheckOutput::start(const std::vector<std::string>& captions) {
    std::lock_guard lock(m_mutex);
    m_captions = captions;
}

void CheckOutput::row(const ResultRow& row) {
    if (!streams() || !rowHasMark(row, m_options.only)) {
        return;
    }
    std::lock_guard lock(m_mutex);
    if (m_options.freeNames) {
        for (std::size_t cell = 0; cell < row.cells.size() && cell + 1 < m_captions.size(); ++cell) {
            if (row.cells[cell] == Mark::Free) {
                m_out << row.caption << '.' << m_captions[cell + 1] << '\n';
            }
        }
    } else {
        m_out << dump(jsonRow(m_captions, row)) << '\n';
    }
    m_out.flush();
}

void CheckOutput::finish(const ResultTableSnapshot& table) {
    std::lock_guard lock(m_mutex);
    if (!streams()) {
        const ResultTableSnapshot kept = keepRows(table, m_options.only);
        switch (m_options.format) {
        case CheckFormat::Text:
            WriteExportText(kept, m_out);
            break;
        case CheckFormat::Tsv:
            writeTsv(kept, m_out);
            break;
        case CheckFormat::Csv: {
            const std::string bytes = ExportCsvBytes(kept);
            m_out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            break;
        }
        case CheckFormat::Json: {
            nlohmann::ordered_json document;
            document["suffixes"] = std::vector<std::string>(
                kept.captions.begin() + std::min<std::ptrdiff_t>(1, kept.captions.size()), kept.captions.end());
            document["rows"] = nlohmann::ordered_json::array();
            for (const ResultRow& row : kept.rows) {
                document["rows"].push_back(jsonRow(kept.captions, row));
            }
            m_out << dump(document) << '\n';
            break;
        }
        case CheckFormat::Jsonl:
            break;
        }
    }
    m_out.flush();
}

} // namespace cvt::cli
