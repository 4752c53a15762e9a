#pragma once

#include "core/query/Mark.h"
#include "core/query/ServerEntry.h"

#include <string>
#include <string_view>

namespace cvt {

// The reply that stands for a failed exchange; its "Error WSA" makes it classify as failed.
inline constexpr std::string_view kFailedExchangeReply = "Error WSAconnectionReset";
// Any reply holding this text counts as failed, whatever else it holds.
inline constexpr std::string_view kFailureText = "Error WSA";

// What asking one cell came to: its mark, and for a failed or refused cell the reason.
struct CellOutcome {
    Mark mark = Mark::Unasked;
    std::string details;  // "Read Timeout", "refused: WHOIS LIMIT EXCEEDED"; empty for an answer
    bool refused = false; // the server refused for quota reasons: its lane backs off
    bool noReply = false; // no byte of reply came: the connection was closed or reset, or the reply empty
    // The protocol of the exchange that gave the outcome, "whois" or "rdap" (an RDAP lookup with a
    // WHOIS server behind it says "whois" when the WHOIS server answered or failed); empty when no
    // lookup made one.
    std::string via = {};
};

// Decides the outcome of a WHOIS reply, testing in this order:
//   the reply is empty (not a byte came) or blank (bytes 0
//   to 32 alone: line ends, blanks)                         -> failed ("empty reply"), no reply
//   the reply contains "Error WSA"                          -> failed
//   the reply contains the entry's refusal text             -> failed, refused
//   the entry has no refusal text, the reply lacks the no-match mark and holds one of
//   kQuotaPhrases (letter case ignored)                     -> failed, refused
//   the reply contains the no-match mark                    -> free
//   otherwise                                               -> registered
// "Contains" is a case-sensitive substring test in which an empty text is never contained, so an
// empty refusal never matches and an empty no-match mark makes every other non-blank reply registered. A
// no-match mark holding characters beyond ASCII (written in UTF-8) also matches in its GBK form.
CellOutcome judgeReply(std::string_view reply, const ServerEntry& entry);

// The mark judgeReply gives.
Mark classifyReply(std::string_view reply, std::string_view noMatchMark, std::string_view refusal);

} // namespace cvt
