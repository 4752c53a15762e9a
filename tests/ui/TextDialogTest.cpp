#include "tests/support/FakeHttpServer.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/ProgressBox.h"
#include "ui/TfrmText.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <gtest/gtest.h>
#include <stdexcept>
#include <thread>

namespace cvt::test {
namespace {

std::vector<std::string> names(const NameList& list) {
    return list.toVector();
}

class TextDialog : public ::testing::Test {
protected:
    FakePrompts prompts;
    TfrmText dialog{prompts};
};

TEST_F(TextDialog, ControlsSitWhereTheyBelong) {
    EXPECT_EQ(dialog.size(), QSize(464, 418));
    struct Place {
        const char* name;
        QRect geometry;
    };
    const Place places[] = {
        {"txtMsg", {8, 0, 449, 25}},           {"PageControl1", {8, 32, 441, 305}},
        {"edtUrl", {48, 244, 170, 21}},        {"chkVisibleText", {224, 246, 124, 17}},
        {"Button1", {352, 242, 75, 25}},       {"dictSelect", {16, 56, 353, 113}},
        {"edtStart", {40, 348, 49, 21}},       {"edtEnd", {128, 348, 57, 21}},
        {"edtMinCharNum", {288, 348, 41, 21}}, {"edtMaxCharNum", {408, 348, 41, 21}},
        {"Button2", {279, 384, 75, 25}},       {"Button3", {367, 384, 75, 25}},
        {"Label2", {0, 352, 41, 17}},          {"Label4", {200, 352, 89, 17}},
    };
    for (const Place& place : places) {
        auto* widget = dialog.findChild<QWidget*>(QString::fromLatin1(place.name));
        ASSERT_NE(widget, nullptr) << place.name;
        EXPECT_EQ(widget->geometry(), place.geometry) << place.name;
    }
    EXPECT_EQ(dialog.Memo1->toPlainText(), QStringLiteral("abend\nabide\nability\nable"));
    EXPECT_EQ(dialog.Memo2->toPlainText(), QStringLiteral("梦境\n萝卜\n东方"));
    EXPECT_EQ(dialog.edtUrl->text(), QStringLiteral("http://"));
    EXPECT_EQ(dialog.edtMinCharNum->text(), QStringLiteral("4"));
    EXPECT_EQ(dialog.edtMaxCharNum->text(), QStringLiteral("8"));
    EXPECT_TRUE(dialog.dictSelectItem0->isChecked());
    EXPECT_FALSE(dialog.Button2->isDefault() || dialog.Button2->autoDefault());
    EXPECT_FALSE(dialog.Button3->isDefault() || dialog.Button3->autoDefault());
}

TEST_F(TextDialog, CaptionsAndHintsFollowTheLanguage) {
    struct Case {
        std::string code;
        std::vector<QString> expected;
    };
    const Case cases[] = {
        {"zh-cn",
         {QStringLiteral("设置文本内容"), QStringLiteral("英文"), QStringLiteral("中文"), QStringLiteral("字典"),
          QStringLiteral("网址："), QStringLiteral("抓取"), QStringLiteral("前缀"), QStringLiteral("后缀"),
          QStringLiteral("最少字母数"), QStringLiteral("最多字母数"), QStringLiteral("确定"), QStringLiteral("取消"),
          QStringLiteral("从指定网页上搜索单词或粘贴文本（每行一个单词）"), QStringLiteral("选择字典"),
          QStringLiteral("简体中文字典"), QStringLiteral("英文词典"), QStringLiteral("逐字注音")}},
        {"en",
         {QStringLiteral("Fetch words from text"), QStringLiteral("English"), QStringLiteral("Chinese"),
          QStringLiteral("Dictionary"), QStringLiteral("Url:"), QStringLiteral("Fetch"), QStringLiteral("Prefix"),
          QStringLiteral("Postfix"), QStringLiteral("Min Letters"), QStringLiteral("Max Letters"), QStringLiteral("Ok"),
          QStringLiteral("Cancel"),
          QStringLiteral("Fetch words from a specified page or paste the text (one word per line)!"),
          QStringLiteral("Select Dictionary"), QStringLiteral("Simplified-Chinese Dictionary"),
          QStringLiteral("English Dictionary"), QStringLiteral("Read by character")}},
    };
    dialog.dictSelectItem1->setChecked(true);
    for (const Case& c : cases) {
        dialog.PageControl1->setCurrentIndex(2); // the English page's hint is set whatever page shows
        dialog.SetLanguage(c.code);
        const std::vector<QString> shown = {
            dialog.windowTitle(),
            dialog.PageControl1->tabText(0),
            dialog.PageControl1->tabText(1),
            dialog.PageControl1->tabText(2),
            dialog.Label1->text(),
            dialog.Button1->text(),
            dialog.Label2->text(),
            dialog.Label3->text(),
            dialog.Label4->text(),
            dialog.Label5->text(),
            dialog.Button2->text(),
            dialog.Button3->text(),
            dialog.txtMsg->text(),
            dialog.dictSelect->title(),
            dialog.dictSelectItem0->text(),
            dialog.dictSelectItem1->text(),
            dialog.chkByCharacter->text(),
        };
        EXPECT_EQ(shown, c.expected) << c.code;
        EXPECT_TRUE(dialog.dictSelectItem1->isChecked());
    }
    const std::pair<int, QString> hints[] = {
        {1, QStringLiteral("Paste Simplified-Chinese phrases (one phrase per line)")},
        {2, QStringLiteral("Select one dictionary")},
        {0, QStringLiteral("Fetch words from a specified page or paste the text (one word per line)!")},
    };
    for (const auto& [page, hint] : hints) {
        dialog.PageControl1->setCurrentIndex(page);
        EXPECT_EQ(dialog.txtMsg->text(), hint) << page;
    }
}

TEST_F(TextDialog, FieldsTakeOnlyTheirCharacters) {
    struct Case {
        QLineEdit* field;
        QString typed;
        QString kept;
    };
    const Case cases[] = {
        {dialog.edtStart, QStringLiteral("my-1 .x_[中"), QStringLiteral("my-1x")},
        {dialog.edtEnd, QStringLiteral("Hub 2"), QStringLiteral("Hub2")},
        {dialog.edtMinCharNum, QStringLiteral("1a-2 3"), QStringLiteral("123")},
        {dialog.edtMaxCharNum, QStringLiteral("x9"), QStringLiteral("9")},
    };
    for (const Case& c : cases) {
        c.field->clear();
        typeText(c.field, c.typed);
        EXPECT_EQ(c.field->text(), c.kept) << c.field->objectName().toStdString();
    }
}

// Tab walks the four fields in order, Escape closes the dialog from any of them, and pasted text
// keeps only each field's characters.
TEST_F(TextDialog, FieldsKeepTabEscapeAndFilterPastes) {
    dialog.show();
    QLineEdit* fields[] = {dialog.edtStart, dialog.edtEnd, dialog.edtMinCharNum, dialog.edtMaxCharNum};
    fields[0]->setFocus();
    for (std::size_t i = 0; i + 1 < std::size(fields); ++i) {
        ASSERT_TRUE(waitUntil([&] { return fields[i]->hasFocus(); })) << i;
        QTest::keyClick(fields[i], Qt::Key_Tab);
        EXPECT_TRUE(fields[i + 1]->hasFocus()) << "Tab from field " << i;
    }
    QTest::keyClick(fields[3], Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_TRUE(fields[2]->hasFocus()) << "Shift+Tab";

    const std::pair<QLineEdit*, QString> pastes[] = {
        {dialog.edtStart, QStringLiteral("my-1x")},
        {dialog.edtEnd, QStringLiteral("my-1x")},
        {dialog.edtMinCharNum, QStringLiteral("1")},
        {dialog.edtMaxCharNum, QStringLiteral("1")},
    };
    for (const auto& [field, kept] : pastes) {
        QApplication::clipboard()->setText(QStringLiteral("my-1 .x_[中"));
        field->clear();
        QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(field->text(), kept) << field->objectName().toStdString();
    }

    QTest::keyClick(dialog.edtMinCharNum, Qt::Key_Escape);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(dialog.isVisible()) << "Escape closes the dialog";
}

TEST_F(TextDialog, OkBuildsTheWordListOfTheActivePage) {
    dialog.Button2->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(names(dialog.WordList), (std::vector<std::string>{"abend", "abide", "ability", "able"}));

    dialog.PageControl1->setCurrentIndex(1);
    dialog.Button2->click();
    EXPECT_EQ(names(dialog.WordList), (std::vector<std::string>{"DONGFANG", "LUOBO", "MENGJING"}));

    dialog.PageControl1->setCurrentIndex(0);
    // Every field reaches the builder: the memo, both affixes and both limits.
    dialog.Memo1->setPlainText(QStringLiteral("able\nabend"));
    dialog.edtStart->setText(QStringLiteral("my"));
    dialog.edtEnd->setText(QStringLiteral("hub"));
    dialog.edtMinCharNum->setText(QStringLiteral("4"));
    dialog.edtMaxCharNum->setText(QStringLiteral("4"));
    dialog.Button2->click();
    EXPECT_EQ(names(dialog.WordList), (std::vector<std::string>{"myablehub"}));
    EXPECT_TRUE(prompts.errors.empty());
}

TEST_F(TextDialog, OkSaysWhichWordsTheLimitsAndRulesLeftOut) {
    struct Case {
        std::string lang;
        int page;
        const char* memo;
        const char* notice; // nullptr: every word made it
    };
    const Case cases[] = {
        {"en", 0, "able\nabend\n\n", nullptr},
        {"en", 1, "重庆\n东方",
         "Some words were left out of the list. Outside the letter limits 4 to 8: 1 (e.g. CHONGQING, 9 letters)."},
        {"en", 0, "ab\nabend\nnew york\nabc",
         "Some words were left out of the list. Outside the letter limits 4 to 8: 2 (e.g. ab, 2 letters). Holding a "
         "space: 1 (e.g. \"new york\")."},
        {"zh-cn", 1, "重庆", "部分单词未列入域名列表。超出字母数限制 4–8：1 个（如 CHONGQING，9 个字母）。"},
    };
    for (const Case& c : cases) {
        prompts.informations.clear();
        dialog.SetLanguage(c.lang);
        dialog.PageControl1->setCurrentIndex(c.page);
        (c.page == 0 ? dialog.Memo1 : dialog.Memo2)->setPlainText(QString::fromUtf8(c.memo));
        dialog.Button2->click();
        if (c.notice == nullptr) {
            EXPECT_TRUE(prompts.informations.empty()) << c.memo;
        } else {
            ASSERT_EQ(prompts.informations.size(), 1u) << c.memo;
            EXPECT_EQ(prompts.informations.front(), QString::fromUtf8(c.notice)) << c.memo;
        }
    }
    // The dialog grows: the memo takes the room, the buttons keep to the corner.
    dialog.show();
    dialog.PageControl1->setCurrentIndex(0);
    dialog.resize(700, 600);
    QCoreApplication::processEvents();
    EXPECT_EQ(dialog.size(), QSize(700, 600));
    EXPECT_EQ(dialog.Button3->geometry().bottomRight(), QPoint(367 + 236 + 74, 384 + 182 + 24));
    EXPECT_EQ(dialog.Memo1->height(), 233 + 182);
    EXPECT_EQ(dialog.edtUrl->y(), 244 + 182);
    // The fields' labels share the width gained: each caption has room, none overlaps its field.
    for (const auto& [label, edit] :
         {std::pair{dialog.Label2, dialog.edtStart}, std::pair{dialog.Label3, dialog.edtEnd},
          std::pair{dialog.Label4, dialog.edtMinCharNum}, std::pair{dialog.Label5, dialog.edtMaxCharNum}}) {
        EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text()))
            << label->objectName().toStdString();
        EXPECT_LE(label->geometry().right(), edit->x()) << label->objectName().toStdString();
    }
    // The hint of the Chinese page speaks of phrases.
    dialog.SetLanguage("en");
    dialog.PageControl1->setCurrentIndex(1);
    EXPECT_FALSE(dialog.txtMsg->text().contains(QStringLiteral("one words")));
}

TEST_F(TextDialog, ChinesePageReadsWordsUnlessReadByCharacterIsTicked) {
    dialog.show();
    dialog.PageControl1->setCurrentIndex(1);
    EXPECT_TRUE(dialog.chkByCharacter->isVisible());
    EXPECT_FALSE(dialog.chkByCharacter->isChecked());
    EXPECT_LE(dialog.Memo2->geometry().bottom(), dialog.chkByCharacter->geometry().top());
    dialog.Memo2->setPlainText(QStringLiteral("重庆\n音乐\n长城\n会计\n重新\n长大\n银行\n行长\n快乐"));
    dialog.edtMaxCharNum->setText(QStringLiteral("10"));
    const std::pair<bool, std::vector<std::string>> cases[] = {
        {false,
         {"CHANGCHENG", "CHONGQING", "CHONGXIN", "HANGZHANG", "KUAIJI", "KUAILE", "YINHANG", "YINYUE", "ZHANGDA"}},
        {true, {"HANGZHANG", "HUIJI", "KUAILE", "YINHANG", "YINLE", "ZHANGCHENG", "ZHANGDA", "ZHONGQING", "ZHONGXIN"}},
    };
    for (const auto& [ticked, expected] : cases) {
        if (ticked) {
            dialog.chkByCharacter->click();
        }
        EXPECT_EQ(dialog.chkByCharacter->isChecked(), ticked);
        dialog.Button2->click();
        EXPECT_EQ(names(dialog.WordList), expected) << ticked;
    }
    EXPECT_TRUE(prompts.errors.empty());
}

TEST_F(TextDialog, ChinesePageTurnsPhrasesIntoWhatItsListSays) {
    dialog.show();
    dialog.PageControl1->setCurrentIndex(1);
    ASSERT_TRUE(dialog.cmbChineseAs->isVisible());
    EXPECT_EQ(dialog.cmbChineseAs->currentIndex(), 0) << "pinyin unless chosen otherwise";
    EXPECT_FALSE(dialog.cmbChineseAs->geometry().intersects(dialog.chkByCharacter->geometry()));
    dialog.Memo2->setPlainText(QStringLiteral("重庆\n音乐"));
    dialog.edtMaxCharNum->setText(QStringLiteral("10"));
    const std::vector<std::string> expected[] = {
        {"CHONGQING", "YINYUE"}, {"重庆", "音乐"}, {"CHONGQING", "YINYUE", "重庆", "音乐"}};
    for (int choice = 0; choice < 3; ++choice) {
        dialog.cmbChineseAs->setCurrentIndex(choice);
        dialog.Button2->click();
        EXPECT_EQ(names(dialog.WordList), expected[choice]) << dialog.cmbChineseAs->currentText().toStdString();
    }
}

TEST_F(TextDialog, AnInvalidLimitOrCancelClosesWithNoNames) {
    // An invalid limit shows its message, yet the dialog closes as accepted.
    dialog.WordList.push_back("old");
    dialog.edtMinCharNum->clear();
    dialog.Button2->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(dialog.WordList.empty());
    ASSERT_EQ(prompts.errors.size(), 1u);
    EXPECT_EQ(prompts.errors.front(), QStringLiteral("'' is not a valid integer value"));

    dialog.WordList.push_back("old");
    dialog.Button3->click();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_TRUE(dialog.WordList.empty());
}

TEST_F(TextDialog, FetchReplacesTheMemoOnlyWithAPage) {
    std::string asked;
    dialog.edtUrl->setText(QStringLiteral("  http://127.0.0.1/page \t"));
    dialog.setPageSource({[&](const std::string& address) {
                              asked = address;
                              return std::string("<p>Green tea, green TEA</p>");
                          },
                          [] {},
                          {}});
    // Visible text (ticked at first) leaves the markup out; unticked, the raw source counts.
    ASSERT_TRUE(dialog.chkVisibleText->isChecked());
    dialog.Button1->click();
    EXPECT_EQ(asked, "http://127.0.0.1/page");
    EXPECT_EQ(dialog.Memo1->toPlainText(), QStringLiteral("Green\ntea"));
    EXPECT_EQ(dialog.Memo2->toPlainText(), QStringLiteral("梦境\n萝卜\n东方")) << "no Chinese on the page";
    dialog.chkVisibleText->setChecked(false);
    dialog.Button1->click();
    EXPECT_EQ(dialog.Memo1->toPlainText(), QStringLiteral("Green\np\ntea"));

    dialog.chkVisibleText->setChecked(true);
    dialog.setPageSource({[](const std::string&) {
                              return FetchedPage("<title>\xB2\xE8</title><p>tea &amp; \xC2\xCC\xB2\xE8</p>",
                                                 "text/html; charset=gb2312");
                          },
                          [] {},
                          {}});
    dialog.Button1->click();
    EXPECT_EQ(dialog.Memo1->toPlainText(), QStringLiteral("tea"));
    EXPECT_EQ(dialog.Memo2->toPlainText(), QStringLiteral("茶\n绿茶"));

    dialog.setPageSource(
        {[](const std::string&) -> std::string { throw std::runtime_error("Socket Error # 10061"); }, [] {}, {}});
    dialog.Button1->click();
    ASSERT_EQ(prompts.errors.size(), 1u);
    EXPECT_EQ(prompts.errors.front(), QStringLiteral("Socket Error # 10061"));
    EXPECT_EQ(dialog.Memo1->toPlainText(), QStringLiteral("tea"));
}

// The dialog's own client, as Fetch uses it, is set up like every page fetch (the User-Agent shows
// it).
TEST_F(TextDialog, FetchUsesTheSharedClientSetUp) {
    FakeHttpServer server({FakeHttpServer::respond("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n<p>tea</p>")});
    dialog.edtUrl->setText(QString::fromStdString(server.url("/")));
    dialog.Button1->click();
    EXPECT_TRUE(prompts.errors.empty());
    EXPECT_TRUE(dialog.Memo1->toPlainText().contains(QStringLiteral("tea")))
        << dialog.Memo1->toPlainText().toStdString();
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_NE(server.requests()[0].find("\r\nUser-Agent: Mozilla/4.0 (compatible;MSIE 6.0; Windows98;Maxthon)\r\n"),
              std::string::npos)
        << server.requests()[0];
}

TEST_F(TextDialog, CancellingAFetchBreaksItOffAndKeepsTheMemo) {
    std::atomic<bool> cancelled{false};
    dialog.setPageSource({[&](const std::string&) -> std::string {
                              while (!cancelled) {
                                  std::this_thread::sleep_for(std::chrono::milliseconds(1));
                              }
                              throw std::runtime_error("Operation cancelled");
                          },
                          [&] { cancelled = true; },
                          {}});
    // Press Cancel in the progress box once it shows; the dialog keeps painting meanwhile.
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* box = dialog.findChild<ProgressBox*>(); box != nullptr && box->isVisible()) {
            box->findChild<QPushButton*>(QStringLiteral("btnCancel"))->click();
        }
    });
    poll.start();
    dialog.Button1->click();
    EXPECT_TRUE(cancelled);
    EXPECT_TRUE(prompts.errors.empty());
    EXPECT_EQ(dialog.Memo1->toPlainText(), QStringLiteral("abend\nabide\nability\nable"));
}

} // namespace
} // namespace cvt::test

CVT_QT_TEST_MAIN()
