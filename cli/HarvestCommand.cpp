#include "cli/CommandFactories.h"
#include "cli/PageFetch.h"
#include "core/words/WebHarvest.h"

#include <CLI/CLI.hpp>
#include <ostream>
#include <string>

namespace cvt::cli {

namespace {

class HarvestCommand : public Command {
public:
    std::string name() const override { return "harvest"; }
    std::string summary() const override { return "print the words (or Chinese runs) of a web page, one per line"; }

    void declare(CLI::App& command) override {
        command.description(
            "Fetch one web page and print the distinct words of its visible text, one per line, sorted\n"
            "without regard to letter case. A word is a run of the letters A-Z and a-z, the digits and \"_\".\n"
            "The page is read in its declared character set (Content-Type, then <meta charset>, else UTF-8);\n"
            "comments, scripts, styles, noscript and template content and tags are left out and character\n"
            "references decoded.");
        command.add_option("URL", m_url, "the address of the page")->required();
        CLI::Option* raw = command.add_flag("--raw", m_raw,
                                            "take the words from the page source as it is: markup is not "
                                            "skipped, and nothing after a NUL byte is read");
        command
            .add_flag("--chinese", m_chinese,
                      "print the runs of Chinese (Han) characters of the visible text instead, one per line, each "
                      "once, in UTF-8")
            ->excludes(raw);
    }

    int run(CommandIo& io) override {
        const PageHarvest harvest = HarvestPage(fetchPage(m_url), !m_raw);
        if (m_chinese) {
            for (const std::string& run : harvest.hanRuns) {
                io.out << run << '\n';
            }
        } else {
            for (const std::string_view word : harvest.words) {
                io.out << word << '\n';
            }
        }
        io.out.flush();
        return io.out ? 0 : 1;
    }

private:
    std::string m_url;
    bool m_raw = false;
    bool m_chinese = false;
};

} // namespace

std::unique_ptr<Command> makeHarvestCommand() {
    return std::make_unique<HarvestCommand>();
}

} // namespace cvt::cli
