#include <dialogs/PmOutputWindow.h>
#include <dialogs/SpaceballEvent.h>
#include <dialogs/SplashScreen.h>

#include <obj/Application.h>
#include <support/ConsoleCapture.h>
#include <vexil/MsgConsole.h>

#include <QCoreApplication>
#include <QPixmap>
#include <QThread>

#include <vtkOutputWindow.h>
#include <vtkSmartPointer.h>

#include <atomic>
#include <thread>

#include <gtest/gtest.h>

using PelmoraTest::ConsoleCapture;
using Level = PelmoraTest::ConsoleCapture::Level;

namespace {

// Installs our output window for one test and puts VTK's previous one back.
class OutputWindowScope
{
public:
    OutputWindowScope() : previous(vtkOutputWindow::GetInstance())
    {
        auto window = vtkSmartPointer<Gui::PmOutputWindow>::New();
        vtkOutputWindow::SetInstance(window);
    }
    ~OutputWindowScope() { vtkOutputWindow::SetInstance(previous); }

private:
    vtkSmartPointer<vtkOutputWindow> previous;
};

// Sets (or, for null, removes) a configuration key for one test.
class ConfigScope
{
public:
    ConfigScope(const char* key, const char* value) : saved(Obj::Application::mConfig)
    {
        if (value)
            Obj::Application::mConfig[key] = value;
        else
            Obj::Application::mConfig.erase(key);
    }
    ~ConfigScope() { Obj::Application::mConfig = saved; }

private:
    std::map<std::string, std::string> saved;
};

} // namespace

TEST(PmOutputWindow, VtkTextReachesTheConsoleAtItsLevel)
{
    OutputWindowScope scope;
    ConsoleCapture capture;
    vtkOutputWindow* window = vtkOutputWindow::GetInstance();
    ASSERT_TRUE(window->IsA("PmOutputWindow"));

    window->DisplayErrorText("bad pipeline");
    window->DisplayWarningText("odd input");
    window->DisplayGenericWarningText("generic thing");
    window->DisplayDebugText("debug detail");
    window->DisplayText("plain text");
    // Percent signs in VTK text are not format directives.
    window->DisplayText("100% done %s");
    // As VTK's macros word them: the reason alone, without source path or address.
    window->DisplayErrorText("ERROR: In /build/vtk/Filters/Core/vtkFeatureEdges.cxx, line 191\n"
                             "vtkFeatureEdges (0x55d0c8a3e2b0): Not enough memory\n  for the edges\n\n");
    window->DisplayWarningText("Warning: In vtkCompositeDataPipeline.cxx, line 8\n"
                               "vtkCompositeDataPipeline (0x1f): UpdateInformation invoked during another request\n");

    const std::pair<Level, const char*> expected[] = {
        {Level::Error, "bad pipeline\n"}, {Level::Warning, "odd input\n"}, {Level::Warning, "generic thing\n"},
        {Level::Message, "debug detail\n"}, {Level::Message, "plain text\n"}, {Level::Message, "100% done %s\n"},
        {Level::Error, "Not enough memory for the edges\n"},
        {Level::Warning, "UpdateInformation invoked during another request\n"}};
    for (const auto& [level, text] : expected)
        EXPECT_EQ(capture.count(level, text), 1) << text;
    EXPECT_EQ(capture.lines().size(), 8u);
}

TEST(SplashObserver, AlignmentAndColourFromTheConfiguration)
{
    const std::pair<const char*, int> alignments[] = {
        {nullptr, 65}, {"TopRight", 34}, {"VCenterHCenter", 132}, {"Top-Left", 33}, {"BottomHCenter", 68},
        {"topright", 65}};
    for (const auto& [value, alignment] : alignments) {
        ConfigScope config("SplashAlignment", value);
        QSplashScreen splash;
        EXPECT_EQ(Gui::SplashObserver(&splash).getAlignment(), alignment) << (value ? value : "(unset)");
    }
    const std::pair<const char*, QColor> colours[] = {
        {nullptr, Qt::white}, {"#ff8000", QColor(255, 128, 0)}, {"no such colour", Qt::white}};
    for (const auto& [value, colour] : colours) {
        ConfigScope config("SplashTextColor", value);
        QSplashScreen splash;
        EXPECT_EQ(Gui::SplashObserver(&splash).getTextColor(), colour) << (value ? value : "(unset)");
    }
}

