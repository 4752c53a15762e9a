#pragma once

#include <stdexcept>
#include <string>

namespace cvt {

// The configuration file exists but cannot be read: "Unable to read <path>".
class IniReadError : public std::runtime_error {
public:
    explicit IniReadError(const std::string& path) : std::runtime_error("Unable to read " + path) {}
};

// A save failed; the file on disk is unchanged: "Unable to write to <path>".
class IniWriteError : public std::runtime_error {
public:
    explicit IniWriteError(const std::string& path) : std::runtime_error("Unable to write to " + path) {}
};

} // namespace cvt
