#include "cli/ProgressLine.h"

#include "cli/CheckProgress.h"

#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace cvt::cli {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

TEST(ProgressLineTest, FormatsCountsRateAndTimeLeft) {
    struct Case {
        CheckProgress progress;
        std::chrono::steady_clock::duration elapsed;
        std::string line;
    };
    const std::vector<Case> cases = {
        {{0, 40, 0, 0, 0}, seconds(3), "0/40 names, 0 free, 0 registered, 0 failed, - names/s, - left"},
        {{10, 40, 3, 15, 2}, seconds(4), "10/40 names, 3 free, 15 registered, 2 failed, 2.5 names/s, 0:12 left"},
        {{1, 7201, 0, 1, 0}, seconds(1), "1/7201 names, 0 free, 1 registered, 0 failed, 1.0 names/s, 2:00:00 left"},
        {{5, 5, 5, 0, 0}, milliseconds(500), "5/5 names, 5 free, 0 registered, 0 failed, 10.0 names/s, 0:00 left"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(formatProgress(c.progress, c.elapsed), c.line);
    }
}

TEST(ProgressLineTest, NotATerminalGetsTheNotesOnly) {
    std::ostringstream err;
    {
        ProgressLine line(err, false);
        line.update({1, 2, 1, 0, 0});
        line.note("stopping");
        line.update({2, 2, 1, 1, 0});
    }
    EXPECT_EQ(err.str(), "stopping\n");
}

} // namespace
} // namespace cvt::cli
