#include "cli/Commands.h"

#include <ostream>

namespace cvt::cli {

int runExpand(CommandContext& context) {
    context.err << "corvantide-cli: the expand command is not available yet\n";
    return 1;
}

} // namespace cvt::cli
