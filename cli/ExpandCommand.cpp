#include "cli/CommandFactories.h"
#include "cli/SharedOptions.h"
#include "core/names/PatternExpansion.h"
#include "core/names/SearchCandidates.h"
#include "i18n/RefusalWording.h"

#include <CLI/CLI.hpp>
#include <ostream>
#include <string>

namespace cvt::cli {

namespace {

// Collects output in large blocks instead of handing each line to the stream.
class BlockWriter {
public:
    explicit BlockWriter(std::ostream& out) : m_out(out) { m_buffer.reserve(kBlock + 256); }
    void line(std::string_view text) {
        m_buffer.append(text);
        m_buffer.push_back('\n');
        if (m_buffer.size() >= kBlock) {
            flush();
        }
    }
    void flush() {
        m_out.write(m_buffer.data(), static_cast<std::streamsize>(m_buffer.size()));
        m_buffer.clear();
    }

private:
    static constexpr std::size_t kBlock = 1 << 20;
    std::ostream& m_out;
    std::string m_buffer;
};

class ExpandCommand : public Command {
public:
    std::string name() const override { return "expand"; }
    std::string summary() const override { return "print the names a query pattern allows, sorted"; }

    void declare(CLI::App& command) override {
        command.description("Print the names a search of PATTERN would ask, in that order, one per line.");
        command.add_option("PATTERN", m_pattern, "a row of elements, each one character or a set in brackets")
            ->required();
        m_config.declare(command);
        m_language.declare(command);
        command.footer("[a-z]phone gives aphone to zphone. Names beginning or ending with \"-\" are left out, names "
                       "that\ndiffer only in letter case are given once, and names holding control characters are "
                       "left out (their\nnumber goes to standard error). A pattern that holds spaces must be quoted; "
                       "one that begins with\n\"-\" follows \"--\".");
    }

    int run(CommandIo& io) override {
        // Exactly the names the Search command asks, in its order.
        BlockWriter writer(io.out);
        std::size_t dropped = 0;
        RefusedNames refused;
        try {
            dropped = SearchCandidates::streamPattern(
                m_pattern, [&writer](std::string_view name) { writer.line(name); }, &refused);
        } catch (const PatternError& error) {
            io.err << "corvantide-cli expand: " << refusalMessage(error.refusal(), m_language.resolve(m_config.path()))
                   << '\n';
            return 1;
        }
        writer.flush();
        io.out.flush();
        if (dropped > refused.count) {
            io.err << "corvantide-cli expand: left out " << dropped - refused.count
                   << " names holding control characters, as a search does\n";
        }
        if (refused.count > 0) {
            io.err << "corvantide-cli expand: left out " << refused.describe() << ", as a search does\n";
        }
        if (!io.out) {
            io.err << "corvantide-cli expand: cannot write the names\n";
            return 1;
        }
        return 0;
    }

private:
    std::string m_pattern;
    ConfigOption m_config;
    LanguageOption m_language;
};

} // namespace

std::unique_ptr<Command> makeExpandCommand() {
    return std::make_unique<ExpandCommand>();
}

} // namespace cvt::cli
