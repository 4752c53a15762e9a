// Web-page word harvest: any page gives words that are maximal runs of word bytes taken from the
// page before its first NUL, sorted and free of duplicates that differ only in letter case.
#include "core/words/WebHarvest.h"
#include "fuzz/FuzzInput.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

bool isWordByte(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

// Whether `word` stands in `page` with a non-word byte (or the page's end) on either side.
bool occursAsRun(std::string_view page, std::string_view word) {
    for (std::size_t at = page.find(word); at != std::string_view::npos; at = page.find(word, at + 1)) {
        const bool startsRun = at == 0 || !isWordByte(page[at - 1]);
        const bool endsRun = at + word.size() == page.size() || !isWordByte(page[at + word.size()]);
        if (startsRun && endsRun) {
            return true;
        }
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using cvt::fuzz::require;
    const std::string_view body =
        size == 0 ? std::string_view() : std::string_view(reinterpret_cast<const char*>(data), size);
    const std::string_view page = body.substr(0, body.find('\0'));
    const cvt::NameList words = cvt::ExtractWordList(body);
    std::string joined;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string_view word = words[i];
        require(!word.empty());
        for (const char c : word) {
            require(isWordByte(c));
        }
        require(occursAsRun(page, word));
        joined.append(word);
        joined += "\r\n";
    }
    require(words.isSortedIgnoreCase());
    for (std::size_t i = 1; i < words.size(); ++i) {
        const std::string_view a = words[i - 1];
        const std::string_view b = words[i];
        bool sameButCase = a.size() == b.size();
        for (std::size_t k = 0; sameButCase && k < a.size(); ++k) {
            const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
            sameButCase = fold(a[k]) == fold(b[k]);
        }
        require(!sameButCase);
    }
    // The text form is the list, one word per line.
    require(cvt::ExtractWords(body) == joined);
    return 0;
}
