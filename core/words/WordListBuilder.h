#pragma once

#include "core/chinese/ChineseToPinyin.h"
#include "core/names/NameList.h"
#include "core/words/DictionaryFile.h"
#include "core/words/SortUnique.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cvt {

// The word sources of the word-list dialog, in the order of its pages.
enum class WordPage {
    English,    // typed, pasted or harvested English words, one per line
    Chinese,    // Chinese phrases, one per line, turned into pinyin
    Dictionary, // one of the two dictionary files
};

// What a Chinese phrase (Chinese page, zh-cn.dct) becomes.
enum class ChineseForm {
    Pinyin, // its pinyin: 中国 gives ZHONGGUO
    Idn,    // the phrase itself, an international name asked by its A-label
    Both,   // both: each phrase gives two names
};

// Everything the OK build needs, as the dialog holds it.
struct WordListRequest {
    WordPage page = WordPage::English;
    // Lines of the active page's memo (English or Chinese page); unused on the Dictionary page.
    std::vector<std::string> lines;
    DictionaryKind dictionary = DictionaryKind::Chinese;
    // How Chinese lines and zh-cn.dct entries are read: word by word (the default) or character by
    // character.
    PinyinReading reading = PinyinReading::ByPhrase;
    ChineseForm chineseAs = ChineseForm::Pinyin;
    // The four field texts as typed; they are trimmed here.
    std::string prefix;
    std::string postfix;
    std::string minimum = "4";
    std::string maximum = "8";
    // Where the dictionaries are opened: the current folder.
    std::filesystem::path dictionaryFolder = ".";
};

// Builds the candidate names of the word-list dialog.
//
// Each line gives one word: on the English page the line without its dots, and lines holding a
// space are skipped; on the Chinese page the line in pinyin; on the Dictionary page the entry as it
// stands (en.dct) or in pinyin (zh-cn.dct). Chinese lines and zh-cn.dct entries give their pinyin,
// the phrase itself in UTF-8 (GBK decoded; a phrase in neither encoding gives none), or both, as
// chineseAs says. A word whose length in bytes lies within the trimmed
// minimum and maximum becomes prefix + word + postfix (both trimmed; they do not count towards the
// length). The names are finally split at blanks, sorted without regard to letter case and freed of
// case-insensitive duplicates, the first form kept.
//
// Failures throw std::runtime_error carrying the message to show: a limit that is not an integer
// in the signed 32-bit range ("'%s' is not a valid integer value", the minimum checked at the
// first line, the maximum at the first word that reaches the minimum), a missing dictionary, a
// dictionary that cannot be read. No names are returned then.
class WordListBuilder {
public:
    explicit WordListBuilder(WordListRequest request);

    NameList build();
    // After build(): the lines (or zh-cn.dct entries) of a UTF-8 text that were not UTF-8 and were
    // read as GBK, each on its own (see gbk::EncodingVote::encodingOf); 0 for a text of one encoding.
    std::size_t gbkLines() const { return m_gbkLines; }

    // What the last build left out besides duplicates: words outside the letter limits and, on
    // the English page, words holding a space, each with the first such word (empty lines are not
    // counted).
    struct LeftOut {
        std::size_t byLength = 0;
        std::string lengthExample;
        std::size_t withSpace = 0;
        std::string spaceExample;
        bool operator==(const LeftOut&) const = default;
    };
    const LeftOut& leftOut() const { return m_leftOut; }

    // The value of a limit field: the trimmed text as a signed 32-bit decimal integer, or an
    // exception with the integer message.
    static std::int32_t parseLimit(std::string_view fieldText);

    // The lines of a memo's text: they end at CR LF, LF or a lone CR; a line end at the very end
    // starts no further line.
    static std::vector<std::string> splitMemoLines(std::string_view text);

private:
    enum class SpaceTest { KeepAll, SkipWordsWithSpace };
    void addWord(std::string_view word, SpaceTest spaceTest);
    void addChinese(std::string_view phrase, gbk::TextEncoding encoding);

    WordListRequest m_request;
    std::string m_prefix;
    std::string m_postfix;
    std::optional<std::int32_t> m_minimum;
    std::optional<std::int32_t> m_maximum;
    SortUniqueBuilder m_sorter;
    std::size_t m_gbkLines = 0;
    LeftOut m_leftOut;
};

} // namespace cvt
