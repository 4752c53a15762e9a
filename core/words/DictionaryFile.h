#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace cvt {

// The two dictionaries of the word-list builder, in the order of the dialog's choice.
enum class DictionaryKind {
    Chinese, // "zh-cn.dct", phrases turned into pinyin
    English, // "en.dct", words taken as they stand
};

// A dictionary file: plain text, one entry per line, opened by its bare name in a folder (the
// program's current folder).
//
// A line ends at LF; a CR is never part of an entry (so CR LF ends a line, and a lone CR is dropped
// and the line goes on). A byte 26 (Ctrl-Z) ends the file. Lines have no length limit, every other
// byte belongs to the entry, blanks included, and an empty line is an entry of length 0. The bytes
// are not decoded. The last line needs no line end.
class DictionaryFile {
public:
    static constexpr char kEndOfFile = 26;

    explicit DictionaryFile(DictionaryKind kind, std::filesystem::path folder = ".");

    static std::string_view fileName(DictionaryKind kind);
    // The message shown when the dictionary is missing, e.g. "字典文件en.dct不存在！".
    static std::string missingMessage(DictionaryKind kind);

    DictionaryKind kind() const { return m_kind; }
    std::filesystem::path path() const;

    // Calls onEntry for every entry in file order. Throws std::runtime_error with missingMessage()
    // when the file does not exist, and with a read-error message when it cannot be opened or read
    // to its end (reading stops there). Exceptions from onEntry pass through.
    void forEachEntry(const std::function<void(std::string_view)>& onEntry) const;

    std::vector<std::string> readEntries() const;

    // The entry rules applied to bytes already in memory; returns the entries in order.
    static std::vector<std::string> splitEntries(std::string_view bytes);

private:
    DictionaryKind m_kind;
    std::filesystem::path m_folder;
};

} // namespace cvt
