#include "core/suffixes/CalibrationStore.h"

namespace cvt {

CalibrationStore::CalibrationStore(CalibrationBook book, Saver saver, Clock clock)
    : m_book(std::move(book)), m_saver(std::move(saver)),
      m_clock(clock ? std::move(clock) : Clock([] { return std::chrono::system_clock::now(); })) {}

CalibrationResult CalibrationStore::markFor(const CalibrationTarget& target, WhoisCalibrator& calibrator) {
    {
        const std::lock_guard lock(m_mutex);
        if (const StoredCalibration* fresh = m_book.fresh(target.server, m_clock()); fresh != nullptr) {
            return {fresh->mark, {}, fresh->registered};
        }
    }
    return recalibrate(target, calibrator);
}

CalibrationResult CalibrationStore::recalibrate(const CalibrationTarget& target, WhoisCalibrator& calibrator) {
    CalibrationResult result = calibrator.calibrate(target);
    if (!result.succeeded()) {
        return result;
    }
    const StoredCalibration calibration{
        result.mark, std::chrono::duration_cast<std::chrono::seconds>(m_clock().time_since_epoch()).count(),
        result.registered};
    {
        const std::lock_guard lock(m_mutex);
        m_book.store(target.server, calibration);
    }
    if (m_saver) {
        result.reason = m_saver(target.server, calibration);
    }
    return result;
}

std::optional<StoredCalibration> CalibrationStore::stored(const std::string& server) const {
    const std::lock_guard lock(m_mutex);
    const StoredCalibration* found = m_book.find(server);
    return found == nullptr ? std::nullopt : std::optional<StoredCalibration>(*found);
}

} // namespace cvt
