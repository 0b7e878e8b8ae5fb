// The host started on many model files, measured from outside as whole processes: what a
// file adds to the peak memory, how the time grows with the number of files, and a
// screenshot that is taken once the model is drawn rather than after a fixed pause; and,
// inside the application, how the time to open a project file grows with its objects.

#include <support/ChildProcessCost.h>
#include <support/GuiSession.h>
#include <support/ProjectTreeSteps.h>
#include <support/StepCount.h>
#include <support/WorkCount.h>
#include <support/SmallModelFiles.h>
#include <support/TestEnvironment.h>
#include <support/CostLimits.h>

#include <mainwindow/DockingWindowMediator.h>

#include <obj/Application.h>
#include <obj/ProjectFile.h>
#include <obj/ProjectObject.h>

#include <QFile>
#include <QImage>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using PelmoraTest::ChildProcessCost;

// Copies of a small model in a folder of their own.
class ModelFiles
{
public:
    explicit ModelFiles(int count)
        : paths(PelmoraTest::writeSmallModelFiles(dir.path(), count))
    {
    }

    std::string path(const char* name) const
    {
        return QFile::encodeName(dir.filePath(QString::fromUtf8(name))).toStdString();
    }

    // The host with a screenshot (it ends once the window shows) and the first `n` files.
    // Its steps: Gui::DocumentArea::windowEntriesVisited(), the object tables', member
    // lists' and tree items' (withProjectTreeSteps), Obj::ProjectFile::recordsVisited()
    // and Obj::Application::projectEntriesVisited().
    ChildProcessCost runHost(int n, const char* screenshot = "shot.png") const
    {
        std::vector<std::string> argv{PELMORA_HOST, "--screenshot", path(screenshot)};
        argv.insert(argv.end(), paths.begin(), paths.begin() + n);
        return PelmoraTest::runChildProcess(
            argv, PelmoraTest::withProjectTreeSteps(
                      {"_ZN3Gui12DocumentArea20windowEntriesVisitedEv", "_ZN3Obj11ProjectFile14recordsVisitedEv",
                   "_ZN3Obj11Application21projectEntriesVisitedEv"}));
    }

private:
    QTemporaryDir dir;
    std::vector<std::string> paths;
};

void expectRan(const ChildProcessCost& cost)
{
    ASSERT_TRUE(cost.started);
    ASSERT_EQ(cost.exitCode, 0);
}

// The work of the host's main thread in a run expected to end well.
PelmoraTest::Work workOf(const ChildProcessCost& cost)
{
    EXPECT_EQ(cost.exitCode, 0);
    EXPECT_GT(cost.work.allocations, 0u) << "the host wrote no count of its work";
    return cost.work;
}

} // namespace

TEST(OpeningManyFiles, EachFurtherFileAddsLittleMemory)
{
    // Each file's model data is about 0.1 MiB; its project, scene and a 3D view that is
    // not on screen must not cost much more.
    const ModelFiles files(21);
    const ChildProcessCost one = files.runHost(1);
    expectRan(one);
    const ChildProcessCost many = files.runHost(21);
    expectRan(many);
    const double perFile = (many.peakMiB - one.peakMiB) / 20;
    std::printf("peak memory: %.1f MiB with one file, %.1f MiB with 21: %.2f MiB a file\n", one.peakMiB, many.peakMiB,
                perFile);
    EXPECT_LT(perFile, 2.0) << one.peakMiB << " MiB with one file, " << many.peakMiB << " with 21";
}

