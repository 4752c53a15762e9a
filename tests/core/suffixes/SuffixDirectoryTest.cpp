#include "core/suffixes/SuffixDirectory.h"

#include "core/suffixes/CalibrationBook.h"
#include "core/suffixes/SuffixData.h"
#include "tests/support/TempDir.h"

#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace cvt {
namespace {

SuffixData sampleData() {
    SuffixData data;
    data.catalogue =
        SuffixCatalogue::parse("shop\tshop\tgeneric\thttps://rdap.example.shop/\twhois.nic.shop\ta.nic.shop\tnic.shop\n"
                               "berlin\tberlin\tgeographic\t\twhois.nic.berlin\t\tnic.berlin\n"
                               "cn\tcn\tcountry\t\twhois.cnnic.net.cn\t\tdns.cn\n"
                               "fr\tfr\tcountry\thttps://rdap.nic.fr/\twhois.nic.fr\td.nic.fr,e.ext.nic.fr\tnic.fr\n"
                               "com.cn\tcom.cn\tcountry\t\twhois.cnnic.net.cn\t\t\n"
                               "公司\txn--55qx5d\tchinese\t\twhois.ngtld.cn\t\t\n");
    data.popular = PopularSuffixes::parse("# popular\nfr\n\n.SHOP\nnowhere\nfr\n");
    data.knownMarks = KnownWhoisMarks::parse("# texts\nWHOIS.cnnic.net.cn\tNo matching record.\tQueried interval\n"
                                             "bad line without tab\n");
    return data;
}

TEST(SuffixDirectory, DecidesHowEachSuffixIsAsked) {
    CalibrationBook book;
    book.store("whois.nic.berlin:43", {"not found", 1'700'000'000});
    book.store("whois.example.org:4343", {"NOT FOUND", 1'700'000'100});
    const std::vector<ServerEntry> config = {
        {"fr", "whois.example.fr", "No entries found", {}, true},
        {"org", "whois.example.org:4343", {}, {}, true},
        {"fr", "whois.second.fr", "Other", {}, false},
    };
    book.store("whois.ngtld.cn", {"fresh text", 1'700'000'000});
    const SuffixDirectory directory(config, sampleData(), book,
                                    std::chrono::system_clock::time_point(std::chrono::seconds(1'700'000'000 + 86400)));

    struct Case {
        const char* asked;
        const char* caption;
        const char* host;
        AskedBy askedBy;
        const char* mark;
        bool ticked;
    };
    for (const Case& c : std::vector<Case>{
             {"fr", "fr", "whois.example.fr", AskedBy::ConfigIni, "No entries found", true},
             {"ORG", "org", "whois.example.org:4343", AskedBy::ConfigIni, "NOT FOUND", true},
             {".shop", "shop", "https://rdap.example.shop/", AskedBy::Rdap, "", false},
             {"cn", "cn", "whois.cnnic.net.cn", AskedBy::WhoisKnownText, "No matching record.", false},
             {"berlin", "berlin", "whois.nic.berlin", AskedBy::WhoisCalibrated, "not found", false},
             {"xn--55qx5d", "公司", "whois.ngtld.cn", AskedBy::WhoisCalibrated, "fresh text", false},
         }) {
        const DirectorySuffix* found = directory.find(c.asked);
        ASSERT_NE(found, nullptr) << c.asked;
        EXPECT_EQ(found->server.caption, c.caption) << c.asked;
        EXPECT_EQ(found->server.host, c.host) << c.asked;
        EXPECT_EQ(found->askedBy, c.askedBy) << c.asked;
        EXPECT_EQ(found->server.mark, c.mark) << c.asked;
        EXPECT_EQ(found->server.ticked, c.ticked) << c.asked;
    }
    EXPECT_EQ(directory.find("cn")->server.refusal, "Queried interval");
    EXPECT_EQ(directory.find("berlin")->calibratedAt, 1'700'000'000);
    EXPECT_EQ(directory.find("org")->calibratedAt, 1'700'000'100);
    EXPECT_TRUE(directory.find("org")->calibrates);
    EXPECT_FALSE(directory.find("fr")->calibrates);
    EXPECT_EQ(directory.find("公司")->calibratedAt, 1'700'000'000);
    // Thirty days on, the texts are too old to use.
    const SuffixDirectory later(
        config, sampleData(), book,
        std::chrono::system_clock::time_point(std::chrono::seconds(1'700'000'000 + 30 * 86400)));
    EXPECT_EQ(later.find("berlin")->server.mark, "");
    EXPECT_EQ(later.find("berlin")->calibratedAt, 1'700'000'000);
    EXPECT_EQ(directory.find("fr")->registered, "nic.fr");
    // The catalogue's name servers go with a suffix however it is asked; Config.ini's own suffix has none.
    EXPECT_EQ(directory.find("fr")->server.nameServers, (std::vector<std::string>{"d.nic.fr", "e.ext.nic.fr"}));
    EXPECT_EQ(directory.find("shop")->server.nameServers, std::vector<std::string>{"a.nic.shop"});
    EXPECT_TRUE(directory.find("org")->server.nameServers.empty());
    EXPECT_EQ(directory.find("uk"), nullptr);
    EXPECT_EQ(directory.find(""), nullptr);
    // Config.ini's rows (duplicates included) first, then the catalogue's other suffixes.
    ASSERT_EQ(directory.suffixes().size(), 3u + 5u);
    EXPECT_EQ(directory.suffixes()[2].server.host, "whois.second.fr");
}

TEST(SuffixDirectory, ChoosesByGroup) {
    const SuffixDirectory directory({{"org", "whois.example.org", "NOT FOUND", {}, true}}, sampleData(), {});
    const auto captions = [&](SuffixChoice choice) {
        std::string joined;
        for (const DirectorySuffix* suffix : directory.chosen(choice)) {
            joined += (joined.empty() ? "" : ",") + suffix->server.caption;
        }
        return joined;
    };
    EXPECT_EQ(captions(SuffixChoice::Popular), "fr,shop");
    EXPECT_EQ(captions(SuffixChoice::Generic), "shop,berlin");
    EXPECT_EQ(captions(SuffixChoice::Country), "cn,fr,com.cn");
    EXPECT_EQ(captions(SuffixChoice::Chinese), "公司");
    EXPECT_EQ(captions(SuffixChoice::All), "org,shop,berlin,cn,fr,com.cn,公司");
    EXPECT_EQ(suffixChoiceNamed("Popular"), SuffixChoice::Popular);
    EXPECT_EQ(suffixChoiceNamed("geographic"), std::nullopt);
}

TEST(SuffixDirectory, ShippedDataLoads) {
    const SuffixData data = SuffixData::load(
        [](std::string_view name) { return std::filesystem::path(CORVANTIDE_DATA_DIR) / std::string(name); });
    EXPECT_TRUE(data.problems.empty()) << data.problems.front();
    const SuffixDirectory directory({}, data, {});
    EXPECT_EQ(directory.chosen(SuffixChoice::Popular).size(), data.popular.suffixes().size());
    EXPECT_GT(data.knownMarks.size(), 0u);
    EXPECT_EQ(directory.find("co.uk")->askedBy, AskedBy::Rdap);
    EXPECT_EQ(directory.find("com.cn")->askedBy, AskedBy::WhoisKnownText);
}

TEST(SuffixDirectory, MissingDataFilesAreNamed) {
    test::TempDir folder;
    const auto locate = [&](std::string_view name) { return folder.path() / std::string(name); };
    folder.write("popular-suffixes.txt", "com\n");
    // Without a catalogue, its message alone.
    SuffixData data = SuffixData::load(locate);
    ASSERT_EQ(data.problems.size(), 1u);
    EXPECT_NE(data.problems[0].find("suffixes.tsv: the file is missing"), std::string::npos) << data.problems[0];
    folder.write("suffixes.tsv", "com\tcom\tgeneric\t\twhois.example\t\t\n");
    data = SuffixData::load(locate);
    ASSERT_EQ(data.problems.size(), 1u);
    EXPECT_NE(data.problems[0].find("whois-marks.tsv: the file is missing"), std::string::npos) << data.problems[0];
    EXPECT_EQ(data.popular.suffixes(), std::vector<std::string>{"com"});
}

TEST(CalibrationBook, KeysAndAge) {
    EXPECT_EQ(serverKey(" WHOIS.Nic.Shop:43 "), "whois.nic.shop");
    EXPECT_EQ(serverKey("whois.nic.shop:4343"), "whois.nic.shop:4343");
    EXPECT_EQ(serverKey("[2001:DB8::1]:43"), "[2001:db8::1]");
    EXPECT_EQ(serverKey("2001:db8::43"), "2001:db8::43");
    CalibrationBook book;
    book.store("whois.nic.shop", {"No match", 1'000'000});
    const auto at = [](std::int64_t seconds) {
        return std::chrono::system_clock::time_point(std::chrono::seconds(seconds));
    };
    EXPECT_NE(book.fresh("whois.nic.shop:43", at(1'000'000 + 29 * 86400)), nullptr);
    EXPECT_EQ(book.fresh("whois.nic.shop", at(1'000'000 + 30 * 86400)), nullptr);
    EXPECT_EQ(book.fresh("whois.nic.shop", at(999'999)), nullptr);
}

} // namespace
} // namespace cvt
