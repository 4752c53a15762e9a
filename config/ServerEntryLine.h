#pragma once

#include "core/query/ServerEntry.h" // lookupKindOf

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

} // namespace cvt
