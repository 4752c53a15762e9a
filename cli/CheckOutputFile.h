#pragma once

#include "core/query/QueryEngine.h"
#include "core/query/ResultTable.h"

#include <filesystem>
#include <iosfwd>
#include <vector>

namespace cvt::cli {

// The file check writes its table to (--output FILE), in the format its name asks for. It is
// checked before the first query, so that a run does not end in a table nobody can write; should
// writing still fail at the end, the table goes to a new file beside it, else in the temporary
// folder, else to standard output: nothing a run found is lost.
class CheckOutputFile {
public:
    explicit CheckOutputFile(std::filesystem::path path) : m_path(std::move(path)) {}

    // Throws (ECreateFileError, EWorkbookError) with the reason when the file cannot be written now.
    void checkWritable() const;
    // For a workbook, throws EWorkbookError when the names the search asks would not fit in its
    // sheet. A pattern the search refuses is left to the search to refuse.
    void checkHolds(const SearchRequest& search) const;
    // Writes the table. When that fails, tells err why and where the table went instead, and
    // returns false.
    bool write(const ResultTableSnapshot& table, std::ostream& out, std::ostream& err) const;

    // Where the table goes when the file cannot take it, in order: a new name beside the file
    // (unless it is a device or a pipe), then one in the temporary folder; each with the file's
    // extension, so in the same format.
    std::vector<std::filesystem::path> fallbackPaths() const;

private:
    std::filesystem::path m_path;
};

} // namespace cvt::cli
