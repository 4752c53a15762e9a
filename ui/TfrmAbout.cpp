#include "ui/TfrmAbout.h"

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

TfrmAbout::TfrmAbout(QWidget* parent, const QString& configPath) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("关于..."));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    constexpr int kConfigHeight = 40;
    setFixedSize(322, configPath.isEmpty() ? 209 : 209 + kConfigHeight);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(16, 8, 49, 49);
    Image1->setPixmap(aboutPicture());

    lblTitle = boldLabel(QStringLiteral("欢迎使用Corvantide v1.2"), this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    lblTitle->setGeometry(96, 24, 193, 25);
    lblTitle->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    lblText = new QLabel(
        QStringLiteral("             欢迎使用Corvantide批量域名查询工具，此工具将极大地方便域名注册需求的用户。"
                       "感谢您选用本工具，祝您早日找到称心如意的域名！"),
        this);
    lblText->setObjectName(QStringLiteral("lblText"));
    lblText->setGeometry(32, 64, 273, 81);
    lblText->setWordWrap(true);
    lblText->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    lblCredit1 = boldLabel(QStringLiteral("设计与编程：Corvantide 开发组"), this);
    lblCredit1->setObjectName(QStringLiteral("lblCredit1"));
    lblCredit1->move(48, 144);
    lblCredit1->adjustSize();

    lblCredit2 = boldLabel(QStringLiteral("测试与建议：Corvantide 的每一位用户"), this);
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
