#include "ui/TfrmWhoisInfo.h"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace cvt {

TfrmWhoisInfo::TfrmWhoisInfo(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmWhoisInfo"));
    setWindowTitle(QStringLiteral("Whois"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMaximizeButtonHint);
    setSizeGripEnabled(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    // Replies are laid out in columns by their servers: a fixed-width font, lines never wrapped.
    Memo1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    layout->addWidget(Memo1);
    setMinimumSize(333, 305);
    // Wide enough for the separator line and the usual 72-column replies.
    const int columns = Memo1->fontMetrics().horizontalAdvance(QLatin1Char('M')) * 80;
    resize(std::max(640, columns + 40), 480);
}

void TfrmWhoisInfo::setText(const QString& text) {
    Memo1->setPlainText(text);
}

QString TfrmWhoisInfo::text() const {
    return Memo1->toPlainText();
}

} // namespace cvt
