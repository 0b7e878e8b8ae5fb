// The host started hidden on a project file of N projects holding ten objects each (a
// tab, a document window, a tree branch and a scene per project, ten object items and
// feeders), against a file of N empty projects started the same way in the same run: the
// ratio is what the objects add, and the growth of the cost per project from 1,000 to
// 20,000 projects shows whether anything on the path grows with the projects already
// open.  Each figure is the whole process, opening and closing, from the operating
// system's accounting of the finished child.
//
// Then a small project file opened over such a file in a window, as a user does with
// Ctrl+O: every project of the first file closes before the second one opens.  The time
// of that step, against the same step over as many empty projects, and its growth per
// project from 1,000 to 20,000 projects, show whether closing a project costs in
// proportion to the projects still open; the ratio to the time the first file took to
// open is printed too.
//
// And the other way round, with the window shown: a file of N projects opened with Ctrl+O
// over two open projects, against the same file opened into an empty solution in the same
// run.  The ratio is what opening over open projects adds, and should stay near 1 from
// 1,000 to 20,000 projects.
#include <benchmark/benchmark.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdint>
#include <map>
#include <string>

#include <support/ChildProcessCost.h>

namespace {

constexpr int ObjectsPerProject = 10;

std::uint32_t crc32(const std::string& bytes)
{
    std::uint32_t c = 0xFFFFFFFFu;
    for (const char b : bytes) {
        c ^= static_cast<unsigned char>(b);
        for (int k = 0; k < 8; ++k)
            c = (c & 1u) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    }
    return c ^ 0xFFFFFFFFu;
}

std::string hex8(std::uint32_t value)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (int shift = 28; shift >= 0; shift -= 4)
        out += digits[(value >> shift) & 0xFu];
    return out;
}

// Written as the logic writes its project files.
bool writeProjects(const std::string& path, int projects, int objects)
{
    std::string body = "PELMORA PROJECT FILE\nversion\t1\n";
    for (int p = 0; p < projects; ++p) {
        body += "project\tP" + std::to_string(p) + "\t1\tFemGui::ViewFeederProjectFem\n";
        for (int o = 1; o <= objects; ++o)
            body += "object\t" + std::to_string(o) + "\tObj::ProjectObject\tPart " + std::to_string(o) + "\t0\n";
    }
    const std::string bytes = body + "end\t" + hex8(crc32(body)) + "\n";
    QFile out(QString::fromStdString(path));
    return out.open(QIODevice::WriteOnly)
           && out.write(bytes.data(), static_cast<qint64>(bytes.size())) == static_cast<qint64>(bytes.size());
}

class Files
{
public:
    Files()
    {
        // The host's settings and runtime files stay in this run's folder.
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir.path()));
        qputenv("HOME", QFile::encodeName(dir.path()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath(QStringLiteral(".config"))));
        qputenv("XDG_DATA_HOME", QFile::encodeName(dir.filePath(QStringLiteral(".local/share"))));
    }

    // The file of `projects` projects of `objects` objects each, written once.
    const std::string& file(int projects, int objects)
    {
        const auto key = std::make_pair(projects, objects);
        auto it = written.find(key);
        if (it == written.end()) {
            const QString name = QStringLiteral("%1 x %2.pmdb").arg(projects).arg(objects);
            std::string path = QFile::encodeName(dir.filePath(name)).toStdString();
            if (!writeProjects(path, projects, objects))
                path.clear();
            it = written.emplace(key, path).first;
        }
        return it->second;
    }

private:
    QTemporaryDir dir;
    std::map<std::pair<int, int>, std::string> written;
};

Files& files()
{
    static Files instance;
    return instance;
}

void openProjects(benchmark::State& state, int objects)
{
    const int projects = static_cast<int>(state.range(0));
    const std::string& file = files().file(projects, objects);
    if (file.empty()) {
        state.SkipWithError("cannot write the project file");
        return;
    }
    double peak = 0, cpu = 0;
    for (auto _ : state) {
        const PelmoraTest::ChildProcessCost cost = PelmoraTest::runChildProcess({PELMORA_HOST, "--hidden", file});
        if (!cost.started || cost.exitCode != 0) {
            state.SkipWithError("the host did not open the file and end well");
            return;
        }
        state.SetIterationTime(cost.wallSeconds);
        peak += cost.peakMiB;
        cpu += cost.cpuSeconds;
    }
    const double runs = static_cast<double>(state.iterations());
    state.SetItemsProcessed(state.iterations() * projects);
    state.counters["peak_MiB"] = peak / runs;
    state.counters["KiB_per_project"] = peak / runs * 1024.0 / projects;
    state.counters["cpu_ms_per_project"] = 1000.0 * cpu / runs / projects;
}

