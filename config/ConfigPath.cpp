#include "config/ConfigPath.h"

#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <stdexcept>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace cvt {

namespace {

constexpr const char* kConfigName = "Config.ini";

bool isFile(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

bool writableFolder(const std::filesystem::path& folder) {
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

std::filesystem::path homeDirectory() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') {
        return home;
    }
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
        found->pw_dir != nullptr && found->pw_dir[0] == '/') {
        return found->pw_dir;
    }
    return {};
}

// Copies source to target unless target exists, without ever leaving a half-written target: the
// copy is made under a temporary name and linked into place, so two programs starting at once
// both end up with one whole file.
void copyOnce(const std::filesystem::path& source, const std::filesystem::path& target) {
    std::filesystem::create_directories(target.parent_path());
    std::string pattern = (target.parent_path() / ".Config.ini.XXXXXX").string();
    const int descriptor = ::mkstemp(pattern.data());
    if (descriptor < 0) {
        throw std::system_error(errno, std::generic_category(),
                                "cannot create a file in " + target.parent_path().string());
    }
    ::close(descriptor);
    const std::filesystem::path temporary = pattern;
    std::error_code error;
    std::filesystem::copy_file(source, temporary, std::filesystem::copy_options::overwrite_existing, error);
    if (!error && ::link(temporary.c_str(), target.c_str()) != 0 && errno != EEXIST) {
        error = std::error_code(errno, std::generic_category());
    }
    std::filesystem::remove(temporary);
    if (error) {
        throw std::system_error(error, "cannot create " + target.string());
    }
}

} // namespace

std::filesystem::path executableDirectory() {
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || !executable.has_parent_path()) {
        throw std::runtime_error("cannot find the folder of the running program");
    }
    return executable.parent_path();
}

std::filesystem::path installedDataDirectory() {
    return (executableDirectory().parent_path() / "share" / "corvantide").lexically_normal();
}

std::filesystem::path xdgBaseDirectory(const char* variable, const char* fallbackUnderHome) {
    // Relative values are invalid in the XDG layout and are ignored, like unset or empty ones.
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] == '/') {
        return value;
    }
    const std::filesystem::path home = homeDirectory();
    return home.empty() ? home : home / fallbackUnderHome;
}

ConfigLocation locateConfig(const ConfigPlaces& places) {
    const std::filesystem::path beside = places.programFolder / kConfigName;
    if (isFile(beside) && writableFolder(places.programFolder)) {
        return {beside, ConfigKind::Portable, {}};
    }
    std::filesystem::path shipped;
    if (isFile(beside)) {
        shipped = beside;
    } else if (!places.installedFolder.empty() && isFile(places.installedFolder / kConfigName)) {
        shipped = places.installedFolder / kConfigName;
    }
    if (places.userFolder.empty()) {
        // No home folder: read what was shipped; without it, behave as the program always did.
        if (!shipped.empty()) {
            return {shipped, ConfigKind::Shipped, "no home folder for the per-user settings"};
        }
        return {beside, ConfigKind::Portable, {}};
    }
    const std::filesystem::path own = places.userFolder / kConfigName;
    std::error_code error;
    if (std::filesystem::exists(own, error) || error) {
        return {own, ConfigKind::PerUser, {}};
    }
    try {
        if (!shipped.empty()) {
            copyOnce(shipped, own);
        } else {
            // Nothing to copy: the folder is made so that a later save can create the file.
            std::filesystem::create_directories(places.userFolder);
        }
    } catch (const std::exception& failure) {
        if (!shipped.empty()) {
            return {shipped, ConfigKind::Shipped, failure.what()};
        }
    }
    return {own, ConfigKind::PerUser, {}};
}

ConfigPlaces defaultConfigPlaces() {
    const std::filesystem::path user = xdgBaseDirectory("XDG_CONFIG_HOME", ".config");
    return {executableDirectory(), installedDataDirectory(), user.empty() ? user : user / "corvantide"};
}

std::filesystem::path ConfigPath() {
    return locateConfig(defaultConfigPlaces()).path;
}

} // namespace cvt
