#include "core/words/VisibleText.h"

#include "text/AsciiCase.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <unordered_set>

namespace cvt {

namespace {

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool startsWithNoCase(std::string_view text, std::size_t at, std::string_view prefix) {
    return at <= text.size() && startsWithIgnoreCase(text.substr(at), prefix);
}

void appendUtf8(std::string& out, std::uint32_t code) {
    if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        code = 0xFFFD;
    }
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// The Latin-1 references in code order from U+00A0.
constexpr std::array<std::string_view, 96> kLatin1Names = {
    "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",    "copy",   "ordf",
    "laquo",  "not",    "shy",    "reg",    "macr",   "deg",    "plusmn", "sup2",   "sup3",   "acute",  "micro",
    "para",   "middot", "cedil",  "sup1",   "ordm",   "raquo",  "frac14", "frac12", "frac34", "iquest", "Agrave",
    "Aacute", "Acirc",  "Atilde", "Auml",   "Aring",  "AElig",  "Ccedil", "Egrave", "Eacute", "Ecirc",  "Euml",
    "Igrave", "Iacute", "Icirc",  "Iuml",   "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde", "Ouml",
    "times",  "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",  "szlig",  "agrave", "aacute",
    "acirc",  "atilde", "auml",   "aring",  "aelig",  "ccedil", "egrave", "eacute", "ecirc",  "euml",   "igrave",
    "iacute", "icirc",  "iuml",   "eth",    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide",
    "oslash", "ugrave", "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml"};

struct NamedReference {
    std::string_view name;
    std::uint32_t code;
};

constexpr NamedReference kOtherNames[] = {
    {"amp", 38},      {"lt", 60},       {"gt", 62},       {"quot", 34},     {"apos", 39},     {"OElig", 338},
    {"oelig", 339},   {"Scaron", 352},  {"scaron", 353},  {"Yuml", 376},    {"fnof", 402},    {"circ", 710},
    {"tilde", 732},   {"ensp", 8194},   {"emsp", 8195},   {"thinsp", 8201}, {"zwnj", 8204},   {"zwj", 8205},
    {"lrm", 8206},    {"rlm", 8207},    {"ndash", 8211},  {"mdash", 8212},  {"lsquo", 8216},  {"rsquo", 8217},
    {"sbquo", 8218},  {"ldquo", 8220},  {"rdquo", 8221},  {"bdquo", 8222},  {"dagger", 8224}, {"Dagger", 8225},
    {"bull", 8226},   {"hellip", 8230}, {"permil", 8240}, {"prime", 8242},  {"Prime", 8243},  {"lsaquo", 8249},
    {"rsaquo", 8250}, {"oline", 8254},  {"euro", 8364},   {"trade", 8482},  {"larr", 8592},   {"uarr", 8593},
    {"rarr", 8594},   {"darr", 8595},   {"harr", 8596},   {"minus", 8722},  {"le", 8804},     {"ge", 8805},
    {"ne", 8800},     {"infin", 8734},  {"hearts", 9829},
};

bool namedReference(std::string_view name, std::uint32_t& code) {
    for (std::size_t i = 0; i < kLatin1Names.size(); ++i) {
        if (kLatin1Names[i] == name) {
            code = static_cast<std::uint32_t>(0xA0 + i);
            return true;
        }
    }
    for (const NamedReference& reference : kOtherNames) {
        if (reference.name == name) {
            code = reference.code;
            return true;
        }
    }
    return false;
}

// Decodes the reference at text[at] == '&'; returns the bytes it spans, or 0 when it is no
// reference (the "&" is then text).
std::size_t decodeReference(std::string_view text, std::size_t at, std::string& out) {
    std::size_t i = at + 1;
    if (i < text.size() && text[i] == '#') {
        ++i;
        const bool hex = i < text.size() && (text[i] == 'x' || text[i] == 'X');
        i += hex ? 1 : 0;
        const std::size_t digitsStart = i;
        std::uint32_t code = 0;
        for (; i < text.size(); ++i) {
            const char c = text[i];
            int digit = -1;
            if (c >= '0' && c <= '9') {
                digit = c - '0';
            } else if (hex && c >= 'a' && c <= 'f') {
                digit = c - 'a' + 10;
            } else if (hex && c >= 'A' && c <= 'F') {
                digit = c - 'A' + 10;
            }
            if (digit < 0) {
                break;
            }
            code = std::min<std::uint32_t>(code * (hex ? 16 : 10) + static_cast<std::uint32_t>(digit), 0x110000);
        }
        if (i == digitsStart) {
            return 0;
        }
        if (i < text.size() && text[i] == ';') {
            ++i;
        }
        appendUtf8(out, code);
        return i - at;
    }
    const std::size_t nameStart = i;
    while (i < text.size() && i - nameStart < 10 && (isLetter(text[i]) || (text[i] >= '0' && text[i] <= '9'))) {
        ++i;
    }
    std::uint32_t code = 0;
    if (i == nameStart || i >= text.size() || text[i] != ';' ||
        !namedReference(text.substr(nameStart, i - nameStart), code)) {
        return 0;
    }
    appendUtf8(out, code);
    return i + 1 - at;
}

// The end of the tag starting at text[at] == '<' (just past its ">"), quotes in attributes
// respected; text.size() when it never closes.
std::size_t tagEnd(std::string_view text, std::size_t at) {
    char quote = 0;
    for (std::size_t i = at + 1; i < text.size(); ++i) {
        const char c = text[i];
        if (quote != 0) {
            if (c == quote) {
                quote = 0;
            }
        } else if (c == '"' || c == '\'') {
            // Only a quote that opens an attribute value counts ("a='x'"), not one inside a name.
            if (text[i - 1] == '=' || text[i - 1] == ' ') {
                quote = c;
            }
        } else if (c == '>') {
            return i + 1;
        }
    }
    return text.size();
}

constexpr std::string_view kHiddenElements[] = {"script", "style", "noscript", "template"};
constexpr std::string_view kInlineElements[] = {"a",    "abbr",   "b",   "bdi", "bdo",  "cite", "code", "data", "dfn",
                                                "em",   "font",   "i",   "kbd", "mark", "q",    "s",    "samp", "small",
                                                "span", "strong", "sub", "sup", "time", "u",    "var"};

bool contains(const std::string_view* begin, const std::string_view* end, std::string_view name) {
    return std::find(begin, end, name) != end;
}

} // namespace

std::string visibleTextOfHtml(std::string_view html) {
    std::string out;
    out.reserve(html.size() / 2);
    std::size_t i = 0;
    while (i < html.size()) {
        const char c = html[i];
        if (c == '&') {
            const std::size_t used = decodeReference(html, i, out);
            if (used != 0) {
                i += used;
                continue;
            }
            out += c;
            ++i;
            continue;
        }
        if (c != '<') {
            out += c == '\0' ? ' ' : c;
            ++i;
            continue;
        }
        if (html.compare(i, 4, "<!--") == 0) {
            const std::size_t close = html.find("-->", i + 4);
            i = close == std::string_view::npos ? html.size() : close + 3;
            out += ' ';
            continue;
        }
        if (i + 1 < html.size() && (html[i + 1] == '!' || html[i + 1] == '?')) {
            i = tagEnd(html, i);
            out += ' ';
            continue;
        }
        const bool closing = i + 1 < html.size() && html[i + 1] == '/';
        const std::size_t nameStart = i + (closing ? 2 : 1);
        std::size_t nameEnd = nameStart;
        while (nameEnd < html.size() && (isLetter(html[nameEnd]) || (html[nameEnd] >= '0' && html[nameEnd] <= '9'))) {
            ++nameEnd;
        }
        if (nameEnd == nameStart || !isLetter(html[nameStart])) {
            out += c; // "a < b" and "<3" are text
            ++i;
            continue;
        }
        const std::string name = toAsciiLower(html.substr(nameStart, nameEnd - nameStart));
        i = tagEnd(html, i);
        if (!closing && contains(std::begin(kHiddenElements), std::end(kHiddenElements), name)) {
            // Everything up to the matching end tag is hidden.
            const std::string endTag = "</" + name;
            std::size_t at = i;
            while (at < html.size() && !(html[at] == '<' && startsWithNoCase(html, at, endTag))) {
                ++at;
            }
            i = at < html.size() ? tagEnd(html, at) : html.size();
        }
        if (!contains(std::begin(kInlineElements), std::end(kInlineElements), name)) {
            out += ' ';
        }
    }
    return out;
}

std::vector<std::string> hanRuns(std::string_view utf8) {
    std::vector<std::string> runs;
    std::unordered_set<std::string> seen;
    std::string run;
    auto endRun = [&] {
        if (!run.empty() && seen.insert(run).second) {
            runs.push_back(run);
        }
        run.clear();
    };
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        std::size_t length = 1;
        std::uint32_t code = lead;
        if (lead >= 0xF0 && lead < 0xF5) {
            length = 4;
            code = lead & 0x07;
        } else if (lead >= 0xE0) {
            length = lead < 0xF0 ? 3 : 1;
            code = lead & 0x0F;
        } else if (lead >= 0xC2) {
            length = 2;
            code = lead & 0x1F;
        }
        bool valid = length > 1 && i + length <= utf8.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + k]);
            valid = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3F);
        }
        const bool han = valid && ((code >= 0x3400 && code <= 0x4DBF) || (code >= 0x4E00 && code <= 0x9FFF) ||
                                   (code >= 0xF900 && code <= 0xFAFF) || (code >= 0x20000 && code <= 0x2EBEF) ||
                                   (code >= 0x30000 && code <= 0x3134F));
        if (han) {
            run.append(utf8.substr(i, length));
            i += length;
        } else {
            endRun();
            i += valid ? length : 1;
        }
    }
    endRun();
    return runs;
}

} // namespace cvt
