#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace cvt {

// The short list of suffixes offered first when choosing (popular-suffixes.txt, found with the
// other data files): one suffix a line in the order shown, "#" lines and empty lines skipped, blanks
// at either end of a line ignored. A line that is no single word is left out; the list is kept in
// lower case and without repeats.
class PopularSuffixes {
public:
    static constexpr std::size_t kMaxSuffixBytes = 253;

    static std::string_view fileName() { return "popular-suffixes.txt"; }

    static PopularSuffixes parse(std::string_view text);

    const std::vector<std::string>& suffixes() const { return m_suffixes; }

private:
    std::vector<std::string> m_suffixes;
};

} // namespace cvt
