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
// are trimmed, mark and refusal text kept as they are; fields after the fourth are ignored. An RDAP
// entry (suffix+https://base/) needs no mark; any other entry needs suffix, host and mark, and
// neither suffix nor host may be blank.
std::optional<ServerEntry> ServerEntryFromFields(const std::vector<std::string>& fields, std::string& reason);

} // namespace cvt
