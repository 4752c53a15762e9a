#include "cli/PlainReason.h"

#include <gtest/gtest.h>
#include <string>

namespace cvt::cli {
namespace {

TEST(PlainReason, SaysSocketFailuresInPlainWordsAndEachPartOfAnRdapAndWhoisFailure) {
    const struct {
        const char* text;
        const char* server;
        const char* plain;
    } cases[] = {
        {"Socket Error # 10061\r\nConnection refused.", "127.0.0.1:4399",
         "connect: Connection refused (127.0.0.1:4399)"},
        {"Read Timeout", "whois.example", "Read Timeout"},
        {"RDAP: Socket Error # 10061; WHOIS: Socket Error # 10054", "rdap.example",
         "RDAP: connect: Connection refused (rdap.example); WHOIS: connection: Connection reset by peer"},
        {"RDAP: HTTP/1.1 503 Service Unavailable; WHOIS: Read Timeout", "rdap.example",
         "RDAP: HTTP/1.1 503 Service Unavailable; WHOIS: Read Timeout"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(plainReason(c.text, c.server), c.plain) << c.text;
    }
}

} // namespace
} // namespace cvt::cli
