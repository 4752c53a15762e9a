#pragma once

#include "core/journal/Journal.h"
#include "core/query/QueryEvents.h"
#include "core/query/ServerEntry.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace cvt {

// The answers a run takes from the journal instead of asking (SearchRequest::recall): first the
// cells a resumed search answered already, then, with reuse on, the latest answer the same server
// gave within the reuse time to an entry judging alike (answerJudgement). A failed cell is never
// taken back: it is asked again.
class JournalRecall {
public:
    // resumed: the search being resumed, 0 for none; reuseSince: the oldest answer reused (seconds
    // since the epoch), 0 for no reuse.
    JournalRecall(const Journal& journal, std::int64_t resumed, std::int64_t reuseSince)
        : m_journal(journal), m_resumed(resumed), m_reuseSince(reuseSince) {}

    // Thread-safe: the lanes of a run ask at once.
    std::optional<AnsweredCell> operator()(std::string_view name, const ServerEntry& entry) const;

private:
    // The entry's answerJudgement when its server has any answer young enough to reuse, else null.
    const std::string* reusableJudgement(std::string_view suffix, const ServerEntry& entry) const;

    const Journal& m_journal;
    std::int64_t m_resumed;
    std::int64_t m_reuseSince;
    // Per server (by suffix and server field), worked out once per recall: its entry's judgement
    // when it has any answer young enough to reuse, none otherwise, so a run against servers without
    // one looks up none of its cells.
    mutable std::mutex m_reusableMutex;
    mutable std::map<std::pair<std::string, std::string>, std::optional<std::string>> m_reusable;
};

// The details a front end shows for a cell: a reused answer says so and when it was asked.
std::string shownDetails(const AnsweredCell& cell);

} // namespace cvt
