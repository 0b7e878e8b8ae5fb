// Adding N lines between 200 control points to an annotation lines node, each line added
// twice (the second time it is found and updated), against plain VTK doing the same: the
// lines in a vtkCellArray, their two attributes in vtkIntArrays, and a hash from the pair
// of end points to the line.
#include <vtkMRMLAnnotationLinesNode.h>

#include <benchmark/benchmark.h>
#include <vtkCellArray.h>
#include <vtkIntArray.h>
#include <vtkNew.h>

#include <cstdint>
#include <unordered_map>

namespace {

constexpr int Points = 200;

int lineStart(int i)
{
    return i % Points;
}

int lineEnd(int i)
{
    return (i / Points + i % Points + 1) % Points;
}

} // namespace

static void BM_LinesNodeAddLines(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        vtkNew<vtkMRMLAnnotationLinesNode> node;
        for (int i = 0; i < Points; ++i) {
            const double p[3] = {double(i), 0, 0};
            node->AddControlPoint(p, 0, 1);
        }
        state.ResumeTiming();
        for (int round = 0; round < 2; ++round)
            for (int i = 0; i < n; ++i)
                benchmark::DoNotOptimize(node->AddLine(lineStart(i), lineEnd(i), round, 1));
    }
    state.SetItemsProcessed(state.iterations() * 2 * state.range(0));
}

static void BM_LinesNodeAddLines_Baseline(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        vtkNew<vtkCellArray> lines;
        vtkNew<vtkIntArray> selected;
        vtkNew<vtkIntArray> visible;
        std::unordered_map<std::uint64_t, vtkIdType> index;
        for (int round = 0; round < 2; ++round)
            for (int i = 0; i < n; ++i) {
                const std::uint64_t key = (std::uint64_t(lineStart(i)) << 32) | std::uint64_t(lineEnd(i));
                const auto found = index.find(key);
                if (found != index.end()) {
                    selected->SetValue(found->second, round);
                    visible->SetValue(found->second, 1);
                    continue;
                }
                const vtkIdType ends[2] = {lineStart(i), lineEnd(i)};
                index.emplace(key, lines->InsertNextCell(2, ends));
                selected->InsertNextValue(round);
                visible->InsertNextValue(1);
            }
        benchmark::DoNotOptimize(lines->GetNumberOfCells());
    }
    state.SetItemsProcessed(state.iterations() * 2 * state.range(0));
}

BENCHMARK(BM_LinesNodeAddLines)->Arg(3000)->Arg(30000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LinesNodeAddLines_Baseline)->Arg(3000)->Arg(30000)->Unit(benchmark::kMillisecond);
