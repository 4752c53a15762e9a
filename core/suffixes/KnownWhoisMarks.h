#pragma once

#include <map>
#include <string>
#include <string_view>

namespace cvt {

// A WHOIS server's no-match text as shipped with the program.
struct KnownWhoisMark {
    std::string mark;    // a reply holding it means the name is free
    std::string refusal; // what the server sends when it refuses for quota reasons; may be empty
};

// The no-match texts the program ships for WHOIS servers (whois-marks.tsv, found with the other
// data files): "#" lines and empty lines are skipped; every other line is the server's host name, a
// TAB, the no-match text and optionally a TAB and the refusal text. Texts are kept byte for byte
// (blanks included); a line without a host or a text, or with a control byte, is left out. Host
// names ignore letter case; the first line for a host wins.
class KnownWhoisMarks {
public:
    static constexpr std::size_t kMaxFieldBytes = 512;

    static std::string_view fileName() { return "whois-marks.tsv"; }

    static KnownWhoisMarks parse(std::string_view text);

    // The texts for a server ("host" or "host:43"), or nullptr.
    const KnownWhoisMark* find(std::string_view server) const;
    std::size_t size() const { return m_byHost.size(); }

private:
    std::map<std::string, KnownWhoisMark, std::less<>> m_byHost;
};

} // namespace cvt
