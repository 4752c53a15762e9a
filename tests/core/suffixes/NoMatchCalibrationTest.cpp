#include "core/suffixes/NoMatchCalibration.h"

#include "tests/support/TempDir.h"
#include "text/TextUtil.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <iostream>
#include <string>
#include <vector>

namespace cvt {
namespace {

const std::string kFree1 = "qwhzkvbtrmplxsdfgnycab.test";
const std::string kFree2 = "zmxncbvlaksjdhfgqpwoei.test";

struct Case {
    const char* name;
    CalibrationReplies replies;
    std::string mark;   // expected mark, empty when refused
    std::string reason; // part of the expected reason when refused
    std::string registered = {};
};

std::string upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](char c) { return c >= 'a' && c <= 'z' ? c - 32 : c; });
    return text;
}

CalibrationReplies replies(const std::string& free1, const std::string& free2, const std::string& registered) {
    return {{{kFree1, free1}, {kFree2, free2}}, {"nic.test", registered}};
}

std::vector<Case> cases() {
    const std::string terms = "\nTerms of use: the data is provided for information only.\n";
    return {
        {"a whole line first",
         replies("% Server\nDomain not found.\n" + terms, "% Server\nDomain not found.\n" + terms,
                 "% Server\nDomain Name: nic.test\nStatus: ok\n" + terms),
         "Domain not found.", "", "Domain Name"},
        {"the name echoed in capitals is left out",
         replies("No match for \"" + upper(kFree1) + "\".\n>>> Last update: 2026-12-08T09:30:12Z <<<\n" + terms,
                 "No match for \"" + upper(kFree2) + "\".\n>>> Last update: 2026-12-08T09:30:13Z <<<\n" + terms,
                 "Domain Name: NIC.TEST\n>>> Last update: 2026-12-08T09:30:14Z <<<\n" + terms),
         "No match for", "", "Domain Name"},
        {"the bare label is left out",
         replies(kFree1.substr(0, 22) + ": no entries found\n", kFree2.substr(0, 22) + ": no entries found\n",
                 "nic: registered\n"),
         "no entries found", "", "registered"},
        {"dates and times in words are left out",
         replies("Not found, checked Tue Dec  8 09:30:12 UTC 2026\n",
                 "Not found, checked Tue Dec  8 09:30:13 UTC 2026\n",
                 "Domain: nic.test, checked Tue Dec  8 09:30:14 UTC 2026\n"),
         "Not found, checked", "", "Domain"},
        {"a line also in the registered reply is passed over",
         replies("Status: available\nNo object found\n", "Status: available\nNo object found\n",
                 "Domain: nic.test\nHint: Status: available means free\n"),
         "No object found", "", "Domain"},
        {"Chinese text", replies("没有匹配的记录\n", "没有匹配的记录\n", "域名：nic.test\n"), "没有匹配的记录", "",
         "域名："},
        {"names asked by their A-label, echoed in Unicode",
         {{{"qwhzkvbtrmplxsdfgnycab.xn--fiqs8s", "The domain qwhzkvbtrmplxsdfgnycab.中国 is available\n"},
           {"zmxncbvlaksjdhfgqpwoei.xn--fiqs8s", "The domain zmxncbvlaksjdhfgqpwoei.中国 is available\n"}},
          {"nic.xn--fiqs8s", "The domain nic.中国 is registered\n"}},
         "is available",
         "",
         "is registered"},
        {"CR LF line ends", replies("\r\nNOT FOUND\r\n", "\r\nNOT FOUND\r\n", "\r\nDomain: NIC.TEST\r\n"), "NOT FOUND",
         "", "Domain"},
        {"one random name only", {{{kFree1, "Not found\n"}}, {"nic.test", "Domain: nic.test\n"}}, "", "two replies"},
        {"a name that could exist",
         {{{"abc.test", "Not found\n"}, {kFree2, "Not found\n"}}, {"nic.test", "Domain: nic.test\n"}},
         "",
         "not a random name"},
        {"no registered name", {{{kFree1, "Not found\n"}, {kFree2, "Not found\n"}}, {"", ""}}, "", "must exist"},
        {"an empty reply", replies("Not found\n", " \r\n\n", "Domain: nic.test\n"), "", "empty reply about " + kFree2},
        {"an empty registered reply", replies("Not found\n", "Not found\n", ""), "", "empty reply about nic.test"},
        {"a quota refusal", replies("Not found\n", "Not found\n", "Query rate limit exceeded, try later\n"), "",
         "refused the query about nic.test: Query rate limit exceeded"},
        {"an endless reply",
         replies("Not found\n", "Not found\n" + std::string(NoMatchCalibration::kMaxReplyBytes, 'x'), "Domain\n"), "",
         "longer than 64 KiB"},
        {"every name answered alike",
         replies("Please ask the RDAP service.\n", "Please ask the RDAP service.\n", "Please ask the RDAP service.\n"),
         "", "alike"},
        {"alike apart from the names and dates",
         replies("Query: " + kFree1 + " at 2026-12-08 09:30:12\nSee the web site\n",
                 "Query: " + kFree2 + " at 2026-12-08 09:30:13\nSee the web site\n",
                 "Query: nic.test at 2026-12-08 09:30:14\nSee the web site\n"),
         "", "alike"},
        {"nothing common to the free replies", replies("Not found\n", "No such domain\n", "Domain: nic.test\n"), "",
         "no text"},
        {"the registered reply holds nothing the free ones lack",
         replies("Domain: " + kFree1 + "\nNot found\n", "Domain: " + kFree2 + "\nNot found\n", "Domain: nic.test\n"),
         "", "missing from every reply about a name that cannot exist"},
        {"only a number differs", replies("% 404\n% ok\n", "% 404\n% ok\n", "% 200\n% ok\n"), "", "alike"},
    };
}

