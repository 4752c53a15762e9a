// The word-list builder's English and Chinese pages with any memo text and any limit fields. A
// failure is only ever the integer message for one of the two limits; on the English page with
// blank-free text every name is prefix + line without dots + postfix, its word within the limits.
#include "core/words/WordListBuilder.h"
#include "fuzz/FuzzInput.h"
#include "text/Trim.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>

namespace {

// Blanks split names and double quotes start quoted names in the final sort, so the simple
// property holds only for text without either.
bool hasBlank(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) <= 32 || c == '"'; });
}

std::string withoutDots(std::string_view line) {
    std::string word;
    std::copy_if(line.begin(), line.end(), std::back_inserter(word), [](char c) { return c != '.'; });
    return word;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using cvt::fuzz::require;
    cvt::fuzz::FieldReader input(data, size);
    cvt::WordListRequest request;
    request.page = (input.choice() & 1) != 0 ? cvt::WordPage::Chinese : cvt::WordPage::English;
    request.prefix = input.next();
    request.postfix = input.next();
    request.minimum = input.next();
    request.maximum = input.next();
    const std::string_view memo = input.rest();
    request.lines = cvt::WordListBuilder::splitMemoLines(memo);

    cvt::NameList names;
    try {
        names = cvt::WordListBuilder(request).build();
    } catch (const std::runtime_error& error) {
        // An exception's text ends at a NUL byte.
        const auto messageFor = [](std::string_view field) {
            const std::string message = "'" + std::string(cvt::trim(field)) + "' is not a valid integer value";
            return message.substr(0, message.find('\0'));
        };
        const std::string message = error.what();
        require(message == messageFor(request.minimum) || message == messageFor(request.maximum));
        return 0;
    }
    require(names.isSortedIgnoreCase());

    const std::string prefix(cvt::trim(request.prefix));
    const std::string postfix(cvt::trim(request.postfix));
    if (request.page != cvt::WordPage::English || hasBlank(prefix) || hasBlank(postfix) || hasBlank(memo)) {
        return 0;
    }
    // Limits that did not parse were never needed: then no word reached them.
    std::int64_t minimum = 0;
    std::int64_t maximum = 0;
    try {
        minimum = cvt::WordListBuilder::parseLimit(request.minimum);
        maximum = cvt::WordListBuilder::parseLimit(request.maximum);
    } catch (const std::runtime_error&) {
        require(names.empty());
        return 0;
    }
    std::set<std::string> words;
    for (const std::string& line : request.lines) {
        words.insert(withoutDots(line));
    }
    for (const std::string_view name : names) {
        require(name.size() >= prefix.size() + postfix.size());
        require(name.starts_with(prefix) && name.ends_with(postfix));
        const std::string word(name.substr(prefix.size(), name.size() - prefix.size() - postfix.size()));
        const auto length = static_cast<std::int64_t>(word.size());
        require(length >= minimum && length <= maximum);
        require(words.count(word) == 1);
    }
    return 0;
}
