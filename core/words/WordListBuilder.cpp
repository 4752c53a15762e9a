#include "core/words/WordListBuilder.h"

#include "core/chinese/ChineseToPinyin.h"
#include "text/CheckedNumber.h"
#include "text/TextUtil.h"

#include <limits>
#include <stdexcept>
#include <utility>

namespace cvt {

namespace {

std::string withoutDots(std::string_view line) {
    std::string word;
    word.reserve(line.size());
    for (const char c : line) {
        if (c != '.') {
            word += c;
        }
    }
    return word;
}

} // namespace

WordListBuilder::WordListBuilder(WordListRequest request)
    : m_request(std::move(request)), m_prefix(trim(m_request.prefix)), m_postfix(trim(m_request.postfix)) {}

std::int32_t WordListBuilder::parseLimit(std::string_view fieldText) {
    const std::string_view text = trim(fieldText);
    const SignedResult value =
        parseSignedDigits(text, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max());
    if (!value.ok) {
        throw std::runtime_error("'" + std::string(text) + "' is not a valid integer value");
    }
    return static_cast<std::int32_t>(value.value);
}

std::vector<std::string> WordListBuilder::splitMemoLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            lines.emplace_back(text.substr(start, i - start));
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
            start = i + 1;
        }
    }
    if (start < text.size()) {
        lines.emplace_back(text.substr(start));
    }
    return lines;
}

void WordListBuilder::addWord(std::string_view word, SpaceTest spaceTest) {
    // The limits are read when first needed: an invalid maximum goes unnoticed while every word is
    // shorter than the minimum.
    const auto length = static_cast<std::int64_t>(word.size());
    if (!m_minimum) {
        m_minimum = parseLimit(m_request.minimum);
    }
    const auto leaveOut = [&word](std::size_t& count, std::string& example) {
        if (!word.empty()) {
            ++count;
            if (example.empty()) {
                example = word;
            }
        }
    };
    if (length < *m_minimum) {
        leaveOut(m_leftOut.byLength, m_leftOut.lengthExample);
        return;
    }
    if (!m_maximum) {
        m_maximum = parseLimit(m_request.maximum);
    }
    if (length > *m_maximum) {
        leaveOut(m_leftOut.byLength, m_leftOut.lengthExample);
        return;
    }
    // Only English words are tested for spaces, after the limits.
    if (spaceTest == SpaceTest::SkipWordsWithSpace && word.find(' ') != std::string_view::npos) {
        leaveOut(m_leftOut.withSpace, m_leftOut.spaceExample);
        return;
    }
    // Each name goes to the sorter as one line of the list's text.
    m_sorter.feed(m_prefix);
    m_sorter.feed(word);
    m_sorter.feed(m_postfix);
    m_sorter.feed("\r\n");
}

void WordListBuilder::addChinese(std::string_view phrase, gbk::TextEncoding encoding) {
    if (m_request.chineseAs != ChineseForm::Idn) {
        addWord(ChineseToPinyin(phrase, encoding, m_request.reading), SpaceTest::KeepAll);
    }
    if (m_request.chineseAs == ChineseForm::Pinyin) {
        return;
    }
    std::string text;
    if (encoding == gbk::TextEncoding::Gbk ? gbk::gbkToUtf8(phrase, text) : gbk::isValidUtf8(phrase)) {
        addWord(trim(text.empty() ? phrase : std::string_view(text)), SpaceTest::KeepAll);
    }
}

NameList WordListBuilder::build() {
    m_sorter = SortUniqueBuilder();
    m_leftOut = {};
    m_minimum.reset();
    m_maximum.reset();
    m_gbkLines = 0;
    switch (m_request.page) {
    case WordPage::English:
        for (const std::string& line : m_request.lines) {
            addWord(withoutDots(line), SpaceTest::SkipWordsWithSpace);
        }
        break;
    case WordPage::Chinese: {
        // The memo's text is UTF-8 or GBK as a whole, whatever a single line would suggest.
        gbk::EncodingVote vote;
        for (const std::string& line : m_request.lines) {
            vote.add(line);
        }
        m_gbkLines = vote.gbkPieces();
        for (const std::string& line : m_request.lines) {
            addChinese(line, vote.encodingOf(line));
        }
        break;
    }
    case WordPage::Dictionary: {
        const DictionaryFile file(m_request.dictionary, m_request.dictionaryFolder);
        if (m_request.dictionary != DictionaryKind::Chinese) {
            file.forEachEntry([&](std::string_view entry) { addWord(entry, SpaceTest::KeepAll); });
            break;
        }
        // The encoding of the whole file decides, so the entries are read before any is converted.
        const std::vector<std::string> entries = file.readEntries();
        gbk::EncodingVote vote;
        for (const std::string& entry : entries) {
            vote.add(entry);
        }
        m_gbkLines = vote.gbkPieces();
        for (const std::string& entry : entries) {
            addChinese(entry, vote.encodingOf(entry));
        }
        break;
    }
    }
    return m_sorter.finish();
}

} // namespace cvt
