#include "cli/CheckJournal.h"
#include "cli/CheckNameSource.h"
#include "cli/CheckOutput.h"
#include "cli/CheckOutputFile.h"
#include "cli/CheckRun.h"
#include "cli/CommandFactories.h"
#include "cli/InterruptWatcher.h"
#include "cli/PlainReason.h"
#include "cli/ProgressLine.h"
#include "cli/ServerTableLoading.h"
#include "cli/SharedOptions.h"
#include "cli/SuffixChoosing.h"
#include "cli/TimeLimitOptions.h"
#include "config/CalibrationFile.h"
#include "config/RunSettingsIni.h"
#include "config/ServerEntryLine.h"
#include "core/export/TextExport.h"
#include "core/query/DnsStage.h"
#include "core/query/ResultMarks.h"
#include "core/suffixes/CalibrationStore.h"
#include "core/suffixes/EntryCalibration.h"
#include "i18n/Messages.h"
#include "i18n/RefusalWording.h"
#include "text/TextUtil.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <filesystem>
#include <iostream>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <unistd.h>

namespace cvt::cli {

namespace {

constexpr const char* kFooter =
    "The text format is the text export: a header of column captions, then one line per name; each field\n"
    "is followed by a TAB, each line ends in CR LF. tsv has the fields separated by TAB with LF line ends;\n"
    "csv is RFC 4180 in UTF-8 with a byte-order mark (--csv-plain: without it). Marks: \xE2\x98\x86 free,\n"
    "\xE2\x98\x85 registered, - failed (asked again with --retries N); json and jsonl spell them free,\n"
    "registered, failed or unasked, and give the reason of every failed cell under \"reasons\".\n"
    "Progress goes to standard error when it is a terminal. Ctrl-C stops after the exchange under way\n"
    "and still prints the table so far; a second Ctrl-C also abandons that exchange.\n"
    "Without a Config.ini, --server gives the servers: SUFFIX=HOST[:PORT]+MARK for WHOIS (MARK is the\n"
    "text of a no-match reply; without it the server's texts are calibrated from its replies),\n"
    "SUFFIX=https://BASE/ for RDAP. A --suffix that no entry serves is asked\n"
    "as the suffix catalogue (suffixes.tsv) says: at its RDAP base, else at its WHOIS server with the\n"
    "no-match text known for it or calibrated from its replies (corvantide-cli servers --all).\n"
    "Exit status: 0 at least one free cell; 1 no free cell, every cell answered; 2 wrong usage; 3 no\n"
    "free cell and some cells failed; 4 the run could not start or its table could not be written;\n"
    "130 stopped by Ctrl-C (the table so far still printed). --exit-zero gives 0 for 1 and 3.";

constexpr std::int64_t kMaxRetries = 10;

// The exit statuses of check.
constexpr int kFoundFree = 0;
constexpr int kNoneFree = 1;
constexpr int kSomeFailed = 3;
constexpr int kCouldNotRun = 4;
constexpr int kInterrupted = 130;

// What the marks of the run come to: 0 when a cell is free, else 3 when one failed or was never
// asked, else 1.
int statusOfMarks(const CheckRunResult& result) {
    const std::size_t columns = result.table.captions.empty() ? 0 : result.table.captions.size() - 1;
    if (result.marks.free > 0) {
        return kFoundFree;
    }
    return result.marks.registered == result.rows * columns ? kNoneFree : kSomeFailed;
}

// An RDAP base must name a host: "https://" and a host name without blanks or controls.
bool isUsableBase(std::string_view base) {
    const std::size_t scheme = base.find("://");
    const std::string_view rest = base.substr(scheme + 3);
    const std::string_view host = rest.substr(0, std::min(rest.find('/'), rest.size()));
    return !host.empty() && std::none_of(host.begin(), host.end(), [](char c) {
        return static_cast<unsigned char>(c) <= ' ' || c == 0x7F || c == '?' || c == '#' || c == '@';
    });
}

// --server SUFFIX=HOST[:PORT][+MARK[+REFUSAL]] or SUFFIX=https://BASE/: the server entry it gives,
// read by the same rules as a Config.ini line (a WHOIS server without a mark is calibrated). Wrong
// usage when it gives none.
ServerEntry serverFromOption(const std::string& value) {
    const std::size_t equals = value.find('=');
    const std::string_view suffix = trim(std::string_view(value).substr(0, std::min(equals, value.size())));
    if (equals == std::string::npos || suffix.empty() || suffix.find('+') != std::string_view::npos) {
        throw UsageError("--server '" + value + "': expected SUFFIX=HOST[:PORT][+MARK] or SUFFIX=https://BASE/");
    }
    const std::string server = value.substr(equals + 1);
    std::string reason;
    const std::optional<ServerEntry> entry =
        ServerEntryFromFields(SplitServerLine(std::string(suffix) + "+" + server), reason);
    if (!entry) {
        throw UsageError("--server '" + value + "': " + reason);
    }
    if (entry->kind == LookupKind::Rdap && !isUsableBase(entry->host)) {
        throw UsageError("--server '" + value + "': the RDAP base names no host");
    }
    if (entry->kind == LookupKind::Whois && entry->host.find_first_of(" \t/") != std::string::npos) {
        throw UsageError("--server '" + value + "': '" + entry->host + "' is not a host name or address");
    }
    return *entry;
}

// The entries of the --server options over the table's: one with the same suffix is replaced,
// the others added at the end. Returns the suffixes the options name.
std::set<std::string, std::less<>> applyServers(std::vector<ServerEntry>& entries,
                                                const std::vector<std::string>& optionValues) {
    std::set<std::string, std::less<>> named;
    for (const std::string& value : optionValues) {
        ServerEntry entry = serverFromOption(value);
        named.insert(entry.caption);
        const auto same = std::find_if(entries.begin(), entries.end(),
                                       [&](const ServerEntry& known) { return known.caption == entry.caption; });
        if (same != entries.end()) {
            entry.ticked = same->ticked;
            *same = std::move(entry);
        } else {
            entries.push_back(std::move(entry));
        }
    }
    return named;
}

// The catalogue's name servers for the entries that have none (the Config.ini entries of
// catalogue suffixes), for a run that asks the suffixes' own name servers.
void takeNameServers(std::vector<ServerEntry>& entries, const SuffixDirectory& directory) {
    for (ServerEntry& entry : entries) {
        if (const DirectorySuffix* known = directory.find(entry.caption);
            known != nullptr && entry.nameServers.empty()) {
            entry.nameServers = known->server.nameServers;
        }
    }
}

// The entries a --suffix list asks: the Config.ini (and --server) entries, ticked when the list
// chooses their suffix, then the other chosen suffixes as the suffix directory asks them, in the
// order chosen.
std::vector<ServerEntry> entriesForSuffixes(const CommandSuffixes& suffixes, std::string_view list) {
    const std::vector<const DirectorySuffix*> chosen = chooseSuffixes(suffixes.directory, list);
    std::set<std::string, std::less<>> captions;
    for (const DirectorySuffix* suffix : chosen) {
        captions.insert(suffix->server.caption);
    }
    std::vector<ServerEntry> entries;
    for (const DirectorySuffix& suffix : suffixes.directory.suffixes()) {
        if (suffix.askedBy == AskedBy::ConfigIni) {
            entries.push_back(suffix.server);
            entries.back().ticked = captions.contains(suffix.server.caption);
        }
    }
    for (const DirectorySuffix* suffix : chosen) {
        if (suffix->askedBy != AskedBy::ConfigIni) {
            entries.push_back(suffix->server);
            entries.back().ticked = true;
        }
    }
    return entries;
}

// Hands what the run tells to the output and the progress line.
class CheckReporter : public CheckRunObserver {
public:
    CheckReporter(CheckOutput& output, ProgressLine& progress) : m_output(output), m_progress(progress) {}

