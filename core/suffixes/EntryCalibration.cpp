#include "core/suffixes/EntryCalibration.h"

#include "core/query/CellLookups.h"
#include "core/query/ServerEntry.h"
#include "core/suffixes/CalibrationStore.h"
#include "core/suffixes/SuffixDirectory.h"
#include "text/AsciiCase.h"
#include "text/IdnName.h"
#include "text/Trim.h"

namespace cvt {

CalibrationResult EntryCalibration::operator()(const CalibrationCall& call) const {
    const ServerEntry& entry = call.entry;
    CalibrationTarget target{std::string(trim(entry.host)), {}, {}};
    if (const DirectorySuffix* suffix = m_directory.find(trim(entry.caption)); suffix != nullptr) {
        target.suffix = suffix->ascii;
        target.registered = suffix->registered;
    } else {
        const IdnConversion ascii = IdnName::toAscii(trim(entry.caption));
        if (ascii.refused()) {
            return {{}, "the suffix is not a domain name: " + ascii.refusal};
        }
        target.suffix = toAsciiLower(ascii.name);
    }
    WhoisCalibrator calibrator(call.client);
    calibrator.setNextTurn(call.nextTurn);
    return call.again ? m_store.recalibrate(target, calibrator) : m_store.markFor(target, calibrator);
}

} // namespace cvt
