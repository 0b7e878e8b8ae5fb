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

// Whether a process of group `group` still runs, read from /proc; zombies run no more.
inline bool groupRuns(qint64 group)
{
    if (group <= 1)
        return false;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!entry.at(0).isDigit() || !stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 2 && fields[2].toLongLong() == group && fields[0] != "Z" && fields[0] != "X")
            return true;
    }
    return false;
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

} // namespace PelmoraTest
