// A file of two thousand projects holding ten objects each, named on the command line:
// every project gets its tab, in the file's order and without a modified mark, the tabs
// lie side by side with the active window's tab current, and the tree shows every project
// with its objects; a later change marks only its own project's tab.
// Closing all windows of such a file, and then opening another project file over it,
// leaves exactly the projects that stay, as they were, and then exactly the new file's.

#include "DriverOutput.h"
#include <support/HangGuard.h>

#include <support/ProjectFileSeal.h>

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

constexpr int Projects = 2000;
constexpr int Objects = 10;

QString projectName(int i)
{
    return QStringLiteral("Bau teil %1 \u00e9").arg(i);
}

// The project file of `names`, each project holding `objects` objects "Part 1", ...
QByteArray projectFile(const QStringList& names, int objects)
{
    QByteArray body = "PELMORA PROJECT FILE\nversion\t1\n";
    for (const QString& name : names) {
        body += "project\t" + name.toUtf8() + "\t1\tFemGui::ViewFeederProjectFem\n";
        for (int o = 1; o <= objects; ++o)
            body += "object\t" + QByteArray::number(o) + "\tObj::ProjectObject\tPart " + QByteArray::number(o) + "\t0\n";
    }
    return PelmoraTest::sealedProjectFile(body);
}

bool write(const QString& path, const QByteArray& bytes)
{
    QFile out(path);
    return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size();
}

// Runs the workspace driver in `home` and returns its output, empty when it failed.
QString runDriver(const QTemporaryDir& home, const QStringList& args, int expectedProjects)
{
    QProcess driver;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral(".config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral(".local/share")));
    env.insert(QStringLiteral("EXPECTED_PROJECTS"), QString::number(expectedProjects));
    driver.setProcessEnvironment(env);
    driver.setWorkingDirectory(home.path());
    driver.start(QStringLiteral(WORKSPACE_DRIVER), args);
    if (!driver.waitForFinished(PelmoraTest::HangGuardMs)) {
        ADD_FAILURE() << "the driver did not end";
        return {};
    }
    if (driver.exitCode() != 0) {
        ADD_FAILURE() << driver.readAllStandardError().toStdString();
        return {};
    }
    return QString::fromUtf8(driver.readAllStandardOutput());
}

} // namespace

TEST(ManyProjects, AFileOfThousandsOfProjectsWithObjectsOpensWithEveryTabAndTreeBranchRight)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    QByteArray body = "PELMORA PROJECT FILE\nversion\t1\n";
    QStringList tabs, tree, objects;
    for (int o = 1; o <= Objects; ++o)
        objects << QStringLiteral("Part %1").arg(o);
    for (int p = 0; p < Projects; ++p) {
        body += "project\t" + projectName(p).toUtf8() + "\t1\tFemGui::ViewFeederProjectFem\n";
        for (int o = 1; o <= Objects; ++o)
            body += "object\t" + QByteArray::number(o) + "\tObj::ProjectObject\tPart " + QByteArray::number(o) + "\t0\n";
        tabs << projectName(p);
        tree << projectName(p) + QLatin1Char(':') + objects.join(QLatin1Char(','));
    }
    body = PelmoraTest::sealedProjectFile(body);
    const QString file = home.filePath(QStringLiteral("many projects..v2 \u00fc.pmdb"));
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        ASSERT_EQ(out.write(body), body.size());
    }

    QProcess driver;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral(".config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral(".local/share")));
    env.insert(QStringLiteral("EXPECTED_PROJECTS"), QString::number(Projects));
    driver.setProcessEnvironment(env);
    driver.setWorkingDirectory(home.path());
    driver.start(QStringLiteral(WORKSPACE_DRIVER), {QStringLiteral("projects"), file});
    ASSERT_TRUE(driver.waitForFinished(PelmoraTest::HangGuardMs)) << "the driver did not end";
    const QString out = QString::fromUtf8(driver.readAllStandardOutput());
    ASSERT_EQ(driver.exitCode(), 0) << driver.readAllStandardError().toStdString();

    EXPECT_EQ(driverValue(out, "opened.tabs.count"), QString::number(Projects));
    EXPECT_EQ(driverValue(out, "opened.tabs.texts"), tabs.join(QLatin1Char('|')));
    EXPECT_EQ(driverValue(out, "opened.tabs.currentIsActive"), "yes");
    EXPECT_EQ(driverValue(out, "opened.tabs.inRow"), "yes");
    EXPECT_EQ(driverValue(out, "opened.tabs.shown"), "yes");
    EXPECT_EQ(driverValue(out, "tree"), tree.join(QLatin1Char('|')));

    // Only the changed project's tab shows the mark; the tab chosen is current and active.
    QStringList changed = tabs;
    changed[Projects / 2] += QLatin1Char('*');
    EXPECT_EQ(driverValue(out, "changed.tabs.texts"), changed.join(QLatin1Char('|')));
    EXPECT_EQ(driverValue(out, "changed.tabs.current"), projectName(0));
    EXPECT_EQ(driverValue(out, "changed.tabs.currentIsActive"), "yes");
    EXPECT_EQ(driverValue(out, "changed.tabs.inRow"), "yes");
}

