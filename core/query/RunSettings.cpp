#include "core/query/RunSettings.h"

#include "text/TextUtil.h"

namespace cvt {

std::chrono::milliseconds RunSettings::intervalFor(std::string_view serverField) const {
    const auto found = serverIntervals.find(toAsciiLower(trim(serverField)));
    return found != serverIntervals.end() ? found->second : interval;
}

} // namespace cvt
