#include "cli/Commands.h"

#include <ostream>

namespace cvt::cli {

int runFetch(CommandContext& context) {
    context.err << "corvantide-cli: the fetch command is not available yet\n";
    return 1;
}

} // namespace cvt::cli
