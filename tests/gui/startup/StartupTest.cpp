// Start-up and shutdown as a user or the host sees them: each test runs the host or the
// start-up driver as its own process and reads what it printed and logged.

#include <support/TestEnvironment.h>
#include <support/HangGuard.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <sys/stat.h>

namespace {

struct ProcessRun
{
    int exitCode = -1;
    bool finished = false;
    QString out;
    QString err;
    QString log;

    // The value printed as "key=value" by the driver's report.
    QString value(const QString& key) const
    {
        for (const QString& line : out.split('\n'))
            if (line.startsWith(key + '='))
                return line.mid(key.size() + 1);
        return QString("<missing>");
    }
    // Every value printed under `key`, in order.
    QStringList values(const QString& key) const
    {
        QStringList result;
        for (const QString& line : out.split('\n'))
            if (line.startsWith(key + '='))
                result << line.mid(key.size() + 1);
        return result;
    }
};

ProcessRun runProgram(const QString& program, const QStringList& args, const QString& logFile)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::SeparateChannels);
    p.start(program, args);
    ProcessRun r;
    r.finished = p.waitForFinished(PelmoraTest::HangGuardMs);
    if (!r.finished)
        p.kill();
    r.exitCode = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    QFile f(logFile);
    if (f.open(QIODevice::ReadOnly))
        r.log = QString::fromUtf8(f.readAll());
    return r;
}

class Startup : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString logFile() const { return dir.filePath("console.log"); }

    ProcessRun driver(const QString& scenario, QStringList extra = {})
    {
        return runProgram(STARTUP_DRIVER, QStringList{scenario, "--log", logFile()} + extra, logFile());
    }
};

} // namespace

TEST_F(Startup, HiddenHostStartsAndShutsDownCleanly)
{
    ProcessRun r = runProgram(PELMORA_HOST, {"--hidden", "--log", logFile()}, logFile());
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 0) << r.log.toStdString();
    EXPECT_TRUE(r.log.contains("[Msg] PELMORA 2.1, build 6689\n")) << r.log.toStdString();
    // Its own runtime folder: no other instance on the machine is in the way.
    EXPECT_TRUE(r.log.contains("Local server 'pelmora_server' started")) << r.log.toStdString();
    EXPECT_TRUE(r.log.contains("[Log] Finish: Event loop left\n"));
    // Teardown runs after the loop, in order.
    const int finish = r.log.indexOf("Finish: Event loop left");
    const int destruct = r.log.indexOf("Destruct Gui::qPelmoraApplication");
    EXPECT_GT(destruct, finish);
    EXPECT_FALSE(r.log.contains("[Err]")) << r.log.toStdString();
    // Every command shown at start-up finds its icon.
    EXPECT_FALSE(r.log.contains("Cannot find icon")) << r.log.toStdString();
}

TEST_F(Startup, HostWritesAScreenshotOfTheMainWindow)
{
    const QString shot = dir.filePath("shot.png");
    ProcessRun r = runProgram(PELMORA_HOST, {"--screenshot", shot, "--log", logFile()}, logFile());
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 0) << r.log.toStdString();
    QImage image(shot);
    ASSERT_FALSE(image.isNull());
    EXPECT_GE(image.width(), 400);
    EXPECT_GE(image.height(), 300);

    // A start that refuses its file pictures no window without it, and fails.
    const QString refusedShot = dir.filePath("refused.png");
    QFile fake(dir.filePath("fake.pmdb"));
    ASSERT_TRUE(fake.open(QIODevice::WriteOnly));
    fake.write("not a project file\n");
    fake.close();
    r = runProgram(PELMORA_HOST, {"--screenshot", refusedShot, "--log", logFile(), fake.fileName()}, logFile());
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 1) << r.log.toStdString();
    EXPECT_FALSE(QFileInfo::exists(refusedShot));
    EXPECT_TRUE(r.err.contains("no screenshot was written to " + refusedShot)) << r.err.toStdString();
}

