#pragma once

#include "core/NameList.h"

#include <string>
#include <string_view>

namespace cvt {

class TNetHTTP;

// The user agent the word-list dialog's client announces (the trailing blank is stripped when sent).
inline constexpr const char* kHarvestUserAgent = "Mozilla/4.0 (compatible;MSIE 6.0; Windows98;Maxthon) ";

// Gives a client the request settings of the word-list dialog's fetch.
void setUpHarvestClient(TNetHTTP& client);

// How many redirects a page fetch follows.
inline constexpr int kPageRedirectLimit = 5;

// One GET of url on the given client, following up to kPageRedirectLimit redirects (http to https
// allowed, https to http refused); the response body, byte for byte. Every failure is an exception
// (the client's; see TNetHTTP.h).
std::string FetchPage(std::string_view url, TNetHTTP& client);

// The words of a page source: every maximal run of the 63 word bytes (0-9, A-Z, a-z and "_")
// before the first NUL byte, sorted and de-duplicated without regard to letter case (the first
// spelling met is kept), one per line, each followed by "\r\n". Markup is not skipped: tag and
// attribute names become words too.
std::string ExtractWords(std::string_view body);
// The same words as a list.
NameList ExtractWordList(std::string_view body);

} // namespace cvt
