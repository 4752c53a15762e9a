// Writes the manual pages of corvantide-cli and corvantide and the shell completions of
// corvantide-cli from its declared options.
#include "cli/CommandLine.h"
#include "cli/CommandLineDocs.h"
#include "cli/ShellCompletion.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>

namespace {

bool writeFile(const std::filesystem::path& path, const std::function<void(std::ostream&)>& write) {
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    write(out);
    out.close();
    if (!out) {
        std::cerr << "corvantide-cli-docs: cannot write " << path.string() << '\n';
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 7) {
        std::cerr << "Usage: corvantide-cli-docs DATE CLI_MAN_PAGE WINDOW_MAN_PAGE BASH_COMPLETION ZSH_COMPLETION "
                     "FISH_COMPLETION\n";
        return 2;
    }
    const std::string date = argv[1];
    const cvt::cli::CommandLine commandLine;
    const CLI::App& app = commandLine.app();
    const bool written = writeFile(argv[2], [&](std::ostream& out) { cvt::cli::writeManPage(app, date, out); }) &&
                         writeFile(argv[3], [&](std::ostream& out) { cvt::cli::writeWindowManPage(date, out); }) &&
                         writeFile(argv[4], [&](std::ostream& out) { cvt::cli::writeBashCompletion(app, out); }) &&
                         writeFile(argv[5], [&](std::ostream& out) { cvt::cli::writeZshCompletion(app, out); }) &&
                         writeFile(argv[6], [&](std::ostream& out) { cvt::cli::writeFishCompletion(app, out); });
    return written ? 0 : 1;
}
