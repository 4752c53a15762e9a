#pragma once

#include <stdexcept>
#include <string>

namespace cvt {

// Every failure of the automation layer: no server registered for an identifier, an unknown member,
// a call of the wrong kind or with the wrong arguments, a workbook that cannot be written or opened.
class EOleError : public std::runtime_error {
public:
    explicit EOleError(const std::string& message) : std::runtime_error(message) {}
};

} // namespace cvt
