#include "ui/WindowJournal.h"

#include "core/journal/JournalError.h"
#include "core/journal/JournalTable.h"
#include "core/journal/SearchKey.h"

#include <QMetaObject>
#include <algorithm>
#include <utility>

namespace cvt {

WindowJournal::WindowJournal(std::filesystem::path path, QObject* parent) : QObject(parent), m_path(std::move(path)) {}

WindowJournal::~WindowJournal() {
    for (Worker& worker : m_workers) {
        worker.thread.join();
    }
    m_session.reset();
}

void WindowJournal::onWorker(std::function<std::function<void()>()> work) {
    joinFinishedWorkers();
    auto finished = std::make_shared<std::atomic<bool>>(false);
    std::thread thread([this, work = std::move(work), finished] {
        std::function<void()> deliver = work();
        // Queued to this object: dropped when it is gone by then.
        QMetaObject::invokeMethod(this, std::move(deliver), Qt::QueuedConnection);
        finished->store(true);
    });
    m_workers.push_back({std::move(thread), std::move(finished)});
}

void WindowJournal::joinFinishedWorkers() {
    const auto done = std::partition(m_workers.begin(), m_workers.end(),
                                     [](const Worker& worker) { return !worker.finished->load(); });
    for (auto worker = done; worker != m_workers.end(); ++worker) {
        worker->thread.join();
    }
    m_workers.erase(done, m_workers.end());
}

void WindowJournal::open(std::function<void(const Opened&)> done) {
    if (m_path.empty()) {
        done({"there is no place for the results journal (no home folder)", {}, std::nullopt});
        return;
    }
    onWorker([this, done = std::move(done)]() -> std::function<void()> {
        auto opened = std::make_shared<Opened>();
        // Handed to the GUI thread; closed wherever the last holder goes when it never gets there.
        auto journal = std::make_shared<std::unique_ptr<Journal>>();
        try {
            *journal = Journal::open(m_path, JournalAccess::Write, opened->notices);
            std::optional<JournalSearch> newest = (*journal)->newestSearch();
            if (newest && newest->finished == 0 && !isWordListSource(newest->source)) {
                opened->unfinished = std::move(newest);
            }
        } catch (const JournalError& error) {
            opened->problem = error.what();
            journal->reset();
        }
        return [this, done, opened, journal] {
            if (*journal) {
                m_session = std::make_unique<JournalSession>(std::move(*journal));
                m_journal.store(&m_session->journal());
            }
            done(*opened);
        };
    });
}

void WindowJournal::listSearches(
    std::function<void(const std::vector<JournalSearch>&, const std::string& problem)> done) {
    Journal* journal = m_journal.load();
    if (journal == nullptr) {
        done({}, "there is no results journal in use");
        return;
    }
    onWorker([journal, done = std::move(done)]() -> std::function<void()> {
        auto searches = std::make_shared<std::vector<JournalSearch>>();
        std::string problem;
        try {
            *searches = journal->searches();
        } catch (const JournalError& error) {
            problem = error.what();
        }
        return [done, searches, problem] { done(*searches, problem); };
    });
}

void WindowJournal::readTable(const JournalSearch& search, std::string nameCaption,
                              std::function<void(ResultTableSnapshot, const std::string& problem)> done) {
    Journal* journal = m_journal.load();
    if (journal == nullptr) {
        done({}, "there is no results journal in use");
        return;
    }
    onWorker(
        [journal, search, nameCaption = std::move(nameCaption), done = std::move(done)]() -> std::function<void()> {
            auto table = std::make_shared<ResultTableSnapshot>();
            std::string problem;
            try {
                *table = searchTable(*journal, search, nameCaption);
            } catch (const JournalError& error) {
                problem = error.what();
            }
            return [done, table, problem] { done(std::move(*table), problem); };
        });
}

} // namespace cvt
