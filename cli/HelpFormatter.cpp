#include "cli/HelpFormatter.h"

#include <sstream>

namespace cvt::cli {

std::string HelpFormatter::make_help(const CLI::App* app, std::string name, CLI::AppFormatMode mode) const {
    if (mode == CLI::AppFormatMode::Sub) {
        return make_expanded(app);
    }
    std::ostringstream out;
    out << make_usage(app, name) << make_description(app) << make_positionals(app) << make_groups(app, mode)
        << make_subcommands(app, mode);
    const std::string footer = make_footer(app);
    if (!footer.empty()) {
        out << '\n' << footer;
    }
    return out.str();
}

} // namespace cvt::cli
