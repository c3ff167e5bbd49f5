// The window's two actions on a real, offscreen window: filling the list, and one selection
// through to a repainted window with the file read included.
#include "bench_file.h"
#include "viewer/qt/main_window.h"

#include <QApplication>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListView>

#include <benchmark/benchmark.h>

namespace {

void BM_FillList(benchmark::State& state) {
    frmMain window;
    window.show();
    for (auto _ : state) {
        window.cmdGetIt_Click();
        QApplication::processEvents();  // includes the list's deferred layout
    }
}
BENCHMARK(BM_FillList)->Unit(benchmark::kMicrosecond);

void BM_SelectAndShow(benchmark::State& state) {
    const BenchHueFile file;
    frmMain window;
    window.findChild<QLineEdit*>(QStringLiteral("txtHuesPath"))
        ->setText(QString::fromStdString(file.path().string()));
    window.show();
    window.cmdGetIt_Click();
    QApplication::processEvents();
    auto* list = window.findChild<QListView*>(QStringLiteral("lstID"));
    int row = 0;
    for (auto _ : state) {
        row = row == 7 ? 8 : 7;  // alternate, so every round is a new selection
        list->selectionModel()->select(list->model()->index(row, 0),
                                       QItemSelectionModel::ClearAndSelect);
        QApplication::processEvents();  // paints what the selection changed, as the event loop does
    }
}
BENCHMARK(BM_SelectAndShow)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