TEST(ManyProjects, ClosingAllWindowsAndOpeningAnotherFileOverThousandsOfProjectsLeavesExactlyWhatStays)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    QStringList first, second;
    for (int p = 0; p < Projects; ++p)
        first << projectName(p);
    second << QStringLiteral("Zweite \u00e4 1") << QStringLiteral("Zweite..2") << QStringLiteral("Zweite 3");
    const QString firstFile = home.filePath(QStringLiteral("first..v1 \u00fc.pmdb"));
    const QString secondFile = home.filePath(QStringLiteral("second..v2 \u00e9.pmdb"));
    ASSERT_TRUE(write(firstFile, projectFile(first, Objects)));
    ASSERT_TRUE(write(secondFile, projectFile(second, 2)));

    const QString out = runDriver(home, {QStringLiteral("over"), firstFile, secondFile}, Projects);
    ASSERT_FALSE(out.isEmpty());
    ASSERT_EQ(driverValue(out, "opened.tabs.count"), QString::number(Projects));

    // The changed project's view refused to close; it keeps its tab, current, and its
    // branch as it was: expanded, with every object.  Its tab's close button still works.
    const QString kept = projectName(Projects / 2);
    EXPECT_EQ(driverValue(out, "closeall.questions"), "Close Project");
    EXPECT_EQ(driverValue(out, "closeall.tabs.texts"), kept + QLatin1Char('*'));
    EXPECT_EQ(driverValue(out, "closeall.tabs.currentIsActive"), "yes");
    EXPECT_EQ(driverValue(out, "closeall.tabs.shown"), "yes");
    QStringList parts;
    for (int o = 1; o <= Objects; ++o)
        parts << QStringLiteral("Part %1").arg(o);
    EXPECT_EQ(driverValue(out, "closeall.tree"), kept + QLatin1Char(':') + parts.join(QLatin1Char(',')) + ",Unsaved");
    EXPECT_EQ(driverValue(out, "closeall.tree.expanded"), kept);
    EXPECT_EQ(driverValue(out, "closeall.tree.root"), "Solution (1 project) (open)");
    EXPECT_EQ(driverValue(out, "closeall.closeButton.questions"), "Close Project");

    // Over it, exactly the second file's projects, each expanded with its objects.
    EXPECT_EQ(driverValue(out, "over.questions"), "Remove existing projects|Close Project");
    EXPECT_EQ(driverValue(out, "over.tabs.count"), "3");
    EXPECT_EQ(driverValue(out, "over.tabs.texts"), second.join(QLatin1Char('|')));
    EXPECT_EQ(driverValue(out, "over.tabs.currentIsActive"), "yes");
    EXPECT_EQ(driverValue(out, "over.tabs.inRow"), "yes");
    EXPECT_EQ(driverValue(out, "over.tree"), second.join(":Part 1,Part 2|") + ":Part 1,Part 2");
    EXPECT_EQ(driverValue(out, "over.tree.expanded"), second.join(QLatin1Char('|')));
    EXPECT_EQ(driverValue(out, "over.tree.root"), "Solution (3 projects) (open)");
}
