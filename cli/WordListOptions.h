#pragma once

#include "core/words/WordListBuilder.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace CLI {
class App;
class Option;
} // namespace CLI

namespace cvt::cli {

// The word-list options the words and check commands share (--page, --dict, --prefix, --postfix,
// --min, --max, --by-character, --chinese-as and its short form --idn), with the word-list dialog's defaults (english
// page, dictionary zh-cn, minimum 4, maximum 8, no prefix or postfix). A limit that is not a signed 32-bit integer is
// wrong usage.
struct WordListOptions {
    std::string page = "english";
    std::string dictionary = "zh-cn";
    bool byCharacter = false;
    std::string chineseAs = "pinyin";
    bool idn = false;
    WordListRequest request;

    void declare(CLI::App& command);
    // The request with the page, the reading and the dictionary chosen, the dictionary looked for in
    // the data folders (the lines are the caller's to set).
    WordListRequest toRequest() const;
    WordPage chosenPage() const;
    ChineseForm chosenChineseForm() const;
    // Whether --page was given.
    bool pageGiven() const;
    // Whether any of --dict, --prefix, --postfix, --min, --max, --by-character, --chinese-as and
    // --idn was given.
    bool otherGiven() const;

private:
    CLI::Option* m_page = nullptr;
    std::vector<CLI::Option*> m_others;
};

// Whether the page builds from memo lines (english, chinese) rather than from a dictionary file.
bool pageReadsLines(WordPage page);

// The memo lines of the english and chinese pages: the text of FILE, or of standard input when FILE
// is empty or "-", cut at CR LF, LF or a lone CR. Throws std::runtime_error when it cannot be read.
std::vector<std::string> readMemoLines(const std::string& file, std::istream& standardInput);

// The warning for a UTF-8 text of which gbkLines lines were read as GBK, or "" when none were.
std::string gbkLinesWarning(std::size_t gbkLines);

// The whole text of FILE, or of standard input when FILE is "-". Throws std::runtime_error naming
// what when it cannot be read.
std::string readInputText(const std::string& file, std::istream& standardInput, const std::string& what);

} // namespace cvt::cli
