#pragma once

#include <stdexcept>
#include <string>

namespace cvt {

// A workbook that cannot be made, written or opened; the message says why.
class EWorkbookError : public std::runtime_error {
public:
    explicit EWorkbookError(const std::string& message) : std::runtime_error(message) {}
};

} // namespace cvt
