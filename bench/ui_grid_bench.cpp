// The window's data grid with a million data points (2 variables: 6 million
// cells) on Qt's offscreen platform: the data-point count from 5 to 1,000,000
// and back, scrolling, editing and resizing, each with the repaint it causes.
// The window is the real TFormRegress in a fresh installation folder.

#include "ui/DataGrid.h"
#include "ui/Unit1.h"
#include "ui/UserDialogs.h"

#include <QApplication>
#include <QScrollBar>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

class TSilentDialogs : public xtq::ui::IUserDialogs {
public:
    bool MessageBox(QWidget*, const QString&, const QString&, xtq::ui::TMessageIcon,
                    xtq::ui::TMessageButtons) override {
        return true;
    }
    std::optional<QString> FileName(QWidget*, const xtq::ui::TFileDialogOptions&) override {
        return std::nullopt;
    }
};

// One window for every benchmark; its installation folder lives in /tmp.
struct TBenchWindow {
    TBenchWindow() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "xtq-ui-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        root = pattern;
        std::filesystem::create_directories(root / "SysFiles");
        window = std::make_unique<xtq::ui::TFormRegress>((root / "SysFiles/XTQ").string(), dialogs);
        window->resize(1000, 700);
        window->show();
        QApplication::processEvents();
        grid = window->findChild<xtq::ui::TDataGrid*>("Tabelle");
        window->Document().SetText(xtq::TField::VariableCount, "2");
    }
    ~TBenchWindow() {
        window.reset();
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
    void Count(const char* points) {
        window->Document().SetText(xtq::TField::DataPointCount, points);
        grid->viewport()->repaint();
    }

    std::filesystem::path root;
    TSilentDialogs dialogs;
    std::unique_ptr<xtq::ui::TFormRegress> window;
    xtq::ui::TDataGrid* grid = nullptr;
};

TBenchWindow& Window() {
    static TBenchWindow window;
    return window;
}

void BM_GridCountFiveToAMillionAndBack(benchmark::State& state) {
    TBenchWindow& w = Window();
    for (auto _ : state) {
        w.Count("1000000");
        w.Count("5");
    }
}
BENCHMARK(BM_GridCountFiveToAMillionAndBack)->Unit(benchmark::kMillisecond);

void BM_GridScrollAMillion(benchmark::State& state) {
    TBenchWindow& w = Window();
    w.Count("1000000");
    QScrollBar* bar = w.grid->verticalScrollBar();
    int step = 0;
    for (auto _ : state) {
        // Jumps across the whole table, each followed by the repaint.
        bar->setValue(
            static_cast<int>((static_cast<long long>(step) * 7919 % 1000) * bar->maximum() / 1000));
        w.grid->viewport()->repaint();
        ++step;
    }
    w.Count("5");
}
BENCHMARK(BM_GridScrollAMillion)->Unit(benchmark::kMicrosecond);

void BM_GridEditAMillion(benchmark::State& state) {
    TBenchWindow& w = Window();
    w.Count("1000000");
    w.grid->scrollToBottom();
    QAbstractItemModel* model = w.grid->model();
    const QModelIndex last = model->index(model->rowCount() - 1, 1);
    int value = 0;
    for (auto _ : state) {
        model->setData(last, QString::number(++value), Qt::EditRole);
        w.grid->viewport()->repaint();
    }
    w.Count("5");
}
BENCHMARK(BM_GridEditAMillion)->Unit(benchmark::kMicrosecond);

void BM_GridResizeAMillion(benchmark::State& state) {
    TBenchWindow& w = Window();
    w.Count("1000000");
    int step = 0;
    for (auto _ : state) {
        w.window->resize(step % 2 == 0 ? 900 : 1000, step % 2 == 0 ? 600 : 700);
        QApplication::processEvents();
        w.grid->viewport()->repaint();
        ++step;
    }
    w.Count("5");
}
BENCHMARK(BM_GridResizeAMillion)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
