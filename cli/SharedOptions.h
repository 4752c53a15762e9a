#pragma once

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace CLI {
class App;
class Option;
} // namespace CLI

namespace cvt::cli {

// --config FILE: the Config.ini to read instead of the one in use (beside the program when its
// folder is writable, else the per-user one).
class ConfigOption {
public:
    std::string file;

    void declare(CLI::App& command);
    bool given() const;
    std::filesystem::path path() const;
    // Fails (std::runtime_error) when the file does not exist.
    std::filesystem::path existingPath() const;

private:
    const CLI::Option* m_option = nullptr;
};

// --language CODE: the wording of the two-language messages; without it, `language` of Config.ini
// chooses, as in the window ("zh-cn" Chinese, anything else English).
struct LanguageOption {
    std::string code;
    bool given = false;

    void declare(CLI::App& command);
    // The code to use: the option's, else the one of the Config.ini at configPath (English when
    // that file is missing or unreadable).
    std::string resolve(const std::filesystem::path& configPath) const;
};

// An option whose value is one of a fixed set of words; the help shows them as "a|b|c" (the shell
// completion reads them from there). A value outside the set is wrong usage.
CLI::Option* addChoiceOption(CLI::App& command, const std::string& name, std::string& value,
                             const std::vector<std::string>& choices, const std::string& description);

// An option whose value is a whole number from 0 to max written in decimal, as Config.ini's
// settings are (leading zeros allowed; no sign, prefix or exponent). Anything else is wrong usage.
CLI::Option* addDecimalOption(CLI::App& command, const std::string& name, std::optional<std::int64_t>& value,
                              std::int64_t max, const std::string& description);

} // namespace cvt::cli
