// The result table as the person works with it: filter and sorting, the copy and delete keys, the
// remembered state, the language menu and the question before results are discarded.

#include "config/IniFile.h"
#include "i18n/Messages.h"
#include "tests/support/FakeWhoisServer.h"
#include "tests/ui/WindowHarness.h"
#include "ui/ResultFilterModel.h"
#include "ui/RunStatusBar.h"
#include "ui/ServerTableModel.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <gtest/gtest.h>

namespace cvt::test {
namespace {

void fill(WindowHarness& w, const std::vector<ResultRow>& rows) {
    for (const ResultRow& r : rows) {
        w.main->resultModel().appendRow(r.caption, r.cells);
    }
}

// Selects the rows the table shows at these places, as clicks with Ctrl would.
void selectShown(WindowHarness& w, std::initializer_list<int> shownRows) {
    QItemSelectionModel* selection = w.main->lvDomain->selectionModel();
    selection->clearSelection();
    for (const int row : shownRows) {
        selection->setCurrentIndex(w.main->lvDomain->model()->index(row, 0),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
}

const std::vector<ResultRow> kRows = {row("dphone", {"★", "★"}), row("aphone", {"☆", "★"}), row("cphone", {"-", "☆"}),
                                      row("bphone", {"★", "☆"})};

TEST(ResultView, FilterAndSortingKeepTheCommandsOnTheRowsShown) {
    WindowHarness w(configText("en", suffixLines("whois.example", {"com", "net"})));
    w.main->show();
    fill(w, kRows);
    // Free only, sorted by name: aphone, bphone, cphone.
    w.main->cbFilter->setCurrentIndex(1);
    w.main->lvDomain->horizontalHeader()->setSortIndicator(0, Qt::AscendingOrder);
    ASSERT_EQ(w.main->lvDomain->model()->rowCount(), 3);

    // Copy: the selected rows as the text export writes them, in the order shown.
    selectShown(w, {2, 0});
    w.main->lvDomain->setFocus();
    QTest::keyClick(w.main->lvDomain, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("aphone\t☆\t★\t\r\ncphone\t-\t☆\t\r\n"));

    // Copy free names: every free cell of the rows shown, with its suffix.
    w.main->edtFilter->setText(QStringLiteral("PH"));
    w.main->CopyFreeNames1->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("aphone.com\nbphone.net\ncphone.net\n"));
    w.main->edtFilter->setText(QStringLiteral("b"));
    w.main->CopyFreeNames1->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("bphone.net\n"));
    w.main->edtFilter->clear();

    // Delete: the rows selected, not the rows at those places of the table underneath.
    selectShown(w, {1});
    QTest::keyClick(w.main->lvDomain, Qt::Key_Delete);
    EXPECT_EQ(w.rows(), (std::vector<ResultRow>{kRows[0], kRows[1], kRows[2]}));

    // F2 renames the row shown; the table underneath keeps the new caption.
    const QModelIndex shown = w.main->lvDomain->model()->index(1, 0);
    w.main->lvDomain->model()->setData(shown, QStringLiteral("renamed"), Qt::EditRole);
    EXPECT_EQ(w.rows()[2].caption, "renamed");
    EXPECT_TRUE(w.main->lvDomain->editTriggers().testFlag(QAbstractItemView::EditKeyPressed));
    EXPECT_FALSE(w.main->lvDomain->editTriggers().testFlag(QAbstractItemView::DoubleClicked));
}

TEST(ResultView, HeaderClicksSortAndThenReturnToCandidateOrder) {
    WindowHarness w(configText("en", suffixLines("whois.example", {"com", "net"})));
    w.main->show();
    fill(w, kRows);
    QHeaderView* header = w.main->lvDomain->horizontalHeader();
    const QPoint nameHeader(header->sectionViewportPosition(0) + 10, header->height() / 2);
    const auto shown = [&] {
        std::vector<std::string> names;
        for (int row = 0; row < w.main->filterModel().rowCount(); ++row) {
            names.push_back(w.rows()[w.main->filterModel().sourceRow(row)].caption);
        }
        return names;
    };
    const std::vector<std::string> ascending = {"aphone", "bphone", "cphone", "dphone"};
    const std::vector<std::string> descending = {"dphone", "cphone", "bphone", "aphone"};
    const std::vector<std::string> candidates = {"dphone", "aphone", "cphone", "bphone"};
    for (const auto& expected : {ascending, descending, candidates, ascending}) {
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, nameHeader);
        EXPECT_EQ(shown(), expected);
    }
}

TEST(ResultView, DetailsOfTheRowShownAndDoubleClicked) {
    FakeWhoisServer server(
        FakeWhoisServer::answer([](std::string_view query) { return "reply for " + std::string(query); }));
    WindowHarness w(configText("en", suffixLines(server.hostField(), {"com"})));
    w.main->show();
    fill(w, {row("zzz", {"★"}), row("aaa", {"☆"})});
    w.main->lvDomain->sortByColumn(0, Qt::AscendingOrder);
    QString shown;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (w.info->isVisible()) {
            shown = w.info->text();
            w.info->accept();
        }
    });
    poll.start();
    // The first row shown is "aaa", the second of the table.
    const QModelIndex first = w.main->lvDomain->model()->index(0, 0);
    Q_EMIT w.main->lvDomain->doubleClicked(first);
    EXPECT_EQ(shown, QStringLiteral("— aaa.com —\nreply for aaa.com\n======================================\n"));
}

