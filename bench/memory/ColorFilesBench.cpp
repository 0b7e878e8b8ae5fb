// What a colour file costs each project's scene: the colour logic attaching fresh scenes
// to a colour folder holding one procedural file of 1,024 to 4,096 points, against plain
// VTK building that transfer function point by point for every scene (as each project
// read it before); and the time and heap bytes a project's scene takes for a folder of
// 0, 500 and 5,000 one-entry tables (the scene makes their nodes only when asked for, so
// the figures should not grow with the folder; 0 is the baseline).  Figures:
// "ms_per_project" and "bytes_per_project".  And what a project costs the colour picker
// (the list of tables it shows, the default table chosen) for a folder of 10 to 10,000
// tables, against plain Qt filling a QComboBox with the same tables and finding the default
// by its data for every project: ours should stay flat per project, the baseline grows.

#include <colors/vtkVizColorLogic.h>

#include <mrml/vtkMRMLScene.h>
#include <qmrml/qMRMLColorPickerWidget.h>

#include <benchmark/benchmark.h>

#include <vtkColorTransferFunction.h>
#include <vtkNew.h>
#include <vtkObject.h>
#include <vtkSmartPointer.h>

#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QStringList>
#include <QFile>
#include <QTemporaryDir>

#include <malloc.h>
#include <utime.h>

#include <cstdlib>
#include <ctime>
#include <vector>

namespace {

constexpr int Projects = 50;

size_t heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// A home whose colour folder holds what `fill` writes there; PELMORA_HOME names it.
struct ColourHome
{
    QTemporaryDir dir;
    QString folder;
    ColourHome()
    {
        folder = QDir(dir.path()).filePath(QStringLiteral("share/Pelmora-2.1/ColorFiles"));
        QDir().mkpath(folder);
        qputenv("PELMORA_HOME", dir.path().toUtf8());
    }
    void write(const QString& name, const QByteArray& bytes) const
    {
        QFile out(QDir(folder).filePath(name));
        out.open(QIODevice::WriteOnly);
        out.write(bytes);
    }
    // A folder that changed within the last seconds is looked through again for every
    // project: the figures are those of a folder the user filled some time ago.
    void settle() const
    {
        const struct utimbuf hourAgo{std::time(nullptr) - 3600, std::time(nullptr) - 3600};
        ::utime(QFile::encodeName(folder).constData(), &hourAgo);
    }
};

QByteArray ramp(int points)
{
    QByteArray bytes;
    for (int i = 0; i < points; ++i)
        bytes += QByteArray::number(i) + ' ' + QByteArray::number((i % 256) / 255.0) + " 0.5 0.5\n";
    return bytes;
}

void BM_ProceduralFilePerProject(benchmark::State& state)
{
    ColourHome home;
    home.write(QStringLiteral("ramp.pcf"), ramp(int(state.range(0))));
    home.settle();
    vtkObject::GlobalWarningDisplayOff();
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        for (int p = 0; p < Projects; ++p) {
            vtkNew<vtkVizColorLogic> logic;
            vtkNew<vtkMRMLScene> scene;
            logic->SetMRMLScene(scene);
            logic->SetMRMLScene(nullptr);
        }
        state.counters["ms_per_project"] = double(timer.nsecsElapsed()) / 1e6 / Projects;
    }
}

void BM_ProceduralFilePerProject_Baseline(benchmark::State& state)
{
    // The same points, added one by one to a transfer function of every project.
    std::vector<double> x;
    for (int i = 0; i < state.range(0); ++i)
        x.push_back(i);
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        for (int p = 0; p < Projects; ++p) {
            vtkNew<vtkColorTransferFunction> function;
            for (size_t i = 0; i < x.size(); ++i)
                function->AddRGBPoint(x[i], (int(i) % 256) / 255.0, 0.5, 0.5);
        }
        state.counters["ms_per_project"] = double(timer.nsecsElapsed()) / 1e6 / Projects;
    }
}

