// The main window's results journal: the offer to take up the last search, the runs recorded in the
// journal, and the History page.
#include "config/TIniOptions.h"
#include "core/journal/JournalError.h"
#include "core/journal/JournalSink.h"
#include "core/journal/JournalTable.h"
#include "core/journal/SearchKey.h"
#include "core/query/QueryEngine.h"
#include "text/TextUtil.h"
#include "ui/Prompts.h"
#include "ui/ResultTableModel.h"
#include "ui/ServerTableModel.h"
#include "ui/TfrmWhoisMain.h"
#include "ui/UiText.h"
#include "ui/WindowJournal.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <ctime>
#include <memory>
#include <utility>

namespace cvt {

namespace {

// 456976 -> "456,976".
std::string grouped(std::int64_t number) {
    std::string digits = std::to_string(std::max<std::int64_t>(number, 0));
    for (auto at = static_cast<std::ptrdiff_t>(digits.size()) - 3; at > 0; at -= 3) {
        digits.insert(static_cast<std::size_t>(at), ",");
    }
    return digits;
}

std::string localTime(std::int64_t seconds) {
    char text[32] = {};
    const auto when = static_cast<std::time_t>(seconds);
    std::tm local{};
    localtime_r(&when, &local);
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
    return text;
}

// The names a search has answered in full: its cells over its suffixes.
std::int64_t namesAsked(const JournalSearch& search) {
    const auto suffixes = static_cast<std::int64_t>(searchSuffixes(search).size());
    return suffixes > 0 ? search.cells / suffixes : 0;
}

// Rows put into the table per turn of the event loop while a search of the history fills it.
constexpr std::size_t kRowsPerBatch = 5000;

} // namespace

void TfrmWhoisMain::showJournalProblem(Msg wording, const std::string& problem) {
    if (!m_closed) {
        m_deps.prompts.information(this, toQString(formatMessage(wording, Language, {problem})));
    }
}

void TfrmWhoisMain::journalOpened(const std::string& problem, const std::vector<std::string>& notices,
                                  const std::optional<JournalSearch>& unfinished) {
    if (!problem.empty()) {
        showJournalProblem(Msg::JournalNotUsed, problem);
        return;
    }
    for (const std::string& notice : notices) {
        showJournalProblem(Msg::JournalNotice, notice);
    }
    if (unfinished) {
        offerResume(*unfinished);
    }
}

void TfrmWhoisMain::offerResume(const JournalSearch& search) {
    if (m_closed || m_engine->isBusy() || m_results->rowCount() > 0) {
        return;
    }
    const std::string text =
        formatMessage(Msg::ResumeOffer, Language, {search.source, grouped(namesAsked(search)), grouped(search.names)});
    if (!m_deps.prompts.confirm(this, toQString(text))) {
        return;
    }
    // The search's suffixes ticked, its pattern in the box: a Search of the same key goes on with it.
    const std::vector<std::string> suffixes = searchSuffixes(search);
    const std::vector<ServerEntry>& entries = m_servers->entries();
    for (std::size_t row = 0; row < entries.size(); ++row) {
        const bool wanted =
            std::find(suffixes.begin(), suffixes.end(), std::string(trim(entries[row].caption))) != suffixes.end();
        if (entries[row].ticked != wanted) {
            m_servers->setTicked(static_cast<int>(row), wanted);
        }
    }
    raRandom->setChecked(true);
    rg1Click();
    edtDomain->setText(toQString(search.source));
    m_resumeSearch = search.id;
    m_resumeKey = search.key;
    btnSearchClick();
}

bool TfrmWhoisMain::beginJournalRun(SearchRequest& request) {
    const std::int64_t resume = std::exchange(m_resumeSearch, 0);
    JournalSession* session = m_journal->session();
    if (session == nullptr || m_engine->isBusy()) {
        return true;
    }
    const SearchKey key = makeSearchKey(request, m_servers->entries(), m_deps.options.Run);
    if (resume != 0 && key.key != m_resumeKey) {
        // The server table no longer holds what the search asked: taking it up would mix answers.
        showJournalProblem(Msg::ResumeNotPossible, request.patternText);
        return false;
    }
    m_journalSink->setWriter(nullptr);
    try {
        JournalRunStart start;
        start.resume = resume;
        start.reuseDays = m_deps.options.Run.reuseDays;
        start.warn = [this](const std::string& problem) {
            QMetaObject::invokeMethod(
                this, [this, problem] { showJournalProblem(Msg::JournalNotUsed, problem); }, Qt::QueuedConnection);
        };
        m_journalSink->setWriter(&session->begin(request, key, start));
    } catch (const JournalError& error) {
        showJournalProblem(Msg::JournalNotUsed, error.what());
    }
    return true;
}

void TfrmWhoisMain::endJournalRun(bool finished, bool refused) {
    JournalSession* session = m_journal->session();
    if (session == nullptr || !session->running()) {
        return;
    }
    m_journalSink->setWriter(nullptr);
    try {
        session->end(finished, refused);
    } catch (const JournalError& error) {
        // The search stays unfinished; the next start offers to take it up.
        showJournalProblem(Msg::JournalNotUsed, error.what());
    }
}

void TfrmWhoisMain::HistoryClick() {
    if (m_history == nullptr) {
        m_history = named(new QDialog(this), "frmHistory");
        m_history->resize(640, 360);
        auto* layout = new QVBoxLayout(m_history);
        auto* list = named(new QTreeWidget(m_history), "lvHistory");
        list->setRootIsDecorated(false);
        list->setUniformRowHeights(true);
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        layout->addWidget(list);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, m_history);
        auto* open = named(buttons->addButton(QString(), QDialogButtonBox::AcceptRole), "btnHistoryOpen");
        layout->addWidget(buttons);
        connect(buttons, &QDialogButtonBox::rejected, m_history, &QDialog::hide);
        const auto openSelected = [this, list] {
            const QTreeWidgetItem* item = list->currentItem();
            if (item == nullptr) {
                return;
            }
            const auto index = item->data(0, Qt::UserRole).toULongLong();
            if (index < m_historySearches.size()) {
                openHistorySearch(m_historySearches[index]);
            }
        };
        connect(open, &QPushButton::clicked, this, openSelected);
        connect(list, &QTreeWidget::itemDoubleClicked, this, openSelected);
    }
    auto* list = m_history->findChild<QTreeWidget*>(QStringLiteral("lvHistory"));
    m_history->setWindowTitle(uiText(Msg::HistoryCaption, Language));
    m_history->findChild<QPushButton*>(QStringLiteral("btnHistoryOpen"))->setText(uiText(Msg::HistoryOpen, Language));
    list->setHeaderLabels({uiText(Msg::HistoryStartedColumn, Language), uiText(Msg::HistoryStateColumn, Language),
                           uiText(Msg::HistoryCellsColumn, Language), uiText(Msg::HistorySuffixesColumn, Language),
                           uiText(Msg::HistoryNamesColumn, Language)});
    list->clear();
    m_history->show();
    m_history->raise();
    m_journal->listSearches([this, list](const std::vector<JournalSearch>& searches, const std::string& problem) {
        if (!problem.empty()) {
            showJournalProblem(Msg::HistoryNotRead, problem);
            return;
        }
        m_historySearches = searches;
        list->clear();
        for (std::size_t index = 0; index < searches.size(); ++index) {
            const JournalSearch& search = searches[index];
            const auto cells = search.names * static_cast<std::int64_t>(searchSuffixes(search).size());
            auto* item = new QTreeWidgetItem(
                list, {toQString(localTime(search.started)),
                       uiText(search.finished != 0 ? Msg::HistoryFinished : Msg::HistoryUnfinished, Language),
                       toQString(formatMessage(Msg::HistoryCellsOf, Language, {grouped(search.cells), grouped(cells)})),
                       toQString(search.suffixes), toQString(search.source)});
            item->setData(0, Qt::UserRole, QVariant::fromValue<qulonglong>(index));
        }
        if (list->topLevelItemCount() > 0) {
            list->setCurrentItem(list->topLevelItem(0));
        }
    });
}

