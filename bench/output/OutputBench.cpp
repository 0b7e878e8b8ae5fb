// Console lines written by a worker thread until they all stand in the Output dock's
// text area, against QPlainTextEdit::appendPlainText of the same lines on the GUI thread.
// Both widgets are shown and scroll to the end as text arrives.  The longest pause of
// the event loop while the lines arrive is reported as "max_gap_ms" (responsiveness).

#include <mainwindow/ReportOutput.h>

#include <vexil/MsgConsole.h>

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTextDocument>

#include <QTimer>

#include <algorithm>
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
    // A zero-delay timer fires once per pass of the event loop; its longest gap is how
    // long the window could not react.
    QElapsedTimer sinceLast;
    qint64 maxGap = 0;
    QTimer heartbeat;
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        maxGap = std::max(maxGap, sinceLast.restart());
    });
    for (auto _ : state) {
        sinceLast.start();
        heartbeat.start(0);
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
        heartbeat.stop();
        output.clear();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["max_gap_ms"] = static_cast<double>(maxGap);
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
