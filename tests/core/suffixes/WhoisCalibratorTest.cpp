#include "core/suffixes/WhoisCalibrator.h"

#include "core/query/NetWhoisLookup.h"
#include "core/suffixes/CalibrationStore.h"
#include "tests/support/FakeWhoisServer.h"

#include <atomic>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace cvt {
namespace {

using test::FakeWhoisScript;
using test::FakeWhoisServer;

// A registry that knows only nic.shop and says so in its own words.
std::string registryReply(std::string_view query) {
    if (query == "nic.shop") {
        return "Domain Name: NIC.SHOP\r\nRegistry Domain ID: 1234\r\nUpdated Date: 2026-01-02T03:04:05Z\r\n";
    }
    return "The queried object does not exist: DOMAIN NOT FOUND " + std::string(query) +
           "\r\n>>> Last update of WHOIS database: 2026-12-08T10:00:00Z <<<\r\n";
}

struct Refusal {
    const char* what;
    FakeWhoisScript script;
    const char* reasonHolds;
};

TEST(WhoisCalibrator, DerivesTheTextFromTheServersReplies) {
    FakeWhoisServer server(FakeWhoisServer::answer(registryReply));
    NetWhoisLookup lookup;
    WhoisCalibrator calibrator(lookup);
    const CalibrationResult result = calibrator.calibrate({server.hostField(), "shop", ""});
    EXPECT_EQ(result.mark, "The queried object does not exist: DOMAIN NOT FOUND") << result.reason;
    server.stop();
    const std::vector<std::string> queries = server.queries();
    ASSERT_EQ(queries.size(), 3u);
    EXPECT_EQ(queries[1], "nic.shop\r\n");
    for (const std::size_t random : {0u, 2u}) {
        EXPECT_EQ(queries[random].size(), WhoisCalibrator::kRandomLabel + std::string(".shop\r\n").size());
    }
    EXPECT_NE(queries[0], queries[2]);
}

TEST(WhoisCalibrator, RefusesWithAReasonAndNeverGuesses) {
    for (const Refusal& c : std::vector<Refusal>{
             {"alike", FakeWhoisServer::reply("Whatever you ask, here is a page of terms.\r\n"), "alike"},
             {"empty", FakeWhoisServer::reply(""), "empty reply"},
             {"endless", FakeWhoisServer::endless(std::string(8192, 'x') + "\r\n"), "could not be asked"},
             {"quota", FakeWhoisServer::reply("WHOIS LIMIT EXCEEDED - see www.example.org\r\n"), "refused"},
         }) {
        FakeWhoisServer server(c.script);
        NetWhoisLookup lookup;
        // Limits that only bound a hang: the endless reply ends at the size limit.
        lookup.setTimeLimits(std::chrono::milliseconds(60000), std::chrono::milliseconds(60000));
        WhoisCalibrator calibrator(lookup);
        const CalibrationResult result = calibrator.calibrate({server.hostField(), "shop", "nic.shop"});
        EXPECT_FALSE(result.succeeded()) << c.what << ": " << result.mark;
        EXPECT_NE(result.reason.find(c.reasonHolds), std::string::npos) << c.what << ": " << result.reason;
    }
    NetWhoisLookup lookup;
    WhoisCalibrator calibrator(lookup);
    const CalibrationResult closed =
        calibrator.calibrate({"127.0.0.1:" + std::to_string(test::closedLoopbackPort()), "shop", ""});
    EXPECT_NE(closed.reason.find("could not be asked"), std::string::npos) << closed.reason;
}

TEST(CalibrationStore, KeepsATextForThirtyDaysThenDerivesAgain) {
    std::atomic<int> asked = 0;
    FakeWhoisServer server(FakeWhoisServer::answer([&](std::string_view query) {
        ++asked;
        return registryReply(query);
    }));
    NetWhoisLookup lookup;
    WhoisCalibrator calibrator(lookup);
    std::int64_t now = 1'800'000'000;
    std::vector<std::string> saved;
    CalibrationStore store(
        {},
        [&](const std::string& host, const StoredCalibration& calibration) {
            saved.push_back(host + "@" + std::to_string(calibration.derivedAt));
            return std::string();
        },
        [&] { return std::chrono::system_clock::time_point(std::chrono::seconds(now)); });
    const CalibrationTarget target{server.hostField(), "shop", ""};
    EXPECT_TRUE(store.markFor(target, calibrator).succeeded());
    now += 29 * 86400;
    EXPECT_TRUE(store.markFor(target, calibrator).succeeded());
    EXPECT_EQ(asked, 3);
    now += 86400;
    EXPECT_TRUE(store.markFor(target, calibrator).succeeded());
    EXPECT_EQ(asked, 6);
    EXPECT_EQ(saved, (std::vector<std::string>{server.hostField() + "@1800000000",
                                               server.hostField() + "@" + std::to_string(now)}));
}

} // namespace
} // namespace cvt
