#include "cli/Commands.h"
#include "cli/ServerTableLoading.h"
#include "cli/WordListOptions.h"
#include "config/ConfigPath.h"
#include "config/DataFolders.h"
#include "config/RunSettingsIni.h"
#include "core/Messages.h"
#include "core/NameList.h"
#include "core/NetWhoisLookup.h"
#include "core/QueryEngine.h"
#include "core/ResultTable.h"
#include "core/TextExport.h"
#include "core/TextUtil.h"
#include "core/WordListBuilder.h"
#include "platform/EWorkbookError.h"
#include "platform/ExcelExport.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <mutex>
#include <optional>
#include <ostream>
#include <pthread.h>
#include <set>
#include <signal.h>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace cvt::cli {

namespace {

constexpr const char* kUsageIntro =
    "Usage: corvantide-cli check [--config FILE] [--suffix LIST] [--retry] [--output FILE] [PACE] PATTERN\n"
    "       corvantide-cli check [--config FILE] [--suffix LIST] [--retry] [--output FILE] [PACE] --words FILE\n"
    "       corvantide-cli check [--config FILE] [--suffix LIST] [--retry] [--output FILE] [PACE]\n"
    "                            --page english|chinese|dictionary [--dict en|zh-cn] [--prefix P]\n"
    "                            [--postfix S] [--min N] [--max N] [--by-character] [FILE]\n"
    "Ask each ticked suffix's WHOIS server about every name and print the result table: a header of\n"
    "column captions, then one line per name; each field is followed by a TAB, each line ends in CR LF.\n"
    "Marks: \xE2\x98\x86 free, \xE2\x98\x85 registered, - failed (asked again with --retry).\n"
    "  --config FILE  read FILE instead of the Config.ini beside the program\n"
    "  --suffix LIST  ask exactly the suffixes in the comma-separated LIST (default: the first three\n"
    "                 entries of the server table)\n"
    "  --words FILE   take the names from FILE, one per line (trimmed; blank lines are skipped),\n"
    "                 instead of a pattern; they are sorted without regard to letter case and\n"
    "                 duplicates stay\n"
    "  --page PAGE    take the names from a word list built as the word-list dialog does, instead of a\n"
    "                 pattern: english or chinese (its lines come from FILE or standard input) or\n"
    "                 dictionary (en.dct or zh-cn.dct in the current folder); sorted like --words\n"
    "  --retry        after the run, ask the failed cells once more\n"
    "  --output FILE  write the table to FILE (replaced if it exists) instead of standard output; a FILE\n"
    "                 whose name ends in .xlsx becomes a workbook with the sheet \"Domain\", one ending in\n"
    "                 .csv comma-separated values (UTF-8, header row, CR LF)\n"
    "                 whose name ends in .xlsx becomes a workbook with the sheet \"Domain\"\n"
    "PACE overrides the [setting] keys of Config.ini:\n"
    "  --parallel     ask each server on its own connection, all at the same time\n"
    "  --no-parallel  ask one exchange after another\n"
    "  --interval MS  the least time between two exchanges with one server, 0 to 86400000\n"
    "  --backoff S    the first pause after a server refuses (it doubles up to 600), 0 to 86400\n"
    "With --page:\n";

constexpr const char* kUsageEnd =
    "Progress goes to standard error when it is a terminal. Ctrl-C stops after the exchange under way\n"
    "and still prints the table so far; a second Ctrl-C also abandons that exchange.\n";

void printUsage(std::ostream& out) {
    out << kUsageIntro << kWordListOptionsHelp << kUsageEnd;
}

struct CheckOptions {
    std::optional<std::filesystem::path> config;
    std::optional<std::string> suffixes;
    std::optional<std::filesystem::path> words;
    // The PATTERN, or with --page the FILE of memo lines.
    std::optional<std::string> pattern;
    bool retry = false;
    std::optional<bool> parallel;
    std::optional<std::int64_t> intervalMs;
    std::optional<std::int64_t> backoffSeconds;
    std::optional<std::filesystem::path> output;
    WordListOptions wordList;
};

class UsageError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

template <typename T>
void setOnce(std::optional<T>& option, T value, std::string_view name) {
    if (option) {
        throw UsageError("option " + std::string(name) + " given twice");
    }
    option = std::move(value);
}

std::int64_t numberOption(const std::string& value, std::int64_t limit, std::string_view name) {
    const std::optional<std::int64_t> number = ParseSettingNumber(value, limit);
    if (!number) {
        throw UsageError(std::string(name) + " needs a whole number from 0 to " + std::to_string(limit) + ", not '" +
                         value + "'");
    }
    return *number;
}

CheckOptions parseArguments(const std::vector<std::string>& args) {
    CheckOptions options;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::string value;
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            if (options.pattern) {
                throw UsageError("PATTERN or FILE given twice ('" + *options.pattern + "', then '" + arg + "')");
            }
            options.pattern = arg;
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--retry") {
            options.retry = true;
        } else if (arg == "--parallel" || arg == "--no-parallel") {
            setOnce(options.parallel, arg == "--parallel", "--parallel");
        } else if (takeOptionValue(args, i, "--interval", value)) {
            setOnce(options.intervalMs, numberOption(value, kMaxIntervalMs, "--interval"), "--interval");
        } else if (takeOptionValue(args, i, "--backoff", value)) {
            setOnce(options.backoffSeconds, numberOption(value, kMaxBackoffSeconds, "--backoff"), "--backoff");
        } else if (takeOptionValue(args, i, "--config", value)) {
            setOnce(options.config, std::filesystem::path(value), "--config");
        } else if (takeOptionValue(args, i, "--suffix", value)) {
            setOnce(options.suffixes, value, "--suffix");
        } else if (takeOptionValue(args, i, "--words", value)) {
            setOnce(options.words, std::filesystem::path(value), "--words");
        } else if (takeOptionValue(args, i, "--output", value)) {
            setOnce(options.output, std::filesystem::path(value), "--output");
        } else if (!takeWordListOption(args, i, options.wordList)) {
            throw UsageError("unknown option '" + arg + "'");
        }
    }
    if (options.wordList.pageGiven) {
        if (options.words) {
            throw UsageError("give either --page or --words FILE, not both");
        }
        if (options.pattern && !pageReadsLines(options.wordList.request.page)) {
            throw UsageError("the dictionary page reads its dictionary from the current folder and takes no "
                             "PATTERN or FILE");
        }
        return options;
    }
    if (options.wordList.otherGiven) {
        throw UsageError("--dict, --prefix, --postfix, --min, --max and --by-character need --page");
    }
    if (options.pattern && options.words) {
        throw UsageError("give either a PATTERN or --words FILE, not both");
    }
    if (!options.pattern && !options.words) {
        throw UsageError("give a PATTERN, --words FILE or --page");
    }
    return options;
}

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

