#include "config/RunSettingsIni.h"

#include "config/DnsServerSetting.h"
#include "text/AsciiCase.h"
#include "text/Trim.h"

namespace cvt {

namespace {

constexpr const char* kIntervalRule = "not a number of milliseconds from 0 to 86400000";
constexpr const char* kBackoffRule = "not a number of seconds from 0 to 86400";
constexpr const char* kReuseRule = "not a number of days from 0 to 3650";

std::string warning(std::string_view where, std::string_view value, const char* rule) {
    return "Config.ini " + std::string(where) + "=" + std::string(value) + ": " + rule + "; the default is used";
}

} // namespace

std::optional<std::int64_t> ParseSettingNumber(std::string_view text, std::int64_t limit) {
    const std::string_view digits = trim(text);
    if (digits.empty() || digits.size() > 18) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    if (value > limit) {
        return std::nullopt;
    }
    return value;
}

RunSettings ReadRunSettings(const IniFile& ini, std::vector<std::string>& warnings) {
    RunSettings settings;
    settings.parallel = ini.readInteger("setting", "parallel", 0) != 0;
    if (const std::string text = ini.readString("setting", "interval", ""); !text.empty()) {
        if (const auto ms = ParseSettingNumber(text, kMaxIntervalMs)) {
            settings.interval = std::chrono::milliseconds(*ms);
        } else {
            warnings.push_back(warning("[setting] interval", text, kIntervalRule));
        }
    }
    if (const std::string text = ini.readString("setting", "backoff", ""); !text.empty()) {
        if (const auto seconds = ParseSettingNumber(text, kMaxBackoffSeconds)) {
            settings.backoff = std::chrono::seconds(*seconds);
        } else {
            warnings.push_back(warning("[setting] backoff", text, kBackoffRule));
        }
    }
    if (const std::string text = ini.readString("setting", "reuse_days", ""); !text.empty()) {
        if (const auto days = ParseSettingNumber(text, kMaxReuseDays)) {
            settings.reuseDays = static_cast<int>(*days);
        } else {
            warnings.push_back(warning("[setting] reuse_days", text, kReuseRule));
        }
    }
    for (const IniEntry& entry : ini.entries("interval")) {
        const std::string_view server = trim(entry.key);
        if (server.empty()) {
            continue;
        }
        if (const auto ms = ParseSettingNumber(entry.value, kMaxIntervalMs)) {
            settings.serverIntervals[toAsciiLower(server)] = std::chrono::milliseconds(*ms);
        } else {
            warnings.push_back(warning("[interval] " + std::string(server), entry.value, kIntervalRule));
        }
    }
    return settings;
}

void ApplyDnsSettings(RunSettings& settings, bool dns, std::string_view server, std::vector<std::string>& warnings) {
    settings.dns = false;
    settings.dnsServerAddress.clear();
    settings.dnsServerPort = 53;
    settings.dnsAuto = false;
    if (!dns) {
        return;
    }
    const DnsServerSetting::Parsed parsed = DnsServerSetting::parse(server);
    if (!parsed.Error.empty()) {
        warnings.push_back(parsed.Error + "; names are not checked in DNS");
        return;
    }
    settings.dns = true;
    settings.dnsAuto = parsed.Auto;
    if (parsed.Server) {
        settings.dnsServerAddress = parsed.Server->Address;
        settings.dnsServerPort = parsed.Server->Port;
    }
}

} // namespace cvt
