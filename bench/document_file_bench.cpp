// Reading and writing .rgs documents of 10^5 and 10^6 data points with two
// variables (six table columns), and the whole Regress command on them.
// Counters: the cell store's memory and the process's peak resident size.

#include "document/Document.h"
#include "regression/NumberText.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <sys/resource.h>

namespace {

std::string BenchFolder() {
    const auto folder = std::filesystem::temp_directory_path() / "xtq-document-bench";
    std::filesystem::create_directories(folder);
    return folder.string();
}

double PeakResidentMiB() {
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// A document of m points on a plane with a wobble, regressed once so that the
// result columns are filled as after a real run.
void BuildDocument(xtq::TRegressDocument& doc, int m) {
    doc.SetText(xtq::TField::RightSide, "a+b*x1+c*x2");
    doc.SetText(xtq::TField::VariableCount, "2");
    doc.SetText(xtq::TField::DataPointCount, std::to_string(m));
    xtq::TDataTable& table = doc.Table();
    for (int p = 1; p <= m; ++p) {
        const double x1 = static_cast<double>(p % 1009) / 101.0 - 5.0;
        const double x2 = static_cast<double>(p % 997) / 97.0 - 5.0;
        const double y = 1.5 + 2 * x1 - 3 * x2 + 0.01 * static_cast<double>(p % 7);
        table.SetCell(1, p, xtq::GeneralNumberText(x1));
        table.SetCell(2, p, xtq::GeneralNumberText(x2));
        table.SetCell(3, p, xtq::GeneralNumberText(y));
    }
}

// One file per size, written once.
const std::string& DocumentFile(int m) {
    static std::map<int, std::string> files;
    auto it = files.find(m);
    if (it == files.end()) {
        xtq::TRegressDocument doc;
        BuildDocument(doc, m);
        doc.Regress();
        const std::string path = BenchFolder() + "/points-" + std::to_string(m) + ".rgs";
        doc.WriteDocument(path);
        it = files.emplace(m, path).first;
    }
    return it->second;
}

void BM_ReadDocument(benchmark::State& state) {
    const std::string& path = DocumentFile(static_cast<int>(state.range(0)));
    size_t cellBytes = 0;
    for (auto _ : state) {
        xtq::TRegressDocument doc;
        doc.ReadDocument(path);
        cellBytes = doc.Table().CellMemoryBytes();
        benchmark::DoNotOptimize(doc.Table().Cell(3, 1));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(std::filesystem::file_size(path)));
    state.counters["cell_MiB"] = static_cast<double>(cellBytes) / (1024.0 * 1024.0);
    state.counters["peak_RSS_MiB"] = PeakResidentMiB();
}
BENCHMARK(BM_ReadDocument)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

void BM_WriteDocument(benchmark::State& state) {
    xtq::TRegressDocument doc;
    doc.ReadDocument(DocumentFile(static_cast<int>(state.range(0))));
    const std::string path = BenchFolder() + "/written.rgs";
    for (auto _ : state)
        doc.WriteDocument(path);
    state.SetItemsProcessed(state.iterations() * state.range(0));
    std::remove(path.c_str());
}
BENCHMARK(BM_WriteDocument)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

void BM_Regress(benchmark::State& state) {
    xtq::TRegressDocument doc;
    doc.ReadDocument(DocumentFile(static_cast<int>(state.range(0))));
    for (auto _ : state)
        benchmark::DoNotOptimize(doc.Regress());
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.counters["peak_RSS_MiB"] = PeakResidentMiB();
}
BENCHMARK(BM_Regress)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
