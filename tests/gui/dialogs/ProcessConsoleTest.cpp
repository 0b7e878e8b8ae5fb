// The process console with real child processes: clean runs, warnings and errors in the
// program's own output, failed and impossible starts, both output channels, characters
// split between reads, and saving the output.

#include <dialogs/DlgIPCImp.h>
#include <support/HangGuard.h>

#include <support/ProcessConsoleRun.h>
#include <support/ModalCloser.h>

#include <QDir>
#include <QFile>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

#include <gtest/gtest.h>

#include <csignal>

#include <sys/resource.h>

namespace {

using PelmoraTest::SavingConsole;
using PelmoraTest::runScript;
using PelmoraTest::shell;

} // namespace

TEST(ProcessConsole, CleanRunClosesAcceptedUnlessKeptOpen)
{
    Gui::DlgIPCImp closing(QStringLiteral("Solver"), false);
    EXPECT_EQ(closing.windowTitle(), QStringLiteral("Solver"));
    ASSERT_TRUE(runScript(closing, QStringLiteral("echo all done")));
    EXPECT_EQ(closing.result(), QDialog::Accepted);

    Gui::DlgIPCImp kept(QStringLiteral("Solver"), true);
    ASSERT_TRUE(runScript(kept, QStringLiteral("echo all done")));
    EXPECT_EQ(kept.result(), 0);
    EXPECT_EQ(kept.progressBar()->value(), 100);
    const QString text = kept.output()->toPlainText();
    EXPECT_TRUE(text.startsWith(QStringLiteral("Executable: ") + shell() + QStringLiteral("\nArguments: -c echo all done\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("all done")));
    EXPECT_FALSE(text.contains(QStringLiteral("Child process returns")));
}

TEST(ProcessConsole, WordsInTheProgramsOutputDecideBetweenWarningAndError)
{
    Gui::DlgIPCImp console(QStringLiteral("Solver"), true);
    ASSERT_TRUE(runScript(console, QStringLiteral("echo Some Warning here")));
    EXPECT_EQ(console.progressBar()->value(), 100);
    EXPECT_TRUE(console.output()->toPlainText().endsWith(QStringLiteral("\nChild process returns a warning.\n")));
    EXPECT_FALSE(console.hasErrors());

    ASSERT_TRUE(runScript(console, QStringLiteral("echo ERROR: singular matrix >&2")));
    EXPECT_EQ(console.progressBar()->value(), 90);
    EXPECT_TRUE(console.output()->toPlainText().contains(QStringLiteral("singular matrix")))
        << "standard error is shown too";
    EXPECT_TRUE(console.hasErrors());

    ASSERT_TRUE(runScript(console, QStringLiteral("exit 2")));
    EXPECT_EQ(console.progressBar()->value(), 60);
    EXPECT_TRUE(console.output()->toPlainText().endsWith(QStringLiteral("\nChild process returns an error.\n")));

    // The echoed command line is not the program's output: a path with "error" in it
    // does not make a clean run an error.
    QTemporaryDir dir;
    const QString tool = QDir(dir.path()).filePath(QStringLiteral("error-checker"));
    ASSERT_TRUE(QFile::link(shell(), tool));
    Gui::DlgIPCImp clean(QStringLiteral("Checker"), false);
    ASSERT_TRUE(runScript(clean, QStringLiteral("echo fine"), tool));
    EXPECT_EQ(clean.result(), QDialog::Accepted);
    EXPECT_FALSE(clean.hasErrors());
}

TEST(ProcessConsole, ProgramsThatCannotStartAreReported)
{
    Gui::DlgIPCImp console(QStringLiteral("Solver"), true);
    EXPECT_FALSE(console.startRunning(QString(), {}));
    EXPECT_FALSE(console.startRunning(QStringLiteral("/no/such/program"), {}));
    // Refused: nothing runs, the reasons are shown and the bar is not busy.
    const QString refused = console.output()->toPlainText();
    EXPECT_TRUE(refused.contains(QStringLiteral("could not be started: no program was given")));
    EXPECT_TRUE(refused.contains(QStringLiteral("could not be started: /no/such/program does not exist")));
    EXPECT_FALSE(refused.contains(QStringLiteral("Executable: ")));
    EXPECT_EQ(console.progressBar()->maximum(), 100);
    EXPECT_TRUE(console.hasErrors());

    QTemporaryDir dir;
    const QString notExecutable = QDir(dir.path()).filePath(QStringLiteral("data.txt"));
    QFile file(notExecutable);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a program\n");
    file.close();
    ASSERT_TRUE(console.startRunning(notExecutable, {}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return console.progressBar()->maximum() == 100; }, PelmoraTest::HangGuardMs));
    EXPECT_TRUE(console.hasErrors());
    EXPECT_EQ(console.progressBar()->value(), 60);
    EXPECT_TRUE(console.output()->toPlainText().contains(QStringLiteral("could not be started")));
    console.slot_pb_close_clicked();
    EXPECT_EQ(console.result(), QDialog::Rejected);

    // A name without a path is the file of that name in the working directory, as checked,
    // not one looked up on PATH.
    const QString script = QDir(dir.path()).filePath(QStringLiteral("pelmora-probe"));
    QFile probe(script);
    ASSERT_TRUE(probe.open(QIODevice::WriteOnly));
    probe.write("#!/bin/sh\necho from the working directory\n");
    probe.close();
    ASSERT_TRUE(probe.setPermissions(probe.permissions() | QFileDevice::ExeOwner));
    const QString workingDir = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    const bool ran = runScript(console, QString(), QStringLiteral("pelmora-probe"));
    QDir::setCurrent(workingDir);
    ASSERT_TRUE(ran);
    EXPECT_FALSE(console.hasErrors()) << console.output()->toPlainText().toStdString();
    EXPECT_TRUE(console.output()->toPlainText().contains(QStringLiteral("\nfrom the working directory\n")));
}

TEST(ProcessConsole, CharactersSplitBetweenReadsArriveWhole)
{
    Gui::DlgIPCImp console(QStringLiteral("Solver"), true);
    // The two bytes of one GBK character, the second written once the line before the
    // first is shown: they come in two reads.
    const PelmoraTest::ScriptSteps steps;
    ASSERT_TRUE(console.startRunning(shell(), {QStringLiteral("-c"), QStringLiteral("printf 'first\\n\\304'; ")
                                                                         + steps.waitFor(1)
                                                                         + QStringLiteral("printf '\\343 ok\\n'")}));
    ASSERT_TRUE(steps.goOnceShown(console, QStringLiteral("first\n"), 1));
    ASSERT_TRUE(QTest::qWaitFor([&] { return PelmoraTest::endReported(console); }, PelmoraTest::HangGuardMs));
    EXPECT_TRUE(console.output()->toPlainText().contains(QString::fromUtf8("\xe4\xbd\xa0 ok")))
        << console.output()->toPlainText().toStdString();
}

TEST(ProcessConsole, StopAndSave)
{
    SavingConsole console(QStringLiteral("Solver"), true);
    console.slot_pb_stop_clicked();
    EXPECT_TRUE(console.output()->toPlainText().contains(QStringLiteral("Child process is not running, Stop command ignored.")));

    ASSERT_TRUE(console.startRunning(shell(), {QStringLiteral("-c"), QStringLiteral("sleep 30")}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return console.isRunning(); }, PelmoraTest::HangGuardMs));
    console.slot_pb_stop_clicked();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !console.isRunning(); }, PelmoraTest::HangGuardMs));
    EXPECT_TRUE(console.output()->toPlainText().contains(QStringLiteral("User interrupted the child process.")));
    EXPECT_EQ(console.progressBar()->value(), 60);

    QTemporaryDir dir;
    console.answer = QDir(dir.path()).filePath(QStringLiteral("run"));
    console.slot_btnSave_clicked();
    QFile saved(console.answer + QStringLiteral(".log"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(saved.readAll()), console.output()->toPlainText());

    console.answer = QDir(dir.path()).filePath(QStringLiteral("missing/run.txt"));
    PelmoraTest::ModalCloser closer;
    console.slot_btnSave_clicked();
    EXPECT_EQ(closer.titles(), QStringList{QStringLiteral("Save Console Output")}) << "a failed save is reported";

    console.findChild<QPushButton*>(QStringLiteral("pb_darkmode"))->click();
    EXPECT_TRUE(console.output()->styleSheet().contains(QStringLiteral("background: rgb(0, 0, 0)")));
}

TEST(ProcessConsole, ASaveThatRunsOutOfSpaceIsReportedAndKeepsTheEarlierFile)
{
    SavingConsole console(QStringLiteral("Solver"), true);
    ASSERT_TRUE(runScript(console, QStringLiteral("echo a line of output that does not fit")));
    QTemporaryDir dir;
    console.answer = QDir(dir.path()).filePath(QStringLiteral("run.log"));
    {
        QFile earlier(console.answer);
        ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
        earlier.write("earlier");
    }

    // A file size limit fails the write part-way, as a full disk does.
    struct rlimit old {};
    ASSERT_EQ(0, getrlimit(RLIMIT_FSIZE, &old));
    auto* previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 16;
    ASSERT_EQ(0, setrlimit(RLIMIT_FSIZE, &small));
    PelmoraTest::ModalCloser closer;
    console.slot_btnSave_clicked();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);

    EXPECT_EQ(closer.titles(), QStringList{QStringLiteral("Save Console Output")});
    QFile kept(console.answer);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("earlier"));
}
