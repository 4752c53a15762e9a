#include "core/query/WhoisDetails.h"

#include "core/query/ResultMarks.h"
#include "core/query/ServerEntry.h"
#include "text/IdnName.h"

#include <algorithm>
#include <exception>

namespace cvt {

WhoisDetailsResult WhoisDetails(const WhoisDetailsRequest& request) {
    WhoisDetailsResult result;
    const std::size_t suffixColumns = request.columns.empty() ? 0 : request.columns.size() - 1;
    const std::size_t total = std::min(request.cells.size(), suffixColumns);
    for (std::size_t j = 0; j < total; ++j) {
        if (request.cancel != nullptr && request.cancel->load()) {
            result.cancelled = true;
            break;
        }
        const std::string& suffix = request.columns[j + 1];
        if (request.headings) {
            result.text.append("\u2014 ").append(request.rowCaption + "." + suffix).append(" \u2014\r\n");
        }
        std::string reply;
        const std::string_view detail = j < request.details.size() ? request.details[j] : std::string_view();
        if (request.cells[j] == Mark::Registered && detail.starts_with(kDelegatedInDnsPrefix)) {
            // Settled by DNS: the registry was never asked, so the delegation is what there is to show.
            reply = detail;
        } else {
            try {
                const std::optional<ServerEntry> server = request.findServer(suffix);
                const IdnConversion asked = IdnName::askedDomain(request.rowCaption, suffix);
                if (!server) {
                    reply = kFailedExchangeReply;
                } else if (asked.refused()) {
                    reply =
                        std::string(kFailedExchangeReply) + "\r\nnot an international domain name: " + asked.refusal;
                } else {
                    reply = request.exchange(*server, asked.name);
                }
            } catch (const std::exception& error) {
                // Any failure of the exchange is shown as the one failure text followed by its reason
                // ("Read Timeout", "Socket Error # 10061 ..."); the next cell is asked.
                reply = kFailedExchangeReply;
                if (*error.what() != '\0') {
                    reply.append("\r\n").append(error.what());
                }
            }
        }
        result.text.append(reply).append("\r\n").append(kWhoisDetailsSeparator).append("\r\n");
        ++result.asked;
        if (request.progress) {
            request.progress(result.asked, total);
        }
    }
    return result;
}

} // namespace cvt
