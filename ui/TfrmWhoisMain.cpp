#include "ui/TfrmWhoisMain.h"

#include "config/TIniOptions.h"
#include "config/WindowStateIni.h"
#include "core/journal/JournalSink.h"
#include "core/query/DnsStage.h"
#include "core/query/QueryEngine.h"
#include "core/query/WhoisLookup.h"
#include "core/suffixes/CalibrationStore.h"
#include "core/suffixes/SuffixDirectory.h"
#include "core/suffixes/WhoisCalibrator.h"
#include "i18n/RefusalWording.h"
#include "platform/DesktopOpener.h"
#include "text/TextUtil.h"
#include "ui/BusyAnimation.h"
#include "ui/LaneTableModel.h"
#include "ui/NameEditDelegate.h"
#include "ui/Prompts.h"
#include "ui/QueryEventQueue.h"
#include "ui/ResultFilterModel.h"
#include "ui/ResultTableModel.h"
#include "ui/RunStateControls.h"
#include "ui/RunStatusBar.h"
#include "ui/ScreenPlacement.h"
#include "ui/ServerTableModel.h"
#include "ui/SuffixFilterModel.h"
#include "ui/TfrmAbout.h"
#include "ui/TfrmText.h"
#include "ui/TypedCharFilter.h"
#include "ui/UiText.h"
#include "ui/WindowJournal.h"

#include <QActionGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QTextBrowser>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>

namespace cvt {

namespace {

constexpr int kClientWidth = 601;
constexpr int kClientHeight = 486;
constexpr int kServerTableWidth = 233;
// The pattern box grows with the window up to a width that holds any sensible pattern.
constexpr int kPatternBoxMaxWidth = 480;
// The width a mark column keeps when the columns no longer fit the table side by side.
constexpr int kMarkColumnWidth = 56;

} // namespace

TfrmWhoisMain::TfrmWhoisMain(MainWindowDeps deps, QWidget* parent)
    : QMainWindow(parent), m_deps(std::move(deps)), m_servers(std::make_unique<ServerTableModel>()),
      m_results(std::make_unique<ResultTableModel>()), m_lanes(std::make_unique<LaneTableModel>()) {
    setObjectName(QStringLiteral("frmWhoisMain"));
    setWindowTitle(QStringLiteral("Corvantide v1.2"));
    buildControls();
    buildMenus();
    m_status->setLaneModel(m_lanes.get());
    // Counts the lanes' waits down while a run goes.
    m_laneClock = new QTimer(this);
    m_laneClock->setInterval(1000);
    connect(m_laneClock, &QTimer::timeout, this, [this] {
        m_lanes->tick(LaneTableModel::Clock::now());
        if (!m_restoreActivity && m_shownState != RunState::Idle) {
            showActivity();
        }
    });

    m_events = std::make_unique<QueryEventQueue>();
    m_journalSink = std::make_unique<JournalSink>(*m_events);
    m_journal = std::make_unique<WindowJournal>(m_deps.journalPath);
    m_engine = std::make_unique<QueryEngine>(
        QueryEngineDeps{*m_journalSink, m_deps.makeClient, m_deps.clock,
                        [this](const std::string& message) { reportWorkerError(message); }, nullptr,
                        [this](const CalibrationCall& call) { return calibrate(call); }});
    connectEngine();

    FormCreate();
    // The classic layout is both the first size and the smallest.
    setMinimumSize(minimumSizeHint());
    resize(minimumSizeHint());
}

TfrmWhoisMain::~TfrmWhoisMain() {
    m_engine->shutdown();
    m_engine.reset();
    endJournalRun(false, false);
}

void TfrmWhoisMain::connectEngine() {
    QueryEventQueue* events = m_events.get();
    connect(events, &QueryEventQueue::rowsClearedSignal, this, [this] {
        m_results->clearRows();
        // A new run: the lane view starts on the servers it asks.
        m_lanes->startRun(m_servers->runEntries(), !m_deps.options.Run.parallel);
        m_lanesFollow = true;
        showCellCounts();
    });
    connect(events, &QueryEventQueue::rowsAppended, this, [this](const std::vector<AppendedRow>& rows) {
        // The view follows the newest rows only while it stands at the bottom, as a log viewer does:
        // a user who scrolled up to read keeps their place, and the selection is never touched.
        const bool following = viewAtBottom();
        m_results->appendRows(rows);
        if (following) {
            lvDomain->scrollToBottom();
        }
    });
    connect(events, &QueryEventQueue::cellsAnswered, this, [this](const std::vector<AnsweredCell>& cells) {
        m_results->applyCells(cells);
        if (m_lanesFollow) {
            m_lanes->applyCells(cells);
            showCellCounts();
        }
    });
    connect(events, &QueryEventQueue::activitiesSeen, this, [this](const std::vector<std::string>& texts) {
        if (m_lanesFollow) {
            const auto now = LaneTableModel::Clock::now();
            for (const std::string& text : texts) {
                m_lanes->applyActivity(text, now);
            }
        }
    });
    connect(events, &QueryEventQueue::activityChangedSignal, this, [this](const std::string& text) {
        m_restoreActivity = false;
        m_lastActivity = text;
        showActivity();
    });
    connect(events, &QueryEventQueue::runStateChangedSignal, this, &TfrmWhoisMain::applyRunState);
}

void TfrmWhoisMain::showActivity() {
    // A lane backing off after a refusal is named while it waits, whatever the other lanes do.
    if (const LaneTableModel::Lane* lane = m_lanes->backingOff()) {
        const auto seconds = LaneTableModel::secondsLeft(*lane, LaneTableModel::Clock::now());
        setStatusText(0, formatMessage(Msg::BackingOffStatus, Language, {lane->server, std::to_string(seconds)}));
        return;
    }
    setStatusText(0, m_lastActivity);
}

void TfrmWhoisMain::showCellCounts() {
    const std::size_t toAsk = m_lanes->cellsToAsk();
    if (toAsk == 0) {
        m_status->showCells(0, 0, QString());
        return;
    }
    const std::size_t answered = m_lanes->cellsAnswered();
    m_status->showCells(
        answered, toAsk,
        toQString(formatMessage(Msg::CellsProgress, Language, {std::to_string(answered), std::to_string(toAsk)})));
}

void TfrmWhoisMain::setDialogs(TfrmText* frmText, TfrmWhoisInfo* frmWhoisInfo) {
    m_frmText = frmText;
    m_frmWhoisInfo = frmWhoisInfo;
    applyBuilderState();
}

void TfrmWhoisMain::buildControls() {
    // The client area starts at its classic 601 x 486 and never gets smaller; the server table grows
    // downwards, the result table both ways, the pattern box across, and Search and Stop keep to
    // the right edge.
    auto* client = named(new QWidget(this), "ClientArea");
    client->setMinimumSize(kClientWidth, kClientHeight);
    setCentralWidget(client);
    auto* columns = new QHBoxLayout(client);
    columns->setContentsMargins(8, 8, 16, 5);
    columns->setSpacing(0);
    // The server table and the results share the width through a splitter the user may move; the
    // results take what the window gains.
    splitter = named(new QSplitter(Qt::Horizontal, client), "splitter");
    splitter->setHandleWidth(7);
    splitter->setChildrenCollapsible(false);
    columns->addWidget(splitter);

    splitter->addWidget(buildSuffixPicker(splitter));

    auto* resultsSide = named(new QWidget(splitter), "ResultsSide");
    resultsSide->setMinimumWidth(kClientWidth - 24 - kServerTableWidth - 7);
    auto* right = new QVBoxLayout(resultsSide);
    right->setContentsMargins(0, 0, 0, 0);
    right->setSpacing(0);
    splitter->addWidget(resultsSide);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({kServerTableWidth, kClientWidth});

    rg1 = named(new QGroupBox(resultsSide), "rg1");
    rg1->setFixedHeight(41);
    rg1->setMinimumWidth(337);
    rg1->installEventFilter(this); // a click on the frame itself runs the mode handler
    raRandom = named(new QRadioButton(rg1), "raRandom");
    raRandom->setGeometry(32, 16, 113, 17);
    raRandom->setChecked(true);
    raText = named(new QRadioButton(rg1), "raText");
    raText->setGeometry(184, 16, 113, 17);
    right->addWidget(rg1);
    right->addSpacing(10);

    auto* patternRow = new QHBoxLayout;
    patternRow->setContentsMargins(8, 0, 8, 0);
    patternRow->setSpacing(0);
    edtDomain = named(new QLineEdit(resultsSide), "edtDomain");
    edtDomain->setMinimumWidth(153);
    edtDomain->setMaximumWidth(kPatternBoxMaxWidth);
    edtDomain->setFixedHeight(21);
    edtDomain->setValidator(new TypedCharFilter(&TypedCharFilter::patternChar, edtDomain));
    // The box takes plain keys only: an input method would compose characters it refuses anyway.
    edtDomain->setAttribute(Qt::WA_InputMethodEnabled, false);
    patternRow->addWidget(edtDomain, 1);
    patternRow->addStretch(0);
    patternRow->addSpacing(19);

    Animate1 = named(new BusyAnimation(resultsSide), "Animate1");
    QSizePolicy keepPlace = Animate1->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true); // Search does not jump when the animation shows
    Animate1->setSizePolicy(keepPlace);
    Animate1->hide();
    patternRow->addWidget(Animate1, 0, Qt::AlignVCenter);
    patternRow->addSpacing(4);

