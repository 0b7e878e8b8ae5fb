// Asks to end every process of its own executable's name, then reports that it is
// still running.  Run by the utilities test as a program of a name nothing else has.

#include <mainwindow/ProcessWindows.h>

#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString self = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    pmProc::process_windows::killProcessByName(self.toUpper().toStdWString().c_str());
    std::puts("still here");
    return 0;
}