// One name per line, each line as it stands (only the LF that ends it is dropped).
NameList readWordFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read the word file " + path.string() + ": " + std::strerror(errno));
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        throw std::runtime_error("cannot read the word file " + path.string());
    }
    NameList names;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        // Lines are trimmed (a CR LF file leaves no CR behind); blank ones give no name.
        const std::string_view name = trim(std::string_view(text).substr(start, end - start));
        if (!name.empty()) {
            names.push_back(name);
        }
        start = end + 1;
    }
    return names;
}

// The command's sink: keeps the result table and shows the status panels as one live line on a
// terminal (nothing otherwise).
class CheckSink : public QueryEventSink {
public:
    CheckSink(std::ostream& err, bool live) : m_table(message(Msg::DomainNameColumn, "en")), m_err(err), m_live(live) {}

    void rowsCleared() override {
        std::lock_guard lock(m_mutex);
        m_table.clearRows();
    }
    void rowAppended(const AppendedRow& row) override {
        std::lock_guard lock(m_mutex);
        m_table.appendRow(row.caption);
    }
    void cellAnswered(const AnsweredCell& cell) override {
        std::lock_guard lock(m_mutex);
        m_table.writeAnswer(cell.row, cell.suffix, cell.mark, cell.details);
    }
    void runStateChanged(const RunProgress& progress) override {
        std::lock_guard lock(m_mutex);
        if (progress.state == RunState::Running || progress.state == RunState::Requerying) {
            m_progress = std::to_string(progress.done) + "/" + std::to_string(progress.total);
            show();
        }
    }
    void activityChanged(const std::string& text) override {
        std::lock_guard lock(m_mutex);
        m_activity = text;
        show();
    }
    // Writes a line of its own, below the live line.
    void note(const std::string& text) {
        std::lock_guard lock(m_mutex);
        clearLine();
        m_err << text << '\n' << std::flush;
    }
    // Removes the live line, so the terminal is clean for what follows.
    void finish() {
        std::lock_guard lock(m_mutex);
        clearLine();
        m_err << std::flush;
    }
    ResultTable& table() { return m_table; }

private:
    void show() {
        if (m_live) {
            m_err << "\r\033[K" << m_progress << ' ' << m_activity << std::flush;
            m_shown = true;
        }
    }
    void clearLine() {
        if (m_shown) {
            m_err << "\r\033[K";
            m_shown = false;
        }
    }

