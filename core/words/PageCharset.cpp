#include "core/words/PageCharset.h"

#include "text/AsciiCase.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>

namespace cvt {

namespace {

bool isCharsetNameByte(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' || c == '_' ||
           c == '.' || c == ':';
}

// The value after "charset" (blanks, "=", blanks, an optional quote) at the start of text; empty
// when text does not have that shape.
std::string charsetValue(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
        ++i;
    }
    if (i == text.size() || text[i] != '=') {
        return {};
    }
    ++i;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '"' || text[i] == '\'')) {
        ++i;
    }
    std::size_t end = i;
    while (end < text.size() && isCharsetNameByte(text[end])) {
        ++end;
    }
    return toAsciiLower(text.substr(i, end - i));
}

// The first charset=... inside a <meta ...> tag of the page's first bytes.
std::string metaCharset(std::string_view body) {
    constexpr std::size_t kScanned = 64 * 1024;
    const std::string head = toAsciiLower(body.substr(0, kScanned));
    for (std::size_t meta = head.find("<meta"); meta != std::string::npos; meta = head.find("<meta", meta + 5)) {
        const std::size_t close = head.find('>', meta);
        const std::string_view tag =
            std::string_view(head).substr(meta, close == std::string::npos ? std::string::npos : close - meta);
        for (std::size_t at = tag.find("charset"); at != std::string_view::npos; at = tag.find("charset", at + 7)) {
            std::string value = charsetValue(tag.substr(at + 7));
            if (!value.empty()) {
                return value;
            }
        }
    }
    return {};
}

// The name iconv knows the set by.
std::string iconvName(const std::string& charset) {
    if (charset == "gbk" || charset == "gb2312" || charset == "gb18030" || charset == "x-gbk" || charset == "cp936" ||
        charset == "gb_2312-80" || charset == "euc-cn") {
        return "GB18030";
    }
    if (charset == "iso-8859-1" || charset == "latin1" || charset == "us-ascii" || charset == "ascii") {
        return "WINDOWS-1252";
    }
    return charset;
}

void appendReplacement(std::string& out) {
    out += "\xEF\xBF\xBD";
}

} // namespace

std::string declaredPageCharset(std::string_view contentType, std::string_view body) {
    const std::string type = toAsciiLower(contentType);
    for (std::size_t at = type.find("charset"); at != std::string::npos; at = type.find("charset", at + 7)) {
        std::string value = charsetValue(std::string_view(type).substr(at + 7));
        if (!value.empty()) {
            return value;
        }
    }
    std::string meta = metaCharset(body);
    return meta.empty() ? std::string("utf-8") : meta;
}

std::string decodePageToUtf8(std::string_view body, std::string_view charset) {
    const std::string name = iconvName(toAsciiLower(charset));
    if (name == "utf-8" || name == "utf8") {
        return std::string(body);
    }
    iconv_t converter = iconv_open("UTF-8", name.c_str());
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        return std::string(body);
    }
    std::string out;
    out.reserve(body.size() * 3 / 2 + 16);
    char block[16384];
    char* in = const_cast<char*>(body.data());
    std::size_t inLeft = body.size();
    while (inLeft > 0) {
        char* next = block;
        std::size_t outLeft = sizeof block;
        const std::size_t result = iconv(converter, &in, &inLeft, &next, &outLeft);
        out.append(block, static_cast<std::size_t>(next - block));
        if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
            // An invalid or cut-off sequence: one byte is replaced and the rest read on.
            appendReplacement(out);
            ++in;
            --inLeft;
        }
    }
    iconv_close(converter);
    return out;
}

} // namespace cvt
