// Adding and then removing N picks in the entity selection, against a plain list of the
// same picks with a hash set that refuses duplicates.
#include <selection/EntitySelectionSingleton.h>

#include <obj/Application.h>

#include <benchmark/benchmark.h>

#include <string>
#include <unordered_map>
#include <vector>

namespace {

struct Pick
{
    unsigned int id;
    std::string sub;
};

std::vector<Pick> picks(int n)
{
    std::vector<Pick> result;
    result.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        result.push_back(Pick{static_cast<unsigned int>(i / 8 + 1), "Face" + std::to_string(i % 8 + 1)});
    return result;
}

Obj::Application& logic()
{
    static char arg0[] = "bench";
    static char* argv[] = {arg0, nullptr};
    static Obj::Application* app = [] {
        auto* a = new Obj::Application(1, argv, {});
        a->create_project("P");
        return a;
    }();
    return *app;
}

} // namespace

static void BM_EntitySelectionAddRemove(benchmark::State& state)
{
    logic();
    const auto all = picks(static_cast<int>(state.range(0)));
    Gui::EntitySelectionSingleton& selection = Gui::EntitySelectionSingleton::instance();
    for (auto _ : state) {
        for (const Pick& p : all)
            selection.add_selection("P", p.id, p.sub.c_str(), 1.f, 2.f, 3.f);
        for (const Pick& p : all)
            selection.remove_selection("P", p.id, p.sub);
        benchmark::DoNotOptimize(selection.has_selection());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_EntitySelectionAddRemove)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

static void BM_EntitySelectionAddRemove_Baseline(benchmark::State& state)
{
    struct Entry
    {
        std::string project;
        unsigned int id;
        std::string sub;
        float x, y, z;
        bool alive;
    };
    const auto all = picks(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        std::vector<Entry> entries;
        std::unordered_map<std::string, std::size_t> index;
        for (const Pick& p : all) {
            std::string key = "P." + std::to_string(p.id) + "." + p.sub;
            if (index.emplace(std::move(key), entries.size()).second)
                entries.push_back(Entry{"P", p.id, p.sub, 1.f, 2.f, 3.f, true});
        }
        for (const Pick& p : all) {
            const auto it = index.find("P." + std::to_string(p.id) + "." + p.sub);
            if (it != index.end()) {
                entries[it->second].alive = false;
                index.erase(it);
            }
        }
        benchmark::DoNotOptimize(entries.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_EntitySelectionAddRemove_Baseline)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);
