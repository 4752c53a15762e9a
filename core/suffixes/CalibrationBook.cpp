#include "core/suffixes/CalibrationBook.h"

#include "text/AsciiCase.h"
#include "text/Trim.h"

#include <algorithm>

namespace cvt {

std::string serverKey(std::string_view server) {
    std::string key = toAsciiLower(trim(server));
    constexpr std::string_view defaultPort = ":43";
    const bool bracketed = key.size() > defaultPort.size() + 1 && key.front() == '[' &&
                           key.compare(key.size() - defaultPort.size() - 1, std::string::npos, "]:43") == 0;
    const bool hostAndPort =
        key.size() > defaultPort.size() && key.ends_with(defaultPort) && std::count(key.begin(), key.end(), ':') == 1;
    if (bracketed || hostAndPort) {
        key.resize(key.size() - defaultPort.size());
    }
    return key;
}

const StoredCalibration* CalibrationBook::find(std::string_view server) const {
    const auto stored = m_byServer.find(serverKey(server));
    return stored == m_byServer.end() ? nullptr : &stored->second;
}

const StoredCalibration* CalibrationBook::fresh(std::string_view server,
                                                std::chrono::system_clock::time_point now) const {
    const StoredCalibration* stored = find(server);
    if (stored == nullptr || stored->mark.empty()) {
        return nullptr;
    }
    const auto age =
        std::chrono::duration_cast<std::chrono::seconds>(now.time_since_epoch()).count() - stored->derivedAt;
    return age >= 0 && age < kMaxAge.count() ? stored : nullptr;
}

void CalibrationBook::store(std::string_view server, StoredCalibration calibration) {
    m_byServer.insert_or_assign(serverKey(server), std::move(calibration));
}

} // namespace cvt
