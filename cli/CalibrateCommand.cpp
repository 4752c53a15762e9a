#include "cli/CommandFactories.h"
#include "cli/ServerTableLoading.h"
#include "cli/SharedOptions.h"
#include "cli/SuffixChoosing.h"
#include "cli/TimeLimitOptions.h"
#include "config/CalibrationFile.h"
#include "core/query/NetWhoisLookup.h"
#include "core/suffixes/CalibrationStore.h"

#include <CLI/CLI.hpp>
#include <chrono>
#include <ostream>
#include <string>
#include <system_error>

namespace cvt::cli {

namespace {

class CalibrateCommand : public Command {
public:
    std::string name() const override { return "calibrate"; }
    std::string summary() const override { return "derive the no-match text of each suffix's WHOIS server now"; }

    void declare(CLI::App& command) override {
        command.description(
            "Ask the WHOIS server of each SUFFIX about two names that cannot exist (random labels of 24 letters)\n"
            "and one that must (the catalogue's registered name, else nic.SUFFIX), derive the text every free\n"
            "reply holds and the registered one lacks and the text only the registered one holds, and keep\n"
            "them for the server in whois-texts.tsv beside Config.ini. Prints one line per suffix: suffix,\n"
            "server, and the no-match and registered texts, or why there are none.\n"
            "A SUFFIX may be @popular, @generic, @country, @chinese or @all. Exit status 1 when a server\n"
            "could not be calibrated.");
        command.add_option("SUFFIX", m_suffixes, "the suffixes whose servers to calibrate")->required();
        m_config.declare(command);
        m_timeLimits.declare(command, "60", "10");
    }

    int run(CommandIo& io) override {
        m_timeLimits.check();
        const std::filesystem::path configPath = m_config.path();
        std::error_code missing;
        const ServerTableData table = std::filesystem::exists(configPath, missing)
                                          ? loadServerTable(configPath, "calibrate", io.err)
                                          : ServerTableData();
        std::string list;
        for (const std::string& suffix : m_suffixes) {
            list += suffix + ",";
        }
        const CommandSuffixes suffixes = loadCommandSuffixes(table.entries, configPath, "calibrate", io.err,
                                                             SuffixSources::CatalogueWhenNeeded, list);
        const std::vector<const DirectorySuffix*> chosen = chooseSuffixes(suffixes.directory, list);

        const std::filesystem::path file = suffixes.calibrationFile;
        CalibrationStore store(suffixes.calibrations,
                               [&file](const std::string& server, const StoredCalibration& kept) {
                                   return CalibrationFile::keep(file, server, kept);
                               });
        NetWhoisLookup lookup;
        lookup.setTimeLimits(std::chrono::seconds(m_timeLimits.exchangeSeconds.value_or(60)),
                             std::chrono::seconds(m_timeLimits.connectSeconds.value_or(0)));
        WhoisCalibrator calibrator(lookup);
        int status = 0;
        for (const DirectorySuffix* suffix : chosen) {
            const ServerEntry& entry = suffix->server;
            // An entry asked by RDAP and WHOIS has its WHOIS server calibrated.
            const std::string& server = entry.kind == LookupKind::RdapThenWhois ? entry.whoisHost : entry.host;
            io.out << entry.caption << '\t' << server << '\t';
            if (entry.kind == LookupKind::Rdap) {
                io.out << "asked over RDAP: no text to calibrate\n";
                continue;
            }
            const CalibrationResult result = store.recalibrate({server, suffix->ascii, suffix->registered}, calibrator);
            if (!result.succeeded()) {
                io.out << "not calibrated: " << result.reason << '\n';
                status = 1;
                continue;
            }
            io.out << result.mark << '\t' << result.registered << '\n';
            if (!result.reason.empty()) {
                io.err << "corvantide-cli calibrate: cannot keep the text: " << result.reason << '\n';
                status = 1;
            }
        }
        io.out.flush();
        if (!io.out) {
            io.err << "corvantide-cli calibrate: cannot write the results\n";
            return 1;
        }
        return status;
    }

private:
    std::vector<std::string> m_suffixes;
    ConfigOption m_config;
    TimeLimitOptions m_timeLimits;
};

} // namespace

std::unique_ptr<Command> makeCalibrateCommand() {
    return std::make_unique<CalibrateCommand>();
}

} // namespace cvt::cli
