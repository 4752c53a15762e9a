// fetch and harvest against scripted web servers.
#include "tests/support/FakeHttpServer.h"
#include "tests/support/RunProgram.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace cvt::test {
namespace {

TEST(FetchCommandTest, AReplyWithoutAStatusLineIsNamedAsSuch) {
    struct Case {
        std::string reply;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"<html>", "the server's reply has no HTTP status line"},
        {"<html><body>hi</body></html>\n",
         "the server's reply has no valid HTTP status line; it begins \"<html><body>hi</body></html>\""},
        {"HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n", "HTTP/1.1 404 Not Found"},
    };
    for (const Case& c : cases) {
        FakeHttpServer server({FakeHttpServer::respondAndClose(c.reply)});
        const ProgramResult result = runProgram({CORVANTIDE_CLI_PATH, {"fetch", server.url("/")}, "", ""});
        EXPECT_EQ(result.exitCode, 1) << c.reply;
        EXPECT_EQ(result.out, "") << c.reply;
        EXPECT_EQ(result.err, "corvantide-cli fetch: " + c.message + "\n") << c.reply;
    }
}

} // namespace
} // namespace cvt::test