    void runStarted(const std::vector<std::string>& captions) override { m_output.start(captions); }
    void rowFinished(const ResultRow& row) override { m_output.row(row); }
    void progressChanged(const CheckProgress& progress) override { m_progress.update(progress); }
    void note(const std::string& text) override { m_progress.note(text); }
    void cellAnswered(const AnsweredCell& cell) override {
        if (!m_verbose) {
            return;
        }
        const auto server = m_servers.find(cell.suffix);
        const std::string serverText = server == m_servers.end() ? std::string("-") : server->second;
        std::string line = "corvantide-cli check: " + cell.name + "." + cell.suffix + " ";
        if (cell.elapsed.count() == 0 && cell.mark == Mark::Registered && !cell.details.empty()) {
            line += "DNS: registered (" + cell.details + ")";
        } else {
            line += serverText + " " + std::to_string(cell.elapsed.count()) + " ms " + std::string(markWord(cell.mark));
            if (cell.mark == Mark::Failed) {
                line += ": " + plainReason(cell.details, serverText);
            }
        }
        m_progress.note(line);
    }

    // Each exchange on standard error, with its server (by suffix) and time.
    void beVerbose(std::map<std::string, std::string, std::less<>> servers) {
        m_verbose = true;
        m_servers = std::move(servers);
    }

private:
    CheckOutput& m_output;
    ProgressLine& m_progress;
    bool m_verbose = false;
    std::map<std::string, std::string, std::less<>> m_servers;
};

class CheckCommand : public Command {
public:
    std::string name() const override { return "check"; }
    std::string summary() const override { return "ask the WHOIS servers about every name; print the table"; }
    bool handlesInterrupt() const override { return true; }
    int failureStatus() const override { return kCouldNotRun; }

