#include "core/query/ResultTable.h"
#include "tests/support/MarkGlyphs.h"
#include "tests/support/QueryFakes.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/LaneTableModel.h"
#include "ui/MarkStyle.h"
#include "ui/QueryEventQueue.h"
#include "ui/ResultFilterModel.h"
#include "ui/ResultTableModel.h"
#include "ui/ServerTableModel.h"
#include "ui/SuffixFilterModel.h"

#include <QAbstractItemModelTester>
#include <QBrush>
#include <QGuiApplication>
#include <QPalette>
#include <QSignalSpy>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

namespace cvt::test {
namespace {

// The window's path for results: the engine's events, from any thread, through the queue into the
// model that owns the table.
struct ResultsPath {
    ResultsPath() : tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal) {
        QObject::connect(&queue, &QueryEventQueue::rowsClearedSignal, [this] { model.clearRows(); });
        QObject::connect(&queue, &QueryEventQueue::rowsAppended, [this](const std::vector<AppendedRow>& rows) {
            model.appendRows(rows);
            ++rowBatches;
        });
        QObject::connect(&queue, &QueryEventQueue::cellsAnswered,
                         [this](const std::vector<AnsweredCell>& cells) { model.applyCells(cells); });
        QObject::connect(&queue, &QueryEventQueue::runStateChangedSignal,
                         [this](const RunProgress& progress) { states.push_back(progress); });
        model.alignSuffixColumns({entry("com", "h", "m"), entry("net", "h", "m"), entry("org", "h", "m")});
    }

