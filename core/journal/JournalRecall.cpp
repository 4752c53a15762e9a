#include "core/journal/JournalRecall.h"

#include "core/journal/JournalError.h"
#include "core/journal/SearchKey.h"
#include "text/TextUtil.h"

#include <ctime>

namespace cvt {

namespace {

AnsweredCell recalled(JournalCell cell, AnswerOrigin origin) {
    AnsweredCell answer;
    answer.mark = std::move(cell.mark);
    answer.details = std::move(cell.details);
    answer.via = std::move(cell.via);
    answer.server = std::move(cell.server);
    answer.origin = origin;
    answer.askedAt = cell.asked;
    return answer;
}

} // namespace

std::optional<AnsweredCell> JournalRecall::operator()(std::string_view name, const ServerEntry& entry) const {
    const std::string_view suffix = trim(entry.caption);
    // A journal that cannot be read answers nothing: the cell is asked.
    try {
        if (m_resumed != 0) {
            if (std::optional<JournalCell> cell = m_journal.answeredCell(m_resumed, name, suffix)) {
                return recalled(std::move(*cell), AnswerOrigin::Resumed);
            }
        }
        if (const std::string* judged = m_reuseSince != 0 ? reusableJudgement(suffix, entry) : nullptr) {
            if (std::optional<JournalCell> cell =
                    m_journal.recentAnswer(name, suffix, entry.host, *judged, m_reuseSince)) {
                return recalled(std::move(*cell), AnswerOrigin::Reused);
            }
        }
    } catch (const JournalError&) {
        return std::nullopt;
    }
    return std::nullopt;
}

const std::string* JournalRecall::reusableJudgement(std::string_view suffix, const ServerEntry& entry) const {
    std::lock_guard lock(m_reusableMutex);
    auto key = std::make_pair(std::string(suffix), entry.host);
    auto known = m_reusable.find(key);
    if (known == m_reusable.end()) {
        std::optional<std::string> judgement;
        if (m_journal.hasAnswersSince(suffix, entry.host, m_reuseSince)) {
            judgement = answerJudgement(entry);
        }
        known = m_reusable.emplace(std::move(key), std::move(judgement)).first;
    }
    // Map elements stay where they are as others are added.
    return known->second ? &*known->second : nullptr;
}

std::string shownDetails(const AnsweredCell& cell) {
    if (cell.origin != AnswerOrigin::Reused) {
        return cell.details;
    }
    char when[32] = {};
    const std::time_t asked = static_cast<std::time_t>(cell.askedAt);
    std::tm utc{};
    gmtime_r(&asked, &utc);
    std::strftime(when, sizeof when, "%Y-%m-%d %H:%M UTC", &utc);
    std::string text =
        std::string("reused from the journal: asked ") + when + " (" + cell.via + " " + cell.server + ")";
    if (!cell.details.empty()) {
        text += "; " + cell.details;
    }
    return text;
}

} // namespace cvt
