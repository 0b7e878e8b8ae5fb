// What a restart keeps: the main window is closed in one process and the next process,
// started in the same home, shows the window, docks and toolbars as they were left.

#include "DriverOutput.h"
#include <support/HangGuard.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString runDriver(const QString& home, const QString& scenario, int* exitCode)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/.local/share"));
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::SeparateChannels);
    p.start(QStringLiteral(WORKSPACE_DRIVER), QStringList{scenario});
    if (!p.waitForFinished(PelmoraTest::HangGuardMs))
        p.kill();
    *exitCode = p.exitCode();
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

TEST(Restart, DockAndToolbarVisibilityOutliveTheProcess)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    int code = -1;
    const QString fresh = runDriver(home.path(), QStringLiteral("report"), &code);
    ASSERT_EQ(code, 0) << fresh.toStdString();
    EXPECT_EQ(driverValue(fresh, "dock.Chart"), "shown");
    EXPECT_EQ(driverValue(fresh, "toolbar.FILE"), "shown");

    runDriver(home.path(), QStringLiteral("close"), &code);
    ASSERT_EQ(code, 0);

    const QString again = runDriver(home.path(), QStringLiteral("report"), &code);
    ASSERT_EQ(code, 0) << again.toStdString();
    EXPECT_NE(driverValue(fresh, "window.size"), "777x555");
    EXPECT_EQ(driverValue(again, "window.size"), "777x555");
    EXPECT_EQ(driverValue(again, "dock.Chart"), "hidden");
    EXPECT_EQ(driverValue(again, "dock.Output"), "shown");
    EXPECT_EQ(driverValue(again, "dock.Project Explorer"), "shown");
    EXPECT_EQ(driverValue(again, "toolbar.FILE"), "hidden");
    EXPECT_EQ(driverValue(again, "saved.Std_GraphView"), "false");
    EXPECT_EQ(driverValue(again, "saved.Std_ReportView"), "true");
}

TEST(RunningWindow, FileMenuHoldsTheProjectCommandsAndTheKeysReachThem)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    int code = -1;
    const QString out = runDriver(home.path(), QStringLiteral("keys"), &code);
    ASSERT_EQ(code, 0) << out.toStdString();
    EXPECT_EQ(driverValue(out, "menu.FILE"), "Std_New Std_Open Std_OpenPMDB | Std_CloseCurrentWindow Std_CloseAllWnds | Std_Save "
                                       "Std_SaveAs | Std_DlgUserPref2 | Std_Quit");
    EXPECT_EQ(driverValue(out, "menu.EDIT"), "Std_Copy Std_Paste Std_DuplicateSelection | Std_Delete");
    EXPECT_EQ(driverValue(out, "projects.after.CtrlN"), "2");
    EXPECT_EQ(driverValue(out, "saved.by.CtrlS"), "yes");
}