void TfrmWhoisMain::openHistorySearch(const JournalSearch& search) {
    if (m_engine->isBusy() || m_loadingHistory || !discardAllowed()) {
        return;
    }
    endJournalRun(false, false);
    m_loadingHistory = true;
    m_journal->readTable(search, message(Msg::DomainNameColumn, Language),
                         [this, source = search.source](ResultTableSnapshot table, const std::string& problem) {
                             if (!problem.empty()) {
                                 m_loadingHistory = false;
                                 showJournalProblem(Msg::HistoryNotRead, problem);
                                 return;
                             }
                             showHistoryTable(std::move(table), source);
                         });
}

void TfrmWhoisMain::showHistoryTable(ResultTableSnapshot table, const std::string& source) {
    m_showingHistory = true;
    clearRunCounts();
    m_results->showColumns(table.captions);
    setStatusText(0, formatMessage(Msg::HistoryShown, Language, {source}));
    // The rows go in batches, the event loop turning between them.
    auto rows = std::make_shared<std::vector<ResultRow>>(std::move(table.rows));
    auto next = std::make_shared<std::size_t>(0);
    auto step = std::make_shared<std::function<void()>>();
    *step = [this, rows, next, step] {
        if (!m_showingHistory || m_engine->isBusy()) {
            m_loadingHistory = false;
            *step = nullptr;
            return;
        }
        const std::size_t end = std::min(rows->size(), *next + kRowsPerBatch);
        m_results->appendFilledRows(*rows, *next, end);
        *next = end;
        if (end < rows->size()) {
            QTimer::singleShot(0, this, *step);
        } else {
            m_loadingHistory = false;
            *step = nullptr; // ends the cycle of the step holding itself
        }
    };
    // Run through a copy: the step lets go of itself when it ends.
    const std::function<void()> first = *step;
    first();
}

} // namespace cvt
