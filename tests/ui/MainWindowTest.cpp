#include "i18n/Messages.h"
#include "tests/support/FakeDnsServer.h"
#include "tests/support/FakeWhoisServer.h"
#include "tests/support/MarkGlyphs.h"
#include "tests/ui/WindowHarness.h"
#include "ui/BusyAnimation.h"
#include "ui/DesktopIdentity.h"
#include "ui/ResultFilterModel.h"
#include "ui/RunStatusBar.h"
#include "ui/ServerTableModel.h"
#include "ui/UiText.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSplitter>
#include <QTableView>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QWindow>
#include <atomic>
#include <gtest/gtest.h>

namespace cvt::test {
namespace {

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
        {"ServerSide", {8, 8, 233, 473}, {8, 8, 233, 687}},    {"rg1", {248, 8, 337, 41}, {248, 8, 636, 41}},
        {"edtDomain", {256, 59, 153, 21}, {256, 59, 452, 21}}, {"Animate1", {428, 62, 16, 16}, {727, 62, 16, 16}},
        {"btnSearch", {448, 59, 57, 22}, {747, 59, 57, 22}},   {"btnStop", {520, 59, 57, 22}, {819, 59, 57, 22}},
    };
    QWidget* client = w.main->centralWidget();
    EXPECT_EQ(client->size(), QSize(601, 486));
    // Places in the client area (the controls sit in the splitter's panes).
    const auto placeOf = [&](const QWidget* widget) { return QRect(widget->mapTo(client, QPoint()), widget->size()); };
    const auto check = [&](bool grown) {
        for (const Place& place : places) {
            auto* widget = w.main->findChild<QWidget*>(QString::fromLatin1(place.name));
            ASSERT_NE(widget, nullptr) << place.name;
            EXPECT_EQ(placeOf(widget), grown ? place.grown : place.initial) << place.name << " grown " << grown;
        }
        // The server table fills the picker's width between the search row and the buttons.
        const QRect servers = placeOf(w.main->lvWhois);
        EXPECT_EQ(servers.left(), 8);
        EXPECT_EQ(servers.width(), 233);
        EXPECT_GT(servers.top(), placeOf(w.main->cbSuffixGroup).bottom());
        EXPECT_LT(servers.bottom(), placeOf(w.main->btnTickShown).top());
        // The filter row stands where the result table began; the table fills the rest.
        EXPECT_EQ(placeOf(w.main->cbFilter).topLeft(), QPoint(248, 96));
        const QRect table = placeOf(w.main->lvDomain);
        EXPECT_EQ(table.left(), 248);
        EXPECT_EQ(table.right(), client->width() - 17);
        EXPECT_EQ(table.bottom(), client->height() - 6);
        EXPECT_EQ(placeOf(w.main->edtFilter).right(), table.right());
    };
    check(false);
    const QSize frame = w.main->size() - client->size();
    w.main->resize(QSize(900, 700) + frame);
    ASSERT_TRUE(waitUntil([&] { return client->size() == QSize(900, 700); }));
    check(true);
    // Maximised: the pattern box keeps a sensible width, the mark columns share the table's width
    // and the splitter gives the server table more room when dragged.
    w.main->resize(QSize(1900, 1000) + frame);
    ASSERT_TRUE(waitUntil([&] { return client->size() == QSize(1900, 1000); }));
    EXPECT_LE(w.main->edtDomain->width(), 480);
    w.main->splitter->setSizes({500, 1400});
    EXPECT_EQ(w.main->lvWhois->width(), 500);
    EXPECT_EQ(w.main->lvWhois->parentWidget()->objectName(), QStringLiteral("ServerSide"));
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
            {m->serverModel().headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), Msg::AskedByColumn},
            {m->btnTickShown->text(), Msg::TickShown},
            {m->btnClearTicks->text(), Msg::ClearTicks},
            {m->cbSuffixGroup->itemText(0), Msg::PickerTicked},
            {m->edtSuffixSearch->placeholderText(), Msg::SuffixSearchPlaceholder},
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
    ASSERT_TRUE(waitUntil([&] { return w.main->Setting1->isVisible(); }));
    QTest::keyClick(w.main->Setting1, Qt::Key_Escape);
    QTest::keyClick(window, Qt::Key_Escape);
    ASSERT_TRUE(waitUntil([&] { return !w.main->Setting1->isVisible(); }));
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
    // After the run: idle controls, the animation shown but still, and no row selected (the run
    // never touches the selection).
    EXPECT_FALSE(w.main->btnStop->isEnabled());
    EXPECT_TRUE(w.main->lvWhois->isEnabled());
    EXPECT_TRUE(w.main->rg1->isEnabled());
    EXPECT_TRUE(w.main->Animate1->isVisible());
    EXPECT_FALSE(w.main->Animate1->isPlaying());
    EXPECT_TRUE(w.main->N2->isEnabled());
    EXPECT_TRUE(w.main->lvDomain->selectionModel()->selectedRows().isEmpty());
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
    ASSERT_TRUE(waitUntil([&] { return w.rows().front().caption == "aphonex"; }));
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

