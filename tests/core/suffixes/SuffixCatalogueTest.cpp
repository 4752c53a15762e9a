#include "core/suffixes/SuffixCatalogue.h"

#include "tests/support/TempDir.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace cvt {
namespace {

using namespace std::string_literals;

const std::string kGood =
    "# comment\n"
    "\n"
    "shop\tshop\tgeneric\thttps://rdap.example.shop/\twhois.nic.shop\ta.nic.shop,b.nic.shop\tnic.shop\n"
    "fr\tfr\tcountry\t\twhois.nic.fr\t\t\r\n"
    "中国\txn--fiqs8s\tchinese\thttps://rdap.example.cn/\t\t\t\n"
    "co.uk\tco.uk\tcountry\thttps://rdap.example.uk/uk/\twhois.nic.uk\tdns1.nic.uk\t\n"
    "ελ\txn--qxam\tcountry\t\twhois.example.gr\t\t";

TEST(SuffixCatalogue, LooksUpEitherFormIgnoringCase) {
    const SuffixCatalogue catalogue = SuffixCatalogue::parse(kGood);
    ASSERT_TRUE(catalogue.problems().empty()) << catalogue.problemSummary();
    ASSERT_EQ(catalogue.entries().size(), 5u);
    struct Case {
        const char* asked;
        const char* found; // ascii form, or nullptr for none
    };
    for (const Case& c : std::vector<Case>{{"shop", "shop"},
                                           {"SHOP", "shop"},
                                           {".Co.UK", "co.uk"},
                                           {"中国", "xn--fiqs8s"},
                                           {"XN--FIQS8S", "xn--fiqs8s"},
                                           {"ΕΛ", "xn--qxam"},
                                           {"uk", nullptr},
                                           {"", nullptr},
                                           {".", nullptr},
                                           {"shop\n", nullptr},
                                           {"\xff\xfe", nullptr}}) {
        const SuffixEntry* entry = catalogue.find(c.asked);
        if (c.found == nullptr) {
            EXPECT_EQ(entry, nullptr) << c.asked;
        } else {
            ASSERT_NE(entry, nullptr) << c.asked;
            EXPECT_EQ(entry->ascii, c.found) << c.asked;
        }
    }
    const SuffixEntry& shop = *catalogue.find("shop");
    EXPECT_EQ(shop.rdapBase, "https://rdap.example.shop/");
    EXPECT_EQ(shop.whoisServer, "whois.nic.shop");
    EXPECT_EQ(shop.nameServers, (std::vector<std::string>{"a.nic.shop", "b.nic.shop"}));
    EXPECT_EQ(shop.knownRegistered, "nic.shop");
    EXPECT_EQ(shop.line, 3u);
    EXPECT_TRUE(catalogue.find("fr")->nameServers.empty());
    std::vector<std::string> country;
    for (const SuffixEntry* entry : catalogue.inGroup(SuffixGroup::Country)) {
        country.push_back(entry->suffix);
    }
    EXPECT_EQ(country, (std::vector<std::string>{"fr", "co.uk", "ελ"}));
}

// A line that breaks the format is left out with its number; the good lines around it stay.
TEST(SuffixCatalogue, ReportsBadLinesByNumber) {
    struct Case {
        std::string line;
        const char* problem; // part of the message
    };
    // A line of six fields gets an empty seventh (the known registered name) added.
    const std::vector<Case> cases = {
        {"shop\tshop\tgeneric\t\twhois.nic.shop", "found 5"},
        {"shop\tshop\tgeneric\t\twhois.nic.shop\t\tnic.shop\textra", "found 8"},
        {"shop shop generic  whois.nic.shop ", "found 1"},
        {"sh op\tsh op\tgeneric\t\twhois.nic.shop\t", "not a domain suffix"},
        {"shop.\tshop.\tgeneric\t\twhois.nic.shop\t", "not a domain suffix"},
        {"a..b\ta..b\tgeneric\t\twhois.nic.shop\t", "not a domain suffix"},
        {"shop\tstore\tgeneric\t\twhois.nic.shop\t", "differs"},
        {"中国\txn--fiqs8x\tchinese\t\twhois.cnnic.cn\t", "does not match"},
        {"中国\t中国\tchinese\t\twhois.cnnic.cn\t", "ASCII form"},
        {"shop\tshop\tbrand\t\twhois.nic.shop\t", "unknown group"},
        {"shop\tshop\tgeneric\thttp://rdap.nic.shop/\t\t", "RDAP base"},
        {"shop\tshop\tgeneric\thttps://rdap.nic.shop\t\t", "RDAP base"},
        {"shop\tshop\tgeneric\thttps:///\t\t", "RDAP base"},
        {"shop\tshop\tgeneric\thttps://rdap.nic.shop/ x/\t\t", "RDAP base"},
        {"shop\tshop\tgeneric\t\twhois.nic.shop:0\t", "WHOIS server"},
        {"shop\tshop\tgeneric\t\twhois.nic.shop:65536\t", "WHOIS server"},
        {"shop\tshop\tgeneric\t\twhois.nic.shop:\t", "WHOIS server"},
        {"shop\tshop\tgeneric\t\t-whois.nic.shop\t", "WHOIS server"},
        {"shop\tshop\tgeneric\t\t\t", "neither"},
        {"shop\tshop\tgeneric\t\twhois.nic.shop\ta.nic.shop,,b.nic.shop", "name server"},
        {"fr\tfr\tcountry\t\twhois.nic.fr\t", "already listed on line 2"},
        {"FR\tFR\tcountry\t\twhois.nic.fr\t", "already listed on line 2"},
        {"shop\tshop\tgeneric\t\twhois.nic.shop\0x\t"s, "WHOIS server \"whois.nic.shop?x\""},
        {"shop\tshop\tgeneric\t\twhois.nic.shop\t\tnic.store", "not a name directly under"},
        {"shop\tshop\tgeneric\t\twhois.nic.shop\t\ta.nic.shop", "not a name directly under"},
        {"shop\tshop\tgeneric\t\twhois.nic.shop\t\tshop", "not a name directly under"},
    };
    for (const Case& c : cases) {
        const std::string line = std::count(c.line.begin(), c.line.end(), '\t') == 5 ? c.line + "\t" : c.line;
        const std::string text =
            "# header\nfr\tfr\tcountry\t\twhois.nic.fr\t\t\n" + line + "\nme\tme\tcountry\thttps://r.me/\t\t\t\n";
        const SuffixCatalogue catalogue = SuffixCatalogue::parse(text, "test.tsv");
        ASSERT_EQ(catalogue.problems().size(), 1u) << c.line;
        EXPECT_EQ(catalogue.problems()[0].line, 3u) << c.line;
        EXPECT_NE(catalogue.problems()[0].message.find(c.problem), std::string::npos)
            << c.line << ": " << catalogue.problems()[0].message;
        EXPECT_EQ(catalogue.entries().size(), 2u) << c.line;
        EXPECT_NE(catalogue.problemSummary().find("test.tsv: 1 line left out (line 3: "), std::string::npos)
            << catalogue.problemSummary();
    }
}

TEST(SuffixCatalogue, FileProblemsLeaveAnEmptyCatalogueWithAMessage) {
    test::TempDir dir;
    struct Case {
        const char* name;
        std::filesystem::path path;
        const char* problem;
    };
    std::filesystem::create_directory(dir.file("folder.tsv"));
    const std::vector<Case> cases = {
        {"missing", dir.file("none.tsv"), "the file is missing"},
        {"a folder", dir.file("folder.tsv"), "cannot read"},
        {"comments only", dir.write("comments.tsv", "# nothing\n\n"), "holds no suffix"},
        {"not text",
         dir.write("binary.tsv", "\x7f"
                                 "ELF\x02\x01\x01\0\0\0"s),
         "holds no suffix"},
        {"oversized", dir.write("big.tsv", std::string(SuffixCatalogue::kMaxFileBytes + 1, '#')), "larger than 16 MiB"},
    };
    for (const Case& c : cases) {
        const SuffixCatalogue catalogue = SuffixCatalogue::load(c.path);
        EXPECT_TRUE(catalogue.entries().empty()) << c.name;
        ASSERT_FALSE(catalogue.problems().empty()) << c.name;
        EXPECT_EQ(catalogue.problems()[0].line, 0u) << c.name;
        const std::string summary = catalogue.problemSummary();
        EXPECT_NE(summary.find(c.path.string()), std::string::npos) << summary;
        EXPECT_NE(summary.find(c.problem), std::string::npos) << summary;
        EXPECT_NE(summary.find("only the servers of Config.ini"), std::string::npos) << summary;
    }
}

// The shipped catalogue loads cleanly and asks the expected kind of server for a few suffixes.
TEST(SuffixCatalogue, ShippedCatalogue) {
    const SuffixCatalogue catalogue =
        SuffixCatalogue::load(std::filesystem::path(CORVANTIDE_DATA_DIR) / SuffixCatalogue::fileName());
    ASSERT_TRUE(catalogue.problems().empty()) << catalogue.problemSummary();
    EXPECT_GT(catalogue.entries().size(), 1000u);
    struct Case {
        const char* suffix;
        bool rdap;
        const char* whois;
        const char* registered;
    };
    for (const Case& c : std::vector<Case>{{"shop", true, "whois.nic.shop", "nic.shop"},
                                           {"me", true, "", "nic.me"},
                                           {"fr", true, "whois.nic.fr", "nic.fr"},
                                           {"cn", false, "whois.cnnic.net.cn", "dns.cn"},
                                           {"co.uk", true, "whois.nic.uk", ""},
                                           {"com.cn", false, "whois.cnnic.net.cn", ""}}) {
        const SuffixEntry* entry = catalogue.find(c.suffix);
        ASSERT_NE(entry, nullptr) << c.suffix;
        EXPECT_EQ(!entry->rdapBase.empty(), c.rdap) << c.suffix;
        EXPECT_EQ(entry->whoisServer, c.whois) << c.suffix;
        EXPECT_EQ(entry->knownRegistered, c.registered) << c.suffix;
    }
    for (const char* closed : {"aaa", "gov", "gov.uk", "example", "africa.com"}) {
        EXPECT_EQ(catalogue.find(closed), nullptr) << closed;
    }
}

} // namespace
} // namespace cvt
