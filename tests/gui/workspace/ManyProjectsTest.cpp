// A file of two thousand projects holding ten objects each, named on the command line:
// every project gets its tab, in the file's order and without a modified mark, the tabs
// lie side by side with the active window's tab current, and the tree shows every project
// with its objects; a later change marks only its own project's tab.

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

QString value(const QString& out, const QString& key)
{
    for (const QString& line : out.split(QLatin1Char('\n')))
        if (line.startsWith(key + QLatin1Char('=')))
            return line.mid(key.size() + 1);
    return QStringLiteral("<missing>");
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
    ASSERT_TRUE(driver.waitForFinished(240000)) << "the driver did not end";
    const QString out = QString::fromUtf8(driver.readAllStandardOutput());
    ASSERT_EQ(driver.exitCode(), 0) << driver.readAllStandardError().toStdString();

    EXPECT_EQ(value(out, "opened.tabs.count"), QString::number(Projects));
    EXPECT_EQ(value(out, "opened.tabs.texts"), tabs.join(QLatin1Char('|')));
    EXPECT_EQ(value(out, "opened.tabs.currentIsActive"), "yes");
    EXPECT_EQ(value(out, "opened.tabs.inRow"), "yes");
    EXPECT_EQ(value(out, "opened.tabs.shown"), "yes");
    EXPECT_EQ(value(out, "tree"), tree.join(QLatin1Char('|')));

    // Only the changed project's tab shows the mark; the tab chosen is current and active.
    QStringList changed = tabs;
    changed[Projects / 2] += QLatin1Char('*');
    EXPECT_EQ(value(out, "changed.tabs.texts"), changed.join(QLatin1Char('|')));
    EXPECT_EQ(value(out, "changed.tabs.current"), projectName(0));
    EXPECT_EQ(value(out, "changed.tabs.currentIsActive"), "yes");
    EXPECT_EQ(value(out, "changed.tabs.inRow"), "yes");
}
