#include "i18n/Messages.h"

#include <gtest/gtest.h>

namespace cvt {
namespace {

TEST(Messages, ChineseOnlyForTheExactCode) {
    struct Case {
        const char* code;
        const char* expected;
    };
    const Case cases[] = {
        {"zh-cn", "搜索"}, {"en", "Search"}, {"ZH-CN", "Search"}, {"", "Search"}, {"'zh-cn'", "Search"},
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(message(Msg::Search, c.code), c.expected) << c.code;
    }
}

TEST(Messages, TableFollowsTheEnumeration) {
    // A wording table out of step with the enumeration would show the wrong texts.
    EXPECT_STREQ(message(Msg::SearchMethod, "en"), "Search Method");
    EXPECT_STREQ(message(Msg::AboutItem, "zh-cn"), "关于(&A)...");
    EXPECT_STREQ(message(Msg::ClickSearchToStart, "en"), "Click 'search' button to start! ");
    EXPECT_STREQ(message(Msg::StopBeforeExit, "en"), "Sorry,Please stop to search before exit!");
    EXPECT_STREQ(message(Msg::EmptyPattern, "en"), message(Msg::EmptyPattern, "zh-cn"));
}

} // namespace
} // namespace cvt
