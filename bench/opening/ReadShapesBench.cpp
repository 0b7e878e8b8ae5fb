// Reading a binary STL file into a model (corners shared) for the coordinates a user's
// files have: whole numbers, halves, powers of two and arbitrary ones, from ten thousand
// to five million triangles, against VTK's own STL reader reading the same file in the
// same run without sharing corners (its locator bins the bounds evenly: powers of two,
// spread over 2^-60 to 2^59, would pile into one bin and take hours).  The cost per triangle should
// not depend on the coordinates nor grow with the size: "vs_random" is the cost per
// triangle over that of arbitrary coordinates of the same size, "probes_per_point" the
// table slots read to join a corner.
#include <benchmark/benchmark.h>
#include <platform/mrml/ModelShapes.h>

#include <mrml/MRMLSharedPoints.h>
#include <mrml/vtkMRMLModelStorageNode.h>

#include <vtkNew.h>
#include <vtkPolyData.h>
#include <vtkSTLReader.h>
#include <vtkSmartPointer.h>

#include <QDir>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <utility>

namespace {

using ModelShapes::Shape;

// The file of one shape and size, written when first asked for; the last one is removed
// when another is asked for (five million triangles are 250 MB).
const std::string& shapeFile(Shape shape, int triangles)
{
    static QTemporaryDir dir;
    static std::pair<Shape, int> current{Shape::Random, -1};
    static std::string path;
    if (current != std::make_pair(shape, triangles)) {
        if (!path.empty())
            std::remove(path.c_str());
        path = QDir(dir.path()).filePath(QStringLiteral("grid.stl")).toStdString();
        ModelShapes::writeBinaryStl(path, ModelShapes::triangleCorners(shape, triangles));
        current = {shape, triangles};
    }
    return path;
}

std::map<int, double>& randomSecondsPerTriangle()
{
    static std::map<int, double> measured;
    return measured;
}

void readShape(benchmark::State& state, Shape shape)
{
    const int triangles = static_cast<int>(state.range(0));
    const std::string& file = shapeFile(shape, triangles);
    const auto before = mrmlmodelfile::sharedPointsWork();
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        std::string error;
        vtkSmartPointer<vtkPolyData> data
            = vtkSmartPointer<vtkPolyData>::Take(vtkMRMLModelStorageNode::ReadPolyData(file.c_str(), error));
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (!data) {
            state.SkipWithError(error.c_str());
            return;
        }
        state.PauseTiming();
        data = nullptr;
        state.ResumeTiming();
    }
    const auto after = mrmlmodelfile::sharedPointsWork();
    const double perTriangle = seconds / double(state.iterations()) / triangles;
    if (shape == Shape::Random)
        randomSecondsPerTriangle()[triangles] = perTriangle;
    const auto random = randomSecondsPerTriangle().find(triangles);
    if (random != randomSecondsPerTriangle().end() && random->second > 0)
        state.counters["vs_random"] = perTriangle / random->second;
    state.counters["probes_per_point"] = double(after.probes - before.probes) / double(std::max<std::uint64_t>(1, after.points - before.points));
    state.SetItemsProcessed(state.iterations() * triangles);
}

void readShapeWithVtk(benchmark::State& state, Shape shape)
{
    const int triangles = static_cast<int>(state.range(0));
    const std::string& file = shapeFile(shape, triangles);
    for (auto _ : state) {
        vtkNew<vtkSTLReader> reader;
        reader->SetFileName(file.c_str());
        reader->MergingOff();
        reader->Update();
        if (reader->GetOutput()->GetNumberOfPolys() != triangles) {
            state.SkipWithError("VTK's reader did not read every triangle");
            return;
        }
    }
    state.SetItemsProcessed(state.iterations() * triangles);
}

// Arbitrary coordinates first: the others are compared with them.
void BM_ReadStlRandom(benchmark::State& state) { readShape(state, Shape::Random); }
void BM_ReadStlRandom_Baseline(benchmark::State& state) { readShapeWithVtk(state, Shape::Random); }
void BM_ReadStlInteger(benchmark::State& state) { readShape(state, Shape::Integer); }
void BM_ReadStlInteger_Baseline(benchmark::State& state) { readShapeWithVtk(state, Shape::Integer); }
void BM_ReadStlHalfInteger(benchmark::State& state) { readShape(state, Shape::HalfInteger); }
void BM_ReadStlHalfInteger_Baseline(benchmark::State& state) { readShapeWithVtk(state, Shape::HalfInteger); }
void BM_ReadStlPowerOfTwo(benchmark::State& state) { readShape(state, Shape::PowerOfTwo); }
void BM_ReadStlPowerOfTwo_Baseline(benchmark::State& state) { readShapeWithVtk(state, Shape::PowerOfTwo); }

// Each size of each shape with its baseline next to it, so that each file is written once.
void sizes(benchmark::internal::Benchmark* b)
{
    b->Unit(benchmark::kMillisecond)->Iterations(2);
}

} // namespace

#define READ_SHAPE(name)                                                                                      \
    BENCHMARK(name)->Arg(10000)->Apply(sizes);                                                                \
    BENCHMARK(name##_Baseline)->Arg(10000)->Apply(sizes);                                                     \
    BENCHMARK(name)->Arg(100000)->Apply(sizes);                                                               \
    BENCHMARK(name##_Baseline)->Arg(100000)->Apply(sizes);                                                    \
    BENCHMARK(name)->Arg(1000000)->Apply(sizes);                                                              \
    BENCHMARK(name##_Baseline)->Arg(1000000)->Apply(sizes);                                                   \
    BENCHMARK(name)->Arg(5000000)->Apply(sizes);                                                              \
    BENCHMARK(name##_Baseline)->Arg(5000000)->Apply(sizes);

READ_SHAPE(BM_ReadStlRandom)
READ_SHAPE(BM_ReadStlInteger)
READ_SHAPE(BM_ReadStlHalfInteger)
READ_SHAPE(BM_ReadStlPowerOfTwo)
