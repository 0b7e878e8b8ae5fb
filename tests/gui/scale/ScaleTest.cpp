// The host started on many model files, measured from outside as whole processes: what a
// file adds to the peak memory, how the time grows with the number of files, and a
// screenshot that is taken once the model is drawn rather than after a fixed pause; and,
// inside the application, how the time to open a project file grows with its objects.

#include <support/ChildProcessCost.h>
#include <support/GuiSession.h>
#include <support/ThreadCpuTimer.h>
#include <support/SmallModelFiles.h>
#include <support/TestEnvironment.h>
#include <support/CostLimits.h>

#include <mainwindow/DockingWindowMediator.h>

#include <obj/Application.h>
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
    ChildProcessCost runHost(int n, const char* screenshot = "shot.png") const
    {
        std::vector<std::string> argv{PELMORA_HOST, "--screenshot", path(screenshot)};
        argv.insert(argv.end(), paths.begin(), paths.begin() + n);
        return PelmoraTest::runChildProcess(argv);
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

// The processor time of the cheaper of two runs, each expected to end well.
template <class Run>
double bestProcessorSeconds(Run run)
{
    double best = 1e9;
    for (int i = 0; i < 2; ++i) {
        const ChildProcessCost cost = run();
        EXPECT_EQ(cost.exitCode, 0);
        best = std::min(best, cost.cpuSeconds);
    }
    return best;
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
    EXPECT_LT(perFile, 2.0) << one.peakMiB << " MiB with one file, " << many.peakMiB << " with 21";
}

TEST(OpeningManyFiles, ProcessorTimeGrowsInProportionToTheFiles)
{
    // Each opened file activates its project, adds a tab and a tree item, and is closed
    // at the end: any of them costing in proportion to the files already open makes four
    // times the files cost far more than four times as much.
    // Only the opening's own work: VTK's and the OpenGL driver's worker threads, which spin
    // for a while after each task, would add time that depends on the machine's load.
    qputenv("VTK_SMP_BACKEND_IN_USE", "Sequential");
    qputenv("LP_NUM_THREADS", "0");
    const ModelFiles files(400);
    const auto cpu = [&](int n) { return bestProcessorSeconds([&] { return files.runHost(n); }); };
    const double none = cpu(0);
    const double hundred = cpu(100) - none;
    const double fourHundred = cpu(400) - none;
    ASSERT_GT(hundred, 0.0);
    EXPECT_LT(fourHundred / hundred, 5.2) << hundred << " s for 100 files, " << fourHundred << " s for 400";
}

TEST(Screenshot, ShowsTheModelAsSoonAsItIsDrawn)
{
    const ModelFiles files(1);
    // Idle time is what the run took beyond the processor time it used; the best of a few
    // runs, so that a machine busy with other work does not count as waiting.
    double idle = 1e9;
    for (int run = 0; run < 3 && idle >= 1.0; ++run) {
        const ChildProcessCost cost = files.runHost(1, "model.png");
        expectRan(cost);
        idle = std::min(idle, cost.wallSeconds - cost.cpuSeconds);
    }
    if (!PelmoraTest::instrumentedBuild) {
        EXPECT_LT(idle, 1.0);
    }

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

    // This thread's processor time (ms) to open `file` in a fresh session until every
    // event it caused is handled: the logic reading it, its project with a 3D view, and a
    // feeder and a tree item for each object.
    std::int64_t openingMs(const std::string& file, int objects)
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
        PelmoraTest::ThreadCpuTimer timer;
        EXPECT_TRUE(logic->app().resume_from_file(1, file.c_str())) << logic->app().last_file_error();
        PelmoraTest::flushDeletes();
        const std::int64_t ms = timer.elapsed();
        EXPECT_EQ(logic->app().get_projects().size(), 1u);
        // Every object has its tree item, below the project's and the root's.
        int items = 0;
        for (QTreeWidgetItemIterator it(tree); tree && *it; ++it)
            ++items;
        EXPECT_EQ(items, objects + 2);
        closeSession();
        return ms;
    }
};

} // namespace

TEST_F(OpeningAProjectFile, ProcessorTimeGrowsInProportionToTheObjects)
{
    // Every object of the file gets a feeder and a tree item, every member its place
    // under its group: any of them costing in proportion to the objects already there
    // makes four times the objects cost far more than four times as much.  Only the
    // opening is measured, on this thread's clock: the start-up around it, whose cost
    // varies from run to run by more than a few thousand objects cost, stays out, and
    // a machine busy with other work does not count.
    QTemporaryDir dir;
    const auto file = [&](int n) {
        return QFile::encodeName(dir.filePath(QStringLiteral("many %1..v2.pmdb").arg(n))).toStdString();
    };
    writeProjectFile(file(0), 0);
    writeProjectFile(file(2500), 2500);
    writeProjectFile(file(10000), 10000);
    // What the first project and the first objects of a process cost once (fonts, shaders,
    // type tables) is no part of any measure.
    openingMs(file(2500), 2500);
    // The cheapest of three openings: a measure can only grow by what else the thread did.
    const auto best = [&](int n) {
        std::int64_t ms = openingMs(file(n), n);
        for (int run = 0; run < 2; ++run)
            ms = std::min(ms, openingMs(file(n), n));
        return ms;
    };
    // What any project costs (its 3D view, its tab) is no part of the growth.
    const std::int64_t none = best(0);
    const std::int64_t few = best(2500) - none;
    const std::int64_t many = best(10000) - none;
    std::printf("opening a project file: %lld ms for an empty project, %lld ms more for 2,500 objects, "
                "%lld ms more for 10,000\n",
                static_cast<long long>(none), static_cast<long long>(few), static_cast<long long>(many));
    // Four times the objects cost four to five times as much, in a sanitizer build too;
    // a cost that grows with the objects already there makes it sixteen.
    ASSERT_GT(few, 0);
    EXPECT_LT(many, 8 * few + 20) << few << " ms for 2,500 objects, " << many << " ms for 10,000";
}
