#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace cvt {

// The text a reader sees of an HTML page given in UTF-8: comments, <!...> and <?...> declarations,
// the content of script, style, noscript and template elements, and every tag are removed (a tag
// leaves a blank, so words on either side stay apart, except for inline tags such as <b> or <a>);
// character references (&amp; &#233; &#x4E2D; and the named ones of HTML 4) are decoded. A
// reference that names nothing known stays as written; a "<" that starts no tag is text. NUL bytes
// become blanks.
std::string visibleTextOfHtml(std::string_view html);

// The runs of Han characters in UTF-8 text, in order of first appearance, each once.
std::vector<std::string> hanRuns(std::string_view utf8);

} // namespace cvt