TEST_F(Startup, HostRefusesAnOptionWithoutItsFile)
{
    const QStringList cases[] = {{"--log"}, {"--screenshot", ""}, {"--log", ""}};
    for (const QStringList& args : cases) {
        QProcess p;
        p.start(PELMORA_HOST, args);
        ASSERT_TRUE(p.waitForFinished(PelmoraTest::HangGuardMs)) << args.join(' ').toStdString();
        EXPECT_EQ(p.exitCode(), 2);
        EXPECT_TRUE(p.readAllStandardError().contains((args.front() + " needs a file name").toUtf8()));
        if (p.state() != QProcess::NotRunning)
            p.kill();
    }
}

namespace {

// A display number that no X server on this machine serves (neither its socket file nor
// its abstract socket exists).
QString unservedDisplay()
{
    QFile sockets("/proc/net/unix");
    const QByteArray listening = sockets.open(QIODevice::ReadOnly) ? sockets.readAll() : QByteArray();
    for (int n = 59000; n < 60000; ++n) {
        const QByteArray socket = "/tmp/.X11-unix/X" + QByteArray::number(n);
        if (!QFileInfo::exists(QString::fromLatin1(socket)) && !listening.contains(socket + '\n'))
            return ":" + QString::number(n);
    }
    return QString();
}

} // namespace

// Every display (none named, an empty name, the test's own, one no server answers, a name
// that is none, a screen the server lacks) x every platform (the default, X11 by name, one
// without OpenGL, a misspelt one, and those installed that draw on a device: a framebuffer
// that is missing, an EGL display, one OpenGL window on EGL) x both unattended starts: where
// Qt would end the process with its abort, the host says why and ends with status 1 before
// Qt is asked; a platform that needs no display starts, and a screenshot there, which
// nothing would draw, is refused at once.
TEST_F(Startup, AWindowSystemQtCannotOpenIsRefusedWithTheReasonWhereQtWouldAbort)
{
    const QString own = QProcessEnvironment::systemEnvironment().value("DISPLAY");
    ASSERT_FALSE(own.isEmpty());
    const QString unserved = unservedDisplay();
    ASSERT_FALSE(unserved.isEmpty());
    enum class Display { Unset, Empty, Own, Unserved, NoName, NoScreen };
    const struct
    {
        Display display;
        QString value;
        QString refusal;   // on X11
    } displays[] = {
        {Display::Unset, QString(), "cannot start: there is no display to show the window on"},
        {Display::Empty, QString(), "cannot start: there is no display to show the window on"},
        {Display::Own, own, QString()},
        {Display::Unserved, unserved,
         "cannot start: cannot reach display " + unserved + " (DISPLAY): no X server answers there"},
        {Display::NoName, "no display", "cannot start: display no display (DISPLAY) is no display name"},
        {Display::NoScreen, own + ".7", "cannot start: display " + own + ".7 (DISPLAY) has no such screen"},
    };
    const QString shot = dir.filePath("shot.png");
    const std::string noFramebuffer = dir.filePath("fb0").toStdString();
    const std::string linuxfb = "linuxfb:fb=" + noFramebuffer;
    for (const auto& display : displays) {
        for (const char* platform : {"", "xcb", "offscreen", "xcbb", linuxfb.c_str(), "minimalegl", "eglfs"}) {
            for (const bool screenshot : {false, true}) {
                QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
                if (display.display == Display::Unset)
                    environment.remove("DISPLAY");
                else
                    environment.insert("DISPLAY", display.value);
                if (*platform)
                    environment.insert("QT_QPA_PLATFORM", platform);
                else
                    environment.remove("QT_QPA_PLATFORM");
                const std::string cell = "DISPLAY=" + display.value.toStdString() + (display.display == Display::Unset ? " (unset)" : "")
                                         + ", QT_QPA_PLATFORM=" + platform + (screenshot ? ", --screenshot" : ", --hidden");
                QFile::remove(shot);
                QProcess p;
                p.setProcessEnvironment(environment);
                p.start(PELMORA_HOST, screenshot ? QStringList{"--screenshot", shot} : QStringList{"--hidden"});
                // Only a guard against a hung start.
                ASSERT_TRUE(p.waitForFinished(PelmoraTest::HangGuardMs)) << cell;
                const QString err = QString::fromLocal8Bit(p.readAllStandardError());
                const std::string said = cell + ": " + err.toStdString();
                EXPECT_EQ(p.exitStatus(), QProcess::NormalExit) << said;
                EXPECT_FALSE(err.contains("Reinstalling")) << said;

                QString refusal;
                const QString named = QString("cannot start: the window system platform \"%1\" (QT_QPA_PLATFORM) ")
                                          .arg(QString(platform).section(':', 0, 0));
                if (platform == linuxfb)
                    refusal = named + "draws on a framebuffer device, and " + QString::fromStdString(noFramebuffer)
                              + " cannot be opened: No such file or directory";
                else if (std::string(platform) == "minimalegl")
                    // Mesa's EGL has no screen of its own to draw on.
                    refusal = named + "draws ";
                else if (std::string(platform) == "eglfs" && screenshot)
                    refusal = named + "shows one OpenGL window alone, and this program's window is made of several";
                else if (std::string(platform) == "eglfs" && display.display == Display::Unset) {
                    // Without DISPLAY it draws on a DRM device: refused where there is none.
                    if (QFileInfo::exists("/dev/dri"))
                        continue;
                    refusal = named + "draws on a DRM device, and there is none";
                }
                else if (std::string(platform) == "xcbb")
                    refusal = "cannot start: there is no window system platform \"xcbb\" (QT_QPA_PLATFORM); the "
                              "platforms installed are: ";
                else if (std::string(platform) != "offscreen")
                    refusal = display.refusal;
                else if (screenshot)
                    refusal = "no screenshot was written to " + shot
                              + ": the window system \"offscreen\" has no OpenGL to draw the 3D view with";
                EXPECT_EQ(p.exitCode(), refusal.isEmpty() ? 0 : 1) << said;
                if (!refusal.isEmpty()) {
                    EXPECT_TRUE(err.startsWith("pelmora: " + refusal)) << said;
                    EXPECT_EQ(err.count('\n'), 1) << said;
                }
                if (std::string(platform) == "xcbb") {
                    EXPECT_TRUE(err.contains(QRegularExpression("installed are: .*offscreen, .*xcb"))) << said;
                }
                EXPECT_EQ(QFileInfo::exists(shot), screenshot && refusal.isEmpty()) << said;
            }
        }
    }
    QFile::remove(shot);
}

