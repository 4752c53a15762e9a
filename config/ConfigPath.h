#pragma once

#include <filesystem>

namespace cvt {

// The folder of the running executable. Throws std::runtime_error when it cannot be found.
std::filesystem::path executableDirectory();

// "<folder of the running executable>/Config.ini".
std::filesystem::path ConfigPath();

} // namespace cvt
