#include "ui/Prompts.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <algorithm>
#include <vector>

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

Prompts::StopFirstAnswer QtPrompts::stopFirst(QWidget* parent, const QString& text, const QString& stopAndQuit) {
    CloseAwareMessageBox box(QMessageBox::Critical, messageBoxCaption(), text, QMessageBox::Ok, parent);
    QPushButton* quit = box.addButton(stopAndQuit, QMessageBox::DestructiveRole);
    quit->setObjectName(QStringLiteral("StopAndQuit"));
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Ok);
    box.exec();
    if (box.closedByCloseBox()) {
        return StopFirstAnswer::CloseBox;
    }
    return box.clickedButton() == quit ? StopFirstAnswer::StopAndQuit : StopFirstAnswer::Answered;
}

bool QtPrompts::confirm(QWidget* parent, const QString& text) {
    return QMessageBox::question(parent, messageBoxCaption(), text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

namespace {

struct FileType {
    QString filter;
    QString suffix;
};

// A save dialog for the given file types (the first one preselected): the chosen path, or an empty
// text when cancelled. Picking another type swaps the suffix of the name typed so far; a name
// typed without a suffix gets the picked type's.
QString saveFile(QWidget* parent, const QString& initialPath, const std::vector<FileType>& types) {
    QFileDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("SaveDialog1"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    QStringList filters;
    for (const FileType& type : types) {
        filters << type.filter;
    }
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(types.front().suffix);
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, &types](const QString& filter) {
        const auto picked =
            std::find_if(types.begin(), types.end(), [&](const FileType& t) { return t.filter == filter; });
        if (picked == types.end()) {
            return;
        }
        dialog.setDefaultSuffix(picked->suffix);
        const QStringList named = dialog.selectedFiles();
        if (named.isEmpty()) {
            return;
        }
        const QFileInfo info(named.constFirst());
        for (const FileType& other : types) {
            if (info.suffix().compare(other.suffix, Qt::CaseInsensitive) == 0) {
                dialog.selectFile(info.completeBaseName() + QLatin1Char('.') + picked->suffix);
                break;
            }
        }
    });
    // An existing file is replaced only when the person says so (the dialog asks).
    dialog.selectFile(initialPath);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().constFirst();
}

} // namespace

QString QtPrompts::saveTextFile(QWidget* parent, const QString& initialPath) {
    return saveFile(parent, initialPath,
                    {{QStringLiteral("Text (*.txt)"), QStringLiteral("txt")},
                     {QStringLiteral("CSV (*.csv)"), QStringLiteral("csv")}});
}

QString QtPrompts::saveWorkbookFile(QWidget* parent, const QString& initialPath) {
    return saveFile(parent, initialPath, {{QStringLiteral("Excel Workbook (*.xlsx)"), QStringLiteral("xlsx")}});
}

} // namespace cvt
