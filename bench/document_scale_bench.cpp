// The three commands on a document of a million data points and two
// variables (six million cells): Open, Regress with the quadratic surface, and
// Save, each as the document model runs it for the window and for
// `xtq-cli regress`; and the pieces of Regress that work cell by cell.
//
// The document is that of bench/ScaleDocument.h, saved after a Regress run, so
// that the fitted-value and error columns are filled as in a real document.
//
// Besides the benchmark flags it takes
//   --make_document=PATH [--points=N]   writes that document and exits
// which bench/read_vs_pandas.sh and bench/memory_peaks.sh use.
//
// Time is wall time; CPU time is that of the whole process (Regress converts
// and writes large tables on every processor). Counters: cell_MiB, the cell
// store's memory after the command; peak_RSS_MiB, the process's peak resident
// size so far.

#include "ScaleDocument.h"
#include "document/CellConversion.h"
#include "document/Document.h"
#include "regression/NumberText.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

using xtq::TField;

using xtq::bench::BenchFolder;
using xtq::bench::MakeDocument;
using xtq::bench::MiB;
using xtq::bench::PeakResidentMiB;

// One file per size, written once per process.
const std::string& DocumentFile(int m) {
    static std::map<int, std::string> files;
    auto it = files.find(m);
    if (it == files.end()) {
        const std::string path = BenchFolder() + "/points-" + std::to_string(m) + ".rgs";
        MakeDocument(path, m);
        it = files.emplace(m, path).first;
    }
    return it->second;
}

// Empties the two result columns, so that a run writes every result cell
// afresh, as after new data.
void EmptyResults(xtq::TRegressDocument& doc) {
    xtq::TDataTable& table = doc.Table();
    xtq::TTableUpdate update(table);
    for (int row = 1; row < table.RowCount(); ++row) {
        table.SetCell(table.ColCount() - 2, row, "");
        table.SetCell(table.ColCount() - 1, row, "");
    }
}

// Open into the document as start-up leaves it (five empty rows); the old
// document's release is not timed.
void BM_Open(benchmark::State& state) {
    const std::string& path = DocumentFile(static_cast<int>(state.range(0)));
    size_t cellBytes = 0;
    for (auto _ : state) {
        auto doc = std::make_unique<xtq::TRegressDocument>();
        doc->OpenDocument(path);
        cellBytes = doc->Table().CellMemoryBytes();
        benchmark::DoNotOptimize(doc->Table().Cell(3, 1));
        state.PauseTiming();
        doc.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(std::filesystem::file_size(path)));
    state.counters["cell_MiB"] = MiB(cellBytes);
    state.counters["peak_RSS_MiB"] = PeakResidentMiB();
}
BENCHMARK(BM_Open)->Arg(100'000)->Arg(1'000'000)->MeasureProcessCPUTime()->UseRealTime()->Unit(
    benchmark::kMillisecond);

