#pragma once

#include "core/NameList.h"

#include <string>
#include <string_view>

namespace cvt {

// Splits a text into tokens and returns them sorted without regard to ASCII letter case, each case
// variant kept only in the form met first.
//
// Tokens are separated by runs of bytes 0 to 32 (the byte 0 separates like a blank). A token that
// begins with a double quote runs to the next double quote that is not doubled, "" inside standing
// for one ", and loses its enclosing quotes; it may hold blanks and line breaks. A quote that is
// never closed takes the rest of the text as it stands. Quoted tokens that come out empty are
// dropped.
//
// SortUnique returns the tokens one per line, each followed by "\r\n"; SortUniqueList returns the
// same tokens as a list.
std::string SortUnique(std::string_view text);
NameList SortUniqueList(std::string_view text);

} // namespace cvt
