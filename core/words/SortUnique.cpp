#include "core/words/SortUnique.h"

#include "text/TextUtil.h"

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <vector>

namespace cvt {

namespace {

bool isSeparator(char c) {
    return isBlank(c);
}

// True when every name is strictly greater than the one before it: already sorted, no case twins.
bool isStrictlyAscending(const NameList& names) {
    for (std::size_t i = 1; i < names.size(); ++i) {
        if (compareIgnoreCase(names[i - 1], names[i]) >= 0) {
            return false;
        }
    }
    return true;
}

NameList sortKeepingFirst(NameList tokens) {
    if (isStrictlyAscending(tokens)) {
        return tokens;
    }
    std::vector<std::uint32_t> order(tokens.size());
    std::iota(order.begin(), order.end(), 0U);
    // Stable, so of the tokens that compare equal the one met first leads its run.
    std::stable_sort(order.begin(), order.end(), [&tokens](std::uint32_t a, std::uint32_t b) {
        return compareIgnoreCase(tokens[a], tokens[b]) < 0;
    });
    NameList unique;
    unique.reserve(tokens.size(), tokens.byteSize());
    for (const std::uint32_t index : order) {
        const std::string_view token = tokens[index];
        if (unique.empty() || compareIgnoreCase(unique.back(), token) != 0) {
            unique.push_back(token);
        }
    }
    return unique;
}

} // namespace

void SortUniqueBuilder::emit() {
    if (!m_token.empty()) {
        m_tokens.push_back(m_token);
    }
    m_token.clear();
    m_state = State::Between;
}

void SortUniqueBuilder::feed(std::string_view slice) {
    std::size_t i = 0;
    const std::size_t size = slice.size();
    while (i < size) {
        const char c = slice[i];
        switch (m_state) {
        case State::Between:
            if (isSeparator(c)) {
                ++i;
            } else if (c == '"') {
                m_state = State::Quoted;
                ++i;
            } else {
                m_state = State::Plain;
            }
            break;
        case State::Plain: {
            std::size_t end = i;
            while (end < size && !isSeparator(slice[end])) {
                ++end;
            }
            m_token.append(slice.substr(i, end - i));
            i = end;
            if (i < size) {
                emit();
                ++i;
            }
            break;
        }
        case State::Quoted: {
            const std::size_t quote = slice.find('"', i);
            const std::size_t end = quote == std::string_view::npos ? size : quote;
            m_token.append(slice.substr(i, end - i));
            i = end;
            if (i < size) {
                m_state = State::QuoteSeen;
                ++i;
            }
            break;
        }
        case State::QuoteSeen:
            if (c == '"') {
                // A doubled quote inside a quoted token stands for one quote.
                m_token.push_back('"');
                m_state = State::Quoted;
                ++i;
            } else {
                // The quote closed the token; this byte is looked at again between tokens.
                emit();
            }
            break;
        }
    }
}

NameList SortUniqueBuilder::finish() {
    if (m_state == State::Quoted) {
        // A quote that is never closed takes the rest of the text, but not the line break that ends it.
        while (!m_token.empty() && isBlank(m_token.back())) {
            m_token.pop_back();
        }
    }
    emit();
    NameList result = sortKeepingFirst(std::move(m_tokens));
    m_tokens.clear();
    return result;
}

NameList SortUniqueList(std::string_view text) {
    SortUniqueBuilder builder;
    builder.feed(text);
    return builder.finish();
}

std::string SortUnique(std::string_view text) {
    const NameList tokens = SortUniqueList(text);
    std::string result;
    result.reserve(tokens.byteSize() + 2 * tokens.size());
    for (const std::string_view token : tokens) {
        result.append(token);
        result.append("\r\n");
    }
    return result;
}

} // namespace cvt
