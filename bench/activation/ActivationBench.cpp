// The main window's periodic activation check over placed commands, against the plain Qt
// loop that sets the enabled state of as many actions.  The check must not allocate:
// every allocation made during the timed loop is counted and reported.

#include <commands/Command.h>
#include <commands/CommandAction.h>

#include <benchmark/benchmark.h>

#include <QAction>
#include <QMenu>
#include <QToolBar>

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace {
std::atomic<long> allocations{0};
std::atomic<bool> counting{false};
} // namespace

// Every heap allocation of the process, Qt's containers included, goes through these.
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* p, std::size_t size);

void* malloc(std::size_t size) noexcept
{
    if (counting.load(std::memory_order_relaxed))
        allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_malloc(size);
}

void* calloc(std::size_t count, std::size_t size) noexcept
{
    if (counting.load(std::memory_order_relaxed))
        allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_calloc(count, size);
}

void* realloc(void* p, std::size_t size) noexcept
{
    if (counting.load(std::memory_order_relaxed))
        allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_realloc(p, size);
}
}

namespace {

class BenchCommand : public Gui::Command
{
public:
    BenchCommand(const char* name, bool applicable) : Gui::Command(name), applicable(applicable)
    {
        sMenuText = name;
        sToolTipText = name;
    }
    const char* get_class_name() const override { return "BenchCommand"; }
    void activated(int) override {}
    bool is_applicable() override { return applicable; }
    bool applicable;
};

// Commands placed into a menu and a toolbar, as a module lays them out.
struct PlacedCommands
{
    explicit PlacedCommands(int count)
    {
        for (int i = 0; i < count; ++i) {
            names.push_back(std::make_unique<std::string>("Bench_" + std::to_string(i)));
            controller.new_command(new BenchCommand(names.back()->c_str(), i % 3 != 0));
            controller.add_to(names.back()->c_str(), &menu);
            controller.add_to(names.back()->c_str(), &bar);
        }
        // Unplaced commands are registered too; the check skips them.
        for (int i = 0; i < count / 5; ++i) {
            names.push_back(std::make_unique<std::string>("Unplaced_" + std::to_string(i)));
            controller.new_command(new BenchCommand(names.back()->c_str(), true));
        }
    }
    std::vector<std::unique_ptr<std::string>> names;
    Gui::CommandController controller;
    QMenu menu;
    QToolBar bar;
};

void BM_ActivationCheck(benchmark::State& state)
{
    // The counter must see Qt's own allocations, or a zero below proves nothing.
    allocations = 0;
    counting = true;
    benchmark::DoNotOptimize(QString(64, QLatin1Char('x')));
    counting = false;
    if (allocations.load() == 0) {
        state.SkipWithError("allocations are not being counted");
        return;
    }
    PlacedCommands placed(static_cast<int>(state.range(0)));
    placed.controller.check_activation();
    allocations = 0;
    counting = true;
    for (auto _ : state)
        placed.controller.check_activation();
    counting = false;
    const long made = allocations.load();
    state.counters["allocs_per_check"] = benchmark::Counter(
        static_cast<double>(made) / static_cast<double>(state.iterations()));
    if (made != 0)
        state.SkipWithError("the activation check allocated");
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ActivationCheck)->Arg(100)->Arg(500)->Arg(2000);

// The same work in plain Qt: ask a flag and set the enabled state of each action.
void BM_ActivationCheck_Baseline(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    QMenu menu;
    QToolBar bar;
    std::vector<QAction*> actions;
    std::vector<bool> applicable;
    for (int i = 0; i < count; ++i) {
        auto* action = new QAction(QString::fromLatin1("Bench_%1").arg(i), &menu);
        menu.addAction(action);
        bar.addAction(action);
        actions.push_back(action);
        applicable.push_back(i % 3 != 0);
    }
    for (auto _ : state) {
        for (int i = 0; i < count; ++i)
            actions[static_cast<std::size_t>(i)]->setEnabled(applicable[static_cast<std::size_t>(i)]);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ActivationCheck_Baseline)->Arg(100)->Arg(500)->Arg(2000);

} // namespace
