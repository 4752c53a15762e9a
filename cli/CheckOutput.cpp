#include "cli/CheckOutput.h"

#include "cli/PlainReason.h"
#include "core/export/CsvExport.h"
#include "core/export/MarkGlyph.h"
#include "core/export/TextExport.h"
#include "core/query/ResultMarks.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <ostream>
#include <stdexcept>
#include <string_view>
#include <utility>

namespace cvt::cli {

namespace {

nlohmann::ordered_json jsonRow(const std::vector<std::string>& captions, const ResultRow& row,
                               const CheckOutputOptions& options) {
    nlohmann::ordered_json marks = nlohmann::ordered_json::object();
    for (std::size_t column = 1; column < captions.size(); ++column) {
        marks[captions[column]] = markWord(column - 1 < row.cells.size() ? row.cells[column - 1] : Mark::Unasked);
    }
    nlohmann::ordered_json json{{"name", row.caption}, {"marks", std::move(marks)}};
    const std::map<std::string, std::string> reasons = failureReasons(captions, row, options.servers);
    if (!reasons.empty()) {
        nlohmann::ordered_json byColumn = nlohmann::ordered_json::object();
        for (std::size_t column = 1; column < captions.size(); ++column) {
            if (const auto found = reasons.find(captions[column]); found != reasons.end()) {
                byColumn[captions[column]] = found->second;
            }
        }
        json["reasons"] = std::move(byColumn);
    }
    return json;
}

// Names that are not UTF-8 (word files in GBK) get U+FFFD rather than failing the whole output.
std::string dump(const nlohmann::ordered_json& value) {
    return value.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

// The text export's fields, TAB between them, with LF line ends.
void writeTsv(const ResultTableSnapshot& table, bool header, std::ostream& out) {
    const auto writeLine = [&out](const std::string& first, const auto& rest) {
        out << first;
        for (const auto& field : rest) {
            out << '\t' << field;
        }
        out << '\n';
    };
    if (header && !table.captions.empty()) {
        writeLine(table.captions.front(), std::vector<std::string>(table.captions.begin() + 1, table.captions.end()));
    }
    for (const ResultRow& row : table.rows) {
        std::vector<std::string_view> glyphs;
        glyphs.reserve(row.cells.size());
        for (const Mark cell : row.cells) {
            glyphs.push_back(markGlyph(cell));
        }
        writeLine(row.caption, glyphs);
    }
}

// The last column of the csv output: each row's reasons, "suffix: reason" joined by "; ".
CsvLastColumn reasonColumn(const ResultTableSnapshot& table,
                           const std::map<std::string, std::string, std::less<>>& servers) {
    CsvLastColumn column{"reasons", {}};
    column.fields.reserve(table.rows.size());
    for (const ResultRow& row : table.rows) {
        std::string joined;
        const std::map<std::string, std::string> reasons = failureReasons(table.captions, row, servers);
        for (std::size_t caption = 1; caption < table.captions.size(); ++caption) {
            if (const auto found = reasons.find(table.captions[caption]); found != reasons.end()) {
                joined += (joined.empty() ? "" : "; ") + found->first + ": " + found->second;
            }
        }
        column.fields.push_back(std::move(joined));
    }
    return column;
}

} // namespace

namespace {

// Every output format with its name on the command line, in the order help lists them.
constexpr std::pair<std::string_view, CheckFormat> kFormats[] = {{"text", CheckFormat::Text},
                                                                 {"tsv", CheckFormat::Tsv},
                                                                 {"csv", CheckFormat::Csv},
                                                                 {"json", CheckFormat::Json},
                                                                 {"jsonl", CheckFormat::Jsonl}};

} // namespace

CheckFormat checkFormatNamed(const std::string& name) {
    for (const auto& [formatName, format] : kFormats) {
        if (formatName == name) {
            return format;
        }
    }
    throw std::out_of_range("not an output format: " + name);
}

std::vector<std::string> checkFormatNames() {
    std::vector<std::string> names;
    for (const auto& [formatName, format] : kFormats) {
        names.emplace_back(formatName);
    }
    return names;
}

Mark markNamed(const std::string& name) {
    const std::optional<Mark> mark = markOfWord(name);
    if (!mark || *mark == Mark::Unasked) {
        throw std::out_of_range("not a mark a row can be chosen by: " + name);
    }
    return *mark;
}

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

std::map<std::string, std::string> failureReasons(const std::vector<std::string>& captions, const ResultRow& row,
                                                  const std::map<std::string, std::string, std::less<>>& servers) {
    std::map<std::string, std::string> reasons;
    for (std::size_t cell = 0; cell < row.cells.size() && cell + 1 < captions.size(); ++cell) {
        if (row.cells[cell] != Mark::Failed) {
            continue;
        }
        const std::string& caption = captions[cell + 1];
        const auto server = servers.find(caption);
        std::string reason = plainReason(row.detail(cell), server == servers.end() ? "" : server->second);
        reasons[caption] = reason.empty() ? "no reason given" : std::move(reason);
    }
    return reasons;
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
        m_out << dump(jsonRow(m_captions, row, m_options)) << '\n';
    }
    m_out.flush();
}

void CheckOutput::finish(const ResultTableSnapshot& table) {
    std::lock_guard lock(m_mutex);
    if (!streams()) {
        const ResultTableSnapshot kept = keepRows(table, m_options.only);
        switch (m_options.format) {
        case CheckFormat::Text: {
            std::string bytes = ExportTextBytes(kept);
            if (!m_options.header) {
                // The caption line ends at the first CR LF: captions never hold one.
                bytes.erase(0, bytes.find("\r\n") + 2);
            }
            m_out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            break;
        }
        case CheckFormat::Tsv:
            writeTsv(kept, m_options.header, m_out);
            break;
        case CheckFormat::Csv: {
            CsvLayout layout{!m_options.csvPlain, m_options.header, std::nullopt};
            if (m_options.reasonColumn) {
                layout.last = reasonColumn(kept, m_options.servers);
            }
            const std::string bytes = ExportCsvBytes(kept, layout);
            m_out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            break;
        }
        case CheckFormat::Json: {
            nlohmann::ordered_json document;
            document["suffixes"] = std::vector<std::string>(
                kept.captions.begin() + std::min<std::ptrdiff_t>(1, kept.captions.size()), kept.captions.end());
            document["rows"] = nlohmann::ordered_json::array();
            for (const ResultRow& row : kept.rows) {
                document["rows"].push_back(jsonRow(kept.captions, row, m_options));
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
