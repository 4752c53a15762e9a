// Pattern parser and expansion: any bytes must give a list or a PatternError, never a crash.
#include "core/names/PatternExpansion.h"
#include "core/words/SortUnique.h"
#include "text/TextUtil.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        const auto positions = cvt::ParsePattern(cvt::trim(text));
        if (positions.size() > 1 + 200 + 1) {
            std::abort();
        }
        // Keep each input quick: only expand patterns of modest size.
        if (cvt::CountCombinations(positions) <= 50000) {
            const cvt::NameList names = cvt::PreparePatternCandidates(text);
            for (std::size_t i = 1; i < names.size(); ++i) {
                if (cvt::compareIgnoreCase(names[i - 1], names[i]) >= 0) {
                    std::abort();
                }
            }
            for (const std::string_view name : names) {
                if (name.empty()) {
                    std::abort();
                }
            }
        }
    } catch (const cvt::PatternError&) {
    }
    const cvt::NameList tokens = cvt::SortUniqueList(text);
    if (!tokens.isSortedIgnoreCase()) {
        std::abort();
    }
    return 0;
}
