// A project of N objects in the project explorer: objects created through the logic
// (GUI project, feeders, tree items), 10 % of them selected in the tree and cleared
// through the tree selection, then all deleted; against filling, selecting, clearing and
// emptying a plain QTreeWidget with the same number of items.  And a project file of N
// objects opened with the tree on screen, against a shown QTreeWidget filled with N items.
// And a chain of N groups pasted into a project with a thousand rows open, against a plain
// tree taking a branch of N nested items under as many open rows.
#include <core/GuiProject.h>
#include <core/MergeProjects.h>
#include <core/qPelmoraApplication.h>
#include <selection/ProjectItem.h>
#include <selection/ProjectObjectItem.h>
#include <selection/TreeSelectionSingleton.h>
#include <selection/TreeWidget.h>

#include <femgui/FemGui.h>
#include <obj/Application.h>
#include <obj/ProjectObject.h>

#include <QCoreApplication>
#include <QItemSelectionModel>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <benchmark/benchmark.h>

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
        logic = std::make_unique<Obj::Application>(1, argv, std::map<std::string, std::string>{});
        Gui::qPelmoraApplication::initialize_application();
        FemGui::initModule();
        app = std::make_unique<Gui::qPelmoraApplication>(true);
        tree = std::make_unique<Gui::TreeWidget>();
        project = logic->create_project("P");
        gui = app->get_project(project);
        QCoreApplication::processEvents();
    }
    std::unique_ptr<Obj::Application> logic;
    std::unique_ptr<Gui::qPelmoraApplication> app;
    std::unique_ptr<Gui::TreeWidget> tree;
    Obj::Project* project = nullptr;
    Gui::GuiProject* gui = nullptr;
};

Session& session()
{
    static Session* s = new Session;   // lives for the program
    return *s;
}

std::vector<std::string> names(int n)
{
    std::vector<std::string> result;
    for (int i = 0; i < n; ++i)
        result.push_back("Part" + std::to_string(i));
    return result;
}

} // namespace