TEST(OpeningManyFiles, WorkGrowsInProportionToTheFiles)
{
    // Each opened file activates its project, adds a tab and a tree item, and is closed
    // at the end: any of them costing in proportion to the files already open makes four
    // times the files cost far more than four times as much.  The host's main thread
    // counts its allocations, and its window entries and tree items stepped over (which
    // see a per-tab scan that allocates nothing).
    if (!PelmoraTest::workCounted())
        GTEST_SKIP() << "allocations are not counted in a sanitizer build";
    const ModelFiles files(400);
    const PelmoraTest::Work none = workOf(files.runHost(0));
    const PelmoraTest::Work hundred = workOf(files.runHost(100)) - none;
    const PelmoraTest::Work fourHundred = workOf(files.runHost(400)) - none;
    std::printf("host opening model files: %s for none, %s more for 100 files, %s more for 400\n",
                PelmoraTest::describe(none).c_str(), PelmoraTest::describe(hundred).c_str(),
                PelmoraTest::describe(fourHundred).c_str());
    std::printf("steps: %llu, %llu more, %llu more\n", static_cast<unsigned long long>(none.steps),
                static_cast<unsigned long long>(hundred.steps), static_cast<unsigned long long>(fourHundred.steps));
    ASSERT_GT(hundred.allocations, 100u);
    EXPECT_GE(hundred.steps, 100u);
    EXPECT_TRUE(PelmoraTest::stepsGrowAtMost(hundred.steps, fourHundred.steps, 5))
        << "window entries, tree items and project entries";
    EXPECT_LT(fourHundred.allocations, 5 * hundred.allocations)
        << PelmoraTest::describe(hundred) << " for 100 files, " << PelmoraTest::describe(fourHundred) << " for 400";
    EXPECT_LT(fourHundred.bytes, 5 * hundred.bytes)
        << PelmoraTest::describe(hundred) << " for 100 files, " << PelmoraTest::describe(fourHundred) << " for 400";
}

TEST(Screenshot, ShowsTheModelAsSoonAsItIsDrawn)
{
    const ModelFiles files(1);
    // The picture is taken once the model is drawn, not when the host gives up waiting
    // for it: a host that never gives up still ends (a host left waiting would hang the test).
    qputenv("PELMORA_TEST_SCREENSHOT_GIVE_UP_MS", "0");
    const ChildProcessCost cost = files.runHost(1, "model.png");
    qunsetenv("PELMORA_TEST_SCREENSHOT_GIVE_UP_MS");
    expectRan(cost);

    // The same start without the file: the model is what differs, over far more of the
    // picture than the differing names in tree and tab.
    expectRan(files.runHost(0, "empty.png"));
    const QImage model(QString::fromStdString(files.path("model.png")));
    const QImage empty(QString::fromStdString(files.path("empty.png")));
    ASSERT_FALSE(model.isNull());
    ASSERT_EQ(model.size(), empty.size());
    int differing = 0;
    for (int y = 0; y < model.height(); ++y)
        for (int x = 0; x < model.width(); ++x)
            differing += model.pixel(x, y) != empty.pixel(x, y);
    EXPECT_GT(differing, 5000);
}

namespace {

// A project file holding one project of `count` objects in groups of fifty, written by
// the logic.
void writeProjectFile(const std::string& file, int count)
{
    PelmoraTest::ScopedLogic logic;
    Obj::Application& app = logic.app();
    Obj::Project* project = app.create_project("Many", "Many");
    // Loads among the plain objects.
    Obj::ProjectObjectGroup* group = nullptr;
    for (int i = 0; i < count; ++i) {
        if (i % 50 == 0) {
            group = static_cast<Obj::ProjectObjectGroup*>(project->add_object("Obj::ProjectObjectGroup", "Group"));
            continue;
        }
        group->add_object(project->add_object(i % 5 == 0 ? "Obj::LoadObject" : "Obj::ProjectObject", "Part"));
    }
    ASSERT_TRUE(app.save_as_file(1, file.c_str())) << app.last_file_error();
}

} // namespace

namespace {

// The application as the host builds it, with the project tree docked, opening project files.

class OpeningAProjectFile : public PelmoraTest::MainWindowSession
{
protected:
    // The steps of the last openingWork().
    std::uint64_t steps = 0;

    void SetUp() override
    {
        ASSERT_TRUE(PelmoraTest::vtkSurfaceFormatSet());
        PelmoraTest::registerFemGuiTypes();
    }
    void TearDown() override
    {
        if (app)
            closeSession();
    }

