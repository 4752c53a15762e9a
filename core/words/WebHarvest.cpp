#include "core/words/WebHarvest.h"

#include "core/words/PageCharset.h"
#include "core/words/SortUnique.h"
#include "core/words/VisibleText.h"
#include "net/http/TNetHTTP.h"

namespace cvt {

namespace {

constexpr bool isWordByte(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

// Every maximal run of word bytes before the first NUL, one per line (SortUnique splits there).
std::string wordLines(std::string_view body) {
    body = body.substr(0, body.find('\0'));
    std::string words;
    std::size_t i = 0;
    while (i < body.size()) {
        while (i < body.size() && !isWordByte(body[i])) {
            ++i;
        }
        const std::size_t start = i;
        while (i < body.size() && isWordByte(body[i])) {
            ++i;
        }
        if (i > start) {
            words.append(body.substr(start, i - start));
            words += '\n';
        }
    }
    return words;
}

} // namespace

void setUpHarvestClient(TNetHTTP& client) {
    client.Request().userAgent = kHarvestUserAgent;
    client.Request().contentType = "text/html";
    client.Request().accept = "text/html, */*";
    client.SetReadTimeout(0);
    client.SetConnectTimeout(kHarvestConnectTimeoutMs);
    client.SetFetchTimeout(kHarvestFetchTimeoutMs);
}

std::string FetchPage(std::string_view url, TNetHTTP& client) {
    client.SetHandleRedirects(true);
    client.SetRedirectMaximum(kPageRedirectLimit);
    return client.Get(url);
}

FetchedPage FetchPageWithType(std::string_view url, TNetHTTP& client) {
    std::string body = FetchPage(url, client);
    return {std::move(body), client.Response().rawHeaders.value("Content-Type")};
}

PageHarvest HarvestPage(const FetchedPage& page, bool visibleTextOnly) {
    PageHarvest harvest;
    if (!visibleTextOnly) {
        harvest.words = ExtractWordList(page.body);
        return harvest;
    }
    const std::string charset = declaredPageCharset(page.contentType, page.body);
    const std::string text = visibleTextOfHtml(decodePageToUtf8(page.body, charset));
    harvest.words = ExtractWordList(text);
    harvest.hanRuns = hanRuns(text);
    return harvest;
}

std::string ExtractWords(std::string_view body) {
    return SortUnique(wordLines(body));
}

NameList ExtractWordList(std::string_view body) {
    return SortUniqueList(wordLines(body));
}

} // namespace cvt
