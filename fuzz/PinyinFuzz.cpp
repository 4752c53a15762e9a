// Feeds arbitrary bytes to the pinyin conversion (as text and as GBK bytes, reading by character and
// word by word), to the encoding decision, to the conversion of a run's names to UTF-8 and to the
// dictionary line reader, and checks what every result must hold.
#include "core/chinese/ChineseToPinyin.h"
#include "core/names/NameEncoding.h"
#include "core/words/DictionaryFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

bool isAsciiAlnum(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

void checkPinyin(const std::string& result) {
    if (result.size() > cvt::kPinyinMaxLength) {
        std::abort();
    }
    for (const char c : result) {
        if (!isAsciiAlnum(c)) {
            std::abort();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string byCharacter = cvt::ChineseToPinyin(bytes);
    checkPinyin(byCharacter);
    checkPinyin(cvt::ChineseToPinyinGbk(bytes));
    // Word readings replace the readings of characters that have one: nothing from nothing.
    const std::string byPhrase = cvt::ChineseToPinyin(bytes, cvt::PinyinReading::ByPhrase);
    checkPinyin(byPhrase);
    if (byCharacter.empty() != byPhrase.empty()) {
        std::abort();
    }
    checkPinyin(cvt::ChineseToPinyinGbk(bytes, cvt::PinyinReading::ByPhrase));

    // The encoding of a text is the same whether it is weighed whole or line by line.
    cvt::gbk::EncodingVote lines;
    cvt::NameList names;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = bytes.find('\n', start);
        lines.add(bytes.substr(start, end == std::string_view::npos ? end : end - start));
        names.push_back(bytes.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) {
            break;
        }
        start = end + 1;
    }
    if (lines.result() != cvt::gbk::detectEncoding(bytes)) {
        std::abort();
    }
    // The same lines as the names of a run: each comes out as UTF-8 or is counted as refused.
    const std::size_t lineCount = names.size();
    const std::size_t refused = cvt::convertNamesToUtf8(names);
    if (names.size() + refused != lineCount || !cvt::gbk::isValidUtf8(names.bytes())) {
        std::abort();
    }
    checkPinyin(cvt::ChineseToPinyin(bytes, lines.result()));

    std::size_t entryBytes = 0;
    for (const std::string& entry : cvt::DictionaryFile::splitEntries(bytes)) {
        if (entry.find('\n') != std::string::npos || entry.find('\r') != std::string::npos ||
            entry.find(cvt::DictionaryFile::kEndOfFile) != std::string::npos) {
            std::abort();
        }
        entryBytes += entry.size();
    }
    if (entryBytes > size) {
        std::abort();
    }
    return 0;
}