    std::mutex m_mutex;
    ResultTable m_table;
    std::ostream& m_err;
    bool m_live;
    bool m_shown = false;
    std::string m_activity;
    std::string m_progress;
};

// Turns Ctrl-C into a call on an ordinary thread: SIGINT is blocked in this thread and in every
// thread started after, and one watcher thread takes it with sigwait, so nothing runs in a signal
// handler. Must be created before any other thread of the command.
class InterruptWatcher {
public:
    explicit InterruptWatcher(std::function<void(int count)> onInterrupt) : m_onInterrupt(std::move(onInterrupt)) {
        sigemptyset(&m_signals);
        sigaddset(&m_signals, SIGINT);
        if (pthread_sigmask(SIG_BLOCK, &m_signals, &m_previousMask) != 0) {
            throw std::runtime_error("cannot block SIGINT");
        }
        m_thread = std::thread([this] { watch(); });
    }
    ~InterruptWatcher() {
        m_ending.store(true);
        pthread_kill(m_thread.native_handle(), SIGINT);
        m_thread.join();
        pthread_sigmask(SIG_SETMASK, &m_previousMask, nullptr);
    }
    InterruptWatcher(const InterruptWatcher&) = delete;
    InterruptWatcher& operator=(const InterruptWatcher&) = delete;

    int count() const { return m_count.load(); }

private:
    void watch() {
        for (;;) {
            int received = 0;
            if (sigwait(&m_signals, &received) != 0 || m_ending.load()) {
                return;
            }
            m_onInterrupt(m_count.fetch_add(1) + 1);
        }
    }

    std::function<void(int)> m_onInterrupt;
    sigset_t m_signals{};
    sigset_t m_previousMask{};
    std::atomic<bool> m_ending{false};
    std::atomic<int> m_count{0};
    std::thread m_thread;
};

} // namespace

