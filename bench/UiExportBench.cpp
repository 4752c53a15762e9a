// The spreadsheet and CSV exports of 200,000 rows from the desktop window: the whole command's
// time and the longest stretch during which the GUI thread could not take an event while it ran
// (the goal is under 50 ms: the table is copied and the file written on a worker).

#include "bench/UiBenchApplication.h"
#include "config/TIniOptions.h"
#include "ui/Prompts.h"
#include "ui/ResultTableModel.h"
#include "ui/TfrmWhoisMain.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

// Answers every save dialog with one path and keeps the boxes' texts.
class AnsweringPrompts : public cvt::QtPrompts {
public:
    void error(QWidget*, const QString& text) override { shown.push_back(text); }
    void information(QWidget*, const QString& text) override { shown.push_back(text); }
    QString saveTextFile(QWidget*, const QString&) override { return path; }
    QString saveWorkbookFile(QWidget*, const QString&) override { return path; }

    QString path;
    std::vector<QString> shown;
};

void exportFromTheWindow(benchmark::State& state, const char* fileName, bool workbook) {
    cvt::bench::application();
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("corvantide-bench-export-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "Config.ini") << "[setting]\nlanguage=en\nnum=3\n[whois]\n"
                                            "1=com+whois.example+No match for\n"
                                            "2=net+whois.example+No match for\n"
                                            "3=org+whois.example+No match for\n";
    AnsweringPrompts prompts;
    prompts.path = QString::fromStdString((folder / fileName).string());
    cvt::TIniOptions options;
    cvt::TfrmWhoisMain window(cvt::MainWindowDeps{prompts, options, nullptr, folder / "Config.ini", "true"});
    window.show();
    const cvt::Mark marks[] = {cvt::Mark::Free, cvt::Mark::Registered, cvt::Mark::Failed};
    const auto rows = static_cast<std::size_t>(state.range(0));
    for (std::size_t i = 0; i < rows; ++i) {
        window.resultModel().appendRow("name" + std::to_string(i),
                                       {marks[i % 3], marks[(i + 1) % 3], marks[(i + 2) % 3]});
    }
    window.applyPendingChanges();

    double longestStallMs = 0;
    for (auto _ : state) {
        QElapsedTimer sinceTick;
        QTimer ticker;
        ticker.setInterval(0);
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            longestStallMs = std::max(longestStallMs, sinceTick.nsecsElapsed() / 1e6);
            sinceTick.restart();
        });
        ticker.start();
        QCoreApplication::processEvents();
        sinceTick.start();
        (workbook ? window.exportExcel : window.ExporttoText1)->trigger();
        longestStallMs = std::max(longestStallMs, sinceTick.nsecsElapsed() / 1e6);
        ticker.stop();
    }
    state.counters["longest_stall_ms"] = longestStallMs;
    state.counters["messages"] = static_cast<double>(prompts.shown.size());
    std::filesystem::remove_all(folder);
}

void BM_WindowExportsWorkbook(benchmark::State& state) {
    exportFromTheWindow(state, "domains.xlsx", true);
}
BENCHMARK(BM_WindowExportsWorkbook)->Arg(200000)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_WindowExportsCsv(benchmark::State& state) {
    exportFromTheWindow(state, "domains.csv", false);
}
BENCHMARK(BM_WindowExportsCsv)->Arg(200000)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
