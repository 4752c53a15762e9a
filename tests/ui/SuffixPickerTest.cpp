// The main window's suffix picker on the shipped suffix data: search, groups, ticks, the count of
// ticked suffixes and the result columns in tick order.

#include "config/IniFile.h"
#include "core/query/QueryLane.h"
#include "tests/ui/WindowHarness.h"
#include "ui/LaneTableModel.h"
#include "ui/ServerTableModel.h"
#include "ui/SuffixFilterModel.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTreeView>
#include <set>

namespace cvt::test {
namespace {

std::filesystem::path shippedData(std::string_view name) {
    return std::filesystem::path(CORVANTIDE_DATA_DIR) / name;
}

struct Picker {
    explicit Picker(const std::string& config) : w(config, {}, shippedData) {}

    std::vector<std::string> shown() const {
        std::vector<std::string> suffixes;
        for (const int row : w.main->suffixFilter().shownRows()) {
            suffixes.push_back(w.main->serverModel().row(row).server.caption);
        }
        return suffixes;
    }
    // The row of a suffix as the table shows it.
    int rowOf(const std::string& suffix) const {
        auto& servers = w.main->serverModel();
        for (int row = 0; row < servers.rowCount(); ++row) {
            if (servers.row(row).server.caption == suffix) {
                return row;
            }
        }
        ADD_FAILURE() << suffix << " is not in the table";
        return -1;
    }
    void tick(const std::string& suffix, bool ticked = true) {
        auto& servers = w.main->serverModel();
        servers.setData(servers.index(rowOf(suffix), 0), ticked ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole);
    }