TEST(ResultView, DiscardingResultsIsAskedFirst) {
    FakeWhoisServer server(FakeWhoisServer::answer([](std::string_view) { return std::string("No match for"); }));
    WindowHarness w(configText("en", suffixLines(server.hostField(), {"com"})));
    // An empty table: no question.
    w.main->N3->trigger();
    EXPECT_TRUE(w.prompts.questions.empty());
    fill(w, {row("a", {"☆"}), row("b", {"★"})});
    w.prompts.confirmAnswer = false;
    w.main->N3->trigger();
    w.main->edtDomain->setText(QStringLiteral("x"));
    w.main->btnSearchClick();
    EXPECT_EQ(w.prompts.questions, (std::vector<QString>(2, QStringLiteral("Discard 2 results?"))));
    EXPECT_EQ(w.rows().size(), 2u);
    EXPECT_FALSE(w.main->engine().isBusy());
    w.prompts.confirmAnswer = true;
    w.main->btnSearchClick();
    ASSERT_TRUE(w.waitIdle());
    EXPECT_EQ(w.rows(), (std::vector<ResultRow>{row("x", {"☆"})}));
}

TEST(ResultView, EscapeStopsARun) {
    // A server that never answers keeps the run going until it is stopped.
    FakeWhoisServer server(FakeWhoisServer::answer([](std::string_view) {
        QThread::msleep(200);
        return std::string("No match for");
    }));
    WindowHarness w(configText("en", suffixLines(server.hostField(), {"com"})));
    w.main->show();
    w.main->activateWindow();
    w.main->edtDomain->setText(QStringLiteral("[a-z][a-z]"));
    w.main->btnSearchClick();
    ASSERT_TRUE(waitUntil([&] { return w.main->btnStop->isEnabled(); }));
    w.main->StopRun1->trigger();
    ASSERT_TRUE(w.waitIdle());
    EXPECT_LT(w.rows().size(), 676u);
    EXPECT_EQ(w.main->statusText(0), QStringLiteral("Stopped"));
}

TEST(ResultView, StateIsRememberedAndABrokenOneIgnored) {
    const auto lines = suffixLines("whois.example", {"com", "net", "org"});
    WindowHarness w(configText("en", lines));
    w.main->edtDomain->setText(QStringLiteral("[ab]phone"));
    w.main->serverModel().setTicked(1, false);
    w.text->edtStart->setText(QStringLiteral("my"));
    w.text->PageControl1->setCurrentIndex(2);
    w.main->show();
    w.main->resize(700, 560);
    QCoreApplication::processEvents();
    const QSize size = w.main->size();
    w.main->splitter->setSizes({300, 10000});
    QCoreApplication::processEvents();
    const int serverTableWidth = w.main->lvWhois->width();
    EXPECT_GT(serverTableWidth, 233);
    w.main->close();

    w.build();
    w.main->show();
    QCoreApplication::processEvents();
    EXPECT_EQ(w.main->edtDomain->text(), QStringLiteral("[ab]phone"));
    EXPECT_EQ(w.captions(), (std::vector<std::string>{"Domain Name", "com", "org"}));
    EXPECT_EQ(w.text->edtStart->text(), QStringLiteral("my"));
    EXPECT_EQ(w.text->PageControl1->currentIndex(), 2);
    EXPECT_EQ(w.main->size(), size);
    EXPECT_EQ(w.main->lvWhois->width(), serverTableWidth);
    w.main->close();

    // Values that make no sense, and a window far off the screen.
    IniFile ini = IniFile::fromFile(w.path);
    ini.writeStrings("state", {{"ticked_parts", "3"},
                               {"ticks", "10"},
                               {"mode", "sideways"},
                               {"x", "-30000"},
                               {"y", "50000"},
                               {"width", "40000"},
                               {"height", "x"}});
    ini.saveToFile(w.path);
    w.build();
    w.main->show();
    QCoreApplication::processEvents();
    EXPECT_EQ(w.captions(), (std::vector<std::string>{"Domain Name", "com", "net", "org"}));
    EXPECT_TRUE(w.main->raRandom->isChecked());
    const QRect screen = w.main->screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(w.main->geometry())) << w.main->geometry().x() << "," << w.main->geometry().y();
    w.main->close();

    // Saved on a large screen, opened on a small one: kept within the screen.
    ini = IniFile::fromFile(w.path);
    ini.writeStrings("state", {{"x", "5000"}, {"y", "5000"}, {"width", "9000"}, {"height", "9000"}});
    ini.saveToFile(w.path);
    w.build();
    w.main->show();
    QCoreApplication::processEvents();
    EXPECT_TRUE(screen.contains(w.main->geometry()));
}

