// The desktop window under a flood of results: names asked of three suffixes on three servers, in
// three lanes, by clients that answer at once; every event carried to the GUI thread through the
// window's event queue and shown in the result table (100,000 names as they come, and 1,000,000
// with the table filtered on free names). Reports the whole run's time, the longest stretch during
// which the GUI thread could not take an event (the goal is under 50 ms, so the window answers input
// throughout), the GUI thread's own processor time in its longest stretch, and the memory per row.

#include "bench/UiBenchApplication.h"
#include "config/TIniOptions.h"
#include "core/query/QueryEngine.h"
#include "core/query/WhoisLookup.h"
#include "ui/Prompts.h"
#include "ui/ResultTableModel.h"
#include "ui/TfrmWhoisMain.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

class InstantLookup : public cvt::WhoisLookup {
public:
    std::string lookup(const std::string&, const std::string& query) override {
        return (query.size() + static_cast<unsigned char>(query[0])) % 2 ? "No match for " + query : "Domain: " + query;
    }
    void closeConnection() override {}
};

// The calling thread's processor time, in milliseconds.
double threadCpuMs() {
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// The resident memory of the process, in bytes.
double residentBytes() {
    std::ifstream statm("/proc/self/statm");
    double pages = 0;
    double resident = 0;
    statm >> pages >> resident;
    return resident * static_cast<double>(::sysconf(_SC_PAGESIZE));
}

// What the user does during the run.
enum class User {
    Watches,     // leaves the table at the bottom, where new rows are followed
    ReadsTheTop, // selects a row near the top and scrolls up to it once the first rows are in
};

// Runs `names` names through the window, the result table filtered on free names when asked.
void fillWindow(benchmark::State& state, bool freeOnly, User user = User::Watches) {
    cvt::bench::application();
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("corvantide-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "Config.ini") << "[setting]\nlanguage=en\nparallel=1\nnum=3\n[whois]\n"
                                            "1=com+whois.a.example+No match for\n"
                                            "2=net+whois.b.example+No match for\n"
                                            "3=org+whois.c.example+No match for\n";
    const auto names = static_cast<std::size_t>(state.range(0));
    double longestStallMs = 0;
    double stallAtMs = 0;
    double stallAtRows = 0;
    // The GUI thread's own time between two ticks: on a busy machine the wall-clock stall also holds
    // the time the thread waited for a core.
    double longestStallCpuMs = 0;
    double cpuAtTick = 0;
    for (auto _ : state) {
        cvt::QtPrompts prompts;
        cvt::TIniOptions options;
        cvt::TfrmWhoisMain window(cvt::MainWindowDeps{
            prompts, options, [] { return std::make_unique<InstantLookup>(); }, folder / "Config.ini"});
        window.show();
        if (freeOnly) {
            window.cbFilter->setCurrentIndex(1);
        }
        const double memoryBefore = residentBytes();
        for (std::size_t i = 0; i < names; ++i) {
            window.Candidates.push_back("name" + std::to_string(i));
        }
        window.raText->setChecked(true);

        QElapsedTimer sinceTick;
        QElapsedTimer total;
        QTimer ticker;
        ticker.setInterval(0);
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            const double stallMs = sinceTick.nsecsElapsed() / 1e6;
            const double cpuNow = threadCpuMs();
            const double stallCpuMs = cpuNow - cpuAtTick;
            cpuAtTick = cpuNow;
            longestStallCpuMs = std::max(longestStallCpuMs, stallCpuMs);
            if (stallMs > longestStallMs) {
                // When it happened, and how far the table was, tell what held the window up.
                longestStallMs = stallMs;
                stallAtMs = static_cast<double>(total.elapsed());
                stallAtRows = window.resultModel().rowCount();
            }
            sinceTick.restart();
        });
        total.start();
        window.btnSearchClick();
        sinceTick.start();
        cpuAtTick = threadCpuMs();
        ticker.start();
        QScrollBar* bar = window.lvDomain->verticalScrollBar();
        bool readingTop = false;
        while (window.engine().isBusy() || window.btnStop->isEnabled() ||
               window.resultModel().rowCount() < static_cast<int>(names)) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
            if (user == User::ReadsTheTop && !readingTop && window.lvDomain->model()->rowCount() > 1000) {
                readingTop = true;
                window.selectAndShowRow(5);
                bar->setValue(0);
            }
        }
        ticker.stop();
        if (user == User::ReadsTheTop) {
            // The run never moved the user's place nor changed the selection.
            const QModelIndexList selected = window.lvDomain->selectionModel()->selectedRows();
            const bool kept = bar->value() == 0 && selected.size() == 1 && selected.front().row() == 5;
            state.counters["place_and_selection_kept"] = kept ? 1 : 0;
            if (!kept) {
                state.SkipWithError("the run moved the scrolled-up view or changed its selection");
            }
        }
        state.counters["total_ms"] = static_cast<double>(total.elapsed());
        state.counters["rows"] = window.resultModel().rowCount();
        state.counters["shown_rows"] = window.lvDomain->model()->rowCount();
        state.counters["bytes_per_row"] = (residentBytes() - memoryBefore) / static_cast<double>(names);
    }
    state.counters["longest_stall_ms"] = longestStallMs;
    state.counters["longest_stall_cpu_ms"] = longestStallCpuMs;
    state.counters["stall_at_ms"] = stallAtMs;
    state.counters["stall_at_rows"] = stallAtRows;
    std::filesystem::remove_all(folder);
}
void BM_WindowFillsWithAHundredThousandRows(benchmark::State& state) {
    fillWindow(state, false);
}
BENCHMARK(BM_WindowFillsWithAHundredThousandRows)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);

// A user scrolled to the top with a row selected while 100,000 names come in: the view stays
// where the user put it and the selection is untouched.
void BM_WindowKeepsAUserReadingTheTop(benchmark::State& state) {
    fillWindow(state, false, User::ReadsTheTop);
}
BENCHMARK(BM_WindowKeepsAUserReadingTheTop)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);

// The same with the filter on "free" and a million names: the filter follows every appended row
// and answered cell, and the window must still take input within 50 ms throughout. bytes_per_row
// holds the candidate list, the table, the filter's mapping and the queue together.
void BM_FilteredWindowFillsWithAMillionRows(benchmark::State& state) {
    fillWindow(state, true);
}
BENCHMARK(BM_FilteredWindowFillsWithAMillionRows)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
