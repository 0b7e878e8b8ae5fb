#include "DisplayCheck.h"

#include <vexil/PrintableText.h>

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QLibraryInfo>
#include <QPluginLoader>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include <dlfcn.h>

namespace Host {

namespace {

// The value of a Qt option given as "-name value" or "--name value" (Qt takes both).
const char* argumentValue(const std::vector<char*>& arguments, const char* name)
{
    const char* value = nullptr;
    for (size_t i = 1; i + 1 < arguments.size() && arguments[i + 1]; ++i) {
        const char* a = arguments[i];
        if (!a || a[0] != '-')
            continue;
        if (a[1] == '-')
            ++a;
        if (std::strcmp(a + 1, name) == 0)
            value = arguments[i + 1];
    }
    return value;
}

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The names (keys, in lower case as Qt compares them) of the platform plugins Qt would find.
QStringList installedPlatforms(const std::vector<char*>& arguments)
{
    QStringList folders;
    const char* pluginPath = argumentValue(arguments, "platformpluginpath");
    const std::string fromEnvironment = environment("QT_QPA_PLATFORM_PLUGIN_PATH");
    for (const QString& folder : QString::fromLocal8Bit(pluginPath ? pluginPath : fromEnvironment.c_str())
                                     .split(QLatin1Char(':'), Qt::SkipEmptyParts))
        folders << folder;
    for (const QString& path : QString::fromLocal8Bit(environment("QT_PLUGIN_PATH").c_str())
                                   .split(QLatin1Char(':'), Qt::SkipEmptyParts))
        folders << QDir(path).filePath(QStringLiteral("platforms"));
    folders << QDir(QLibraryInfo::location(QLibraryInfo::PluginsPath)).filePath(QStringLiteral("platforms"));
    // Qt also looks beside the program.
    folders << QDir(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath()).filePath(QStringLiteral("platforms"));

    QStringList names;
    const auto take = [&names](const QJsonObject& meta) {
        for (const QJsonValue key : meta.value(QStringLiteral("MetaData")).toObject().value(QStringLiteral("Keys")).toArray())
            if (!names.contains(key.toString().toLower()))
                names << key.toString().toLower();
    };
    for (const QStaticPlugin& plugin : QPluginLoader::staticPlugins())
        take(plugin.metaData());
    for (const QString& folder : folders) {
        const QDir dir(folder);
        for (const QString& file : dir.entryList(QDir::Files)) {
            if (!QLibrary::isLibrary(file))
                continue;
            // Reads the plugin's description without loading its code.
            take(QPluginLoader(dir.filePath(file)).metaData());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Empty when the X server of `display` answers and has the screen it names, else why not.
std::string displayProblem(const std::string& display, const char* where)
{
    if (display.empty())
        return "there is no display to show the window on (DISPLAY is not set): start it in a desktop "
               "session, under xvfb-run, or with QT_QPA_PLATFORM=offscreen";
    const std::string named = "display " + Vexil::printableText(display) + " (" + where + ")";
    // The X library Qt's own X11 platform loads; without it that platform cannot load either.
    void* xcb = ::dlopen("libxcb.so.1", RTLD_NOW | RTLD_LOCAL);
    if (!xcb) {
        const char* why = ::dlerror();
        return "cannot reach " + named + ": the X11 library libxcb.so.1 cannot be loaded" +
               (why ? ": " + Vexil::printableText(why) : std::string());
    }
    using Connect = void* (*)(const char*, int*);
    using HasError = int (*)(void*);
    using Disconnect = void (*)(void*);
    using GetSetup = const void* (*)(void*);
    using RootsLength = int (*)(const void*);
    auto connect = reinterpret_cast<Connect>(::dlsym(xcb, "xcb_connect"));
    auto hasError = reinterpret_cast<HasError>(::dlsym(xcb, "xcb_connection_has_error"));
    auto disconnect = reinterpret_cast<Disconnect>(::dlsym(xcb, "xcb_disconnect"));
    auto getSetup = reinterpret_cast<GetSetup>(::dlsym(xcb, "xcb_get_setup"));
    auto rootsLength = reinterpret_cast<RootsLength>(::dlsym(xcb, "xcb_setup_roots_length"));
    std::string problem;
    if (!connect || !hasError || !disconnect || !getSetup || !rootsLength) {
        problem = "cannot reach " + named + ": the X11 library libxcb.so.1 lacks the calls to connect";
    } else {
        int screen = 0;
        void* connection = connect(display.c_str(), &screen);
        const int error = connection ? hasError(connection) : 1;
        switch (error) {
        case 0:
            if (screen < 0 || screen >= rootsLength(getSetup(connection)))
                problem = named + " has no screen " + std::to_string(screen);
            break;
        case 5:   // XCB_CONN_CLOSED_PARSE_ERR
            problem = named + " is no display name (one is written as \":0\" or \"host:0.0\")";
            break;
        case 6:   // XCB_CONN_CLOSED_INVALID_SCREEN
            problem = named + " has no such screen";
            break;
        case 3:   // XCB_CONN_CLOSED_MEM_INSUFFICIENT
            problem = "cannot reach " + named + ": there is not enough memory to connect";
            break;
        default:
            problem = "cannot reach " + named + ": no X server answers there, or it refused the connection";
            break;
        }
        if (connection)
            disconnect(connection);
    }
    ::dlclose(xcb);
    return problem;
}

} // namespace

bool WindowSystem::withoutOpenGL() const
{
    // Qt's platforms that paint into memory or a frame buffer only.
    return platform == "offscreen" || platform == "minimal" || platform == "vnc" || platform == "linuxfb";
}

WindowSystem windowSystem(const std::vector<char*>& arguments)
{
    WindowSystem result;
    const char* fromArgument = argumentValue(arguments, "platform");
    const std::string fromEnvironment = environment("QT_QPA_PLATFORM");
    const char* source = fromArgument ? "-platform" : !fromEnvironment.empty() ? "QT_QPA_PLATFORM" : nullptr;
    const std::string requested = fromArgument ? fromArgument : !fromEnvironment.empty() ? fromEnvironment : "xcb";

    const char* displayArgument = argumentValue(arguments, "display");
    const std::string display = displayArgument ? displayArgument : environment("DISPLAY");
    const char* displaySource = displayArgument ? "-display" : "DISPLAY";

    // Qt tries the names of a list "a;b" in turn; each may carry options after a colon.
    QStringList installed;
    bool installedRead = false;
    std::string firstProblem;
    for (const QString& entry : QString::fromLocal8Bit(requested.c_str()).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString name = entry.section(QLatin1Char(':'), 0, 0).toLower();
        if (!installedRead) {
            installed = installedPlatforms(arguments);
            installedRead = true;
        }
        std::string problem;
        // Where no platform is found at all, Qt is left to look (and to say) for itself.
        if (!installed.isEmpty() && !installed.contains(name))
            problem = "there is no window system platform \"" + Vexil::printableText(name.toStdString()) + "\"" +
                      (source ? std::string(" (") + source + ")" : std::string()) + "; the platforms installed are: " +
                      installed.join(QStringLiteral(", ")).toStdString();
        else if (name == QLatin1String("xcb"))
            problem = displayProblem(display, displaySource);
        if (problem.empty()) {
            result.platform = name.toStdString();
            return result;
        }
        if (firstProblem.empty())
            firstProblem = problem;
    }
    result.problem = "cannot start: " + (firstProblem.empty() ? "QT_QPA_PLATFORM names no platform" : firstProblem);
    return result;
}

} // namespace Host