void BM_TableFilesPerProject(benchmark::State& state)
{
    ColourHome home;
    for (int i = 0; i < state.range(0); ++i)
        home.write(QStringLiteral("t%1.txt").arg(i), "0 c 1 2 3 255\n");
    home.settle();
    vtkObject::GlobalWarningDisplayOff();
    vtkNew<vtkVizColorLogic> logic;
    {
        // The first scene reads the files; the figures are those of the scenes after it.
        vtkNew<vtkMRMLScene> first;
        logic->SetMRMLScene(first);
        logic->SetMRMLScene(nullptr);
    }
    for (auto _ : state) {
        std::vector<vtkSmartPointer<vtkMRMLScene>> scenes;
        const size_t before = heapInUse();
        QElapsedTimer timer;
        timer.start();
        for (int p = 0; p < Projects; ++p) {
            scenes.push_back(vtkSmartPointer<vtkMRMLScene>::New());
            logic->SetMRMLScene(scenes.back());
        }
        state.counters["ms_per_project"] = double(timer.nsecsElapsed()) / 1e6 / Projects;
        state.counters["bytes_per_project"] = double(heapInUse() - before) / Projects;
        logic->SetMRMLScene(nullptr);
    }
}

// A folder of `tables` one-entry tables and the picker's default table among them.
void writeTables(const ColourHome& home, int tables)
{
    home.write(QStringLiteral("HotToColdRainbow.txt"), "0 hot 255 0 0 255\n");
    for (int i = 0; i < tables; ++i)
        home.write(QStringLiteral("t%1.txt").arg(i), "0 c 1 2 3 255\n");
    home.settle();
}

void BM_PickerPerProject(benchmark::State& state)
{
    ColourHome home;
    writeTables(home, int(state.range(0)));
    vtkObject::GlobalWarningDisplayOff();
    vtkNew<vtkVizColorLogic> logic;
    qMRMLColorPickerWidget picker;
    picker.setMRMLColorLogic(logic);
    std::vector<vtkSmartPointer<vtkMRMLScene>> scenes;
    const auto project = [&] {
        scenes.push_back(vtkSmartPointer<vtkMRMLScene>::New());
        logic->SetMRMLScene(scenes.back());
        picker.setMRMLScene(scenes.back());
    };
    project(); // the first project reads the folder
    // Reading the folder leaves the heap full of freed blocks that every later allocation
    // would sort through first: the figures are those of a program that has settled.
    malloc_trim(0);
    for (auto _ : state) {
        for (int p = 0; p < Projects; ++p)
            project();
        state.PauseTiming();
        picker.setMRMLScene(nullptr);
        logic->SetMRMLScene(nullptr);
        scenes.clear();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * Projects);
}

void BM_PickerPerProject_Baseline(benchmark::State& state)
{
    // Plain Qt: the same tables' names and IDs in a combo box of every project, the
    // default found by its data.
    const int tables = int(state.range(0)) + 1;
    QStringList names;
    QStringList ids;
    for (int i = 0; i < tables; ++i) {
        names << (i == tables / 2 ? QStringLiteral("HotToColdRainbow") : QStringLiteral("t%1").arg(i));
        ids << QStringLiteral("vtkMRMLColorTableNodeFile") + names.back() + QStringLiteral(".txt");
    }
    QComboBox combo;
    for (auto _ : state) {
        for (int p = 0; p < Projects; ++p) {
            combo.clear();
            for (int i = 0; i < tables; ++i)
                combo.addItem(names[i], ids[i]);
            combo.setCurrentIndex(combo.findData(QStringLiteral("vtkMRMLColorTableNodeFileHotToColdRainbow.txt")));
        }
    }
    state.SetItemsProcessed(state.iterations() * Projects);
}

} // namespace

BENCHMARK(BM_PickerPerProject)->Arg(10)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PickerPerProject_Baseline)->Arg(10)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProceduralFilePerProject)->Arg(1024)->Arg(2048)->Arg(4096)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProceduralFilePerProject_Baseline)->Arg(1024)->Arg(2048)->Arg(4096)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TableFilesPerProject)->Arg(0)->Arg(500)->Arg(5000)->Iterations(1)->Unit(benchmark::kMillisecond);