TEST_F(Startup, LogThatCannotBeWrittenIsSaidOnceOnStandardError)
{
    // /dev/full opens, and every write to it fails as on a full disk.
    QProcess p;
    p.start(PELMORA_HOST, {"--hidden", "--log", "/dev/full"});
    ASSERT_TRUE(p.waitForFinished(PelmoraTest::HangGuardMs));
    EXPECT_EQ(p.exitCode(), 0);
    const QString err = QString::fromLocal8Bit(p.readAllStandardError());
    EXPECT_EQ(err.count("pelmora: the log file /dev/full is incomplete: No space left on device"), 1) << err.toStdString();
}

TEST_F(Startup, NamedPipesInPlaceOfTheSettingsFilesDoNotHoldUpTheStart)
{
    const QString config = dir.filePath("config");
    ASSERT_TRUE(QDir().mkpath(config + "/Pelmora"));
    for (const char* name : {"user.cfg", "system.cfg", "preferences.ini"})
        ASSERT_EQ(::mkfifo(QFile::encodeName(config + "/Pelmora/" + name).constData(), 0600), 0);
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", config);
    p.setProcessEnvironment(env);
    p.start(PELMORA_HOST, {"--hidden", "--log", logFile()});
    const bool finished = p.waitForFinished(PelmoraTest::HangGuardMs);
    if (!finished)
        p.kill();
    ASSERT_TRUE(finished) << "the start waits for a writer to the pipes";
    EXPECT_EQ(p.exitCode(), 0);
    QFile log(logFile());
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(log.readAll());
    EXPECT_EQ(text.count("not a regular file"), 3) << text.toStdString();
    for (const char* name : {"user.cfg", "system.cfg", "preferences.ini"})
        EXPECT_FALSE(QFileInfo(config + "/Pelmora/" + name).isFile()) << name;
}

