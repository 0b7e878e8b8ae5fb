#pragma once
// A running instance for the tables of files handed to the program: the driver of the
// singleinstance tests (FilesInDriver.cpp) in a chosen window state, under the server name
// of the runtime folder given, and the commands it answers on its standard input.

#include <support/HangGuard.h>

#include <QByteArray>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>

#include <string>

namespace PelmoraTest {

// The running instance of one state, and the starts made beside it.
class RunningInstance
{
public:
    RunningInstance(const QString& driver, const QString& runtime, const std::string& state) : runtime(runtime)
    {
        process.setProcessEnvironment(environment());
        process.start(driver, {QString::fromStdString(state)});
        const bool holds = state == "close-question" || state == "quitting" || state == "save-as"
                           || state == "resume-question" || state == "resume-save-question"
                           || state == "tab-close-question";
        started = process.waitForStarted(PelmoraTest::HangGuardMs) && !waitFor(holds ? "held" : "ready").isEmpty();
    }
    ~RunningInstance()
    {
        process.closeWriteChannel();
        if (!process.waitForFinished(PelmoraTest::HangGuardMs))
            process.kill();
        process.waitForFinished(5000);
    }
    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        return env;
    }
    // The driver's answer to `line`.
    QByteArray ask(const QByteArray& line, const QByteArray& answer = "done")
    {
        process.write(line + '\n');
        return waitFor(answer);
    }
    QByteArray waitFor(const QByteArray& start)
    {
        // A guard against a hang only.
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 300000) {
            while (process.canReadLine()) {
                const QByteArray line = process.readLine().trimmed();
                if (line.startsWith(start))
                    return line;
            }
            if (process.state() != QProcess::Running && !process.canReadLine())
                return {};
            process.waitForReadyRead(200);
        }
        return {};
    }

    QString runtime;
    QProcess process;
    bool started = false;
};

} // namespace PelmoraTest
