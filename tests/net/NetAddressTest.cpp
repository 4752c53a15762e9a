#include "net/socket/NetAddress.h"

#include "net/socket/NetExceptions.h"
#include "tests/support/ScriptedSocketApi.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace cvt {
namespace {

TEST(NetAddress, DottedIPv4IsFourPartsFromZeroTo255) {
    struct Case {
        const char* text;
        const char* address; // null: not an address
    };
    // clang-format off
    const Case cases[] = {
        {"127.0.0.1", "127.0.0.1"}, {"0.0.0.0", "0.0.0.0"}, {"255.255.255.255", "255.255.255.255"},
        {"010.001.0.07", "10.1.0.7"}, {"300.1.1.1", nullptr}, {"1.2.3.256", nullptr}, {"1.2.3", nullptr},
        {"1.2.3.4.5", nullptr}, {"1..3.4", nullptr}, {"1.2.3.", nullptr}, {".1.2.3", nullptr}, {"1.2.3.-4", nullptr},
        {"1.2.3.+4", nullptr}, {" 1.2.3.4", nullptr}, {"1.2.3.4 ", nullptr}, {"a.b.c.d", nullptr},
        {"99999999999999999999.1.1.1", nullptr}, {"", nullptr}, {"whois.nic.it", nullptr},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto parsed = parseDottedIPv4(c.text);
        if (c.address == nullptr) {
            EXPECT_FALSE(parsed.has_value());
        } else {
            ASSERT_TRUE(parsed.has_value());
            EXPECT_EQ(formatIPv4(*parsed), c.address);
        }
    }
}

TEST(NetAddress, LocalhostAndDottedAddressesNeedNoLookupOtherNamesDo) {
    struct Case {
        const char* host;
        bool looksUp;
        const char* address;
    };
    // clang-format off
    const Case cases[] = {
        {"LOCALHOST", false, "127.0.0.1"}, {"LocalHost", false, "127.0.0.1"}, {"localhost", false, "127.0.0.1"},
        {"192.0.2.7", false, "192.0.2.7"}, {"300.1.1.1", true, "10.0.0.1"}, {"localhost.", true, "10.0.0.1"},
        {"whois.verisign-grs.com", true, "10.0.0.1"}, {"", true, "10.0.0.1"},
        {"2001:db8::1", false, "2001:db8::1"}, {"[2001:db8::1]", false, "2001:db8::1"}, {"::1", false, "::1"},
        {"::ffff:192.0.2.7", false, "::ffff:192.0.2.7"}, {"2001:DB8:0:0:0:0:0:1", false, "2001:db8::1"},
        {"[2001:db8::1", true, "10.0.0.1"}, {"1:2:3:4:5:6:7:8:9", true, "10.0.0.1"}, {"fe80::1%eth0", true, "10.0.0.1"},
        {"[]", true, "10.0.0.1"}, {"whois.example:43", true, "10.0.0.1"},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.host);
        ScriptedSocketApi api;
        const std::vector<NetEndpoint> found = resolveHost(api, c.host, 43);
        ASSERT_EQ(found.size(), 1U);
        EXPECT_EQ(formatAddress(found.front()), c.address);
        EXPECT_EQ(found.front().port(), 43);
        ASSERT_EQ(api.lookups.size(), c.looksUp ? 1U : 0U);
        if (c.looksUp) {
            EXPECT_EQ(api.lookups.front(), c.host);
        }
    }
}

TEST(NetAddress, FailedLookupRaisesSocketErrorWithTheLookupNumber) {
    struct Case {
        int resolverError;
        int code;
    };
    const Case cases[] = {{EAI_NONAME, 11001}, {EAI_AGAIN, 11002}, {EAI_FAIL, 11003}};
    for (const auto& c : cases) {
        ScriptedSocketApi api;
        api.lookupResult = c.resolverError;
        try {
            resolveHost(api, "no-such-host.invalid", 43);
            ADD_FAILURE() << "no exception for " << c.resolverError;
        } catch (const ENetSocketError& error) {
            EXPECT_EQ(error.errorCode(), c.code);
        }
    }
}

TEST(NetAddress, NameWithNulByteIsNotLookedUpUnderAShorterName) {
    ScriptedSocketApi api;
    using namespace std::string_literals;
    EXPECT_THROW(resolveHost(api, "evil.example\0.com"s, 43), ENetSocketError);
    EXPECT_TRUE(api.lookups.empty());
}

} // namespace
} // namespace cvt