TEST_F(Startup, FailedScreenshotLeavesTheFileThatWasThere)
{
    const QString shot = dir.filePath("shot.png");
    {
        QFile old(shot);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("previous picture");
    }
    // Files may grow to 2 KiB only: the PNG cannot be written whole.
    QProcess p;
    p.start("/bin/sh", {"-c", "ulimit -f 4; trap '' XFSZ; exec \"$0\" --screenshot \"$1\"", PELMORA_HOST, shot});
    ASSERT_TRUE(p.waitForFinished(PelmoraTest::HangGuardMs));
    EXPECT_EQ(p.exitCode(), 1);
    // Said once, naming the file once.
    const QString err = QString::fromUtf8(p.readAllStandardError());
    EXPECT_EQ(err.count("cannot write"), 1) << err.toStdString();
    EXPECT_EQ(err.count(shot), 1) << err.toStdString();
    QFile kept(shot);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("previous picture"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"shot.png"});
}

TEST(TestIsolation, EachProcessHasPrivateTemporaryAndRuntimeFoldersRemovedAtExit)
{
    const QString home = PelmoraTest::homeDir();
    ASSERT_FALSE(home.isEmpty());
    EXPECT_TRUE(QDir::tempPath().startsWith(home)) << QDir::tempPath().toStdString();
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    EXPECT_TRUE(runtime.startsWith(home)) << runtime.toStdString();
    EXPECT_EQ(QFileInfo(runtime).permissions() & (QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup
                                                  | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther),
              QFile::Permissions());

    // A run of this program leaves nothing in the temporary folder it was given.
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    QProcess self;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TMPDIR", tmp.path());
    self.setProcessEnvironment(env);
    self.start(QCoreApplication::applicationFilePath(), {"--gtest_list_tests"});
    ASSERT_TRUE(self.waitForFinished(PelmoraTest::HangGuardMs));
    EXPECT_EQ(self.exitCode(), 0);
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
}

TEST_F(Startup, EnvironmentSearchPathsAndTitle)
{
    const QString home = dir.filePath("home/");
    ASSERT_TRUE(QDir().mkpath(dir.filePath("home/plugins")));
    ProcessRun r = driver("report", {"StartHidden=1", "AppHomePath=" + home});
    ASSERT_TRUE(r.finished);
    ASSERT_EQ(r.exitCode, 0) << r.log.toStdString();

    EXPECT_EQ(r.value("PELMORA_SHARE_DIR"), "share/Pelmora-2.1");
    EXPECT_EQ(r.value("PELMORA_HOME"), home);

    const QStringList qss = r.value("qss").split(';');
    ASSERT_EQ(qss.size(), 3);
    EXPECT_TRUE(qss[0].endsWith("Gui/Stylesheets/"));
    EXPECT_TRUE(qss[1].endsWith("share/Pelmora-2.1/Gui/Stylesheets/"));
    EXPECT_EQ(qss[2], ":/stylesheets");
    const QStringList images = r.value("images").split(';');
    ASSERT_EQ(images.size(), 3);
    EXPECT_TRUE(images[0].endsWith("Gui/images"));
    EXPECT_TRUE(images[1].endsWith("pixmaps"));
    EXPECT_EQ(images[2], ":/icons");
    EXPECT_TRUE(r.value("libraries").split(';').contains(QDir(home).filePath("plugins")));
    EXPECT_EQ(r.value("theme"), "Pelmora-default");
    EXPECT_EQ(r.value("title"), "Pelmora 2.1");
}