    btnSearch = named(new QPushButton(resultsSide), "btnSearch");
    btnSearch->setFixedSize(57, 22);
    btnSearch->setDefault(true);
    btnSearch->setEnabled(false);
    patternRow->addWidget(btnSearch);
    patternRow->addSpacing(15);
    btnStop = named(new QPushButton(resultsSide), "btnStop");
    btnStop->setFixedSize(57, 22);
    btnStop->setAutoDefault(false);
    btnStop->setEnabled(false);
    patternRow->addWidget(btnStop);
    right->addLayout(patternRow);
    right->addSpacing(15);

    // The filter over the result table: which outcome, and a part of the name.
    auto* filterRow = new QHBoxLayout;
    filterRow->setContentsMargins(0, 0, 0, 0);
    filterRow->setSpacing(6);
    cbFilter = named(new QComboBox(resultsSide), "cbFilter");
    cbFilter->addItems({QString(), QString(), QString(), QString()});
    cbFilter->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    edtFilter = named(new QLineEdit(resultsSide), "edtFilter");
    edtFilter->setClearButtonEnabled(true);
    lblShown = named(new QLabel(resultsSide), "lblShown");
    lblShown->hide();
    filterRow->addWidget(cbFilter);
    filterRow->addWidget(edtFilter, 1);
    filterRow->addWidget(lblShown);
    right->addLayout(filterRow);
    right->addSpacing(4);

