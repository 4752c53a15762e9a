#pragma once

#include "core/suffixes/WhoisCalibrator.h"

namespace cvt {

class CalibrationStore;
class SuffixDirectory;
struct CalibrationCall;

// Gives the WHOIS entries of a run that have no no-match mark their server's calibrated texts: the
// stored ones while fresh (unless the call asks again), else ones derived now through the client
// given (the lane's own, at the lane's pace), asking about the registered name the directory knows
// for the suffix (else nic.SUFFIX). Thread-safe; the store and the directory must outlive it.
class EntryCalibration {
public:
    EntryCalibration(CalibrationStore& store, const SuffixDirectory& directory)
        : m_store(store), m_directory(directory) {}

    CalibrationResult operator()(const CalibrationCall& call) const;

private:
    CalibrationStore& m_store;
    const SuffixDirectory& m_directory;
};

} // namespace cvt
