#pragma once

#include "core/journal/Journal.h"
#include "core/names/NameList.h"
#include "core/query/QueryEvents.h"
#include "core/query/ResultTable.h"
#include "core/query/ServerEntry.h"
#include "i18n/Messages.h"

#include <QMainWindow>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QAction;
class QActionGroup;
class QComboBox;
class QDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QSplitter;
class QTableView;
class QTextBrowser;
class QTimer;
class QTreeView;

namespace cvt {

class BusyAnimation;
class LaneTableModel;
class PaceClock;
class Prompts;
class QueryEngine;
class QueryEventQueue;
class JournalSink;
class ResultFilterModel;
class ResultTableModel;
class RunStatusBar;
struct SearchRequest;
class ServerTableModel;
class SuffixFilterModel;
class TIniOptions;
class TfrmText;
class DesktopOpener;
class TfrmWhoisInfo;
class WhoisLookup;
struct DirectorySuffix;
class CalibrationStore;
class SuffixDirectory;
struct CalibrationCall;
struct CalibrationResult;
class WindowJournal;
struct WindowState;

// What the main window works with besides its own controls.
struct MainWindowDeps {
    Prompts& prompts;
    // The program's settings, loaded from configPath while the window is created.
    TIniOptions& options;
    // Makes a WHOIS client: one for each lane of a run or a re-query pass (on the engine's
    // workers), one for each WHOIS details command.
    std::function<std::unique_ptr<WhoisLookup>()> makeClient;
    // "Config.ini", read at creation and written by the language menu; its "[state]" section
    // keeps the window's place and the last pattern, ticks, mode and word-list fields.
    std::filesystem::path configPath;
    // The program that opens an exported workbook with the desktop's program for .xlsx files.
    std::string openProgram = "xdg-open";
    // How long the export waits for that program to report a failure; one still running then is
    // watched until it ends.
    std::chrono::milliseconds openPatience{2000};
    // The clock the runs keep their pace by; null for the steady clock.
    PaceClock* clock = nullptr;
    // Where a shipped data file (the suffix catalogue and its lists) is, by its name; null for none:
    // the server table then holds Config.ini's entries alone.
    std::function<std::filesystem::path(std::string_view)> locateData{};
    // The results journal the runs are recorded in; empty for none.
    std::filesystem::path journalPath = {};
};

// The main window: the server table, the mode group with the pattern box, Search and Stop, the
// result table with its popup commands, the status bar and the menus. The query engine's events
// reach it through a QueryEventQueue in batches on the GUI thread: rows and cells go into the result
// model, the run's state into the controls (applyRunState, which applies runStateControls).
class TfrmWhoisMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TfrmWhoisMain(MainWindowDeps deps, QWidget* parent = nullptr);
    ~TfrmWhoisMain() override;

    // The word-list dialog and the WHOIS details window, made after this window.
    void setDialogs(TfrmText* frmText, TfrmWhoisInfo* frmWhoisInfo);

    void SetLanguage(const std::string& code);
    const std::string& language() const { return Language; }

    // Handlers, public so that tests can run them as the controls do.
    void FormCreate();
    void rg1Click();
    void RadioGroup1Click();
    void edtDomainChange();
    void lvWhoisChange();
    // The suffix picker: tick every suffix shown (in the order shown), untick every suffix.
    void btnTickShownClick();
    void btnClearTicksClick();
    void btnSearchClick();
    void btnStopClick();
    void exportExcelClick();
    void ExporttoText1Click();
    void N1Click();
    void N2Click();
    void Whois1Click();
    void N3Click();
    void About1Click();
    // The Help page: the pattern, the marks, where results are kept and the keys.
    void HelpTopicsClick();
    // Puts back the rows of the last delete or clean-up.
    void UndoClick();
    // The History page: the searches of the results journal; Open shows one in the table.
    void HistoryClick();
    // The result table's own commands: copy the selected rows as text-export lines, copy every free
    // name of the rows shown, remove the selected rows, show the details of a row.
    void CopyRowsClick();
    void CopyFreeNamesClick();
    void DeleteRowsClick();
    void lvDomainDblClick(const QModelIndex& index);

    // The run's state as the controls show it: which buttons, the mode group, the popup items,
    // the busy animation, the progress panel and, when a run ends, the pattern box.
    void applyRunState(const RunProgress& progress);
    // Selects the row (dropping the previous selection) and scrolls it into view.
    void selectAndShowRow(std::size_t row);
    // Whether the result table shows its last row (or has nothing to scroll): new rows are followed
    // only then.
    bool viewAtBottom() const;

