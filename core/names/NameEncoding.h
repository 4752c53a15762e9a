#pragma once

#include "core/names/NameList.h"

#include <cstddef>

namespace cvt {

// Brings the names of a run to UTF-8, so every place that shows or writes them holds the same text.
// The list is weighed as one text (gbk::EncodingVote for names): a GBK list is converted, and so are
// the GBK names of a UTF-8 list that mixes them in. A name that is neither valid UTF-8 nor GBK with
// assigned codes is taken out. Returns the number taken out.
std::size_t convertNamesToUtf8(NameList& names);

} // namespace cvt
