#pragma once

// Running real programs in the process console, for the tests that drive it.

#include <dialogs/DlgIPCImp.h>
#include <support/HangGuard.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProgressBar>
#include <QStandardPaths>
#include <QString>
#include <QTest>

#include <cerrno>

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

// Runs a shell script in the console and waits until the end is reported; the wait is
// only a guard against a hang.
inline bool runScript(Gui::DlgIPCImp& console, const QString& script, const QString& executable = shell())
{
    if (!console.startRunning(executable, {QStringLiteral("-c"), script}))
        return false;
    return QTest::qWaitFor([&] { return endReported(console); }, PelmoraTest::HangGuardMs);
}

// A console whose Save button is answered with `answer` instead of a file dialog.
class SavingConsole : public Gui::DlgIPCImp
{
public:
    using Gui::DlgIPCImp::DlgIPCImp;
    QString answer;

protected:
    QString askSaveFileName() override { return answer; }
};

// A console whose signals can be refused, as a process that changed its user refuses
// them.
class RefusedConsole : public Gui::DlgIPCImp
{
public:
    using Gui::DlgIPCImp::DlgIPCImp;
    bool refuseSignals = false;

protected:
    bool sendSignal(qint64 pid, int signal) override
    {
        if (!refuseSignals)
            return Gui::DlgIPCImp::sendSignal(pid, signal);
        errno = EPERM;
        return false;
    }
};

} // namespace PelmoraTest
