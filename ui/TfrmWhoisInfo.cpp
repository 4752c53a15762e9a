#include "ui/TfrmWhoisInfo.h"

#include <QPlainTextEdit>

namespace cvt {

TfrmWhoisInfo::TfrmWhoisInfo(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmWhoisInfo"));
    setWindowTitle(QStringLiteral("Whois"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(333, 305);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setGeometry(8, 8, 313, 289);
    Memo1->setReadOnly(true);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
}

void TfrmWhoisInfo::setText(const QString& text) {
    Memo1->setPlainText(text);
}

QString TfrmWhoisInfo::text() const {
    return Memo1->toPlainText();
}

} // namespace cvt
