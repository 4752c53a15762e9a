// International names in a run: what reaches the WHOIS, RDAP and DNS servers (the A-label form),
// what the table shows (the Unicode form), and the names left out before any is asked.
#include "core/export/MarkGlyph.h"
#include "core/query/NetWhoisLookup.h"
#include "core/query/QueryEngine.h"
#include "core/words/WordListBuilder.h"
#include "tests/support/FakeDnsServer.h"
#include "tests/support/FakeHttpServer.h"
#include "tests/support/FakeTlsServer.h"
#include "tests/support/FakeWhoisServer.h"
#include "tests/support/QueryFakes.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestCertificates.h"
#include "text/IdnName.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

namespace cvt {
namespace {

using namespace std::chrono_literals;

std::vector<std::string> sorted(std::vector<std::string> lines) {
    std::sort(lines.begin(), lines.end());
    return lines;
}

bool isAscii(const std::string& text) {
    return !IdnName::isInternational(text);
}

TEST(QueryIdnTest, EveryServerIsAskedTheALabelAndTheTableShowsUnicode) {
    test::TempDir folder;
    test::TestCertificates certificates{folder.path()};
    const test::TestLeaf leaf = certificates.localhost();
    ::setenv("SSL_CERT_FILE", certificates.caFile().c_str(), 1);

    const std::string notFound = "HTTP/1.1 404 Not Found\r\nContent-Type: application/rdap+json\r\n"
                                 "Content-Length: 0\r\n\r\n";
    test::FakeHttpServer backend({test::FakeHttpServer::respondEach({notFound, notFound, notFound, notFound})});
    test::FakeTlsServer tls(leaf.certFile, leaf.keyFile, backend.port());
    test::FakeWhoisServer whois(test::FakeWhoisServer::reply("No match for the name.\r\n"));
    test::FakeDnsServer dns; // every name: NXDOMAIN, so every cell goes on to its registry

    ResultTable table{"Domain Name"};
    test::RecordingSink sink{table};
    {
        QueryEngine engine{QueryEngineDeps{sink, [] { return std::make_unique<NetWhoisLookup>(); }, nullptr, {}}};
        const std::vector<ServerEntry> entries = {test::entry("com", whois.hostField(), "No match for"),
                                                  test::entry("中国", tls.url("/rdap/"), "")};
        engine.setServerEntries(entries);
        table.alignSuffixColumns(entries);
        RunSettings settings;
        settings.parallel = true;
        settings.dns = true;
        settings.dnsServerAddress = "127.0.0.1";
        settings.dnsServerPort = dns.port();
        settings.dnsTryTimeout = 30s; // never reached: each name is asked once
        engine.setSettings(settings);
        SearchRequest request;
        request.mode = SearchMode::Text;
        request.words = NameList::fromRange(std::vector<std::string>{
            "中国", "ab", "Bücher", "ＡＢＣ", "a😀", "x\u200Dy中", "\u0430\u0440\u0440\u04CF\u0435"}); // Cyrillic apple
        ASSERT_EQ(engine.search(std::move(request)).status, SearchOutcome::Status::Started);
        engine.waitIdle();

        const RefusedNames refused = engine.refusedNames();
        EXPECT_EQ(refused.count, 3u);
        ASSERT_EQ(refused.examples.size(), 3u);
        EXPECT_EQ(refused.examples[0], "a😀 (string contains a disallowed character)");
        EXPECT_EQ(refused.examples[2],
                  "аррӏе (the label аррӏе is written in Cyrillic letters that look like Latin ones)");
        EXPECT_EQ(refused.describe().rfind("3 international names that cannot be asked: a😀 (", 0), 0u)
            << refused.describe();
    }
    ::unsetenv("SSL_CERT_FILE");
    whois.stop();

    std::vector<std::string> rows;
    for (const ResultRow& row : table.rows()) {
        rows.push_back(row.caption + ":" + std::string(markGlyph(row.cells[0])) + "|" +
                       std::string(markGlyph(row.cells[1])));
    }
    EXPECT_EQ(rows, (std::vector<std::string>{"ab:☆|☆", "abc:☆|☆", "bücher:☆|☆", "中国:☆|☆"}));

    EXPECT_EQ(sorted(whois.queries()),
              (std::vector<std::string>{"ab.com\r\n", "abc.com\r\n", "xn--bcher-kva.com\r\n", "xn--fiqs8s.com\r\n"}));
    std::vector<std::string> paths;
    for (const std::string& received : backend.requests()) {
        paths.push_back(received.substr(0, received.find(" HTTP/")));
    }
    EXPECT_EQ(sorted(paths),
              (std::vector<std::string>{"GET /rdap/domain/ab.xn--fiqs8s", "GET /rdap/domain/abc.xn--fiqs8s",
                                        "GET /rdap/domain/xn--bcher-kva.xn--fiqs8s",
                                        "GET /rdap/domain/xn--fiqs8s.xn--fiqs8s"}));
    for (const char* asked : {"ab.com", "abc.com", "xn--bcher-kva.com", "xn--fiqs8s.com", "ab.xn--fiqs8s",
                              "abc.xn--fiqs8s", "xn--bcher-kva.xn--fiqs8s", "xn--fiqs8s.xn--fiqs8s"}) {
        EXPECT_EQ(dns.timesAsked(asked), 1) << asked;
    }
    EXPECT_EQ(dns.questionCount(), 8) << "no question in any other form";
}

// The whole Chinese dictionary as international names: each phrase converts, comes back as itself,
// and only its A-label reaches the server.
TEST(QueryIdnTest, EveryPhraseOfTheChineseDictionaryRoundTripsAndIsAskedByItsALabel) {
    std::ifstream file(std::string(CORVANTIDE_DATA_DIR) + "/zh-cn.dct", std::ios::binary);
    std::set<std::string> phrases;
    std::size_t lines = 0;
    for (std::string line; std::getline(file, line); ++lines) {
        const IdnConversion ascii = IdnName::toAscii(line);
        ASSERT_FALSE(ascii.refused()) << line << ": " << ascii.refusal;
        ASSERT_EQ(IdnName::toUnicode(ascii.name).name, line) << ascii.name;
        phrases.insert(line);
    }
    ASSERT_EQ(lines, 10000u);

    WordListRequest words;
    words.page = WordPage::Dictionary;
    words.dictionary = DictionaryKind::Chinese;
    words.chineseAs = ChineseForm::Idn;
    words.minimum = "1";
    words.maximum = "1000";
    words.dictionaryFolder = CORVANTIDE_DATA_DIR;
    const NameList names = WordListBuilder(words).build();
    ASSERT_EQ(names.size(), phrases.size());

    test::EngineRig rig;
    rig.whois.setDefaultReply("No match for");
    rig.setEntries({test::entry("com", "whois.test", "No match for")});
    SearchRequest request;
    request.mode = SearchMode::Text;
    request.words = names;
    ASSERT_EQ(rig.engine.search(std::move(request)).status, SearchOutcome::Status::Started);
    rig.engine.waitIdle();

    EXPECT_EQ(rig.engine.refusedNames().count, 0u);
    std::set<std::string> shown;
    for (const ResultRow& row : rig.table.rows()) {
        shown.insert(row.caption);
    }
    EXPECT_EQ(shown, phrases);
    std::set<std::string> asked;
    for (const std::string& query : rig.whois.queriesOf("whois.test")) {
        ASSERT_TRUE(isAscii(query)) << query << " was sent raw";
        asked.insert(IdnName::toUnicode(query).name);
    }
    std::set<std::string> expected;
    for (const std::string& phrase : phrases) {
        expected.insert(phrase + ".com");
    }
    EXPECT_EQ(asked, expected);
}

} // namespace
} // namespace cvt
