#pragma once

#include "cli/Commands.h"
#include "core/WebHarvest.h"

#include <optional>
#include <string>

namespace cvt::cli {

// The shared front of `fetch` and `harvest`: checks the one URL argument, fetches the page (up to
// five redirects followed) and returns its body and type. Returns no body when the command is already done (help
// printed, usage error or a failed fetch reported on standard error); exitCode then holds the process exit code.
std::optional<FetchedPage> fetchPageArgument(CommandContext& context, const char* usage, int& exitCode);

} // namespace cvt::cli
