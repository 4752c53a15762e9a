#include "cli/Commands.h"

#include <ostream>

namespace cvt::cli {

int runPinyin(CommandContext& context) {
    context.err << "corvantide-cli: the pinyin command is not available yet\n";
    return 1;
}

} // namespace cvt::cli
