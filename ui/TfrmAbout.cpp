#include "ui/TfrmAbout.h"

#include "ui/UiText.h"

#include <QLabel>
#include <QPainter>
#include <QPixmap>

namespace cvt {

namespace {

// A globe with a magnifying glass: the program looks names up across the registries.
QPixmap aboutPicture() {
    QPixmap picture(49, 49);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(30, 80, 160), 2));
    painter.setBrush(QColor(150, 200, 250));
    painter.drawEllipse(QRectF(3, 3, 34, 34));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QRectF(12, 3, 16, 34));
    painter.drawLine(QPointF(3, 20), QPointF(37, 20));
    painter.drawLine(QPointF(6, 11), QPointF(34, 11));
    painter.drawLine(QPointF(6, 29), QPointF(34, 29));
    painter.setPen(QPen(QColor(90, 60, 30), 5, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(34, 34), QPointF(45, 45));
    return picture;
}

QLabel* boldLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

} // namespace

TfrmAbout::TfrmAbout(QWidget* parent, const QString& configPath, const std::string& languageCode) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(uiText(Msg::AboutCaption, languageCode));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    constexpr int kConfigHeight = 40;
    setFixedSize(322, configPath.isEmpty() ? 209 : 209 + kConfigHeight);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(16, 8, 49, 49);
    Image1->setPixmap(aboutPicture());

    lblTitle = boldLabel(uiText(Msg::AboutTitle, languageCode), this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    lblTitle->setGeometry(96, 24, 193, 25);
    lblTitle->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    lblText = new QLabel(uiText(Msg::AboutText, languageCode), this);
    lblText->setObjectName(QStringLiteral("lblText"));
    lblText->setGeometry(32, 64, 273, 81);
    lblText->setWordWrap(true);
    lblText->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    lblCredit1 = boldLabel(uiText(Msg::AboutCredit1, languageCode), this);
    lblCredit1->setObjectName(QStringLiteral("lblCredit1"));
    lblCredit1->move(48, 144);
    lblCredit1->adjustSize();

    lblCredit2 = boldLabel(uiText(Msg::AboutCredit2, languageCode), this);
    lblCredit2->setObjectName(QStringLiteral("lblCredit2"));
    lblCredit2->move(48, 168);
    lblCredit2->adjustSize();

    if (!configPath.isEmpty()) {
        lblConfig = new QLabel(QStringLiteral("Config.ini: ") + configPath, this);
        lblConfig->setObjectName(QStringLiteral("lblConfig"));
        lblConfig->setGeometry(16, 200, 290, kConfigHeight);
        lblConfig->setWordWrap(true);
        lblConfig->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        lblConfig->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
}

} // namespace cvt
