// Whole-process start-up time: the library's normal start against a bare Qt/VTK main
// window, each run as a child process that quits once its main window is exposed.
#include <benchmark/benchmark.h>

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace {

void runProcess(benchmark::State& state, const char* program)
{
    // The children's single-instance socket and runtime files stay apart from other runs.
    QTemporaryDir runtime;
    QFile::setPermissions(runtime.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    for (auto _ : state) {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QString::fromLocal8Bit(program), QStringList());
        if (!process.waitForFinished(60000) || process.exitCode() != 0) {
            state.SkipWithError("the start-up program failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_Startup(benchmark::State& state)
{
    runProcess(state, STARTUP_PELMORA);
}

void BM_Startup_Baseline(benchmark::State& state)
{
    runProcess(state, STARTUP_BARE);
}

} // namespace

BENCHMARK(BM_Startup)->Iterations(5)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Startup_Baseline)->Iterations(5)->UseRealTime()->Unit(benchmark::kMillisecond);
