#include "core/words/VisibleText.h"

#include "core/words/PageCharset.h"
#include "core/words/WebHarvest.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace cvt {
namespace {

std::vector<std::string> words(const PageHarvest& harvest) {
    return {harvest.words.begin(), harvest.words.end()};
}

TEST(VisibleText, MarkupIsRemovedAndReferencesDecoded) {
    const struct {
        std::string html;
        std::string text;
    } cases[] = {
        {"<p>Hello</p><p>World</p>", " Hello  World "},
        {"<b>bo</b>ld and <a href='x'>li</a>nk", "bold and link"},
        {"a<!-- hidden <p> -->b", "a b"},
        {"<script>var initAnalytics = 1; if (a < b) {}</script>x", " x"},
        {"<STYLE type=\"text/css\">p { color: red }</Style>y", " y"},
        {"<noscript>enable</noscript><template><p>t</p></template>z", "  z"},
        {"<!DOCTYPE html><?xml version='1.0'?>q", "  q"},
        {"fish &amp; chips&nbsp;&mdash;&#233;&#x4E2D;&eacute;",
         "fish & chips\xC2\xA0\xE2\x80\x94\xC3\xA9\xE4\xB8\xAD\xC3\xA9"},
        {"&unknown; &amp &#; &#0; a<3 a < b", "&unknown; &amp &#; \xEF\xBF\xBD a<3 a < b"},
        {"<img alt='a>b' src=x>after", " after"},
        {std::string("nul\0byte", 8), "nul byte"},
        {"<script>never closed", " "},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(visibleTextOfHtml(c.html), c.text) << c.html;
    }
}

TEST(VisibleText, CharsetComesFromHeaderThenMetaElseUtf8) {
    const struct {
        std::string contentType;
        std::string body;
        std::string charset;
    } cases[] = {
        {"text/html; charset=GBK", "<meta charset=\"utf-8\">", "gbk"},
        {"text/html", "<head><META CHARSET='gb2312'>", "gb2312"},
        {"", "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=GB18030\">", "gb18030"},
        {"text/html", "<p>charset=big5 is only text</p>", "utf-8"},
        {"", "", "utf-8"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(declaredPageCharset(c.contentType, c.body), c.charset) << c.contentType << " | " << c.body;
    }
}

TEST(VisibleText, HarvestOfAGbkPageGivesItsWordsAndChinesePhrases) {
    // "<meta charset="gbk"><title>中文</title><p>green 梦境 tea 中文</p>" in GBK.
    const std::string gbk = "<meta charset=\"gbk\"><title>\xD6\xD0\xCE\xC4</title>"
                            "<script>function initAnalytics(){}</script>"
                            "<p>green&nbsp;\xC3\xCE\xBE\xB3 tea \xD6\xD0\xCE\xC4 &amp; \xFF</p>";
    const PageHarvest visible = HarvestPage(FetchedPage(gbk), true);
    EXPECT_EQ(words(visible), (std::vector<std::string>{"green", "tea"}));
    EXPECT_EQ(visible.hanRuns, (std::vector<std::string>{"\xE4\xB8\xAD\xE6\x96\x87", "\xE6\xA2\xA6\xE5\xA2\x83"}));

    // Unticked: the raw bytes, markup and all.
    const PageHarvest raw = HarvestPage(FetchedPage(gbk), false);
    EXPECT_EQ(words(raw), (std::vector<std::string>{"amp", "charset", "function", "gbk", "green", "initAnalytics",
                                                    "meta", "nbsp", "p", "script", "tea", "title"}));
    EXPECT_TRUE(raw.hanRuns.empty());

    // No charset anywhere: UTF-8.
    const PageHarvest utf8 = HarvestPage(FetchedPage("<p>\xE4\xB8\xAD\xE6\x96\x87 x</p>", "text/html"), true);
    EXPECT_EQ(utf8.hanRuns, (std::vector<std::string>{"\xE4\xB8\xAD\xE6\x96\x87"}));
    EXPECT_EQ(words(utf8), (std::vector<std::string>{"x"}));
}

TEST(VisibleText, HanRunsSplitAtOtherCharactersAndAreDeduplicated) {
    // 中文，梦境 中文 A 𠀀 (U+20000), and an invalid byte between two runs.
    const std::string text = "\xE4\xB8\xAD\xE6\x96\x87\xEF\xBC\x8C\xE6\xA2\xA6\xE5\xA2\x83 \xE4\xB8\xAD\xE6\x96\x87"
                             "A\xF0\xA0\x80\x80\xE4\xB8\xAD\xFF\xE6\x96\x87";
    EXPECT_EQ(hanRuns(text), (std::vector<std::string>{"\xE4\xB8\xAD\xE6\x96\x87", "\xE6\xA2\xA6\xE5\xA2\x83",
                                                       "\xF0\xA0\x80\x80\xE4\xB8\xAD", "\xE6\x96\x87"}));
}

} // namespace
} // namespace cvt
