#pragma once

#include <string>

namespace cvt::cli {

// The shared fetch of `fetch` and `harvest`: one GET of the URL (trimmed of blanks) on a client set
// up as the word-list builder's is; the body. Throws std::runtime_error naming the failure.
std::string fetchPage(const std::string& url);

} // namespace cvt::cli
