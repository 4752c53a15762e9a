#pragma once

#include "core/query/ServerEntry.h" // lookupKindOf

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cvt {

// Splits a server-entry line (suffix+host+mark[+refusal text]) into its fields. "+", CR and LF end
// a field, and runs of them count as one separator, so no field is ever empty. A double quote or an
// apostrophe opens a stretch, closed by the next of the same character, in which they do not end
// the field; the quotes stay in the field, and a quote never closed runs to the end of the line.
// Blanks are ordinary bytes.
std::vector<std::string> SplitServerLine(std::string_view line);

// The entry a split line makes (unticked), or nothing with the reason in English. Caption and host
// are trimmed, mark and refusal text kept as they are. The forms:
//   suffix+host[:port]+mark[+refusal]             WHOIS
//   suffix+host[:port]                            WHOIS with a calibrated mark (the mark left empty)
//   suffix+https://base/[+text]                   RDAP (a third field is kept but not used)
//   suffix+https://base/+host[:port]+mark[+refusal]  RDAP, and WHOIS when RDAP brings no answer
// Neither suffix nor server may be blank; a WHOIS server followed by an RDAP base is refused with a
// message that gives the right order.
std::optional<ServerEntry> ServerEntryFromFields(const std::vector<std::string>& fields, std::string& reason);

} // namespace cvt
