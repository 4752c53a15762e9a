#include "ui/ProgressBox.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <thread>

namespace cvt {

ProgressBox::ProgressBox(QWidget* parent, const QString& caption, const QString& text, std::function<void()> cancel)
    : QDialog(parent), m_cancel(std::move(cancel)) {
    setObjectName(QStringLiteral("ProgressBox"));
    setWindowTitle(caption);
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto* layout = new QVBoxLayout(this);
    m_label = new QLabel(text, this);
    m_label->setWordWrap(true);
    layout->addWidget(m_label);
    auto* bar = new QProgressBar(this);
    bar->setRange(0, 0);
    bar->setTextVisible(false);
    layout->addWidget(bar);
    m_cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancelButton->setObjectName(QStringLiteral("btnCancel"));
    m_cancelButton->setAutoDefault(false);
    layout->addWidget(m_cancelButton, 0, Qt::AlignRight);
    connect(m_cancelButton, &QPushButton::clicked, this, &ProgressBox::requestCancel);
    setFixedWidth(300);
}

void ProgressBox::setCancelText(const QString& text) {
    m_cancelButton->setText(text);
}

void ProgressBox::run(const std::function<void()>& job) {
    std::exception_ptr failure;
    m_jobRunning = true;
    std::thread worker([this, &job, &failure] {
        try {
            job();
        } catch (...) {
            failure = std::current_exception(); // handed to the calling thread below
        }
        // Ends the modal loop; delivered on this box's thread after the job is complete.
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_jobRunning = false;
                done(QDialog::Accepted);
            },
            Qt::QueuedConnection);
    });
    exec();
    if (m_jobRunning) {
        // The modal loop was left without the job's end (the application is quitting): stop the
        // job before waiting for it.
        requestCancel();
    }
    worker.join();
    m_jobRunning = false;
    if (failure) {
        std::rethrow_exception(failure);
    }
}

void ProgressBox::reject() {
    if (m_jobRunning) {
        requestCancel(); // the box goes away when the job has ended
        return;
    }
    QDialog::reject();
}

void ProgressBox::requestCancel() {
    if (m_cancelRequested) {
        return;
    }
    m_cancelRequested = true;
    m_cancelButton->setEnabled(false);
    if (m_cancel) {
        m_cancel();
    }
}

} // namespace cvt