    // The work (this thread's allocations) of opening `file` in a fresh session until every
    // event it caused is handled: the logic reading it, its project with a 3D view, and a
    // feeder and a tree item for each object.
    PelmoraTest::Work openingWork(const std::string& file, int objects)
    {
        startApplication();
        openMainWindow();
        Gui::DockingWindowItems layout;
        layout.add_docking_widget("Std_TreeView", Qt::LeftDockWidgetArea, true, false);
        layout.add_docking_widget("Std_PropertyView", Qt::LeftDockWidgetArea, true, false);
        Gui::DockingWindowMediator::instance()->setup(&layout);
        auto* tree = Gui::DockingWindowMediator::instance()->getDockingWindow("Std_TreeView")->findChild<QTreeWidget*>();
        EXPECT_NE(tree, nullptr);
        PelmoraTest::flushDeletes();
        PelmoraTest::WorkMeter meter;
        PelmoraTest::StepMeter stepped(&PelmoraTest::projectTreeAndReaderSteps);
        EXPECT_TRUE(logic->app().resume_from_file(1, file.c_str())) << logic->app().last_file_error();
        PelmoraTest::flushDeletes();
        const PelmoraTest::Work work = meter.elapsed();
        steps = stepped.elapsed();
        EXPECT_EQ(logic->app().get_projects().size(), 1u);
        // Every object has its tree item, below the project's and the root's.
        int items = 0;
        for (QTreeWidgetItemIterator it(tree); tree && *it; ++it)
            ++items;
        EXPECT_EQ(items, objects + 2);
        closeSession();
        return work;
    }
};

} // namespace

TEST_F(OpeningAProjectFile, WorkGrowsInProportionToTheObjects)
{
    // Every object of the file gets a feeder and a tree item, every member its place
    // under its group: any of them costing in proportion to the objects already there
    // makes four times the objects cost far more than four times as much.  Only the
    // opening is counted: the start-up around it stays out.  Counted in allocations and in
    // the reader's records, member entries and tree items stepped over, which see what
    // allocates nothing: a slow insert (an item placed by walking its siblings), or each
    // member looked for past every group that took its members before (fourteen times the
    // steps here).
    QTemporaryDir dir;
    const auto file = [&](int n) {
        return QFile::encodeName(dir.filePath(QStringLiteral("many %1..v2.pmdb").arg(n))).toStdString();
    };
    writeProjectFile(file(0), 0);
    writeProjectFile(file(2500), 2500);
    writeProjectFile(file(10000), 10000);
    // What the first project and the first objects of a process cost once (fonts, shaders,
    // type tables) is no part of any measure.
    openingWork(file(2500), 2500);
    // What any project costs (its 3D view, its tab) is no part of the growth.
    const PelmoraTest::Work none = openingWork(file(0), 0);
    const std::uint64_t noSteps = steps;
    const PelmoraTest::Work few = openingWork(file(2500), 2500) - none;
    const std::uint64_t fewSteps = steps - noSteps;
    const PelmoraTest::Work many = openingWork(file(10000), 10000) - none;
    const std::uint64_t manySteps = steps - noSteps;
    EXPECT_GE(fewSteps, 2500u) << "every object is placed";
    EXPECT_TRUE(PelmoraTest::stepsGrowAtMost(fewSteps, manySteps, 6)) << "member entries and tree items";
    std::printf("opening a project file: %s for an empty project, %s more for 2,500 objects, %s more for 10,000; "
                "%llu and %llu entries and items stepped over\n",
                PelmoraTest::describe(none).c_str(), PelmoraTest::describe(few).c_str(),
                PelmoraTest::describe(many).c_str(), static_cast<unsigned long long>(fewSteps),
                static_cast<unsigned long long>(manySteps));
    if (!PelmoraTest::workCounted())
        return;   // allocations are not counted in a sanitizer build
    // Every object is worked on: some allocations each.
    ASSERT_GT(few.allocations, 2500u);
    // Four times the objects make four times the allocations and bytes (4.3 and 4.1 times
    // here); a cost that grows with the objects already there makes sixteen, or copies
    // sixteen times the bytes.
    EXPECT_LT(many.allocations, 6 * few.allocations)
        << PelmoraTest::describe(few) << " for 2,500 objects, " << PelmoraTest::describe(many) << " for 10,000";
    EXPECT_LT(many.bytes, 6 * few.bytes)
        << PelmoraTest::describe(few) << " for 2,500 objects, " << PelmoraTest::describe(many) << " for 10,000";
}