TEST(SplashScreen, ShowsSelectedLogLines)
{
    Gui::SplashScreen splash{QPixmap(200, 100)};
    auto& console = Vexil::MsgConsoleSingleton::Instance();
    // Each log line and the message shown after it.
    const std::pair<const char*, const char*> lines[] = {
        {"   Init:  Loading modules\n", "Loading modules"}, {"Create object Box\n", "Loading modules"},
        {"Act: something\n", "Loading modules"}, {"Mod: Fem\n", "Fem"},
        {"Reading settings\nfrom disk\n", "Reading settingsfrom disk"}};
    for (const auto& [line, shown] : lines) {
        console.Log(line);
        EXPECT_EQ(splash.message(), QString::fromUtf8(shown)) << line;
    }
    console.Message("a plain message\n");
    console.Warning("a warning\n");
    console.Error("an error\n");
    EXPECT_EQ(splash.message(), QStringLiteral("Reading settingsfrom disk"));
}

TEST(SplashScreen, LogFromAWorkerThreadUpdatesTheWindowOnTheGuiThread)
{
    Gui::SplashScreen splash{QPixmap(200, 100)};
    std::atomic<bool> changedOffGui{false};
    QObject::connect(&splash, &QSplashScreen::messageChanged, [&](const QString&) {
        if (QThread::currentThread() != qApp->thread())
            changedOffGui = true;
    });
    std::thread worker([] { Vexil::MsgConsoleSingleton::Instance().Log("Init: from a worker\n"); });
    worker.join();
    EXPECT_TRUE(splash.message().isEmpty());
    QCoreApplication::processEvents();
    EXPECT_EQ(splash.message(), QStringLiteral("from a worker"));
    EXPECT_FALSE(changedOffGui.load());
}

TEST(SplashScreen, ObserverLeavesTheConsoleWithTheWindow)
{
    {
        Gui::SplashScreen splash{QPixmap(10, 10)};
        EXPECT_NE(Vexil::MsgConsoleSingleton::Instance().get_observer("SplashObserver"), nullptr);
    }
    EXPECT_EQ(Vexil::MsgConsoleSingleton::Instance().get_observer("SplashObserver"), nullptr);
    Vexil::MsgConsoleSingleton::Instance().Log("Init: nobody listens\n");
}

TEST(SpaceballEvents, CopiesTravelToTheParent)
{
    // A motion copy is unhandled again but keeps its data; a button copy keeps everything.
    Spaceball::MotionEvent motion;
    motion.setTranslations(1, 2, 3);
    motion.setRotations(4, 5, 6);
    motion.setHandled(true);
    const Spaceball::MotionEvent motionCopy(motion);
    EXPECT_FALSE(motionCopy.isHandled());
    EXPECT_TRUE(motionCopy.isDataSet());
    EXPECT_EQ(motionCopy.translationZ(), 3);
    EXPECT_EQ(motionCopy.rotationX(), 4);

    Spaceball::ButtonEvent button;
    button.setButtonStatus(1);
    button.setButtonNumber(3);
    button.setHandled(true);
    const Spaceball::ButtonEvent buttonCopy(button);
    EXPECT_NE(buttonCopy.type(), motionCopy.type());
    EXPECT_TRUE(buttonCopy.isHandled());
    EXPECT_EQ(buttonCopy.buttonStatus(), 1);
    EXPECT_EQ(buttonCopy.buttonNumber(), 3);
}
