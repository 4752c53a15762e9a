#include "cli/Commands.h"

#include <ostream>

namespace cvt::cli {

int runWhois(CommandContext& context) {
    context.err << "corvantide-cli: the whois command is not available yet\n";
    return 1;
}

} // namespace cvt::cli
