#include "config/ConfigPath.h"

#include <stdexcept>
#include <system_error>

namespace cvt {

std::filesystem::path executableDirectory() {
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || !executable.has_parent_path()) {
        throw std::runtime_error("cannot find the folder of the running program");
    }
    return executable.parent_path();
}

std::filesystem::path ConfigPath() {
    return executableDirectory() / "Config.ini";
}

} // namespace cvt
