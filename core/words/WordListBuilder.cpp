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
    if (length < *m_minimum) {
        return;
    }
    if (!m_maximum) {
        m_maximum = parseLimit(m_request.maximum);
    }
    if (length > *m_maximum) {
        return;
    }
    // Only English words are tested for spaces, after the limits.
    if (spaceTest == SpaceTest::SkipWordsWithSpace && word.find(' ') != std::string_view::npos) {
        return;
    }
    // Each name goes to the sorter as one line of the list's text.
    m_sorter.feed(m_prefix);
    m_sorter.feed(word);
    m_sorter.feed(m_postfix);
    m_sorter.feed("\r\n");
}

NameList WordListBuilder::build() {
    m_sorter = SortUniqueBuilder();
    m_minimum.reset();
    m_maximum.reset();
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
        const gbk::TextEncoding encoding = vote.result();
        for (const std::string& line : m_request.lines) {
            addWord(ChineseToPinyin(line, encoding, m_request.reading), SpaceTest::KeepAll);
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
        const gbk::TextEncoding encoding = vote.result();
        for (const std::string& entry : entries) {
            addWord(ChineseToPinyin(entry, encoding, m_request.reading), SpaceTest::KeepAll);
        }
        break;
    }
    }
    return m_sorter.finish();
}

} // namespace cvt
