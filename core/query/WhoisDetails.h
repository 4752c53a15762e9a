#pragma once

#include "core/query/Mark.h"
#include "core/query/ServerEntry.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cvt {

// The line that follows every reply.
inline constexpr std::string_view kWhoisDetailsSeparator = "======================================";

struct WhoisDetailsRequest {
    std::string rowCaption;  // the name, without suffix
    std::vector<Mark> cells; // the row's cells
    // The row's cell details; a registered cell whose details say it was found delegated in DNS shows
    // them instead of asking the registry. May be shorter than cells.
    std::vector<std::string> details;
    std::vector<std::string> columns; // the result table's captions; column 0 is the name column
    // The first server entry whose suffix equals the caption exactly, or none.
    std::function<std::optional<ServerEntry>(const std::string& suffix)> findServer;
    // One exchange with the entry's server (as its lookup kind says, e.g. CellLookupSet::reply):
    // the whole reply; throws on any failure (and leaves the client ready for the next exchange).
    std::function<std::string(const ServerEntry& entry, const std::string& query)> exchange;
    // Checked before each exchange; when set, no further exchange is made.
    const std::atomic<bool>* cancel = nullptr;
    // When set, each reply comes under a heading naming what was asked ("— aphone.com —").
    bool headings = false;
    // Called after each exchange with the number done and the number to do.
    std::function<void(std::size_t done, std::size_t total)> progress;
};

struct WhoisDetailsResult {
    std::string text;       // the replies, each followed by CR LF and the separator line with CR LF
    std::size_t asked = 0;  // the exchanges made (or failed)
    bool cancelled = false; // stopped by the cancel flag before every cell was asked
};

// Asks the WHOIS server of every cell's suffix again, in cell order, with the text
// "<name>.<suffix>" (cell j belongs to column j + 1), and joins the replies. A failed exchange gives
// kFailedExchangeReply in place of the reply, followed by a line with the failure's message ("Read
// Timeout"); a suffix without a server entry gives kFailedExchangeReply alone. The other cells are
// still asked. Cells beyond the last column have no suffix and are skipped. The result table
// is not changed and the replies are not judged. A cell settled by DNS gives its stored details.
WhoisDetailsResult WhoisDetails(const WhoisDetailsRequest& request);

// The details text of a cell DNS found delegated begins with this.
inline constexpr std::string_view kDelegatedInDnsPrefix = "Delegated in DNS: ";

} // namespace cvt