    ResultTableModel model;
    QAbstractItemModelTester tester;
    QueryEventQueue queue;
    int rowBatches = 0;
    std::vector<RunProgress> states;
};

TEST(QueryEventQueue, ModelFollowsEventsFromSeveralLanes) {
    ResultsPath p;
    p.queue.rowsCleared();
    constexpr std::size_t kRows = 600;
    std::atomic<std::size_t> published{0};
    std::vector<std::thread> lanes;
    static const char* const suffixes[] = {"com", "net", "org"};
    for (int lane = 0; lane < 3; ++lane) {
        lanes.emplace_back([&, lane] {
            for (std::size_t row = 0; row < kRows; ++row) {
                if (lane == 0) {
                    p.queue.rowAppended({row, "name" + std::to_string(row)});
                    published = row + 1;
                } else {
                    while (published.load() <= row) {
                        std::this_thread::yield();
                    }
                }
                p.queue.cellAnswered({row, "name" + std::to_string(row), suffixes[lane],
                                      row % 2 ? Mark::Free : Mark::Failed, row % 2 ? "" : "Read Timeout"});
            }
            p.queue.runStateChanged({RunState::Running, kRows, kRows});
        });
    }
    for (std::thread& lane : lanes) {
        lane.join();
    }
    p.queue.runStateChanged({RunState::Idle, kRows, kRows});
    // Handed on by the event loop, in batches, without a call from the test.
    ASSERT_TRUE(waitUntil([&] { return !p.states.empty() && p.states.back().state == RunState::Idle; }));
    ASSERT_EQ(p.model.rowCount(), static_cast<int>(kRows));
    EXPECT_LT(p.rowBatches, static_cast<int>(kRows)) << "rows arrive in batches";
    for (std::size_t row = 0; row < kRows; ++row) {
        const Mark mark = row % 2 ? Mark::Free : Mark::Failed;
        ASSERT_EQ(p.model.rows()[row], (ResultRow{"name" + std::to_string(row), {mark, mark, mark}})) << row;
    }
    EXPECT_EQ(p.model.data(p.model.index(0, 2), Qt::ToolTipRole).toString(), QStringLiteral("failed: Read Timeout"));
    EXPECT_EQ(p.model.data(p.model.index(1, 2), Qt::ToolTipRole).toString(), QStringLiteral("free"));
    EXPECT_EQ(p.model.markCounts(), (MarkCounts{3 * (kRows / 2), 0, 3 * (kRows - kRows / 2)}));
}

// The rows the filter shows, by name, in its order.
std::vector<std::string> shownNames(const ResultFilterModel& filter, const ResultTableModel& model) {
    std::vector<std::string> names;
    for (int row = 0; row < filter.rowCount(); ++row) {
        names.push_back(model.rows()[filter.sourceRow(row)].caption);
    }
    return names;
}

TEST(ResultFilterModel, ShowsTheChosenKindAndNamesAndSortsWithoutCopying) {
    ResultTableModel model;
    model.alignSuffixColumns({entry("com", "h", "m"), entry("net", "h", "m")});
    ResultFilterModel filter(model);
    QAbstractItemModelTester tester(&filter, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.appendRow("delta", {Mark::Registered, Mark::Registered});
    model.appendRow("Alpha", {Mark::Free, Mark::Registered});
    model.appendRow("charlie", {Mark::Failed, Mark::Unasked});
    model.appendRow("bravo", {Mark::Registered, Mark::Free});
    struct Case {
        std::optional<Mark> kind;
        const char* text;
        std::vector<std::string> shown;
    };
    const Case cases[] = {
        {std::nullopt, "", {"delta", "Alpha", "charlie", "bravo"}},
        {Mark::Free, "", {"Alpha", "bravo"}},
        {Mark::Registered, "", {"delta", "Alpha", "bravo"}},
        {Mark::Failed, "", {"charlie"}},
        {std::nullopt, "AL", {"Alpha"}},
        {Mark::Free, " a ", {"Alpha", "bravo"}},
        {Mark::Failed, "z", {}},
    };
    for (const Case& c : cases) {
        filter.setKind(c.kind);
        filter.setNameText(QString::fromUtf8(c.text));
        EXPECT_EQ(shownNames(filter, model), c.shown) << (c.kind ? markGlyph(*c.kind) : "all") << " '" << c.text << "'";
    }
    // A row answered later joins the filter; sorted by a suffix column, free comes first and equal
    // marks keep candidate order.
    filter.setKind(std::nullopt);
    filter.setNameText({});
    filter.sort(1);
    EXPECT_EQ(shownNames(filter, model), (std::vector<std::string>{"Alpha", "delta", "bravo", "charlie"}));
    filter.sort(0);
    EXPECT_EQ(shownNames(filter, model), (std::vector<std::string>{"Alpha", "bravo", "charlie", "delta"}));
    filter.sort(-1);
    filter.setKind(Mark::Free);
    model.appendRows({{4, "echo"}});
    model.applyCells({{4, "echo", "net", Mark::Free, ""}, {0, "delta", "com", Mark::Free, ""}});
    EXPECT_EQ(shownNames(filter, model), (std::vector<std::string>{"delta", "Alpha", "bravo", "echo"}));
    EXPECT_EQ(model.markCounts(), (MarkCounts{4, 3, 1}));
    // Removing rows by index keeps the others and their counts.
    model.removeRowsAt({3, 0, 99, 3});
    EXPECT_EQ(shownNames(filter, model), (std::vector<std::string>{"Alpha", "echo"}));
    EXPECT_EQ(model.markCounts(), (MarkCounts{2, 1, 1}));
}

TEST(ResultTableModel, MarksKeepTheirTextsAndShowColourAndKind) {
    ResultTableModel model;
    model.alignSuffixColumns(
        {entry("com", "h", "m"), entry("net", "h", "m"), entry("org", "h", "m"), entry("cn", "h", "m")});
    model.appendRows({{0, "name"}});
    model.applyCells({{0, "name", "com", Mark::Free, ""},
                      {0, "name", "net", Mark::Registered, "Delegated in DNS"},
                      {0, "name", "org", Mark::Failed, "refused: WHOIS LIMIT EXCEEDED"}});
    struct Case {
        int column;
        const char* text;
        const char* tooltip;
        bool coloured;
    };
    const Case cases[] = {
        {1, "☆", "free", true},
        {2, "★", "registered: Delegated in DNS", true},
        // A failed cell shows a sign that reads at a glance; it still holds "-".
        {3, "⚠", "failed: refused: WHOIS LIMIT EXCEEDED", true},
        {4, "", nullptr, false},
    };
    for (const Case& c : cases) {
        const QModelIndex index = model.index(0, c.column);
        EXPECT_EQ(model.data(index, Qt::DisplayRole).toString(), QString::fromUtf8(c.text)) << c.column;
        EXPECT_EQ(model.data(index, Qt::ToolTipRole).isValid(), c.tooltip != nullptr) << c.column;
        if (c.tooltip != nullptr) {
            EXPECT_EQ(model.data(index, Qt::ToolTipRole).toString(), QString::fromUtf8(c.tooltip)) << c.column;
        }
        EXPECT_EQ(model.data(index, Qt::ForegroundRole).isValid(), c.coloured) << c.column;
    }
    // Three different colours.
    const auto colour = [&](int column) {
        return model.data(model.index(0, column), Qt::ForegroundRole).value<QBrush>();
    };
    EXPECT_NE(colour(1), colour(2));
    EXPECT_NE(colour(2), colour(3));
    EXPECT_EQ(model.data(model.index(0, 3), Qt::EditRole).toString(), QStringLiteral("-"));
    EXPECT_EQ(model.rows()[0].cells[2], Mark::Failed);
    model.setLanguage("zh-cn");
    EXPECT_EQ(model.data(model.index(0, 1), Qt::ToolTipRole).toString(), QStringLiteral("可注册"));
}

TEST(QueryEventQueue, HandsOnEveryChangeOfStateButOnlyTheLatestProgress) {
    ResultsPath p;
    std::thread worker([&] {
        p.queue.runStateChanged({RunState::Preparing, 0, 0});
        p.queue.runStateChanged({RunState::Running, 0, 2});
        p.queue.rowAppended({0, "ax"});
        p.queue.runStateChanged({RunState::Running, 1, 2});
        p.queue.runStateChanged({RunState::Idle, 1, 2});
    });
    worker.join();
    p.queue.flush();
    // A run that ended before the window looked is still seen to have run.
    EXPECT_EQ(p.states, (std::vector<RunProgress>{
                            {RunState::Preparing, 0, 0}, {RunState::Running, 1, 2}, {RunState::Idle, 1, 2}}));
    EXPECT_EQ(p.model.rowCount(), 1);
    p.queue.flush();
    EXPECT_EQ(p.states.size(), 3u) << "nothing queued, nothing handed on";
}

TEST(ResultTableModel, RenamingKeepsToThePatternCharactersAndEmptiesTheMarks) {
    struct Case {
        QString typed;
        std::string name;
        bool accepted;
        bool marksKept;
    };
    const Case cases[] = {
        {QStringLiteral("fone"), "fone", true, false},
        {QStringLiteral("fo\r\nne"), "fone", true, false}, // a pasted line break never reaches a query
        {QStringLiteral(" fo.n_e\t"), "fone", true, false},
        {QStringLiteral("a-b[c]"), "a-b[c]", true, false},
        {QStringLiteral("phone"), "phone", true, true}, // the same name: its answers stay
        {QStringLiteral("\r\n"), "phone", false, true},
        {QStringLiteral("电话"), "phone", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        ResultsPath p;
        p.model.appendRows({{0, "phone"}});
        p.model.applyCells(
            {{0, "phone", "com", Mark::Registered, ""}, {0, "phone", "net", Mark::Failed, "Read Timeout"}});
        EXPECT_EQ(p.model.setData(p.model.index(0, 0), c.typed, Qt::EditRole), c.accepted);
        EXPECT_EQ(p.model.rows()[0].caption, c.name);
        const std::vector<Mark> marks =
            c.marksKept ? std::vector<Mark>{Mark::Registered, Mark::Failed, Mark::Unasked} : std::vector<Mark>(3);
        EXPECT_EQ(p.model.rows()[0].cells, marks);
        EXPECT_EQ(p.model.rows()[0].detail(1), c.marksKept ? "Read Timeout" : "");
        EXPECT_EQ(p.model.markCounts(), (c.marksKept ? MarkCounts{0, 1, 1} : MarkCounts{}));
    }
}

// A row renamed while a run or a re-query pass asks its old name: that answer is not the new name's.
TEST(ResultTableModel, AnAnswerForTheNameBeforeARenameIsNotWritten) {
    ResultsPath p;
    p.model.appendRows({{0, "phone"}});
    ASSERT_TRUE(p.model.setData(p.model.index(0, 0), QStringLiteral("fone"), Qt::EditRole));
    p.model.applyCells({{0, "phone", "com", Mark::Free, ""}, {0, "fone", "net", Mark::Registered, ""}});
    EXPECT_EQ(p.model.rows()[0].cells, (std::vector<Mark>{Mark::Unasked, Mark::Registered, Mark::Unasked}));
    EXPECT_EQ(p.model.markCounts(), (MarkCounts{0, 1, 0}));
}

TEST(ResultTableModel, OnlyNamesAreEditableAndColumnsFollowTheTicks) {
    ResultsPath p;
    p.model.appendRows({{0, "phone"}});
    p.model.applyCells({{0, "phone", "net", Mark::Free, ""}});
    EXPECT_TRUE(p.model.flags(p.model.index(0, 0)).testFlag(Qt::ItemIsEditable));
    EXPECT_FALSE(p.model.flags(p.model.index(0, 1)).testFlag(Qt::ItemIsEditable));
    p.model.alignSuffixColumns({entry("com", "h", "m", false), entry("net", "h", "m"), entry("org", "h", "m")});
    EXPECT_EQ(p.model.captions(), (std::vector<std::string>{"", "net", "org"}));
    EXPECT_EQ(p.model.rows()[0].cells, (std::vector<Mark>{Mark::Free, Mark::Unasked}))
        << "the cells go with their column";
}

TEST(ServerTableModel, TicksAndCaptionEditsAreReported) {
    ServerTableModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.setEntries(
        {ServerEntry{"com", "whois.a", "No match", "", true}, ServerEntry{"net", "whois.b", "x", "", false}});
    QSignalSpy ticks(&model, &ServerTableModel::ticksChanged);
    QSignalSpy edits(&model, &ServerTableModel::captionEdited);
    EXPECT_EQ(model.data(model.index(0, 0), Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Checked);
    EXPECT_EQ(model.data(model.index(1, 1), Qt::DisplayRole).toString(), QStringLiteral("Config.ini"));
    EXPECT_EQ(model.data(model.index(1, 1), Qt::ToolTipRole).toString(), QStringLiteral("net\nwhois.b"));
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

// A picker's rows: Config.ini's own entry first, then catalogue suffixes.
std::vector<DirectorySuffix> pickerRows() {
    const auto row = [](const char* suffix, const char* ascii, AskedBy askedBy,
                        std::initializer_list<SuffixChoice> in) {
        DirectorySuffix item;
        item.server = ServerEntry{suffix, "https://rdap.example/", "", "", false};
        item.ascii = ascii;
        item.askedBy = askedBy;
        for (const SuffixChoice choice : in) {
            item.choices |= static_cast<std::uint8_t>(1u << static_cast<unsigned>(choice));
        }
        return item;
    };
    using enum SuffixChoice;
    return {row("mine", "mine", AskedBy::ConfigIni, {}),
            row("com", "com", AskedBy::Rdap, {Popular, Generic}),
            row("company", "company", AskedBy::Rdap, {Generic}),
            row("com.cn", "com.cn", AskedBy::WhoisKnownText, {Country}),
            row("shop", "shop", AskedBy::Rdap, {Popular, Generic}),
            row("中国", "xn--fiqs8s", AskedBy::WhoisCalibrated, {Country, Chinese}),
            row("co", "co", AskedBy::Rdap, {Country})};
}

TEST(SuffixFilterModel, SearchAndGroupsChooseTheRowsAtOnce) {
    ServerTableModel model;
    model.setRows(pickerRows());
    SuffixFilterModel filter(model);
    QAbstractItemModelTester tester(&filter, QAbstractItemModelTester::FailureReportingMode::Fatal);
    const auto shown = [&] {
        std::vector<std::string> captions;
        for (const int row : filter.shownRows()) {
            captions.push_back(model.row(row).server.caption);
        }
        return captions;
    };
    struct Case {
        SuffixFilterModel::Group group;
        const char* text;
        std::vector<std::string> expected;
    };
    using G = SuffixFilterModel::Group;
    const Case cases[] = {
        {G::All, "", {"mine", "com", "company", "com.cn", "shop", "中国", "co"}},
        {G::Popular, "", {"mine", "com", "shop"}}, // the user's own entry counts as popular
        {G::Country, "", {"com.cn", "中国", "co"}},
        {G::Chinese, "", {"中国"}},
        // Exact first, then names that begin with the text, then the rest, each in table order.
        {G::All, "co", {"co", "com", "company", "com.cn"}},
        {G::All, " .COM ", {"com", "company", "com.cn"}},
        {G::All, "xn--fiq", {"中国"}},
        {G::All, "中", {"中国"}},
        {G::All, "country", {"com.cn", "中国", "co"}},
        {G::All, "通用", {"com", "company", "shop"}},
        {G::Generic, "sh", {"shop"}},
        {G::Chinese, "com", {}},
    };
    QSignalSpy inserted(&filter, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&filter, &QAbstractItemModel::rowsRemoved);
    QSignalSpy layouts(&filter, &QAbstractItemModel::layoutChanged);
    for (const Case& c : cases) {
        filter.setGroup(c.group);
        filter.setSearchText(QString::fromUtf8(c.text));
        EXPECT_EQ(shown(), c.expected) << c.text;
    }
    EXPECT_EQ(inserted.count() + removed.count(), 0) << "a change of view is one layout change, not a signal per row";
    EXPECT_GT(layouts.count(), 0);

    // The ticked view lists the ticks in their order, and keeps an unticked row until the next change.
    filter.setSearchText(QString());
    filter.setGroup(G::Ticked);
    EXPECT_TRUE(shown().empty());
    QSignalSpy ticks(&model, &ServerTableModel::ticksChanged);
    model.setTickedRows({4, 1, 5}, true);
    model.setTicked(3, true);
    EXPECT_EQ(ticks.count(), 2) << "one notification per batch";
    filter.refresh();
    EXPECT_EQ(shown(), (std::vector<std::string>{"shop", "com", "中国", "com.cn"}));
    model.setTicked(1, false);
    EXPECT_EQ(shown(), (std::vector<std::string>{"shop", "com", "中国", "com.cn"}));
    filter.refresh();
    EXPECT_EQ(shown(), (std::vector<std::string>{"shop", "中国", "com.cn"}));
    EXPECT_EQ(model.tickedCount(), 3u);
    // The run's entries: ticked ones in tick order, then the rest.
    const std::vector<ServerEntry> run = model.runEntries();
    ASSERT_EQ(run.size(), 7u);
    EXPECT_EQ(run[0].caption, "shop");
    EXPECT_EQ(run[2].caption, "com.cn");
    EXPECT_TRUE(run[2].ticked);
    EXPECT_FALSE(run[3].ticked);
    // Only the user's own rows are renamed in place.
    EXPECT_TRUE(model.flags(model.index(0, 0)).testFlag(Qt::ItemIsEditable));
    EXPECT_FALSE(model.flags(model.index(1, 0)).testFlag(Qt::ItemIsEditable));
    model.setLanguage("en");
    EXPECT_EQ(model.data(model.index(5, 1), Qt::DisplayRole).toString(), QStringLiteral("WHOIS calibrated"));
    EXPECT_EQ(
        model.data(model.index(5, 0), Qt::ToolTipRole).toString(),
        QStringLiteral("中国 (xn--fiqs8s)\nhttps://rdap.example/\nNo no-match text derived from its replies yet"));
}

TEST(MarkStyle, EveryMarkReadsOnLightAndDarkBases) {
    // Light and dark palettes' bases, and a mid grey where neither shade fits as chosen.
    const QColor bases[] = {QColor(Qt::white),        QColor(0xf0, 0xf0, 0xf0), QColor(0xff, 0xfb, 0xe6),
                            QColor(0x2d, 0x2d, 0x2d), QColor(0x1e, 0x1e, 0x1e), QColor(Qt::black),
                            QColor(0x76, 0x76, 0x76), QColor(0x00, 0x33, 0x66)};
    for (const QColor& base : bases) {
        for (const Mark mark : {Mark::Free, Mark::Registered, Mark::Failed}) {
            const QColor colour = MarkStyle::colour(mark, base);
            ASSERT_TRUE(colour.isValid()) << markGlyph(mark);
            EXPECT_GE(MarkStyle::contrastRatio(colour, base), MarkStyle::kMinimumContrast)
                << markGlyph(mark) << " on " << base.name().toStdString();
        }
    }
    EXPECT_FALSE(MarkStyle::colour(Mark::Unasked, Qt::white).isValid());
    EXPECT_NEAR(MarkStyle::contrastRatio(Qt::black, Qt::white), 21.0, 1e-9);

    // The model colours the marks for the palette in use.
    ResultTableModel model;
    model.alignSuffixColumns({entry("com", "h", "m"), entry("net", "h", "m"), entry("org", "h", "m")});
    model.appendRow("name", marksOf({"☆", "★", "-"}));
    const QPalette saved = QGuiApplication::palette();
    for (const QColor& base : {QColor(Qt::white), QColor(0x1e, 0x1e, 0x1e)}) {
        QPalette palette = saved;
        palette.setColor(QPalette::Base, base);
        QGuiApplication::setPalette(palette);
        for (int column = 1; column <= 3; ++column) {
            const QColor colour = model.data(model.index(0, column), Qt::ForegroundRole).value<QBrush>().color();
            EXPECT_GE(MarkStyle::contrastRatio(colour, base), MarkStyle::kMinimumContrast) << column;
        }
    }
    QGuiApplication::setPalette(saved);
}

TEST(LaneTableModel, StatesAndCountsFollowTheRunsEvents) {
    LaneTableModel lanes;
    QAbstractItemModelTester tester(&lanes, QAbstractItemModelTester::FailureReportingMode::Fatal);
    lanes.setLanguage("en");
    lanes.startRun({entry("com", "whois.one", "m"), entry("net", "whois.one", "m"), entry("org", "Whois.Two", "m"),
                    entry("info", "whois.three", "m", false)},
                   false);
    ASSERT_EQ(lanes.rowCount(), 2); // unticked entries are not asked
    lanes.setNamesTotal(2);
    EXPECT_EQ(lanes.cellsToAsk(), 6u);
    const auto now = LaneTableModel::Clock::now();
    const auto state = [&](int row) { return lanes.data(lanes.index(row, 1), Qt::DisplayRole).toString(); };
    struct Step {
        const char* what;
        std::vector<AnsweredCell> cells;
        std::string activity;
        QString one, two; // the lanes' states afterwards
        std::size_t answered;
    };
    const Step steps[] = {
        {"asking", {}, "Connecting a.com", QStringLiteral("asking"), QStringLiteral("idle"), 0},
        {"answers",
         {{0, "a", "com", markOf("☆"), ""}, {0, "a", "org", markOf("-"), "refused: WHOIS LIMIT EXCEEDED"}},
         "",
         QStringLiteral("asking"),
         QStringLiteral("asking"),
         2},
        {"back-off",
         {},
         "Waiting for whois.two: 30 s",
         QStringLiteral("asking"),
         QStringLiteral("backing off 30 s after a refusal"),
         2},
        {"pace",
         {{0, "a", "net", markOf("★"), ""}},
         "Waiting for WHOIS.ONE: 2 s",
         QStringLiteral("waiting 2 s for pace"),
         QStringLiteral("backing off 30 s after a refusal"),
         3},
        {"done",
         {{1, "b", "com", markOf("☆"), ""}, {1, "b", "net", markOf("☆"), ""}},
         "",
         QStringLiteral("done"),
         QStringLiteral("backing off 30 s after a refusal"),
         5},
    };
    for (const Step& step : steps) {
        lanes.applyCells(step.cells);
        if (!step.activity.empty()) {
            lanes.applyActivity(step.activity, now);
        }
        lanes.tick(now);
        EXPECT_EQ(state(0), step.one) << step.what;
        EXPECT_EQ(state(1), step.two) << step.what;
        EXPECT_EQ(lanes.cellsAnswered(), step.answered) << step.what;
    }
    ASSERT_NE(lanes.backingOff(), nullptr);
    EXPECT_EQ(lanes.backingOff()->server, "Whois.Two");
    EXPECT_EQ(lanes.data(lanes.index(1, 3), Qt::DisplayRole).toString(), QStringLiteral("1"));
    EXPECT_EQ(lanes.data(lanes.index(0, 2), Qt::DisplayRole).toString(), QStringLiteral("4/4"));
    lanes.tick(now + std::chrono::seconds(12));
    EXPECT_EQ(state(1), QStringLiteral("backing off 18 s after a refusal"));
    // The run ends with the second server's cells unanswered.
    lanes.finishRun();
    EXPECT_EQ(state(0), QStringLiteral("done"));
    EXPECT_EQ(state(1), QStringLiteral("idle"));
    EXPECT_EQ(lanes.backingOff(), nullptr);
}

} // namespace
} // namespace cvt::test

CVT_QT_TEST_MAIN()
