// Runs on WHOIS servers judged by calibrated texts, against fake servers on 127.0.0.1: deriving the
// texts again when a reply fits neither, and keeping the server's pace while calibrating.
#include "core/query/NetWhoisLookup.h"
#include "core/query/QueryEngine.h"
#include "core/suffixes/CalibrationStore.h"
#include "tests/support/FakeWhoisServer.h"
#include "tests/support/QueryFakes.h"

#include <atomic>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace cvt {
namespace {

using test::FakeWhoisConnection;
using test::FakeWhoisServer;
using Strings = std::vector<std::string>;

constexpr std::int64_t kNow = 1'800'000'000;

// A registry that knows nic.shop and answers a few names in a way of its own (see Case).
struct Registry {
    // From this question on (counted from 1), names that do not exist are answered in new words.
    int newWordsFrom = 0;
    // Names answered with this text, whatever else they are.
    std::string oddName;
    std::string oddReply;
    // The question about nic.shop waits here until the test opens it.
    test::Gate* holdRegistered = nullptr;

    std::string answer(std::string_view query, int number) const {
        if (query == "nic.shop") {
            if (holdRegistered != nullptr) {
                holdRegistered->wait();
            }
            return "Domain Name: NIC.SHOP\r\nUpdated Date: 2026-01-02T03:04:05Z\r\n";
        }
        if (!oddName.empty() && query.starts_with(oddName)) {
            return oddReply;
        }
        if (newWordsFrom > 0 && number >= newWordsFrom) {
            return "Object " + std::string(query) + " is not in the registry\r\n";
        }
        return "No match for \"" + std::string(query) + "\".\r\n";
    }
};

struct CalibratedRig {
    // keptMark: a no-match text kept for the server without its registered text, as an older
    // version kept them.
    explicit CalibratedRig(Registry registry, const std::string& keptMark = {})
        : server([this, registry](FakeWhoisConnection& connection) {
              std::string query = connection.readQuery();
              query = query.substr(0, query.find('\r'));
              connection.send(registry.answer(query, ++asked));
          }) {
        CalibrationBook kept;
        if (!keptMark.empty()) {
            kept.store(server.hostField(), {keptMark, kNow, ""});
        }
        store = std::make_unique<CalibrationStore>(kept, CalibrationStore::Saver{}, [] {
            return std::chrono::system_clock::time_point(std::chrono::seconds(kNow));
        });
    }

    std::atomic<int> asked = 0;
    FakeWhoisServer server;
    ResultTable table{"Domain Name"};
    test::RecordingSink sink{table};
    test::FakeClock clock;
    std::unique_ptr<CalibrationStore> store;
    QueryEngine engine{QueryEngineDeps{sink,
                                       [] { return std::make_unique<NetWhoisLookup>(); },
                                       &clock,
                                       {},
                                       {},
                                       [this](const CalibrationCall& call) {
                                           WhoisCalibrator calibrator(call.client);
                                           calibrator.setNextTurn(call.nextTurn);
                                           const CalibrationTarget target{server.hostField(), "shop", ""};
                                           return call.again ? store->recalibrate(target, calibrator)
                                                             : store->markFor(target, calibrator);
                                       }}};

    // Asks the names under .shop (the no-match mark as given, empty: calibrated) and gives the row
    // marks and the details of each cell.
    Strings run(const Strings& names, const std::string& mark = {}) {
        start(names, mark);
        engine.waitIdle();
        Strings rows;
        for (std::size_t row = 0; row < table.rowCount(); ++row) {
            rows.push_back(table.rows()[row].caption + ":" + std::string(markGlyph(table.cell(row, 0))));
        }
        return rows;
    }

    void start(const Strings& names, const std::string& mark = {}) {
        const std::vector<ServerEntry> entries = {test::entry("shop", server.hostField(), mark)};
        engine.setServerEntries(entries);
        table.alignSuffixColumns(entries);
        RunSettings settings;
        settings.interval = std::chrono::milliseconds(500);
        engine.setSettings(settings);
        SearchRequest request;
        request.mode = SearchMode::Text;
        request.words = NameList::fromRange(names);
        EXPECT_EQ(engine.search(std::move(request)).status, SearchOutcome::Status::Started);
    }
};

TEST(QueryCalibrationTest, AReplyWithNeitherTextIsJudgedByTextsDerivedAgainOrFails) {
    const struct Case {
        const char* what;
        Registry registry;
        std::string typedMark;
        Strings rows;
        int questions;        // calibration questions and cells
        const char* failedBy; // part of the reason of the failed cell, if one fails
    } cases[] = {
        {"the free replies change their words after the first cell",
         {5, {}, {}},
         {},
         {"ax:☆", "bx:☆", "nic:★"},
         3 + 1 + 1 + 3 + 1,
         ""},
        {"a reply fits neither text before and after deriving them again; once per run",
         {0, "bx", "This name is held back by the registry.\r\n"},
         {},
         {"ax:☆", "bx:-", "bxx:-", "nic:★"},
         3 + 1 + 1 + 3 + 1 + 1,
         "neither the no-match text nor the registered text"},
        {"a typed mark keeps its rule: registered by lacking it",
         {0, "bx", "This name is held back by the registry.\r\n"},
         "No match for",
         {"ax:☆", "bx:★"},
         2,
         ""},
    };
    for (const Case& c : cases) {
        CalibratedRig rig(c.registry);
        Strings names;
        for (const std::string& row : c.rows) {
            names.push_back(row.substr(0, row.find(':')));
        }
        EXPECT_EQ(rig.run(names, c.typedMark), c.rows) << c.what;
        EXPECT_EQ(rig.asked, c.questions) << c.what;
        for (const std::string& details : rig.sink.details()) {
            if (!details.empty()) {
                EXPECT_NE(details.find(c.failedBy), std::string::npos) << c.what << ": " << details;
            }
        }
    }
}

TEST(QueryCalibrationTest, TextsKeptWithoutTheRegisteredTextAreDerivedAgainWhenARegisteredReplyComes) {
    CalibratedRig rig(Registry{}, "No match for");
    EXPECT_EQ(rig.run({"ax", "bx", "nic"}), (Strings{"ax:☆", "bx:☆", "nic:★"}));
    EXPECT_EQ(rig.asked, 1 + 1 + 1 + 3);
    EXPECT_EQ(rig.store->stored(rig.server.hostField())->registered, "Domain Name");
}

TEST(QueryCalibrationTest, CalibrationQuestionsKeepTheServersPace) {
    CalibratedRig rig(Registry{});
    rig.run({"ax", "bx"});
    EXPECT_EQ(rig.asked, 5);
    // Between the three questions, before the first cell's, and before the second cell's.
    EXPECT_EQ(rig.clock.sleepsMs(), (std::vector<long long>{500, 500, 500, 500}));
}

TEST(QueryCalibrationTest, StoppingTheRunEndsACalibrationAfterTheQuestionUnderWay) {
    test::Gate gate;
    Registry registry;
    registry.holdRegistered = &gate;
    CalibratedRig rig(registry);
    rig.start({"ax", "bx"});
    gate.waitForWaiter();
    rig.engine.stop();
    gate.open();
    rig.engine.waitIdle();
    EXPECT_EQ(rig.asked, 2);
    EXPECT_FALSE(rig.store->stored(rig.server.hostField()).has_value());
    EXPECT_NE(rig.table.cell(0, 0), Mark::Free);
    EXPECT_NE(rig.table.cell(0, 0), Mark::Registered);
}

} // namespace
} // namespace cvt
