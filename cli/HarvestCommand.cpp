#include "cli/CommandFactories.h"
#include "cli/PageFetch.h"
#include "core/WebHarvest.h"

#include <CLI/CLI.hpp>
#include <ostream>
#include <string>

namespace cvt::cli {

namespace {

class HarvestCommand : public Command {
public:
    std::string name() const override { return "harvest"; }
    std::string summary() const override { return "print the words of a web page, one per line"; }

    void declare(CLI::App& command) override {
        command.description("Fetch one web page and print the distinct words of its source, one per line, sorted "
                            "without\nregard to letter case. A word is a run of the letters A-Z and a-z, the digits "
                            "and \"_\"; markup\nis not skipped, and nothing after a NUL byte is read.");
        command.add_option("URL", m_url, "the address of the page")->required();
    }

    int run(CommandIo& io) override {
        const std::string body = fetchPage(m_url);
        for (const std::string_view word : ExtractWordList(body)) {
            io.out << word << '\n';
        }
        io.out.flush();
        return io.out ? 0 : 1;
    }

private:
    std::string m_url;
};

} // namespace

std::unique_ptr<Command> makeHarvestCommand() {
    return std::make_unique<HarvestCommand>();
}

} // namespace cvt::cli
