#include "core/query/CellLookup.h"

#include "text/TextUtil.h"

#include <algorithm>

namespace cvt {

std::string failureReason(std::string_view message) {
    return std::string(trim(message.substr(0, std::min(message.find('\n'), message.size()))));
}

} // namespace cvt
