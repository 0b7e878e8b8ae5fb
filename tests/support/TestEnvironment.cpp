#include "TestEnvironment.h"
#include "TempFolders.h"

#include <obj/Application.h>
#include <pmmsg/Message.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

#include <sys/stat.h>
#include <unistd.h>

namespace PelmoraTest {

namespace {
QTemporaryDir*& homeHolder()
{
    static QTemporaryDir* dir = nullptr;
    return dir;
}
} // namespace

QString homeDir()
{
    return homeHolder() ? homeHolder()->path() : QString();
}

namespace {
// Runs at exit after the singletons made during the tests are gone (they were made
// after this was registered), so that no late writer recreates part of the folder.
// The system's calls on the names' bytes: a test may leave a file whose name is no text,
// which Qt's own removal cannot name.
void removeHome()
{
    if (QTemporaryDir* dir = homeHolder())
        removeTree(QFile::encodeName(dir->path()).toStdString());
}
} // namespace

void isolateEnvironment()
{
    if (!homeHolder()) {
        // What runs that were killed (a test out of time) left goes first; this run's home
        // names this process, so that the next run knows it for one that ended.
        clearFoldersOfEndedRuns(QFile::encodeName(QDir::tempPath()).toStdString());
        homeHolder() = new QTemporaryDir(QDir::tempPath() + QStringLiteral("/pelmora-test-%1-XXXXXX").arg(::getpid()));
        homeHolder()->setAutoRemove(false);
        std::atexit(removeHome);
    }
    const QByteArray home = homeHolder()->path().toLocal8Bit();
    // Temporary files and the single-instance socket of this process and the programs
    // it starts stay apart from any other run on the machine.
    QDir().mkpath(homeHolder()->path() + "/tmp");
    QDir().mkpath(homeHolder()->path() + "/runtime");
    ::chmod((home + "/runtime").constData(), 0700);
    setenv("TMPDIR", (home + "/tmp").constData(), 1);
    setenv("XDG_RUNTIME_DIR", (home + "/runtime").constData(), 1);
    setenv("HOME", home.constData(), 1);
    setenv("XDG_CONFIG_HOME", (home + "/.config").constData(), 1);
    setenv("XDG_DATA_HOME", (home + "/.local/share").constData(), 1);
    setenv("XDG_CACHE_HOME", (home + "/.cache").constData(), 1);
}

ScopedLogic::ScopedLogic(std::map<std::string, std::string> config)
    : dir(std::make_unique<QTemporaryDir>(homeDir() + "/logic-XXXXXX"))
{
    if (!config.count("UserAppData"))
        config["UserAppData"] = dir->path().toStdString() + "/";
    if (!config.count("AppHomePath"))
        config["AppHomePath"] = dir->path().toStdString() + "/";
    exe = "pelmora";
    argv[0] = exe.data();
    pmMsg::Journal::clear();
    application = new Obj::Application(1, argv, std::move(config));
}

ScopedLogic::~ScopedLogic()
{
    delete application;
    pmMsg::InterpreterSingleton::Instance().clearGuiHandlers();
    pmMsg::Journal::clear();
}

QString ScopedLogic::dataDir() const
{
    return dir->path();
}

} // namespace PelmoraTest