    QString statusText(int panel) const;
    QueryEngine& engine() { return *m_engine; }
    WindowJournal& journal() { return *m_journal; }
    ResultTableModel& resultModel() { return *m_results; }
    ResultFilterModel& filterModel() { return *m_filter; }
    RunStatusBar& runStatusBar() { return *m_status; }
    ServerTableModel& serverModel() { return *m_servers; }
    SuffixFilterModel& suffixFilter() { return *m_suffixFilter; }
    LaneTableModel& laneModel() { return *m_lanes; }
    // Where the engine's events arrive; tests feed it as the engine would.
    QueryEventSink& eventSink();
    // Applies every event the engine has queued so far.
    void applyPendingChanges();

    // The window's controls, named as everywhere in the program.
    QSplitter* splitter = nullptr;
    // The suffix picker: the search box, the group, the count of ticked suffixes, the server table
    // and the buttons under it.
    QLineEdit* edtSuffixSearch = nullptr;
    QComboBox* cbSuffixGroup = nullptr;
    QLabel* lblTicked = nullptr;
    QTreeView* lvWhois = nullptr;
    QPushButton* btnTickShown = nullptr;
    QPushButton* btnClearTicks = nullptr;
    QGroupBox* rg1 = nullptr;
    QRadioButton* raRandom = nullptr;
    QRadioButton* raText = nullptr;
    QLineEdit* edtDomain = nullptr;
    BusyAnimation* Animate1 = nullptr;
    QPushButton* btnSearch = nullptr;
    QPushButton* btnStop = nullptr;
    QTableView* lvDomain = nullptr;
    QMenu* Setting1 = nullptr;
    QMenu* Language1 = nullptr;
    QAction* Chinese1 = nullptr;
    QAction* English1 = nullptr;
    QMenu* Help1 = nullptr;
    QAction* HelpTopics1 = nullptr;
    QAction* About1 = nullptr;
    QAction* History1 = nullptr;
    QMenu* Results1 = nullptr;
    QAction* Search1 = nullptr;
    QAction* Filter1 = nullptr;
    QAction* Undo1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* exportExcel = nullptr;
    QAction* ExporttoText1 = nullptr;
    QAction* N1 = nullptr;
    QAction* N2 = nullptr;
    QAction* Whois1 = nullptr;
    QAction* N3 = nullptr;
    QAction* CopyFreeNames1 = nullptr;
    QAction* CopyRows1 = nullptr;
    QAction* DeleteRows1 = nullptr;
    QAction* StopRun1 = nullptr;
    QComboBox* cbFilter = nullptr;
    QLineEdit* edtFilter = nullptr;
    // "N of M shown" beside the filter while it hides rows.
    QLabel* lblShown = nullptr;

    // The candidate list of the next text-mode run.
    NameList Candidates;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    QWidget* buildSuffixPicker(QWidget* parent);
    void showTickedCount();
    // Mark columns share the table's width while each keeps a readable width; beyond that they
    // keep that width and the table scrolls sideways.
    void fitMarkColumns();
    void connectEngine();
    void setStatusText(int panel, const std::string& text);
    void setPopupItemsEnabled(bool enabled);
    void restorePatternMode();
    void restoreActivityAfterPreparing();
    // Says what the run's list left out (control characters, neither UTF-8 nor GBK, international
    // names without an A-label form), as check does on standard error; nothing when none was.
    void showLeftOutNames();
    void showDnsSettled(const RunProgress& progress);
    // The progress and DNS panels as the run left them.
    void showRunCounts(const RunProgress& progress);
    // Empties the activity, progress and DNS panels: nothing is left that they spoke of.
    void clearRunCounts();
    // Whether Enter typed in this widget (the window's focus) presses Search.
    bool enterPressesSearch(const QWidget* from) const;
    // Keeps looking at the openers still running after their wait; tells a failure when one ends.
    void watchOpeners();
    void buildMenus();
    void startSearch();
    bool tableCommandsAllowed() const;
    void reportWorkerError(const std::string& message);
    // Config.ini's entries, then every catalogue suffix they do not name.
    std::vector<DirectorySuffix> loadSuffixes();
    // A WHOIS entry's calibrated no-match text, derived on the lane's thread when none is fresh.
    CalibrationResult calibrate(const CalibrationCall& call);
    // Stores the word-list dialog's "Visible text only" choice in Config.ini when it changed.
    void rememberVisibleTextChoice(bool ticked);
    // The "[state]" section: read at creation (the word-list fields when the dialog arrives), written
    // when the window closes.
    void readWindowState();
    // The ticks as "[state]" keeps them: the suffixes in tick order, or one tick per Config.ini row
    // as earlier versions kept them.
    void restoreTicks(const WindowState& state);
    void applyBuilderState();
    void saveWindowState();
    // Puts the window where it last stood, wholly on the available screen, or centres it.
    void placeOnScreen();
    // True when the table is empty or the person agreed to discard its rows.
    bool discardAllowed();
    // The source rows of the selected rows, in the order the table shows them.
    std::vector<std::size_t> selectedSourceRows() const;
    void applyStatusCounts();
    void showShownCount();
    void showUndoAvailable();
    // The activity panel: the latest activity, or the lane backing off while one does.
    void showActivity();
    // The cells panel: cells answered of cells to ask in the run.
    void showCellCounts();
    // The results journal (TfrmWhoisMainJournal.cpp): what opening it found, the offer to take up
    // the last search, a run recorded from its start (false: the Search is not to go ahead) to its
    // end (re-query passes are not journaled: the table's rows may no longer be the search's), and
    // a search of the history shown in the table.
    void journalOpened(const std::string& problem, const std::vector<std::string>& notices,
                       const std::optional<JournalSearch>& unfinished);
    void offerResume(const JournalSearch& search);
    bool beginJournalRun(SearchRequest& request);
    void endJournalRun(bool finished, bool refused);
    void openHistorySearch(const JournalSearch& search);
    void showHistoryTable(ResultTableSnapshot table, const std::string& source);
    void showJournalProblem(Msg wording, const std::string& problem);
    // How an export behind the progress box ended.
    struct ExportOutcome {
        enum class Status { Done, Cancelled, Failed } status = Status::Done;
        std::string message; // the failure's text
    };
    // Runs the export on a worker behind the progress box, on a copy of the table taken here.
    ExportOutcome runExport(const std::function<void(const ResultTableSnapshot&, const std::atomic<bool>&)>& job);
    // The save dialog's initial path: the name in the folder of the last export that succeeded,
    // or else in the user's documents folder.
    QString exportDialogPath(const QString& name) const;

