// Groups nested deep, with the project tree on screen.  A project file holding a chain of
// N groups, each the only member of the one before, opened and pasted, against a flat file
// of N plain objects opened and pasted the same way: the cost per object should be alike
// and stay flat as N grows, up to the object limit.  The chain is written outermost first,
// or innermost first (a copy of it is pasted); either order should cost the same.  And deleting a group that holds a group of K objects (the
// inner group goes with it, its K objects move up in the tree), against a plain
// QTreeWidget making the same move.
#include <core/GuiProject.h>
#include <core/qPelmoraApplication.h>
#include <selection/ProjectItem.h>
#include <selection/ProjectObjectItem.h>
#include <selection/TreeWidget.h>
#include <visualization/ViewFeeder.h>

#include <femgui/FemGui.h>
#include <obj/Application.h>
#include <obj/Project.h>
#include <obj/ProjectObject.h>
#include <obj/PropertyCouple.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Session
{
    Session()
    {
        static char arg0[] = "bench";
        static char* argv[] = {arg0, nullptr};
        logic = std::make_unique<Obj::Application>(
            1, argv, std::map<std::string, std::string>{{"UserAppData", dir.filePath("data").toStdString()}});
        Gui::qPelmoraApplication::initialize_application();
        FemGui::initModule();
        app = std::make_unique<Gui::qPelmoraApplication>(true);
        tree = std::make_unique<Gui::TreeWidget>();
        tree->show();
        QCoreApplication::processEvents();
    }
    QTemporaryDir dir;
    std::unique_ptr<Obj::Application> logic;
    std::unique_ptr<Gui::qPelmoraApplication> app;
    std::unique_ptr<Gui::TreeWidget> tree;
};

Session& session()
{
    static Session* s = new Session;   // lives for the program
    return *s;
}

void closeAll()
{
    Session& s = session();
    while (!s.logic->get_projects().empty())
        s.logic->close_project(s.logic->get_projects().front()->get_name());
    QCoreApplication::processEvents();
}

enum class Shape { Flat, Chain, ChainInnerFirst };

// A project of `n` plain objects, or of `n` groups each holding the next: the outermost
// made first, or the innermost (as a user nests groups made before).  Linked from the
// inner end, so that making it costs no check that climbs the chain.
Obj::Project* makeProject(int n, Shape shape)
{
    Obj::Project* project = session().logic->create_project("Made");
    std::vector<Obj::ProjectObject*> objects;
    for (int i = 0; i < n; ++i)
        objects.push_back(project->add_object(shape == Shape::Flat ? "Obj::ProjectObject" : "Obj::ProjectObjectGroup", "Item"));
    if (shape == Shape::ChainInnerFirst)
        std::reverse(objects.begin(), objects.end());
    if (shape != Shape::Flat) {
        for (std::size_t i = objects.size() - 1; i-- > 0;)
            static_cast<Obj::ProjectObjectGroup*>(objects[i])->add_object(objects[i + 1]);
    }
    return project;
}

// The file, written once per size and shape.
std::string projectFile(int n, Shape shape)
{
    static std::map<std::pair<int, Shape>, std::string> files;
    auto it = files.find({n, shape});
    if (it != files.end())
        return it->second;
    Session& s = session();
    const std::string path = s.dir.filePath(QStringLiteral("%1-%2.pmdb").arg(int(shape)).arg(n)).toStdString();
    closeAll();
    makeProject(n, shape);
    s.logic->save_as_file(1, path.c_str());
    closeAll();
    return files.emplace(std::make_pair(n, shape), path).first->second;
}

void open(benchmark::State& state, Shape shape)
{
    Session& s = session();
    const int n = static_cast<int>(state.range(0));
    const std::string file = projectFile(n, shape);
    for (auto _ : state) {
        if (!s.logic->resume_from_file(1, file.c_str()))
            state.SkipWithError("open failed");
        s.logic->ExecuteAfterResume();
        QCoreApplication::processEvents();
        state.PauseTiming();
        if (s.logic->get_projects().size() != 1 || s.logic->get_projects().front()->get_num_objects() != std::size_t(n))
            state.SkipWithError("the file did not open whole");
        closeAll();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * n);
}

// The objects copied out of one project and pasted into an empty one.
void paste(benchmark::State& state, Shape shape)
{
    Session& s = session();
    const int n = static_cast<int>(state.range(0));
    closeAll();
    Obj::Project* source = makeProject(n, shape);
    std::ostringstream copied;
    source->export_objects(source->get_objects(), copied);
    const std::string bytes = copied.str();
    for (auto _ : state) {
        state.PauseTiming();
        Obj::Project* target = s.logic->create_project("Target");
        QCoreApplication::processEvents();
        state.ResumeTiming();
        std::istringstream in(bytes);
        const std::size_t pasted = target->import_objects(in).size();
        QCoreApplication::processEvents();
        state.PauseTiming();
        if (pasted != std::size_t(n))
            state.SkipWithError("the copy did not paste whole");
        s.logic->close_project(target->get_name());
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    closeAll();
    state.SetItemsProcessed(state.iterations() * n);
}

} // namespace

