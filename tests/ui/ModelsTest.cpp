#include "core/ResultTable.h"
#include "tests/core/QueryFakes.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/ResultTableModel.h"
#include "ui/ServerTableModel.h"
#include "ui/WindowAdapter.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <gtest/gtest.h>
#include <thread>

namespace cvt::test {
namespace {

struct Mirror {
    Mirror() : tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal), adapter(controls, model) {
        model.reset(table.setListener(&adapter));
        model.setSource(&table);
    }
    ~Mirror() { table.setListener(nullptr); }

    ResultTable table;
    ResultTableModel model;
    QAbstractItemModelTester tester;
    RecordingControls controls; // records in the order the changes reach the GUI thread
    WindowAdapter adapter;
};

TEST(ResultTableMirror, FollowsEveryKindOfChangeOfTheCoreTable) {
    Mirror m;
    using Step = std::function<void(ResultTable&)>;
    const Step steps[] = {
        [](ResultTable& t) { t.setColumnCaption(0, "Domain Name"); },
        [](ResultTable& t) { t.appendColumn("com"); },
        [](ResultTable& t) { t.appendColumn("net"); },
        [](ResultTable& t) { t.placeMark("aphone", "com", "☆"); },
        [](ResultTable& t) { t.placeMark("aphone", "net", "★"); },
        [](ResultTable& t) { t.placeMark("bphone", "net", "-"); },
        [](ResultTable& t) { t.appendColumn("org"); },
        [](ResultTable& t) { t.setCell(0, 2, "☆"); },
        [](ResultTable& t) { t.RemoveSuffixColumn("com"); },
        [](ResultTable& t) { t.setRowCaption(1, "cphone"); },
        [](ResultTable& t) { t.appendRow("dphone"); },
        [](ResultTable& t) { t.appendRow("ephone"); },
        [](ResultTable& t) {
            t.removeRows({0, 2});
        },
        [](ResultTable& t) { t.removeRowsIf([](const ResultRow& r) { return r.caption == "ephone"; }); },
        [](ResultTable& t) { t.setColumnCaption(1, "net2"); },
        [](ResultTable& t) { t.clearRows(); },
        [](ResultTable& t) { t.placeMark("fphone", "org", "☆"); },
    };
    int index = 0;
    for (const Step& step : steps) {
        step(m.table);
        m.adapter.flush();
        EXPECT_EQ(m.model.snapshot(), m.table.snapshot()) << "after step " << index;
        ++index;
    }
}

TEST(ResultTableMirror, StaysEqualToTheTableWhileWorkersWriteIt) {
    Mirror m;
    m.table.appendColumn("com");
    m.table.appendColumn("net");
    m.table.appendColumn("org");
    std::vector<std::thread> workers;
    for (int w = 0; w < 3; ++w) {
        workers.emplace_back([&m, w] {
            static const char* const suffixes[] = {"com", "net", "org"};
            for (int i = 0; i < 600; ++i) {
                m.table.placeMark("name" + std::to_string(i), suffixes[w], i % 2 ? "☆" : "★");
            }
        });
    }
    // The GUI thread keeps draining, with its time limit, while the workers write.
    std::atomic<bool> done{false};
    std::thread joiner([&] {
        for (auto& worker : workers) {
            worker.join();
        }
        done = true;
    });
    ASSERT_TRUE(waitUntil([&] { return done.load(); }, 60000));
    joiner.join();
    // What the timed drains have not applied yet is applied now, in order (the model tester
    // makes each change slow in instrumented builds, so no time limit is put on this part).
    m.adapter.flush();
    EXPECT_EQ(m.adapter.pendingCount(), 0u);
    EXPECT_EQ(m.model.snapshot(), m.table.snapshot());
}

TEST(WindowAdapter, AppliesControlChangesInOrderOnTheGuiThread) {
    Mirror m;
    std::thread worker([&] {
        m.adapter.setStopEnabled(true);
        m.adapter.setSearchEnabled(false);
        m.adapter.setStatusText(1, "1/2");
        m.adapter.setStatusText(1, "2/2");
        m.adapter.setPopupItemsEnabled(true);
        m.adapter.setStopEnabled(false);
        m.adapter.restorePatternMode();
        m.adapter.enableSearchIfPatternPresent();
    });
    worker.join();
    EXPECT_TRUE(m.controls.events().empty()); // nothing happens on the worker's thread
    ASSERT_TRUE(waitUntil([&] { return m.adapter.pendingCount() == 0 && !m.controls.events().empty(); }));
    m.adapter.flush();
    // Switches keep their order; of the status texts only the last one is shown, no later than
    // the change that follows a batch's end.
    EXPECT_EQ(m.controls.events(), (std::vector<std::string>{"stop=1", "search=0", "popup=1", "stop=0", "status1=2/2",
                                                             "patternMode", "searchIfPattern"}));
}

TEST(WindowAdapter, SelectsOnlyRowsThatExistWhenItApplies) {
    Mirror m;
    m.table.appendColumn("com");
    for (int i = 0; i < 5; ++i) {
        const PlacedMark placed = m.table.placeMark("n" + std::to_string(i), "com", "☆");
        m.adapter.selectAndShowRow(placed.row);
    }
    m.table.clearRows(); // the selection meant rows that have gone
    m.adapter.flush();
    EXPECT_EQ(m.model.rowCount(), 0);
    EXPECT_TRUE(m.controls.eventsStartingWith("select").empty());
    m.table.placeMark("x", "com", "★");
    m.adapter.selectAndShowRow(0);
    m.adapter.flush();
    EXPECT_EQ(m.controls.events().back(), "select=0");
}

TEST(ResultTableModel, EditingANameGoesThroughTheCoreTable) {
    Mirror m;
    m.table.appendColumn("com");
    m.table.placeMark("phone", "com", "☆");
    m.adapter.flush();
    ASSERT_TRUE(m.model.setData(m.model.index(0, 0), QStringLiteral("fone"), Qt::EditRole));
    EXPECT_EQ(m.table.rowCaption(0), "fone");
    m.adapter.flush();
    EXPECT_EQ(m.model.data(m.model.index(0, 0), Qt::DisplayRole).toString(), QStringLiteral("fone"));
    EXPECT_FALSE(m.model.flags(m.model.index(0, 1)).testFlag(Qt::ItemIsEditable));
}

TEST(ServerTableModel, TicksAndCaptionEditsAreReported) {
    ServerTableModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.setEntries(
        {ServerEntry{"com", "whois.a", "No match", "", true}, ServerEntry{"net", "whois.b", "x", "", false}});
    QSignalSpy ticks(&model, &ServerTableModel::tickChanged);
    QSignalSpy edits(&model, &ServerTableModel::captionEdited);
    EXPECT_EQ(model.data(model.index(0, 0), Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Checked);
    EXPECT_EQ(model.data(model.index(1, 1), Qt::DisplayRole).toString(), QStringLiteral("whois.b"));
    model.setData(model.index(1, 0), Qt::Checked, Qt::CheckStateRole);
    model.setData(model.index(1, 0), Qt::Checked, Qt::CheckStateRole); // no change, no report
    EXPECT_EQ(ticks.count(), 1);
    EXPECT_TRUE(model.entries()[1].ticked);
    model.setData(model.index(0, 0), QStringLiteral("co"), Qt::EditRole);
    EXPECT_EQ(edits.count(), 1);
    EXPECT_EQ(model.entries()[0].caption, "co");
    EXPECT_EQ(model.entries()[0].mark, "No match");
    EXPECT_FALSE(model.setData(model.index(0, 1), QStringLiteral("host"), Qt::EditRole));
}

} // namespace
} // namespace cvt::test

CVT_QT_TEST_MAIN()
