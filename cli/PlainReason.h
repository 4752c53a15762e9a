#pragma once

#include <string>
#include <string_view>

namespace cvt::cli {

// A failure as the command-line tool tells it: a socket failure ("Socket Error # 10061 ...") in the
// system's own words with the step that failed and, when given, the server it was talking to
// ("connect: Connection refused (127.0.0.1:4399)"); the two parts of a cell's RDAP and WHOIS
// failure ("RDAP: ...; WHOIS: ...") each so, the server named only with the RDAP part; any other
// text as it is. The window's details keep the stored wording; this is only how the tool says it.
std::string plainReason(std::string_view text, std::string_view server = {});

} // namespace cvt::cli
