#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

namespace cvt {

// The zones left out of the catalogue because they are not open to the public
// (suffixes-closed.tsv, found with the other data files): "#" lines and empty lines are skipped;
// every other line is the suffix, its ASCII form and the reason word (brand, retired, restricted,
// ...), separated by TABs. A line that breaks the format is left out.
class ClosedSuffixes {
public:
    static std::string_view fileName() { return "suffixes-closed.tsv"; }

    static ClosedSuffixes parse(std::string_view text);

    // Why the suffix (either form, letter case ignored, one leading dot allowed) is closed: the
    // reason word, or empty when it is not listed.
    std::string reason(std::string_view suffix) const;
    std::size_t size() const { return m_count; }

private:
    std::unordered_map<std::string, std::string> m_reasons; // both forms, lower case
    std::size_t m_count = 0;
};

} // namespace cvt
