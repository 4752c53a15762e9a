#include "core/names/RefusedNames.h"

namespace cvt {

void RefusedNames::add(std::string_view name, const std::string& reason) {
    if (examples.size() < kExamples) {
        examples.push_back(std::string(name) + " (" + reason + ")");
    }
    ++count;
}

std::string RefusedNames::exampleList() const {
    std::string text;
    for (std::size_t i = 0; i < examples.size(); ++i) {
        text.append(i == 0 ? "" : ", ").append(examples[i]);
    }
    if (count > examples.size()) {
        text.append(", ...");
    }
    return text;
}

std::string RefusedNames::describe() const {
    return std::to_string(count) + " international names that cannot be asked: " + exampleList();
}

} // namespace cvt
