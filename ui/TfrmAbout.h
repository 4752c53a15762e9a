#pragma once

#include <QDialog>

class QLabel;

namespace cvt {

// The about box, made afresh each time it is asked for. Its texts are the same in both languages.
class TfrmAbout : public QDialog {
    Q_OBJECT
public:
    explicit TfrmAbout(QWidget* parent = nullptr);

    QLabel* Image1 = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblText = nullptr;
    QLabel* lblCredit1 = nullptr;
    QLabel* lblCredit2 = nullptr;
};

} // namespace cvt
