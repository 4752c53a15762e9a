#include "core/ResultMarks.h"

#include "core/TextUtil.h"

namespace cvt {

std::string_view classifyReply(std::string_view reply, std::string_view noMatchMark, std::string_view refusal) {
    if (containsText(reply, kFailureText) || containsText(reply, refusal)) {
        return kMarkFailed;
    }
    return containsText(reply, noMatchMark) ? kMarkFree : kMarkRegistered;
}

bool needsRequery(std::string_view mark) {
    return mark == kMarkFailed || mark == kMarkNotAsked;
}

} // namespace cvt
