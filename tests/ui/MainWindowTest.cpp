#include "core/Messages.h"
#include "tests/support/FakeDnsServer.h"
#include "tests/support/FakeWhoisServer.h"
#include "tests/ui/WindowHarness.h"
#include "ui/BusyAnimation.h"
#include "ui/RunStatusBar.h"
#include "ui/ServerTableModel.h"
#include "ui/UiText.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QWindow>
#include <atomic>
#include <gtest/gtest.h>

namespace cvt::test {
namespace {

// Names starting with "a" are free everywhere, all others registered.
FakeWhoisScript freeWhenStartingWithA() {
    return FakeWhoisServer::answer([](std::string_view query) {
        return query.starts_with("a") ? "No match for \"" + std::string(query) + "\".\r\n"
                                      : "Domain Name: " + std::string(query) + "\r\n";
    });
}

std::vector<std::string> fourSuffixes(const FakeWhoisServer& server) {
    return suffixLines(server.hostField(), {"com", "net", "org", "cn"});
}

TEST(MainWindow, ControlsSitWhereTheyBelongAndGrowWithTheWindow) {
    WindowHarness w(std::nullopt);
    w.main->show();
    struct Place {
        const char* name;
        QRect initial;
        QRect grown; // with the client area at 900 x 700
    };
    const Place places[] = {
        {"lvWhois", {8, 8, 233, 473}, {8, 8, 233, 687}},       {"rg1", {248, 8, 337, 41}, {248, 8, 636, 41}},
        {"edtDomain", {256, 59, 153, 21}, {256, 59, 452, 21}}, {"Animate1", {428, 62, 16, 16}, {727, 62, 16, 16}},
        {"btnSearch", {448, 59, 57, 22}, {747, 59, 57, 22}},   {"btnStop", {520, 59, 57, 22}, {819, 59, 57, 22}},
    };
    QWidget* client = w.main->centralWidget();
    EXPECT_EQ(client->size(), QSize(601, 486));
    const auto check = [&](bool grown) {
        for (const Place& place : places) {
            auto* widget = w.main->findChild<QWidget*>(QString::fromLatin1(place.name));
            ASSERT_NE(widget, nullptr) << place.name;
            EXPECT_EQ(widget->geometry(), grown ? place.grown : place.initial) << place.name << " grown " << grown;
        }
        // The filter row stands where the result table began; the table fills the rest.
        EXPECT_EQ(w.main->cbFilter->geometry().topLeft(), QPoint(248, 96));
        const QRect table = w.main->lvDomain->geometry();
        EXPECT_EQ(table.left(), 248);
        EXPECT_EQ(table.right(), client->width() - 17);
        EXPECT_EQ(table.bottom(), client->height() - 6);
        EXPECT_EQ(w.main->edtFilter->geometry().right(), table.right());
    };
    check(false);
    const QSize frame = w.main->size() - client->size();
    w.main->resize(QSize(900, 700) + frame);
    ASSERT_TRUE(waitUntil([&] { return client->size() == QSize(900, 700); }));
    check(true);
    // Never smaller than the first layout.
    w.main->resize(QSize(300, 200));
    QCoreApplication::processEvents();
    EXPECT_EQ(client->size(), QSize(601, 486));

    // The mode buttons keep their places; they are at least as wide as laid out.
    EXPECT_EQ(w.main->raRandom->pos(), QPoint(32, 16));
    EXPECT_EQ(w.main->raText->pos(), QPoint(184, 16));
    EXPECT_GE(w.main->raRandom->width(), 113);
    EXPECT_TRUE(w.main->btnSearch->isDefault());
    auto* progress = w.main->findChild<QLabel*>(QStringLiteral("StatusPanel1"));
    ASSERT_NE(progress, nullptr);
    EXPECT_GE(progress->width(), progress->fontMetrics().horizontalAdvance(QStringLiteral("16777216/16777216")));
    EXPECT_EQ(w.main->lvDomain->columnWidth(0), 120);
    // Idle before the first run.
    EXPECT_FALSE(w.main->btnSearch->isEnabled());
    EXPECT_FALSE(w.main->btnStop->isEnabled());
    EXPECT_TRUE(w.main->Animate1->isHidden());
    EXPECT_TRUE(w.main->raRandom->isChecked());
    EXPECT_TRUE(w.main->Setting1->menuAction()->isVisible());
    EXPECT_EQ(w.main->statusText(0), QStringLiteral("Welcome!"));
    EXPECT_EQ(w.main->windowTitle(), QStringLiteral("Corvantide v1.2"));
}

TEST(MainWindow, CaptionsFollowTheLanguageCodeExactly) {
    struct Case {
        std::string code;
        bool chinese;
    };
    const Case cases[] = {{"zh-cn", true}, {"en", false}, {"EN", false}, {"ZH-CN", false}, {"", false}};
    for (const Case& c : cases) {
        WindowHarness w(configText(c.code, {}));
        const std::string lang = c.chinese ? "zh-cn" : "en";
        auto* m = w.main.get();
        const std::pair<QString, Msg> captions[] = {
            {m->rg1->title(), Msg::SearchMethod},
            {m->raRandom->text(), Msg::RandomQueries},
            {m->raText->text(), Msg::GetWordsFromText},
            {m->btnSearch->text(), Msg::Search},
            {m->btnStop->text(), Msg::Stop},
            {m->resultModel().headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), Msg::DomainNameColumn},
            {m->serverModel().headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), Msg::ExtensionsColumn},
            {m->serverModel().headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), Msg::WhoisServerColumn},
            {m->exportExcel->text(), Msg::ExportToExcel},
            {m->ExporttoText1->text(), Msg::ExportToText},
            {m->N1->text(), Msg::ClearRegistered},
            {m->N2->text(), Msg::ForceSearchFailed},
            {m->Whois1->text(), Msg::BrowseWhoisDetails},
            {m->N3->text(), Msg::ClearAllRecords},
            {m->Setting1->title(), Msg::SettingMenu},
            {m->Language1->title(), Msg::LanguageMenu},
            {m->Chinese1->text(), Msg::ChineseItem},
            {m->English1->text(), Msg::EnglishItem},
            {m->Help1->title(), Msg::HelpMenu},
            {m->About1->text(), Msg::AboutItem},
        };
        for (const auto& [shown, id] : captions) {
            EXPECT_EQ(shown, QString::fromUtf8(message(id, lang))) << "code '" << c.code << "'";
        }
        EXPECT_EQ(m->Chinese1->isChecked(), c.chinese) << c.code;
        EXPECT_EQ(m->English1->isChecked(), !c.chinese) << c.code;
        EXPECT_EQ(m->windowTitle(), QStringLiteral("Corvantide v1.2"));
    }
}

