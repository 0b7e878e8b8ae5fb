// Heap bytes per project object: the logic with the GUI application attached (feeders,
// tree and scene book-keeping) against the logic alone holding the same objects.  The
// figures are the counters "bytes_per_object"; the time is that of adding the objects.

#include <commands/SimModule.h>
#include <core/GfxDatabase.h>
#include <core/qPelmoraApplication.h>

#include <femgui/FemGui.h>
#include <obj/Application.h>
#include <obj/Project.h>
#include <pmmsg/Message.h>

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include <malloc.h>

#include <map>
#include <memory>
#include <string>

namespace {

size_t heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

void registerTypes()
{
    static bool done = false;
    if (done)
        return;
    Obj::Application::init_types();
    Gui::qPelmoraApplication::initialize_application();
    Gui::GfxDatabase::init();
    FemGui::initModule();
    done = true;
}

void measure(benchmark::State& state, bool withGui)
{
    registerTypes();
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        std::map<std::string, std::string> config;
        config["UserAppData"] = dir.path().toStdString() + "/";
        config["AppHomePath"] = dir.path().toStdString() + "/";
        char name[8] = "pelmora";
        char* argv[2] = {name, nullptr};
        auto logic = std::make_unique<Obj::Application>(1, argv, std::move(config));
        std::unique_ptr<Gui::qPelmoraApplication> app;
        if (withGui)
            app = std::make_unique<Gui::qPelmoraApplication>(true);
        pmMsg::runCommand(pmMsg::CMD_NEW_PROJECT, 1, {"Big"});
        Obj::Project* project = logic->get_current_project();
        QCoreApplication::processEvents();
        const size_t before = heapInUse();
        state.ResumeTiming();
        for (int i = 0; i < state.range(0); ++i)
            project->add_object("Obj::ProjectObject", "Object");
        state.PauseTiming();
        QCoreApplication::processEvents();
        const size_t after = heapInUse();
        state.counters["bytes_per_object"] = double(after - before) / double(state.range(0));
        logic->close_project("Big");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        app.reset();
        Gui::SimModuleController::destruct();
        logic.reset();
        pmMsg::Journal::clear();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_ObjectMemory(benchmark::State& state)
{
    measure(state, true);
}

void BM_ObjectMemory_Baseline(benchmark::State& state)
{
    measure(state, false);
}

} // namespace

BENCHMARK(BM_ObjectMemory)->Arg(1000)->Arg(100000)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ObjectMemory_Baseline)->Arg(1000)->Arg(100000)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
