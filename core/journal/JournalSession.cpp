#include "core/journal/JournalSession.h"

#include <ctime>

namespace cvt {

namespace {

constexpr std::int64_t kSecondsPerDay = 86'400;

std::int64_t now() {
    return static_cast<std::int64_t>(std::time(nullptr));
}

} // namespace

JournalWriter& JournalSession::begin(SearchRequest& request, const SearchKey& key, const JournalRunStart& start) {
    m_writer.reset();
    m_recall.reset();
    m_resumed = start.resume != 0;
    m_search = m_resumed ? start.resume
                         : m_journal->startSearch({.key = key.key,
                                                   .source = key.source,
                                                   .suffixes = key.suffixes,
                                                   .settings = key.settings,
                                                   .started = now(),
                                                   .judgements = key.judgements});
    // The answers of the runs before this one are there to take.
    m_journal->refreshLookups();
    const std::int64_t reuseSince = start.reuseDays > 0 ? now() - start.reuseDays * kSecondsPerDay : 0;
    if (m_resumed || reuseSince != 0) {
        m_recall.emplace(*m_journal, m_resumed ? m_search : 0, reuseSince);
        request.recall = [recall = &*m_recall](std::string_view name, const ServerEntry& entry) {
            return (*recall)(name, entry);
        };
    }
    m_writer = std::make_unique<JournalWriter>(*m_journal, m_search, start.warn);
    return *m_writer;
}

void JournalSession::end(bool finished, bool refused) {
    if (!m_writer) {
        return;
    }
    const bool failed = m_writer->failed();
    m_writer.reset();
    if (refused && !m_resumed) {
        m_journal->removeSearch(m_search);
    } else if (finished && !failed) {
        m_journal->finishSearch(m_search, now());
    }
}

} // namespace cvt
