#include "config/TIniOptions.h"

#include "config/IniError.h"
#include "config/RunSettingsIni.h"
#include "text/AsciiCase.h"
#include "text/Trim.h"

#include <map>
#include <string>

namespace cvt {

namespace {

constexpr std::size_t kMinimumLineLength = 6;

// A key named by a decimal number without leading zeros, from 1 to limit; 0 otherwise.
std::int32_t keyNumber(std::string_view name, std::int32_t limit) {
    if (name.empty() || name.size() > 10 || name[0] == '0') {
        return 0;
    }
    std::int64_t value = 0;
    for (const char c : name) {
        if (c < '0' || c > '9') {
            return 0;
        }
        value = value * 10 + (c - '0');
    }
    return value <= limit ? static_cast<std::int32_t>(value) : 0;
}

} // namespace

void TIniOptions::LoadFromFile(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        return;
    }
    const IniFile ini = IniFile::fromFile(path);
    LoadFromIni(&ini);
}

void TIniOptions::SaveToFile(const std::filesystem::path& path, FileOps& ops) const {
    IniFile ini;
    try {
        ini = IniFile::fromFile(path);
    } catch (const IniReadError&) {
        // What cannot be read cannot be kept: the save fails rather than wipe the file.
        throw IniWriteError(path.string());
    }
    SaveToIni(&ini);
    ini.saveToFile(path, ops);
}

void TIniOptions::LoadFromIni(const IniFile* ini) {
    if (ini == nullptr) {
        return;
    }
    Language = ini->readString("setting", "language", "'zh-cn'");
    VisibleTextOnly = ini->readInteger("setting", "visibletext", 1) != 0;
    Num = ini->readInteger("setting", "num", 5);
    Dns = ini->readInteger("setting", "dns", 0) != 0;
    DnsServer = ini->readString("setting", "dns_server", "");
    Run = ReadRunSettings(*ini, RunWarnings);
    ApplyDnsSettings(Run, Dns, DnsServer, RunWarnings);
    if (Num <= 0) {
        return;
    }
    // The keys 1 to Num that exist, in number order; walking the section once keeps a huge num cheap.
    std::map<std::int32_t, std::string> byNumber;
    for (IniEntry& entry : ini->entries("whois")) {
        const std::int32_t number = keyNumber(entry.key, Num);
        if (number != 0) {
            byNumber.try_emplace(number, std::move(entry.value));
        }
    }
    for (const auto& [number, value] : byNumber) {
        const std::string_view line = trim(value);
        if (line.size() >= kMinimumLineLength) {
            WhoisLines.emplace_back(line);
            WhoisKeys.push_back(number);
        }
    }
}

void TIniOptions::SaveToIni(IniFile* ini) const {
    if (ini == nullptr) {
        return;
    }
    ini->writeString("setting", "language", Language);
    ini->writeString("setting", "num", std::to_string(WhoisLines.size()));
    // Written only when it is not the default or the file says otherwise, so files saved before the
    // setting existed stay as they were.
    if (!VisibleTextOnly || ini->readInteger("setting", "visibletext", 1) == 0) {
        ini->writeString("setting", "visibletext", VisibleTextOnly ? "1" : "0");
    }
    std::vector<IniEntry> entries;
    entries.reserve(WhoisLines.size());
    for (std::size_t i = 0; i < WhoisLines.size(); ++i) {
        entries.push_back({std::to_string(i + 1), WhoisLines[i]});
    }
    ini->writeStrings("whois", entries);
}

} // namespace cvt