TEST_F(Startup, TitleFallsBackToTheExecutableAndYieldsToWindowTitle)
{
    ProcessRun r = driver("report", {"StartHidden=1", "-Application", "ExeName=mytool"});
    ASSERT_EQ(r.exitCode, 0) << r.log.toStdString();
    EXPECT_EQ(r.value("title"), "mytool 2.1");

    ProcessRun titled = driver("report", {"StartHidden=1", "WindowTitle=Custom Title"});
    EXPECT_EQ(titled.value("title"), "Custom Title");
}

TEST_F(Startup, StartModuleFollowsTheStoredChoiceWhenItIsAvailable)
{
    const QString data = "UserAppData=" + dir.filePath("data/");
    ProcessRun normal = driver("report", {"StartHidden=1", data});
    ASSERT_EQ(normal.exitCode, 0) << normal.log.toStdString();
    EXPECT_EQ(normal.value("module"), "FemWorkbench");
    EXPECT_EQ(normal.value("autoload"), "<unset>");

    // A stored module that is not available is replaced by the start module...
    ProcessRun unknown = driver("report", {"StartHidden=1", data, "StartWorkbench=NoSuchModule"});
    EXPECT_EQ(unknown.value("autoload"), "NoSuchModule");
    ProcessRun replaced = driver("report", {"StartHidden=1", data});
    EXPECT_EQ(replaced.value("autoload"), "FemWorkbench");
    // ...and an available one wins over the start module.
    ProcessRun stored = driver("report", {"StartHidden=1", data, "StartWorkbench=TotalSimmodule"});
    EXPECT_EQ(stored.value("module"), "FemWorkbench");
    EXPECT_EQ(stored.value("autoload"), "FemWorkbench");
}

TEST_F(Startup, StartsWithAnEmptyProjectAndItsScene)
{
    ProcessRun r = driver("report", {"StartHidden=1"});
    ASSERT_EQ(r.exitCode, 0) << r.log.toStdString();
    EXPECT_EQ(r.value("project"), "Unnamed Project");
    EXPECT_TRUE(r.value("scene").endsWith(" nodes")) << r.value("scene").toStdString();
    EXPECT_NE(r.value("scene"), "0 nodes");
}

TEST_F(Startup, ViewMenuOpensTheScalarBarOnTheShippedRainbowInTheView)
{
    ProcessRun r = driver("scalarbar");
    ASSERT_EQ(r.exitCode, 0) << r.log.toStdString();
    EXPECT_EQ(r.value("entry"), "&Scalar Bar");
    EXPECT_EQ(r.value("clipentry"), "&Clip Planes");
    EXPECT_EQ(r.value("dialog"), "Scalar Bar Panel");
    EXPECT_EQ(r.value("table"), "vtkMRMLColorTableNodePmRainbow");
    EXPECT_GE(r.value("tables").toInt(), 6) << "built-in tables and the shipped colour files";
    EXPECT_EQ(r.value("before"), "0");
    EXPECT_GT(r.value("after").toInt(), 100) << r.out.toStdString();
    EXPECT_EQ(r.value("closed"), "0");
}

TEST_F(Startup, StartModuleIsActivatedDirectlyWhenTheInterpreterFails)
{
    ProcessRun fallback = driver("report", {"StartHidden=1", "FemEnvFails=1", "StartWorkbench=TotalSimmodule"});
    ASSERT_EQ(fallback.exitCode, 0) << fallback.log.toStdString();
    EXPECT_EQ(fallback.value("module"), "TotalSimmodule");
}

TEST_F(Startup, SystemExitLeavesAfterTheLoopWithItsCode)
{
    ProcessRun r = driver("exit", {"StartHidden=1"});
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_TRUE(r.log.contains("[Msg] System exit.\n")) << r.log.toStdString();
    EXPECT_FALSE(r.log.contains("Finish: Event loop left"));
    EXPECT_TRUE(r.log.contains("Destruct Gui::qPelmoraApplication"));
}

