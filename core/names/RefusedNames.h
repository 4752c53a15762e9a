#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace cvt {

// The international names left out of a run because libidn2 refused them: how many, and the first
// few of them with the reason.
struct RefusedNames {
    static constexpr std::size_t kExamples = 3;
    std::size_t count = 0;
    std::vector<std::string> examples; // "name (reason)"

    void add(std::string_view name, const std::string& reason);
    // The examples, joined by commas, with ", ..." when there are more names.
    std::string exampleList() const;
    // "2 international names that cannot be asked: a😀 (string contains a disallowed character), ..."
    std::string describe() const;
};

} // namespace cvt
