#include "core/suffixes/SuffixEntry.h"

namespace cvt {

std::string_view suffixGroupName(SuffixGroup group) {
    switch (group) {
    case SuffixGroup::Generic:
        return "generic";
    case SuffixGroup::Country:
        return "country";
    case SuffixGroup::Geographic:
        return "geographic";
    case SuffixGroup::Chinese:
        return "chinese";
    }
    return "generic";
}

} // namespace cvt
