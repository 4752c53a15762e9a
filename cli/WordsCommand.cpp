#include "cli/Commands.h"

#include <ostream>

namespace cvt::cli {

int runWords(CommandContext& context) {
    context.err << "corvantide-cli: the words command is not available yet\n";
    return 1;
}

} // namespace cvt::cli
