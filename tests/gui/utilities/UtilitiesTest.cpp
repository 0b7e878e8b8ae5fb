// Progress reported by the logic, ending processes by name, and opening web pages.

#include <mainwindow/BrowseWebsite.h>
#include <support/HangGuard.h>
#include <mainwindow/ProcessWindows.h>
#include <mainwindow/ProgressBarIndicator.h>

#include <support/ModalCloser.h>

#include <vexil/Progress.h>

#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

// Stands in for the status bar's progress queue: records what the launcher passes on.
class RecordingProgress : public Vexil::ProgressPassingBase
{
public:
    void send_text(const char* text) override { texts.emplace_back(text ? text : ""); }
    void set_progress(unsigned long long value) override { values.push_back(value); }
    std::vector<std::string> texts;
    std::vector<unsigned long long> values;
};

// A copy of `sleep` under a name of our choosing, runnable by anybody.
QString sleeperNamed(const QTemporaryDir& dir, const QString& name)
{
    const QString path = dir.filePath(name);
    if (!QFile::exists(path)) {
        EXPECT_TRUE(QFile::copy(QStringLiteral("/bin/sleep"), path));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther
                                        | QFile::ReadGroup | QFile::ExeGroup);
    }
    return path;
}

bool exited(pid_t pid, int* status, int timeoutMs = PelmoraTest::HangGuardMs)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        if (waitpid(pid, status, WNOHANG) == pid)
            return true;
        QTest::qWait(10);
    }
    return false;
}

// The signals sent to process `pid` and not yet delivered, as /proc shows them (hex).
std::string pendingSignals(pid_t pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return "unreadable";
    QByteArray pending;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("ShdPnd:") || line.startsWith("SigPnd:")) {
            const QByteArray mask = line.mid(7).trimmed();
            if (pending.isEmpty() || mask != "0000000000000000")
                pending = mask;
        }
    return pending.toStdString();
}

} // namespace

TEST(ProgressBarIndicator, FractionBecomesATruncatedStepAndTheNextStepsName)
{
    RecordingProgress sink;
    {
        Gui::ProgressBarIndicator indicator(200);
        EXPECT_EQ(indicator.steps.size(), 1u);
        EXPECT_EQ(indicator.steps.front().second, 200.0);
        EXPECT_EQ(sink.get_number_steps(), 200u);
        EXPECT_TRUE(sink.is_working());

        indicator.progress = 0.25;
        EXPECT_TRUE(indicator.show(false));
        indicator.progress = 0.999;
        EXPECT_TRUE(indicator.show(true));   // only one step queued: no text
        EXPECT_TRUE(sink.texts.empty() || sink.texts == std::vector<std::string>{""});
        const std::size_t textsBefore = sink.texts.size();

        pmMsg::Message_ProgressBarIndicator::Step next;
        next.name = QString::fromUtf8("Vernetzung \xc3\xbc");
        indicator.steps.push_back(next);
        indicator.progress = 0.5;
        indicator.show(true);
        indicator.show(false);
        ASSERT_EQ(sink.texts.size(), textsBefore + 1);
        EXPECT_EQ(sink.texts.back(), "Vernetzung \xc3\xbc");
        indicator.steps.back().name.clear();
        indicator.show(true);   // an empty name is not sent
        EXPECT_EQ(sink.texts.size(), textsBefore + 1);

        indicator.progress = -0.5;   // nonsense from the logic does not wrap around
        indicator.show(false);
        EXPECT_EQ(sink.values, (std::vector<unsigned long long>{50, 199, 100, 100, 100, 0}));

        EXPECT_FALSE(indicator.user_break());
        sink.try_to_cancel();
        EXPECT_TRUE(indicator.user_break());

        indicator.reset();
        EXPECT_EQ(indicator.progress, 0.0);
        ASSERT_EQ(indicator.steps.size(), 1u);
        EXPECT_EQ(indicator.steps.front().name, QStringLiteral("Step"));
    }
    // The indicator's operation ends with it.
    EXPECT_FALSE(sink.is_working());
}

TEST(ProcessTermination, EndsOurOwnProcessesOfThatNameWhateverTheCase)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // Names of this test process alone: a copy of this test running beside it (the whole
    // program in one process, say) ends its own sleepers, never these.
    const QString stem = QStringLiteral("pelmorasleeper%1").arg(::getpid());
    const QString upper = sleeperNamed(dir, stem.toUpper());
    const QString other = sleeperNamed(dir, stem + QStringLiteral("-not"));

    QProcess first, second, bystander;
    first.start(upper, {QStringLiteral("3600")});
    second.start(upper, {QStringLiteral("3600")});
    bystander.start(other, {QStringLiteral("3600")});
    ASSERT_TRUE(first.waitForStarted());
    ASSERT_TRUE(second.waitForStarted());
    ASSERT_TRUE(bystander.waitForStarted());

    pmProc::process_windows::killProcessByName(stem.toStdWString().c_str());
    EXPECT_TRUE(first.waitForFinished(PelmoraTest::HangGuardMs));
    EXPECT_TRUE(second.waitForFinished(PelmoraTest::HangGuardMs));
    EXPECT_EQ(first.exitStatus(), QProcess::CrashExit);
    EXPECT_EQ(second.exitStatus(), QProcess::CrashExit);
    // A longer name that merely begins the same is left running.
    EXPECT_EQ(bystander.state(), QProcess::Running);
    bystander.kill();
    bystander.waitForFinished();

    // Nothing of that name: nothing happens; an empty name matches nothing.
    pmProc::process_windows::killProcessByName(stem.toStdWString().c_str());
    pmProc::process_windows::killProcessByName(L"");
    pmProc::process_windows::killProcessByName(nullptr);
}

