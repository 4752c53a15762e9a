#include "cli/Commands.h"
#include "core/ChineseToPinyin.h"

#include <ostream>

namespace cvt::cli {

namespace {

constexpr const char* kUsage = "Usage: corvantide-cli pinyin TEXT...\n"
                               "Prints each TEXT turned into upper-case pinyin letters and digits, one per line\n"
                               "(at most 255 bytes each). The TEXTs are read together as UTF-8 or as GBK.\n";

} // namespace

int runPinyin(CommandContext& context) {
    if (context.args.empty()) {
        context.err << kUsage;
        return 2;
    }
    if (context.args.size() == 1 && (context.args[0] == "--help" || context.args[0] == "-h")) {
        context.out << kUsage;
        return 0;
    }
    // The arguments are one text: all UTF-8 or all GBK.
    gbk::EncodingVote vote;
    for (const std::string& text : context.args) {
        vote.add(text);
    }
    const gbk::TextEncoding encoding = vote.result();
    for (const std::string& text : context.args) {
        context.out << ChineseToPinyin(text, encoding) << '\n';
    }
    return context.out.good() ? 0 : 1;
}

} // namespace cvt::cli
