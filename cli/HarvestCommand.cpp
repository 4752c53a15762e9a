#include "cli/Commands.h"

#include <ostream>

namespace cvt::cli {

int runHarvest(CommandContext& context) {
    context.err << "corvantide-cli: the harvest command is not available yet\n";
    return 1;
}

} // namespace cvt::cli
