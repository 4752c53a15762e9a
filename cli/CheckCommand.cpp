#include "cli/CheckNameSource.h"
#include "cli/CheckOutput.h"
#include "cli/CheckOutputFile.h"
#include "cli/CheckRun.h"
#include "cli/CommandFactories.h"
#include "cli/InterruptWatcher.h"
#include "cli/ProgressLine.h"
#include "cli/ServerTableLoading.h"
#include "cli/SharedOptions.h"
#include "config/RunSettingsIni.h"
#include "core/TextUtil.h"
#include "core/export/TextExport.h"

#include <CLI/CLI.hpp>
#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <unistd.h>

namespace cvt::cli {

namespace {

constexpr const char* kFooter =
    "The text format is the text export: a header of column captions, then one line per name; each field\n"
    "is followed by a TAB, each line ends in CR LF. tsv is the same with LF line ends; csv is RFC 4180 in\n"
    "UTF-8 with a byte-order mark. Marks: \xE2\x98\x86 free, \xE2\x98\x85 registered, - failed (asked again with "
    "--retry);\njson and jsonl spell them free, registered, failed or unasked.\n"
    "Progress goes to standard error when it is a terminal. Ctrl-C stops after the exchange under way\n"
    "and still prints the table so far; a second Ctrl-C also abandons that exchange.";

// Ticks exactly the entries whose captions are in the comma-separated list.
void tickSuffixes(std::vector<ServerEntry>& entries, std::string_view list) {
    std::set<std::string, std::less<>> wanted;
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t comma = std::min(list.find(',', start), list.size());
        const std::string_view item = trim(list.substr(start, comma - start));
        if (!item.empty()) {
            wanted.emplace(item);
        }
        start = comma + 1;
    }
    if (wanted.empty()) {
        throw UsageError("--suffix needs at least one suffix");
    }
    std::set<std::string, std::less<>> found;
    for (ServerEntry& entry : entries) {
        entry.ticked = wanted.contains(entry.caption);
        if (entry.ticked) {
            found.insert(entry.caption);
        }
    }
    for (const std::string& suffix : wanted) {
        if (!found.contains(suffix)) {
            throw UsageError("the server table has no entry for the suffix '" + suffix + "'");
        }
    }
}

// Hands what the run tells to the output and the progress line.
class CheckReporter : public CheckRunObserver {
public:
    CheckReporter(CheckOutput& output, ProgressLine& progress) : m_output(output), m_progress(progress) {}

    void runStarted(const std::vector<std::string>& captions) override { m_output.start(captions); }
    void rowFinished(const ResultRow& row) override { m_output.row(row); }
    void progressChanged(const CheckProgress& progress) override { m_progress.update(progress); }
    void note(const std::string& text) override { m_progress.note(text); }

private:
    CheckOutput& m_output;
    ProgressLine& m_progress;
};

class CheckCommand : public Command {
public:
    std::string name() const override { return "check"; }
    std::string summary() const override { return "ask the WHOIS servers about every name; print the table"; }
    bool handlesInterrupt() const override { return true; }

    void declare(CLI::App& command) override {
        command.description("Ask each ticked suffix's WHOIS server about every name and print the result table.");
        m_source.declare(command);
        m_config.declare(command);
        m_language.declare(command);
        command
            .add_option("--suffix", m_suffixes,
                        "ask exactly the suffixes in the comma-separated LIST (default: the first three entries of "
                        "the server table)")
            ->type_name("LIST");
        command.add_flag("--retry", m_retry, "after the run, ask the failed cells once more");
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
                        "ask the DNS server at HOST[:PORT] (an IP address) instead of the system's resolvers "
                        "([setting] dns_server)")
            ->type_name("HOST[:PORT]");
        command
            .add_option("--output", m_outputFile,
                        "write the table to FILE (replaced if it exists) instead of standard output (\"-\"); a FILE "
                        "whose name ends in .xlsx becomes a workbook with the sheet \"Domain\", one ending in .csv "
                        "comma-separated values (UTF-8, header row, CR LF). FILE is checked before the first query; "
                        "if it cannot be written at the end, the table goes to a new file beside it or in the "
                        "temporary folder, named on standard error")
            ->type_name("FILE");
        m_formatOption = addChoiceOption(command, "--format", m_format, {"text", "tsv", "csv", "json", "jsonl"},
                                         "text (the default), tsv, csv, json (one document) or jsonl (one "
                                         "row per line as the rows finish)");
        addChoiceOption(command, "--only", m_only, {"free", "registered", "failed"},
                        "keep only the rows with at least one cell of this kind");
        CLI::Option* names = command.add_flag("--names", m_outputOptions.freeNames,
                                              "print only name.suffix for every free cell, one per line, as the "
                                              "rows finish");
        names->excludes(m_formatOption);
        command.footer(kFooter);
    }

