#pragma once

#include "config/ServerTable.h"

#include <filesystem>
#include <iosfwd>
#include <string_view>

namespace cvt::cli {

// The server table built from a Config.ini; every entry that was skipped is named in a warning on
// standard error, headed by the command's name.
ServerTableData loadServerTable(const std::filesystem::path& path, std::string_view command, std::ostream& err);

} // namespace cvt::cli
