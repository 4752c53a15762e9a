#include "core/suffixes/WhoisCalibrator.h"

#include "core/query/CellLookup.h"
#include "core/query/WhoisLookup.h"
#include "core/suffixes/NoMatchCalibration.h"

#include <exception>
#include <random>

namespace cvt {

namespace {

std::string randomLabel() {
    thread_local std::mt19937 generator{std::random_device{}()};
    std::uniform_int_distribution<int> letter('a', 'z');
    std::string label(WhoisCalibrator::kRandomLabel, 'a');
    for (char& c : label) {
        c = static_cast<char>(letter(generator));
    }
    return label;
}

} // namespace

WhoisCalibrator::WhoisCalibrator(WhoisLookup& lookup, LabelSource labels)
    : m_lookup(lookup), m_labels(labels ? std::move(labels) : LabelSource(randomLabel)) {}

CalibrationResult WhoisCalibrator::calibrate(const CalibrationTarget& target) {
    CalibrationReplies replies;
    std::string first = m_labels();
    std::string second = m_labels();
    while (second == first) {
        second = m_labels();
    }
    replies.unregistered = {{first + "." + target.suffix, {}}, {second + "." + target.suffix, {}}};
    replies.registered.name = target.registered.empty() ? "nic." + target.suffix : target.registered;
    const auto ask = [this, &target](CalibrationReply& reply) -> std::string {
        try {
            reply.text = m_lookup.lookup(target.server, reply.name);
            return {};
        } catch (const std::exception& failure) {
            m_lookup.closeConnection();
            return "the server could not be asked about " + reply.name + ": " + failureReason(failure.what());
        }
    };
    bool firstQuestion = true;
    for (CalibrationReply* reply : {&replies.unregistered[0], &replies.registered, &replies.unregistered[1]}) {
        if (!firstQuestion && m_nextTurn && !m_nextTurn()) {
            return {{}, "stopped while the server was being calibrated", {}, true};
        }
        firstQuestion = false;
        if (std::string failure = ask(*reply); !failure.empty()) {
            return {{}, std::move(failure)};
        }
    }
    const NoMatchCalibration derived = NoMatchCalibration::derive(replies);
    return {derived.mark(), derived.reason(), derived.registered()};
}

} // namespace cvt
