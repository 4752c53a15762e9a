#pragma once

#include "core/words/WebHarvest.h"

#include <string>

namespace cvt::cli {

// The shared fetch of `fetch` and `harvest`: one GET of the URL (trimmed of blanks) on a client set
// up as the word-list builder's is, following up to five redirects; the body and its type. Throws
// std::runtime_error naming the failure.
FetchedPage fetchPage(const std::string& url);

} // namespace cvt::cli
