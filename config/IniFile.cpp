#include "config/IniFile.h"

#include "config/IniError.h"
#include "config/ReplaceFile.h"
#include "text/AsciiCase.h"
#include "text/CheckedNumber.h"
#include "text/Trim.h"

#include <fstream>
#include <limits>
#include <stdexcept>
#include <system_error>
#include <unordered_map>

namespace cvt {

namespace {

constexpr std::size_t npos = std::string::npos;

// Signed decimal, or hexadecimal after "$", fitting in 32 bits.
// A signed 32-bit integer: an optional sign, then decimal digits or "$" and hexadecimal digits.
bool parseInteger(std::string_view text, std::int32_t& result) {
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    unsigned base = 10;
    if (!text.empty() && text[0] == '$') {
        base = 16;
        text.remove_prefix(1);
    }
    constexpr std::uint64_t kMaxPositive = std::numeric_limits<std::int32_t>::max();
    const DigitsResult magnitude = parseDigits(text, negative ? kMaxPositive + 1 : kMaxPositive, base);
    if (!magnitude.ok()) {
        return false;
    }
    const auto value = static_cast<std::int64_t>(magnitude.value);
    result = static_cast<std::int32_t>(negative ? -value : value);
    return true;
}

bool hasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

// A value as it is written after "=": the reader trims bytes 0 to 32 at both ends and drops one
// enclosing pair of quotes, so a value that would lose either gets a pair of double quotes of its
// own, which is all the reader then drops.
std::string storedValue(std::string_view value) {
    const bool loosesBlanks = !value.empty() && (isBlank(value.front()) || isBlank(value.back()));
    const bool loosesQuotes =
        value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front();
    if (loosesBlanks || loosesQuotes) {
        return "\"" + std::string(value) + "\"";
    }
    return std::string(value);
}

} // namespace

IniFile::IniFile(std::string_view text) {
    // Editors on some systems put a UTF-8 byte-order mark first; it is not part of the first line.
    if (text.starts_with(kByteOrderMark)) {
        m_byteOrderMark = true;
        text.remove_prefix(kByteOrderMark.size());
    }
    bool styleKnown = false;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        Line line;
        if (end == std::string_view::npos) {
            line.content = std::string(text);
            text = {};
        } else {
            const bool crlf = end > 0 && text[end - 1] == '\r';
            line.content = std::string(text.substr(0, crlf ? end - 1 : end));
            line.ending = crlf ? "\r\n" : "\n";
            text.remove_prefix(end + 1);
            if (!styleKnown) {
                m_newline = line.ending;
                styleKnown = true;
            }
        }
        m_lines.push_back(std::move(line));
    }
}

IniFile IniFile::fromFile(const std::filesystem::path& path) {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found) {
        return IniFile();
    }
    if (error || status.type() != std::filesystem::file_type::regular) {
        throw IniReadError(path.string());
    }
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error || size > kMaxFileSize) {
        throw IniReadError(path.string());
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw IniReadError(path.string());
    }
    std::string bytes(static_cast<std::size_t>(size), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (in.bad()) {
        throw IniReadError(path.string());
    }
    // A file that shrank while being read ends where reading ended.
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return IniFile(bytes);
}

IniFile::Parsed IniFile::parse(std::string_view content) {
    const std::string_view text = trim(content);
    Parsed parsed;
    if (text.empty() || text[0] == ';') {
        return parsed;
    }
    if (text[0] == '[') {
        const std::size_t close = text.find(']');
        parsed.kind = Kind::Section;
        parsed.name = trim(text.substr(1, close == std::string_view::npos ? npos : close - 1));
        return parsed;
    }
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) {
        return parsed;
    }
    parsed.kind = Kind::Key;
    parsed.name = trim(text.substr(0, equals));
    parsed.value = trim(text.substr(equals + 1));
    return parsed;
}

std::size_t IniFile::findSection(std::string_view section) const {
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        const Parsed parsed = parse(m_lines[i].content);
        if (parsed.kind == Kind::Section && equalsIgnoreCase(parsed.name, section)) {
            return i;
        }
    }
    return npos;
}

std::size_t IniFile::findKey(std::size_t sectionLine, std::string_view key) const {
    for (std::size_t i = sectionLine + 1; i < m_lines.size(); ++i) {
        const Parsed parsed = parse(m_lines[i].content);
        if (parsed.kind == Kind::Section) {
            break;
        }
        if (parsed.kind == Kind::Key && equalsIgnoreCase(parsed.name, key)) {
            return i;
        }
    }
    return npos;
}

std::string IniFile::cookValue(std::string_view raw) {
    if (raw.size() >= 2 && (raw.front() == '"' || raw.front() == '\'') && raw.back() == raw.front()) {
        raw = raw.substr(1, raw.size() - 2);
    }
    return std::string(raw.substr(0, kMaxValueLength));
}

