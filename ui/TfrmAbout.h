#pragma once

#include <QDialog>
#include <string>

class QLabel;

namespace cvt {

// The about box, made afresh each time it is asked for, in the window's language. Given the path
// of the Config.ini in use, it names that file at the bottom.
class TfrmAbout : public QDialog {
    Q_OBJECT
public:
    explicit TfrmAbout(QWidget* parent = nullptr, const QString& configPath = {},
                       const std::string& languageCode = "zh-cn");

    QLabel* Image1 = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblText = nullptr;
    QLabel* lblCredit1 = nullptr;
    QLabel* lblCredit2 = nullptr;
    QLabel* lblConfig = nullptr; // only with a configPath
};

} // namespace cvt
