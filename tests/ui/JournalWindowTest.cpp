// The window with its results journal: the offer to take up an unfinished search, the History
// page, reused answers, and a journal another Corvantide holds.
#include "core/journal/Journal.h"
#include "core/journal/SearchKey.h"
#include "tests/support/FakeWhoisServer.h"
#include "tests/ui/WindowHarness.h"
#include "ui/ResultFilterModel.h"
#include "ui/ServerTableModel.h"
#include "ui/UiText.h"
#include "ui/WindowJournal.h"

#include <QAction>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <algorithm>
#include <ctime>
#include <gtest/gtest.h>
#include <set>

namespace cvt::test {
namespace {

std::set<std::string> queriesOf(const FakeWhoisServer& server) {
    std::set<std::string> queries;
    for (std::string query : server.queries()) {
        while (!query.empty() && (query.back() == '\n' || query.back() == '\r')) {
            query.pop_back();
        }
        queries.insert(query);
    }
    return queries;
}

std::vector<ResultRow> expectedRows() {
    std::vector<ResultRow> rows;
    for (const char first : {'a', 'b', 'c'}) {
        for (char second = 'a'; second <= 'j'; ++second) {
            const char* mark = first == 'a' ? "☆" : "★";
            rows.push_back(row(std::string{first, second}, {mark, mark}));
        }
    }
    return rows;
}

// The captions and marks of the rows, without their details.
std::vector<std::pair<std::string, std::vector<Mark>>> rowMarks(const std::vector<ResultRow>& rows) {
    std::vector<std::pair<std::string, std::vector<Mark>>> marks;
    for (const ResultRow& row : rows) {
        marks.emplace_back(row.caption, row.cells);
    }
    return marks;
}

class JournalWindow : public ::testing::Test {
protected:
    JournalWindow() : m_server(freeWhenStartingWithA()), w(std::nullopt) {
        // The first three entries start ticked; the searches here ask com and net.
        w.dir.write("Config.ini", configText("en", suffixLines(m_server.hostField(), {"com", "net", "org"})));
    }

    // Builds the window afresh with a journal in the test's folder and waits until it is open.
    bool buildWithJournal() {
        w.journalPath = w.dir.file("journal.sqlite");
        w.build();
        return waitUntil([this] { return w.main->journal().session() != nullptr; });
    }