    lvDomain = named(new QTableView(resultsSide), "lvDomain");
    m_filter = std::make_unique<ResultFilterModel>(*m_results);
    lvDomain->setModel(m_filter.get());
    lvDomain->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvDomain->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // F2 renames a row in place; a double-click shows its details.
    lvDomain->setEditTriggers(QAbstractItemView::EditKeyPressed);
    lvDomain->setItemDelegateForColumn(0, new NameEditDelegate(lvDomain));
    lvDomain->setShowGrid(false);
    lvDomain->setWordWrap(false);
    // Until a header is clicked the rows stand in candidate order.
    lvDomain->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    lvDomain->setSortingEnabled(true);
    // A third click on the same header returns to candidate order.
    connect(lvDomain->horizontalHeader(), &QHeaderView::sortIndicatorChanged, this,
            [this](int column, Qt::SortOrder order) {
                const bool third = column >= 0 && column == m_sortColumn && m_sortOrder == Qt::DescendingOrder &&
                                   order == Qt::AscendingOrder;
                m_sortColumn = third ? -1 : column;
                m_sortOrder = order;
                if (third) {
                    lvDomain->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
                }
            });
    lvDomain->verticalHeader()->hide();
    // Fixed row heights keep scrolling and row insertion cheap for very long tables.
    lvDomain->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    lvDomain->verticalHeader()->setDefaultSectionSize(lvDomain->fontMetrics().height() + 4);
    lvDomain->horizontalHeader()->setDefaultSectionSize(kMarkColumnWidth);
    lvDomain->horizontalHeader()->setMinimumSectionSize(24);
    lvDomain->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    lvDomain->horizontalHeader()->setHighlightSections(false);
    lvDomain->setColumnWidth(0, 120);
    lvDomain->setContextMenuPolicy(Qt::CustomContextMenu);
    right->addWidget(lvDomain, 1);
    // The name column keeps its width of 120 whenever the columns change.
    lvDomain->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    const auto keepNameColumn = [this] {
        lvDomain->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Interactive);
        lvDomain->setColumnWidth(0, 120);
        fitMarkColumns();
    };
    keepNameColumn();
    connect(m_filter.get(), &QAbstractItemModel::modelReset, this, keepNameColumn);
    connect(m_filter.get(), &QAbstractItemModel::columnsInserted, this, keepNameColumn);
    lvDomain->viewport()->installEventFilter(this); // its width decides whether the columns fit

    setTabOrder(edtDomain, btnSearch);
    setTabOrder(btnSearch, edtSuffixSearch);
    setTabOrder(edtSuffixSearch, cbSuffixGroup);
    setTabOrder(cbSuffixGroup, lvWhois);
    setTabOrder(lvWhois, btnTickShown);
    setTabOrder(btnTickShown, btnClearTicks);
    setTabOrder(btnClearTicks, cbFilter);
    setTabOrder(cbFilter, edtFilter);
    setTabOrder(edtFilter, lvDomain);
    setTabOrder(lvDomain, btnStop);
    setTabOrder(btnStop, raRandom);
    setTabOrder(raRandom, raText);

    m_status = new RunStatusBar(this);
    setStatusBar(m_status);

    connect(raRandom, &QRadioButton::clicked, this, &TfrmWhoisMain::rg1Click);
    connect(raText, &QRadioButton::clicked, this, &TfrmWhoisMain::rg1Click);
    connect(edtDomain, &QLineEdit::textChanged, this, &TfrmWhoisMain::edtDomainChange);
    connect(btnSearch, &QPushButton::clicked, this, &TfrmWhoisMain::btnSearchClick);
    connect(btnStop, &QPushButton::clicked, this, &TfrmWhoisMain::btnStopClick);
    connect(m_servers.get(), &ServerTableModel::ticksChanged, this, &TfrmWhoisMain::lvWhoisChange);
    connect(m_servers.get(), &ServerTableModel::captionEdited, this, &TfrmWhoisMain::lvWhoisChange);
    connect(lvDomain, &QTableView::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu1->popup(lvDomain->viewport()->mapToGlobal(at)); });
    connect(lvDomain, &QTableView::doubleClicked, this, &TfrmWhoisMain::lvDomainDblClick);
    connect(cbFilter, &QComboBox::currentIndexChanged, this, [this](int kind) {
        m_filter->setKind(ResultFilterModel::kindAt(kind));
        showShownCount();
    });
    connect(edtFilter, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_filter->setNameText(text);
        showShownCount();
    });
    connect(m_results.get(), &ResultTableModel::countsChanged, this, &TfrmWhoisMain::applyStatusCounts);
    // "N of M shown" while the filter hides rows.
    connect(m_filter.get(), &QAbstractItemModel::modelReset, this, &TfrmWhoisMain::showShownCount);
    connect(m_filter.get(), &QAbstractItemModel::layoutChanged, this, &TfrmWhoisMain::showShownCount);
    connect(m_filter.get(), &QAbstractItemModel::rowsInserted, this, &TfrmWhoisMain::showShownCount);
    connect(m_filter.get(), &QAbstractItemModel::rowsRemoved, this, &TfrmWhoisMain::showShownCount);
    connect(m_results.get(), &QAbstractItemModel::rowsInserted, this, &TfrmWhoisMain::showShownCount);
}

void TfrmWhoisMain::showShownCount() {
    const bool filtering = m_filter->kind().has_value() || !m_filter->nameText().isEmpty();
    lblShown->setVisible(filtering);
    if (filtering) {
        lblShown->setText(
            toQString(formatMessage(Msg::RowsShownOf, Language,
                                    {std::to_string(m_filter->rowCount()), std::to_string(m_results->rowCount())})));
    }
}

