#include "DisplayCheck.h"

#include <vexil/PrintableText.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QLibraryInfo>
#include <QPluginLoader>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

#include <cerrno>
#include <cstdint>
#include <cstdio>

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

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

// The check's connection to the X server, held until Qt has its own: an X server with no
// other client resets when its last client leaves, and a connection made while it resets
// fails (Qt then aborts).
struct HeldDisplay
{
    void* library = nullptr;
    void* connection = nullptr;
    void (*disconnect)(void*) = nullptr;
};
HeldDisplay held;

// How long an X server may take to answer the connection before the start gives up on it.
constexpr int DisplayAnswerMs = 5000;

// One connection attempt, made on a thread of its own so that a server that takes the
// connection and never answers cannot hold the start: the thread is left behind then,
// and the start ends.
struct ConnectAttempt
{
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    void* connection = nullptr;
    int screen = 0;
};

// Empty when the X server of `display` answers and has the screen it names, else why not.
// A connection that answers is kept open (releaseDisplayCheck).
std::string displayProblem(const std::string& display, const char* where)
{
    if (display.empty())
        return "there is no display to show the window on (DISPLAY is not set): start it in a desktop "
               "session, under xvfb-run, or with QT_QPA_PLATFORM=offscreen";
    const std::string printable = Vexil::printableText(display);
    const std::string named = "display " + printable + " (" + where + ")";
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
    if (!connect || !hasError || !disconnect || !getSetup || !rootsLength) {
        ::dlclose(xcb);
        return "cannot reach " + named + ": the X11 library libxcb.so.1 lacks the calls to connect";
    }
    std::shared_ptr<ConnectAttempt> attempt;
    try {
        attempt = std::make_shared<ConnectAttempt>();
        std::thread([attempt, connect, display] {
            int screen = 0;
            void* connection = connect(display.c_str(), &screen);
            std::lock_guard<std::mutex> lock(attempt->mutex);
            attempt->connection = connection;
            attempt->screen = screen;
            attempt->done = true;
            attempt->finished.notify_all();
        }).detach();
    }
    catch (const std::exception& e) {
        // Under a cap on the address space the thread's stack may not fit.
        ::dlclose(xcb);
        return "there is not enough memory to connect to " + named + ": the thread that connects could not start (" +
               Vexil::printableText(e.what()) + ")";
    }
    {
        std::unique_lock<std::mutex> lock(attempt->mutex);
        if (!attempt->finished.wait_for(lock, std::chrono::milliseconds(DisplayAnswerMs), [&] { return attempt->done; }))
            // The library stays loaded: the thread is still inside it.
            return "display " + printable + " does not answer (" + where + "): its X server took the connection and "
                   "said nothing in " + std::to_string(DisplayAnswerMs / 1000) + " s";
    }
    void* connection = attempt->connection;
    const int screen = attempt->screen;
    std::string problem;
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
    if (problem.empty() && !held.connection) {
        held = {xcb, connection, disconnect};
        return problem;
    }
    if (connection)
        disconnect(connection);
    ::dlclose(xcb);
    return problem;
}

// The value of option `key` among those given after the platform's name ("linuxfb:fb=/dev/fb1:size=800x600").
QString platformOption(const QString& entry, const QString& key)
{
    const QStringList parts = entry.split(QLatin1Char(':'));
    for (int i = 1; i < parts.size(); ++i)
        if (parts[i].startsWith(key + QLatin1Char('=')))
            return parts[i].mid(key.size() + 1);
    return QString();
}

// Empty when `path` opens for reading, else why not.
std::string openProblem(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return Vexil::printableText(path) + " cannot be opened: " + std::strerror(errno);
    ::close(fd);
    return {};
}

// Empty when a DRM device in /dev/dri opens, else why not.
std::string drmProblem(const std::string& platform)
{
    const QDir dri(QStringLiteral("/dev/dri"));
    for (const QString& card : dri.entryList({QStringLiteral("card*")}, QDir::System | QDir::Files))
        if (openProblem(QFile::encodeName(dri.filePath(card)).toStdString()).empty())
            return {};
    return platform + " draws on a DRM device, and there is none in /dev/dri that can be opened";
}

// Empty when the framebuffer device the "linuxfb" platform would draw on opens, else why not.
std::string framebufferProblem(const QString& entry, const std::string& platform)
{
    const std::string drm = environment("QT_QPA_FB_DRM");
    if (!drm.empty() && std::atoi(drm.c_str()) != 0)
        return drmProblem(platform + " (with QT_QPA_FB_DRM)");
    QString device = platformOption(entry, QStringLiteral("fb"));
    if (device.isEmpty()) {
        // Where Qt looks when none is named.
        device = QStringLiteral("/dev/fb0");
        if (!QFileInfo::exists(device) && QFileInfo::exists(QStringLiteral("/dev/graphics/fb0")))
            device = QStringLiteral("/dev/graphics/fb0");
    }
    const std::string problem = openProblem(QFile::encodeName(device).toStdString());
    return problem.empty() ? problem : platform + " draws on a framebuffer device, and " + problem;
}

