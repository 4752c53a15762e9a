#pragma once

#include "core/query/ResultTable.h"

#include <functional>
#include <iosfwd>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace cvt::cli {

enum class CheckFormat { Text, Tsv, Csv, Json, Jsonl };

struct CheckOutputOptions {
    CheckFormat format = CheckFormat::Text;
    // Keep only the rows with at least one cell with this mark.
    std::optional<Mark> only;
    // Print name.suffix for every free cell, one per line, instead of the table.
    bool freeNames = false;
    // text, tsv and csv: the caption line first.
    bool header = true;
    // csv: a last column "reasons" with the reason of every failed cell ("org: read timed out").
    bool reasonColumn = false;
    // csv: for programs, without the byte-order mark and the apostrophe before formula-like names.
    bool csvPlain = false;
    // The server of each suffix column, named in the reasons of socket failures.
    std::map<std::string, std::string, std::less<>> servers;
};

// What check prints on standard output. jsonl and the free names go out row by row as the rows
// finish (flushed, so a pipe sees them while the run goes on); the other formats once, at the end.
// row() may be called from the run's threads; calls are serialised here.
class CheckOutput {
public:
    CheckOutput(CheckOutputOptions options, std::ostream& out) : m_options(options), m_out(out) {}

    void start(const std::vector<std::string>& captions);
    void row(const ResultRow& row);
    // The whole table, for the formats written at the end; the stream flushed either way.
    void finish(const ResultTableSnapshot& table);

private:
    bool streams() const { return m_options.freeNames || m_options.format == CheckFormat::Jsonl; }

    CheckOutputOptions m_options;
    std::ostream& m_out;
    std::mutex m_mutex;
    std::vector<std::string> m_captions;
};

// The format and the mark of their names on the command line (text, tsv, csv, json, jsonl;
// free, registered, failed); std::out_of_range for another name.
CheckFormat checkFormatNamed(const std::string& name);
std::vector<std::string> checkFormatNames();
Mark markNamed(const std::string& name);

// Whether the row has a cell with the mark (every row when no mark is given).
bool rowHasMark(const ResultRow& row, std::optional<Mark> mark);
// The table with only the rows that have a cell with the mark.
ResultTableSnapshot keepRows(const ResultTableSnapshot& table, std::optional<Mark> mark);
// The reason of every failed cell of the row in plain words, keyed by the column's caption.
std::map<std::string, std::string> failureReasons(const std::vector<std::string>& captions, const ResultRow& row,
                                                  const std::map<std::string, std::string, std::less<>>& servers);

} // namespace cvt::cli