int runCheck(CommandContext& context) {
    for (const std::string& arg : context.args) {
        if (arg == "--") {
            break;
        }
        if (arg == "--help" || arg == "-h") {
            printUsage(context.out);
            return 0;
        }
    }
    CheckOptions options;
    std::vector<ServerEntry> entries;
    RunSettings settings;
    NameList words;
    try {
        options = parseArguments(context.args);
    } catch (const std::invalid_argument& error) {
        context.err << "corvantide-cli check: " << error.what() << '\n';
        printUsage(context.err);
        return 2;
    }
    const bool textMode = options.words || options.wordList.pageGiven;
    try {
        const std::filesystem::path configPath = options.config ? *options.config : ConfigPath();
        std::error_code error;
        if (!std::filesystem::exists(configPath, error)) {
            context.err << "corvantide-cli check: no configuration file at " << configPath.string() << '\n';
            return 1;
        }
        ServerTableData loaded = loadServerTable(configPath, "check", context.err);
        entries = std::move(loaded.entries);
        settings = loaded.run;
        settings.parallel = options.parallel.value_or(settings.parallel);
        if (options.intervalMs) {
            settings.interval = std::chrono::milliseconds(*options.intervalMs);
        }
        if (options.backoffSeconds) {
            settings.backoff = std::chrono::seconds(*options.backoffSeconds);
        }
        if (options.suffixes) {
            tickSuffixes(entries, *options.suffixes);
        }
        if (options.words) {
            words = readWordFile(*options.words);
        } else if (options.wordList.pageGiven) {
            WordListRequest& request = options.wordList.request;
            if (pageReadsLines(request.page)) {
                request.lines = readMemoLines(options.pattern, std::cin);
            }
            request.dictionaryFolder = dataFolderHolding(DictionaryFile::fileName(request.dictionary));
            words = WordListBuilder(std::move(request)).build();
        }
    } catch (const UsageError& error) {
        context.err << "corvantide-cli check: " << error.what() << '\n';
        printUsage(context.err);
        return 2;
    } catch (const std::runtime_error& error) {
        // An unreadable word file or memo, a missing dictionary, a limit that is not an integer.
        context.err << "corvantide-cli check: " << error.what() << '\n';
        return 1;
    }

    CheckSink progress(context.err, &context.err == &std::cerr && isatty(STDERR_FILENO) == 1);
    std::mutex errorMutex;
    std::vector<std::string> workerErrors;
    QueryEngine engine({progress, [] { return std::make_unique<NetWhoisLookup>(); }, nullptr,
                        [&](const std::string& text) {
                            std::lock_guard lock(errorMutex);
                            workerErrors.push_back(text);
                        }});
    std::atomic<bool> interrupted{false};
    {
        // The first Ctrl-C stops like the Stop button (and ends a re-query pass after its cell); the
        // second also abandons the exchange under way, which then counts as failed.
        InterruptWatcher watcher([&](int count) {
            interrupted.store(true);
            if (count == 1) {
                engine.btnStopClick();
                engine.stopRequery();
                progress.note("corvantide-cli check: stopping after the exchange under way (Ctrl-C again to "
                              "abandon it)");
            } else {
                engine.cancelExchanges();
            }
        });
        progress.table().alignSuffixColumns(entries);
        engine.setServerEntries(entries);
        engine.setSettings(settings);
        SearchRequest request;
        request.languageCode = "en";
        if (textMode) {
            request.mode = SearchMode::Text;
            request.words = std::move(words);
        } else {
            request.patternText = *options.pattern;
        }
        const SearchOutcome outcome = engine.btnSearchClick(std::move(request));
        if (outcome.status != SearchOutcome::Status::Started) {
            progress.note("corvantide-cli check: " + outcome.message);
            return 1;
        }
        // A Ctrl-C that came before the run existed is applied now.
        if (interrupted.load()) {
            engine.btnStopClick();
        }
        engine.waitIdle();
        if (const std::size_t dropped = engine.droppedNames(); dropped > 0) {
            progress.note("corvantide-cli check: left out " + std::to_string(dropped) +
                          " names holding control characters");
        }
        if (options.retry && !interrupted.load() && engine.N2Click(CellsToRequery(progress.table()))) {
            if (interrupted.load()) {
                engine.stopRequery();
            }
            engine.waitIdle();
        }
        engine.shutdown();
    }
    progress.finish();

    if (options.output) {
        // A workbook when the name ends in .xlsx, comma-separated values for .csv, the text form
        // otherwise.
        try {
            ExportToFile(progress.table().snapshot(), *options.output);
        } catch (const ECreateFileError& error) {
            context.err << "corvantide-cli check: " << error.what() << '\n';
            return 1;
        } catch (const EWorkbookError& error) {
            context.err << "corvantide-cli check: " << error.what() << '\n';
            return 1;
        }
    } else {
        WriteExportText(progress.table().snapshot(), context.out);
        context.out.flush();
    }
    for (const std::string& text : workerErrors) {
        context.err << "corvantide-cli check: " << text << '\n';
    }
    if (!context.out) {
        context.err << "corvantide-cli check: cannot write the table\n";
        return 1;
    }
    if (interrupted.load()) {
        context.err << "corvantide-cli check: interrupted; the table holds the names asked so far\n";
        return 1;
    }
    return workerErrors.empty() ? 0 : 1;
}

} // namespace cvt::cli
