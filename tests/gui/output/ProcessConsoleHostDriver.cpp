// A host that runs one shell script in a shown process console, for the test that kills
// the host with SIGKILL while the run goes on:
//   processconsole_host_driver SHELL SCRIPT
// prints the run's process group once the run has started, then runs the event loop.

#include <dialogs/DlgIPCImp.h>

#include <QApplication>
#include <QProcess>
#include <QStringList>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    QApplication app(argc, argv);
    Gui::DlgIPCImp console(QStringLiteral("Solver"), true);
    console.show();
    if (!console.startRunning(QString::fromLocal8Bit(argv[1]), {QStringLiteral("-c"), QString::fromLocal8Bit(argv[2])}))
        return 1;
    const auto* process = console.findChild<QProcess*>();
    std::printf("%lld\n", static_cast<long long>(process ? process->processId() : 0));
    std::fflush(stdout);
    return app.exec();
}
