// The host started on project files holding many empty projects, measured from outside:
// what each project adds to the peak memory while its view waits in a hidden tab, how the
// time grows with the number of projects; and a file naming more projects than one file
// may open, refused with a message.

#include <support/ChildProcessCost.h>
#include <support/ProjectTreeSteps.h>
#include <support/StepCount.h>
#include <support/TestEnvironment.h>
#include <support/CostLimits.h>

#include <obj/Application.h>
#include <obj/ProjectFileLimits.h>

#include <QFile>
#include <QTemporaryDir>
#include <QtGlobal>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdint>
#include <string>
#include <vector>

namespace {

// A project file of `count` empty projects, written by the logic.
void writeEmptyProjects(const std::string& file, int count)
{
    PelmoraTest::ScopedLogic logic;
    Obj::Application& app = logic.app();
    for (int i = 0; i < count; ++i)
        app.create_project("Empty", "Empty");
    ASSERT_TRUE(app.save_as_file(1, file.c_str())) << app.last_file_error();
}

std::string hex8(std::uint32_t value)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (int shift = 28; shift >= 0; shift -= 4)
        out += digits[(value >> shift) & 0xFu];
    return out;
}

std::uint32_t crc32(const std::string& bytes)
{
    std::uint32_t c = 0xFFFFFFFFu;
    for (const char b : bytes) {
        c ^= static_cast<unsigned char>(b);
        for (int k = 0; k < 8; ++k)
            c = (c & 1u) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    }
    return c ^ 0xFFFFFFFFu;
}

PelmoraTest::ChildProcessCost runHidden(const std::string& file, const std::vector<std::string>& steps = {})
{
    return PelmoraTest::runChildProcess({PELMORA_HOST, "--hidden", file}, steps);
}

// A project file of `count` empty projects, written as the logic writes its files: quicker
// than making the projects, for counts in the thousands.
void writeEmptyProjectsQuickly(const std::string& file, int count)
{
    std::string body = "PELMORA PROJECT FILE\nversion\t1\n";
    for (int i = 0; i < count; ++i)
        body += "project\tP" + std::to_string(i) + "\t1\tFemGui::ViewFeederProjectFem\n";
    const std::string bytes = body + "end\t" + hex8(crc32(body)) + "\n";
    QFile out(QString::fromStdString(file));
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    ASSERT_EQ(out.write(bytes.data(), static_cast<qint64>(bytes.size())), static_cast<qint64>(bytes.size()));
}

// The work of the host's main thread (its allocations) in a run expected to end well.
PelmoraTest::Work hostWork(const std::string& file)
{
    // Its steps: Gui::DocumentArea::windowEntriesVisited(), Obj::ProjectFile::recordsVisited(),
    // Obj::Application::projectEntriesVisited() and the object tables', member lists' and tree
    // items' (withProjectTreeSteps).
    const PelmoraTest::ChildProcessCost cost = runHidden(
        file, PelmoraTest::withProjectTreeSteps(
                  {"_ZN3Gui12DocumentArea20windowEntriesVisitedEv", "_ZN3Obj11ProjectFile14recordsVisitedEv",
                   "_ZN3Obj11Application21projectEntriesVisitedEv"}));
    EXPECT_EQ(cost.exitCode, 0);
    EXPECT_GT(cost.work.allocations, 0u) << "the host wrote no count of its work";
    return cost.work;
}

} // namespace

TEST(EmptyProjects, WorkGrowsInProportionToTheProjects)
{
    // Each project adds a tab, a document window, a tree item and a scene, and all are
    // closed at the end: any of them costing in proportion to the projects already open
    // makes four times the projects cost far more than four times as much (the tree kept
    // every empty project expanded and each window's posted events piled up until the end,
    // once).  The host's main thread counts its allocations, and its window entries and
    // tree items stepped over (which see a per-tab scan that allocates nothing).
    if (!PelmoraTest::workCounted())
        GTEST_SKIP() << "allocations are not counted in a sanitizer build";
    QTemporaryDir dir;
    const auto file = [&dir](const char* name, int count) {
        const std::string path = QFile::encodeName(dir.filePath(QString::fromUtf8(name))).toStdString();
        writeEmptyProjectsQuickly(path, count);
        return path;
    };
    const std::string one = file("one.pmdb", 1);
    const std::string few = file("few projects.v1.pmdb", 1001);
    const std::string many = file("many projects \xc3\xa9.pmdb", 4001);
    const PelmoraTest::Work base = hostWork(one);
    const PelmoraTest::Work fewWork = hostWork(few) - base;
    const PelmoraTest::Work manyWork = hostWork(many) - base;
    std::printf("host opening empty projects: %s for one, %s more for 1,000, %s more for 4,000\n",
                PelmoraTest::describe(base).c_str(), PelmoraTest::describe(fewWork).c_str(),
                PelmoraTest::describe(manyWork).c_str());
    std::printf("steps: %llu, %llu more, %llu more\n", static_cast<unsigned long long>(base.steps),
                static_cast<unsigned long long>(fewWork.steps), static_cast<unsigned long long>(manyWork.steps));
    ASSERT_GT(fewWork.allocations, 1000u);
    EXPECT_GE(fewWork.steps, 1000u);
    EXPECT_TRUE(PelmoraTest::stepsGrowAtMost(fewWork.steps, manyWork.steps, 5))
        << "window entries, tree items and project entries";
    EXPECT_LT(manyWork.allocations, 5 * fewWork.allocations)
        << PelmoraTest::describe(fewWork) << " for 1,000 projects, " << PelmoraTest::describe(manyWork) << " for 4,000";
    EXPECT_LT(manyWork.bytes, 5 * fewWork.bytes)
        << PelmoraTest::describe(fewWork) << " for 1,000 projects, " << PelmoraTest::describe(manyWork) << " for 4,000";
}

