#include "cli/CommandFactories.h"
#include "cli/ServerTableLoading.h"
#include "cli/SharedOptions.h"

#include <CLI/CLI.hpp>
#include <ostream>
#include <string>

namespace cvt::cli {

namespace {

class ServersCommand : public Command {
public:
    std::string name() const override { return "servers"; }
    std::string summary() const override { return "print the WHOIS server table built from Config.ini"; }

    void declare(CLI::App& command) override {
        command.description(
            "Print the WHOIS server table as the program builds it from Config.ini, one entry "
            "per line:\ntick (x for the entries ticked at start, else a blank), suffix, server, "
            "no-match mark, TAB-separated.\nWithout --config, the Config.ini in use is named on standard error.");
        m_config.declare(command);
    }

    int run(CommandIo& io) override {
        if (!m_config.given()) {
            io.err << "corvantide-cli servers: settings from " << m_config.path().string() << '\n';
        }
        const ServerTableData table = loadServerTable(m_config.existingPath(), "servers", io.err);
        for (const ServerEntry& entry : table.entries) {
            io.out << (entry.ticked ? 'x' : ' ') << '\t' << entry.caption << '\t' << entry.host << '\t' << entry.mark
                   << '\n';
        }
        io.out.flush();
        if (!io.out) {
            io.err << "corvantide-cli servers: cannot write the table\n";
            return 1;
        }
        return 0;
    }

private:
    ConfigOption m_config;
};

} // namespace

std::unique_ptr<Command> makeServersCommand() {
    return std::make_unique<ServersCommand>();
}

} // namespace cvt::cli