    MainWindowDeps m_deps;
    std::string Language;
    QActionGroup* m_languageGroup = nullptr;
    RunStatusBar* m_status = nullptr;
    QTextBrowser* m_help = nullptr;
    // The lane view follows the events of a run (not those of a re-query pass); the timer counts
    // its waits down.
    bool m_lanesFollow = false;
    QTimer* m_laneClock = nullptr;
    std::string m_lastActivity;
    TfrmText* m_frmText = nullptr;
    TfrmWhoisInfo* m_frmWhoisInfo = nullptr;
    bool m_centred = false;
    bool m_closed = false;
    bool m_popupEnabled = true;
    QString m_lastExportFolder;
    // Made at the first spreadsheet export; it collects the openers it left running, which the
    // timer looks at while there are any.
    std::unique_ptr<DesktopOpener> m_opener;
    QTimer* m_openerWatch = nullptr;
    RunState m_shownState = RunState::Idle;
    QString m_activityBeforePreparing;
    bool m_restoreActivity = false;
    bool m_dnsWarningShown = false;
    // The suffixes the current run asks in DNS through the system's resolvers (".a, .b"), if any.
    std::string m_dnsThroughResolvers;
    // When the run under way began, and whether Stop was given during it.
    std::chrono::steady_clock::time_point m_runStarted{};
    bool m_runStopped = false;
    // The result table's sort column (-1: candidate order) and order, as last clicked.
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    // What "[state]" held at creation (the geometry and word-list fields are used later).
    std::unique_ptr<WindowState> m_savedState;

    // Declared in the order they are built; released in reverse, the engine (which stops and joins
    // its workers) first.
    std::unique_ptr<ServerTableModel> m_servers;
    std::unique_ptr<SuffixFilterModel> m_suffixFilter;
    std::unique_ptr<ResultTableModel> m_results;
    std::unique_ptr<LaneTableModel> m_lanes;
    std::unique_ptr<ResultFilterModel> m_filter;
    std::unique_ptr<QueryEventQueue> m_events;
    // Between the engine and the window: every answered cell also goes to the journal's writer.
    std::unique_ptr<JournalSink> m_journalSink;
    std::unique_ptr<WindowJournal> m_journal;
    // The search a Search takes up (0: a new search is recorded), and whether the table shows a
    // search of the history rather than the server table's columns.
    std::int64_t m_resumeSearch = 0;
    std::string m_resumeKey;
    bool m_showingHistory = false;
    bool m_loadingHistory = false;
    QDialog* m_history = nullptr;
    std::vector<JournalSearch> m_historySearches;
    // The suffixes as Config.ini and the shipped data give them, and the calibrated no-match texts
    // of WHOIS servers: made once with the window, before any run; the runs' lanes read them.
    std::unique_ptr<SuffixDirectory> m_directory;
    std::unique_ptr<CalibrationStore> m_calibrations;
    std::unique_ptr<QueryEngine> m_engine;
};

} // namespace cvt
