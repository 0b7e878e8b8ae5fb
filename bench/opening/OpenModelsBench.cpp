// The whole path of opening model files, as whole processes: the application started on N
// small STL files (a project, feeder, model node and 3D view for each, until the window
// shows them) against a bare Qt/VTK program that reads the same files into actors of one
// render window, in the same run.  Each figure comes from the finished child: wall time,
// processor time and peak memory; the counters give the cost per file beyond a start
// without files.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <map>
#include <string>
#include <vector>

#include <support/ChildProcessCost.h>
#include <support/SmallModelFiles.h>

namespace {

using PelmoraTest::ChildProcessCost;

bool ranWell(const ChildProcessCost& cost)
{
    return cost.started && cost.exitCode == 0;
}

// Fifty copies of a small model, under separate names.
class Models
{
public:
    Models()
    {
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir.path()));
        files = PelmoraTest::writeSmallModelFiles(dir.path(), 50);
        shot = QFile::encodeName(dir.filePath(QStringLiteral("shot.png"))).toStdString();
    }

    std::vector<std::string> command(const char* program, int n) const
    {
        std::vector<std::string> argv{program, "--screenshot", shot};
        argv.insert(argv.end(), files.begin(), files.begin() + n);
        return argv;
    }

private:
    QTemporaryDir dir;
    std::vector<std::string> files;
    std::string shot;
};

const Models& models()
{
    static const Models m;
    return m;
}

// A start of the same program without files, measured once: what the files add is
// counted against it.
const ChildProcessCost& emptyStart(const char* program)
{
    static std::map<std::string, ChildProcessCost> measured;
    auto it = measured.find(program);
    if (it == measured.end())
        it = measured.emplace(program, PelmoraTest::runChildProcess(models().command(program, 0))).first;
    return it->second;
}

void openModels(benchmark::State& state, const char* program)
{
    const int n = static_cast<int>(state.range(0));
    const ChildProcessCost& empty = emptyStart(program);
    if (!ranWell(empty)) {
        state.SkipWithError("the program failed to start without files");
        return;
    }
    double peak = 0, cpu = 0;
    for (auto _ : state) {
        const ChildProcessCost cost = PelmoraTest::runChildProcess(models().command(program, n));
        if (!ranWell(cost)) {
            state.SkipWithError("the program failed to open the files");
            return;
        }
        state.SetIterationTime(cost.wallSeconds);
        peak += cost.peakMiB;
        cpu += cost.cpuSeconds;
    }
    const double runs = static_cast<double>(state.iterations());
    state.SetItemsProcessed(state.iterations() * n);
    state.counters["peak_MiB"] = peak / runs;
    state.counters["MiB_per_file"] = (peak / runs - empty.peakMiB) / n;
    state.counters["cpu_ms_per_file"] = 1000.0 * (cpu / runs - empty.cpuSeconds) / n;
}

void BM_OpenModels(benchmark::State& state)
{
    openModels(state, PELMORA_HOST);
}

void BM_OpenModels_Baseline(benchmark::State& state)
{
    openModels(state, OPEN_BARE);
}

} // namespace

BENCHMARK(BM_OpenModels)->Arg(1)->Arg(10)->Arg(50)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenModels_Baseline)->Arg(1)->Arg(10)->Arg(50)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