void TfrmWhoisMain::buildMenus() {
    auto* MainMenu1 = named(new QMenuBar(this), "MainMenu1");
    setMenuBar(MainMenu1);
    Setting1 = named(MainMenu1->addMenu(QString()), "Setting1");
    Language1 = named(Setting1->addMenu(QString()), "Language1");
    m_languageGroup = new QActionGroup(this);
    m_languageGroup->setExclusive(true);
    Chinese1 = named(Language1->addAction(QString()), "Chinese1");
    English1 = named(Language1->addAction(QString()), "English1");
    for (QAction* item : {Chinese1, English1}) {
        item->setCheckable(true);
        m_languageGroup->addAction(item);
        connect(item, &QAction::triggered, this, &TfrmWhoisMain::RadioGroup1Click);
    }
    Chinese1->setChecked(true);
    History1 = named(Setting1->addAction(QString()), "History1");
    connect(History1, &QAction::triggered, this, &TfrmWhoisMain::HistoryClick);

    PopupMenu1 = named(new QMenu(this), "PopupMenu1");
    exportExcel = named(PopupMenu1->addAction(QString()), "exportExcel");
    ExporttoText1 = named(PopupMenu1->addAction(QString()), "ExporttoText1");
    N1 = named(PopupMenu1->addAction(QString()), "N1");
    N2 = named(PopupMenu1->addAction(QString()), "N2");
    Whois1 = named(PopupMenu1->addAction(QString()), "Whois1");
    N3 = named(PopupMenu1->addAction(QString()), "N3");
    PopupMenu1->addSeparator();
    CopyFreeNames1 = named(PopupMenu1->addAction(QString()), "CopyFreeNames1");
    Undo1 = named(PopupMenu1->addAction(QString()), "Undo1");
    connect(exportExcel, &QAction::triggered, this, &TfrmWhoisMain::exportExcelClick);
    connect(ExporttoText1, &QAction::triggered, this, &TfrmWhoisMain::ExporttoText1Click);
    connect(N1, &QAction::triggered, this, &TfrmWhoisMain::N1Click);
    connect(N2, &QAction::triggered, this, &TfrmWhoisMain::N2Click);
    connect(Whois1, &QAction::triggered, this, &TfrmWhoisMain::Whois1Click);
    connect(N3, &QAction::triggered, this, &TfrmWhoisMain::N3Click);
    connect(CopyFreeNames1, &QAction::triggered, this, &TfrmWhoisMain::CopyFreeNamesClick);
    connect(Undo1, &QAction::triggered, this, &TfrmWhoisMain::UndoClick);

    // The Results menu holds the common commands with their keys; the popup items are the same
    // actions, so the menu and the popup show the same keys and are enabled together.
    Results1 = named(MainMenu1->addMenu(QString()), "Results1");
    Search1 = named(Results1->addAction(QString()), "Search1");
    Search1->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)});
    connect(Search1, &QAction::triggered, this, [this] {
        if (btnSearch->isEnabled() && btnSearch->isVisible()) {
            btnSearch->click();
        }
    });
    Filter1 = named(Results1->addAction(QString()), "Filter1");
    Filter1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    connect(Filter1, &QAction::triggered, this, [this] {
        edtFilter->setFocus(Qt::ShortcutFocusReason);
        edtFilter->selectAll();
    });
    Results1->addSeparator();
    exportExcel->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    CopyFreeNames1->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    Undo1->setShortcut(QKeySequence::Undo);
    for (QAction* item : {exportExcel, ExporttoText1, CopyFreeNames1, Undo1}) {
        Results1->addAction(item);
    }
    // The window carries the keys wherever the focus is in it.
    addActions({Search1, Filter1, exportExcel, CopyFreeNames1, Undo1});

    Help1 = named(MainMenu1->addMenu(QString()), "Help1");
    HelpTopics1 = named(Help1->addAction(QString()), "HelpTopics1");
    HelpTopics1->setShortcut(QKeySequence::HelpContents);
    connect(HelpTopics1, &QAction::triggered, this, &TfrmWhoisMain::HelpTopicsClick);
    About1 = named(Help1->addAction(QString()), "About1");
    connect(About1, &QAction::triggered, this, &TfrmWhoisMain::About1Click);

    // Keys of the result table and of the window.
    CopyRows1 = named(new QAction(lvDomain), "CopyRows1");
    DeleteRows1 = named(new QAction(lvDomain), "DeleteRows1");
    // The table's key filter runs them (the table itself would take Ctrl+C first).
    lvDomain->installEventFilter(this);
    connect(CopyRows1, &QAction::triggered, this, &TfrmWhoisMain::CopyRowsClick);
    connect(DeleteRows1, &QAction::triggered, this, &TfrmWhoisMain::DeleteRowsClick);
    StopRun1 = named(new QAction(this), "StopRun1");
    StopRun1->setShortcut(QKeySequence(Qt::Key_Escape));
    StopRun1->setShortcutContext(Qt::WindowShortcut);
    addAction(StopRun1);
    connect(StopRun1, &QAction::triggered, this, [this] {
        if (btnStop->isEnabled()) {
            btnStopClick();
        }
    });
    connect(m_results.get(), &ResultTableModel::countsChanged, this, &TfrmWhoisMain::showUndoAvailable);
    showUndoAvailable();
}