// Regress with result columns to fill: every result text is new.
void BM_Regress(benchmark::State& state) {
    xtq::TRegressDocument doc;
    doc.OpenDocument(DocumentFile(static_cast<int>(state.range(0))));
    for (auto _ : state) {
        state.PauseTiming();
        EmptyResults(doc);
        state.ResumeTiming();
        benchmark::DoNotOptimize(doc.Regress());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.counters["cell_MiB"] = MiB(doc.Table().CellMemoryBytes());
    state.counters["peak_RSS_MiB"] = PeakResidentMiB();
}
BENCHMARK(BM_Regress)
    ->Arg(100'000)
    ->Arg(1'000'000)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// The same with the CPU time of the command's thread alone: the least wall
// time the command can take, whatever the other processor does.
BENCHMARK(BM_Regress)->Arg(1'000'000)->UseRealTime()->Unit(benchmark::kMillisecond);

// Regress again on the same data: the result texts are those already shown.
void BM_RegressAgain(benchmark::State& state) {
    xtq::TRegressDocument doc;
    doc.OpenDocument(DocumentFile(static_cast<int>(state.range(0))));
    for (auto _ : state)
        benchmark::DoNotOptimize(doc.Regress());
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_RegressAgain)
    ->Arg(1'000'000)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// Save, including the flush to the disk that makes the new file durable.
void BM_Save(benchmark::State& state) {
    xtq::TRegressDocument doc;
    doc.OpenDocument(DocumentFile(static_cast<int>(state.range(0))));
    const std::string path = BenchFolder() + "/saved.rgs";
    for (auto _ : state)
        doc.SaveDocumentAs(path);
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(std::filesystem::file_size(path)));
    std::remove(path.c_str());
}
BENCHMARK(BM_Save)->Arg(100'000)->Arg(1'000'000)->MeasureProcessCPUTime()->UseRealTime()->Unit(
    benchmark::kMillisecond);

// The data-point count of a new document set from 5 to 1,000,000 (the row
// count rule numbers a million rows) and back to 5.
void BM_DataPointCount(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto doc = std::make_unique<xtq::TRegressDocument>();
        state.ResumeTiming();
        doc->SetText(TField::DataPointCount, "1000000");
        doc->SetText(TField::DataPointCount, "5");
        state.PauseTiming();
        doc.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_DataPointCount)->UseRealTime()->Unit(benchmark::kMillisecond);

// The same on the document of 10^6 points once opened: the rows are numbered
// already.
void BM_DataPointCountAgain(benchmark::State& state) {
    xtq::TRegressDocument doc;
    doc.OpenDocument(DocumentFile(1'000'000));
    for (auto _ : state) {
        doc.SetText(TField::DataPointCount, "5");
        doc.SetText(TField::DataPointCount, "1000000");
    }
}
BENCHMARK(BM_DataPointCountAgain)->UseRealTime()->Unit(benchmark::kMillisecond);

// The pieces of Regress that go cell by cell, on the document's own texts.
std::vector<std::string> ColumnTexts(int col) {
    xtq::TRegressDocument doc;
    doc.OpenDocument(DocumentFile(1'000'000));
    std::vector<std::string> texts;
    for (int row = 1; row < doc.Table().RowCount(); ++row)
        texts.emplace_back(doc.Table().Cell(col, row));
    return texts;
}

void BM_CellToExtended(benchmark::State& state) {
    const std::vector<std::string> texts = ColumnTexts(1);
    for (auto _ : state) {
        xtq::Extended sum = 0;
        for (const std::string& text : texts) {
            xtq::Extended value;
            xtq::TryCellToExtended(text, value);
            sum += value;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(texts.size()));
}
BENCHMARK(BM_CellToExtended)->Unit(benchmark::kMillisecond);

std::vector<xtq::Extended> ColumnValues(int col) {
    std::vector<xtq::Extended> values;
    for (const std::string& text : ColumnTexts(col)) {
        xtq::Extended value = 0;
        xtq::TryCellToExtended(text, value);
        values.push_back(value);
    }
    return values;
}

void BM_GeneralNumberText(benchmark::State& state) {
    const std::vector<xtq::Extended> values = ColumnValues(4); // the fitted values
    for (auto _ : state)
        for (const xtq::Extended value : values)
            benchmark::DoNotOptimize(xtq::GeneralNumberText(value));
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(values.size()));
}
BENCHMARK(BM_GeneralNumberText)->Unit(benchmark::kMillisecond);

void BM_FixedNumberText(benchmark::State& state) {
    const std::vector<xtq::Extended> values = ColumnValues(5); // the errors
    for (auto _ : state)
        for (const xtq::Extended value : values)
            benchmark::DoNotOptimize(xtq::FixedNumberText(value));
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(values.size()));
}
BENCHMARK(BM_FixedNumberText)->Unit(benchmark::kMillisecond);

// "--name=VALUE": the value, or nullptr.
const char* FlagValue(const char* arg, const char* name) {
    const size_t length = std::strlen(name);
    if (std::strncmp(arg, name, length) != 0 || arg[length] != '=') return nullptr;
    return arg + length + 1;
}

} // namespace

int main(int argc, char** argv) {
    const char* document = nullptr;
    int points = 1'000'000;
    for (int i = 1; i < argc; ++i) {
        if (const char* value = FlagValue(argv[i], "--make_document")) document = value;
        if (const char* value = FlagValue(argv[i], "--points")) points = std::atoi(value);
    }
    if (document != nullptr) {
        MakeDocument(document, points);
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
