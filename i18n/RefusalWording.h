#pragma once

#include "core/names/SearchRefusal.h"

#include <string>
#include <string_view>

namespace cvt {

// The error box's text for a refused Search, in the given language ("zh-cn" gives Chinese).
std::string refusalMessage(const SearchRefusal& refusal, std::string_view languageCode);

} // namespace cvt