TEST(MainWindow, PatternBoxTakesOnlyPatternCharactersAndEnablesSearch) {
    WindowHarness w(std::nullopt);
    struct Case {
        QString typed;
        QString kept;
    };
    const Case cases[] = {
        {QStringLiteral("[a-z]phone"), QStringLiteral("[a-z]phone")},
        {QStringLiteral("a.b_c"), QStringLiteral("abc")},
        {QStringLiteral("中x文"), QStringLiteral("x")},
        {QStringLiteral("A 9-]"), QStringLiteral("A 9-]")},
        {QStringLiteral("a/b\\c;d"), QStringLiteral("abcd")},
    };
    for (const Case& c : cases) {
        w.main->edtDomain->clear();
        typeText(w.main->edtDomain, c.typed);
        EXPECT_EQ(w.main->edtDomain->text(), c.kept) << c.typed.toStdString();
    }
    // Backspace is a typed character too and still works.
    w.main->edtDomain->setText(QStringLiteral("ab"));
    w.main->edtDomain->end(false);
    QTest::keyClick(w.main->edtDomain, Qt::Key_Backspace);
    EXPECT_EQ(w.main->edtDomain->text(), QStringLiteral("a"));
    // Inserted and pasted text loses the refused characters too.
    w.main->edtDomain->clear();
    w.main->edtDomain->insert(QStringLiteral("x.y_z"));
    EXPECT_EQ(w.main->edtDomain->text(), QStringLiteral("xyz"));
    // Search is enabled only by text other than blanks.
    const std::pair<QString, bool> enabling[] = {{QStringLiteral("   "), false},
                                                 {QStringLiteral("a"), true},
                                                 {QString(), false},
                                                 {QStringLiteral(" [a] "), true}};
    for (const auto& [text, enabled] : enabling) {
        w.main->edtDomain->setText(text);
        EXPECT_EQ(w.main->btnSearch->isEnabled(), enabled) << text.toStdString();
    }
}

