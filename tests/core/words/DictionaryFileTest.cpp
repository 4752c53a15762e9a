#include "core/words/DictionaryFile.h"

#include "tests/support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <vector>

namespace cvt {
namespace {

using namespace std::string_literals;
using Entries = std::vector<std::string>;

struct Case {
    const char* name;
    std::string bytes;
    Entries expected;
};

std::vector<Case> lineRuleCases() {
    const std::string longLine(200'000, 'w');
    return {
        {"empty file", "", {}},
        {"Ctrl-Z first", "\032abc\n"s, {}},
        {"LF", "abend\nabide\nable", {"abend", "abide", "able"}},
        {"LF at the end", "abend\nable\n", {"abend", "able"}},
        {"CR LF", "abend\r\nabide\r\nable\r\n", {"abend", "abide", "able"}},
        {"lone CR dropped", "ab\rcd\nx\r", {"abcd", "x"}},
        {"only a CR", "\r", {""}},
        {"empty lines", "\n\r\n\n", {"", "", ""}},
        {"blanks kept", " ab cd \t\n", {" ab cd \t"}},
        {"Ctrl-Z ends the file", "one\ntwo\x1athree\nfour\n"s, {"one", "two"}},
        {"Ctrl-Z after a line end", "one\n\x1a\n"s, {"one"}},
        {"byte-order mark kept", "\357\273\277first\nsecond"s, {"\357\273\277first"s, "second"}},
        {"NUL and high bytes kept", "a\0b\n\xC3\xCE\xFF\n"s, {"a\0b"s, "\xC3\xCE\xFF"s}},
        {"long line", longLine + "\nz", {longLine, "z"}},
        // A CR LF whose two bytes fall into different 64 KiB reads.
        {"CR LF across reads", std::string(65'535, 'x') + "\r\ny", {std::string(65'535, 'x'), "y"}},
        {"Ctrl-Z after a long stretch", std::string(70'000, 'q') + "\x1atail", {std::string(70'000, 'q')}},
    };
}

// The same rules hold for bytes in memory and for a file read in 64 KiB pieces.
TEST(DictionaryFile, LineRules) {
    for (const auto& c : lineRuleCases()) {
        EXPECT_EQ(DictionaryFile::splitEntries(c.bytes), c.expected) << c.name;
        test::TempDir dir;
        dir.write("en.dct", c.bytes);
        EXPECT_EQ(DictionaryFile(DictionaryKind::English, dir.path()).readEntries(), c.expected) << "file: " << c.name;
    }
}

TEST(DictionaryFile, Failures) {
    struct FailureCase {
        const char* name;
        DictionaryKind kind;
        bool makeFolderInstead; // a folder by the file's name exists but cannot be read as a file
        std::string message;
    };
    const FailureCase cases[] = {
        {"missing en.dct", DictionaryKind::English, false, "字典文件en.dct不存在！"},
        {"missing zh-cn.dct", DictionaryKind::Chinese, false, "字典文件zh-cn.dct不存在！"},
        {"unreadable en.dct", DictionaryKind::English, true, "Cannot read the dictionary file en.dct: "},
        {"unreadable zh-cn.dct", DictionaryKind::Chinese, true, "Cannot read the dictionary file zh-cn.dct: "},
    };
    for (const auto& c : cases) {
        test::TempDir dir;
        if (c.makeFolderInstead) {
            std::filesystem::create_directory(dir.file(DictionaryFile::fileName(c.kind)));
        }
        int entries = 0;
        try {
            DictionaryFile(c.kind, dir.path()).forEachEntry([&](std::string_view) { ++entries; });
            ADD_FAILURE() << c.name << ": no exception";
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(std::string(error.what()).substr(0, c.message.size()), c.message) << c.name;
            if (c.makeFolderInstead) {
                EXPECT_GT(std::string(error.what()).size(), c.message.size()) << "no reason given";
            }
        }
        EXPECT_EQ(entries, 0) << c.name;
    }
}

} // namespace
} // namespace cvt