std::string IniFile::readString(std::string_view section, std::string_view key, std::string_view defaultValue) const {
    const std::size_t sectionLine = findSection(section);
    if (sectionLine == npos) {
        return std::string(defaultValue);
    }
    const std::size_t keyLine = findKey(sectionLine, key);
    if (keyLine == npos) {
        return std::string(defaultValue);
    }
    return cookValue(parse(m_lines[keyLine].content).value);
}

std::int32_t IniFile::readInteger(std::string_view section, std::string_view key, std::int32_t defaultValue) const {
    std::string text = readString(section, key, "");
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.replace(0, 2, "$");
    }
    std::int32_t value = 0;
    return parseInteger(text, value) ? value : defaultValue;
}

std::vector<IniEntry> IniFile::entries(std::string_view section) const {
    std::vector<IniEntry> result;
    const std::size_t sectionLine = findSection(section);
    if (sectionLine == npos) {
        return result;
    }
    for (std::size_t i = sectionLine + 1; i < m_lines.size(); ++i) {
        const Parsed parsed = parse(m_lines[i].content);
        if (parsed.kind == Kind::Section) {
            break;
        }
        if (parsed.kind == Kind::Key) {
            result.push_back({std::string(parsed.name), cookValue(parsed.value)});
        }
    }
    return result;
}

void IniFile::insertLines(std::size_t at, std::vector<std::string> contents) {
    if (contents.empty()) {
        return;
    }
    // The line before the new ones must end, or they would run together.
    if (at > 0 && m_lines[at - 1].ending.empty()) {
        m_lines[at - 1].ending = m_newline;
    }
    std::vector<Line> added;
    added.reserve(contents.size());
    for (std::string& content : contents) {
        added.push_back(Line{std::move(content), m_newline});
    }
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(at), std::make_move_iterator(added.begin()),
                   std::make_move_iterator(added.end()));
}

void IniFile::writeString(std::string_view section, std::string_view key, std::string_view value) {
    writeStrings(section, {IniEntry{std::string(key), std::string(value)}});
}

void IniFile::writeStrings(std::string_view section, const std::vector<IniEntry>& values) {
    if (section.empty() || trim(section) != section || hasLineBreak(section) ||
        section.find(']') != std::string_view::npos) {
        throw std::invalid_argument("unusable INI section name");
    }
    for (const IniEntry& entry : values) {
        const std::string_view key = entry.key;
        if (key.empty() || trim(key) != key || hasLineBreak(key) || key.find('=') != std::string_view::npos ||
            key[0] == ';' || key[0] == '[') {
            throw std::invalid_argument("unusable INI key name");
        }
        if (entry.value.find('\n') != std::string::npos) {
            throw std::invalid_argument("an INI value cannot hold a line break");
        }
        if (entry.value.size() > kMaxValueLength) {
            throw std::invalid_argument("an INI value reads back at most 2047 bytes");
        }
    }

    std::size_t sectionLine = findSection(section);
    std::vector<std::string> added;
    std::size_t insertAt = m_lines.size();
    if (sectionLine == npos) {
        if (!m_lines.empty() && !trim(m_lines.back().content).empty()) {
            added.emplace_back();
        }
        added.push_back("[" + std::string(section) + "]");
    } else {
        insertAt = sectionLine + 1;
    }

    // Where each key of the section stands now (the first of repeated keys), and where new keys go:
    // behind the last key line of the section.
    std::unordered_map<std::string, std::size_t> existing;
    if (sectionLine != npos) {
        for (std::size_t i = sectionLine + 1; i < m_lines.size(); ++i) {
            const Parsed parsed = parse(m_lines[i].content);
            if (parsed.kind == Kind::Section) {
                break;
            }
            if (parsed.kind == Kind::Key) {
                existing.emplace(toAsciiLower(parsed.name), i);
                insertAt = i + 1;
            }
        }
    }
    std::unordered_map<std::string, std::size_t> addedKeys;
    for (const IniEntry& entry : values) {
        const std::string folded = toAsciiLower(entry.key);
        if (const auto at = existing.find(folded); at != existing.end()) {
            // Keep the key's own spelling.
            Line& line = m_lines[at->second];
            line.content = std::string(parse(line.content).name) + "=" + storedValue(entry.value);
        } else if (const auto again = addedKeys.find(folded); again != addedKeys.end()) {
            added[again->second] = entry.key + "=" + storedValue(entry.value);
        } else {
            addedKeys.emplace(folded, added.size());
            added.push_back(entry.key + "=" + storedValue(entry.value));
        }
    }
    insertLines(insertAt, std::move(added));
}

std::string IniFile::text() const {
    std::string result(m_byteOrderMark ? kByteOrderMark : std::string_view());
    for (const Line& line : m_lines) {
        result += line.content;
        result += line.ending;
    }
    return result;
}

void IniFile::saveToFile(const std::filesystem::path& path, FileOps& ops) const {
    replaceFile(path, text(), ops);
}

} // namespace cvt
