#pragma once

#include "core/WordListBuilder.h"

#include <cstddef>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cvt::cli {

// The word-list options the words and check commands share, with the word-list dialog's defaults
// in the request (english page, dictionary zh-cn, minimum 4, maximum 8, no prefix or postfix).
// A repeated option takes its last value.
struct WordListOptions {
    WordListRequest request;
    bool pageGiven = false;  // --page appeared
    bool otherGiven = false; // --dict, --prefix, --postfix, --min, --max or --by-character appeared
};

// Help lines for --dict, --prefix, --postfix, --min, --max and --by-character (each command describes --page itself).
extern const char* const kWordListOptionsHelp;

// Takes the value of an option given as "--name VALUE" or "--name=VALUE" and moves i onto the last
// argument used; false when args[i] is not that option. Throws std::invalid_argument when the value
// is missing.
bool takeOptionValue(const std::vector<std::string>& args, std::size_t& i, std::string_view name, std::string& value);

// Takes the word-list option at args[i] into options; false when args[i] is none of them. Throws
// std::invalid_argument on a missing value or an unknown page or dictionary. The limits are kept as
// typed: the build itself reports a limit that is not an integer.
bool takeWordListOption(const std::vector<std::string>& args, std::size_t& i, WordListOptions& options);

// Whether the page builds from memo lines (english, chinese) rather than from a dictionary file.
bool pageReadsLines(WordPage page);

// The memo lines of the english and chinese pages: the text of FILE, or of standard input when FILE
// is absent or "-", cut at CR LF, LF or a lone CR. Throws std::runtime_error when it cannot be read.
std::vector<std::string> readMemoLines(const std::optional<std::string>& file, std::istream& standardInput);

} // namespace cvt::cli
