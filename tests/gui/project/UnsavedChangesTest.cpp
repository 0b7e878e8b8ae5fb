// Unsaved changes as a user meets them in the running application: what a rename in the
// project tree and an Open over a changed project leave, and whether closing the window
// still asks about them. Each scenario runs the whole application as its own process.

#include <QProcess>
#include <support/HangGuard.h>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct DriverRun
{
    int exitCode = -1;
    QString out;
    QString value(const QString& key) const
    {
        for (const QString& line : out.split(QLatin1Char('\n')))
            if (line.startsWith(key + QLatin1Char('=')))
                return line.mid(key.size() + 1);
        return QStringLiteral("<missing>");
    }
};

DriverRun runDriver(const QString& scenario)
{
    QTemporaryDir home;
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral(".config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral(".local/share")));
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::SeparateChannels);
    p.start(QStringLiteral(UNSAVED_CHANGES_DRIVER), QStringList{scenario});
    DriverRun r;
    if (!p.waitForFinished(PelmoraTest::HangGuardMs))
        p.kill();
    r.exitCode = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    return r;
}

} // namespace

TEST(UnsavedChanges, ARenameInTheTreeIsAChangeThatClosingAsksAbout)
{
    const DriverRun r = runDriver(QStringLiteral("rename"));
    ASSERT_EQ(r.exitCode, 0) << r.out.toStdString();
    EXPECT_EQ(r.value("label"), QString::fromUtf8("Plant \xc3\xa9 v2.1"));
    EXPECT_EQ(r.value("modified"), "yes");
    EXPECT_EQ(r.value("dirty"), "yes");
    // Cancel keeps the window and the new name.
    EXPECT_EQ(r.value("altf4.questions"), "Close Project");
    EXPECT_EQ(r.value("altf4.window"), "open");
}

TEST(UnsavedChanges, ARenameInTheLabelRowIsAChangeThatClosingAsksAbout)
{
    const DriverRun r = runDriver(QStringLiteral("label-row"));
    ASSERT_EQ(r.exitCode, 0) << r.out.toStdString();
    EXPECT_EQ(r.value("label"), "Bracket v2.1") << r.out.toStdString();
    EXPECT_EQ(r.value("modified"), "yes");
    EXPECT_EQ(r.value("altf4.questions"), "Close Project");
    EXPECT_EQ(r.value("altf4.window"), "open");
}

TEST(UnsavedChanges, CancellingTheSaveQuestionCancelsTheWholeOpen)
{
    const DriverRun r = runDriver(QStringLiteral("open"));
    ASSERT_EQ(r.exitCode, 0) << r.out.toStdString();
    ASSERT_EQ(r.value("before.modified"), "yes");
    EXPECT_EQ(r.value("cancel.questions"), "Remove existing projects|Close Project");
    // The file was not opened beside the kept project, which is still unsaved.
    EXPECT_EQ(r.value("cancel.projects"), "Saved Plant");
    EXPECT_EQ(r.value("cancel.unsaved.object"), "yes");
    EXPECT_EQ(r.value("cancel.modified"), "yes");

    // Giving the change up opens the file in its place, asking once.
    EXPECT_EQ(r.value("discard.questions"), "Remove existing projects|Close Project");
    EXPECT_EQ(r.value("discard.projects"), "Saved Plant");
    EXPECT_EQ(r.value("discard.unsaved.object"), "no");
    EXPECT_EQ(r.value("discard.modified"), "no");
    // Nothing unsaved is left: the window closes without a question.
    EXPECT_EQ(r.value("altf4.questions"), "");
    EXPECT_EQ(r.value("altf4.window"), "closed");
}
