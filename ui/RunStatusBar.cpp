#include "ui/RunStatusBar.h"

#include "i18n/Messages.h"
#include "ui/ResultTableModel.h"
#include "ui/UiText.h"

#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QTableView>
#include <QToolButton>
#include <QWidgetAction>
#include <limits>

namespace cvt {

QString durationText(long long seconds, const std::string& languageCode) {
    seconds = std::max(0LL, seconds);
    const std::string minutes = std::to_string(seconds / 60);
    const std::string rest = std::to_string(seconds % 60);
    if (seconds < 60) {
        return toQString(formatMessage(Msg::DurationSeconds, languageCode, {rest}));
    }
    return toQString(formatMessage(Msg::DurationMinutesSeconds, languageCode, {minutes, rest}));
}

RunStatusBar::RunStatusBar(QWidget* parent) : QStatusBar(parent) {
    setObjectName(QStringLiteral("StatusBar"));
    static const char* const kPanelNames[3] = {"StatusPanel0", "StatusPanel1", "StatusPanel2"};
    for (int i = 0; i < 3; ++i) {
        m_panels[i] = named(new QLabel(this), kPanelNames[i]);
        m_panels[i]->setFrameShape(QFrame::Panel);
        m_panels[i]->setFrameShadow(QFrame::Sunken);
    }
    // The activity takes what is left; the progress panel holds the largest count a run can have.
    m_panels[0]->setMinimumWidth(120);
    m_panels[0]->setTextFormat(Qt::PlainText);
    m_panels[1]->setMinimumWidth(m_panels[1]->fontMetrics().horizontalAdvance(QStringLiteral("16777216/16777216")) +
                                 12);
    m_panels[2]->setMinimumWidth(50);
    m_counts = named(new QLabel(this), "CountsPanel");
    m_counts->setFrameShape(QFrame::Panel);
    m_counts->setFrameShadow(QFrame::Sunken);
    m_progress = named(new QProgressBar(this), "RunProgress");
    m_progress->setTextVisible(false);
    m_progress->setFixedWidth(60);
    m_progress->setMaximumHeight(fontMetrics().height());
    m_progress->hide();
    // The cells panel opens the lane view: one row per server, shown while a run goes or after it.
    m_cells = named(new QToolButton(this), "CellsPanel");
    m_cells->setPopupMode(QToolButton::InstantPopup);
    m_cells->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_cells->hide();
    auto* lanesMenu = new QMenu(m_cells);
    m_laneView = named(new QTableView(lanesMenu), "LaneView");
    m_laneView->verticalHeader()->hide();
    m_laneView->setSelectionMode(QAbstractItemView::NoSelection);
    m_laneView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_laneView->setShowGrid(false);
    m_laneView->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_laneView->setMinimumSize(460, 160);
    auto* viewAction = new QWidgetAction(lanesMenu);
    viewAction->setDefaultWidget(m_laneView);
    lanesMenu->addAction(viewAction);
    m_cells->setMenu(lanesMenu);

    addWidget(m_panels[0], 1);
    addWidget(m_progress);
    addWidget(m_cells);
    addWidget(m_panels[1]);
    addWidget(m_counts);
    addWidget(m_panels[2]);
}

void RunStatusBar::showCells(std::size_t answered, std::size_t toAsk, const QString& text) {
    m_cells->setText(text);
    m_cells->setVisible(!text.isEmpty());
    if (toAsk > 0) {
        setBar(answered, toAsk);
    }
}

void RunStatusBar::setCellsToolTip(const QString& text) {
    m_cells->setToolTip(text);
}

QString RunStatusBar::cellsText() const {
    return m_cells->isVisibleTo(this) ? m_cells->text() : QString();
}

void RunStatusBar::setLaneModel(QAbstractItemModel* model) {
    m_laneView->setModel(model);
}

void RunStatusBar::setPanelText(int panel, const QString& text) {
    if (panel >= 0 && panel < 3) {
        m_panels[panel]->setText(text);
    }
}

void RunStatusBar::setPanelToolTip(int panel, const QString& text) {
    if (panel >= 0 && panel < 3) {
        m_panels[panel]->setToolTip(text);
    }
}

QString RunStatusBar::panelText(int panel) const {
    return panel >= 0 && panel < 3 ? m_panels[panel]->text() : QString();
}

void RunStatusBar::showProgress(std::size_t done, std::size_t total) {
    m_panels[1]->setText(QString::number(done) + QLatin1Char('/') + QString::number(total));
    setBar(done, total);
    m_progress->show();
}

void RunStatusBar::setBar(std::size_t done, std::size_t total) {
    // The bar counts in int; long runs are scaled to it.
    constexpr std::size_t kMax = std::numeric_limits<int>::max();
    const std::size_t scale = total > kMax ? total / kMax + 1 : 1;
    m_progress->setRange(0, static_cast<int>(total / scale));
    m_progress->setValue(static_cast<int>(std::min(done, total) / scale));
}

void RunStatusBar::hideProgress() {
    m_progress->hide();
}

void RunStatusBar::showCounts(const MarkCounts& counts) {
    m_counts->setText(QStringLiteral("☆ %1  ★ %2  - %3").arg(counts.free).arg(counts.registered).arg(counts.failed));
}

void RunStatusBar::setCountsToolTip(const QString& text) {
    m_counts->setToolTip(text);
}

QString RunStatusBar::countsText() const {
    return m_counts->text();
}

} // namespace cvt
