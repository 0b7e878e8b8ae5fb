// Writing and reading an annotation list file of many control points, against the plain
// work on the same file: formatting the numbers with std::to_chars and writing them, and
// reading the file and parsing its numbers with std::from_chars.
#include <benchmark/benchmark.h>

#include <vtkMRMLAnnotationControlPointsNode.h>
#include <vtkMRMLAnnotationControlPointsStorageNode.h>

#include <mrml/vtkMRMLScene.h>

#include <vtkNew.h>
#include <vtkPoints.h>
#include <vtkPolyData.h>
#include <vtkSmartPointer.h>

#include <QTemporaryDir>

#include <charconv>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

namespace {

struct Fixture
{
    explicit Fixture(int points)
    {
        node->Initialize(scene);
        std::mt19937_64 random(7);
        std::uniform_real_distribution<double> coordinate(-1000.0, 1000.0);
        for (int i = 0; i < points; ++i) {
            const double p[3] = {coordinate(random), coordinate(random), coordinate(random)};
            node->AddControlPoint(p, i % 2, 1);
        }
        file = dir.path().toStdString() + "/points.acsv";
        storage->SetFileName(file.c_str());
    }

    QTemporaryDir dir;
    vtkNew<vtkMRMLScene> scene;
    vtkNew<vtkMRMLAnnotationControlPointsNode> node;
    vtkNew<vtkMRMLAnnotationControlPointsStorageNode> storage;
    std::string file;
};

std::string readWhole(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream os;
    os << in.rdbuf();
    return os.str();
}

void BM_AnnotationListWrite(benchmark::State& state)
{
    Fixture f(static_cast<int>(state.range(0)));
    for (auto _ : state)
        if (!f.storage->WriteData(f.node))
            state.SkipWithError("write failed");
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The same rows formatted with std::to_chars and written in one go.
void BM_AnnotationListWrite_Baseline(benchmark::State& state)
{
    Fixture f(static_cast<int>(state.range(0)));
    vtkPoints* points = f.node->GetPolyData()->GetPoints();
    for (auto _ : state) {
        std::string out;
        out.reserve(static_cast<size_t>(state.range(0)) * 64);
        char buffer[32];
        for (vtkIdType i = 0; i < points->GetNumberOfPoints(); ++i) {
            const double* p = points->GetPoint(i);
            out += "point";
            for (int k = 0; k < 3; ++k) {
                out += '|';
                out.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, p[k]).ptr);
            }
            out += (i % 2) ? "|1|1\n" : "|0|1\n";
        }
        std::FILE* file = std::fopen(f.file.c_str(), "wb");
        std::fwrite(out.data(), 1, out.size(), file);
        std::fclose(file);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_AnnotationListRead(benchmark::State& state)
{
    Fixture f(static_cast<int>(state.range(0)));
    f.storage->WriteData(f.node);
    vtkNew<vtkMRMLAnnotationControlPointsNode> back;
    back->Initialize(f.scene);
    for (auto _ : state) {
        if (!f.storage->ReadData(back) || back->GetNumberOfControlPoints() != state.range(0))
            state.SkipWithError("read failed");
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// Reading the same file and parsing every point row's numbers with std::from_chars.
void BM_AnnotationListRead_Baseline(benchmark::State& state)
{
    Fixture f(static_cast<int>(state.range(0)));
    f.storage->WriteData(f.node);
    for (auto _ : state) {
        const std::string content = readWhole(f.file);
        double sum = 0;
        int flags = 0;
        size_t pos = 0;
        while (pos < content.size()) {
            size_t end = content.find('\n', pos);
            if (end == std::string::npos)
                end = content.size();
            if (content.compare(pos, 6, "point|") == 0) {
                const char* p = content.data() + pos + 6;
                const char* e = content.data() + end;
                for (int k = 0; k < 3; ++k) {
                    double v = 0;
                    p = std::from_chars(p, e, v).ptr + 1;
                    sum += v;
                }
                for (int k = 0; k < 2; ++k) {
                    int v = 0;
                    p = std::from_chars(p, e, v).ptr + 1;
                    flags += v;
                }
            }
            pos = end + 1;
        }
        benchmark::DoNotOptimize(sum);
        benchmark::DoNotOptimize(flags);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

} // namespace

#define SIZES ->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)
BENCHMARK(BM_AnnotationListWrite) SIZES;
BENCHMARK(BM_AnnotationListWrite_Baseline) SIZES;
BENCHMARK(BM_AnnotationListRead) SIZES;
BENCHMARK(BM_AnnotationListRead_Baseline) SIZES;