// Empty when the EGL display the "minimalegl" platform opens (the default one) has a window to
// draw on (the screen itself, as on a framebuffer), else why not.
std::string eglScreenProblem(const std::string& platform)
{
    void* egl = ::dlopen("libEGL.so.1", RTLD_NOW | RTLD_LOCAL);
    if (!egl) {
        const char* why = ::dlerror();
        return platform + " draws through EGL, and the library libEGL.so.1 cannot be loaded" +
               (why ? ": " + Vexil::printableText(why) : std::string());
    }
    using GetDisplay = void* (*)(void*);
    using Initialize = unsigned (*)(void*, int*, int*);
    using ChooseConfig = unsigned (*)(void*, const int*, void**, int, int*);
    using CreateWindowSurface = void* (*)(void*, void*, std::uintptr_t, const int*);
    using DestroySurface = unsigned (*)(void*, void*);
    using Terminate = unsigned (*)(void*);
    using GetError = int (*)();
    auto getDisplay = reinterpret_cast<GetDisplay>(::dlsym(egl, "eglGetDisplay"));
    auto initialize = reinterpret_cast<Initialize>(::dlsym(egl, "eglInitialize"));
    auto chooseConfig = reinterpret_cast<ChooseConfig>(::dlsym(egl, "eglChooseConfig"));
    auto createWindowSurface = reinterpret_cast<CreateWindowSurface>(::dlsym(egl, "eglCreateWindowSurface"));
    auto destroySurface = reinterpret_cast<DestroySurface>(::dlsym(egl, "eglDestroySurface"));
    auto terminate = reinterpret_cast<Terminate>(::dlsym(egl, "eglTerminate"));
    auto getError = reinterpret_cast<GetError>(::dlsym(egl, "eglGetError"));
    std::string problem;
    const auto code = [&getError] {
        char text[16];
        std::snprintf(text, sizeof text, "0x%04x", unsigned(getError()));
        return std::string(" (EGL error ") + text + ")";
    };
    if (!getDisplay || !initialize || !chooseConfig || !createWindowSurface || !destroySurface || !terminate || !getError) {
        problem = platform + " draws through EGL, and the library libEGL.so.1 lacks its calls";
    } else if (void* display = getDisplay(nullptr); !display) {
        problem = platform + " draws on the default EGL display, and there is none" + code();
    } else if (int major = 0, minor = 0; !initialize(display, &major, &minor)) {
        problem = platform + " draws on the default EGL display, and it cannot be opened" + code();
    } else {
        const int surfaceType = 0x3033, windowBit = 0x0004, none = 0x3038;   // EGL_SURFACE_TYPE, EGL_WINDOW_BIT, EGL_NONE
        const int attributes[] = {surfaceType, windowBit, none};
        void* config = nullptr;
        int configs = 0;
        if (!chooseConfig(display, attributes, &config, 1, &configs) || configs < 1) {
            problem = platform + " draws on the default EGL display, and it has no configuration for windows" + code();
        } else if (void* surface = createWindowSurface(display, config, 0, nullptr); !surface) {
            problem = platform + " draws on the screen of the default EGL display, and that display has none to draw on" +
                      code();
        } else {
            destroySurface(display, surface);
        }
        terminate(display);
    }
    ::dlclose(egl);
    return problem;
}

// Empty when the platform `name` (one of the list entry `entry`) finds the device it draws
// on, else why not.  Those that Qt would end with an abort: "linuxfb" without its framebuffer,
// "minimalegl" without an EGL display that is a screen, and "eglfs", which shows one OpenGL
// window alone (this program's window is several) and draws through X11 where DISPLAY is set,
// else on a DRM device.
std::string deviceProblem(const QString& entry, const QString& name, const char* source, bool hidden)
{
    const std::string platform = "the window system platform \"" + Vexil::printableText(name.toStdString()) + "\"" +
                                 (source ? std::string(" (") + source + ")" : std::string());
    if (name == QLatin1String("linuxfb"))
        return framebufferProblem(entry, platform);
    if (name == QLatin1String("minimalegl"))
        return eglScreenProblem(platform);
    if (name != QLatin1String("eglfs"))
        return {};
    if (!hidden)
        return platform + " shows one OpenGL window alone, and this program's window is made of several: start it on "
                          "X11 (the platform \"xcb\")";
    const std::string integration = environment("QT_QPA_EGLFS_INTEGRATION");
    if (std::getenv("DISPLAY") && (integration.empty() || integration == "eglfs_x11"))
        return displayProblem(environment("DISPLAY"), "DISPLAY");
    if (integration.empty() || integration == "eglfs_kms")
        return drmProblem(platform);
    return {};
}

} // namespace

void releaseDisplayCheck()
{
    if (!held.connection)
        return;
    held.disconnect(held.connection);
    ::dlclose(held.library);
    held = {};
}

bool WindowSystem::withoutOpenGL() const
{
    // Qt's platforms that paint into memory or a frame buffer only.
    return platform == "offscreen" || platform == "minimal" || platform == "vnc" || platform == "linuxfb";
}

WindowSystem windowSystem(const std::vector<char*>& arguments, bool hidden)
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
        else if (const std::string lacking = deviceProblem(entry, name, source, hidden); !lacking.empty()) {
            // Qt takes such a platform (it loads) and aborts later: the names after it are never tried.
            result.problem = "cannot start: " + lacking;
            return result;
        }
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
