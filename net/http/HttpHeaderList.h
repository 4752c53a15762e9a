#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace cvt {

// Raw header lines of a request or a response, in order, without line ends. A line that begins
// with a blank or a tab continues the header on the line before it.
class TNetHeaderList {
public:
    void add(std::string line) { m_lines.push_back(std::move(line)); }
    void clear() { m_lines.clear(); }
    bool empty() const { return m_lines.empty(); }
    std::size_t size() const { return m_lines.size(); }
    const std::vector<std::string>& lines() const { return m_lines; }

    // The value of the first header with this name (letter case ignored): the text after the
    // colon, continuation lines joined by one blank, trimmed. Empty when there is none.
    std::string value(std::string_view name) const;
    bool has(std::string_view name) const;
    // The values of every header with this name, in order.
    std::vector<std::string> values(std::string_view name) const;

    // A header line ready to send: trailing blanks removed, and a line longer than 78 bytes folded
    // at blanks, tabs or commas into continuation lines that begin with one blank. A line without a
    // place to fold stays long.
    static std::vector<std::string> fold(std::string_view line);

private:
    // The value starting at line `index` when that line is a header of this name.
    bool valueAt(std::size_t index, std::string_view name, std::string& value) const;

    std::vector<std::string> m_lines;
};

} // namespace cvt