    int run(CommandIo& io) override {
        m_source.validate();
        chooseOutput();
        std::optional<CheckOutputFile> outputFile;
        if (!m_outputFile.empty() && m_outputFile != "-") {
            outputFile.emplace(m_outputFile);
            outputFile->checkWritable();
        }
        const std::filesystem::path configPath = m_config.existingPath();
        const std::string language = m_language.resolve(configPath);
        ServerTableData table = loadServerTable(configPath, "check", io.err);
        std::vector<ServerEntry> entries = std::move(table.entries);
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
        if (m_dns || m_noDns || m_dnsServer) {
            std::vector<std::string> warnings;
            ApplyDnsSettings(settings, m_dns || (table.dns && !m_noDns), m_dnsServer.value_or(table.dnsServer),
                             warnings);
            for (const std::string& warning : warnings) {
                io.err << "corvantide-cli check: warning: " << warning << '\n';
            }
        }
        if (!m_suffixes.empty()) {
            tickSuffixes(entries, m_suffixes);
        }

        // Names typed at the terminal: Ctrl-C while they are read ends the program, as nothing has been
        // asked yet. Any other source is read with Ctrl-C held for the run.
        SearchRequest search;
        const bool typed = m_source.readsStandardInput() && isatty(STDIN_FILENO) == 1;
        if (typed) {
            io.interrupts.endProcessOnInterrupt();
            search = m_source.prepare(io.in);
        }

        const bool live = &io.err == &std::cerr && isatty(STDERR_FILENO) == 1;
        ProgressLine progress(io.err, live);
        CheckOutput output(m_outputOptions, io.out);
        CheckReporter reporter(output, progress);
        CheckRun run(reporter, language);
        // Held until the table is out: a Ctrl-C at any moment from here on still gives the table.
        InterruptHandlerScope interrupts(io.interrupts, [&run](int count) { run.interrupt(count); });
        if (!typed) {
            search = m_source.prepare(io.in);
        }

        if (outputFile) {
            outputFile->checkHolds(search);
        }

        CheckRunRequest request{std::move(entries), std::move(search), std::move(settings), m_retry};
        request.search.languageCode = language;
        const CheckRunResult result = run.run(std::move(request));
        progress.finish();
        if (result.refusal) {
            io.err << "corvantide-cli check: " << *result.refusal << '\n';
            return 1;
        }

        bool written = true;
        if (outputFile) {
            written = outputFile->write(keepRows(result.table, m_outputOptions.only), io.out, io.err);
        } else {
            output.finish(result.table);
        }
        for (const std::string& text : result.errors) {
            io.err << "corvantide-cli check: " << text << '\n';
        }
        if (result.dns) {
            io.err << result.dnsSettled << " of " << result.runCells << " cells settled by DNS\n";
        }
        if (!io.out) {
            io.err << "corvantide-cli check: cannot write the table\n";
            return 1;
        }
        if (run.interrupted()) {
            io.err << "corvantide-cli check: interrupted; the table holds the names asked so far\n";
            return 1;
        }
        return result.errors.empty() && written ? 0 : 1;
    }

private:
    void chooseOutput() {
        const bool toFile = !m_outputFile.empty() && m_outputFile != "-";
        if (toFile && (m_formatOption->count() > 0 || m_outputOptions.freeNames)) {
            throw UsageError("--output FILE takes its format from the name; --format and --names go with "
                             "standard output (--output - or no --output)");
        }
        const std::map<std::string, CheckFormat> formats = {{"text", CheckFormat::Text},
                                                            {"tsv", CheckFormat::Tsv},
                                                            {"csv", CheckFormat::Csv},
                                                            {"json", CheckFormat::Json},
                                                            {"jsonl", CheckFormat::Jsonl}};
        m_outputOptions.format = formats.at(m_format);
        for (const Mark mark : {Mark::Free, Mark::Registered, Mark::Failed}) {
            if (m_only == markWord(mark)) {
                m_outputOptions.only = mark;
            }
        }
    }

    CheckNameSource m_source;
    ConfigOption m_config;
    LanguageOption m_language;
    std::string m_suffixes;
    bool m_retry = false;
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
};

} // namespace

std::unique_ptr<Command> makeCheckCommand() {
    return std::make_unique<CheckCommand>();
}

} // namespace cvt::cli
