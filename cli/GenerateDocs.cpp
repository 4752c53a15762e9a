// Writes the manual page and the bash completion of corvantide-cli from its declared options.
#include "cli/CommandLine.h"
#include "cli/CommandLineDocs.h"

#include <filesystem>
#include <fstream>
#include <iostream>

namespace {

bool writeFile(const std::filesystem::path& path, void (*write)(const CLI::App&, std::ostream&),
               const cvt::cli::CommandLine& commandLine) {
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    write(commandLine.app(), out);
    out.close();
    if (!out) {
        std::cerr << "corvantide-cli-docs: cannot write " << path.string() << '\n';
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "Usage: corvantide-cli-docs MAN_PAGE BASH_COMPLETION\n";
        return 2;
    }
    const cvt::cli::CommandLine commandLine;
    const bool written = writeFile(argv[1], cvt::cli::writeManPage, commandLine) &&
                         writeFile(argv[2], cvt::cli::writeBashCompletion, commandLine);
    return written ? 0 : 1;
}
