#include "cli/CheckJournal.h"

#include "core/journal/JournalError.h"
#include "core/journal/SearchKey.h"

#include <CLI/CLI.hpp>
#include <ctime>
#include <stdexcept>

namespace cvt::cli {

namespace {

constexpr std::int64_t kSecondsPerDay = 86'400;

std::int64_t now() {
    return static_cast<std::int64_t>(std::time(nullptr));
}

} // namespace

void CheckJournal::declare(CLI::App& command) {
    m_option.declare(command);
    command.add_flag("--resume", m_resume,
                     "go on with the last unfinished search of the same names, suffixes and settings: only the cells "
                     "it has not answered are asked");
    command.add_flag("--fresh", m_fresh,
                     "ask every cell, even those the journal answered lately ([setting] reuse_days)");
}

void CheckJournal::begin(CheckRunRequest& request, const ConfigOption& config, const Note& note) {
    m_note = note;
    const std::filesystem::path path = m_option.resolve(config);
    if (path.empty()) {
        if (m_resume) {
            throw std::runtime_error("there is no journal to resume from (no home folder; use --journal FILE)");
        }
        return;
    }
    std::vector<std::string> notices;
    try {
        m_journal = Journal::open(path, JournalAccess::Write, notices);
    } catch (const JournalError& error) {
        if (m_resume) {
            throw std::runtime_error(error.what());
        }
        note(std::string("corvantide-cli check: warning: ") + error.what() + "; this run keeps no journal");
        return;
    }
    for (const std::string& notice : notices) {
        note("corvantide-cli check: warning: " + notice);
    }

    const SearchKey key = makeSearchKey(request.search, request.entries, request.settings);
    try {
        if (m_resume) {
            const std::optional<JournalSearch> last = m_journal->lastUnfinished(key.key);
            if (!last) {
                throw std::runtime_error("the journal " + path.string() +
                                         " holds no unfinished search with these names, suffixes and settings");
            }
            m_search = last->id;
            m_resumed = true;
        } else {
            m_search = m_journal->startSearch({0, key.key, key.source, key.suffixes, key.settings, now()});
        }
    } catch (const JournalError& error) {
        note(std::string("corvantide-cli check: warning: ") + error.what() + "; this run keeps no journal");
        m_journal.reset();
        return;
    }
    const int reuseDays = m_fresh ? 0 : request.settings.reuseDays;
    const std::int64_t reuseSince = reuseDays > 0 ? now() - reuseDays * kSecondsPerDay : 0;
    if (m_resumed || reuseSince != 0) {
        m_recall.emplace(*m_journal, m_resumed ? m_search : 0, reuseSince);
        request.search.recall = [this](std::string_view name, const ServerEntry& entry) {
            return (*m_recall)(name, entry);
        };
    }
    m_writer = std::make_unique<JournalWriter>(
        *m_journal, m_search, [note](const std::string& text) { note("corvantide-cli check: warning: " + text); });
    request.journal = m_writer.get();
}

void CheckJournal::end(bool finished, bool refused) {
    if (!m_journal) {
        return;
    }
    const bool failed = m_writer && m_writer->failed();
    m_writer.reset();
    try {
        if (refused && !m_resumed) {
            m_journal->removeSearch(m_search);
        } else if (finished && !failed) {
            m_journal->finishSearch(m_search, now());
        }
    } catch (const JournalError& error) {
        // The search stays unfinished: a later --resume asks what it lacks.
        m_note(std::string("corvantide-cli check: warning: ") + error.what());
    }
}

} // namespace cvt::cli
