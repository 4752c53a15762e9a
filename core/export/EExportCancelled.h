#pragma once

#include <stdexcept>

namespace cvt {

// An export stopped because the person cancelled it; nothing was written.
class EExportCancelled : public std::runtime_error {
public:
    EExportCancelled() : std::runtime_error("The export was cancelled") {}
};

} // namespace cvt
