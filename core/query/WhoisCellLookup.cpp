#include "core/query/WhoisCellLookup.h"

#include "net/socket/ConnectionLoss.h"
#include "text/AsciiCase.h"
#include "text/IdnName.h"
#include "text/TextUtil.h"

#include <algorithm>
#include <exception>
#include <optional>

namespace cvt {

namespace {

// A failed exchange (reply() has closed the connection) is a result, not an error: it is failed and
// can be asked again.
CellAnswer failedExchange(const std::exception& failure) {
    return {{Mark::Failed, failureReason(failure.what()), false, isConnectionLoss(failure)}, std::nullopt};
}

// The run stopped while the server was being calibrated: the cell is failed, the pace left alone.
CellAnswer stoppedAnswer() {
    return {{Mark::Failed, "stopped while the server was being calibrated", false}, std::nullopt, true};
}

// The reply with the asked domain, wherever it echoes it (as asked or in its Unicode form, in any
// letter case), turned into line ends: a calibrated text can be a single word, which a name may hold
// ("AVAILABLE" in AVAILABLE.SHOP), and no text spans the name.
std::string withoutAskedDomain(std::string_view reply, const std::string& query) {
    std::string masked(reply);
    const auto mask = [&](std::string_view form) {
        // An empty form would be found everywhere, forever.
        for (std::size_t at = form.empty() ? std::string_view::npos : findIgnoreCase(reply, form);
             at != std::string_view::npos; at = findIgnoreCase(reply, form, at + 1)) {
            std::fill_n(masked.begin() + static_cast<std::ptrdiff_t>(at), form.size(), '\n');
        }
    };
    mask(query);
    if (const IdnConversion shown = IdnName::toShown(query); !shown.refused() && shown.name != query) {
        mask(shown.name);
    }
    return masked;
}

// A calibrated server's reply as judgeReply judges it with the calibrated no-match text, or nothing
// when the reply fits neither kind the calibration saw: registered only by lacking the no-match
// text (it lacks the registered text too), or free while it holds the registered text. Both texts
// are looked for around the asked domain, not in it.
std::optional<CellOutcome> judgeCalibrated(std::string_view reply, const std::string& query, const ServerEntry& entry,
                                           const CalibrationResult& texts) {
    const std::string around = withoutAskedDomain(reply, query);
    // Only the texts matter to the judgement; the entry's host, caption and name servers are not copied.
    CellOutcome outcome = judgeReply(around, ServerEntry{{}, {}, texts.mark, entry.refusal, true});
    const bool holdsRegistered = containsText(around, texts.registered);
    if ((outcome.mark == Mark::Registered && !holdsRegistered) || (outcome.mark == Mark::Free && holdsRegistered)) {
        return std::nullopt;
    }
    return outcome;
}

} // namespace

CellAnswer WhoisCellLookup::ask(const ServerEntry& entry, const std::string& query) {
    CellAnswer answer = entry.mark.empty() ? askCalibrated(entry, query) : askWith(entry, query);
    answer.outcome.via = "whois";
    return answer;
}

bool WhoisCellLookup::nextTurn(const ServerEntry& entry) const {
    return !m_nextTurn || m_nextTurn(std::string(trim(entry.host)));
}

WhoisCellLookup::Calibrated* WhoisCellLookup::calibrationFor(const ServerEntry& entry, bool& questionsAsked) {
    const std::string server(trim(entry.host));
    if (const auto known = m_calibrated.find(server); known != m_calibrated.end()) {
        return &known->second;
    }
    if (!m_calibrate) {
        const CalibrationResult none{{}, "not calibrated yet (corvantide-cli calibrate " + entry.caption + ")"};
        return &m_calibrated.emplace(server, Calibrated{none}).first->second;
    }
    // The turn is waited for between two questions only, so once it is the server has been asked.
    CalibrationResult result = m_calibrate({entry, *m_client, [this, &entry, &questionsAsked] {
                                                questionsAsked = true;
                                                return nextTurn(entry);
                                            }});
    if (result.stopped) {
        return nullptr;
    }
    return &m_calibrated.emplace(server, Calibrated{std::move(result)}).first->second;
}

bool WhoisCellLookup::deriveAgain(const ServerEntry& entry, Calibrated& calibration) {
    calibration.derivedAgain = true;
    if (!m_calibrate) {
        return true;
    }
    // The cell's own exchange has just taken the server's turn.
    if (!nextTurn(entry)) {
        return false;
    }
    CalibrationResult again = m_calibrate({entry, *m_client, [this, &entry] { return nextTurn(entry); }, true});
    if (again.stopped) {
        return false;
    }
    if (again.succeeded()) {
        calibration.result = std::move(again);
    } else {
        calibration.againFailure = std::move(again.reason);
    }
    return true;
}

CellAnswer WhoisCellLookup::askCalibrated(const ServerEntry& entry, const std::string& query) {
    bool questionsAsked = false;
    Calibrated* calibration = calibrationFor(entry, questionsAsked);
    if (calibration == nullptr) {
        return stoppedAnswer();
    }
    if (!calibration->result.succeeded()) {
        return {{Mark::Failed, "no no-match text: " + calibration->result.reason, false}, std::nullopt};
    }
    // The cell's question waits for its turn after the calibration's.
    if (questionsAsked && !nextTurn(entry)) {
        return stoppedAnswer();
    }
    std::string text;
    try {
        text = reply(entry, query);
    } catch (const std::exception& failure) {
        return failedExchange(failure);
    }
    std::optional<CellOutcome> outcome = judgeCalibrated(text, query, entry, calibration->result);
    if (!outcome && !calibration->derivedAgain) {
        if (!deriveAgain(entry, *calibration)) {
            return stoppedAnswer();
        }
        outcome = judgeCalibrated(text, query, entry, calibration->result);
    }
    if (outcome) {
        return {std::move(*outcome), std::nullopt};
    }
    std::string reason = "the reply holds neither the no-match text nor the registered text (or holds both) "
                         "calibrated for the server, derived again in this run";
    if (!calibration->againFailure.empty()) {
        reason += " without success: " + calibration->againFailure;
    }
    return {{Mark::Failed, std::move(reason), false}, std::nullopt};
}

CellAnswer WhoisCellLookup::askWith(const ServerEntry& entry, const std::string& query) {
    try {
        return {judgeReply(reply(entry, query), entry), std::nullopt};
    } catch (const std::exception& failure) {
        return failedExchange(failure);
    }
}

std::string WhoisCellLookup::reply(const ServerEntry& entry, const std::string& query) {
    try {
        return m_client->lookup(std::string(trim(entry.host)), query);
    } catch (const std::exception&) {
        m_client->closeConnection();
        throw;
    }
}

} // namespace cvt