    void declare(CLI::App& command) override {
        command.description("Ask each ticked suffix's WHOIS server about every name and print the result table.");
        m_source.declare(command);
        m_config.declare(command);
        m_language.declare(command);
        command
            .add_option("-s,--suffix", m_suffixes,
                        "ask exactly the suffixes in the comma-separated LIST: Config.ini's, any of the suffix "
                        "catalogue, and the groups @popular, @generic, @country, @chinese and @all (default: the "
                        "first three entries of the server table)")
            ->type_name("LIST");
        CLI::Option* retries = addDecimalOption(command, "--retries", m_retries, kMaxRetries,
                                                "after the run, ask the failed cells again, in up to N passes "
                                                "(at most 10)")
                                   ->type_name("N");
        command.add_flag("--retry", m_retry, "the same as --retries 1")->excludes(retries);
        m_timeLimits.declare(command, "60", "10 for WHOIS, the read limit for RDAP");
        command
            .add_option("--server", m_servers,
                        "use this server for SUFFIX in this run, replacing the Config.ini entry or adding one: "
                        "SUFFIX=HOST[:PORT]+MARK (WHOIS), SUFFIX=HOST[:PORT] (WHOIS, its texts calibrated) or "
                        "SUFFIX=https://BASE/ (RDAP); repeatable. With --server "
                        "and no Config.ini, check runs on these servers alone")
            ->type_name("SUFFIX=SERVER")
            ->allow_extra_args(false);
        CLI::Option* parallel =
            command.add_flag("--parallel", m_parallel,
                             "ask each server on its own connection, all at the same time ([setting] parallel)");
        command.add_flag("--no-parallel", m_serial, "ask one exchange after another")->excludes(parallel);
        addDecimalOption(command, "--interval", m_intervalMs, kMaxIntervalMs,
                         "the least time between two exchanges with one server ([setting] interval)")
            ->type_name("MS");
        addDecimalOption(command, "--backoff", m_backoffSeconds, kMaxBackoffSeconds,
                         "the first pause after a server refuses; it doubles up to 600 ([setting] backoff)")
            ->type_name("S");
        CLI::Option* dns = command.add_flag(
            "--dns", m_dns,
            "first ask DNS; names delegated there are registered without asking the registry ([setting] dns)");
        command.add_flag("--no-dns", m_noDns, "ask the registry about every name")->excludes(dns);
        command
            .add_option("--dns-server", m_dnsServer,
                        "ask the DNS server at HOST[:PORT] (an IP address) instead of the system's resolvers; "
                        "auto: ask each suffix's own name servers ([setting] dns_server)")
            ->type_name("HOST[:PORT]");
        command
            .add_option("-o,--output", m_outputFile,
                        "write the table to FILE (replaced if it exists) instead of standard output (\"-\"); a FILE "
                        "whose name ends in .xlsx becomes a workbook with the sheet \"Domain\", one ending in .csv "
                        "comma-separated values (UTF-8, header row, CR LF). FILE is checked before the first query; "
                        "if it cannot be written at the end, the table goes to a new file beside it or in the "
                        "temporary folder, named on standard error")
            ->type_name("FILE");
        m_formatOption = addChoiceOption(command, "-f,--format", m_format, checkFormatNames(),
                                         "text (the default), tsv, csv, json (one document) or jsonl (one "
                                         "row per line as the rows finish)");
        addChoiceOption(command, "--only", m_only, {"free", "registered", "failed"},
                        "keep only the rows with at least one cell of this kind");
        CLI::Option* names = command.add_flag("--names", m_outputOptions.freeNames,
                                              "print only name.suffix for every free cell, one per line, as the "
                                              "rows finish");
        names->excludes(m_formatOption);
        m_journal.declare(command);
        command.add_flag("--no-header", m_noHeader, "text, tsv and csv: leave out the line of column captions");
        command.add_flag("--reasons", m_outputOptions.reasonColumn,
                         "csv: add a last column \"reasons\" with the reason of every failed cell");
        command.add_flag("--csv-plain", m_outputOptions.csvPlain,
                         "csv for programs: no byte-order mark, no apostrophe before names that look like formulas");
        CLI::Option* quiet =
            command.add_flag("-q,--quiet", m_quiet, "no progress and no closing line on standard error");
        command.add_flag("-v,--verbose", m_verbose, "each exchange on standard error: its server, time and outcome")
            ->excludes(quiet);
        command.add_flag("--exit-zero", m_exitZero,
                         "exit with 0 when the run ends, whatever it found (wrong usage, a run that could not start "
                         "or be written and Ctrl-C keep their status)");
        command.footer(kFooter);
    }

