#include "core/export/TextExport.h"
#include "platform/ExcelExport.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

// A result table of the given number of rows with three suffix columns, marks mixed.
cvt::ResultTableSnapshot resultTable(std::size_t rows) {
    cvt::ResultTableSnapshot table{{"Domain Name", "com", "net", "org"}, {}};
    const cvt::Mark marks[] = {cvt::Mark::Free, cvt::Mark::Registered, cvt::Mark::Failed, cvt::Mark::Unasked};
    table.rows.reserve(rows);
    for (std::size_t i = 0; i < rows; ++i) {
        table.rows.push_back({"name" + std::to_string(i), {marks[i % 4], marks[(i / 4) % 4], marks[(i / 16) % 4]}});
    }
    return table;
}

std::filesystem::path benchFile(const char* name) {
    return std::filesystem::temp_directory_path() / ("corvantide-bench-" + std::to_string(::getpid()) + "-" + name);
}

void BM_ExportTextBytes(benchmark::State& state) {
    const cvt::ResultTableSnapshot table = resultTable(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(cvt::ExportTextBytes(table));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ExportTextBytes)->Arg(200000)->Unit(benchmark::kMillisecond);

void BM_ExportToTextFile(benchmark::State& state) {
    const cvt::ResultTableSnapshot table = resultTable(static_cast<std::size_t>(state.range(0)));
    const std::filesystem::path file = benchFile("domain.txt");
    for (auto _ : state) {
        cvt::ExportToText(table, file);
    }
    std::filesystem::remove(file);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ExportToTextFile)->Arg(200000)->Unit(benchmark::kMillisecond);

// The resident memory's high-water mark in bytes, and a way to reset it to the current use.
std::size_t peakResidentBytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stoull(line.substr(6)) * 1024;
        }
    }
    return 0;
}
void resetPeakResident() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

// A whole export to a file, with the memory it needed above the table itself.
void exportToFile(benchmark::State& state, const char* name) {
    const cvt::ResultTableSnapshot table = resultTable(static_cast<std::size_t>(state.range(0)));
    const std::filesystem::path file = benchFile(name);
    double peakAboveTableMb = 0;
    for (auto _ : state) {
        resetPeakResident();
        const std::size_t before = peakResidentBytes();
        cvt::ExportToFile(table, file);
        peakAboveTableMb =
            std::max(peakAboveTableMb, static_cast<double>(peakResidentBytes() - before) / (1024.0 * 1024.0));
    }
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(file));
    state.counters["peak_mb_above_table"] = peakAboveTableMb;
    std::filesystem::remove(file);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_ExportToXlsxFile(benchmark::State& state) {
    exportToFile(state, "domain.xlsx");
}
BENCHMARK(BM_ExportToXlsxFile)->Arg(10000)->Arg(200000)->Unit(benchmark::kMillisecond);

void BM_ExportToCsvFile(benchmark::State& state) {
    exportToFile(state, "domain.csv");
}
BENCHMARK(BM_ExportToCsvFile)->Arg(200000)->Unit(benchmark::kMillisecond);

} // namespace
