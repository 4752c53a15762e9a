#pragma once

#include "cli/WordListOptions.h"
#include "core/query/QueryEngine.h"

#include <iosfwd>
#include <string>

namespace CLI {
class App;
class Option;
} // namespace CLI

namespace cvt::cli {

// Where check takes its names from: a PATTERN, --words FILE (one name per line), a word-list page
// (--page, its lines from FILE or standard input), or "-": names on standard input, one per line.
class CheckNameSource {
public:
    void declare(CLI::App& command);
    // Throws UsageError when the options name no source, or more than one.
    void validate() const;
    // Whether prepare() reads standard input.
    bool readsStandardInput() const;
    // The search request with its names read (the language is the caller's to set). Throws
    // std::runtime_error when a file cannot be read or the word list cannot be built.
    SearchRequest prepare(std::istream& standardInput);
    // After prepare(): the lines of the page's UTF-8 file that were read as GBK.
    std::size_t gbkLines() const { return m_gbkLines; }

private:
    std::string m_argument; // PATTERN, the page's FILE, or "-"
    std::string m_wordsFile;
    WordListOptions m_wordList;
    CLI::Option* m_argumentOption = nullptr;
    CLI::Option* m_wordsOption = nullptr;
    std::size_t m_gbkLines = 0;
};

// One name per line, each line as it stands (only the LF that ends it is dropped).
NameList splitNameLines(const std::string& text);

} // namespace cvt::cli
