#pragma once

#include "core/names/NameList.h"

#include <string>
#include <string_view>
#include <vector>

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

// How many redirects a page fetch follows.
inline constexpr int kPageRedirectLimit = 5;

// One GET of url on the given client, following up to kPageRedirectLimit redirects (http to https
// allowed, https to http refused); the response body, byte for byte. Every failure is an exception
// (the client's; see TNetHTTP.h).
std::string FetchPage(std::string_view url, TNetHTTP& client);

// A fetched page: its body, byte for byte, and its Content-Type header (empty when not known).
struct FetchedPage {
    FetchedPage() = default;
    // A page whose type is not known.
    FetchedPage(std::string pageBody) : body(std::move(pageBody)) {}
    FetchedPage(std::string pageBody, std::string type) : body(std::move(pageBody)), contentType(std::move(type)) {}

    std::string body;
    std::string contentType;
};

// FetchPage, keeping the Content-Type too.
FetchedPage FetchPageWithType(std::string_view url, TNetHTTP& client);

// What the word-list builder takes from a page.
struct PageHarvest {
    NameList words;                   // see ExtractWordList
    std::vector<std::string> hanRuns; // runs of Han characters, UTF-8, each once (visible text only)
};

// With visibleTextOnly, the page is decoded from its declared character set to UTF-8 (see
// core/PageCharset.h), reduced to its visible text (core/VisibleText.h), and the words and the Han
// runs are taken from that. Without it, the words are taken from the raw bytes exactly as
// ExtractWordList does, and there are no Han runs.
PageHarvest HarvestPage(const FetchedPage& page, bool visibleTextOnly);

// The words of a page source: every maximal run of the 63 word bytes (0-9, A-Z, a-z and "_")
// before the first NUL byte, sorted and de-duplicated without regard to letter case (the first
// spelling met is kept), one per line, each followed by "\r\n". Markup is not skipped: tag and
// attribute names become words too.
std::string ExtractWords(std::string_view body);
// The same words as a list.
NameList ExtractWordList(std::string_view body);

} // namespace cvt