TEST(RunStatusBar, DurationsReadAsMinutesAndSeconds) {
    struct Case {
        long long seconds;
        const char* language;
        const char* text;
    };
    const Case cases[] = {{0, "en", "0 s"},           {59, "en", "59 s"},           {192, "en", "3 min 12 s"},
                          {3600, "en", "60 min 0 s"}, {192, "zh-cn", "3 分 12 秒"}, {-5, "en", "0 s"}};
    for (const Case& c : cases) {
        EXPECT_EQ(durationText(c.seconds, c.language), QString::fromUtf8(c.text)) << c.seconds;
    }
    RunStatusBar bar;
    bar.showProgress(16777216, 16777216);
    EXPECT_EQ(bar.panelText(1), QStringLiteral("16777216/16777216"));
    EXPECT_GE(bar.findChild<QWidget*>(QStringLiteral("StatusPanel1"))->minimumWidth(),
              bar.fontMetrics().horizontalAdvance(bar.panelText(1)));
}

TEST(ResultView, LanguageMenuSwitchesEveryCaptionAndIsSaved) {
    WindowHarness w(configText("zh-cn", suffixLines("whois.example", {"com"})));
    EXPECT_TRUE(w.main->Setting1->menuAction()->isVisible());
    for (const std::string lang : {"en", "zh-cn"}) {
        (lang == "en" ? w.main->English1 : w.main->Chinese1)->trigger();
        auto* m = w.main.get();
        const std::pair<QString, Msg> captions[] = {
            {m->rg1->title(), Msg::SearchMethod},
            {m->raRandom->text(), Msg::RandomQueries},
            {m->raText->text(), Msg::GetWordsFromText},
            {m->btnSearch->text(), Msg::Search},
            {m->btnStop->text(), Msg::Stop},
            {m->lvDomain->model()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), Msg::DomainNameColumn},
            {m->serverModel().headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), Msg::ExtensionsColumn},
            {m->serverModel().headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), Msg::AskedByColumn},
            {m->exportExcel->text(), Msg::ExportToExcel},
            {m->ExporttoText1->text(), Msg::ExportToText},
            {m->N1->text(), Msg::ClearRegistered},
            {m->N2->text(), Msg::ForceSearchFailed},
            {m->Whois1->text(), Msg::BrowseWhoisDetails},
            {m->N3->text(), Msg::ClearAllRecords},
            {m->CopyFreeNames1->text(), Msg::CopyFreeNames},
            {m->cbFilter->itemText(0), Msg::FilterAll},
            {m->cbFilter->itemText(1), Msg::FilterFree},
            {m->cbFilter->itemText(2), Msg::FilterRegistered},
            {m->cbFilter->itemText(3), Msg::FilterFailed},
            {m->edtFilter->placeholderText(), Msg::FilterNamePlaceholder},
            {m->Setting1->title(), Msg::SettingMenu},
            {m->Language1->title(), Msg::LanguageMenu},
            {m->Chinese1->text(), Msg::ChineseItem},
            {m->English1->text(), Msg::EnglishItem},
            {m->Help1->title(), Msg::HelpMenu},
            {m->About1->text(), Msg::AboutItem},
        };
        for (const auto& [shown, id] : captions) {
            EXPECT_EQ(shown, QString::fromUtf8(message(id, lang))) << lang << " " << static_cast<int>(id);
        }
        EXPECT_EQ(IniFile::fromFile(w.path).readString("setting", "language", ""), lang);
    }
}

} // namespace
} // namespace cvt::test

CVT_QT_TEST_MAIN()
