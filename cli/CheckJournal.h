#pragma once

#include "cli/CheckRun.h"
#include "cli/JournalOption.h"
#include "cli/SharedOptions.h"
#include "core/journal/JournalSession.h"

#include <functional>
#include <memory>
#include <string>

namespace CLI {
class App;
}

namespace cvt::cli {

// The check command's journal: --journal, --resume and --fresh. It records the run's search,
// journals its cells and gives the run the answers it need not ask.
class CheckJournal {
public:
    using Note = std::function<void(const std::string&)>;

    void declare(CLI::App& command);
    // Opens the journal and readies the request for it. A journal that cannot be used (in use by
    // another run, damaged beyond renaming, newer) is noted and the run goes on without one; with
    // --resume that, and a search with nothing to resume, fail (std::runtime_error).
    void begin(CheckRunRequest& request, const ConfigOption& config, const Note& note);
    // After the run: writes what is waiting; a run that went to its end marks its search finished,
    // a refused one leaves none.
    void end(bool finished, bool refused);

private:
    JournalOption m_option;
    bool m_resume = false;
    bool m_fresh = false;
    std::unique_ptr<JournalSession> m_session;
    Note m_note;
};

} // namespace cvt::cli
