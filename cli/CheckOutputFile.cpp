#include "cli/CheckOutputFile.h"

#include "core/export/TextExport.h"
#include "core/names/PatternExpansion.h"
#include "core/names/SearchCandidates.h"
#include "platform/EWorkbookError.h"
#include "platform/ExcelExport.h"

#include <ostream>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace cvt::cli {

namespace {

constexpr const char* kPrefix = "corvantide-cli check: ";
constexpr int kNamesTried = 100;

// The first name of the form stem + "-" + word (+ "-N") + extension in the folder that nothing
// holds yet.
std::filesystem::path unusedName(const std::filesystem::path& folder, const std::string& stem,
                                 const std::string& extension) {
    std::filesystem::path candidate;
    for (int number = 1; number <= kNamesTried; ++number) {
        candidate = folder / (stem + (number == 1 ? std::string() : "-" + std::to_string(number)) + extension);
        std::error_code error;
        if (!std::filesystem::exists(std::filesystem::symlink_status(candidate, error))) {
            break;
        }
    }
    return candidate;
}

} // namespace

void CheckOutputFile::checkWritable() const {
    CheckExportTarget(m_path);
}

void CheckOutputFile::checkHolds(const SearchRequest& search) const {
    if (!IsWorkbookFileName(m_path)) {
        return;
    }
    try {
        CheckSheetHolds(SearchCandidates::prepare(search.mode, search.patternText, search.words).names);
    } catch (const PatternError&) {
        // The search refuses the pattern in the user's language.
    }
}

std::vector<std::filesystem::path> CheckOutputFile::fallbackPaths() const {
    const std::string extension = m_path.extension().string();
    const std::filesystem::path folder = m_path.has_parent_path() ? m_path.parent_path() : ".";
    std::vector<std::filesystem::path> paths;
    // A device's folder (/dev) is no place for a file of one's own.
    struct stat reached {};
    const bool device = ::stat(m_path.c_str(), &reached) == 0 && !S_ISREG(reached.st_mode) && !S_ISDIR(reached.st_mode);
    if (!device) {
        paths.push_back(unusedName(folder, m_path.stem().string() + "-recovered", extension));
    }
    std::error_code error;
    const std::filesystem::path temporary = std::filesystem::temp_directory_path(error);
    if (!error) {
        paths.push_back(unusedName(temporary, "corvantide-table-" + std::to_string(::getpid()), extension));
    }
    return paths;
}

bool CheckOutputFile::write(const ResultTableSnapshot& table, std::ostream& out, std::ostream& err) const {
    try {
        ExportToFile(table, m_path);
        return true;
    } catch (const ECreateFileError& error) {
        err << kPrefix << error.what() << '\n';
    } catch (const EWorkbookError& error) {
        err << kPrefix << error.what() << '\n';
    }
    for (const std::filesystem::path& fallback : fallbackPaths()) {
        try {
            ExportToFile(table, fallback);
            err << kPrefix << "the table was written to " << fallback.string() << " instead\n";
            return false;
        } catch (const ECreateFileError& error) {
            err << kPrefix << error.what() << '\n';
        } catch (const EWorkbookError& error) {
            err << kPrefix << error.what() << '\n';
        }
    }
    WriteExportText(table, out);
    out.flush();
    err << kPrefix << "the table went to standard output instead\n";
    return false;
}

} // namespace cvt::cli
