#pragma once

#include "config/IniFile.h"
#include "core/query/RunSettings.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cvt {

// The longest interval and back-off accepted: one day.
inline constexpr std::int64_t kMaxIntervalMs = 86'400'000;
inline constexpr std::int64_t kMaxBackoffSeconds = 86'400;
// The longest time an answer in the journal is reused: ten years.
inline constexpr std::int64_t kMaxReuseDays = 3650;

// A whole number as typed in a setting or an option: decimal digits only (blanks around them
// allowed), at most limit. Nothing for anything else: a sign, a fraction, words, too large.
std::optional<std::int64_t> ParseSettingNumber(std::string_view text, std::int64_t limit);

// Reads [setting] parallel, interval, backoff and reuse_days and the [interval] section. A value that is not
// a number, negative or over a day is left out, with a warning ("Config.ini [setting] interval=abc:
// not a number of milliseconds from 0 to 86400000; the default is used"), and the default used.
RunSettings ReadRunSettings(const IniFile& ini, std::vector<std::string>& warnings);

// Turns the DNS check on or off in settings and sets the server it asks from a dns_server value
// (HOST[:PORT]; empty: the system's resolvers; "auto": each suffix's own name servers). A bad value
// leaves DNS off, with a warning that names it: the run then asks the registry for every cell.
void ApplyDnsSettings(RunSettings& settings, bool dns, std::string_view server, std::vector<std::string>& warnings);

} // namespace cvt
