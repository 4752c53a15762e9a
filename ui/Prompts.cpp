#include "ui/Prompts.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QMessageBox>

namespace cvt {

namespace {

// A message box that remembers whether it went away through its close box rather than a button.
class CloseAwareMessageBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;
    bool closedByCloseBox() const { return m_closedByCloseBox; }

protected:
    void closeEvent(QCloseEvent* event) override {
        if (clickedButton() == nullptr) {
            m_closedByCloseBox = true;
        }
        QMessageBox::closeEvent(event);
    }

private:
    bool m_closedByCloseBox = false;
};

} // namespace

QString messageBoxCaption() {
    return QStringLiteral("Corvantide v1.2");
}

void QtPrompts::error(QWidget* parent, const QString& text) {
    QMessageBox::critical(parent, messageBoxCaption(), text, QMessageBox::Ok);
}

void QtPrompts::information(QWidget* parent, const QString& text) {
    QMessageBox::information(parent, messageBoxCaption(), text, QMessageBox::Ok);
}

bool QtPrompts::errorAnswered(QWidget* parent, const QString& text) {
    CloseAwareMessageBox box(QMessageBox::Critical, messageBoxCaption(), text, QMessageBox::Ok, parent);
    box.exec();
    return !box.closedByCloseBox();
}

QString QtPrompts::saveTextFile(QWidget* parent, const QString& initialName) {
    QFileDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("SaveDialog1"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QStringLiteral("*.txt"));
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    // An existing file is replaced without a question.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.selectFile(initialName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().constFirst();
}

} // namespace cvt
