#include "config/DnsServerSetting.h"

#include "config/RunSettingsIni.h"
#include "config/TIniOptions.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace cvt {
namespace {

TEST(DnsServerSetting, ReadsAddressesWithOptionalPorts) {
    struct Case {
        std::string text;
        std::string address;
        std::uint16_t port;
    };
    const std::vector<Case> cases = {
        {"192.0.2.1", "192.0.2.1", 53},
        {" 127.0.0.1:5353\t", "127.0.0.1", 5353},
        {"127.0.0.1:65535", "127.0.0.1", 65535},
        {"127.0.0.1:00053", "127.0.0.1", 53},
        {"::1", "::1", 53},
        {"2001:db8::1", "2001:db8::1", 53},
        {"[2001:db8::1]", "2001:db8::1", 53},
        {"[::1]:5353", "::1", 5353},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const DnsServerSetting::Parsed parsed = DnsServerSetting::parse(c.text);
        ASSERT_TRUE(parsed.Server.has_value()) << parsed.Error;
        EXPECT_EQ(parsed.Server->Address, c.address);
        EXPECT_EQ(parsed.Server->Port, c.port);
        EXPECT_EQ(parsed.Error, "");
    }
    // Nothing given: the system's resolvers, no complaint.
    EXPECT_FALSE(DnsServerSetting::parse("  ").Server.has_value());
    EXPECT_EQ(DnsServerSetting::parse("").Error, "");
}

TEST(DnsServerSetting, RefusesWhatIsNotAnAddressAndPort) {
    struct Case {
        std::string text;
        std::string errorPart;
    };
    const std::vector<Case> cases = {
        {"dns.example.net", "IPv4 or IPv6 address"},
        {"dns.example.net:53", "IPv4 or IPv6 address"},
        {"256.1.1.1", "IPv4 or IPv6 address"},
        {"[127.0.0.1]:53", "IPv4 or IPv6 address"},
        {"[::1", "IPv4 or IPv6 address"},
        {"[::1]53", "IPv4 or IPv6 address"},
        {"fe80::1%eth0", "IPv4 or IPv6 address"},
        {"127.0.0.1:", "from 1 to 65535"},
        {"127.0.0.1:0", "from 1 to 65535"},
        {"127.0.0.1:65536", "from 1 to 65535"},
        {"127.0.0.1:99999999999999999999", "from 1 to 65535"},
        {"127.0.0.1:-53", "from 1 to 65535"},
        {"127.0.0.1:+53", "from 1 to 65535"},
        {"[::1]:5x", "from 1 to 65535"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const DnsServerSetting::Parsed parsed = DnsServerSetting::parse(c.text);
        EXPECT_FALSE(parsed.Server.has_value());
        EXPECT_NE(parsed.Error.find("dns_server \"" + c.text + "\""), std::string::npos) << parsed.Error;
        EXPECT_NE(parsed.Error.find(c.errorPart), std::string::npos) << parsed.Error;
    }
}

TEST(DnsServerSetting, SettingsFileSwitchesTheCheckAndNamesTheServer) {
    struct Case {
        std::string file;
        bool dns;
        std::string server;
        bool runAsksDns; // a bad server leaves the runs without DNS, with a warning
        std::string address;
        std::uint16_t port;
    };
    const std::vector<Case> cases = {
        {"", false, "", false, "", 53},
        {"[setting]\ndns=0\n", false, "", false, "", 53},
        {"[setting]\ndns=1\ndns_server= 127.0.0.1:5353 \n", true, "127.0.0.1:5353", true, "127.0.0.1", 5353},
        {"[SETTING]\nDNS=2\n", true, "", true, "", 53},
        {"[setting]\ndns=yes\n", false, "", false, "", 53},
        {"[setting]\ndns=1\ndns_server=dns.example\n", true, "dns.example", false, "", 53},
        {"[setting]\ndns=0\ndns_server=dns.example\n", false, "dns.example", false, "", 53},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        TIniOptions options;
        const IniFile ini(c.file);
        options.LoadFromIni(&ini);
        EXPECT_EQ(options.Dns, c.dns);
        EXPECT_EQ(options.DnsServer, c.server);
        EXPECT_EQ(options.Run.dns, c.runAsksDns);
        EXPECT_EQ(options.Run.dnsServerAddress, c.address);
        EXPECT_EQ(options.Run.dnsServerPort, c.port);
        const bool warned = c.dns && !c.runAsksDns;
        ASSERT_EQ(options.RunWarnings.size(), warned ? 1u : 0u);
        if (warned) {
            EXPECT_EQ(options.RunWarnings[0].rfind("dns_server \"dns.example\": ", 0), 0u) << options.RunWarnings[0];
        }
    }
}

TEST(DnsServerSetting, AutoAsksTheSuffixesOwnNameServersInAnyLetterCase) {
    struct Case {
        std::string server;
        bool runAsksDns;
        bool dnsAuto;
    };
    const std::vector<Case> cases = {
        {"auto", true, true},      {" AUTO\t", true, true},  {"Auto", true, true},       {"autox", false, false},
        {"auto:53", false, false}, {"[auto]", false, false}, {"127.0.0.1", true, false}, {"", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.server);
        RunSettings settings;
        std::vector<std::string> warnings;
        ApplyDnsSettings(settings, true, c.server, warnings);
        EXPECT_EQ(settings.dns, c.runAsksDns);
        EXPECT_EQ(settings.dnsAuto, c.dnsAuto);
        EXPECT_EQ(settings.dnsServerAddress, c.server == "127.0.0.1" ? c.server : "");
        ASSERT_EQ(warnings.size(), c.runAsksDns ? 0u : 1u);
        if (!c.runAsksDns) {
            EXPECT_NE(warnings[0].find("IPv4 or IPv6 address"), std::string::npos) << warnings[0];
        }
    }
    RunSettings off;
    std::vector<std::string> warnings;
    ApplyDnsSettings(off, false, "auto", warnings);
    EXPECT_FALSE(off.dns || off.dnsAuto);
}

} // namespace
} // namespace cvt