TEST_F(Startup, ExceptionInAnEventHandlerIsReportedAndTheLoopGoesOn)
{
    ProcessRun r = driver("throw", {"StartHidden=1"});
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 0) << r.log.toStdString();
    EXPECT_TRUE(r.log.contains("[Err] Unhandled std::exception caught in GUIApplication::notify.\n"
                               "[Err] The error message is: boom from a slot\n"))
        << r.log.toStdString();
    EXPECT_TRUE(r.log.contains("Object tree:"));
    EXPECT_TRUE(r.log.contains("Finish: Event loop left"));
}

// Memory running out in an event handler is a refusal, said once for handlers of a kind;
// no fault report with the widget tree.
TEST_F(Startup, RunningOutOfMemoryInAnEventHandlerIsSaidOnceAndTheLoopGoesOn)
{
    ProcessRun r = driver("nomemory", {"StartHidden=1"});
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 0) << r.log.toStdString();
    EXPECT_EQ(r.log.count("[Err] There is not enough memory to finish what "), 1) << r.log.toStdString();
    EXPECT_TRUE(r.log.contains(" was doing: it was given up\n")) << r.log.toStdString();
    EXPECT_FALSE(r.log.contains("Object tree:")) << r.log.toStdString();
    EXPECT_FALSE(r.log.contains("Unhandled")) << r.log.toStdString();
    EXPECT_TRUE(r.log.contains("Finish: Event loop left"));
}

TEST_F(Startup, VtkMessagesReachTheConsoleOnceStarted)
{
    ProcessRun r = driver("vtk", {"StartHidden=1"});
    ASSERT_EQ(r.exitCode, 0) << r.log.toStdString();
    EXPECT_EQ(r.value("vtkoutput"), "PmOutputWindow");
    EXPECT_TRUE(r.log.contains("] probe from VTK\n")) << r.log.toStdString();
}

TEST_F(Startup, DesktopFileOpenOfAProjectFileOpensItWithTheApplicationModule)
{
    ProcessRun r = driver("fileopen", {"StartHidden=1"});
    ASSERT_EQ(r.exitCode, 0) << r.log.toStdString();
    const QString project = QDir::temp().filePath("a.pmstd");
    // Only the project file is opened (the empty start-up project making way for it);
    // other files are left to the toolkit.
    EXPECT_EQ(r.values("journal"),
              (QStringList{"runString App.close_project('Unnamed_Project')", "runString import Pelmora",
                           QString("runString Pelmora.open(u\"%1\")").arg(project)}))
        << r.out.toStdString();
}

TEST_F(Startup, WarningsFromBeforeTheWindowShowInTheOutputDockAndTheStatusBar)
{
    // A damaged settings file is read long before the window and its Output dock exist.
    QDir(dir.path()).mkpath("data");
    QFile cfg(dir.filePath("data/user.cfg"));
    ASSERT_TRUE(cfg.open(QIODevice::WriteOnly));
    cfg.write("not a settings file\n");
    cfg.close();
    ProcessRun r = driver("output", {"UserAppData=" + dir.filePath("data/")});
    ASSERT_TRUE(r.finished);
    EXPECT_TRUE(r.log.contains("line skipped")) << r.log.toStdString();
    const QStringList output = r.values("output");
    const auto warning = std::find_if(output.begin(), output.end(),
                                      [](const QString& line) { return line.contains("line skipped"); });
    ASSERT_NE(warning, output.end()) << output.join('\n').toStdString();
    EXPECT_TRUE(warning->contains("user.cfg")) << warning->toStdString();
    EXPECT_EQ(output.filter("not a parameter file header").size(), 1) << "shown once";
    EXPECT_EQ(output.filter("PELMORA 2.1").size(), 1) << "a message written after the dock connected, once too";
    // The status bar shows the last of them.
    EXPECT_TRUE(r.value("status").contains("user.cfg")) << r.value("status").toStdString();
}
