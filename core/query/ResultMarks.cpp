#include "core/query/ResultMarks.h"

#include "core/chinese/GbkCodec.h"
#include "core/query/QuotaPhrases.h"
#include "text/TextUtil.h"

#include <algorithm>
#include <string>

namespace cvt {

namespace {

// The mark as written (UTF-8) or, when it holds characters beyond ASCII that GBK has, in GBK: the
// servers of Chinese registries answer in GBK.
bool replyHoldsMark(std::string_view reply, std::string_view mark) {
    if (containsText(reply, mark)) {
        return true;
    }
    const bool ascii =
        std::all_of(mark.begin(), mark.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii || !gbk::isValidUtf8(mark)) {
        return false;
    }
    gbk::Utf8Reader reader(mark);
    char32_t codePoint = 0;
    while (reader.next(codePoint)) {
        if (codePoint >= 0x80 && gbk::codeOf(codePoint) == 0) {
            return false; // a GBK form without that character would match too much
        }
    }
    return containsText(reply, gbk::utf8ToGbk(mark));
}

constexpr std::size_t kMaxDetails = 200;

std::string refusedDetails(std::string_view line) {
    return "refused: " + std::string(line.substr(0, kMaxDetails));
}

} // namespace

CellOutcome judgeReply(std::string_view reply, const ServerEntry& entry) {
    if (trim(reply).empty()) {
        // Nothing to find the no-match mark in (line ends and blanks say nothing either): no answer
        // at all, whatever the entry's mark.
        return {Mark::Failed, "empty reply", false, true};
    }
    if (containsText(reply, kFailureText)) {
        return {Mark::Failed, std::string(trim(reply.substr(0, kMaxDetails))), false};
    }
    if (containsText(reply, entry.refusal)) {
        return {Mark::Failed, refusedDetails(entry.refusal), true};
    }
    const bool free = replyHoldsMark(reply, entry.mark);
    if (entry.refusal.empty() && !free) {
        if (const std::string_view line = findQuotaLine(reply); !line.empty()) {
            return {Mark::Failed, refusedDetails(line), true};
        }
    }
    return {free ? Mark::Free : Mark::Registered, {}, false};
}

Mark classifyReply(std::string_view reply, std::string_view noMatchMark, std::string_view refusal) {
    return judgeReply(reply, ServerEntry{{}, {}, std::string(noMatchMark), std::string(refusal), true}).mark;
}

} // namespace cvt