// The character filter leaves keys alone: editing shortcuts work, Tab leaves the box, and a paste
// keeps only the characters the box takes.
TEST(MainWindow, PatternBoxKeepsEditingKeysAndFiltersPastes) {
    WindowHarness w(std::nullopt);
    w.main->show();
    QLineEdit* box = w.main->edtDomain;
    box->setFocus();
    box->setText(QStringLiteral("ab-c"));
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(box->selectedText(), QStringLiteral("ab-c")) << "Ctrl+A";
    QTest::keyClick(box, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(box->text(), QString()) << "Ctrl+X";
    QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(box->text(), QStringLiteral("ab-c")) << "Ctrl+Z";
    QApplication::clipboard()->setText(QStringLiteral("x.y_z \"q\"\r\n[1]"));
    box->clear();
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(box->text(), QStringLiteral("xyz q[1]")) << "Ctrl+V";
    box->setCursorPosition(1);
    box->paste();
    EXPECT_EQ(box->text(), QStringLiteral("xxyz q[1]yz q[1]")) << "a paste in the middle";
    EXPECT_EQ(box->cursorPosition(), 9) << "the cursor stays behind the pasted characters";

    ASSERT_TRUE(waitUntil([&] { return box->hasFocus(); }));
    QTest::keyClick(box, Qt::Key_Tab);
    EXPECT_FALSE(box->hasFocus()) << "Tab leaves the pattern box";
}

// Alt+S opens the settings menu; Escape gives the keys back to the focused field.
TEST(MainWindow, AltSOpensTheSettingsMenuAndEscapeGivesTheKeysBack) {
    WindowHarness w(std::nullopt);
    w.main->show();
    QWindow* window = w.main->windowHandle();
    ASSERT_NE(window, nullptr);
    QApplication::setActiveWindow(w.main.get());
    w.main->edtDomain->setFocus();
    ASSERT_TRUE(waitUntil([&] { return w.main->edtDomain->hasFocus(); }));
    w.main->edtDomain->clear();
    // Through the window system, as a real key stroke arrives.
    QTest::keyClick(window, Qt::Key_S, Qt::AltModifier);
    ASSERT_TRUE(waitUntil([&] { return w.main->Setting1->isVisible(); }, 5000));
    QTest::keyClick(w.main->Setting1, Qt::Key_Escape);
    QTest::keyClick(window, Qt::Key_Escape);
    ASSERT_TRUE(waitUntil([&] { return !w.main->Setting1->isVisible(); }, 5000));
    QTest::keyClick(window, 'a');
    QTest::keyClick(window, 'b');
    EXPECT_EQ(QWidget::keyboardGrabber(), nullptr);
    EXPECT_EQ(w.main->edtDomain->text(), QStringLiteral("ab"));
}

TEST(MainWindow, EnterRunsAPatternSearchThatFillsRowsAndMarks) {
    FakeWhoisServer server(freeWhenStartingWithA());
    auto lines = fourSuffixes(server);
    WindowHarness w(configText("en", lines));
    w.main->show();
    ASSERT_EQ(w.captions(), (std::vector<std::string>{"Domain Name", "com", "net", "org"}));
    QTest::keyClicks(w.main->edtDomain, QStringLiteral("[ba]phone"));
    QTest::keyClick(w.main->edtDomain, Qt::Key_Return);
    ASSERT_TRUE(w.waitIdle());
    EXPECT_EQ(w.rows(), (std::vector<ResultRow>{row("aphone", {"☆", "☆", "☆"}), row("bphone", {"★", "★", "★"})}));
    // The server books a connection once its script has ended, which may be just after the run.
    EXPECT_TRUE(waitUntil([&] { return server.connectionCount() == 6; }));
    EXPECT_EQ(w.main->statusText(1), QStringLiteral("2/2"));
    // The last exchange's activity gives way to how the run ended; the counts stay.
    EXPECT_TRUE(w.main->statusText(0).startsWith(QStringLiteral("Done in "))) << w.main->statusText(0).toStdString();
    EXPECT_EQ(w.main->runStatusBar().countsText(), QStringLiteral("☆ 3  ★ 3  - 0"));
    // After the run: idle controls, the animation shown but still, the last new row selected.
    EXPECT_FALSE(w.main->btnStop->isEnabled());
    EXPECT_TRUE(w.main->lvWhois->isEnabled());
    EXPECT_TRUE(w.main->rg1->isEnabled());
    EXPECT_TRUE(w.main->Animate1->isVisible());
    EXPECT_FALSE(w.main->Animate1->isPlaying());
    EXPECT_TRUE(w.main->N2->isEnabled());
    const QModelIndexList selected = w.main->lvDomain->selectionModel()->selectedRows();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(selected.front().row(), 1);
    EXPECT_TRUE(w.prompts.errors.empty());
}

// Enter presses Search from the query controls only; elsewhere it belongs to the control.
TEST(MainWindow, EnterSearchesFromTheQueryControlsButNotFromTheResultsOrTheirFilter) {
    struct Case {
        const char* what;
        std::function<QWidget*(TfrmWhoisMain&)> focus;
        bool searches;
    };
    const Case cases[] = {
        {"pattern box", [](TfrmWhoisMain& m) { return static_cast<QWidget*>(m.edtDomain); }, true},
        {"server table", [](TfrmWhoisMain& m) { return static_cast<QWidget*>(m.lvWhois); }, true},
        {"name filter", [](TfrmWhoisMain& m) { return static_cast<QWidget*>(m.edtFilter); }, false},
        {"filter kind", [](TfrmWhoisMain& m) { return static_cast<QWidget*>(m.cbFilter); }, false},
        {"result row",
         [](TfrmWhoisMain& m) {
             m.selectAndShowRow(0);
             return static_cast<QWidget*>(m.lvDomain);
         },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WindowHarness w(configText("en", suffixLines("whois.example", {"com"})));
        w.main->resultModel().appendRow("phone", {Mark::Free});
        w.main->edtDomain->setText(QStringLiteral("[ab]phone"));
        w.prompts.confirmAnswer = false; // a Search would ask to discard the row, and stop there
        w.main->show();
        QWidget* target = c.focus(*w.main);
        target->setFocus();
        QTest::keyClick(target, Qt::Key_Return);
        QCoreApplication::processEvents();
        EXPECT_EQ(w.prompts.questions.size(), c.searches ? 1u : 0u);
        EXPECT_FALSE(w.main->engine().isBusy());
    }
}

// A name typed or pasted over a row keeps to the pattern box's characters and empties the marks.
TEST(MainWindow, F2RenameTakesThePatternCharactersAndAsksTheNewNameAgain) {
    FakeWhoisServer server(freeWhenStartingWithA());
    WindowHarness w(configText("en", suffixLines(server.hostField(), {"com"})));
    w.main->resultModel().appendRow("bphone", {Mark::Registered});
    w.main->show();
    w.main->selectAndShowRow(0);
    w.main->lvDomain->setFocus();
    QTest::keyClick(w.main->lvDomain, Qt::Key_F2);
    auto* editor = qobject_cast<QLineEdit*>(w.main->focusWidget());
    ASSERT_NE(editor, nullptr);
    ASSERT_NE(editor, w.main->edtDomain);
    editor->selectAll();
    editor->insert(QStringLiteral("aphone\r\nx"));
    EXPECT_EQ(editor->text(), QStringLiteral("aphonex"));
    QTest::keyClick(editor, Qt::Key_Return);
    ASSERT_TRUE(waitUntil([&] { return w.rows().front().caption == "aphonex"; }, 5000));
    EXPECT_EQ(w.rows(), std::vector<ResultRow>{row("aphonex", {""})});
    w.main->N2->trigger();
    ASSERT_TRUE(w.waitIdle());
    EXPECT_EQ(w.rows(), std::vector<ResultRow>{row("aphonex", {"☆"})});
    server.stop();
    EXPECT_EQ(server.queries(), std::vector<std::string>{"aphonex.com\r\n"});
}

TEST(MainWindow, RefusedSearchesShowTheirMessageAndStartNothing) {
    FakeWhoisServer server(freeWhenStartingWithA());
    struct Case {
        std::optional<std::string> config;
        QString pattern;
        std::string expected;
    };
    const Case cases[] = {
        // No Config.ini: English and an empty server table.
        {std::nullopt, QStringLiteral("[a-z]phone"), "Please select some domain extensions(whois server)"},
        {configText("zh-cn", {}), QStringLiteral("[a-z]phone"), "请选择一个域名服务器!"},
        {configText("en", fourSuffixes(server)), QStringLiteral("[abc"), message(Msg::UnclosedBracket, "en")},
        {configText("en", fourSuffixes(server)), QStringLiteral("[a-z][a-z][a-z][a-z][a-z][a-z]"),
         formatMessage(Msg::TooManyCombinations, "en", {"308915776"})},
    };
    for (const Case& c : cases) {
        WindowHarness w(c.config);
        w.main->edtDomain->setText(c.pattern);
        w.main->btnSearch->click();
        w.main->applyPendingChanges();
        ASSERT_EQ(w.prompts.errors.size(), 1u) << c.expected;
        EXPECT_EQ(w.prompts.errors.front().toStdString(), c.expected);
        EXPECT_FALSE(w.main->engine().isBusy());
        EXPECT_FALSE(w.main->btnStop->isEnabled());
        EXPECT_TRUE(w.main->rg1->isEnabled());
    }
    EXPECT_EQ(server.connectionCount(), 0);
}

// A server that holds each query until the test lets it answer.
struct HeldServer {
    HeldServer()
        : server([this](FakeWhoisConnection& connection) {
              const std::string query = connection.readQuery();
              ++arrived;
              while (!released && connection.isOpen() && !stopping) {
                  connection.pause(std::chrono::milliseconds(5));
              }
              connection.send("No match for " + query);
          }) {}
    ~HeldServer() {
        released = true;
        stopping = true;
        server.stop();
    }
    std::atomic<int> arrived{0};
    std::atomic<bool> released{false};
    std::atomic<bool> stopping{false};
    FakeWhoisServer server;
};

// Shows the window and searches "[ab]phone"; true once the first query waits at the server.
bool startHeldRun(WindowHarness& w, const HeldServer& held) {
    w.main->show();
    w.main->edtDomain->setText(QStringLiteral("[ab]phone"));
    w.main->btnSearch->click();
    return waitUntil([&] { return held.arrived == 1; });
}

TEST(MainWindow, StopLetsTheExchangeUnderWayWriteItsCellAndAsksNoMore) {
    HeldServer held;
    WindowHarness w(configText("en", fourSuffixes(held.server)));
    ASSERT_TRUE(startHeldRun(w, held));
    w.main->applyPendingChanges();
    EXPECT_TRUE(w.main->btnStop->isEnabled());
    EXPECT_FALSE(w.main->btnSearch->isEnabled());
    EXPECT_FALSE(w.main->lvWhois->isEnabled());
    EXPECT_FALSE(w.main->rg1->isEnabled());
    EXPECT_FALSE(w.main->N3->isEnabled());
    EXPECT_TRUE(w.main->Animate1->isPlaying());

    w.main->btnStop->click();
    w.main->applyPendingChanges();
    // Search comes back at once, while the worker still waits for its reply.
    EXPECT_TRUE(w.main->btnSearch->isEnabled());
    EXPECT_FALSE(w.main->btnStop->isEnabled());
    EXPECT_TRUE(w.main->lvWhois->isEnabled());
    EXPECT_TRUE(w.main->rg1->isEnabled());
    EXPECT_FALSE(w.main->Animate1->isPlaying());
    EXPECT_TRUE(w.main->engine().isBusy());

    held.released = true;
    ASSERT_TRUE(w.waitIdle());
    EXPECT_EQ(held.arrived, 1); // no exchange after the one under way
    EXPECT_EQ(w.rows(), (std::vector<ResultRow>{row("aphone", {"☆", "", ""})}));
    EXPECT_TRUE(w.main->N3->isEnabled());
}

// After Stop the panels show what the run did until its lanes ended, DNS included; Clear All
// empties them.
TEST(MainWindow, AfterStopThePanelsCountWhatTheRunDidAndClearAllEmptiesThem) {
    HeldServer held;
    FakeWhoisServer other(freeWhenStartingWithA());
    FakeDnsServer dns;
    for (const char* name : {"aphone.com", "bphone.com", "cphone.com"}) {
        dns.set(name, FakeDnsServer::nameServers({"ns1.host.net"}));
    }
    std::string config = configText(
        "en", {"com+" + other.hostField() + "+No match for", "net+" + held.server.hostField() + "+No match for"});
    config.replace(config.find("[setting]\r\n"), 11,
                   "[setting]\r\nparallel=1\r\ndns=1\r\ndns_server=127.0.0.1:" + std::to_string(dns.port()) + "\r\n");
    WindowHarness w(config);
    w.main->show();
    w.main->edtDomain->setText(QStringLiteral("[a-c]phone"));
    w.main->btnSearch->click();
    // DNS settles every .com cell while the .net lane waits on its first name.
    ASSERT_TRUE(waitUntil([&] { return w.main->engine().progress().dnsSettled == 3 && held.arrived == 1; }));
    w.main->btnStop->click();
    held.released = true;
    ASSERT_TRUE(w.waitIdle());
    EXPECT_EQ(w.rows(),
              (std::vector<ResultRow>{row("aphone", {"★", "☆"}), row("bphone", {"★", ""}), row("cphone", {"★", ""})}));
    EXPECT_EQ(w.main->statusText(0), uiText(Msg::RunStopped, "en"));
    EXPECT_EQ(w.main->statusText(1), QStringLiteral("1/3"));
    EXPECT_EQ(w.main->statusText(2), QStringLiteral("DNS 3"));
    EXPECT_EQ(w.main->runStatusBar().countsText(), QStringLiteral("☆ 1  ★ 3  - 0"));

    w.main->N3->trigger();
    EXPECT_TRUE(w.rows().empty());
    for (int panel = 0; panel < 3; ++panel) {
        EXPECT_EQ(w.main->statusText(panel), QString()) << panel;
    }
    EXPECT_EQ(w.main->runStatusBar().countsText(), QStringLiteral("☆ 0  ★ 0  - 0"));
}

TEST(MainWindow, RequeryFillsFailedAndEmptyCells) {
    std::atomic<int> netAsks{0};
    FakeWhoisServer server(FakeWhoisServer::answer([&](std::string_view query) -> std::string {
        if (query == "bphone.net" && netAsks++ == 0) {
            return "Error WSAECONNRESET";
        }
        return "No match for " + std::string(query);
    }));
    WindowHarness w(configText("en", fourSuffixes(server)));
    w.main->edtDomain->setText(QStringLiteral("[ab]phone"));
    w.main->btnSearchClick();
    ASSERT_TRUE(w.waitIdle());
    EXPECT_EQ(w.rows(), (std::vector<ResultRow>{row("aphone", {"☆", "☆", "☆"}), row("bphone", {"☆", "-", "☆"})}));
    ASSERT_TRUE(waitUntil([&] { return server.connectionCount() == 6; }));
    // A suffix ticked after the run gets a column with nothing in it yet.
    w.main->serverModel().setData(w.main->serverModel().index(3, 0), Qt::Checked, Qt::CheckStateRole);
    w.main->applyPendingChanges();
    ASSERT_EQ(w.captions(), (std::vector<std::string>{"Domain Name", "com", "net", "org", "cn"}));
    const int before = server.connectionCount();
    w.main->N2->trigger();
    ASSERT_TRUE(w.waitIdle());
    EXPECT_EQ(w.rows(),
              (std::vector<ResultRow>{row("aphone", {"☆", "☆", "☆", "☆"}), row("bphone", {"☆", "☆", "☆", "☆"})}));
    // bphone.net, aphone.cn, bphone.cn
    EXPECT_TRUE(waitUntil([&] { return server.connectionCount() - before == 3; }));
}

TEST(MainWindow, LanesOnAskEachServerOnItsOwnAndFillTheSameRows) {
    FakeWhoisServer first(freeWhenStartingWithA());
    FakeWhoisServer second(freeWhenStartingWithA());
    std::string config =
        configText("en", {"com+" + first.hostField() + "+No match for", "net+" + second.hostField() + "+No match for",
                          "org+" + first.hostField() + "+No match for"});
    config.replace(config.find("[setting]\r\n"), 11, "[setting]\r\nparallel=1\r\ninterval=abc\r\n");
    WindowHarness w(config);
    EXPECT_EQ(w.options.RunWarnings.size(), 1u) << "a bad interval is left out";
    w.main->show();
    w.main->edtDomain->setText(QStringLiteral("[a-c]phone"));
    w.main->btnSearch->click();
    ASSERT_TRUE(w.waitIdle());
    EXPECT_EQ(w.rows(), (std::vector<ResultRow>{row("aphone", {"☆", "☆", "☆"}), row("bphone", {"★", "★", "★"}),
                                                row("cphone", {"★", "★", "★"})}));
    EXPECT_EQ(w.main->statusText(1), QStringLiteral("3/3"));
    EXPECT_TRUE(w.main->N2->isEnabled());
    EXPECT_FALSE(w.main->btnStop->isEnabled());
    first.stop();
    second.stop();
    EXPECT_EQ(first.queries().size(), 6u);
    EXPECT_EQ(second.queries().size(), 3u);
}

TEST(MainWindow, ABadDnsServerIsSaidOnceAndTheRunsAskTheRegistry) {
    FakeWhoisServer server(freeWhenStartingWithA());
    std::string config = configText("en", {"com+" + server.hostField() + "+No match for"});
    config.replace(config.find("[setting]\r\n"), 11, "[setting]\r\ndns=1\r\ndns_server=dns.example\r\n");
    WindowHarness w(config);
    w.main->show();
    w.main->edtDomain->setText(QStringLiteral("[a-b]phone"));
    for (int run = 0; run < 2; ++run) {
        w.main->btnSearch->click();
        ASSERT_TRUE(w.waitIdle());
    }
    ASSERT_EQ(w.prompts.informations.size(), 1u);
    EXPECT_TRUE(w.prompts.informations[0].startsWith(QStringLiteral("dns_server \"dns.example\": ")));
    EXPECT_EQ(w.rows(), (std::vector<ResultRow>{row("aphone", {"☆"}), row("bphone", {"★"})}));
    EXPECT_EQ(w.main->statusText(2), QString());
    server.stop();
    EXPECT_EQ(server.queries().size(), 4u);
}

TEST(MainWindow, TickingASuffixAddsOrRemovesItsColumnAtOnce) {
    FakeWhoisServer server(freeWhenStartingWithA());
    WindowHarness w(configText("en", fourSuffixes(server)));
    auto& servers = w.main->serverModel();
    struct Step {
        int row;
        bool ticked;
        std::vector<std::string> columns;
    };
    const Step steps[] = {
        {3, true, {"Domain Name", "com", "net", "org", "cn"}},
        {0, false, {"Domain Name", "net", "org", "cn"}},
        {0, true, {"Domain Name", "net", "org", "cn", "com"}},
        {3, false, {"Domain Name", "net", "org", "com"}},
    };
    for (const Step& step : steps) {
        servers.setData(servers.index(step.row, 0), step.ticked ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole);
        w.main->applyPendingChanges();
        EXPECT_EQ(w.captions(), step.columns);
    }
}

TEST(MainWindow, TextModeOkSearchesTheWordListAndReturnsToPatternMode) {
    FakeWhoisServer server(freeWhenStartingWithA());
    WindowHarness w(configText("en", fourSuffixes(server)));
    w.main->show();
    w.text->Memo1->setPlainText(QStringLiteral("alpha\nbravo\nalpha\nab"));
    QTimer::singleShot(0, w.text.get(), [&] {
        EXPECT_TRUE(w.main->edtDomain->isHidden());
        w.text->Button2->click();
    });
    w.main->raText->click();
    ASSERT_TRUE(w.waitIdle());
    EXPECT_EQ(w.rows(), (std::vector<ResultRow>{row("alpha", {"☆", "☆", "☆"}), row("bravo", {"★", "★", "★"})}));
    EXPECT_EQ(w.main->Candidates.size(), 2u);
    EXPECT_TRUE(w.main->raRandom->isChecked());
    EXPECT_FALSE(w.main->edtDomain->isHidden());
    EXPECT_EQ(w.main->edtDomain->text(), QStringLiteral("[a-z]phone"));
    EXPECT_EQ(w.text->language(), "en");
}

TEST(MainWindow, TextModeCancelReturnsToRandomModeAndKeepsTheCandidates) {
    WindowHarness w(configText("zh-cn", {}));
    w.main->show();
    w.main->Candidates.push_back("kept");
    QTimer::singleShot(0, w.text.get(), [&] { w.text->Button3->click(); });
    w.main->raText->click();
    EXPECT_TRUE(w.main->raRandom->isChecked());
    EXPECT_FALSE(w.main->edtDomain->isHidden());
    ASSERT_EQ(w.main->Candidates.size(), 1u);
    EXPECT_EQ(w.main->Candidates[0], "kept");
    EXPECT_FALSE(w.main->engine().isBusy());
    EXPECT_EQ(w.text->language(), "zh-cn");
}

TEST(MainWindow, ClosingDuringARunIsRefusedUnlessTheBoxIsClosed) {
    HeldServer held;
    WindowHarness w(configText("en", fourSuffixes(held.server)));
    ASSERT_TRUE(startHeldRun(w, held));

    w.prompts.answerWithOk = true;
    EXPECT_FALSE(w.main->close());
    EXPECT_TRUE(w.main->isVisible());
    ASSERT_EQ(w.prompts.errors.size(), 1u);
    EXPECT_EQ(w.prompts.errors.front(), QStringLiteral("Sorry,Please stop to search before exit!"));
    EXPECT_TRUE(w.main->engine().isBusy());

    // Dismissed through its close box: the window closes, and the worker, whose exchange is
    // broken off, has ended by then.
    w.prompts.answerWithOk = false;
    EXPECT_TRUE(w.main->close());
    EXPECT_FALSE(w.main->engine().isBusy());
}

TEST(MainWindow, ClosingAfterStopWaitsForTheStoppingWorkerWithoutAQuestion) {
    HeldServer held;
    WindowHarness w(configText("en", fourSuffixes(held.server)));
    ASSERT_TRUE(startHeldRun(w, held));
    w.main->btnStopClick();
    EXPECT_TRUE(w.main->close());
    EXPECT_TRUE(w.prompts.errors.empty());
    EXPECT_FALSE(w.main->engine().isBusy());
}

TEST(MainWindow, ClosingDuringARequeryPassEndsItWithoutAQuestion) {
    HeldServer held;
    held.released = true;
    WindowHarness w(configText("en", fourSuffixes(held.server)));
    w.main->show();
    w.main->edtDomain->setText(QStringLiteral("[ab]phone"));
    w.main->btnSearchClick();
    ASSERT_TRUE(w.waitIdle());
    // A suffix ticked after the run leaves cells to ask; hold their answers.
    held.released = false;
    const int before = held.arrived;
    w.main->serverModel().setData(w.main->serverModel().index(3, 0), Qt::Checked, Qt::CheckStateRole);
    w.main->N2->trigger();
    ASSERT_TRUE(waitUntil([&] { return held.arrived == before + 1; }));
    w.main->applyPendingChanges();
    EXPECT_FALSE(w.main->N3->isEnabled()); // the table belongs to the pass meanwhile
    EXPECT_TRUE(w.main->close());
    EXPECT_TRUE(w.prompts.errors.empty());
    EXPECT_FALSE(w.main->engine().isBusy());
}

TEST(MainWindow, LanguageMenuSwitchesAndWritesConfig) {
    WindowHarness w(configText("en", {"com+whois.example+No match for"}));
    w.main->Chinese1->trigger();
    EXPECT_EQ(w.main->btnSearch->text(), QStringLiteral("搜索"));
    EXPECT_EQ(w.main->language(), "zh-cn");
    EXPECT_TRUE(w.prompts.errors.empty());
    const std::string saved = readFileBytes(w.path);
    EXPECT_NE(saved.find("language=zh-cn"), std::string::npos) << saved;
    EXPECT_NE(saved.find("com+whois.example+No match for"), std::string::npos) << saved;

    // The next start opens in the chosen language.
    w.options = TIniOptions{};
    w.build();
    EXPECT_EQ(w.main->btnSearch->text(), QStringLiteral("搜索"));
    EXPECT_TRUE(w.main->Chinese1->isChecked());

    w.main->English1->trigger();
    EXPECT_EQ(w.main->btnSearch->text(), QStringLiteral("Search"));
    EXPECT_NE(readFileBytes(w.path).find("language=en"), std::string::npos);
}

TEST(MainWindow, LanguageMenuReportsAFileThatCannotBeWritten) {
    TempDir elsewhere;
    const std::filesystem::path unwritable = elsewhere.file("missing-folder") / "Config.ini";
    WindowHarness w(std::nullopt, unwritable);
    w.main->Chinese1->trigger();
    ASSERT_EQ(w.prompts.errors.size(), 1u);
    EXPECT_EQ(w.prompts.errors.front().toStdString(), "Unable to write to " + unwritable.string());
    // The window keeps the new language.
    EXPECT_EQ(w.main->btnStop->text(), QStringLiteral("停止"));
}

} // namespace
} // namespace cvt::test

CVT_QT_TEST_MAIN()
