#include "core/ResultMarks.h"

#include "core/QuotaPhrases.h"
#include "core/TextUtil.h"

namespace cvt {

namespace {

constexpr std::size_t kMaxDetails = 200;

std::string refusedDetails(std::string_view line) {
    return "refused: " + std::string(line.substr(0, kMaxDetails));
}

} // namespace

CellOutcome judgeReply(std::string_view reply, const ServerEntry& entry) {
    if (containsText(reply, kFailureText)) {
        return {std::string(kMarkFailed), std::string(trim(reply.substr(0, kMaxDetails))), false};
    }
    if (containsText(reply, entry.refusal)) {
        return {std::string(kMarkFailed), refusedDetails(entry.refusal), true};
    }
    const bool free = containsText(reply, entry.mark);
    if (entry.refusal.empty() && !free) {
        if (const std::string_view line = findQuotaLine(reply); !line.empty()) {
            return {std::string(kMarkFailed), refusedDetails(line), true};
        }
    }
    return {std::string(free ? kMarkFree : kMarkRegistered), {}, false};
}

std::string_view classifyReply(std::string_view reply, std::string_view noMatchMark, std::string_view refusal) {
    const CellOutcome outcome =
        judgeReply(reply, ServerEntry{{}, {}, std::string(noMatchMark), std::string(refusal), true});
    return outcome.mark == kMarkFree ? kMarkFree : outcome.mark == kMarkRegistered ? kMarkRegistered : kMarkFailed;
}

bool needsRequery(std::string_view mark) {
    return mark == kMarkFailed || mark == kMarkNotAsked;
}

} // namespace cvt
