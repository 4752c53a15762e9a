#pragma once

#include "cli/Command.h"

#include <memory>

namespace cvt::cli {

// The commands, in the order the help lists them; each is defined in a file of its own.
std::unique_ptr<Command> makeExpandCommand();
std::unique_ptr<Command> makeServersCommand();
std::unique_ptr<Command> makeCheckCommand();
std::unique_ptr<Command> makeCalibrateCommand();
std::unique_ptr<Command> makeWordsCommand();
std::unique_ptr<Command> makePinyinCommand();
std::unique_ptr<Command> makeWhoisCommand();
std::unique_ptr<Command> makeFetchCommand();
std::unique_ptr<Command> makeHarvestCommand();
std::unique_ptr<Command> makeHistoryCommand();

} // namespace cvt::cli
