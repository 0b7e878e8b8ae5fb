// A colour folder of thousands of tables, read by the application at start: opening
// projects costs each project what it costs without the folder, measured from outside on
// hidden starts with a project file of few and of many projects, with and without it.

#include <support/ChildProcessCost.h>
#include <support/CostLimits.h>
#include <support/ProjectFileSeal.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <string>

#include <utime.h>

namespace {

// A copy of the host in a home of its own (the host takes its home from where it lies),
// with a colour folder holding `tables` one-entry tables.
struct Home
{
    QTemporaryDir dir;
    std::string host;
    explicit Home(int tables)
    {
        QDir(dir.path()).mkpath(QStringLiteral("bin"));
        const QString copy = dir.filePath(QStringLiteral("bin/pelmora"));
        EXPECT_TRUE(QFile::copy(QStringLiteral(PELMORA_HOST), copy));
        QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        host = QFile::encodeName(copy).toStdString();
        const QString folder = dir.filePath(QStringLiteral("share/Pelmora-2.1/ColorFiles"));
        QDir().mkpath(folder);
        for (int i = 0; i < tables; ++i) {
            // Names from the wild: spaces, two dots, letters beyond ASCII.
            QFile out(QDir(folder).filePath(QStringLiteral("T\u00e4ble %1..v2.txt").arg(i)));
            EXPECT_TRUE(out.open(QIODevice::WriteOnly));
            out.write("0 c" + QByteArray::number(i) + " 1 2 3 255\n");
        }
        // The user filled the folder some time ago: one changed in the last seconds is
        // looked through again for every project, until it is older.
        const std::time_t hourAgo = std::time(nullptr) - 3600;
        const struct utimbuf times{hourAgo, hourAgo};
        ::utime(QFile::encodeName(folder).constData(), &times);
    }
};

std::string projectFile(const QTemporaryDir& dir, int projects)
{
    QByteArray body = "PELMORA PROJECT FILE\nversion\t1\n";
    for (int i = 0; i < projects; ++i)
        body += "project\tP" + QByteArray::number(i) + "\t1\tFemGui::ViewFeederProjectFem\n";
    const QString path = dir.filePath(QStringLiteral("%1 projects.pmdb").arg(projects));
    QFile out(path);
    EXPECT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(PelmoraTest::sealedProjectFile(body));
    return QFile::encodeName(path).toStdString();
}

struct PerProject
{
    double allocations = 0;   // of the host's main thread
    double peakKiB = 0;
    double nodeSlots = 0;     // stepped over by its scenes
};

// What each project beyond the few costs, the cheaper of two runs of each.
PerProject perProject(const Home& home, const std::string& few, const std::string& many, int extra)
{
    const auto best = [&home](const std::string& file) {
        PelmoraTest::ChildProcessCost cheapest;
        cheapest.work.allocations = ~0ull;
        cheapest.work.steps = ~0ull;
        cheapest.peakMiB = 1e9;
        for (int i = 0; i < 2; ++i) {
            // Its steps: vtkMRMLScene::GetNodeSlotsVisited().
            const PelmoraTest::ChildProcessCost cost = PelmoraTest::runChildProcess(
                {home.host, "--hidden", file}, {"_ZN12vtkMRMLScene19GetNodeSlotsVisitedEv"});
            EXPECT_EQ(cost.exitCode, 0) << file;
            cheapest.work.allocations = std::min(cheapest.work.allocations, cost.work.allocations);
            cheapest.work.steps = std::min(cheapest.work.steps, cost.work.steps);
            cheapest.peakMiB = std::min(cheapest.peakMiB, cost.peakMiB);
        }
        return cheapest;
    };
    const PelmoraTest::ChildProcessCost a = best(few);
    const PelmoraTest::ChildProcessCost b = best(many);
    return PerProject{(static_cast<double>(b.work.allocations) - static_cast<double>(a.work.allocations)) / extra,
                      (b.peakMiB - a.peakMiB) * 1024.0 / extra,
                      (static_cast<double>(b.work.steps) - static_cast<double>(a.work.steps)) / extra};
}

} // namespace

TEST(ColorFolderProjects, FiveThousandTablesCostAProjectWhatItCostsWithoutThem)
{
    PELMORA_SKIP_COST_LIMITS_WHEN_INSTRUMENTED();
    QTemporaryDir files;
    const std::string few = projectFile(files, 10);
    const std::string many = projectFile(files, 210);
    const Home bare(0);
    const Home full(5000);

    // Every project's scene held a node of its own for each file: about 4.5 MB and 40 ms
    // a project with this folder, thousands of allocations.  The start reads the files
    // once, alike for few and many.
    const PerProject without = perProject(bare, few, many, 200);
    const PerProject with = perProject(full, few, many, 200);
    ASSERT_GT(without.peakKiB, 0.0);
    ASSERT_GT(without.allocations, 0.0);
    EXPECT_LT(with.peakKiB, without.peakKiB * 1.5 + 16) << with.peakKiB << " KiB a project with the folder, "
                                                        << without.peakKiB << " without";
    std::printf("a project: %.0f allocations, %.0f KiB and %.0f node slots with the folder, %.0f, %.0f and %.0f without\n",
                with.allocations, with.peakKiB, with.nodeSlots, without.allocations, without.peakKiB, without.nodeSlots);
    // Counted in node slots too, which see a scene walking the folder's tables however
    // little that allocates.
    EXPECT_GT(without.nodeSlots, 0.0);
    EXPECT_LT(with.nodeSlots, without.nodeSlots * 1.5 + 100) << with.nodeSlots << " node slots a project with the folder, "
                                                              << without.nodeSlots << " without";
    EXPECT_LT(with.allocations, without.allocations * 1.5 + 100) << with.allocations
                                                                 << " allocations a project with the folder, "
                                                                 << without.allocations << " without";
}
