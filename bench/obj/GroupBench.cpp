// Removing the members of a large group one by one (deleting the points of an annotation
// group), against a plain ordered list with a hash of its positions.
#include <benchmark/benchmark.h>

#include <obj/ProjectObject.h>

#include <QHash>

#include <list>
#include <memory>
#include <vector>

namespace {

std::vector<std::unique_ptr<Obj::ProjectObject>> makeObjects(const benchmark::State& state)
{
    std::vector<std::unique_ptr<Obj::ProjectObject>> objects;
    for (int i = 0; i < state.range(0); ++i)
        objects.push_back(std::make_unique<Obj::ProjectObject>());
    return objects;
}

// Newest member first: a list searched from its front pays for the whole group each time.
void BM_GroupRemoveMember(benchmark::State& state)
{
    const auto objects = makeObjects(state);
    for (auto _ : state) {
        state.PauseTiming();
        auto group = std::make_unique<Obj::ProjectObjectGroup>();
        for (const auto& object : objects)
            group->add_object(object.get());
        state.ResumeTiming();
        for (auto it = objects.rbegin(); it != objects.rend(); ++it)
            group->remove_member(it->get());
        benchmark::DoNotOptimize(group->get_objects().size());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_GroupRemoveMember_Baseline(benchmark::State& state)
{
    const auto objects = makeObjects(state);
    for (auto _ : state) {
        state.PauseTiming();
        std::list<Obj::ProjectObject*> members;
        QHash<const Obj::ProjectObject*, std::list<Obj::ProjectObject*>::iterator> where;
        for (const auto& object : objects)
            where.insert(object.get(), members.insert(members.end(), object.get()));
        state.ResumeTiming();
        for (auto it = objects.rbegin(); it != objects.rend(); ++it) {
            auto found = where.find(it->get());
            members.erase(found.value());
            where.erase(found);
        }
        benchmark::DoNotOptimize(members.size());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

} // namespace

BENCHMARK(BM_GroupRemoveMember)->Arg(100)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GroupRemoveMember_Baseline)->Arg(100)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