void TfrmWhoisMain::FormCreate() {
    m_servers->setRows(loadSuffixes());
    setStatusText(0, "Welcome!");
    Candidates.clear();
    readWindowState();
    lvWhoisChange();
    applyStatusCounts();
    applyPendingChanges();
    if (!m_deps.journalPath.empty()) {
        m_journal->open([this](const WindowJournal::Opened& opened) {
            journalOpened(opened.problem, opened.notices, opened.unfinished);
        });
    }
}

void TfrmWhoisMain::SetLanguage(const std::string& code) {
    Language = code;
    rg1->setTitle(uiText(Msg::SearchMethod, code));
    raRandom->setText(uiText(Msg::RandomQueries, code));
    raText->setText(uiText(Msg::GetWordsFromText, code));
    // The buttons keep their places; one whose caption is wider than 113 pixels in the system font
    // grows to the right within the frame rather than cut its caption off.
    for (QRadioButton* button : {raRandom, raText}) {
        const int room = (button == raRandom ? raText->x() : rg1->width()) - button->x() - 4;
        button->resize(std::clamp(button->sizeHint().width(), 113, std::max(113, room)), 17);
    }
    btnSearch->setText(uiText(Msg::Search, code));
    btnStop->setText(uiText(Msg::Stop, code));
    m_results->setColumnCaption(0, message(Msg::DomainNameColumn, code));
    m_servers->setHeaders(uiText(Msg::ExtensionsColumn, code), uiText(Msg::AskedByColumn, code));
    m_servers->setLanguage(code);
    static constexpr Msg kGroupItems[6] = {Msg::PickerTicked,  Msg::PickerPopular, Msg::PickerGeneric,
                                           Msg::PickerCountry, Msg::PickerChinese, Msg::PickerAll};
    for (int item = 0; item < 6; ++item) {
        cbSuffixGroup->setItemText(item, uiText(kGroupItems[item], code));
    }
    edtSuffixSearch->setPlaceholderText(uiText(Msg::SuffixSearchPlaceholder, code));
    edtSuffixSearch->setToolTip(uiText(Msg::SuffixSearchTip, code));
    btnTickShown->setText(uiText(Msg::TickShown, code));
    btnTickShown->setToolTip(uiText(Msg::TickShownTip, code));
    btnClearTicks->setText(uiText(Msg::ClearTicks, code));
    btnClearTicks->setToolTip(uiText(Msg::ClearTicksTip, code));
    showTickedCount();
    exportExcel->setText(uiText(Msg::ExportToExcel, code));
    ExporttoText1->setText(uiText(Msg::ExportToText, code));
    N1->setText(uiText(Msg::ClearRegistered, code));
    N2->setText(uiText(Msg::ForceSearchFailed, code));
    Whois1->setText(uiText(Msg::BrowseWhoisDetails, code));
    N3->setText(uiText(Msg::ClearAllRecords, code));
    CopyFreeNames1->setText(uiText(Msg::CopyFreeNames, code));
    static constexpr Msg kFilterItems[4] = {Msg::FilterAll, Msg::FilterFree, Msg::FilterRegistered, Msg::FilterFailed};
    for (int item = 0; item < 4; ++item) {
        cbFilter->setItemText(item, uiText(kFilterItems[item], code));
    }
    edtFilter->setPlaceholderText(uiText(Msg::FilterNamePlaceholder, code));
    m_results->setLanguage(code);
    m_lanes->setLanguage(code);
    m_status->setCellsToolTip(uiText(Msg::ProgressTip, code));
    Setting1->setTitle(uiText(Msg::SettingMenu, code));
    Language1->setTitle(uiText(Msg::LanguageMenu, code));
    Chinese1->setText(uiText(Msg::ChineseItem, code));
    English1->setText(uiText(Msg::EnglishItem, code));
    History1->setText(uiText(Msg::HistoryItem, code));
    Help1->setTitle(uiText(Msg::HelpMenu, code));
    HelpTopics1->setText(uiText(Msg::HelpTopicsItem, code));
    About1->setText(uiText(Msg::AboutItem, code));
    Results1->setTitle(uiText(Msg::ResultsMenu, code));
    Search1->setText(uiText(Msg::SearchItem, code));
    Filter1->setText(uiText(Msg::FilterItem, code));
    Undo1->setText(uiText(Msg::UndoItem, code));
    edtDomain->setPlaceholderText(uiText(Msg::PatternPlaceholder, code));
    edtDomain->setToolTip(uiText(Msg::PatternTip, code));
    raRandom->setToolTip(uiText(Msg::RandomQueriesTip, code));
    raText->setToolTip(uiText(Msg::TextQueriesTip, code));
    btnSearch->setToolTip(uiText(Msg::SearchTip, code));
    btnStop->setToolTip(uiText(Msg::StopTip, code));
    lvWhois->setToolTip(uiText(Msg::ServerTableTip, code));
    cbFilter->setToolTip(uiText(Msg::FilterKindTip, code));
    m_status->setCountsToolTip(uiText(Msg::CountsTip, code));
    showShownCount();
    if (m_help != nullptr) {
        m_help->setHtml(uiText(Msg::HelpText, code));
    }
    (isChinese(code) ? Chinese1 : English1)->setChecked(true);
    applyPendingChanges();
}

QString TfrmWhoisMain::statusText(int panel) const {
    return m_status->panelText(panel);
}

QueryEventSink& TfrmWhoisMain::eventSink() {
    return *m_events;
}

