#include "core/query/QueryEngine.h"
#include "tests/support/QueryFakes.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace cvt {
namespace {

using test::EngineRig;
using test::entry;
using Strings = std::vector<std::string>;

TEST(QueryColumnsTest, ColumnsFollowTheTicks) {
    struct Case {
        const char* what;
        std::vector<std::vector<ServerEntry>> changes;
        Strings captions;
    };
    const std::vector<Case> cases = {
        {"first three ticked",
         {{entry("com", "h", "m"), entry("net", "h", "m"), entry("org", "h", "m"), entry("io", "h", "m", false)}},
         {"Domain Name", "com", "net", "org"}},
        {"repeated notifications change nothing",
         {{entry("com", "h", "m"), entry("net", "h", "m")}, {entry("com", "h", "m"), entry("net", "h", "m")}},
         {"Domain Name", "com", "net"}},
        {"unticking removes the column",
         {{entry("com", "h", "m"), entry("net", "h", "m")}, {entry("com", "h", "m", false), entry("net", "h", "m")}},
         {"Domain Name", "net"}},
        {"a later tick appends at the right",
         {{entry("com", "h", "m", false), entry("net", "h", "m")}, {entry("com", "h", "m"), entry("net", "h", "m")}},
         {"Domain Name", "net", "com"}},
        {"a shared caption keeps its column while one entry is ticked",
         {{entry("com", "a", "m"), entry("com", "b", "m", false)}},
         {"Domain Name", "com"}},
        {"... in either order", {{entry("com", "a", "m", false), entry("com", "b", "m")}}, {"Domain Name", "com"}},
        {"captions are trimmed, so the run finds the column",
         {{entry(" com\t", "h", "m"), entry("com", "h", "m")}},
         {"Domain Name", "com"}},
        {"captions compare with letter case",
         {{entry("com", "h", "m"), entry("COM", "h", "m")}},
         {"Domain Name", "com", "COM"}},
        {"a suffix named like the name column gets a column of its own",
         {{entry("Domain Name", "h", "m")}, {entry("Domain Name", "h", "m", false)}},
         {"Domain Name"}},
    };
    for (const Case& c : cases) {
        EngineRig rig;
        for (const auto& change : c.changes) {
            rig.setEntries(change);
        }
        EXPECT_EQ(rig.table.snapshot().captions, c.captions) << c.what;
    }
}

} // namespace
} // namespace cvt
