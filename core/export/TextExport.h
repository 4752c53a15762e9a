#pragma once

#include "core/query/ResultTable.h"

#include <atomic>
#include <filesystem>
#include <ostream>
#include <stdexcept>
#include <string>

namespace cvt {

// A file that cannot be created; the message reads: Cannot create file "<path>". <reason>
class ECreateFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The text form of the table: a header line with every column caption, then one line per row with
// its name and each of its own cells (as many as the row has, whatever the number of columns).
// Every field is followed by a TAB and every line, the last one too, ends in CR LF. Texts are
// written byte for byte; nothing else is written (no byte-order mark, no title).
void WriteExportText(const ResultTableSnapshot& table, std::ostream& out);
std::string ExportTextBytes(const ResultTableSnapshot& table);

// Writes the text form to the file, creating or replacing it, as ExportFile writes a file (through
// symbolic links, into a device, a regular file replaced through a temporary file beside it and
// keeping its permissions). Raises ECreateFileError with the system's reason when the file cannot
// be created or written, EExportCancelled (and writes nothing) when the flag is set before the file
// is in place.
void ExportToText(const ResultTableSnapshot& table, const std::filesystem::path& fileName,
                  const std::atomic<bool>* cancel = nullptr);

// Puts the bytes into the file the way ExportToText does; the other exports use it too.
void WriteExportFile(const std::filesystem::path& fileName, std::string_view bytes,
                     const std::atomic<bool>* cancel = nullptr);

} // namespace cvt
