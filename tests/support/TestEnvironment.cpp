#include "TestEnvironment.h"

#include <obj/Application.h>
#include <pmmsg/Message.h>

#include <QDir>
#include <QTemporaryDir>

#include <cstdlib>

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

void isolateEnvironment()
{
    if (!homeHolder()) {
        homeHolder() = new QTemporaryDir(QDir::tempPath() + "/pelmora-test-XXXXXX");
        // Left for the process' end on purpose: static destruction order would
        // otherwise remove it under late writers.
    }
    const QByteArray home = homeHolder()->path().toLocal8Bit();
    setenv("HOME", home.constData(), 1);
    setenv("XDG_CONFIG_HOME", (home + "/.config").constData(), 1);
    setenv("XDG_DATA_HOME", (home + "/.local/share").constData(), 1);
    setenv("XDG_CACHE_HOME", (home + "/.cache").constData(), 1);
    if (!getenv("DISPLAY") && !getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
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
