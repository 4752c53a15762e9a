// The main window's suffix picker over the shipped suffix data: the time from a key typed into
// the search box (or a group chosen) until the server table shows the new rows, laid out and
// painted (goal: under 16 ms a key, one frame), and the window's start with and without the data.

#include "bench/UiBenchApplication.h"
#include "config/TIniOptions.h"
#include "ui/Prompts.h"
#include "ui/ServerTableModel.h"
#include "ui/TfrmWhoisMain.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTreeView>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

class QuietPrompts : public cvt::QtPrompts {
public:
    void error(QWidget*, const QString& text) override { shown.push_back(text); }
    void information(QWidget*, const QString& text) override { shown.push_back(text); }
    std::vector<QString> shown;
};

// The data files the build puts beside the programs.
std::filesystem::path besideProgram(std::string_view name) {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path() / name;
}

struct PickerWindow {
    explicit PickerWindow(bool withData) {
        cvt::bench::application();
        std::ofstream(folder / "Config.ini") << "[setting]\nlanguage=en\nnum=3\n[whois]\n"
                                                "1=com+whois.example+No match for\n"
                                                "2=net+whois.example+No match for\n"
                                                "3=org+whois.example+No match for\n";
        cvt::MainWindowDeps deps{prompts, options, nullptr, folder / "Config.ini", "true"};
        if (withData) {
            deps.locateData = besideProgram;
        }
        window = std::make_unique<cvt::TfrmWhoisMain>(std::move(deps));
    }
    ~PickerWindow() {
        window.reset();
        std::filesystem::remove_all(folder);
    }

    std::filesystem::path folder = [] {
        auto path = std::filesystem::temp_directory_path() / ("corvantide-bench-picker-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path);
        return path;
    }();
    QuietPrompts prompts;
    cvt::TIniOptions options;
    std::unique_ptr<cvt::TfrmWhoisMain> window;
};

// Shows the change: lays the table out and paints it, as the next frame would.
void showNow(cvt::TfrmWhoisMain& window) {
    QCoreApplication::processEvents();
    window.lvWhois->viewport()->repaint();
}

// Typing and erasing suffixes one key at a time in the "All" group (every suffix).
void BM_PickerSearchKey(benchmark::State& state) {
    PickerWindow picker(true);
    cvt::TfrmWhoisMain& window = *picker.window;
    window.resize(900, 700);
    window.show();
    window.cbSuffixGroup->setCurrentIndex(5);
    showNow(window);
    const QString words[] = {QStringLiteral("co.uk"), QStringLiteral("shop"), QStringLiteral("country"),
                             QStringLiteral("xn--"), QStringLiteral("berlin")};
    std::vector<double> keyMs;
    QElapsedTimer clock;
    const auto type = [&](const QString& text) {
        clock.start();
        window.edtSuffixSearch->setText(text);
        showNow(window);
        keyMs.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    };
    for (auto _ : state) {
        for (const QString& word : words) {
            for (qsizetype length = 1; length <= word.size(); ++length) {
                type(word.left(length));
            }
            for (qsizetype length = word.size() - 1; length >= 0; --length) {
                type(word.left(length));
            }
        }
    }
    // Wall time a key, the median and the 95th percentile (the machine is shared, so the slowest
    // keys also measure the others' work).
    std::sort(keyMs.begin(), keyMs.end());
    state.counters["rows"] = window.serverModel().rowCount();
    state.counters["keys"] = static_cast<double>(keyMs.size());
    state.counters["median_key_ms"] = keyMs.empty() ? 0 : keyMs[keyMs.size() / 2];
    state.counters["p95_key_ms"] = keyMs.empty() ? 0 : keyMs[keyMs.size() * 95 / 100];
}
BENCHMARK(BM_PickerSearchKey)->Unit(benchmark::kMillisecond)->UseRealTime();

// Going through the groups, each shown at once.
void BM_PickerGroupChoice(benchmark::State& state) {
    PickerWindow picker(true);
    cvt::TfrmWhoisMain& window = *picker.window;
    window.resize(900, 700);
    window.show();
    showNow(window);
    for (auto _ : state) {
        for (int group = 0; group < window.cbSuffixGroup->count(); ++group) {
            window.cbSuffixGroup->setCurrentIndex(group);
            showNow(window);
        }
    }
    state.SetItemsProcessed(state.iterations() * window.cbSuffixGroup->count());
}
BENCHMARK(BM_PickerGroupChoice)->Unit(benchmark::kMillisecond)->UseRealTime();

// The window made and shown, with the shipped suffix data (1) or Config.ini's entries alone (0).
void BM_MainWindowStart(benchmark::State& state) {
    cvt::bench::application();
    std::size_t rows = 0;
    for (auto _ : state) {
        PickerWindow picker(state.range(0) == 1);
        picker.window->show();
        QCoreApplication::processEvents();
        rows = static_cast<std::size_t>(picker.window->serverModel().rowCount());
    }
    state.counters["rows"] = static_cast<double>(rows);
}
BENCHMARK(BM_MainWindowStart)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
