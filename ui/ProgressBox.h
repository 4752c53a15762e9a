#pragma once

#include <QDialog>
#include <exception>
#include <functional>

class QLabel;
class QPushButton;

namespace cvt {

// A small modal box with a busy bar and a Cancel button, shown while a job runs on a worker thread,
// so that the windows behind it keep painting. The worker is started and joined by run(); nothing
// outlives it. Cancel (the button, Escape or the close box) calls the given cancel function and
// keeps the box up until the job has ended.
class ProgressBox : public QDialog {
    Q_OBJECT
public:
    ProgressBox(QWidget* parent, const QString& caption, const QString& text, std::function<void()> cancel);

    // The Cancel button's caption (the box starts with "Cancel").
    void setCancelText(const QString& text);

    // Runs the job on a fresh worker thread and shows the box modally until it has ended. An
    // exception thrown by the job is rethrown here, on the calling thread.
    void run(const std::function<void()>& job);

    bool cancelRequested() const { return m_cancelRequested; }

public Q_SLOTS:
    void reject() override;

private:
    void requestCancel();

    std::function<void()> m_cancel;
    QLabel* m_label = nullptr;
    QPushButton* m_cancelButton = nullptr;
    bool m_cancelRequested = false;
    bool m_jobRunning = false;
};

} // namespace cvt