static void BM_ProjectTree(benchmark::State& state)
{
    Session& s = session();
    const int n = static_cast<int>(state.range(0));
    const auto labels = names(n);
    Gui::ProjectItem* projectItem = s.tree->getProjectItem(s.gui);
    for (auto _ : state) {
        std::vector<unsigned int> ids;
        ids.reserve(labels.size());
        for (const std::string& label : labels)
            ids.push_back(s.project->add_object("Obj::ProjectObject", label.c_str())->getObjectId());
        QList<QTreeWidgetItem*> picked;
        for (std::size_t i = 0; i < ids.size(); i += 10)
            picked.append(projectItem->object_item(ids[i]));
        s.tree->setItemsSelected(picked, true);
        Gui::TreeSelectionSingleton::instance().clear_selection("P");
        for (unsigned int id : ids)
            s.project->remove_object(id);
        benchmark::DoNotOptimize(projectItem->childCount());
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_ProjectTree)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// The plain tree: N items filled in, 10 % selected in one call, cleared, and emptied.
static void plainTree(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const auto labels = names(n);
    QTreeWidget tree;
    tree.setSelectionMode(QAbstractItemView::ExtendedSelection);
    auto* root = new QTreeWidgetItem(&tree);
    auto* parent = new QTreeWidgetItem(root);
    root->setExpanded(true);
    parent->setExpanded(true);
    const QModelIndex parentIndex = tree.model()->index(0, 0, tree.model()->index(0, 0));
    for (auto _ : state) {
        std::vector<QTreeWidgetItem*> items;
        items.reserve(labels.size());
        for (const std::string& label : labels) {
            auto* item = new QTreeWidgetItem(parent);
            item->setText(0, QString::fromUtf8(label.c_str()));
            items.push_back(item);
        }
        QItemSelection selection;
        for (std::size_t i = 0; i < items.size(); i += 10) {
            const QModelIndex index = tree.model()->index(static_cast<int>(i), 0, parentIndex);
            selection.select(index, index);
        }
        tree.selectionModel()->select(selection, QItemSelectionModel::Select);
        tree.clearSelection();
        qDeleteAll(parent->takeChildren());
        benchmark::DoNotOptimize(parent->childCount());
    }
    state.SetItemsProcessed(state.iterations() * n);
}

static void BM_ProjectTree_Baseline(benchmark::State& state)
{
    plainTree(state);
}
BENCHMARK(BM_ProjectTree_Baseline)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// The tree's own share of the work above: the objects and their feeders exist already,
// and only the GUI project's new- and delete-object signals are raised, so that the
// items are created, selected, cleared and deleted.
static void BM_ProjectTreeItems(benchmark::State& state)
{
    Session& s = session();
    const int n = static_cast<int>(state.range(0));
    const auto labels = names(n);
    Gui::ProjectItem* projectItem = s.tree->getProjectItem(s.gui);
    std::vector<Gui::ViewFeederProjectObject*> feeders;
    for (const std::string& label : labels) {
        Obj::ProjectObject* object = s.project->add_object("Obj::ProjectObject", label.c_str());
        auto* feeder = dynamic_cast<Gui::ViewFeederProjectObject*>(s.gui->get_view_feeder(object));
        s.gui->signal_delete_object(*feeder);   // the items are made in the loop
        feeders.push_back(feeder);
    }
    for (auto _ : state) {
        for (Gui::ViewFeederProjectObject* feeder : feeders)
            s.gui->signal_new_object(*feeder);
        QList<QTreeWidgetItem*> picked;
        for (std::size_t i = 0; i < feeders.size(); i += 10)
            picked.append(projectItem->object_item(feeders[i]->getObjectId()));
        s.tree->setItemsSelected(picked, true);
        Gui::TreeSelectionSingleton::instance().clear_selection("P");
        for (Gui::ViewFeederProjectObject* feeder : feeders)
            s.gui->signal_delete_object(*feeder);
        benchmark::DoNotOptimize(projectItem->childCount());
    }
    state.SetItemsProcessed(state.iterations() * n);
    for (Gui::ViewFeederProjectObject* feeder : feeders)
        s.project->remove_object(feeder->getObjectId());
}
BENCHMARK(BM_ProjectTreeItems)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

static void BM_ProjectTreeItems_Baseline(benchmark::State& state)
{
    plainTree(state);
}
BENCHMARK(BM_ProjectTreeItems_Baseline)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// A project file of N objects in groups of fifty, opened with the tree on screen until
// the window has caught up; the opened project is closed outside the timing.
static void BM_ProjectFileOpen(benchmark::State& state)
{
    Session& s = session();
    const int n = static_cast<int>(state.range(0));
    QTemporaryDir dir;
    const std::string file = dir.filePath(QStringLiteral("many.pmdb")).toStdString();
    {
        Obj::Project* saved = s.logic->create_project("Many");
        Obj::ProjectObjectGroup* group = nullptr;
        for (int i = 0; i < n; ++i) {
            if (i % 50 == 0)
                group = static_cast<Obj::ProjectObjectGroup*>(saved->add_object("Obj::ProjectObjectGroup", "Group"));
            else
                group->add_object(saved->add_object("Obj::ProjectObject", "Part"));
        }
        s.logic->save_as_file(1, file.c_str());
        s.logic->close_project(saved->get_name());
    }
    s.tree->show();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        if (!s.logic->resume_from_file(1, file.c_str()))
            state.SkipWithError("open failed");
        s.logic->ExecuteAfterResume();
        QCoreApplication::processEvents();
        state.PauseTiming();
        for (Obj::Project* project : s.logic->get_projects())
            if (project != s.project)
                s.logic->close_project(project->get_name());
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    s.tree->hide();
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_ProjectFileOpen)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

static void BM_ProjectFileOpen_Baseline(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const auto labels = names(n);
    QTreeWidget tree;
    tree.show();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        auto* root = new QTreeWidgetItem(&tree);
        QTreeWidgetItem* group = nullptr;
        for (int i = 0; i < n; ++i) {
            auto* item = new QTreeWidgetItem(i % 50 == 0 ? root : group);
            item->setText(0, QString::fromUtf8(labels[static_cast<std::size_t>(i)].c_str()));
            if (i % 50 == 0)
                group = item;
        }
        root->setExpanded(true);
        QCoreApplication::processEvents();
        state.PauseTiming();
        delete root;
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_ProjectFileOpen_Baseline)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// A chain of N groups, each holding the next, pasted into a project whose tree shows a
// thousand open rows; against a plain QTreeWidget with as many rows open taking a branch
// of N nested items.  The pasted objects are removed outside the timing.
static void BM_PasteChainIntoOpenedTree(benchmark::State& state)
{
    Session& s = session();
    const int n = static_cast<int>(state.range(0));
    Obj::Project* source = s.logic->create_project("Chain");
    Obj::ProjectObjectGroup* outer = nullptr;
    for (int i = 0; i < n; ++i) {
        auto* group = static_cast<Obj::ProjectObjectGroup*>(source->add_object("Obj::ProjectObjectGroup", "G"));
        if (outer)
            outer->add_object(group);
        outer = group;
    }
    std::ostringstream copied;
    source->export_objects(source->get_objects(), copied);
    s.logic->close_project(source->get_name());
    Obj::Project* target = s.logic->create_project("Target");
    for (int i = 0; i < 1000; ++i)
        target->add_object("Obj::ProjectObject", "Row");
    Gui::GuiProject* gui = s.app->get_project(target);
    s.tree->getProjectItem(gui)->setExpanded(true);
    s.tree->show();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        std::istringstream in(copied.str());
        const std::vector<Obj::ProjectObject*> pasted = Gui::MergeProjects(target).import_project_objects(in);
        QCoreApplication::processEvents();
        state.PauseTiming();
        if (pasted.size() != std::size_t(n))
            state.SkipWithError("paste failed");
        for (auto it = pasted.rbegin(); it != pasted.rend(); ++it)
            target->remove_object((*it)->getObjectId());
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    s.tree->hide();
    s.logic->close_project(target->get_name());
    QCoreApplication::processEvents();
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_PasteChainIntoOpenedTree)->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond);

static void BM_PasteChainIntoOpenedTree_Baseline(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    QTreeWidget tree;
    auto* root = new QTreeWidgetItem(&tree);
    for (int i = 0; i < 1000; ++i)
        (new QTreeWidgetItem(root))->setText(0, QStringLiteral("Row"));
    root->setExpanded(true);
    tree.show();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        auto* top = new QTreeWidgetItem;
        top->setText(0, QStringLiteral("G"));
        QTreeWidgetItem* inner = top;
        for (int i = 1; i < n; ++i) {
            auto* item = new QTreeWidgetItem(inner);
            item->setText(0, QStringLiteral("G"));
            inner = item;
        }
        root->addChild(top);
        QCoreApplication::processEvents();
        state.PauseTiming();
        root->removeChild(top);
        // Deepest first: a deep branch deleted from the top recurses once per level.
        while (inner != top) {
            QTreeWidgetItem* up = inner->parent();
            delete up->takeChild(0);
            inner = up;
        }
        delete top;
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_PasteChainIntoOpenedTree_Baseline)->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond);