void TfrmWhoisMain::applyPendingChanges() {
    m_events->flush();
}

// --- Modes and the pattern box ------------------------------------------------------------------

void TfrmWhoisMain::rg1Click() {
    if (raRandom->isChecked()) {
        edtDomain->show();
        return;
    }
    if (!raText->isChecked() || m_frmText == nullptr) {
        return;
    }
    m_frmText->SetLanguage(Language);
    m_frmText->chkVisibleText->setChecked(m_deps.options.VisibleTextOnly);
    edtDomain->hide();
    const int result = m_frmText->exec();
    rememberVisibleTextChoice(m_frmText->chkVisibleText->isChecked());
    if (result == QDialog::Accepted) {
        Candidates = m_frmText->WordList;
        setStatusText(0, message(Msg::ClickSearchToStart, Language));
        setStatusText(1, std::to_string(Candidates.size()));
        btnSearch->setEnabled(true);
        btnSearchClick();
    } else {
        raRandom->setChecked(true);
        rg1Click();
    }
}

void TfrmWhoisMain::edtDomainChange() {
    const bool hasText = !trim(toStdString(edtDomain->text())).empty();
    // While a run or a re-query pass is going Search stays off; the box may still be edited.
    const bool busy = m_shownState == RunState::Preparing || m_shownState == RunState::Running ||
                      m_shownState == RunState::Requerying;
    btnSearch->setEnabled(hasText && !busy);
}

bool TfrmWhoisMain::eventFilter(QObject* watched, QEvent* event) {
    if (lvDomain != nullptr && watched == lvDomain->viewport() && event->type() == QEvent::Resize) {
        fitMarkColumns();
    }
    if (watched == rg1 && event->type() == QEvent::MouseButtonRelease && rg1->isEnabled()) {
        rg1Click();
    }
    // The table would copy only its current cell, and has no use for Delete (an open editor takes
    // its keys itself).
    if (watched == lvDomain && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Copy)) {
            CopyRows1->trigger();
            return true;
        }
        if (key->matches(QKeySequence::Delete)) {
            DeleteRows1->trigger();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfrmWhoisMain::keyPressEvent(QKeyEvent* event) {
    // Enter presses the default button when it comes from the query controls; the result table,
    // its filter and an editor open in either table keep it to themselves.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && event->modifiers() == Qt::NoModifier) {
        if (enterPressesSearch(focusWidget()) && btnSearch->isEnabled() && btnSearch->isVisible()) {
            btnSearch->click();
        }
        event->accept();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

bool TfrmWhoisMain::enterPressesSearch(const QWidget* from) const {
    return from == nullptr || from == this || from == edtDomain || from == btnSearch || from == lvWhois ||
           from == rg1 || rg1->isAncestorOf(from);
}

void TfrmWhoisMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!m_centred) {
        m_centred = true;
        edtDomain->setFocus(); // first in the tab order
        placeOnScreen();
    }
}

void TfrmWhoisMain::placeOnScreen() {
    const QScreen* screen = this->screen();
    if (screen == nullptr) {
        return;
    }
    const QRect available = screen->availableGeometry();
    // The frame around the client area, as the window system draws it (none before it is shown).
    const QMargins frame(geometry().left() - frameGeometry().left(), geometry().top() - frameGeometry().top(),
                         frameGeometry().right() - geometry().right(), frameGeometry().bottom() - geometry().bottom());
    const QRect room = available.marginsRemoved(frame);
    QRect wanted = geometry();
    const bool remembered = m_savedState != nullptr && m_savedState->geometry.has_value();
    if (remembered) {
        const WindowState::Geometry& saved = *m_savedState->geometry;
        wanted = QRect(saved.x, saved.y, saved.width, saved.height);
    }
    // Never larger than the screen's room, never smaller than the layout, and wholly on the screen.
    wanted.setWidth(std::max(minimumWidth(), std::min(wanted.width(), room.width())));
    wanted.setHeight(std::max(minimumHeight(), std::min(wanted.height(), room.height())));
    if (!remembered) {
        wanted.moveCenter(room.center());
    }
    // A window still larger (a large scale factor) keeps its title bar and menu on the screen.
    wanted.moveTopLeft(keptInside(wanted, room));
    setGeometry(wanted);
}

// --- Search, Stop, server table ----------------------------------------------------------------

void TfrmWhoisMain::btnSearchClick() {
    // A run starts on an empty table: rows that are there go only when the person agrees.
    if (!m_engine->isBusy() && !discardAllowed()) {
        m_resumeSearch = 0;
        return;
    }
    if (m_showingHistory && !m_engine->isBusy()) {
        // The table leaves the search it showed for the server table's columns.
        m_showingHistory = false;
        m_results->clearRows();
        lvWhoisChange();
    }
    SearchRequest request;
    request.mode = raText->isChecked() ? SearchMode::Text : SearchMode::Pattern;
    if (request.mode == SearchMode::Pattern) {
        request.patternText = toStdString(edtDomain->text());
    } else {
        request.words = Candidates;
    }
    if (m_deps.options.Dns && !m_deps.options.Run.dns && !m_dnsWarningShown) {
        // A dns_server the resolver cannot use: said once, and the runs ask the registry alone.
        m_dnsWarningShown = true;
        for (const std::string& warning : m_deps.options.RunWarnings) {
            if (warning.starts_with("dns_server")) {
                m_deps.prompts.information(this, toQString(warning));
            }
        }
    }
    // Said once per run, on the DNS panel: the suffixes DNS asks through the system's resolvers.
    m_dnsThroughResolvers = m_deps.options.Run.dns && m_deps.options.Run.dnsAuto
                                ? suffixesAskedThroughResolver(m_servers->runEntries())
                                : std::string();
    m_engine->setSettings(m_deps.options.Run);
    if (!beginJournalRun(request)) {
        return;
    }
    const SearchOutcome outcome = m_engine->search(std::move(request));
    if (outcome.status == SearchOutcome::Status::Refused) {
        endJournalRun(false, true);
        m_deps.prompts.error(this, toQString(refusalMessage(outcome.refusal, Language)));
    }
    applyPendingChanges();
}

