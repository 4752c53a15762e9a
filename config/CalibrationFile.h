#pragma once

#include "core/suffixes/CalibrationBook.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace cvt {

// The no-match texts derived from WHOIS servers' own replies, kept per user in whois-texts.tsv
// beside the Config.ini in use: the program writes this file, the user edits Config.ini. Format (in
// its header comment too): UTF-8 lines, "#" lines and empty lines skipped; every other line is
//   server<TAB>derived at, as 2026-12-08T12:00:00Z<TAB>no-match text<TAB>registered text
// with backslash, TAB, CR and LF in the texts written as \\, \t, \r and \n. A line without the
// registered text loads with it unknown. A line that breaks the format is left out (and dropped at
// the next save); a later line for a server replaces an earlier. The file's name is not the one the
// first version of this format (no-match text only) was kept under: that version's reader would
// take both texts of a line as one no-match text and judge every reply registered.
class CalibrationFile {
public:
    static constexpr std::size_t kMaxFileBytes = 4 * 1024 * 1024;

    static std::string_view fileName() { return "whois-texts.tsv"; }
    // The file beside a Config.ini.
    static std::filesystem::path besideConfig(const std::filesystem::path& configPath);

    static CalibrationBook parse(std::string_view text, std::size_t* linesLeftOut = nullptr);
    static std::string format(const CalibrationBook& book);

    // The book in the file; empty when the file is missing. problem tells what is wrong otherwise
    // (unreadable, oversized, lines left out), empty when nothing.
    static CalibrationBook load(const std::filesystem::path& path, std::string& problem);

    // Adds or replaces one server's text in the file as it now stands on disk (so texts another
    // process kept meanwhile stay) and replaces the file at once. Returns what went wrong, empty
    // when it was kept.
    static std::string keep(const std::filesystem::path& path, const std::string& server,
                            const StoredCalibration& calibration);
};

// "2026-12-08T12:00:00Z" for seconds since 1970 (UTC).
std::string calibrationDate(std::int64_t secondsSinceEpoch);

} // namespace cvt