TEST(EmptyProjects, EachCostsLittleWhileItsViewIsNotShown)
{
    PELMORA_SKIP_COST_LIMITS_WHEN_INSTRUMENTED();
    QTemporaryDir dir;
    const std::string one = QFile::encodeName(dir.filePath(QStringLiteral("one.pmdb"))).toStdString();
    const std::string many = QFile::encodeName(dir.filePath(QStringLiteral("many.pmdb"))).toStdString();
    writeEmptyProjects(one, 1);
    writeEmptyProjects(many, 1001);
    const PelmoraTest::ChildProcessCost base = runHidden(one);
    const PelmoraTest::ChildProcessCost cost = runHidden(many);
    ASSERT_EQ(base.exitCode, 0);
    ASSERT_EQ(cost.exitCode, 0);
    const double perProjectKiB = (cost.peakMiB - base.peakMiB) * 1024.0 / 1000.0;
    std::printf("peak memory of a hidden start: %.1f MiB with one project, %.1f MiB with 1,001: %.1f KiB a project\n",
                base.peakMiB, cost.peakMiB, perProjectKiB);
    // About 220 KiB each while every project built its viewer, its document window a
    // system menu and its scene a copy of every node prototype; about 82 while each scene
    // built its own default colour tables; about 61 now.
    EXPECT_LT(perProjectKiB, 70.0) << base.peakMiB << " MiB with one project, " << cost.peakMiB
                                   << " MiB with 1,001";
}

TEST(EmptyProjects, OnScreenOnlyTheCurrentProjectsViewIsBuilt)
{
    PELMORA_SKIP_COST_LIMITS_WHEN_INSTRUMENTED();
    // With the window shown, each project's view was shown in passing while the file
    // opened and built its viewer: about 180 KiB a project; about 110 now.
    QTemporaryDir dir;
    const auto run = [&dir](const char* name, int count) {
        const QString shot = dir.filePath(QStringLiteral("shot.png"));
        const std::string file = QFile::encodeName(dir.filePath(QString::fromUtf8(name))).toStdString();
        writeEmptyProjectsQuickly(file, count);
        const PelmoraTest::ChildProcessCost cost = PelmoraTest::runChildProcess(
            {PELMORA_HOST, "--screenshot", QFile::encodeName(shot).toStdString(), file});
        EXPECT_EQ(cost.exitCode, 0);
        EXPECT_TRUE(QFile::exists(shot));
        QFile::remove(shot);
        return cost.peakMiB;
    };
    const double base = run("one.pmdb", 1);
    const double many = run("projects, 1001.pmdb", 1001);
    const double perProjectKiB = (many - base) * 1024.0 / 1000.0;
    std::printf("peak memory of a start on screen: %.1f MiB with one project, %.1f MiB with 1,001: %.1f KiB a project\n",
                base, many, perProjectKiB);
    EXPECT_LT(perProjectKiB, 140.0) << base << " MiB with one project, " << many << " MiB with 1,001";
}

TEST(EmptyProjects, AFileNamingTooManyProjectsIsRefusedWithAMessage)
{
    QTemporaryDir dir;
    const std::string file = QFile::encodeName(dir.filePath(QStringLiteral("too many.pmdb"))).toStdString();
    // Written as the logic writes its files, with one project more than the limit.
    std::string body = "PELMORA PROJECT FILE\nversion\t1\n";
    for (std::size_t i = 0; i <= Obj::ProjectFileLimits::MaxProjects; ++i)
        body += "project\tP" + std::to_string(i) + "\t1\tFemGui::ViewFeederProjectFem\n";
    const std::string bytes = body + "end\t" + hex8(crc32(body)) + "\n";
    QFile out(QString::fromStdString(file));
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    ASSERT_EQ(out.write(bytes.data(), static_cast<qint64>(bytes.size())), static_cast<qint64>(bytes.size()));
    out.close();

    PelmoraTest::ScopedLogic logic;
    Obj::Application& app = logic.app();
    EXPECT_FALSE(app.resume_from_file(1, file.c_str()));
    EXPECT_NE(app.last_file_error().find("holds more than " + std::to_string(Obj::ProjectFileLimits::MaxProjects)
                                         + " projects"),
              std::string::npos)
        << app.last_file_error();
    EXPECT_TRUE(app.get_projects().empty()) << "refused before any project was made";

    // One project fewer opens.
    const std::size_t cut = body.rfind("project\t");
    const std::string within = body.substr(0, cut);
    const std::string smaller = within + "end\t" + hex8(crc32(within)) + "\n";
    ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    out.write(smaller.data(), static_cast<qint64>(smaller.size()));
    out.close();
    EXPECT_TRUE(app.check_project_file(1, file.c_str())) << app.last_file_error();
}