void TfrmWhoisMain::btnStopClick() {
    m_engine->stop();
    // Search comes back at once; the popup items when the run has ended.
    applyPendingChanges();
}

void TfrmWhoisMain::reportWorkerError(const std::string& message) {
    // Called on a worker: the box is shown on the GUI thread, after the changes queued before it.
    QMetaObject::invokeMethod(
        this,
        [this, text = toQString(message)] {
            if (!m_closed) {
                m_deps.prompts.error(this, text);
            }
        },
        Qt::QueuedConnection);
}

// --- Closing -------------------------------------------------------------------------------------

void TfrmWhoisMain::closeEvent(QCloseEvent* event) {
    if (m_closed) {
        event->accept();
        return;
    }
    // FormCloseQuery: a run whose Stop is still available must be stopped first, unless the
    // question is dismissed through its close box.
    // "Stop and quit" beside OK does the same as the close box.
    if (m_engine->isRunActive() &&
        m_deps.prompts.stopFirst(this, uiText(Msg::StopBeforeExit, Language), uiText(Msg::StopAndQuit, Language)) ==
            Prompts::StopFirstAnswer::Answered) {
        event->ignore();
        return;
    }
    // FormClose: stop the run, end a re-query pass after its current cell and wait for both
    // workers, cancelling the exchange under way, before anything they use goes away.
    m_closed = true;
    saveWindowState();
    m_engine->shutdown();
    endJournalRun(false, false);
    Candidates.clear();
    event->accept();
}

// --- The run's state in the controls --------------------------------------------------------------

void TfrmWhoisMain::applyRunState(const RunProgress& progress) {
    const RunState previous = m_shownState;
    m_shownState = progress.state;
    const RunStateControls controls = runStateControls(previous, progress.state);
    if (controls.startClock) {
        m_runStarted = std::chrono::steady_clock::now();
        m_runStopped = false;
    }
    if (controls.markStopped) {
        m_runStopped = true;
    }
    if (controls.keepActivity) {
        m_activityBeforePreparing = statusText(0);
        m_restoreActivity = true;
    }
    if (controls.restoreActivity) {
        restoreActivityAfterPreparing();
    }
    if (controls.showEnding) {
        m_status->hideProgress();
        const auto seconds =
            std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - m_runStarted).count();
        m_status->setPanelText(0, m_runStopped
                                      ? uiText(Msg::RunStopped, Language)
                                      : toQString(formatMessage(Msg::RunDoneIn, Language,
                                                                {toStdString(durationText(seconds, Language))})));
    }
    if (controls.popup) {
        setPopupItemsEnabled(*controls.popup);
    }
    if (controls.reserveRows) {
        m_results->reserveRows(progress.total);
    }
    if (controls.stop) {
        btnStop->setEnabled(*controls.stop);
    }
    if (controls.animating) {
        Animate1->show();
        if (*controls.animating) {
            Animate1->play();
        } else {
            Animate1->stop();
        }
    }
    if (controls.servers) {
        for (QWidget* control : {static_cast<QWidget*>(lvWhois), static_cast<QWidget*>(btnTickShown),
                                 static_cast<QWidget*>(btnClearTicks)}) {
            control->setEnabled(*controls.servers);
        }
    }
    if (controls.method) {
        rg1->setEnabled(*controls.method);
    }
    if (controls.restorePatternMode) {
        restorePatternMode();
    }
    switch (controls.search) {
    case RunStateControls::Search::Unchanged:
        break;
    case RunStateControls::Search::Enabled:
    case RunStateControls::Search::Disabled:
        btnSearch->setEnabled(controls.search == RunStateControls::Search::Enabled);
        break;
    case RunStateControls::Search::IfPattern:
        btnSearch->setEnabled(!trim(toStdString(edtDomain->text())).empty());
        break;
    }
    if (controls.showPreparing) {
        setStatusText(0, message(Msg::PreparingNames, Language));
    }
    if (controls.showProgress) {
        m_status->showProgress(progress.done, progress.total);
    }
    if (controls.showDnsSettled) {
        showDnsSettled(progress);
    }
    if (controls.showLeftOut) {
        showLeftOutNames();
    }
    if (controls.showRunCounts) {
        showRunCounts(progress);
    }
    // The lane view and the cells panel follow a run (not a re-query pass) from its start to its end.
    if (controls.reserveRows) {
        m_lanes->setNamesTotal(progress.total);
        m_laneClock->start();
    }
    if (progress.state == RunState::Running) {
        showCellCounts();
    } else if (progress.state == RunState::Requerying) {
        m_lanesFollow = false;
    } else if (progress.state == RunState::Idle && previous != RunState::Idle) {
        m_laneClock->stop();
        if (m_lanesFollow) {
            m_lanes->finishRun();
            showCellCounts();
            // The run's search ends with it, finished unless it was stopped. What the table
            // becomes afterwards (rows removed, renamed, asked again) no longer stands for the
            // search's rows, so it is not journaled.
            endJournalRun(!m_runStopped, false);
        }
        m_lanesFollow = false;
    }
}