TEST(ProcessTermination, NeverEndsItselfOrAnotherUsersProcess)
{
    // A program asking to end its own name goes on running.  (Not this test program:
    // other tests of it may be running beside it.)  The probe runs as a copy named for this
    // test process, so that a probe of a copy of this test running beside it, which ends
    // every process of its own name but itself, cannot end this one.
    QTemporaryDir probeDir;
    ASSERT_TRUE(probeDir.isValid());
    const QString probeCopy = probeDir.filePath(QStringLiteral("pelmoraprobe%1").arg(::getpid()));
    ASSERT_TRUE(QFile::copy(QStringLiteral(PELMORA_SELFKILL_PROBE), probeCopy));
    ASSERT_TRUE(QFile::setPermissions(probeCopy, QFile::ReadOwner | QFile::ExeOwner));
    QProcess probe;
    probe.start(probeCopy, QStringList());
    ASSERT_TRUE(probe.waitForFinished(PelmoraTest::HangGuardMs));
    EXPECT_EQ(probe.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(probe.exitCode(), 0);
    EXPECT_EQ(probe.readAllStandardOutput().trimmed(), QByteArray("still here"));

    if (getuid() != 0)
        GTEST_SKIP() << "starting a process as another user needs root";
    // Under /tmp, where the other user can reach the program.
    QTemporaryDir dir(QStringLiteral("/tmp/pelmora-foreign-XXXXXX"));
    ASSERT_TRUE(dir.isValid());
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther
                                          | QFile::ExeOther | QFile::ReadGroup | QFile::ExeGroup);
    const QByteArray path = QFile::encodeName(sleeperNamed(dir, QStringLiteral("pelmoraforeign")));
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // "nobody"
        if (setgid(65534) != 0 || setuid(65534) != 0)
            _exit(3);
        execl(path.constData(), path.constData(), "3600", static_cast<char*>(nullptr));
        _exit(4);
    }
    // Once it runs under its name (a guard against a hang only).
    const QString comm = QStringLiteral("/proc/%1/comm").arg(child);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            QFile f(comm);
            return f.open(QIODevice::ReadOnly) && f.readAll().trimmed() == "pelmoraforeign";
        },
        PelmoraTest::HangGuardMs));
    pmProc::process_windows::killProcessByName(L"pelmoraforeign");
    // A signal sent to it is pending until it is delivered, or has ended it: neither, on
    // a machine of any speed.
    int status = 0;
    ASSERT_FALSE(waitpid(child, &status, WNOHANG) == child)
        << "ended: " << (WIFSIGNALED(status) ? "signal " : "exit ")
        << (WIFSIGNALED(status) ? WTERMSIG(status) : WEXITSTATUS(status));
    EXPECT_EQ(pendingSignals(child), "0000000000000000") << "a signal is on its way to it";
    kill(child, SIGKILL);
    ASSERT_TRUE(exited(child, &status));
    EXPECT_TRUE(WIFSIGNALED(status));
}

// Stands in for the desktop's browser for a scheme of our own.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
public Q_SLOTS:
    void open(const QUrl& url) { opened << url; }
};

TEST(Browser, AnAddressTheDesktopTakesAndOneItCannotOpen)
{
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("pelmoratest"), &catcher, "open");
    PelmoraTest::ModalCloser closer;

    EXPECT_TRUE(Gui::browse_website_with_url("pelmoratest://help/index.html?topic=Caf\xe9"));
    ASSERT_EQ(catcher.opened.size(), 1);
    EXPECT_EQ(catcher.opened.front().host(), QStringLiteral("help"));
    EXPECT_EQ(catcher.opened.front().query(QUrl::FullyDecoded), QString::fromUtf8("topic=Caf\xc3\xa9"));
    EXPECT_EQ(closer.count(), 0);

    // An address that is no address: the user is told, the result is false.
    EXPECT_FALSE(Gui::browse_website_with_url("http://[broken"));
    ASSERT_EQ(closer.count(), 1);
    EXPECT_EQ(closer.titles().front(), QStringLiteral("No Browser"));
    EXPECT_EQ(closer.texts().front(), QStringLiteral("Unable to open your system browser."));
    QDesktopServices::unsetUrlHandler(QStringLiteral("pelmoratest"));
}

#include "UtilitiesTest.moc"