// A server that holds each query until the test lets it answer. Its windows' clients wait for a
// reply without a read limit of their own (holdWithoutReadLimit), so only the test ends a hold.
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

void holdWithoutReadLimit(WindowHarness& w) {
    w.whoisReadTimeoutMs = 0;
}

// Shows the window and searches "[ab]phone"; true once the first query waits at the server.
bool startHeldRun(WindowHarness& w, const HeldServer& held) {
    holdWithoutReadLimit(w);
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
    EXPECT_FALSE(w.main->btnTickShown->isEnabled());
    EXPECT_FALSE(w.main->btnClearTicks->isEnabled());
    EXPECT_FALSE(w.main->rg1->isEnabled());
    EXPECT_FALSE(w.main->N3->isEnabled());
    EXPECT_TRUE(w.main->Animate1->isPlaying());

    w.main->btnStop->click();
    w.main->applyPendingChanges();
    // Search comes back at once, while the worker still waits for its reply.
    EXPECT_TRUE(w.main->btnSearch->isEnabled());
    EXPECT_FALSE(w.main->btnStop->isEnabled());
    EXPECT_TRUE(w.main->lvWhois->isEnabled());
    EXPECT_TRUE(w.main->btnClearTicks->isEnabled());
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
    holdWithoutReadLimit(w);
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

TEST(MainWindow, AWhoisServerWithoutATextIsCalibratedOnItsLaneAndTheTextKept) {
    // nic.cx and bphone.cx are registered; every other name (the random ones included) is free.
    FakeWhoisServer server(FakeWhoisServer::answer([](std::string_view query) -> std::string {
        if (query.starts_with("nic.") || query == "bphone.cx") {
            return "Domain Name: " + std::string(query) + "\r\nRegistrar: Example Registrar\r\n";
        }
        return "The queried object does not exist: " + std::string(query) + "\r\n";
    }));
    WindowHarness w(configText("en", {"cx+" + server.hostField()}));
    w.main->edtDomain->setText(QStringLiteral("[ab]phone"));
    w.main->btnSearchClick();
    ASSERT_TRUE(w.waitIdle());
    EXPECT_EQ(w.rows(), (std::vector<ResultRow>{row("aphone", {"☆"}), row("bphone", {"★"})}));
    const std::string kept = readFileBytes(w.path.parent_path() / "whois-texts.tsv");
    EXPECT_NE(kept.find("The queried object does not exist"), std::string::npos) << kept;
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

TEST(MainWindow, NamesTheListLeavesOutAreSaidWithTheirReasonsOnce) {
    FakeWhoisServer server(freeWhenStartingWithA());
    WindowHarness w(configText("en", {"com+" + server.hostField() + "+No match for"}));
    w.main->show();
    w.text->Memo1->setPlainText(QStringLiteral("alpha\nbravo\na😀\nаррӏе"));
    w.text->edtMaxCharNum->setText(QStringLiteral("20"));
    QTimer::singleShot(0, w.text.get(), [&] { w.text->Button2->click(); });
    w.main->raText->click();
    ASSERT_TRUE(w.waitIdle());
    ASSERT_TRUE(waitUntil([&] { return !w.prompts.informations.empty(); }));
    EXPECT_EQ(w.prompts.informations[0].toStdString(),
              "Some names were left out of the search. International names that cannot be asked: 2 (a😀 (string "
              "contains a disallowed character), аррӏе (the label аррӏе is written in Cyrillic letters that look like "
              "Latin ones)).");
    EXPECT_EQ(w.rows(), (std::vector<ResultRow>{row("alpha", {"☆"}), row("bravo", {"★"})}));

    // A clean list says nothing.
    w.main->edtDomain->setText(QStringLiteral("[a-b]phone"));
    w.main->btnSearch->click();
    ASSERT_TRUE(w.waitIdle());
    QCoreApplication::processEvents();
    EXPECT_EQ(w.prompts.informations.size(), 1u);
    server.stop();
    EXPECT_EQ(server.queries().size(), 4u) << "no left-out name is asked";
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

TEST(MainWindow, ClosingDuringARunIsRefusedUnlessTheBoxIsClosedOrStopAndQuitIsChosen) {
    using Answer = Prompts::StopFirstAnswer;
    for (const Answer closing : {Answer::CloseBox, Answer::StopAndQuit}) {
        HeldServer held;
        WindowHarness w(configText("en", fourSuffixes(held.server)));
        ASSERT_TRUE(startHeldRun(w, held));

        w.prompts.stopFirstAnswer = Answer::Answered;
        EXPECT_FALSE(w.main->close());
        EXPECT_TRUE(w.main->isVisible());
        ASSERT_EQ(w.prompts.errors.size(), 1u);
        EXPECT_EQ(w.prompts.errors.front(), QStringLiteral("Sorry,Please stop to search before exit!"));
        EXPECT_EQ(w.prompts.stopFirstButtons.front(), QStringLiteral("Stop and quit"));
        EXPECT_TRUE(w.main->engine().isBusy());

        // Either way the window closes, and the worker, whose exchange is broken off, has ended.
        w.prompts.stopFirstAnswer = closing;
        EXPECT_TRUE(w.main->close());
        EXPECT_FALSE(w.main->engine().isBusy());
    }
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
    holdWithoutReadLimit(w);
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

// Feeds the window's event sink as the engine does and applies the events at once.
struct FedRun {
    explicit FedRun(WindowHarness& harness) : w(harness) {}
    void start(std::size_t names) {
        sink().rowsCleared();
        sink().runStateChanged({RunState::Running, 0, names});
        w.main->applyPendingChanges();
    }
    void rows(std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            sink().rowAppended({next, "name" + std::to_string(next)});
            ++next;
        }
        w.main->applyPendingChanges();
    }
    QueryEventSink& sink() { return w.main->eventSink(); }
    WindowHarness& w;
    std::size_t next = 0;
};

TEST(MainWindow, NewRowsAreFollowedOnlyAtTheBottomAndTheSelectionIsKept) {
    WindowHarness w(configText("en", suffixLines("whois.example", {"com"})));
    w.main->show();
    FedRun run(w);
    run.start(10000);
    QScrollBar* bar = w.main->lvDomain->verticalScrollBar();
    QItemSelectionModel* selection = w.main->lvDomain->selectionModel();
    struct Step {
        const char* what;
        std::function<void()> before;
        bool follows;
    };
    const Step steps[] = {
        {"at the bottom", [] {}, true},
        {"scrolled up with a row selected",
         [&] {
             w.main->selectAndShowRow(3);
             bar->setValue(0);
         },
         false},
        {"back at the bottom", [&] { w.main->lvDomain->scrollToBottom(); }, true},
    };
    for (const Step& step : steps) {
        step.before();
        const int before = bar->value();
        const QModelIndexList selected = selection->selectedRows();
        run.rows(300);
        QCoreApplication::processEvents();
        EXPECT_GT(bar->maximum(), 0) << step.what;
        if (step.follows) {
            EXPECT_EQ(bar->value(), bar->maximum()) << step.what;
        } else {
            EXPECT_EQ(bar->value(), before) << step.what;
        }
        EXPECT_EQ(selection->selectedRows(), selected) << step.what;
    }
    ASSERT_EQ(selection->selectedRows().size(), 1);
    EXPECT_EQ(selection->selectedRows().front().row(), 3);
}

TEST(MainWindow, ProgressCountsCellsAndTheStatusNamesALaneBackingOff) {
    auto lines = suffixLines("whois.one", {"com", "net"});
    lines.push_back("org+whois.two+No match for");
    WindowHarness w(configText("en", lines));
    for (int row = 0; row < 3; ++row) {
        w.main->serverModel().setTicked(row, true);
    }
    w.main->show();
    FedRun run(w);
    run.start(4);
    run.rows(2);
    run.sink().runStateChanged({RunState::Running, 1, 4});
    run.sink().cellAnswered({0, "name0", "com", markOf("☆"), ""});
    run.sink().cellAnswered({0, "name0", "net", markOf("★"), ""});
    run.sink().cellAnswered({0, "name0", "org", markOf("-"), "refused: WHOIS LIMIT EXCEEDED"});
    // Two servers' waits in one batch: the panel shows the latest, the lane view both.
    run.sink().activityChanged("Waiting for whois.one: 2 s");
    run.sink().activityChanged("Waiting for whois.two: 30 s");
    w.main->applyPendingChanges();
    const QAbstractItemModel* view = w.main->runStatusBar().laneView()->model();
    ASSERT_EQ(view->rowCount(), 2);
    EXPECT_EQ(view->index(0, 1).data().toString(), QStringLiteral("waiting 2 s for pace"));
    EXPECT_EQ(w.main->runStatusBar().cellsText(), QStringLiteral("3/12 cells"));
    EXPECT_EQ(w.main->statusText(1), QStringLiteral("1/4"));
    EXPECT_EQ(w.main->statusText(0), QStringLiteral("whois.two is backing off 30 s after a refusal"));
    // Another lane's exchange does not hide the lane backing off; the lane view shows both.
    run.sink().activityChanged("Connecting name1.com");
    w.main->applyPendingChanges();
    EXPECT_EQ(w.main->statusText(0), QStringLiteral("whois.two is backing off 30 s after a refusal"));
    EXPECT_EQ(view->index(0, 1).data().toString(), QStringLiteral("asking"));
    EXPECT_EQ(view->index(1, 1).data().toString(), QStringLiteral("backing off 30 s after a refusal"));
    EXPECT_EQ(view->index(1, 3).data().toString(), QStringLiteral("1"));
    // Its next answer ends the back-off.
    run.sink().cellAnswered({1, "name1", "org", markOf("☆"), ""});
    run.sink().activityChanged("Connecting name1.net");
    w.main->applyPendingChanges();
    EXPECT_EQ(w.main->statusText(0), QStringLiteral("Connecting name1.net"));
    EXPECT_EQ(w.main->runStatusBar().cellsText(), QStringLiteral("4/12 cells"));
    EXPECT_NE(w.main->runStatusBar().cellsPanel()->menu(), nullptr);
}

TEST(MainWindow, NewcomersFindAnExampleTooltipsKeysAndAHelpPageInBothLanguages) {
    for (const std::string lang : {"en", "zh-cn"}) {
        WindowHarness w(configText(lang, suffixLines("whois.example", {"com"})));
        TfrmWhoisMain& m = *w.main;
        EXPECT_TRUE(m.edtDomain->placeholderText().contains(QStringLiteral("[a-z]phone"))) << lang;
        EXPECT_EQ(m.edtDomain->placeholderText(), uiText(Msg::PatternPlaceholder, lang));
        for (QWidget* control : std::initializer_list<QWidget*>{m.edtDomain, m.raRandom, m.raText, m.btnSearch,
                                                                m.btnStop, m.lvWhois, m.cbFilter}) {
            EXPECT_FALSE(control->toolTip().isEmpty()) << control->objectName().toStdString() << " " << lang;
        }
        auto* counts = m.findChild<QLabel*>(QStringLiteral("CountsPanel"));
        ASSERT_NE(counts, nullptr);
        for (const char* mark : {"☆", "★", "-"}) {
            EXPECT_TRUE(counts->toolTip().contains(QString::fromUtf8(mark))) << mark << " " << lang;
        }
        // The keys, as the menus and the popup show them.
        const std::pair<QAction*, QKeySequence> keys[] = {
            {m.Search1, QKeySequence(Qt::CTRL | Qt::Key_Return)},
            {m.exportExcel, QKeySequence(Qt::CTRL | Qt::Key_E)},
            {m.CopyFreeNames1, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C)},
            {m.Filter1, QKeySequence(Qt::CTRL | Qt::Key_F)},
            {m.Undo1, QKeySequence(Qt::CTRL | Qt::Key_Z)},
        };
        for (const auto& [action, key] : keys) {
            EXPECT_EQ(action->shortcut(), key) << action->objectName().toStdString();
            EXPECT_TRUE(m.actions().contains(action)) << action->objectName().toStdString();
        }
        EXPECT_TRUE(m.Results1->actions().contains(m.exportExcel));
        m.Filter1->trigger();
        EXPECT_EQ(QApplication::focusWidget() == nullptr || QApplication::focusWidget() == m.edtFilter, true);
        // The Help page: the pattern, the marks, why "-" happens and where results are kept.
        m.HelpTopics1->trigger();
        auto* help = m.findChild<QTextBrowser*>(QStringLiteral("HelpText"));
        ASSERT_NE(help, nullptr);
        const QString page = help->toPlainText();
        for (const char* part : {"[a-z]phone", "☆", "★", "Config.ini", "Ctrl+Z"}) {
            EXPECT_TRUE(page.contains(QString::fromUtf8(part))) << part << " " << lang;
        }
        EXPECT_EQ(page.contains(QStringLiteral("失败")), lang == "zh-cn");
        // The language items in their own names, whatever the window's language.
        EXPECT_EQ(m.Chinese1->text(), QStringLiteral("简体中文"));
        EXPECT_EQ(m.English1->text().remove(QLatin1Char('&')), QStringLiteral("English"));
    }
}

TEST(MainWindow, FilterSaysHowManyRowsItShows) {
    WindowHarness w(configText("en", suffixLines("whois.example", {"com", "net"})));
    w.main->show();
    // The mark columns share the width the name column leaves.
    w.main->resize(1600, 700);
    QHeaderView* header = w.main->lvDomain->horizontalHeader();
    ASSERT_TRUE(waitUntil([&] { return header->length() == w.main->lvDomain->viewport()->width(); }));
    EXPECT_EQ(header->sectionSize(0), 120);
    EXPECT_EQ(header->sectionSize(1), header->sectionSize(2));
    for (const char* mark : {"☆", "★", "☆", "-", "★"}) {
        w.main->resultModel().appendRow(mark == std::string("☆") ? "free" : "other", {markOf(mark), Mark::Unasked});
    }
    struct Case {
        int kind;
        const char* text;
        const char* shown; // nullptr: no count while nothing is filtered
    };
    const Case cases[] = {
        {0, "", nullptr},        {1, "", "2 of 5 shown"},    {1, "FRE", "2 of 5 shown"},
        {3, "", "1 of 5 shown"}, {0, "oth", "3 of 5 shown"}, {0, "", nullptr},
    };
    for (const Case& c : cases) {
        w.main->cbFilter->setCurrentIndex(c.kind);
        w.main->edtFilter->setText(QString::fromUtf8(c.text));
        EXPECT_EQ(w.main->lblShown->isVisible(), c.shown != nullptr) << c.kind << c.text;
        if (c.shown != nullptr) {
            EXPECT_EQ(w.main->lblShown->text(), QString::fromUtf8(c.shown)) << c.kind << c.text;
        }
    }
}

TEST(MainWindow, DeleteAndClearRegisteredCanBeUndone) {
    struct Case {
        const char* what;
        std::function<void(TfrmWhoisMain&)> remove;
        std::size_t left;
    };
    const Case cases[] = {
        {"delete",
         [](TfrmWhoisMain& m) {
             m.lvDomain->selectionModel()->select(m.filterModel().index(1, 0),
                                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
             m.lvDomain->selectionModel()->select(m.filterModel().index(3, 0),
                                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
             QTest::keyClick(m.lvDomain, Qt::Key_Delete);
         },
         2},
        {"clear registered", [](TfrmWhoisMain& m) { m.N1->trigger(); }, 2},
    };
    for (const Case& c : cases) {
        WindowHarness w(configText("en", suffixLines("whois.example", {"com", "net"})));
        w.main->show();
        ResultTableModel& model = w.main->resultModel();
        model.appendRow("a", marksOf({"☆", "★"}));
        model.appendRow("b", marksOf({"★", "★"}));
        model.appendRow("c", marksOf({"-", "☆"}));
        model.appendRow("d", marksOf({"★", "★"}));
        const std::vector<ResultRow> before = w.rows();
        EXPECT_FALSE(w.main->Undo1->isEnabled()) << c.what;
        c.remove(*w.main);
        EXPECT_EQ(w.rows().size(), c.left) << c.what;
        EXPECT_TRUE(w.main->Undo1->isEnabled()) << c.what;
        w.main->Undo1->trigger();
        EXPECT_EQ(w.rows(), before) << c.what;
        EXPECT_EQ(w.main->runStatusBar().countsText(), QStringLiteral("☆ 2  ★ 5  - 1")) << c.what;
        EXPECT_FALSE(w.main->Undo1->isEnabled()) << c.what;
        // A change of columns leaves nothing to undo: the removed rows no longer fit.
        c.remove(*w.main);
        w.main->serverModel().setTicked(1, false);
        EXPECT_FALSE(w.main->Undo1->isEnabled()) << c.what;
    }
}

TEST(MainWindow, TheWindowCarriesTheIconAndTheClassItsMenuEntryNames) {
    DesktopIdentity::apply();
    WindowHarness w(configText("en", {}));
    EXPECT_FALSE(w.main->windowIcon().isNull());
    EXPECT_FALSE(w.main->windowIcon().pixmap(32, 32).isNull());
    const QString desktopFile =
        QStringLiteral(CORVANTIDE_DATA_DIR "/") + QGuiApplication::desktopFileName() + QStringLiteral(".desktop");
    QFile file(desktopFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << desktopFile.toStdString();
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    EXPECT_TRUE(lines.contains(QStringLiteral("StartupWMClass=") + QCoreApplication::applicationName()));
    EXPECT_TRUE(lines.contains(QStringLiteral("Icon=") + QGuiApplication::desktopFileName()));
}

} // namespace
} // namespace cvt::test

CVT_QT_TEST_MAIN()
