#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace cvt {

// A WHOIS reply and the name it answers.
struct CalibrationReply {
    std::string name; // the domain asked about, e.g. "qwhzkvbtrmplxsdfgnyc.shop"
    std::string text; // the reply as received
};

// The replies a server's no-match mark is derived from: at least two about names that cannot exist
// (random labels of 20 or more letters) and one about a name that must exist (nic.SUFFIX or the
// registry's own domain).
struct CalibrationReplies {
    std::vector<CalibrationReply> unregistered;
    CalibrationReply registered;
};

// Derives the text that tells a free name from a registered one in a WHOIS server's replies: a
// text present in every reply about a name that cannot exist and absent from the reply about one
// that must. The asked names (in any letter case), dates, times and other words with digits are
// never part of it, so it holds for the next names and days too.
//
// The registered text is the mirror: present in the reply about the name that must exist and absent
// from every other, with the same parts left out: the first field label of that reply (a line's text
// before its first colon) that qualifies, else as for the mark. A reply of the server that holds
// neither text is one the calibration did not foresee.
//
// The mark is the first line of the first unregistered reply that qualifies as a whole; when no
// line does, the longest qualifying stretch of a line between the parts left out (ties: the first).
// A mark has at least 4 bytes, 3 of them letters, and never holds a quota phrase.
//
// The derivation refuses, with a reason for the user, and never guesses: too few or too short
// random names, an empty or oversized reply, a reply that refuses the query for quota reasons,
// replies alike for both kinds of name, or no no-match text or no registered text to be found.
class NoMatchCalibration {
public:
    static constexpr std::size_t kMinRandomLabel = 20;
    // WHOIS replies are a few KiB; a longer one is not calibrated from, and at most so many
    // candidate texts are tried, so that the search stays quick on any input.
    static constexpr std::size_t kMaxReplyBytes = 64 * 1024;
    static constexpr std::size_t kMaxCandidates = 2000;

    static NoMatchCalibration derive(const CalibrationReplies& replies);

    bool succeeded() const { return !m_mark.empty(); }
    // The derived no-match mark; empty when the derivation was refused.
    const std::string& mark() const { return m_mark; }
    // The text only a registered reply holds; empty when the derivation was refused.
    const std::string& registered() const { return m_registered; }
    // Why no mark could be derived; empty on success.
    const std::string& reason() const { return m_reason; }

private:
    std::string m_mark;
    std::string m_registered;
    std::string m_reason;
};

} // namespace cvt
