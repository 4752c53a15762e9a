#pragma once

#include "core/NameList.h"

#include <string>
#include <string_view>

namespace cvt {

class TNetHTTP;

// The user agent the word-list dialog's client announces (the trailing blank is stripped when sent).
inline constexpr const char* kHarvestUserAgent = "Mozilla/4.0 (compatible;MSIE 6.0; Windows98;Maxthon) ";

// Limits of a page fetch: the connect, and the whole fetch (so a host that accepts and then
// trickles or stays silent cannot hold a script or the dialog for ever). Each wait has no limit of
// its own.
inline constexpr int kHarvestConnectTimeoutMs = 30000;
inline constexpr int kHarvestFetchTimeoutMs = 120000;

// Gives a client the request settings and limits of every page fetch (the word-list dialog's Fetch
// and the command-line tool's fetch and harvest): the User-Agent, the accepted types, the limits.
void setUpHarvestClient(TNetHTTP& client);

// One GET of url on the given client; the response body, byte for byte. Every failure is an
// exception (the client's; see TNetHTTP.h).
std::string FetchPage(std::string_view url, TNetHTTP& client);

// The words of a page source: every maximal run of the 63 word bytes (0-9, A-Z, a-z and "_")
// before the first NUL byte, sorted and de-duplicated without regard to letter case (the first
// spelling met is kept), one per line, each followed by "\r\n". Markup is not skipped: tag and
// attribute names become words too.
std::string ExtractWords(std::string_view body);
// The same words as a list.
NameList ExtractWordList(std::string_view body);

} // namespace cvt
