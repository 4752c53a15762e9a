#include "core/TextExport.h"
#include "platform/ExcelExport.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <unistd.h>

namespace {

// A result table of the given number of rows with three suffix columns, marks mixed.
cvt::ResultTableSnapshot resultTable(std::size_t rows) {
    cvt::ResultTableSnapshot table{{"Domain Name", "com", "net", "org"}, {}};
    const char* marks[] = {"☆", "★", "-", ""};
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

// The whole spreadsheet export: the automation calls, the model, and the .xlsx written to a file.
void BM_ExportToXlsxFile(benchmark::State& state) {
    const cvt::ResultTableSnapshot table = resultTable(static_cast<std::size_t>(state.range(0)));
    const std::filesystem::path file = benchFile("domain.xlsx");
    for (auto _ : state) {
        cvt::ExportToFile(table, file);
    }
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(file));
    std::filesystem::remove(file);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ExportToXlsxFile)->Arg(10000)->Arg(200000)->Unit(benchmark::kMillisecond);

} // namespace
