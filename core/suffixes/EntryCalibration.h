#pragma once

#include "core/suffixes/WhoisCalibrator.h"

namespace cvt {

class CalibrationStore;
class SuffixDirectory;
class WhoisLookup;
struct ServerEntry;

// Gives the WHOIS entries of a run that have no no-match mark their server's calibrated text: the
// stored one while fresh, else one derived now through the client given (the lane's own), asking
// about the registered name the directory knows for the suffix (else nic.SUFFIX). Thread-safe; the
// store and the directory must outlive it.
class EntryCalibration {
public:
    EntryCalibration(CalibrationStore& store, const SuffixDirectory& directory)
        : m_store(store), m_directory(directory) {}

    CalibrationResult operator()(const ServerEntry& entry, WhoisLookup& client) const;

private:
    CalibrationStore& m_store;
    const SuffixDirectory& m_directory;
};

} // namespace cvt
