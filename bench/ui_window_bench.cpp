// The window's three commands on a document of a million data points and two
// variables (bench/ScaleDocument.h): Open through the Open command and its
// file dialog, Regress through the Regress button's handler, Save through the
// Save command, each with the grid's and the progress bar's updates and the
// events the window runs meanwhile, on Qt's offscreen platform.
//
// Time is wall time; CPU time is that of the whole process. Counter
// peak_RSS_MiB: the process's peak resident size so far, the window, Qt and
// the document included (this program runs nothing else).

#include "ScaleDocument.h"
#include "ui/Unit1.h"
#include "ui/UserDialogs.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using xtq::bench::PeakResidentMiB;

// Answers every file dialog with one path and every message box with OK.
class TScriptedDialogs : public xtq::ui::IUserDialogs {
public:
    bool MessageBox(QWidget*, const QString&, const QString&, xtq::ui::TMessageIcon,
                    xtq::ui::TMessageButtons) override {
        return true;
    }
    std::optional<QString> FileName(QWidget*, const xtq::ui::TFileDialogOptions&) override {
        return QString::fromStdString(path);
    }
    std::string path;
};

// The document file, written by a child process before the window starts so
// that its making does not count in this process's peak.
std::string& DocumentPath() {
    static std::string path;
    return path;
}

void MakeDocumentInAChild() {
    DocumentPath() = xtq::bench::BenchFolder() + "/window-1000000.rgs";
    const pid_t child = fork();
    if (child < 0) std::abort();
    if (child == 0) {
        xtq::bench::MakeDocument(DocumentPath(), 1'000'000);
        _exit(0);
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        std::abort();
}

// One window in a fresh installation folder.
struct TBenchWindow {
    TBenchWindow() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "xtq-ui-window-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        root = pattern;
        std::filesystem::create_directories(root / "SysFiles");
        dialogs.path = DocumentPath();
        window = std::make_unique<xtq::ui::TFormRegress>((root / "SysFiles/XTQ").string(), dialogs);
        window->resize(1000, 700);
        window->show();
        QApplication::processEvents();
    }
    ~TBenchWindow() {
        window.reset();
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }

    std::filesystem::path root;
    TScriptedDialogs dialogs;
    std::unique_ptr<xtq::ui::TFormRegress> window;
};

TBenchWindow& Window() {
    static TBenchWindow window;
    return window;
}

// Open with a document of five rows shown before each run.
void BM_WindowOpen(benchmark::State& state) {
    TBenchWindow& w = Window();
    for (auto _ : state) {
        state.PauseTiming();
        w.window->File_NewClick();
        QApplication::processEvents();
        state.ResumeTiming();
        w.window->File_OpenClick();
        QApplication::processEvents();
    }
    if (w.window->Document().Table().RowCount() != 1'000'001)
        state.SkipWithError("the document did not open");
    state.counters["peak_RSS_MiB"] = PeakResidentMiB();
}
BENCHMARK(BM_WindowOpen)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond);

// Regress on the opened document (the result texts are those already there).
void BM_WindowRegress(benchmark::State& state) {
    TBenchWindow& w = Window();
    w.window->File_OpenClick();
    for (auto _ : state) {
        w.window->SBRegressClick();
        QApplication::processEvents();
    }
    state.counters["peak_RSS_MiB"] = PeakResidentMiB();
}
BENCHMARK(BM_WindowRegress)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond);

// Save over the opened file, flushed to the disk.
void BM_WindowSave(benchmark::State& state) {
    TBenchWindow& w = Window();
    w.window->File_OpenClick();
    for (auto _ : state) {
        w.window->File_SaveClick(xtq::ui::TSaveKind::Save);
        QApplication::processEvents();
    }
    state.counters["peak_RSS_MiB"] = PeakResidentMiB();
}
BENCHMARK(BM_WindowSave)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    MakeDocumentInAChild();
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
