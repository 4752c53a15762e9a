#pragma once

#include "core/journal/Journal.h"
#include "core/journal/JournalSession.h"
#include "core/query/ResultTable.h"

#include <QObject>
#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace cvt {

// The window's results journal. Opening it and reading from it run on workers; each result comes
// back to a callback on the GUI thread (never after this object is gone, which waits for its
// workers). Once open, the window's runs are recorded through session().
class WindowJournal : public QObject {
    Q_OBJECT
public:
    // What opening found.
    struct Opened {
        // Why the journal cannot be used (in use by another Corvantide, made by a newer version,
        // unusable); empty when it is open.
        std::string problem;
        // A damaged or foreign file renamed aside.
        std::vector<std::string> notices;
        // The newest search, when it did not finish and can be taken up again (a pattern's).
        std::optional<JournalSearch> unfinished;
    };

    // An empty path: no journal (no home folder).
    explicit WindowJournal(std::filesystem::path path, QObject* parent = nullptr);
    ~WindowJournal() override;

    const std::filesystem::path& path() const { return m_path; }
    // Opens the journal for writing; done is told what came of it.
    void open(std::function<void(const Opened&)> done);
    // Null until the journal is open, and when it cannot be used.
    JournalSession* session() { return m_session.get(); }
    // The searches, newest first; a journal that cannot be read gives an empty list and the reason.
    void listSearches(std::function<void(const std::vector<JournalSearch>&, const std::string& problem)> done);
    // One search's table (see searchTable), handed over to done.
    void readTable(const JournalSearch& search, std::string nameCaption,
                   std::function<void(ResultTableSnapshot, const std::string& problem)> done);

private:
    // Runs work on a worker thread, then its result through deliver on the GUI thread.
    void onWorker(std::function<std::function<void()>()> work);
    void joinFinishedWorkers();

    struct Worker {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> finished;
    };
    std::filesystem::path m_path;
    std::unique_ptr<JournalSession> m_session;
    // Read by the workers; set once opening has come back.
    std::atomic<Journal*> m_journal{nullptr};
    std::vector<Worker> m_workers;
};

} // namespace cvt
