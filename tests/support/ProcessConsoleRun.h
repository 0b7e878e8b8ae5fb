#pragma once

// Running real programs in the process console, for the tests that drive it.

#include <dialogs/DlgIPCImp.h>
#include <support/HangGuard.h>

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