    int run(CommandIo& io) override {
        m_source.validate();
        chooseOutput();
        m_timeLimits.check();
        std::optional<CheckOutputFile> outputFile;
        if (!m_outputFile.empty() && m_outputFile != "-") {
            outputFile.emplace(m_outputFile);
            outputFile->checkWritable();
        }
        // With servers or suffixes on the command line, a missing default Config.ini is no failure:
        // the servers come from --server and the suffix catalogue.
        const bool serversGiven = !m_servers.empty() || !m_suffixes.empty();
        const std::filesystem::path configPath =
            !serversGiven || m_config.given() ? m_config.existingPath() : m_config.path();
        const std::string language = m_language.resolve(configPath);
        std::error_code missing;
        ServerTableData table;
        if (std::filesystem::exists(configPath, missing)) {
            table = loadServerTable(configPath, "check", io.err);
        }
        std::vector<ServerEntry> entries = std::move(table.entries);
        const std::set<std::string, std::less<>> named = applyServers(entries, m_servers);
        RunSettings settings = table.run;
        if (m_parallel || m_serial) {
            settings.parallel = m_parallel;
        }
        if (m_intervalMs) {
            settings.interval = std::chrono::milliseconds(*m_intervalMs);
        }
        if (m_backoffSeconds) {
            settings.backoff = std::chrono::seconds(*m_backoffSeconds);
        }
        if (m_timeLimits.exchangeSeconds) {
            settings.exchangeTimeout = std::chrono::seconds(*m_timeLimits.exchangeSeconds);
        }
        if (m_timeLimits.connectSeconds) {
            settings.connectTimeout = std::chrono::seconds(*m_timeLimits.connectSeconds);
        }
        if (m_dns || m_noDns || m_dnsServer) {
            std::vector<std::string> warnings;
            ApplyDnsSettings(settings, m_dns || (table.dns && !m_noDns), m_dnsServer.value_or(table.dnsServer),
                             warnings);
            for (const std::string& warning : warnings) {
                io.err << "corvantide-cli check: warning: " << warning << '\n';
            }
        }
        // WHOIS entries without a mark are asked with their servers' calibrated texts, found or
        // derived by each lane before its first question and kept beside Config.ini.
        const CommandSuffixes suffixes =
            loadCommandSuffixes(entries, configPath, "check", io.err,
                                settings.dns && settings.dnsAuto ? SuffixSources::CatalogueAndCalibrations
                                : m_suffixes.empty()             ? SuffixSources::Calibrations
                                                                 : SuffixSources::CatalogueWhenNeeded,
                                m_suffixes);
        std::mutex keepMutex;
        std::string keepFailure;
        CalibrationStore calibrations(
            suffixes.calibrations, [&](const std::string& server, const StoredCalibration& kept) {
                std::string failure = CalibrationFile::keep(suffixes.calibrationFile, server, kept);
                if (!failure.empty()) {
                    const std::lock_guard lock(keepMutex);
                    keepFailure = failure;
                }
                return failure;
            });
        if (!m_suffixes.empty()) {
            entries = entriesForSuffixes(suffixes, m_suffixes);
        } else if (!m_servers.empty()) {
            // The suffixes named with --server are the ones asked.
            for (ServerEntry& entry : entries) {
                entry.ticked = named.contains(entry.caption);
            }
        }
        for (const ServerEntry& entry : entries) {
            m_outputOptions.servers[entry.caption] = entry.host;
        }
        if (settings.dns && settings.dnsAuto) {
            takeNameServers(entries, suffixes.directory);
            if (const std::string list = suffixesAskedThroughResolver(entries); !list.empty() && !m_quiet) {
                io.err << "corvantide-cli check: " << formatMessage(Msg::DnsThroughResolvers, language, {list}) << '\n';
            }
        }

        // Names typed at the terminal: Ctrl-C while they are read ends the program, as nothing has been
        // asked yet. Any other source is read with Ctrl-C held for the run.
        SearchRequest search;
        const bool typed = m_source.readsStandardInput() && isatty(STDIN_FILENO) == 1;
        if (typed) {
            io.interrupts.endProcessOnInterrupt();
            search = m_source.prepare(io.in);
        }

        const bool live = !m_quiet && &io.err == &std::cerr && isatty(STDERR_FILENO) == 1;
        ProgressLine progress(io.err, live);
        CheckOutput output(m_outputOptions, io.out);
        CheckReporter reporter(output, progress);
        if (m_verbose) {
            reporter.beVerbose(m_outputOptions.servers);
        }
        CheckRun run(reporter, language, EntryCalibration(calibrations, suffixes.directory));
        // Held until the table is out: a Ctrl-C at any moment from here on still gives the table.
        InterruptHandlerScope interrupts(io.interrupts, [&run](int count) { run.interrupt(count); });
        if (!typed) {
            search = m_source.prepare(io.in);
        }
        if (const std::string warning = gbkLinesWarning(m_source.gbkLines()); !warning.empty()) {
            progress.note("corvantide-cli check: " + warning);
        }

        if (outputFile) {
            outputFile->checkHolds(search);
        }

        CheckRunRequest request{std::move(entries), std::move(search), std::move(settings),
                                m_retry ? 1 : static_cast<int>(m_retries.value_or(0))};
        // The rows the output needs at the end are all that is kept of the table: none when it
        // streams them, only those with the --only mark otherwise.
        const bool keepNone = !outputFile && !output.needsTable();
        request.keepRow = [keepNone, only = m_outputOptions.only](const ResultRow& row) {
            return !keepNone && rowHasMark(row, only);
        };
        m_journal.begin(request, m_config, [&progress](const std::string& text) { progress.note(text); });
        CheckRunResult result = run.run(std::move(request));
        // Before the table goes to the output.
        const int marksStatus = statusOfMarks(result);
        m_journal.end(!run.interrupted() && result.errors.empty(), result.refusal.has_value());
        progress.finish();
        if (result.refusal) {
            io.err << "corvantide-cli check: " << refusalMessage(*result.refusal, language) << '\n';
            return kCouldNotRun;
        }

        bool written = true;
        if (outputFile) {
            written = outputFile->write(result.table, io.out, io.err);
        } else {
            output.finish(std::move(result.table));
        }
        for (const std::string& text : result.errors) {
            io.err << "corvantide-cli check: " << plainReason(text) << '\n';
        }
        if (!keepFailure.empty()) {
            io.err << "corvantide-cli check: warning: a calibrated no-match text could not be kept: " << keepFailure
                   << '\n';
        }
        if (result.dns && !m_quiet) {
            io.err << result.dnsSettled << " of " << result.runCells << " cells settled by DNS\n";
        }
        if (!io.out) {
            io.err << "corvantide-cli check: cannot write the table\n";
            return kCouldNotRun;
        }
        if (!written) {
            return kCouldNotRun;
        }
        if (run.interrupted()) {
            io.err << "corvantide-cli check: interrupted; the table holds the names asked so far\n";
            return kInterrupted;
        }
        if (m_exitZero) {
            return kFoundFree;
        }
        return marksStatus == kNoneFree && !result.errors.empty() ? kSomeFailed : marksStatus;
    }

private:
    void chooseOutput() {
        const bool toFile = !m_outputFile.empty() && m_outputFile != "-";
        if (toFile && (m_formatOption->count() > 0 || m_outputOptions.freeNames || m_noHeader ||
                       m_outputOptions.reasonColumn || m_outputOptions.csvPlain)) {
            throw UsageError("--output FILE takes its format from the name; --format, --names, --no-header, "
                             "--reasons and --csv-plain go with standard output (--output - or no --output)");
        }
        if ((m_outputOptions.reasonColumn || m_outputOptions.csvPlain) && m_format != "csv") {
            throw UsageError(std::string(m_outputOptions.reasonColumn ? "--reasons" : "--csv-plain") +
                             " goes with --format csv");
        }
        m_outputOptions.header = !m_noHeader;
        m_outputOptions.format = checkFormatNamed(m_format);
        if (!m_only.empty()) {
            m_outputOptions.only = markNamed(m_only);
        }
    }

    CheckNameSource m_source;
    ConfigOption m_config;
    LanguageOption m_language;
    std::string m_suffixes;
    bool m_retry = false;
    std::optional<std::int64_t> m_retries;
    TimeLimitOptions m_timeLimits;
    std::vector<std::string> m_servers;
    bool m_noHeader = false;
    bool m_quiet = false;
    bool m_verbose = false;
    bool m_exitZero = false;
    bool m_parallel = false;
    bool m_serial = false;
    std::optional<std::int64_t> m_intervalMs;
    std::optional<std::int64_t> m_backoffSeconds;
    bool m_dns = false;
    bool m_noDns = false;
    std::optional<std::string> m_dnsServer;
    std::string m_outputFile;
    CLI::Option* m_formatOption = nullptr;
    std::string m_format = "text";
    std::string m_only;
    CheckOutputOptions m_outputOptions;
    CheckJournal m_journal;
};

} // namespace

std::unique_ptr<Command> makeCheckCommand() {
    return std::make_unique<CheckCommand>();
}

} // namespace cvt::cli
