#include "core/query/RunSettings.h"

#include "core/TextUtil.h"

namespace cvt {

std::chrono::milliseconds RunSettings::intervalFor(std::string_view serverField) const {
    std::string key(trim(serverField));
    for (char& c : key) {
        c = asciiLower(c);
    }
    const auto found = serverIntervals.find(key);
    return found != serverIntervals.end() ? found->second : interval;
}

} // namespace cvt
