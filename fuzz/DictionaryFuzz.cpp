// Takes arbitrary bytes as the content of both dictionary files, reads them back through the file
// reader and through the word-list build of the Dictionary page, and checks the results against a
// plain model of the line rules.
#include "core/chinese/ChineseToPinyin.h"
#include "core/words/DictionaryFile.h"
#include "core/words/WordListBuilder.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace {

// A folder of its own for the two files, made once and removed at exit.
class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "corvantide-dictfuzz-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        m_path = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }

    void write(std::string_view name, std::string_view bytes) const {
        std::ofstream out(m_path / name, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::abort();
        }
    }

private:
    std::filesystem::path m_path;
};

// The line rules stated plainly: the content ends at the first Ctrl-Z, lines end at LF, every CR
// is dropped, and the text after the last LF is an entry when it holds any byte at all.
std::vector<std::string> modelEntries(std::string_view bytes) {
    const std::string_view content = bytes.substr(0, bytes.find(cvt::DictionaryFile::kEndOfFile));
    std::vector<std::string> entries;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = content.find('\n', start);
        const std::string_view line = content.substr(start, end == std::string_view::npos ? end : end - start);
        if (end == std::string_view::npos && line.empty()) {
            break;
        }
        std::string entry(line);
        entry.erase(std::remove(entry.begin(), entry.end(), '\r'), entry.end());
        entries.push_back(std::move(entry));
        if (end == std::string_view::npos) {
            break;
        }
        start = end + 1;
    }
    return entries;
}

std::string foldCase(std::string_view text) {
    std::string folded(text);
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return folded;
}

// The distinct names, letter case disregarded, in a fixed order.
std::vector<std::string> foldedSet(const std::vector<std::string>& names) {
    std::vector<std::string> folded;
    for (const std::string& name : names) {
        folded.push_back(foldCase(name));
    }
    std::sort(folded.begin(), folded.end());
    folded.erase(std::unique(folded.begin(), folded.end()), folded.end());
    return folded;
}

// Names a build must yield from the given words: the non-empty ones, without case-insensitive
// duplicates. Also checks that the build left no such duplicate.
void checkBuild(const cvt::NameList& built, const std::vector<std::string>& words) {
    std::vector<std::string> expected;
    for (const std::string& word : words) {
        if (!word.empty()) {
            expected.push_back(word);
        }
    }
    const std::vector<std::string> names = built.toVector();
    const std::vector<std::string> namesFolded = foldedSet(names);
    if (namesFolded.size() != names.size() || namesFolded != foldedSet(expected)) {
        std::abort();
    }
}

// Whether the final split of the build leaves every entry whole: no byte 0 to 32, no double quote.
bool splitsNothing(const std::vector<std::string>& entries) {
    return std::all_of(entries.begin(), entries.end(), [](const std::string& entry) {
        return std::none_of(entry.begin(), entry.end(), [](char c) {
            const auto byte = static_cast<unsigned char>(c);
            return byte <= 32 || c == '"';
        });
    });
}

cvt::WordListRequest dictionaryRequest(cvt::DictionaryKind kind, const std::filesystem::path& folder) {
    cvt::WordListRequest request;
    request.page = cvt::WordPage::Dictionary;
    request.dictionary = kind;
    request.minimum = "1";
    request.maximum = "2147483647";
    request.dictionaryFolder = folder;
    return request;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const ScratchFolder folder;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    folder.write(cvt::DictionaryFile::fileName(cvt::DictionaryKind::English), bytes);
    folder.write(cvt::DictionaryFile::fileName(cvt::DictionaryKind::Chinese), bytes);

    // The file reader, the in-memory reader and the model agree entry by entry.
    const std::vector<std::string> expected = modelEntries(bytes);
    const std::vector<std::string> fromFile =
        cvt::DictionaryFile(cvt::DictionaryKind::English, folder.path()).readEntries();
    if (fromFile != expected || cvt::DictionaryFile::splitEntries(bytes) != expected) {
        std::abort();
    }

    // Chinese dictionary: every entry becomes its pinyin (letters and digits only), read in the
    // encoding the whole file gives it (line by line in a file that mixes them), so the names are
    // exactly the distinct non-empty conversions.
    cvt::gbk::EncodingVote vote;
    for (const std::string& entry : expected) {
        vote.add(entry);
    }
    std::vector<std::string> pinyin;
    for (const std::string& entry : expected) {
        pinyin.push_back(cvt::ChineseToPinyin(entry, vote.encodingOf(entry), cvt::PinyinReading::ByPhrase));
    }
    checkBuild(cvt::WordListBuilder(dictionaryRequest(cvt::DictionaryKind::Chinese, folder.path())).build(), pinyin);

    // English dictionary: entries are taken as they stand; when the final split at blanks and quotes
    // has nothing to split, the names are exactly the distinct non-empty entries.
    const cvt::NameList english =
        cvt::WordListBuilder(dictionaryRequest(cvt::DictionaryKind::English, folder.path())).build();
    if (splitsNothing(expected)) {
        checkBuild(english, expected);
    }
    return 0;
}
