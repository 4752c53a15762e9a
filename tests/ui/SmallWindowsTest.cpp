#include "tests/ui/UiTestSupport.h"
#include "ui/ProgressBox.h"
#include "ui/TfrmAbout.h"
#include "ui/TfrmWhoisInfo.h"

#include <QFontInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <functional>
#include <gtest/gtest.h>
#include <stdexcept>
#include <thread>

namespace cvt::test {
namespace {

TEST(SmallWindows, DetailsWindowIsResizableWithUnwrappedFixedWidthText) {
    TfrmWhoisInfo info;
    EXPECT_EQ(info.windowTitle(), QStringLiteral("Whois"));
    EXPECT_EQ(info.minimumSize(), QSize(333, 305));
    EXPECT_TRUE(info.Memo1->isReadOnly());
    EXPECT_EQ(info.Memo1->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_TRUE(QFontInfo(info.Memo1->font()).fixedPitch());
    EXPECT_TRUE(info.Memo1->textInteractionFlags().testFlag(Qt::TextSelectableByKeyboard));
    info.show();
    info.resize(900, 700);
    ASSERT_TRUE(waitUntil([&] { return info.Memo1->width() > 800; }));
    EXPECT_GT(info.Memo1->height(), 600);
    // The separator line fits on one line.
    info.setText(QStringLiteral("======================================\n"));
    EXPECT_EQ(info.Memo1->document()->lineCount(), 2);
}

TEST(SmallWindows, AboutBoxShowsItsTitleAndParagraph) {
    TfrmAbout about;
    EXPECT_EQ(about.windowTitle(), QStringLiteral("关于..."));
    EXPECT_EQ(about.size(), QSize(322, 209));
    EXPECT_EQ(about.Image1->geometry(), QRect(16, 8, 49, 49));
    EXPECT_FALSE(about.Image1->pixmap().isNull());
    EXPECT_EQ(about.lblTitle->text(), QStringLiteral("欢迎使用Corvantide v1.2"));
    EXPECT_TRUE(about.lblTitle->font().bold());
    EXPECT_EQ(about.lblTitle->geometry(), QRect(96, 24, 193, 25));
    EXPECT_TRUE(about.lblText->text().startsWith(
        QStringLiteral("             欢迎使用Corvantide批量域名查询工具，此工具将极大地方便域名注册需求的用户。")));
    EXPECT_FALSE(about.lblText->text().startsWith(QStringLiteral("              "))); // exactly thirteen
    EXPECT_EQ(about.lblText->geometry(), QRect(32, 64, 273, 81));
    EXPECT_EQ(about.lblCredit1->pos(), QPoint(48, 144));
    EXPECT_EQ(about.lblCredit2->pos(), QPoint(48, 168));
    EXPECT_TRUE(about.lblCredit1->font().bold() && about.lblCredit2->font().bold());
    EXPECT_EQ(about.lblConfig, nullptr);

    TfrmAbout named(nullptr, QStringLiteral("/home/user/.config/corvantide/Config.ini"));
    ASSERT_NE(named.lblConfig, nullptr);
    EXPECT_EQ(named.lblConfig->text(), QStringLiteral("Config.ini: /home/user/.config/corvantide/Config.ini"));
    EXPECT_GE(named.height(), named.lblConfig->geometry().bottom());

    // In the English window the box speaks English.
    TfrmAbout english(nullptr, {}, "en");
    EXPECT_EQ(english.windowTitle(), QStringLiteral("About..."));
    for (const QLabel* label : {english.lblTitle, english.lblText, english.lblCredit1, english.lblCredit2}) {
        const QString text = label->text();
        EXPECT_TRUE(std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x2E80; }))
            << text.toStdString();
    }
}

TEST(SmallWindows, StopFirstBoxTellsItsCloseBoxFromItsButtons) {
    using Answer = Prompts::StopFirstAnswer;
    struct Case {
        const char* how;
        std::function<void(QMessageBox*)> dismiss;
        Answer answer;
    };
    const Case cases[] = {
        {"OK button", [](QMessageBox* box) { box->button(QMessageBox::Ok)->click(); }, Answer::Answered},
        {"Escape", [](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); }, Answer::Answered},
        {"close box", [](QMessageBox* box) { box->close(); }, Answer::CloseBox},
        {"Stop and quit",
         [](QMessageBox* box) { box->findChild<QPushButton*>(QStringLiteral("StopAndQuit"))->click(); },
         Answer::StopAndQuit},
    };
    for (const Case& c : cases) {
        QtPrompts prompts;
        QTimer poll;
        poll.setInterval(5);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                poll.stop();
                c.dismiss(box);
            }
        });
        poll.start();
        EXPECT_EQ(prompts.stopFirst(nullptr, QStringLiteral("Sorry,Please stop to search before exit!"),
                                    QStringLiteral("Stop and quit")),
                  c.answer)
            << c.how;
    }
}

TEST(ProgressBox, HandsBackTheJobsFailureOnTheCallingThread) {
    ProgressBox box(nullptr, QStringLiteral("t"), QStringLiteral("working"), [] {});
    EXPECT_THROW(box.run([] { throw std::runtime_error("failed"); }), std::runtime_error);
    int value = 0;
    ProgressBox second(nullptr, QStringLiteral("t"), QStringLiteral("working"), [] {});
    second.run([&] { value = 42; });
    EXPECT_EQ(value, 42);
    EXPECT_FALSE(second.cancelRequested());
}

TEST(ProgressBox, EscapeAsksTheJobToStopAndWaitsForIt) {
    std::atomic<bool> stop{false};
    std::atomic<int> cancels{0};
    ProgressBox box(nullptr, QStringLiteral("t"), QStringLiteral("working"), [&] {
        ++cancels;
        stop = true;
    });
    QTimer::singleShot(10, &box, [&] {
        box.reject(); // Escape or the close box
        box.reject();
    });
    box.run([&] {
        while (!stop) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    EXPECT_TRUE(box.cancelRequested());
    EXPECT_EQ(cancels, 1);
}

} // namespace
} // namespace cvt::test

CVT_QT_TEST_MAIN()
