#include "cli/SharedOptions.h"

#include "config/ConfigPath.h"
#include "config/RunSettingsIni.h"
#include "config/TIniOptions.h"

#include <CLI/CLI.hpp>
#include <exception>
#include <stdexcept>
#include <system_error>

namespace cvt::cli {

void ConfigOption::declare(CLI::App& command) {
    m_option =
        command
            .add_option("--config", file,
                        "read FILE instead of the Config.ini in use (the one beside the program when its folder is "
                        "writable, else ~/.config/corvantide/Config.ini)")
            ->type_name("FILE");
}

bool ConfigOption::given() const {
    return m_option != nullptr && m_option->count() > 0;
}

std::filesystem::path ConfigOption::path() const {
    return given() ? std::filesystem::path(file) : ConfigPath();
}

std::filesystem::path ConfigOption::existingPath() const {
    const std::filesystem::path configPath = path();
    std::error_code error;
    if (!std::filesystem::exists(configPath, error)) {
        throw std::runtime_error("no configuration file at " + configPath.string());
    }
    return configPath;
}

CLI::Option* addChoiceOption(CLI::App& command, const std::string& name, std::string& value,
                             const std::vector<std::string>& choices, const std::string& description) {
    std::string typeName;
    for (const std::string& choice : choices) {
        typeName += (typeName.empty() ? "" : "|") + choice;
    }
    return command.add_option(name, value, description)
        ->check(CLI::IsMember(choices).description(""))
        ->type_name(typeName);
}

CLI::Option* addDecimalOption(CLI::App& command, const std::string& name, std::optional<std::int64_t>& value,
                              std::int64_t max, const std::string& description) {
    // CLI11 would read 010 as octal and 0x10 as hexadecimal: the text is read here, as Config.ini's
    // settings are, and handed on in plain decimal.
    const auto decimal = [max](std::string& text) -> std::string {
        const std::optional<std::int64_t> number = ParseSettingNumber(text, max);
        if (!number) {
            return "'" + text + "' is not a decimal number from 0 to " + std::to_string(max);
        }
        text = std::to_string(*number);
        return {};
    };
    return command.add_option(name, value, description)->transform(CLI::Validator(decimal, ""));
}

void LanguageOption::declare(CLI::App& command) {
    command
        .add_option_function<std::string>(
            "--language",
            [this](const std::string& value) {
                code = value;
                given = true;
            },
            "the language of the messages: zh-cn or en (default: language in Config.ini)")
        ->type_name("zh-cn|en");
}

std::string LanguageOption::resolve(const std::filesystem::path& configPath) const {
    if (given) {
        return code;
    }
    std::error_code error;
    if (!std::filesystem::exists(configPath, error)) {
        return "en";
    }
    try {
        TIniOptions options;
        options.LoadFromFile(configPath);
        return options.Language;
    } catch (const std::exception&) {
        // The command that needs the file itself reports why it cannot be read.
        return "en";
    }
}

} // namespace cvt::cli
