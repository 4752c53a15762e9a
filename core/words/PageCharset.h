#pragma once

#include <string>
#include <string_view>

namespace cvt {

// The character set a web page declares: the charset parameter of its Content-Type header, else
// the first <meta charset=...> or <meta http-equiv="Content-Type" content="...; charset=...">, else
// "utf-8". The name comes back in lower case, as declared.
std::string declaredPageCharset(std::string_view contentType, std::string_view body);

// The page converted to UTF-8 from the character set named (GBK, GB2312 and GB18030 are all read
// as GB18030, their common superset; Latin-1 and ASCII as Windows-1252, as browsers do). A byte
// sequence that is not valid in the set becomes U+FFFD. A set iconv does not know leaves the bytes
// as they are.
std::string decodePageToUtf8(std::string_view body, std::string_view charset);

} // namespace cvt
