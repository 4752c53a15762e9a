// corvantide-cli: the headless tool on the same core as the desktop program.
#include "cli/CommandLine.h"
#include "cli/InterruptWatcher.h"

#include <exception>
#include <iostream>

int main(int argc, char** argv) {
    try {
        // Before anything else, so that no thread can take a Ctrl-C meant for the watcher.
        cvt::cli::InterruptWatcher interrupts;
        cvt::cli::CommandIo io{std::cin, std::cout, std::cerr, interrupts};
        cvt::cli::CommandLine commandLine;
        const int status = commandLine.run(argc, argv, io);
        std::cout.flush();
        return status;
    } catch (const std::exception& error) {
        std::cerr << "corvantide-cli: " << error.what() << '\n';
        return 1;
    }
}
