#pragma once

#include <QDialog>

class QPlainTextEdit;

namespace cvt {

// The WHOIS details window: one read-only, resizable memo with the replies of the last details
// command, each under a heading naming what was asked.
// Created at program start and reused; it keeps its last text.
class TfrmWhoisInfo : public QDialog {
    Q_OBJECT
public:
    explicit TfrmWhoisInfo(QWidget* parent = nullptr);

    void setText(const QString& text);
    QString text() const;

    QPlainTextEdit* Memo1 = nullptr;
};

} // namespace cvt
