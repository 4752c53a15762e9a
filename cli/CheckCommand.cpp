#include "cli/Commands.h"

#include <ostream>

namespace cvt::cli {

int runCheck(CommandContext& context) {
    context.err << "corvantide-cli: the check command is not available yet\n";
    return 1;
}

} // namespace cvt::cli
