#pragma once

#include <filesystem>
#include <string>

namespace cvt {

// The folder of the running executable. Throws std::runtime_error when it cannot be found.
std::filesystem::path executableDirectory();

// The shipped Config.ini and dictionaries of an install: "<program folder>/../share/corvantide", so
// any prefix or staging folder works without rebuilding.
std::filesystem::path installedDataDirectory();

// A per-user base folder of the XDG layout: the absolute path in the environment variable, else
// "<home>/<fallback>" (for example ".config"). Empty when there is no home folder either.
std::filesystem::path xdgBaseDirectory(const char* variable, const char* fallbackUnderHome);

// Where the settings are looked for.
struct ConfigPlaces {
    std::filesystem::path programFolder;   // folder of the executable (portable mode)
    std::filesystem::path installedFolder; // the install's share/corvantide
    std::filesystem::path userFolder;      // $XDG_CONFIG_HOME/corvantide; empty when there is no home
};

enum class ConfigKind {
    Portable, // Config.ini beside the program in a writable folder
    PerUser,  // the user's own copy under the XDG config folder
    Shipped,  // read-only fallback: the per-user copy could not be made
};

struct ConfigLocation {
    std::filesystem::path path;
    ConfigKind kind = ConfigKind::PerUser;
    std::string problem; // why the per-user copy could not be made (Shipped only)
};

// Picks the Config.ini in use. Portable mode when a Config.ini sits beside the program and that
// folder is writable; otherwise the per-user file, created on first use as a copy of the shipped
// one (beside the program, else in the installed data folder) when one exists. When the per-user
// copy cannot be made the shipped file is read instead, and saving it reports its own error.
ConfigLocation locateConfig(const ConfigPlaces& places);

// The places of the running program and its environment.
ConfigPlaces defaultConfigPlaces();

// The Config.ini in use by this process: locateConfig(defaultConfigPlaces()).path.
std::filesystem::path ConfigPath();

} // namespace cvt
