#include "cli/Commands.h"

#include <ostream>

namespace cvt::cli {

int runServers(CommandContext& context) {
    context.err << "corvantide-cli: the servers command is not available yet\n";
    return 1;
}

} // namespace cvt::cli
