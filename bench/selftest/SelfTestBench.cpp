// A pair that shows how the runner pairs a benchmark with its baseline: QStringList
// appends against std::vector<QString> appends.
#include <benchmark/benchmark.h>

#include <QString>
#include <QStringList>

#include <vector>

static void BM_StringListAppend(benchmark::State& state)
{
    for (auto _ : state) {
        QStringList list;
        for (int i = 0; i < state.range(0); ++i)
            list.append(QString::number(i));
        benchmark::DoNotOptimize(list);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_StringListAppend)->Arg(1000)->Arg(100000);

static void BM_StringListAppend_Baseline(benchmark::State& state)
{
    for (auto _ : state) {
        std::vector<QString> list;
        for (int i = 0; i < state.range(0); ++i)
            list.push_back(QString::number(i));
        benchmark::DoNotOptimize(list);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_StringListAppend_Baseline)->Arg(1000)->Arg(100000);
