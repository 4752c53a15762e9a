#include "cli/Commands.h"
#include "core/ChineseToPinyin.h"

#include <ostream>

namespace cvt::cli {

namespace {

constexpr const char* kUsage =
    "Usage: corvantide-cli pinyin [--by-character] TEXT...\n"
    "Prints each TEXT turned into upper-case pinyin letters and digits, one per line\n"
    "(at most 255 bytes each). The TEXTs are read together as UTF-8 or as GBK.\n"
    "Words read as words (重庆 gives CHONGQING); with --by-character every character keeps its\n"
    "own fixed reading (ZHONGQING).\n";

} // namespace

int runPinyin(CommandContext& context) {
    auto texts = context.args.begin();
    PinyinReading reading = PinyinReading::ByPhrase;
    if (texts != context.args.end() && *texts == "--by-character") {
        reading = PinyinReading::ByCharacter;
        ++texts;
    }
    if (texts == context.args.end()) {
        context.err << kUsage;
        return 2;
    }
    if (context.args.size() == 1 && (context.args[0] == "--help" || context.args[0] == "-h")) {
        context.out << kUsage;
        return 0;
    }
    // The arguments are one text: all UTF-8 or all GBK.
    gbk::EncodingVote vote;
    for (auto text = texts; text != context.args.end(); ++text) {
        vote.add(*text);
    }
    const gbk::TextEncoding encoding = vote.result();
    for (; texts != context.args.end(); ++texts) {
        context.out << ChineseToPinyin(*texts, encoding, reading) << '\n';
    }
    return context.out.good() ? 0 : 1;
}

} // namespace cvt::cli
