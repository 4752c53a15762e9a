#include "cli/CommandFactories.h"
#include "cli/ServerTableLoading.h"
#include "cli/SharedOptions.h"
#include "cli/SuffixChoosing.h"
#include "config/CalibrationFile.h"

#include <CLI/CLI.hpp>
#include <ostream>
#include <string>
#include <system_error>

namespace cvt::cli {

namespace {

// The calibration fields of a WHOIS entry: the texts derived for its server and when, or that none
// is derived yet when the entry needs one; empty otherwise.
std::string calibrationField(const ServerEntry& entry, bool calibrates, const CalibrationBook& calibrations) {
    if (entry.kind == LookupKind::Rdap) {
        return {};
    }
    const std::string& server = entry.kind == LookupKind::RdapThenWhois ? entry.whoisHost : entry.host;
    if (const StoredCalibration* stored = calibrations.find(server); stored != nullptr) {
        std::string field = "calibrated " + calibrationDate(stored->derivedAt) + ": " + stored->mark;
        if (!stored->registered.empty()) {
            field += "\tregistered: " + stored->registered;
        }
        return field;
    }
    return calibrates ? "not calibrated yet" : "";
}

class ServersCommand : public Command {
public:
    std::string name() const override { return "servers"; }
    std::string summary() const override { return "print the WHOIS server table built from Config.ini"; }

    void declare(CLI::App& command) override {
        command.description(
            "Print the WHOIS server table as the program builds it from Config.ini, one entry "
            "per line:\ntick (x for the entries ticked at start, else a blank), suffix, server, "
            "no-match mark, TAB-separated;\na WHOIS entry whose server is calibrated adds its texts with their "
            "date (calibrated DATE: TEXT, then registered: TEXT).\nWith --all, every suffix that can be asked: tick, "
            "suffix, how it is "
            "asked (Config.ini, RDAP,\nWHOIS, WHOIS calibrated), server, no-match mark and the calibration.\n"
            "Without --config, the Config.ini in use is named on standard error.");
        m_config.declare(command);
        command.add_flag("--all", m_all,
                         "list the suffix catalogue too: every suffix that can be asked, and how it is asked");
    }

    int run(CommandIo& io) override {
        if (!m_config.given()) {
            io.err << "corvantide-cli servers: settings from " << m_config.path().string() << '\n';
        }
        std::error_code missing;
        const bool haveConfig = std::filesystem::exists(m_config.path(), missing);
        const std::filesystem::path configPath = m_all && !haveConfig ? m_config.path() : m_config.existingPath();
        const ServerTableData table = haveConfig ? loadServerTable(configPath, "servers", io.err) : ServerTableData();
        const CommandSuffixes suffixes =
            loadCommandSuffixes(table.entries, configPath, "servers", io.err,
                                m_all ? SuffixSources::CatalogueAndCalibrations : SuffixSources::Calibrations);
        for (const DirectorySuffix& suffix : suffixes.directory.suffixes()) {
            if (!m_all && suffix.askedBy != AskedBy::ConfigIni) {
                break;
            }
            const ServerEntry& entry = suffix.server;
            io.out << (entry.ticked ? 'x' : ' ') << '\t' << entry.caption << '\t';
            if (m_all) {
                io.out << askedByName(suffix.askedBy) << '\t';
            }
            // An entry asked by RDAP and WHOIS shows both servers as its Config.ini line has them.
            io.out << entry.host << (entry.whoisHost.empty() ? "" : "+" + entry.whoisHost) << '\t' << entry.mark;
            if (const std::string field = calibrationField(entry, suffix.calibrates, suffixes.calibrations);
                !field.empty() || m_all) {
                io.out << '\t' << field;
            }
            io.out << '\n';
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
    bool m_all = false;
};

} // namespace

std::unique_ptr<Command> makeServersCommand() {
    return std::make_unique<ServersCommand>();
}

} // namespace cvt::cli
