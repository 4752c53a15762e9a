#include "cli/ServerTableLoading.h"

#include "config/TIniOptions.h"

#include <ostream>

namespace cvt::cli {

ServerTableData loadServerTable(const std::filesystem::path& path, std::string_view command, std::ostream& err) {
    TIniOptions options;
    options.LoadFromFile(path);
    ServerTableData table = BuildServerTable(options);
    for (const SkippedServerLine& skipped : table.skipped) {
        err << "corvantide-cli " << command << ": warning: " << describeSkippedServerLine(skipped) << '\n';
    }
    for (const std::string& warning : table.runWarnings) {
        err << "corvantide-cli " << command << ": warning: " << warning << '\n';
    }
    return table;
}

} // namespace cvt::cli