    FakeWhoisServer m_server;
    WindowHarness w;
};

// A search left unfinished is offered at the next start; Yes asks only the cells not yet answered
// and the table comes out whole.
TEST_F(JournalWindow, TheNextStartOffersToTakeUpAnUnfinishedSearch) {
    ASSERT_TRUE(buildWithJournal());
    EXPECT_TRUE(w.prompts.questions.empty()) << "a new journal has nothing to offer";
    // The first 10 names of [a-c][a-j] on com and net answered, as a run cut short would leave them.
    SearchRequest request;
    request.patternText = "[a-c][a-j]";
    std::vector<ServerEntry> entries = w.main->serverModel().entries();
    for (ServerEntry& entry : entries) {
        entry.ticked = entry.caption != "org";
    }
    const SearchKey key = makeSearchKey(request, entries, w.options.Run);
    Journal& journal = w.main->journal().session()->journal();
    const std::int64_t id =
        journal.startSearch({0, key.key, key.source, key.suffixes, key.settings, std::time(nullptr)});
    journal.setNames(id, 30);
    std::vector<JournalCell> cells;
    const std::vector<ResultRow> expected = expectedRows();
    for (std::size_t row = 0; row < 10; ++row) {
        for (const char* suffix : {"com", "net"}) {
            cells.push_back({static_cast<std::int64_t>(row), expected[row].caption, suffix, expected[row].cells[0], "",
                             "whois", m_server.hostField(), std::time(nullptr)});
        }
    }
    journal.writeCells(id, cells);

    w.prompts.confirmAnswer = true;
    w.build();
    ASSERT_TRUE(waitUntil([this] { return !w.prompts.questions.empty(); }));
    EXPECT_EQ(w.prompts.questions.front(),
              QStringLiteral("Resume the search for `[a-c][a-j]` (10 of 30 names asked)?"));
    ASSERT_TRUE(w.waitIdle());
    EXPECT_EQ(w.rows(), expected);
    EXPECT_EQ(w.main->edtDomain->text(), QStringLiteral("[a-c][a-j]"));
    EXPECT_TRUE(waitUntil([this] { return m_server.connectionCount() == 40; }));
    const std::set<std::string> asked = queriesOf(m_server);
    EXPECT_EQ(asked.size(), 40u) << "every cell not answered asked once";
    EXPECT_EQ(asked.count("aa.com"), 0u) << "an answered cell is taken back";
    EXPECT_EQ(w.main->journal().session()->journal().search(id)->finished != 0, true);
    EXPECT_TRUE(w.prompts.errors.empty());
    EXPECT_TRUE(w.prompts.informations.empty());
}

// History lists the searches and shows one in the table, where the filter works on it; a second
// search of the same names takes the answers of the first, and says so.
TEST_F(JournalWindow, HistoryShowsASearchAndAnswersAreReused) {
    ASSERT_TRUE(buildWithJournal());
    w.main->serverModel().setTicked(2, false);
    w.main->edtDomain->setText(QStringLiteral("[a-c][a-j]"));
    w.main->btnSearchClick();
    ASSERT_TRUE(w.waitIdle());
    ASSERT_EQ(rowMarks(w.rows()), rowMarks(expectedRows()));
    EXPECT_TRUE(waitUntil([this] { return m_server.connectionCount() == 60; }));

    w.main->btnSearchClick();
    ASSERT_TRUE(w.waitIdle());
    EXPECT_EQ(rowMarks(w.rows()), rowMarks(expectedRows()));
    EXPECT_EQ(m_server.connectionCount(), 60) << "the second search asks nothing";
    const QString tip = w.main->resultModel().data(w.main->resultModel().index(0, 1), Qt::ToolTipRole).toString();
    EXPECT_TRUE(tip.contains(QStringLiteral("reused from the journal"))) << tip.toStdString();

    w.main->History1->trigger();
    auto* page = w.main->findChild<QDialog*>(QStringLiteral("frmHistory"));
    ASSERT_NE(page, nullptr);
    auto* list = page->findChild<QTreeWidget*>(QStringLiteral("lvHistory"));
    ASSERT_TRUE(waitUntil([list] { return list->topLevelItemCount() == 2; }));
    for (int item = 0; item < 2; ++item) {
        EXPECT_EQ(list->topLevelItem(item)->text(1), QStringLiteral("finished"));
        EXPECT_EQ(list->topLevelItem(item)->text(2), QStringLiteral("60 of 60"));
        EXPECT_EQ(list->topLevelItem(item)->text(3), QStringLiteral("com,net"));
        EXPECT_EQ(list->topLevelItem(item)->text(4), QStringLiteral("[a-c][a-j]"));
    }

    // The older search, shown in place of the table's rows (the person agrees to drop them).
    list->setCurrentItem(list->topLevelItem(1));
    page->findChild<QPushButton*>(QStringLiteral("btnHistoryOpen"))->click();
    ASSERT_TRUE(waitUntil([this] {
        return w.main->statusText(0).contains(QStringLiteral("read-only")) && w.main->resultModel().rowCount() == 30;
    }));
    EXPECT_EQ(rowMarks(w.rows()), rowMarks(expectedRows()));
    w.main->filterModel().setKind(Mark::Free);
    EXPECT_EQ(w.main->filterModel().rowCount(), 10);
    EXPECT_EQ(m_server.connectionCount(), 60);
    EXPECT_TRUE(w.prompts.errors.empty());
}

// A journal another Corvantide writes to is left alone: the window says so and runs without one.
TEST_F(JournalWindow, AJournalInUseElsewhereIsLeftAlone) {
    std::vector<std::string> notices;
    const std::unique_ptr<Journal> other = Journal::open(w.dir.file("journal.sqlite"), JournalAccess::Write, notices);
    w.journalPath = w.dir.file("journal.sqlite");
    w.build();
    ASSERT_TRUE(waitUntil([this] { return !w.prompts.informations.empty(); }));
    EXPECT_TRUE(w.prompts.informations.front().contains(QStringLiteral("in use by another running Corvantide")))
        << w.prompts.informations.front().toStdString();
    EXPECT_EQ(w.main->journal().session(), nullptr);
    w.main->serverModel().setTicked(2, false);
    w.main->edtDomain->setText(QStringLiteral("[a-c][a-j]"));
    w.main->btnSearchClick();
    ASSERT_TRUE(w.waitIdle());
    EXPECT_EQ(rowMarks(w.rows()), rowMarks(expectedRows()));
    EXPECT_TRUE(other->searches().empty()) << "nothing written to the other's journal";
}

} // namespace
} // namespace cvt::test

CVT_QT_TEST_MAIN()
