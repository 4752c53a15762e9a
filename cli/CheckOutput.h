#pragma once

#include "core/query/ResultTable.h"

#include <iosfwd>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace cvt::cli {

enum class CheckFormat { Text, Tsv, Csv, Json, Jsonl };
enum class MarkKind { Free, Registered, Failed };

struct CheckOutputOptions {
    CheckFormat format = CheckFormat::Text;
    // Keep only the rows with at least one cell of this kind.
    std::optional<MarkKind> only;
    // Print name.suffix for every free cell, one per line, instead of the table.
    bool freeNames = false;
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

// Whether the row has a cell of the kind (every row when no kind is given).
bool rowHasMark(const ResultRow& row, std::optional<MarkKind> kind);
// The table with only the rows that have a cell of the kind.
ResultTableSnapshot keepRows(const ResultTableSnapshot& table, std::optional<MarkKind> kind);
// The word json and jsonl use for a mark: free, registered, failed or unasked.
const char* markWord(const std::string& mark);

} // namespace cvt::cli
