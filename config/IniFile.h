#pragma once

#include "config/FileOps.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace cvt {

// A key of a section with its value as the reader hands it back.
struct IniEntry {
    std::string key;
    std::string value;
};

// An INI file held as its lines, read and changed in place so that a save keeps every other section,
// key, comment, blank line and line ending byte for byte.
//
// A UTF-8 byte-order mark at the start is skipped on reading and written back on saving.
// Reading: "[name]" starts a section; "key=value" lines belong to the section above them; lines
// starting with ";", lines without "=" and keys above the first section are ignored. Section and
// key names are trimmed and compared without regard to ASCII letter case; of two sections or keys
// of the same name the first counts. The value is the text after the first "=", trimmed of bytes
// 0 to 32; a value wholly enclosed in a pair of double or of single quotes loses the pair; at most
// kMaxValueLength bytes come back. A missing section or key gives the caller's default as it is.
class IniFile {
public:
    static constexpr std::size_t kMaxValueLength = 2047;
    // Larger files are refused instead of being read into memory.
    static constexpr std::uintmax_t kMaxFileSize = 64ULL << 20;

    IniFile() = default;
    explicit IniFile(std::string_view text);

    // The file's content; an empty file when it does not exist. Throws IniReadError when it exists but
    // cannot be read (a folder, no permission, larger than kMaxFileSize).
    static IniFile fromFile(const std::filesystem::path& path);

    std::string readString(std::string_view section, std::string_view key, std::string_view defaultValue) const;

    // The value read as text with an empty default; a leading "0x" or "0X" (with more behind it)
    // reads as "$"; then a signed decimal or, after "$", hexadecimal 32-bit integer. The default
    // when empty or not a number.
    std::int32_t readInteger(std::string_view section, std::string_view key, std::int32_t defaultValue) const;

    // The keys of a section in file order, each with its value as readString gives it (repeated
    // keys included).
    std::vector<IniEntry> entries(std::string_view section) const;

    // Sets a key's value: its line is rewritten in place, or a new key line goes behind the last key
    // of the section, or a new section goes at the end of the file. Throws std::invalid_argument for
    // names or values that would not read back (line breaks, "]" in a section name, "=" in a key,
    // empty or untrimmed names, values over kMaxValueLength). A value with blanks at an end or
    // wholly in quotes is written in double quotes, so that it reads back as it was.
    void writeString(std::string_view section, std::string_view key, std::string_view value);
    // writeString for many keys of one section at once, in time proportional to the file.
    void writeStrings(std::string_view section, const std::vector<IniEntry>& values);

    // The whole file as it would be saved.
    std::string text() const;

    // Replaces the file atomically with text(); throws IniWriteError("Unable to write to <path>").
    void saveToFile(const std::filesystem::path& path, FileOps& ops = FileOps::system()) const;

private:
    enum class Kind { Other, Section, Key };
    struct Parsed {
        Kind kind = Kind::Other;
        std::string_view name;
        std::string_view value; // Key: the raw value, trimmed
    };
    struct Line {
        std::string content; // without its line ending
        std::string ending;  // "\n", "\r\n" or "" for a last line without one
    };

    static Parsed parse(std::string_view content);
    // Index of the first section header of that name, or npos.
    std::size_t findSection(std::string_view section) const;
    // Index of the first key line of that name in the section starting at sectionLine, or npos.
    std::size_t findKey(std::size_t sectionLine, std::string_view key) const;
    static std::string cookValue(std::string_view raw);
    void insertLines(std::size_t at, std::vector<std::string> contents);

    static constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

    std::vector<Line> m_lines;
    std::string m_newline = "\n";
    bool m_byteOrderMark = false;
};

} // namespace cvt
