#include "cli/CheckJournal.h"

#include "core/journal/JournalError.h"
#include "core/journal/SearchKey.h"

#include <CLI/CLI.hpp>
#include <stdexcept>

namespace cvt::cli {

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
    std::unique_ptr<Journal> journal;
    try {
        journal = Journal::open(path, JournalAccess::Write, notices);
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
    m_session = std::make_unique<JournalSession>(std::move(journal));
    try {
        JournalRunStart start;
        if (m_resume) {
            const std::optional<JournalSearch> last = m_session->journal().lastUnfinished(key.key);
            if (!last) {
                throw std::runtime_error("the journal " + path.string() +
                                         " holds no unfinished search with these names, suffixes and settings");
            }
            start.resume = last->id;
        }
        start.reuseDays = m_fresh ? 0 : request.settings.reuseDays;
        start.warn = [note](const std::string& text) { note("corvantide-cli check: warning: " + text); };
        request.journal = &m_session->begin(request.search, key, start);
    } catch (const JournalError& error) {
        note(std::string("corvantide-cli check: warning: ") + error.what() + "; this run keeps no journal");
        m_session.reset();
    }
}

void CheckJournal::end(bool finished, bool refused) {
    if (!m_session) {
        return;
    }
    try {
        m_session->end(finished, refused);
    } catch (const JournalError& error) {
        // The search stays unfinished: a later --resume asks what it lacks.
        m_note(std::string("corvantide-cli check: warning: ") + error.what());
    }
}

} // namespace cvt::cli
