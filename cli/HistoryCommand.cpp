#include "cli/CheckOutput.h"
#include "cli/CommandFactories.h"
#include "cli/JournalOption.h"
#include "cli/SharedOptions.h"
#include "config/RunSettingsIni.h"
#include "core/journal/Journal.h"
#include "core/journal/JournalError.h"
#include "i18n/Messages.h"

#include <CLI/CLI.hpp>
#include <ctime>
#include <map>
#include <ostream>
#include <string>

namespace cvt::cli {

namespace {

constexpr std::int64_t kSecondsPerDay = 86'400;

std::string utcTime(std::int64_t seconds) {
    char text[32] = {};
    const auto when = static_cast<std::time_t>(seconds);
    std::tm utc{};
    gmtime_r(&when, &utc);
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M UTC", &utc);
    return text;
}

std::vector<std::string> splitSuffixes(const std::string& list) {
    std::vector<std::string> suffixes;
    std::size_t start = 0;
    while (start < list.size()) {
        const std::size_t comma = std::min(list.find(',', start), list.size());
        suffixes.push_back(list.substr(start, comma - start));
        start = comma + 1;
    }
    return suffixes;
}

class HistoryCommand : public Command {
public:
    std::string name() const override { return "history"; }
    std::string summary() const override { return "list, show or prune the searches in the results journal"; }

    void declare(CLI::App& command) override {
        command.description("List the searches kept in the results journal, newest first: id, start time, "
                            "finished or unfinished,\ncells answered of the cells asked for, suffixes, names.");
        m_config.declare(command);
        m_journal.declare(command);
        m_language.declare(command);

        m_show = command.add_subcommand("show", "print one search's table, in the formats of check");
        m_show->fallthrough();
        m_show->add_option("ID", m_id, "the search's id, as history lists it")->required();
        addChoiceOption(*m_show, "--format", m_format, checkFormatNames(),
                        "text (the default), tsv, csv, json or jsonl");
        addChoiceOption(*m_show, "--only", m_only, {"free", "registered", "failed"},
                        "keep only the rows with at least one cell of this kind");
        m_show->add_flag("--names", m_freeNames, "print only name.suffix for every free cell, one per line")
            ->excludes("--format");

        m_prune = command.add_subcommand("prune", "remove old searches and shrink the journal");
        m_prune->fallthrough();
        m_prune->add_option("--older-than", m_olderThanDays, "remove the searches started more than DAYS days ago")
            ->check(CLI::Range(std::int64_t{0}, kMaxReuseDays * 100))
            ->type_name("DAYS")
            ->required();
    }

    int run(CommandIo& io) override {
        const std::filesystem::path path = m_journal.resolve(m_config);
        if (path.empty()) {
            throw std::runtime_error("there is no journal (no home folder; use --journal FILE)");
        }
        std::vector<std::string> notices;
        std::unique_ptr<Journal> journal;
        try {
            journal = Journal::open(path, m_prune->parsed() ? JournalAccess::Write : JournalAccess::Read, notices);
        } catch (const JournalError& error) {
            throw std::runtime_error(error.what());
        }
        for (const std::string& notice : notices) {
            io.err << "corvantide-cli history: warning: " << notice << '\n';
        }
        if (m_prune->parsed()) {
            const std::int64_t before =
                static_cast<std::int64_t>(std::time(nullptr)) - m_olderThanDays * kSecondsPerDay;
            const std::size_t removed = journal->prune(before);
            io.err << "corvantide-cli history: removed " << removed << " searches\n";
            return 0;
        }
        if (m_show->parsed()) {
            return show(*journal, io);
        }
        for (const JournalSearch& search : journal->searches()) {
            const std::size_t suffixes = splitSuffixes(search.suffixes).size();
            io.out << search.id << '\t' << utcTime(search.started) << '\t'
                   << (search.finished != 0 ? "finished" : "unfinished") << '\t' << search.cells << " of "
                   << static_cast<std::size_t>(search.names) * suffixes << " cells\t" << search.suffixes << '\t'
                   << search.source << '\n';
        }
        io.out.flush();
        return io.out ? 0 : 1;
    }

private:
    int show(const Journal& journal, CommandIo& io) {
        const std::optional<JournalSearch> search = journal.search(m_id);
        if (!search) {
            throw std::runtime_error("the journal " + journal.path().string() + " holds no search " +
                                     std::to_string(m_id));
        }
        const std::string language = m_language.resolve(m_config.path());
        ResultTableSnapshot table;
        table.captions.push_back(message(Msg::DomainNameColumn, language));
        std::map<std::string, std::size_t, std::less<>> columns;
        for (const std::string& suffix : splitSuffixes(search->suffixes)) {
            columns.emplace(suffix, table.captions.size() - 1);
            table.captions.push_back(suffix);
        }
        std::int64_t lastRow = -1;
        journal.forEachCell(search->id, [&](const JournalCell& cell) {
            const auto column = columns.find(cell.suffix);
            if (column == columns.end()) {
                return;
            }
            if (cell.row != lastRow) {
                table.rows.push_back({cell.name, {}});
                table.rows.back().cells.resize(columns.size());
                lastRow = cell.row;
            }
            table.rows.back().setCell(column->second, cell.mark, cell.details);
        });

        CheckOutputOptions options;
        options.format = checkFormatNamed(m_format);
        if (!m_only.empty()) {
            options.only = markNamed(m_only);
        }
        options.freeNames = m_freeNames;
        CheckOutput output(options, io.out);
        output.start(table.captions);
        for (const ResultRow& row : table.rows) {
            output.row(row);
        }
        output.finish(table);
        return io.out ? 0 : 1;
    }

    ConfigOption m_config;
    JournalOption m_journal;
    LanguageOption m_language;
    CLI::App* m_show = nullptr;
    CLI::App* m_prune = nullptr;
    std::int64_t m_id = 0;
    std::string m_format = "text";
    std::string m_only;
    bool m_freeNames = false;
    std::int64_t m_olderThanDays = 0;
};

} // namespace

std::unique_ptr<Command> makeHistoryCommand() {
    return std::make_unique<HistoryCommand>();
}

} // namespace cvt::cli
