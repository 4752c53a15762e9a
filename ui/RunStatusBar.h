#pragma once

#include <QStatusBar>
#include <QString>
#include <string>

class QAbstractItemModel;
class QLabel;
class QProgressBar;
class QTableView;
class QToolButton;

namespace cvt {

struct MarkCounts;

// "3 min 12 s", "45 s" (or the Chinese wording) for a run's length in whole seconds.
QString durationText(long long seconds, const std::string& languageCode);

// The main window's status bar, the one place that shows a run's progress: the activity panel
// (the exchange under way, then "Done in ..." or "Stopped"), the "done/total" panel with its
// progress bar, the mark counts and the last panel.
class RunStatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit RunStatusBar(QWidget* parent = nullptr);

    void setPanelText(int panel, const QString& text);
    QString panelText(int panel) const;
    void setPanelToolTip(int panel, const QString& text);
    // Shows "done/total" in the second panel and on the progress bar, which appears while a run or
    // a re-query pass goes.
    void showProgress(std::size_t done, std::size_t total);
    void hideProgress();
    // Shows "answered/to ask cells" before the names panel and puts the count on the progress bar
    // (which showProgress shows); empty text for no count. A click on it shows the lane view.
    void showCells(std::size_t answered, std::size_t toAsk, const QString& text);
    void setCellsToolTip(const QString& text);
    QString cellsText() const;
    // The lane view (a table over the model), the cells panel's popup.
    void setLaneModel(QAbstractItemModel* model);
    QToolButton* cellsPanel() const { return m_cells; }
    QTableView* laneView() const { return m_laneView; }
    void showCounts(const MarkCounts& counts);
    // What the marks of the counts panel mean.
    void setCountsToolTip(const QString& text);
    QString countsText() const;

    QProgressBar* progressBar() const { return m_progress; }

private:
    void setBar(std::size_t done, std::size_t total);
    QLabel* m_panels[3] = {nullptr, nullptr, nullptr};
    QLabel* m_counts = nullptr;
    QToolButton* m_cells = nullptr;
    QTableView* m_laneView = nullptr;
    QProgressBar* m_progress = nullptr;
};

} // namespace cvt
