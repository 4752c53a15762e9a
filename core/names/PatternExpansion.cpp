#include "core/names/PatternExpansion.h"

#include "core/words/SortUnique.h"
#include "text/TextUtil.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <limits>

namespace cvt {

namespace {

// Only the first element and this many bytes behind it are ever read.
constexpr std::size_t kReadAhead = 200;

// Every byte value in ascending order, so a range is one slice of it.
constexpr std::array<char, 256> kAllBytes = [] {
    std::array<char, 256> bytes{};
    for (std::size_t b = 0; b < bytes.size(); ++b) {
        bytes[b] = static_cast<char>(b);
    }
    return bytes;
}();

// Positions held compactly while expanding: the allowed bytes of each position as one string.
using Columns = std::vector<std::string>;

Columns parseColumns(std::string_view trimmedPattern) {
    Columns columns;
    std::string_view rest = trimmedPattern;
    while (!rest.empty()) {
        if (rest[0] != '[') {
            columns.emplace_back(1, rest[0]);
            rest = rest.substr(1, kReadAhead);
            continue;
        }
        const std::size_t close = rest.find(']');
        if (close == std::string_view::npos) {
            throw PatternError(SearchRefusal::Reason::UnclosedBracket);
        }
        const std::string_view content = rest.substr(1, close - 1);
        rest = rest.substr(close + 1, kReadAhead);
        std::string& column = columns.emplace_back();
        bool rangePending = false;
        for (std::size_t i = 0; i < content.size(); ++i) {
            const char c = content[i];
            if (c == '-' && (i == 0 || content[i - 1] == '[')) {
                column.push_back('-');
            } else if (c == '-') {
                rangePending = true;
            } else if (rangePending) {
                // The range starts behind the byte two places back, which was added on its own.
                const unsigned from = static_cast<unsigned char>(content[i - 2]) + 1U;
                const unsigned to = static_cast<unsigned char>(c);
                if (from <= to) {
                    column.append(kAllBytes.data() + from, to - from + 1);
                }
                rangePending = false;
            } else {
                column.push_back(c);
            }
        }
    }
    return columns;
}

std::uint64_t countCombinations(const Columns& columns) {
    if (columns.empty()) {
        return 0;
    }
    std::uint64_t count = 1;
    for (const std::string& column : columns) {
        const std::uint64_t size = column.size();
        if (size == 0) {
            return 0;
        }
        count = count > std::numeric_limits<std::uint64_t>::max() / size ? std::numeric_limits<std::uint64_t>::max()
                                                                         : count * size;
    }
    return count;
}

// The product of the position sizes in decimal, exact however large.
std::string combinationsText(const Columns& columns) {
    // Little-endian limbs of nine decimal digits; a limb times a factor below 2^32 fits in 64 bits.
    constexpr std::uint64_t kBase = 1000000000;
    std::vector<std::uint64_t> limbs{1};
    for (const std::string& column : columns) {
        const std::uint64_t factor = column.size();
        if (factor == 0) {
            return "0";
        }
        if (factor >= (std::uint64_t{1} << 32)) {
            return std::to_string(std::numeric_limits<std::uint64_t>::max());
        }
        std::uint64_t carry = 0;
        for (std::uint64_t& limb : limbs) {
            const std::uint64_t value = limb * factor + carry;
            limb = value % kBase;
            carry = value / kBase;
        }
        while (carry != 0) {
            limbs.push_back(carry % kBase);
            carry /= kBase;
        }
    }
    std::string text = std::to_string(limbs.back());
    for (std::size_t i = limbs.size() - 1; i-- > 0;) {
        char digits[16];
        std::snprintf(digits, sizeof digits, "%09llu", static_cast<unsigned long long>(limbs[i]));
        text += digits;
    }
    return text;
}

std::vector<TItem> toItems(const Columns& columns) {
    std::vector<TItem> items(columns.size());
    for (std::size_t p = 0; p < columns.size(); ++p) {
        items[p].Chars.reserve(columns[p].size());
        for (const char c : columns[p]) {
            items[p].Chars.emplace_back(1, c);
        }
    }
    return items;
}

const char* plainReason(SearchRefusal::Reason reason) {
    switch (reason) {
    case SearchRefusal::Reason::EmptyPattern:
        return "empty pattern";
    case SearchRefusal::Reason::UnclosedBracket:
        return "unclosed [ in the pattern";
    case SearchRefusal::Reason::TooManyCombinations:
        return "too many combinations in the pattern";
    case SearchRefusal::Reason::NoServer:
        break;
    }
    return "pattern refused";
}

// True when every byte a combination can hold is printable and no quote: then each combination is
// one token of fixed length that needs no trimming, and the inner-space rule never applies.
bool isPlain(const Columns& columns) {
    for (const std::string& column : columns) {
        for (const char c : column) {
            if (isBlank(c) || c == '"') {
                return false;
            }
        }
    }
    return true;
}

// Walks all combinations in odometer order (the first position changes slowest), handing each to
// the visitor as a string of one byte per position.
template <typename Visitor>
void forEachCombination(const Columns& columns, Visitor&& visit) {
    const std::size_t count = columns.size();
    if (count == 0) {
        return;
    }
    for (const std::string& column : columns) {
        if (column.empty()) {
            return;
        }
    }
    std::vector<std::size_t> index(count, 0);
    std::string name(count, '\0');
    for (std::size_t p = 0; p < count; ++p) {
        name[p] = columns[p][0];
    }
    const std::size_t last = count - 1;
    const std::string& lastColumn = columns[last];
    for (;;) {
        for (const char c : lastColumn) {
            name[last] = c;
            visit(std::string_view(name));
        }
        // Advance the odometer from the second-to-last position on.
        std::size_t p = last;
        for (;;) {
            if (p == 0) {
                return;
            }
            --p;
            if (++index[p] < columns[p].size()) {
                name[p] = columns[p][index[p]];
                break;
            }
            index[p] = 0;
            name[p] = columns[p][0];
        }
    }
}

// Plain patterns: names of equal length, where a name is rejected only for a "-" in the first or the
// last position. Two names are equal but for letter case exactly when each position holds letters
// equal but for case, and the first generated of them takes at every position the first such letter
// of that position. So each position is reduced to its first letter of each case class and sorted,
// and the odometer over these positions yields the final list already sorted and unique.
Columns reducePlain(const Columns& columns) {
    const std::size_t last = columns.size() - 1;
    Columns reduced(columns.size());
    for (std::size_t p = 0; p <= last; ++p) {
        std::array<bool, 256> seen{};
        for (const char c : columns[p]) {
            if ((p == 0 || p == last) && c == '-') {
                continue;
            }
            const auto folded = static_cast<unsigned char>(asciiLower(c));
            if (!seen[folded]) {
                seen[folded] = true;
                reduced[p].push_back(c);
            }
        }
        std::sort(reduced[p].begin(), reduced[p].end(), [](char a, char b) {
            return static_cast<unsigned char>(asciiLower(a)) < static_cast<unsigned char>(asciiLower(b));
        });
    }
    return reduced;
}

// Any other pattern: every combination is generated, filtered, trimmed and streamed through the
// SortUnique tokenizer exactly as the text of the whole list would be.
NameList expandGeneral(const Columns& columns) {
    SortUniqueBuilder builder;
    forEachCombination(columns, [&builder](std::string_view combination) {
        const std::string_view trimmed = trim(combination);
        // A space with other bytes on both sides drops the combination.
        if (trimmed.find(' ') != std::string_view::npos || RejectCandidate(trimmed, '-')) {
            return;
        }
        builder.feed(trimmed);
        builder.feed("\r\n");
    });
    return builder.finish();
}

// The positions of a pattern the Search command accepts (step 1 and the checks before step 2).
Columns acceptedColumns(std::string_view patternBoxText) {
    const std::string_view pattern = trim(patternBoxText);
    if (pattern.empty()) {
        throw PatternError(SearchRefusal::Reason::EmptyPattern);
    }
    Columns columns = parseColumns(pattern);
    const std::uint64_t count = countCombinations(columns);
    if (count > kMaxPatternCombinations) {
        throw PatternError(SearchRefusal::Reason::TooManyCombinations, count, combinationsText(columns));
    }
    return columns;
}

} // namespace

PatternError::PatternError(SearchRefusal::Reason reason, std::uint64_t combinations)
    : PatternError(reason, combinations, combinations == 0 ? std::string() : std::to_string(combinations)) {}

PatternError::PatternError(SearchRefusal::Reason reason, std::uint64_t combinations, std::string combinationsText)
    : std::runtime_error(plainReason(reason)), m_refusal{reason, std::move(combinationsText)},
      m_combinations(combinations) {}

std::vector<TItem> ParsePattern(std::string_view trimmedPattern) {
    return toItems(parseColumns(trimmedPattern));
}

std::uint64_t CountCombinations(const std::vector<TItem>& positions) {
    if (positions.empty()) {
        return 0;
    }
    std::uint64_t count = 1;
    for (const TItem& item : positions) {
        const std::uint64_t size = item.Chars.size();
        if (size == 0) {
            return 0;
        }
        count = count > std::numeric_limits<std::uint64_t>::max() / size ? std::numeric_limits<std::uint64_t>::max()
                                                                         : count * size;
    }
    return count;
}

bool RejectCandidate(std::string_view text, char c) {
    const std::string_view trimmed = trim(text);
    return trimmed.empty() || trimmed.front() == c || trimmed.back() == c;
}

void CheckPattern(std::string_view patternBoxText) {
    acceptedColumns(patternBoxText);
}

NameList PreparePatternCandidates(std::string_view patternBoxText, std::vector<TItem>* positions) {
    const Columns columns = acceptedColumns(patternBoxText);
    NameList names;
    if (isPlain(columns)) {
        const Columns reduced = reducePlain(columns);
        const std::uint64_t count = countCombinations(reduced);
        names.reserve(count, count * reduced.size());
        forEachCombination(reduced, [&names](std::string_view name) { names.push_back(name); });
    } else {
        names = expandGeneral(columns);
    }
    if (positions != nullptr) {
        *positions = toItems(columns);
    }
    return names;
}

std::size_t StreamPatternCandidates(std::string_view patternBoxText, const std::function<void(std::string_view)>& sink,
                                    std::vector<TItem>* positions) {
    const Columns columns = acceptedColumns(patternBoxText);
    std::size_t count = 0;
    if (isPlain(columns)) {
        forEachCombination(reducePlain(columns), [&](std::string_view name) {
            sink(name);
            ++count;
        });
    } else {
        const NameList names = expandGeneral(columns);
        for (const std::string_view name : names) {
            sink(name);
        }
        count = names.size();
    }
    if (positions != nullptr) {
        *positions = toItems(columns);
    }
    return count;
}

} // namespace cvt
