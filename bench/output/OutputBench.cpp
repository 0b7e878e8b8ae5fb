// Console lines written by a worker thread until they all stand in the Output dock's
// text area, against QPlainTextEdit::appendPlainText of the same lines on the GUI thread.
// Both widgets are shown and scroll to the end as text arrives.

#include <mainwindow/ReportOutput.h>

#include <vexil/MsgConsole.h>

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QTextDocument>

#include <thread>

namespace {

void BM_OutputDock(benchmark::State& state)
{
    const int lines = static_cast<int>(state.range(0));
    Gui::DockWindow::ReportOutput output;
    output.onToggleGoToEnd();   // follow the end, as the default settings do
    output.resize(800, 400);
    output.show();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        std::thread writer([lines] {
            Vexil::MsgConsoleSingleton& console = Vexil::MsgConsoleSingleton::Instance();
            for (int i = 0; i < lines; ++i)
                console.Message("line %d of the benchmark output\n", i);
        });
        // Every line is one block; the document ends in an empty one.
        while (output.document()->blockCount() <= lines)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        writer.join();
        QCoreApplication::processEvents();
        state.PauseTiming();
        output.clear();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * lines);
}
BENCHMARK(BM_OutputDock)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_OutputDock_Baseline(benchmark::State& state)
{
    const int lines = static_cast<int>(state.range(0));
    QPlainTextEdit output;
    output.setReadOnly(true);
    output.resize(800, 400);
    output.show();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        for (int i = 0; i < lines; ++i)
            output.appendPlainText(QStringLiteral("line %1 of the benchmark output").arg(i));
        QCoreApplication::processEvents();
        state.PauseTiming();
        output.clear();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * lines);
}
BENCHMARK(BM_OutputDock_Baseline)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