void BM_OpenProjectsOfTenObjects(benchmark::State& state)
{
    openProjects(state, ObjectsPerProject);
}

// The same number of projects without objects.
void BM_OpenProjectsOfTenObjects_Baseline(benchmark::State& state)
{
    openProjects(state, 0);
}

// The figure `key` of the driver's output ("key=value" lines); -1 when missing.
double figure(const QByteArray& out, const QByteArray& key)
{
    for (const QByteArray& line : out.split('\n'))
        if (line.startsWith(key + '='))
            return line.mid(key.size() + 1).toDouble();
    return -1;
}

// Runs the driver: `second` opened over `first` ("-": over nothing); `opened` projects
// are expected afterwards.
void runOpenOver(benchmark::State& state, const std::string& first, const std::string& second, int firstProjects,
                 int opened)
{
    const int projects = static_cast<int>(state.range(0));
    double open = 0, over = 0;
    for (auto _ : state) {
        QProcess driver;
        driver.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        driver.start(QString::fromUtf8(OPEN_OVER_DRIVER), {QString::fromStdString(first), QString::fromStdString(second),
                                                         QString::number(firstProjects)});
        if (!driver.waitForFinished(-1) || driver.exitStatus() != QProcess::NormalExit || driver.exitCode() != 0) {
            state.SkipWithError("the driver did not end well");
            return;
        }
        const QByteArray out = driver.readAllStandardOutput();
        if (figure(out, "projects") != opened || figure(out, "over_ms") < 0) {
            state.SkipWithError("the second file did not replace the first one's projects");
            return;
        }
        state.SetIterationTime(figure(out, "over_ms") / 1000.0);
        open += figure(out, "open_ms");
        over += figure(out, "over_ms");
    }
    const double runs = static_cast<double>(state.iterations());
    state.SetItemsProcessed(state.iterations() * projects);
    state.counters["open_ms"] = open / runs;
    state.counters["over_to_open"] = open > 0 ? over / open : 0;
    state.counters["over_ms_per_project"] = over / runs / projects;
}

void openOver(benchmark::State& state, int objects)
{
    const int projects = static_cast<int>(state.range(0));
    const std::string& first = files().file(projects, objects);
    const std::string& second = files().file(1, ObjectsPerProject);
    if (first.empty() || second.empty()) {
        state.SkipWithError("cannot write the project files");
        return;
    }
    runOpenOver(state, first, second, projects, 1);
}

void BM_OpenOverProjectsOfTenObjects(benchmark::State& state)
{
    openOver(state, ObjectsPerProject);
}

// Opened over as many projects without objects.
void BM_OpenOverProjectsOfTenObjects_Baseline(benchmark::State& state)
{
    openOver(state, 0);
}

// N projects of ten objects opened in the shown window over two open projects.
void BM_OpenManyOverTwoProjects(benchmark::State& state)
{
    const int projects = static_cast<int>(state.range(0));
    const std::string& first = files().file(2, ObjectsPerProject);
    const std::string& second = files().file(projects, ObjectsPerProject);
    if (first.empty() || second.empty()) {
        state.SkipWithError("cannot write the project files");
        return;
    }
    runOpenOver(state, first, second, 2, projects);
}

// The same file opened in the shown window into an empty solution.
void BM_OpenManyOverTwoProjects_Baseline(benchmark::State& state)
{
    const int projects = static_cast<int>(state.range(0));
    const std::string& second = files().file(projects, ObjectsPerProject);
    if (second.empty()) {
        state.SkipWithError("cannot write the project file");
        return;
    }
    runOpenOver(state, "-", second, 0, projects);
}

} // namespace

BENCHMARK(BM_OpenProjectsOfTenObjects)->Arg(1000)->Arg(4000)->Arg(20000)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenProjectsOfTenObjects_Baseline)->Arg(1000)->Arg(4000)->Arg(20000)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenOverProjectsOfTenObjects)->Arg(1000)->Arg(4000)->Arg(8000)->Arg(20000)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenOverProjectsOfTenObjects_Baseline)->Arg(1000)->Arg(4000)->Arg(8000)->Arg(20000)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenManyOverTwoProjects)->Arg(1000)->Arg(5000)->Arg(20000)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenManyOverTwoProjects_Baseline)->Arg(1000)->Arg(5000)->Arg(20000)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