void TfrmWhoisMain::showRunCounts(const RunProgress& progress) {
    setStatusText(1, std::to_string(progress.done) + "/" + std::to_string(progress.total));
    showDnsSettled(progress);
}

void TfrmWhoisMain::clearRunCounts() {
    for (int panel = 0; panel < 3; ++panel) {
        setStatusText(panel, std::string());
    }
    m_status->setPanelToolTip(2, QString());
    m_status->hideProgress();
    m_status->showCells(0, 0, QString());
}

void TfrmWhoisMain::showDnsSettled(const RunProgress& progress) {
    // The third panel stays empty unless the run asks DNS first; then it counts the cells DNS
    // settled, and keeps the count after the run like the other panels.
    setStatusText(2, progress.dns ? "DNS " + std::to_string(progress.dnsSettled) : std::string());
    QString tip = progress.dns ? uiText(Msg::DnsSettledTip, Language) : QString();
    if (progress.dns && !m_dnsThroughResolvers.empty()) {
        tip +=
            QLatin1Char('\n') + toQString(formatMessage(Msg::DnsThroughResolvers, Language, {m_dnsThroughResolvers}));
    }
    m_status->setPanelToolTip(2, tip);
}

void TfrmWhoisMain::showLeftOutNames() {
    std::string parts;
    const auto add = [&](const std::string& part) {
        parts += (parts.empty() || isChinese(Language) ? "" : " ") + part;
    };
    if (const std::size_t dropped = m_engine->droppedNames(); dropped > 0) {
        add(formatMessage(Msg::NamesLeftOutControl, Language, {std::to_string(dropped)}));
    }
    if (const std::size_t undecodable = m_engine->undecodableNames(); undecodable > 0) {
        add(formatMessage(Msg::NamesLeftOutUndecodable, Language, {std::to_string(undecodable)}));
    }
    if (const RefusedNames refused = m_engine->refusedNames(); refused.count > 0) {
        add(formatMessage(Msg::NamesLeftOutInternational, Language,
                          {std::to_string(refused.count), refused.exampleList()}));
    }
    if (parts.empty()) {
        return;
    }
    // Shown once the state change is through, as the run goes on.
    QMetaObject::invokeMethod(
        this,
        [this, text = toQString(formatMessage(Msg::NamesLeftOut, Language, {parts}))] {
            if (!m_closed) {
                m_deps.prompts.information(this, text);
            }
        },
        Qt::QueuedConnection);
}

void TfrmWhoisMain::restoreActivityAfterPreparing() {
    // The preparation's notice goes as soon as the run shows anything else, or ends.
    if (m_restoreActivity) {
        m_restoreActivity = false;
        setStatusText(0, toStdString(m_activityBeforePreparing));
    }
}

void TfrmWhoisMain::setStatusText(int panel, const std::string& text) {
    m_status->setPanelText(panel, toQString(text));
}

void TfrmWhoisMain::applyStatusCounts() {
    m_status->showCounts(m_results->markCounts());
}

void TfrmWhoisMain::setPopupItemsEnabled(bool enabled) {
    m_popupEnabled = enabled;
    for (QAction* item : PopupMenu1->actions()) {
        item->setEnabled(enabled);
    }
    showUndoAvailable();
}

bool TfrmWhoisMain::viewAtBottom() const {
    const QScrollBar* bar = lvDomain->verticalScrollBar();
    return bar->value() >= bar->maximum();
}

void TfrmWhoisMain::selectAndShowRow(std::size_t row) {
    if (row >= static_cast<std::size_t>(m_results->rowCount())) {
        return;
    }
    const QModelIndex index = m_filter->mapFromSource(m_results->index(static_cast<int>(row), 0));
    if (!index.isValid()) {
        return; // the filter hides it
    }
    lvDomain->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    lvDomain->scrollTo(index);
}

void TfrmWhoisMain::restorePatternMode() {
    if (trim(toStdString(edtDomain->text())).empty()) {
        edtDomain->setText(QStringLiteral("[a-z]phone"));
    }
    raRandom->setChecked(true);
    rg1Click();
}

void TfrmWhoisMain::About1Click() {
    TfrmAbout about(this, QString::fromStdString(m_deps.configPath.string()), Language);
    about.exec();
}

void TfrmWhoisMain::HelpTopicsClick() {
    // One page beside the window, raised again when asked for again.
    if (m_help == nullptr) {
        auto* page = named(new QDialog(this), "frmHelp");
        page->setWindowTitle(messageBoxCaption());
        page->resize(560, 480);
        auto* layout = new QVBoxLayout(page);
        m_help = named(new QTextBrowser(page), "HelpText");
        m_help->setOpenExternalLinks(false);
        layout->addWidget(m_help);
    }
    m_help->setHtml(uiText(Msg::HelpText, Language));
    auto* page = static_cast<QDialog*>(m_help->parentWidget());
    page->show();
    page->raise();
    page->activateWindow();
}

void TfrmWhoisMain::UndoClick() {
    if (!tableCommandsAllowed()) {
        return;
    }
    m_results->undoRemoval();
}

void TfrmWhoisMain::showUndoAvailable() {
    Undo1->setEnabled(m_popupEnabled && m_results->canUndoRemoval());
}

} // namespace cvt
