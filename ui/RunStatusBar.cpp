#include "ui/RunStatusBar.h"

#include "i18n/Messages.h"
#include "ui/ResultTableModel.h"
#include "ui/UiText.h"

#include <QLabel>
#include <QProgressBar>
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
    m_counts->setToolTip(QString());
    m_progress = named(new QProgressBar(this), "RunProgress");
    m_progress->setTextVisible(false);
    m_progress->setFixedWidth(60);
    m_progress->setMaximumHeight(fontMetrics().height());
    m_progress->hide();

    addWidget(m_panels[0], 1);
    addWidget(m_progress);
    addWidget(m_panels[1]);
    addWidget(m_counts);
    addWidget(m_panels[2]);
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
    // The bar counts in int; long runs are scaled to it.
    constexpr std::size_t kMax = std::numeric_limits<int>::max();
    const std::size_t scale = total > kMax ? total / kMax + 1 : 1;
    m_progress->setRange(0, static_cast<int>(total / scale));
    m_progress->setValue(static_cast<int>(std::min(done, total) / scale));
    m_progress->show();
}

void RunStatusBar::hideProgress() {
    m_progress->hide();
}

void RunStatusBar::showCounts(const MarkCounts& counts) {
    m_counts->setText(QStringLiteral("☆ %1  ★ %2  - %3").arg(counts.free).arg(counts.registered).arg(counts.failed));
}

QString RunStatusBar::countsText() const {
    return m_counts->text();
}

} // namespace cvt
