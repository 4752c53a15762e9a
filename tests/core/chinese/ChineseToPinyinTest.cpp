#include "core/chinese/ChineseToPinyin.h"

#include "core/chinese/GbkCodec.h"
#include "core/chinese/PinyinPhrases.h"

#include <gtest/gtest.h>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace cvt {
namespace {

using namespace std::string_literals;

struct Case {
    std::string input;
    std::string expected;
};

// Converts the UTF-8 text on every path: as UTF-8, as the GBK bytes of the same text, and those
// GBK bytes handed to the entry that tells the encodings apart (also when they happen to be valid
// UTF-8). The one-argument entries read by character; so does the choice ByCharacter.
void expectBothPaths(const Case& c, PinyinReading reading = PinyinReading::ByCharacter) {
    const std::string gbkBytes = gbk::utf8ToGbk(c.input);
    if (reading == PinyinReading::ByCharacter) {
        EXPECT_EQ(ChineseToPinyin(c.input), c.expected) << "UTF-8: " << c.input;
        EXPECT_EQ(ChineseToPinyinGbk(gbkBytes), c.expected) << "GBK: " << c.input;
        EXPECT_EQ(ChineseToPinyin(gbkBytes), c.expected) << "GBK through the detecting entry: " << c.input;
    }
    EXPECT_EQ(ChineseToPinyin(c.input, reading), c.expected) << "UTF-8: " << c.input;
    EXPECT_EQ(ChineseToPinyinGbk(gbkBytes, reading), c.expected) << "GBK: " << c.input;
    EXPECT_EQ(ChineseToPinyin(gbkBytes, reading), c.expected) << "GBK through the detecting entry: " << c.input;
}

// GBK phrases whose bytes are also valid UTF-8 (two-byte sequences of characters GBK lacks).
TEST(ChineseToPinyin, GbkThatLooksLikeUtf8IsReadAsGbk) {
    const Case cases[] = {
        {"学习", "XUEXI"},        {"唯一", "WEIYI"},  {"围墙", "WEIQIANG"}, {"一位", "YIWEI"},
        {"学习 abc", "XUEXIABC"}, {"谢谢", "XIEXIE"}, // its GBK bytes read as two Cyrillic letters in UTF-8
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(gbk::isValidUtf8(gbk::utf8ToGbk(c.input))) << c.input;
        expectBothPaths(c);
    }
}

TEST(GbkEncoding, DecidedForTheWholeText) {
    struct EncodingCase {
        const char* name;
        std::vector<std::string> pieces;
        gbk::TextEncoding expected;
    };
    const std::string xuexi = gbk::utf8ToGbk("学习");
    const std::string mengjing = gbk::utf8ToGbk("梦境");
    const EncodingCase cases[] = {
        {"ASCII", {"abc", ""}, gbk::TextEncoding::Utf8},
        {"Chinese in UTF-8", {"学习", "梦境"}, gbk::TextEncoding::Utf8},
        {"Greek letters stay UTF-8", {"Ωθ", "é"}, gbk::TextEncoding::Utf8},
        {"GBK read as Cyrillic letters", {gbk::utf8ToGbk("谢谢")}, gbk::TextEncoding::Gbk},
        {"an emoji beside Chinese stays UTF-8", {"梦境\U0001F600"}, gbk::TextEncoding::Utf8},
        {"GBK valid as UTF-8 alone", {xuexi}, gbk::TextEncoding::Gbk},
        {"a later GBK line decides an earlier one", {xuexi, mengjing}, gbk::TextEncoding::Gbk},
    };
    for (const auto& c : cases) {
        gbk::EncodingVote vote;
        for (const std::string& piece : c.pieces) {
            vote.add(piece);
        }
        EXPECT_EQ(vote.result(), c.expected) << c.name;
    }
}

// A UTF-8 text with some GBK lines reads each line in its own encoding; a text of one encoding is
// read whole. Names keep two-byte UTF-8 letters as they stand.
TEST(GbkEncoding, MixedTextIsReadLineByLine) {
    using gbk::TextEncoding;
    struct MixedCase {
        const char* name;
        gbk::TextKind kind;
        std::vector<std::string> pieces;
        std::vector<TextEncoding> expected;
        std::size_t gbkPieces;
    };
    const std::string xiexie = gbk::utf8ToGbk("谢谢");
    const std::string mengjing = gbk::utf8ToGbk("梦境");
    const MixedCase cases[] = {
        {"GBK lines in UTF-8",
         gbk::TextKind::ChineseText,
         {"学习", mengjing, "abc", xiexie},
         {TextEncoding::Utf8, TextEncoding::Gbk, TextEncoding::Utf8, TextEncoding::Gbk},
         2},
        {"all GBK", gbk::TextKind::ChineseText, {mengjing, xiexie}, {TextEncoding::Gbk, TextEncoding::Gbk}, 0},
        {"all UTF-8", gbk::TextKind::ChineseText, {"学习", "abc"}, {TextEncoding::Utf8, TextEncoding::Utf8}, 0},
        {"a name of Cyrillic letters stays",
         gbk::TextKind::Names,
         {"学习", "привет", mengjing},
         {TextEncoding::Utf8, TextEncoding::Utf8, TextEncoding::Gbk},
         1},
        {"Cyrillic names alone stay",
         gbk::TextKind::Names,
         {"привет", xiexie},
         {TextEncoding::Utf8, TextEncoding::Utf8},
         0},
    };
    for (const auto& c : cases) {
        gbk::EncodingVote vote(c.kind);
        for (const std::string& piece : c.pieces) {
            vote.add(piece);
        }
        for (std::size_t i = 0; i < c.pieces.size(); ++i) {
            EXPECT_EQ(vote.encodingOf(c.pieces[i]), c.expected[i]) << c.name << ", piece " << i;
        }
        EXPECT_EQ(vote.gbkPieces(), c.gbkPieces) << c.name;
    }
}

TEST(ChineseToPinyin, CharactersWithSeveralReadingsGetTheirFixedSyllable) {
    const Case cases[] = {
        {"梦", "MENG"},  {"境", "JING"},  {"萝", "LUO"},  {"卜", "BO"}, {"东", "DONG"}, {"方", "FANG"}, {"中", "ZHONG"},
        {"重", "ZHONG"}, {"长", "ZHANG"}, {"行", "HANG"}, {"乐", "LE"}, {"了", "LE"},   {"的", "DE"},   {"和", "HE"},
        {"角", "JIAO"},  {"朝", "CHAO"},  {"女", "NV"},   {"绿", "LV"}, {"吕", "LV"},   {"去", "QU"},   {"学", "XUE"},
        {"居", "JU"},    {"略", "LUE"},   {"虐", "NUE"},  {"嗯", "EN"}, {"儿", "ER"},   {"网", "WANG"}, {"站", "ZHAN"},
    };
    for (const auto& c : cases) {
        expectBothPaths(c);
    }
}

TEST(ChineseToPinyin, PhrasesMixedWithAsciiAndSymbols) {
    const Case cases[] = {
        {"梦境", "MENGJING"},
        {"萝卜", "LUOBO"},
        {"东方", "DONGFANG"},
        {"3D打印", "3DDAYIN"},
        {"乐园 2008", "LEYUAN2008"},
        {"中-国", "ZHONGGUO"},
        {"①号", "1HAO"},
        {"Ω", "O"},
        {"θ", "TH"},
        {"ａＢ", "aB"},     // full-width letters keep their case
        {"abc", "ABC"},     // plain letters become upper case
        {"ⅰⅹⅫ", "11012"},   // small and capital Roman numerals
        {"⒛⒇㈩", "202010"}, // numbers with full stop, in parentheses, ideographic
        {"αβγδεζηθικλμ", "ABGDEZETHIKLM"},
        {"ΝΞΟΠΡΣΤΥΦΧΨΩ", "NXOPRSTUPHKHPSO"},
        {"", ""},
        {"!?,.;:'\"()[] \t\r\n", ""},
        {"，。！？、《》【】", ""}, // full-width punctuation
        {"ｗｗｗ．ｃｏｍ", "wwwcom"},
        {"©é€", ""},           // characters without a reading or without a GBK code
        {"梦😀境", "MENGJING"}, // characters GBK lacks give nothing
        {"网站www", "WANGZHANWWW"},
    };
    for (const auto& c : cases) {
        expectBothPaths(c);
    }
}

TEST(ChineseToPinyin, GbkByteRules) {
    const Case cases[] = {
        {"\xC3\xCE\xBE\xB3"s, "MENGJING"},    // 梦境 in GBK
        {"\xA2\xA1"s, "1"},                   // small i
        {"\xA2\xAA"s, "10"},                  // small x
        {"\xA2\xAB\xA2\xB0"s, ""},            // unassigned codes of the numbered row
        {"\xA2\xB1\xA2\xC4"s, "120"},         // 1. and 20.
        {"\xA2\xC5\xA2\xD8"s, "120"},         // (1) and (20)
        {"\xA2\xD9\xA2\xE2"s, "110"},         // circled 1 and 10
        {"\xA2\xE3\xA2\xE4"s, ""},            // unassigned
        {"\xA2\xE5\xA2\xEE"s, "110"},         // ideographic one and ten
        {"\xA2\xEF\xA2\xF0"s, ""},            // unassigned
        {"\xA2\xF1\xA2\xFC"s, "112"},         // capital I and XII
        {"\xA2\xFD\xA2\xFE"s, ""},            // unassigned
        {"\xA2\x41\x42"s, "B"},               // a numbered-row code below 0xA1 gives nothing, both bytes used
        {"\xA3\xE1\xA3\xC2\xA3\xB9"s, "aB9"}, // full-width letters and digit
        {"\xA3\xA1\xA3\xC0\xA3\xDB"s, ""},    // full-width punctuation
        {"\xA3\x41"s, ""},                    // trail below 0x80 is no full-width character
        {"\xA6\xA1\xA6\xB8\xA6\xC1\xA6\xD8"s, "AOAO"},
        {"\xA6\xA8\xA6\xC8"s, "THTH"},
        {"\xA6\xB9\xA6\xC0\xA6\xD9\xA6\xE0"s, ""}, // the rest of the Greek row
        {"\xA1\xA1\xA1\xA3"s, ""},                 // symbol row A1
        {"\xA8\xA6"s, ""},                         // pinyin letter row
        {"\xFE\x50"s, ""},                         // row FE
        {"AB\xD6"s, "AB"},                         // a lead byte at the very end is dropped
        {"\xD6\x31"s, "1"},                        // a byte below 0x40 starts no code; both stand alone
        {"\xD6\xD0\xD6"s, "ZHONG"},
        {"\xD6\xFF\x41"s, "A"}, // trail 0xFF: two bytes, nothing
        {"\xFF\x41\x42"s, "B"}, // lead 0xFF: two bytes, nothing
        {"\xB0\x7F\x43"s, "C"}, // trail 0x7F has a slot but no reading
        {"\x80\x41"s, "A"},     // 0x80 starts no code
        {"\x81\x40"s, "KAO"},   // first code of the table
        {"a\x00z"s, "AZ"},
        {"\xD6\x0Ax"s, "X"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ChineseToPinyinGbk(c.input), c.expected) << testing::PrintToString(c.input);
    }
}

TEST(ChineseToPinyin, ResultIsCutAt255Bytes) {
    const auto repeat = [](const std::string& text, int times) {
        std::string result;
        for (int i = 0; i < times; ++i) {
            result += text;
        }
        return result;
    };
    const Case cases[] = {
        {repeat("梦", 200), repeat("MENG", 63) + "MEN"}, // cut inside the 64th syllable
        {std::string(300, 'a'), std::string(255, 'A')},
        {std::string(255, '9'), std::string(255, '9')},
        {std::string(1'000'000, 'x') + "梦", std::string(255, 'X')},
    };
    for (const auto& c : cases) {
        expectBothPaths(c);
    }
}

TEST(ChineseToPinyin, WordsReadAsWords) {
    struct Reading {
        std::string input;
        std::string byPhrase;
        std::string byCharacter;
    };
    const Reading cases[] = {
        {"重庆", "CHONGQING", "ZHONGQING"},
        {"音乐", "YINYUE", "YINLE"},
        {"长城", "CHANGCHENG", "ZHANGCHENG"},
        {"会计", "KUAIJI", "HUIJI"},
        {"重新", "CHONGXIN", "ZHONGXIN"},
        {"长大", "ZHANGDA", "ZHANGDA"},
        {"银行", "YINHANG", "YINHANG"},
        {"行长", "HANGZHANG", "HANGZHANG"},
        {"快乐", "KUAILE", "KUAILE"},
        {"明朝", "MINGCHAO", "MINGCHAO"}, // a proper-noun reading equal to the characters'
        {"梦境萝卜东方", "MENGJINGLUOBODONGFANG", "MENGJINGLUOBODONGFANG"},
        {"重庆市", "CHONGQINGSHI", "ZHONGQINGSHI"},           // the longest word wins
        {"长江大桥", "CHANGJIANGDAQIAO", "ZHANGJIANGDAQIAO"}, // four characters
        {"我在重庆听音乐", "WOZAICHONGQINGTINGYINYUE", "WOZAIZHONGQINGTINGYINLE"},
        {"重庆2008音乐", "CHONGQING2008YINYUE", "ZHONGQING2008YINLE"},
        {"重-庆", "ZHONGQING", "ZHONGQING"}, // a symbol ends the run of characters
        {"重 庆", "ZHONGQING", "ZHONGQING"},
        {"重①庆", "ZHONG1QING", "ZHONG1QING"},
        {"ａ重庆Ω", "aCHONGQINGO", "aZHONGQINGO"},
        {"重", "ZHONG", "ZHONG"},
        {"", "", ""},
        // Syllables only word reading has, in words and for a lone character.
        {"给力", "GEILI", "JILI"},
        {"送给", "SONGGEI", "SONGJI"},
        {"佛山", "FOSHAN", "FUSHAN"},
        {"他俩", "TALIA", "TALIANG"},
        {"给", "GEI", "JI"},
        {"给予", "JIYU", "JIYU"},
        // A word beside a word of the table is not broken up.
        {"快乐音乐", "KUAILEYINYUE", "KUAILEYINLE"},
        {"开会计划", "KAIHUIJIHUA", "KAIHUIJIHUA"},
        {"下面的", "XIAMIANDE", "XIAMIANDE"},
        {"研究生命", "YANJIUSHENGMING", "YANJIUSHENGMING"}, // the backward split has fewer single characters
        // The everyday reading where the dictionary's entries disagree.
        {"便宜", "PIANYI", "BIANYI"},
        {"大夫", "DAIFU", "DAFU"},
        {"长长的", "CHANGCHANGDE", "ZHANGZHANGDE"},
        {"地里", "DILI", "DELI"},
    };
    for (const auto& c : cases) {
        expectBothPaths({c.input, c.byPhrase}, PinyinReading::ByPhrase);
        expectBothPaths({c.input, c.byCharacter}, PinyinReading::ByCharacter);
    }
    // A character GBK lacks reads as nothing and ends the word.
    EXPECT_EQ(ChineseToPinyin("重😀庆", PinyinReading::ByPhrase), "ZHONGQING");
    // GBK bytes: a lead byte at the end is dropped, a stray byte ends the word.
    EXPECT_EQ(ChineseToPinyinGbk("\xD6\xD8\xC7\xEC\xD6"s, PinyinReading::ByPhrase), "CHONGQING");
    EXPECT_EQ(ChineseToPinyinGbk("\xD6\xD8\x00\xC7\xEC"s, PinyinReading::ByPhrase), "ZHONGQING");
    EXPECT_EQ(ChineseToPinyinGbk("\xD6\xD8\xC7\xEC\x00"s, PinyinReading::ByPhrase), "CHONGQING");
    // The cut applies to word readings too.
    std::string many;
    for (int i = 0; i < 100; ++i) {
        many += "重庆";
    }
    const std::string cut = ChineseToPinyin(many, PinyinReading::ByPhrase);
    EXPECT_EQ(cut.size(), kPinyinMaxLength);
    EXPECT_EQ(cut.substr(0, 18), "CHONGQINGCHONGQING");
}

// Every word of the table is found by the lookup and, standing alone, reads as the table says: its
// own reading, which differs from its characters', or its characters' reading. The groups are sorted
// as the binary search needs.
TEST(PinyinTables, EveryWordIsFoundAndReadsAsStored) {
    std::size_t words = 0;
    std::size_t withReading = 0;
    for (std::size_t slot = 0; slot < gbk::kSlotCount; ++slot) {
        const std::size_t first = pinyin::kWordFirst[slot];
        const std::size_t last = pinyin::kWordFirst[slot + 1];
        ASSERT_LE(first, last) << slot;
        const auto lead = static_cast<unsigned>(gbk::kLeadFirst + slot / gbk::kTrailsPerLead);
        const auto trail = static_cast<unsigned>(gbk::kTrailFirst + slot % gbk::kTrailsPerLead);
        for (std::size_t i = first; i < last; ++i) {
            const std::uint64_t entry = pinyin::kWords[i];
            if (i > first) {
                ASSERT_LT(pinyin::kWords[i - 1] & pinyin::kPhraseKeyMask, entry & pinyin::kPhraseKeyMask) << slot;
            }
            std::vector<std::uint16_t> codes{static_cast<std::uint16_t>(lead << 8 | trail)};
            for (int shift = 32; shift >= 0 && (entry >> shift & 0xFFFF) != 0; shift -= 16) {
                codes.push_back(static_cast<std::uint16_t>(entry >> shift & 0xFFFF));
            }
            ASSERT_GE(codes.size(), 2u);
            std::string word;
            for (const std::uint16_t code : codes) {
                word += static_cast<char>(code >> 8);
                word += static_cast<char>(code & 0xFF);
            }
            std::array<std::uint16_t, pinyin::kPhraseMaxLength + 1> found{};
            ASSERT_TRUE(pinyin::wordsAt(codes.data(), codes.size(), found) & (1u << codes.size()))
                << testing::PrintToString(word);
            const auto number = static_cast<std::uint16_t>(entry >> pinyin::kReadingShift);
            EXPECT_EQ(found[codes.size()], number);
            const std::string byCharacter = ChineseToPinyinGbk(word, PinyinReading::ByCharacter);
            if (number == 0) {
                EXPECT_EQ(ChineseToPinyinGbk(word, PinyinReading::ByPhrase), byCharacter)
                    << testing::PrintToString(word);
                ++words;
                continue;
            }
            std::string reading;
            for (const std::uint16_t syllable : pinyin::kPhraseReadings[number - 1]) {
                if (syllable != 0) {
                    ASSERT_LE(syllable, pinyin::kSyllableCount + pinyin::kWordSyllableCount);
                    reading += syllable <= pinyin::kSyllableCount
                                   ? pinyin::kSyllables[syllable - 1]
                                   : pinyin::kWordSyllables[syllable - pinyin::kSyllableCount - 1];
                }
            }
            for (char& letter : reading) {
                letter = static_cast<char>(letter - 'a' + 'A');
            }
            EXPECT_EQ(ChineseToPinyinGbk(word, PinyinReading::ByPhrase), reading) << testing::PrintToString(word);
            EXPECT_NE(byCharacter, reading) << testing::PrintToString(word);
            ++words;
            ++withReading;
        }
    }
    EXPECT_EQ(words, pinyin::kWordFirst.back());
    EXPECT_GT(words, 100'000u);
    EXPECT_GT(withReading, 4'000u);
}

// The 400 syllables a character may read as.
const std::set<std::string>& validSyllables() {
    static const std::set<std::string> syllables = [] {
        std::istringstream list(
            "a ai an ang ao ba bai ban bang bao bei ben beng bi bian biao bie bin bing bo bu ca cai can cang cao ce "
            "cen ceng cha chai chan chang chao che chen cheng chi chong chou chu chuai chuan chuang chui chun chuo ci "
            "cong cou cu cuan cui cun cuo da dai dan dang dao de deng di dia dian diao die ding diu dong dou du duan "
            "dui dun duo e ei en er fa fan fang fei fen feng fou fu ga gai gan gang gao ge gen geng gong gou gu gua "
            "guai guan guang gui gun guo ha hai han hang hao he hei hen heng hong hou hu hua huai huan huang hui hun "
            "huo ji jia jian jiang jiao jie jin jing jiong jiu ju juan jue jun ka kai kan kang kao ke ken keng kong "
            "kou ku kua kuai kuan kuang kui kun kuo la lai lan lang lao le lei leng li lian liang liao lie lin ling "
            "liu long lou lu luan lue lun luo lv m ma mai man mang mao me mei men meng mi mian miao mie min ming miu "
            "mo mou mu n na nai nan nang nao ne nei nen neng ni nian niang niao nie nin ning niu nong nou nu nuan nue "
            "nuo nv o ou pa pai pan pang pao pei pen peng pi pian piao pie pin ping po pou pu qi qia qian qiang qiao "
            "qie qin qing qiong qiu qu quan que qun ran rang rao re ren reng ri rong rou ru ruan rui run ruo sa sai "
            "san sang sao se sen seng sha shai shan shang shao she shen sheng shi shou shu shua shuai shuan shuang "
            "shui shun shuo si song sou su suan sui sun suo ta tai tan tang tao te teng ti tian tiao tie ting tong "
            "tou tu tuan tui tun tuo wa wai wan wang wei wen weng wo wu xi xia xian xiang xiao xie xin xing xiong xiu "
            "xu xuan xue xun ya yan yang yao ye yi yin ying yo yong you yu yuan yue yun za zai zan zang zao ze zei "
            "zen zeng zha zhai zhan zhang zhao zhe zhen zheng zhi zhong zhou zhu zhua zhuai zhuan zhuang zhui zhun "
            "zhuo zi zong zou zu zuan zui zun zuo");
        std::set<std::string> result;
        for (std::string word; list >> word;) {
            result.insert(word);
        }
        return result;
    }();
    return syllables;
}

TEST(PinyinTables, SyllableTableHoldsTheSyllablesOnce) {
    ASSERT_EQ(validSyllables().size(), 400u);
    std::set<std::string> entries;
    int empty = 0;
    for (const char* syllable : pinyin::kSyllables) {
        const std::string text = syllable;
        EXPECT_LE(text.size(), 6u);
        EXPECT_TRUE(entries.insert(text).second) << "twice: " << text;
        empty += text.empty() ? 1 : 0;
    }
    EXPECT_EQ(empty, 1);
    for (const auto& syllable : validSyllables()) {
        EXPECT_TRUE(entries.count(syllable)) << syllable;
    }
}

TEST(PinyinTables, ReadingsAreValidSyllablesOfChineseRowsOnly) {
    int withReading = 0;
    for (unsigned lead = gbk::kLeadFirst; lead <= gbk::kLeadLast; ++lead) {
        for (unsigned trail = gbk::kTrailFirst; trail <= gbk::kTrailLast; ++trail) {
            const std::uint16_t number = pinyin::kReadings[gbk::slotIndex(lead, trail)];
            if (number == 0) {
                continue;
            }
            ++withReading;
            const bool chineseRow = (lead >= 0x81 && lead <= 0xA0) || (lead >= 0xAA && lead <= 0xFD);
            EXPECT_TRUE(chineseRow) << std::hex << lead << trail;
            EXPECT_NE(trail, 0x7Fu);
            ASSERT_LE(number, pinyin::kSyllableCount);
            EXPECT_TRUE(validSyllables().count(pinyin::kSyllables[number - 1])) << std::hex << lead << trail;
            EXPECT_NE(gbk::codePointOf(static_cast<std::uint16_t>(lead << 8 | trail)), 0u)
                << "reading for an unassigned code " << std::hex << lead << trail;
        }
    }
    // Close to the 20,745 readings of the long-standing table; the Unihan data gives a few more.
    EXPECT_GT(withReading, 20'700);
    EXPECT_LT(withReading, 21'000);
}

} // namespace
} // namespace cvt
