#include "core/names/NameEncoding.h"

#include "core/chinese/GbkCodec.h"

#include <algorithm>
#include <string>

namespace cvt {

std::size_t convertNamesToUtf8(NameList& names) {
    const std::string_view bytes = names.bytes();
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        return 0;
    }
    gbk::EncodingVote vote(gbk::TextKind::Names);
    for (const std::string_view name : names) {
        vote.add(name);
    }
    NameList converted;
    converted.reserve(names.size(), names.byteSize());
    std::size_t refused = 0;
    std::string text;
    for (const std::string_view name : names) {
        text.clear();
        const bool readable =
            vote.encodingOf(name) == gbk::TextEncoding::Gbk ? gbk::gbkToUtf8(name, text) : gbk::isValidUtf8(name);
        if (!readable) {
            ++refused;
        } else if (text.empty()) {
            converted.push_back(name);
        } else {
            converted.push_back(text);
        }
    }
    names = std::move(converted);
    return refused;
}

} // namespace cvt