TEST(NoMatchCalibration, ReplyShapes) {
    for (const Case& c : cases()) {
        const NoMatchCalibration result = NoMatchCalibration::derive(c.replies);
        EXPECT_EQ(result.mark(), c.mark) << c.name << ": " << result.reason();
        EXPECT_EQ(result.registered(), c.registered) << c.name;
        EXPECT_EQ(result.succeeded(), !c.mark.empty()) << c.name;
        if (c.mark.empty()) {
            EXPECT_NE(result.reason().find(c.reason), std::string::npos) << c.name << ": " << result.reason();
        } else {
            EXPECT_TRUE(result.reason().empty()) << c.name;
        }
    }
}

// A file of captured reply shapes: sections "=== KIND NAME" followed by the reply, KIND being
// "unregistered" or "registered"; the first two unregistered and the first registered replies are
// calibrated from, every reply is then classified with the mark.
struct ShapeFile {
    std::vector<CalibrationReply> unregistered;
    std::vector<CalibrationReply> registered;
};

ShapeFile readShapes(const std::string& bytes, bool crlf) {
    ShapeFile shapes;
    std::vector<CalibrationReply>* section = nullptr;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = std::min(bytes.find('\n', start), bytes.size());
        const std::string line = bytes.substr(start, end - start);
        start = end + 1;
        if (line.rfind("=== ", 0) == 0) {
            const std::size_t space = line.find(' ', 4);
            const std::string kind = line.substr(4, space - 4);
            section = kind == "registered" ? &shapes.registered : &shapes.unregistered;
            section->push_back({line.substr(space + 1), ""});
        } else if (section != nullptr) {
            section->back().text += line + (crlf ? "\r\n" : "\n");
        }
    }
    return shapes;
}

// Reports how many registries' documented reply shapes calibrate to a mark that classifies every
// reply of the file right, with LF and with CR LF line ends; all of them must.
TEST(NoMatchCalibration, RegistryReplyShapes) {
    std::vector<std::filesystem::path> files;
    for (const auto& file : std::filesystem::directory_iterator(CORVANTIDE_REPLY_SHAPES_DIR)) {
        files.push_back(file.path());
    }
    std::sort(files.begin(), files.end());
    ASSERT_GE(files.size(), 15u);
    std::size_t right = 0;
    std::size_t neither = 0;
    for (const std::filesystem::path& file : files) {
        bool allRight = true;
        for (const bool crlf : {false, true}) {
            const ShapeFile shapes = readShapes(test::readFileBytes(file), crlf);
            ASSERT_GE(shapes.unregistered.size(), 2u) << file;
            ASSERT_GE(shapes.registered.size(), 1u) << file;
            const NoMatchCalibration result =
                NoMatchCalibration::derive({{shapes.unregistered[0], shapes.unregistered[1]}, shapes.registered[0]});
            EXPECT_TRUE(result.succeeded()) << file.filename() << ": " << result.reason();
            allRight = allRight && result.succeeded();
            for (const CalibrationReply& reply : shapes.unregistered) {
                EXPECT_TRUE(containsText(reply.text, result.mark())) << file.filename() << " " << reply.name;
                allRight = allRight && containsText(reply.text, result.mark());
            }
            for (const CalibrationReply& reply : shapes.registered) {
                EXPECT_FALSE(containsText(reply.text, result.mark())) << file.filename() << " " << reply.name;
                allRight = allRight && !containsText(reply.text, result.mark());
            }
            // The registered text is in the reply it came from and in no free one; a registered reply
            // of another shape (a name in redemption or quarantine) may lack it and is then failed,
            // never judged free.
            EXPECT_TRUE(containsText(shapes.registered[0].text, result.registered())) << file.filename();
            for (const CalibrationReply& reply : shapes.unregistered) {
                EXPECT_FALSE(containsText(reply.text, result.registered())) << file.filename() << " " << reply.name;
                allRight = allRight && !containsText(reply.text, result.registered());
            }
            for (const CalibrationReply& reply : shapes.registered) {
                neither += crlf || containsText(reply.text, result.registered()) ? 0 : 1;
            }
            if (!crlf) {
                std::cout << file.filename().string() << ": \"" << result.mark() << "\" / \"" << result.registered()
                          << "\"\n";
            }
        }
        right += allRight ? 1 : 0;
    }
    std::cout << right << " of " << files.size() << " registries' reply shapes calibrate to a mark that classifies "
              << "every reply right; " << neither << " registered replies hold neither text (failed, not judged)\n";
    EXPECT_EQ(right, files.size());
}

} // namespace
} // namespace cvt