    WindowHarness w;
};

const std::string kConfig = configText("en", suffixLines("127.0.0.1:4399", {"com", "net", "org", "cn"}));

TEST(SuffixPicker, OffersEveryCatalogueSuffixBehindConfigIniAndFindsThem) {
    Picker p(kConfig);
    auto& main = *p.w.main;
    EXPECT_TRUE(p.w.prompts.errors.empty());
    EXPECT_GT(main.serverModel().rowCount(), 1000);
    // A new install: Config.ini's first three entries are ticked, and the popular group is shown.
    EXPECT_EQ(main.lblTicked->text(), QStringLiteral("3 ticked"));
    EXPECT_EQ(p.w.captions(), (std::vector<std::string>{"Domain Name", "com", "net", "org"}));
    EXPECT_EQ(main.cbSuffixGroup->currentText(), QStringLiteral("Popular"));
    const std::vector<std::string> popular = p.shown();
    ASSERT_GE(popular.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(popular.begin(), popular.begin() + 4),
              (std::vector<std::string>{"com", "net", "org", "cn"}));

    struct Case {
        int group; // index in cbSuffixGroup
        const char* search;
        const char* first; // the first row shown
        const char* asked; // its second column
    };
    const Case cases[] = {
        {5, "shop", "shop", "RDAP"},    {5, ".Shop", "shop", "RDAP"}, {5, "com", "com", "Config.ini"},
        {3, "co.uk", "co.uk", nullptr}, {3, "uk", "uk", nullptr},     {2, "app", "app", "RDAP"},
    };
    for (const Case& c : cases) {
        main.cbSuffixGroup->setCurrentIndex(c.group);
        main.edtSuffixSearch->setText(QString::fromUtf8(c.search));
        const std::vector<std::string> shown = p.shown();
        ASSERT_FALSE(shown.empty()) << c.search;
        if (c.first != nullptr) {
            EXPECT_EQ(shown.front(), c.first) << c.search;
        }
        const QModelIndex top = main.lvWhois->model()->index(0, 1);
        if (c.asked != nullptr) {
            EXPECT_EQ(top.data().toString(), QString::fromUtf8(c.asked)) << c.search;
        }
        // The server stays in the tooltip.
        EXPECT_FALSE(top.data(Qt::ToolTipRole).toString().isEmpty()) << c.search;
    }
    // The Chinese group holds only Chinese-script suffixes.
    main.cbSuffixGroup->setCurrentIndex(4);
    main.edtSuffixSearch->clear();
    for (const int row : main.suffixFilter().shownRows()) {
        EXPECT_TRUE(main.serverModel().row(row).in(SuffixChoice::Chinese));
    }
    // A search for a group's name shows its members.
    main.cbSuffixGroup->setCurrentIndex(5);
    main.edtSuffixSearch->setText(QStringLiteral("Country"));
    EXPECT_GT(p.shown().size(), 200u);
    main.edtSuffixSearch->setText(QStringLiteral("zzzz-no-such"));
    EXPECT_TRUE(p.shown().empty());
}

TEST(SuffixPicker, TicksBecomeColumnsInTickOrderAndAreKept) {
    Picker p(kConfig);
    auto& main = *p.w.main;
    for (const char* suffix : {"shop", "me", "fr"}) {
        p.tick(suffix);
    }
    p.tick("net", false);
    main.applyPendingChanges();
    const std::vector<std::string> columns{"Domain Name", "com", "org", "shop", "me", "fr"};
    EXPECT_EQ(p.w.captions(), columns);
    EXPECT_EQ(main.lblTicked->text(), QStringLiteral("5 ticked"));
    // The ticked view lists them in that order.
    main.cbSuffixGroup->setCurrentIndex(0);
    EXPECT_EQ(p.shown(), (std::vector<std::string>{"com", "org", "shop", "me", "fr"}));
    main.close();

    // Started again: the same ticks in the same order, and the group last chosen.
    p.w.build();
    EXPECT_EQ(p.w.captions(), columns);
    EXPECT_EQ(p.w.main->cbSuffixGroup->currentIndex(), 0);
    p.w.main->close();

    // A file from an earlier version keeps one tick per Config.ini row.
    IniFile ini = IniFile::fromFile(p.w.path);
    ini.writeStrings("state", {{"ticked_parts", "?"}, {"ticks", "0101"}});
    ini.saveToFile(p.w.path);
    p.w.build();
    EXPECT_EQ(p.w.captions(), (std::vector<std::string>{"Domain Name", "net", "cn"}));
}

TEST(SuffixPicker, TickShownAndClearTakeEveryRowShownAtOnce) {
    Picker p(kConfig);
    auto& main = *p.w.main;
    main.cbSuffixGroup->setCurrentIndex(3); // Country
    main.edtSuffixSearch->setText(QStringLiteral("co."));
    const std::vector<std::string> shown = p.shown();
    ASSERT_GT(shown.size(), 5u);
    QSignalSpy ticks(&main.serverModel(), &ServerTableModel::ticksChanged);
    main.btnTickShown->click();
    EXPECT_EQ(ticks.count(), 1);
    std::vector<std::string> expected{"Domain Name", "com", "net", "org"};
    expected.insert(expected.end(), shown.begin(), shown.end());
    EXPECT_EQ(p.w.captions(), expected);
    EXPECT_EQ(main.lblTicked->text(), QString::number(3 + shown.size()) + QStringLiteral(" ticked"));
    // Results under the columns are dropped only when the person agrees.
    main.resultModel().appendRow("aphone", std::vector<Mark>(expected.size() - 1, Mark::Free));
    p.w.prompts.confirmAnswer = false;
    main.btnClearTicks->click();
    EXPECT_EQ(p.w.captions(), expected);
    ASSERT_EQ(p.w.prompts.questions.size(), 1u);
    p.w.prompts.confirmAnswer = true;
    main.btnClearTicks->click();
    EXPECT_EQ(p.w.captions(), (std::vector<std::string>{"Domain Name"}));
    EXPECT_EQ(main.lblTicked->text(), QStringLiteral("0 ticked"));
}

TEST(SuffixPicker, FiveHundredTickedScrollSidewaysAndShareLanesByServer) {
    Picker p(kConfig);
    auto& main = *p.w.main;
    main.show();
    main.cbSuffixGroup->setCurrentIndex(5);
    std::vector<int> rows = main.suffixFilter().shownRows();
    rows.resize(500);
    main.serverModel().replaceTicks(rows);
    QCoreApplication::processEvents();
    ASSERT_EQ(p.w.captions().size(), 501u);
    EXPECT_EQ(main.lblTicked->text(), QStringLiteral("500 ticked"));
    // The mark columns keep a readable width and the table scrolls sideways.
    EXPECT_GE(main.lvDomain->columnWidth(250), 44);
    EXPECT_GT(main.lvDomain->horizontalScrollBar()->maximum(), 0);
    // The run's lanes: one per server, not one per suffix.
    std::set<std::string> servers;
    for (const int row : rows) {
        servers.insert(laneKey(main.serverModel().row(row).server.host));
    }
    main.laneModel().startRun(main.serverModel().runEntries(), false);
    EXPECT_EQ(static_cast<std::size_t>(main.laneModel().rowCount()), servers.size());
    EXPECT_LT(servers.size(), 500u);
    // Unticked again, the columns share the width once more.
    main.serverModel().replaceTicks({rows[0], rows[1]});
    QCoreApplication::processEvents();
    EXPECT_EQ(main.lvDomain->horizontalHeader()->sectionResizeMode(1), QHeaderView::Stretch);
}

} // namespace
} // namespace cvt::test

CVT_QT_TEST_MAIN()
