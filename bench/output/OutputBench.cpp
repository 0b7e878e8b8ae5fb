// Console lines written by a worker thread until they all stand in the Output dock's
// text area, against QPlainTextEdit::appendPlainText of the same lines on the GUI thread.
// Both widgets are shown and scroll to the end as text arrives.  The longest pause of
// the event loop while the lines arrive is reported as "max_gap_ms" (responsiveness).
//
// A child process that writes one line of N characters without a break, shown by the
// process console as it arrives, against a bare QTextBrowser given the same child's whole
// output at once.  The baseline wraps anywhere: with Qt's default word wrap (or word
// boundary, else anywhere) one unbroken block takes time in the square of its length,
// 8.5 s for 256 K characters and 405 s for 2 M here.

#include <dialogs/DlgIPCImp.h>
#include <mainwindow/LongLineText.h>
#include <mainwindow/ReportOutput.h>

#include <vexil/MsgConsole.h>

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QStandardPaths>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextOption>
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

// Console messages of 1,000 characters that together make one line (a progress bar
// written piece by piece, a long record), until they stand in the Output dock: before
// the dock showed such a line in pieces, 256,000 characters took 4.3 s.
void BM_OutputDockUnbroken(benchmark::State& state)
{
    const int characters = static_cast<int>(state.range(0));
    Gui::DockWindow::ReportOutput output;
    output.onToggleGoToEnd();
    output.resize(800, 400);
    output.show();
    QCoreApplication::processEvents();
    QElapsedTimer sinceLast;
    qint64 maxGap = 0;
    QTimer heartbeat;
    QObject::connect(&heartbeat, &QTimer::timeout, [&] { maxGap = std::max(maxGap, sinceLast.restart()); });
    const std::string piece(1000, 'y');
    for (auto _ : state) {
        sinceLast.start();
        heartbeat.start(0);
        std::thread writer([&] {
            Vexil::MsgConsoleSingleton& console = Vexil::MsgConsoleSingleton::Instance();
            for (int i = 0; i < characters / 1000; ++i)
                console.Message("%s", piece.c_str());
            console.Message("\n");
        });
        // Done when the line feed after it has started an empty line of its own.
        const QTextDocument* doc = output.document();
        while (doc->blockCount() < 2 || doc->lastBlock().length() > 1
               || Gui::LongLineText::continuesLine(doc->lastBlock()))
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        writer.join();
        QCoreApplication::processEvents();
        state.PauseTiming();
        heartbeat.stop();
        if (Gui::LongLineText::writtenText(doc, 0, doc->characterCount() - 1).size() != characters / 1000 * 1000 + 1)
            state.SkipWithError("output missing");
        output.clear();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["max_gap_ms"] = static_cast<double>(maxGap);
    state.SetItemsProcessed(state.iterations() * (characters / 1000) * 1000);
}
BENCHMARK(BM_OutputDockUnbroken)->Arg(256000)->Arg(1024000)->Arg(2048000)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same line given at once to a bare QTextBrowser that wraps anywhere.
void BM_OutputDockUnbroken_Baseline(benchmark::State& state)
{
    const int characters = static_cast<int>(state.range(0));
    const QString line = QString(characters, QLatin1Char('y')) + QLatin1Char('\n');
    for (auto _ : state) {
        QTextBrowser browser;
        browser.setWordWrapMode(QTextOption::WrapAnywhere);
        browser.resize(800, 400);
        browser.show();
        QCoreApplication::processEvents();
        browser.setPlainText(line);
        browser.moveCursor(QTextCursor::End);
        QCoreApplication::processEvents();
    }
    state.SetItemsProcessed(state.iterations() * characters);
}
BENCHMARK(BM_OutputDockUnbroken_Baseline)->Arg(256000)->Arg(1024000)->Arg(2048000)->Unit(benchmark::kMillisecond)->UseRealTime();

QStringList unbrokenLine(int characters)
{
    return {QStringLiteral("-c"), QStringLiteral("head -c %1 /dev/zero | tr '\\0' y").arg(characters)};
}

void BM_ProcessConsoleUnbroken(benchmark::State& state)
{
    const int characters = static_cast<int>(state.range(0));
    const QString sh = QStandardPaths::findExecutable(QStringLiteral("sh"));
    qint64 maxGap = 0;
    for (auto _ : state) {
        Gui::DlgIPCImp console(QStringLiteral("Unbroken"), true);
        console.show();
        QCoreApplication::processEvents();
        QElapsedTimer sinceLast;
        QTimer heartbeat;
        QObject::connect(&heartbeat, &QTimer::timeout, [&] { maxGap = std::max(maxGap, sinceLast.restart()); });
        sinceLast.start();
        heartbeat.start(0);
        console.startRunning(sh, unbrokenLine(characters));
        while (console.isRunning() || console.progressBar()->maximum() != 100)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QCoreApplication::processEvents();
        heartbeat.stop();
        if (console.output()->document()->characterCount() < characters)
            state.SkipWithError("output missing");
    }
    state.counters["max_gap_ms"] = static_cast<double>(maxGap);
    state.SetItemsProcessed(state.iterations() * characters);
}
BENCHMARK(BM_ProcessConsoleUnbroken)->Arg(256 * 1024)->Arg(1024 * 1024)->Arg(2 * 1024 * 1024)
    ->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ProcessConsoleUnbroken_Baseline(benchmark::State& state)
{
    const int characters = static_cast<int>(state.range(0));
    const QString sh = QStandardPaths::findExecutable(QStringLiteral("sh"));
    for (auto _ : state) {
        QTextBrowser browser;
        browser.setWordWrapMode(QTextOption::WrapAnywhere);
        browser.resize(600, 450);
        browser.show();
        QCoreApplication::processEvents();
        QProcess child;
        child.start(sh, unbrokenLine(characters));
        child.waitForFinished(-1);
        browser.setPlainText(QString::fromLocal8Bit(child.readAllStandardOutput()));
        browser.moveCursor(QTextCursor::End);
        QCoreApplication::processEvents();
    }
    state.SetItemsProcessed(state.iterations() * characters);
}
BENCHMARK(BM_ProcessConsoleUnbroken_Baseline)->Arg(256 * 1024)->Arg(1024 * 1024)->Arg(2 * 1024 * 1024)
    ->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
