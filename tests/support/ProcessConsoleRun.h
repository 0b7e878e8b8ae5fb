#pragma once

// Running real programs in the process console, for the tests that drive it.

#include <dialogs/DlgIPCImp.h>
#include <support/HangGuard.h>
#include <support/StallGuard.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProgressBar>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTimer>

#include <cerrno>

#include <signal.h>
#include <unistd.h>

namespace PelmoraTest {

inline QString shell()
{
    return QStandardPaths::findExecutable(QStringLiteral("sh"));
}

// The console has reported the end of its run: the process is gone and the bar is full.
inline bool endReported(const Gui::DlgIPCImp& console)
{
    return !console.isRunning() && console.progressBar()->maximum() == 100;
}

// The process group of the console's run, known once startRunning has returned: its
// first program leads it.
inline qint64 runGroup(const Gui::DlgIPCImp& console)
{
    const auto* process = console.findChild<QProcess*>();
    return process ? process->processId() : 0;
}

// The fields of a /proc stat file from the state on.
inline QList<QByteArray> statFields(const QString& path)
{
    QFile stat(path);
    if (!stat.open(QIODevice::ReadOnly))
        return {};
    const QByteArray line = stat.readAll();
    return line.mid(line.lastIndexOf(')') + 2).split(' ');
}

// Whether process `pid` runs: it exists and is no zombie.
inline bool processRuns(qint64 pid)
{
    const QList<QByteArray> fields = statFields(QStringLiteral("/proc/%1/stat").arg(pid));
    return fields.size() > 2 && fields[0] != "Z" && fields[0] != "X";
}

// Whether a thread of group `group` still runs, read from /proc; zombies run no more, but
// a process whose main thread has exited is a zombie while its other threads run.
inline bool groupRuns(qint64 group)
{
    if (group <= 1)
        return false;
    const auto runs = [](const QList<QByteArray>& fields) { return fields[0] != "Z" && fields[0] != "X"; };
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        if (!entry.at(0).isDigit())
            continue;
        const QList<QByteArray> fields = statFields(QStringLiteral("/proc/%1/stat").arg(entry));
        if (fields.size() <= 2 || fields[2].toLongLong() != group)
            continue;
        const QString tasks = QStringLiteral("/proc/%1/task").arg(entry);
        for (const QString& thread : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            const QList<QByteArray> threadFields = statFields(QStringLiteral("%1/%2/stat").arg(tasks, thread));
            if (threadFields.size() > 2 && runs(threadFields))
                return true;
        }
    }
    return false;
}

// What the program of the run has written so far, as shown: the view after the two lines
// that name the program.
inline QString writtenSoFar(const Gui::DlgIPCImp& console)
{
    const QString text = console.output()->toPlainText();
    const int arguments = text.indexOf(QStringLiteral("Arguments: "));
    return arguments < 0 ? QString() : text.mid(text.indexOf(QLatin1Char('\n'), arguments) + 1);
}

// The console's timer that shows the output read so far, a slice at a time.
inline QTimer* outputFlush(const Gui::DlgIPCImp& console)
{
    return console.findChild<QTimer*>(QStringLiteral("outputFlush"));
}

// What the console has taken in so far, as a count that moves while it works: each read
// of its run's output that the event loop gave it and each change of its view.  What a
// guard against a hang reads to tell a long run that still moves from one that stands
// still.
class ConsoleIntake
{
public:
    explicit ConsoleIntake(const Gui::DlgIPCImp& console)
        : console(console)
    {
        QObject::connect(console.output()->document(), &QTextDocument::contentsChange, &counter,
                         [this](int, int, int added) {
                             ++taken;
                             characters += added;
                         });
    }
    // Counts the reads of the run just started too; called once per start.
    void watchReads()
    {
        for (QSocketNotifier* notifier : console.findChildren<QSocketNotifier*>())
            QObject::connect(notifier, &QSocketNotifier::activated, &counter, [this] { ++taken; });
    }
    qint64 count() const { return taken; }
    // The characters the view has taken in (before any of them were cut away).
    qint64 charactersAdded() const { return characters; }

private:
    const Gui::DlgIPCImp& console;
    QObject counter;
    qint64 taken = 0;
    qint64 characters = 0;
};

// Holds the showing: what the run writes is read and judged, but shown only once the test
// releases it or a button shows it all, so that the end of a talkative run is still to be
// shown when its program ends, however fast the program and the window run.
inline void holdShowing(Gui::DlgIPCImp& console)
{
    outputFlush(console)->setInterval(2 * HangGuardMs);
}