static void BM_ChainOpen(benchmark::State& state) { open(state, Shape::Chain); }
static void BM_ChainOpen_Baseline(benchmark::State& state) { open(state, Shape::Flat); }
static void BM_ChainInnerFirstOpen(benchmark::State& state) { open(state, Shape::ChainInnerFirst); }
static void BM_ChainInnerFirstOpen_Baseline(benchmark::State& state) { open(state, Shape::Flat); }
static void BM_ChainPaste(benchmark::State& state) { paste(state, Shape::ChainInnerFirst); }
static void BM_ChainPaste_Baseline(benchmark::State& state) { paste(state, Shape::Flat); }
BENCHMARK(BM_ChainOpen)->Arg(1000)->Arg(5000)->Arg(20000)->Arg(50000)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChainOpen_Baseline)->Arg(1000)->Arg(5000)->Arg(20000)->Arg(50000)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChainInnerFirstOpen)->Arg(1000)->Arg(5000)->Arg(20000)->Arg(50000)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChainInnerFirstOpen_Baseline)->Arg(1000)->Arg(5000)->Arg(20000)->Arg(50000)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChainPaste)->Arg(1000)->Arg(5000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChainPaste_Baseline)->Arg(1000)->Arg(5000)->Arg(20000)->Unit(benchmark::kMillisecond);

// Outer > Inner > K objects; Outer is deleted as the Delete command does it: its members
// leave the project first, so Inner goes and the tree moves its K items up to the project.
static void BM_DeleteOuterGroup(benchmark::State& state)
{
    Session& s = session();
    const int k = static_cast<int>(state.range(0));
    closeAll();
    for (auto _ : state) {
        state.PauseTiming();
        Obj::Project* project = s.logic->create_project("Nested");
        auto* outer = static_cast<Obj::ProjectObjectGroup*>(project->add_object("Obj::ProjectObjectGroup", "Outer"));
        auto* inner = static_cast<Obj::ProjectObjectGroup*>(project->add_object("Obj::ProjectObjectGroup", "Inner"));
        std::vector<Obj::ProjectObject*> parts;
        for (int i = 0; i < k; ++i)
            parts.push_back(project->add_object("Obj::ProjectObject", "Part"));
        // Through the member lists, as a script line sets them: the tree hears of it.
        static_cast<Obj::PropertyCoupleArray*>(inner->get_property_by_name("Member"))->set_values(parts);
        static_cast<Obj::PropertyCoupleArray*>(outer->get_property_by_name("Member"))->add_value(inner);
        Gui::GuiProject* gui = s.app->get_project(project);
        QCoreApplication::processEvents();
        Gui::ProjectItem* projectItem = s.tree->getProjectItem(gui);
        const unsigned int lastPart = parts.back()->getObjectId();
        Gui::ViewFeeder* feeder = gui->get_view_feeder(outer);
        state.ResumeTiming();
        if (feeder->onDelete({}))
            project->remove_object(outer->getObjectId());
        QCoreApplication::processEvents();
        state.PauseTiming();
        Gui::ProjectObjectItem* partItem = projectItem->object_item(lastPart);
        if (project->get_num_objects() != std::size_t(k) || !partItem || partItem->parent() != projectItem)
            state.SkipWithError("the deletion left the wrong objects or items");
        closeAll();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * k);
}
BENCHMARK(BM_DeleteOuterGroup)->Arg(1000)->Arg(4000)->Arg(16000)->Unit(benchmark::kMillisecond);

static void BM_DeleteOuterGroup_Baseline(benchmark::State& state)
{
    const int k = static_cast<int>(state.range(0));
    QTreeWidget tree;
    tree.show();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        state.PauseTiming();
        auto* root = new QTreeWidgetItem(&tree);
        auto* outer = new QTreeWidgetItem(root);
        auto* inner = new QTreeWidgetItem(outer);
        for (int i = 0; i < k; ++i)
            new QTreeWidgetItem(inner);
        root->setExpanded(true);
        QCoreApplication::processEvents();
        state.ResumeTiming();
        root->addChildren(inner->takeChildren());
        delete outer;
        QCoreApplication::processEvents();
        state.PauseTiming();
        delete root;
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * k);
}
BENCHMARK(BM_DeleteOuterGroup_Baseline)->Arg(1000)->Arg(4000)->Arg(16000)->Unit(benchmark::kMillisecond);