// Lets the console show the rest as it does on its own.
inline void releaseShowing(Gui::DlgIPCImp& console)
{
    QTimer* flush = outputFlush(console);
    flush->setInterval(Gui::DlgIPCImp::FlushIntervalMs);
    if (flush->isActive())
        flush->start();
}

// Steps of a script taken at the test's word: `waitFor(n)` is the shell line that waits
// until the test has said `go(n)`.  What the script writes before and after the wait
// comes in two reads on any machine, once the test has seen the first part shown.
class ScriptSteps
{
public:
    QString waitFor(int step) const
    {
        return QStringLiteral("while [ ! -e '%1' ]; do sleep 0.01; done; ").arg(file(step));
    }
    void go(int step) const { QFile(file(step)).open(QIODevice::WriteOnly); }
    // Waits until the console shows `text` in what was written, then says `go(step)`.
    bool goOnceShown(const Gui::DlgIPCImp& console, const QString& text, int step) const
    {
        const bool shown = QTest::qWaitFor([&] { return writtenSoFar(console).contains(text); }, HangGuardMs);
        go(step);
        return shown;
    }

private:
    QString file(int step) const { return dir.filePath(QStringLiteral("go%1").arg(step)); }
    QTemporaryDir dir;
};

// Builds the C program `source` with the system's compiler into `dir`; its path, or
// empty when it could not be built.
inline QString buildProgram(const QString& dir, const QString& name, const QByteArray& source)
{
    QFile file(QDir(dir).filePath(name + QStringLiteral(".c")));
    if (!file.open(QIODevice::WriteOnly) || file.write(source) != source.size())
        return {};
    file.close();
    const QString program = QDir(dir).filePath(name);
    QProcess cc;
    cc.start(QStringLiteral("cc"), {QStringLiteral("-pthread"), QStringLiteral("-o"), program, file.fileName()});
    if (!cc.waitForFinished(HangGuardMs) || cc.exitStatus() != QProcess::NormalExit || cc.exitCode() != 0)
        return {};
    return program;
}

// Builds into `dir` a program that ends once the console has read all that was written to
// its standard output before it (run it as "'program' >&2" for the error channel): what a
// script writes after it comes in a later read, on either channel.  Its path, or empty.
inline QString buildDrainedProgram(const QString& dir)
{
    return buildProgram(dir, QStringLiteral("drained"), QByteArrayLiteral(R"(
#include <sys/ioctl.h>
#include <unistd.h>
/* the build refuses test sources with a main() of their own; this one is a program's text */
int
main(void)
{
    int n = 1;
    while (ioctl(1, FIONREAD, &n) == 0 && n > 0)
        usleep(1000);
    return 0;
}
)"));
}

// Runs a shell script in the console and waits until the end is reported; the wait is
// only a guard against a hang.
inline bool runScript(Gui::DlgIPCImp& console, const QString& script, const QString& executable = shell())
{
    if (!console.startRunning(executable, {QStringLiteral("-c"), script}))
        return false;
    return QTest::qWaitFor([&] { return endReported(console); }, PelmoraTest::HangGuardMs);
}

// A console whose SIGKILL returns once the processes it went to have ended: the
// console's looks after it, and its giving up after MaxChecksAfterKill of them, never
// depend on how soon the system carries it out.  (Giving up is walked where the signals
// are refused.)
class KillWaitingConsole : public Gui::DlgIPCImp
{
public:
    using Gui::DlgIPCImp::DlgIPCImp;

protected:
    bool sendSignal(qint64 pid, int signal) override
    {
        if (!Gui::DlgIPCImp::sendSignal(pid, signal))
            return false;
        if (signal == SIGKILL) {
            const int saved = errno;
            QElapsedTimer guard;
            guard.start();
            while ((pid < 0 ? groupRuns(-pid) : processRuns(pid)) && guard.elapsed() < HangGuardMs)
                ::usleep(2000);
            errno = saved;
        }
        return true;
    }
};

// A console whose Save button is answered with `answer` instead of a file dialog.
class SavingConsole : public KillWaitingConsole
{
public:
    using KillWaitingConsole::KillWaitingConsole;
    QString answer;

protected:
    QString askSaveFileName() override { return answer; }
};

// A console whose signals can be refused, as a process that changed its user refuses
// them.
class RefusedConsole : public KillWaitingConsole
{
public:
    using KillWaitingConsole::KillWaitingConsole;
    bool refuseSignals = false;

protected:
    bool sendSignal(qint64 pid, int signal) override
    {
        if (!refuseSignals)
            return KillWaitingConsole::sendSignal(pid, signal);
        errno = EPERM;
        return false;
    }
};

} // namespace PelmoraTest
