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

// Sets configuration keys for one test.
class ConfigScope
{
public:
    ConfigScope(const char* key, const char* value) : saved(Obj::Application::mConfig)
    {
        Obj::Application::mConfig[key] = value;
    }
    ~ConfigScope() { Obj::Application::mConfig = saved; }

private:
    std::map<std::string, std::string> saved;
};

int alignmentFor(const char* value)
{
    ConfigScope config("SplashAlignment", value);
    QSplashScreen splash;
    Gui::SplashObserver observer(&splash);
    return observer.getAlignment();
}

} // namespace

TEST(PmOutputWindow, VtkTextReachesTheConsoleAtItsLevel)
{
    OutputWindowScope scope;
    ConsoleCapture capture;
    vtkOutputWindow* window = vtkOutputWindow::GetInstance();
    ASSERT_TRUE(window->IsA("PmOutputWindow"));
    EXPECT_STREQ(window->GetClassName(), "PmOutputWindow");

    window->DisplayErrorText("bad pipeline");
    window->DisplayWarningText("odd input");
    window->DisplayGenericWarningText("generic thing");
    window->DisplayDebugText("debug detail");
    window->DisplayText("plain text");

    EXPECT_EQ(capture.count(Level::Error, "bad pipeline\n"), 1);
    EXPECT_EQ(capture.count(Level::Warning, "odd input\n"), 1);
    EXPECT_EQ(capture.count(Level::Warning, "generic thing\n"), 1);
    EXPECT_EQ(capture.count(Level::Message, "debug detail\n"), 1);
    EXPECT_EQ(capture.count(Level::Message, "plain text\n"), 1);
    EXPECT_FALSE(capture.contains(Level::Error, "odd input"));
    // Percent signs in VTK text are not format directives.
    window->DisplayText("100% done %s");
    EXPECT_EQ(capture.count(Level::Message, "100% done %s\n"), 1);
}

TEST(SplashObserver, AlignmentAndColourFromTheConfiguration)
{
    {
        QSplashScreen splash;
        Gui::SplashObserver observer(&splash);
        EXPECT_EQ(observer.getAlignment(), 65);
        EXPECT_EQ(observer.getTextColor(), QColor(Qt::white));
        EXPECT_STREQ(observer.Name(), "SplashObserver");
    }
    EXPECT_EQ(alignmentFor("TopRight"), 34);
    EXPECT_EQ(alignmentFor("VCenterHCenter"), 132);
    EXPECT_EQ(alignmentFor("Top-Left"), 33);
    EXPECT_EQ(alignmentFor("BottomHCenter"), 68);
    EXPECT_EQ(alignmentFor("topright"), 65);

    {
        ConfigScope config("SplashTextColor", "#ff8000");
        QSplashScreen splash;
        Gui::SplashObserver observer(&splash);
        EXPECT_EQ(observer.getTextColor(), QColor(255, 128, 0));
    }
    {
        ConfigScope config("SplashTextColor", "no such colour");
        QSplashScreen splash;
        Gui::SplashObserver observer(&splash);
        EXPECT_EQ(observer.getTextColor(), QColor(Qt::white));
    }
}

TEST(SplashScreen, ShowsSelectedLogLines)
{
    Gui::SplashScreen splash{QPixmap(200, 100)};
    auto& console = Vexil::MsgConsoleSingleton::Instance();

    console.Log("   Init:  Loading modules\n");
    EXPECT_EQ(splash.message(), QStringLiteral("Loading modules"));
    console.Log("Create object Box\n");
    EXPECT_EQ(splash.message(), QStringLiteral("Loading modules"));
    console.Log("Act: something\n");
    EXPECT_EQ(splash.message(), QStringLiteral("Loading modules"));
    console.Log("Mod: Fem\n");
    EXPECT_EQ(splash.message(), QStringLiteral("Fem"));
    console.Log("Reading settings\nfrom disk\n");
    EXPECT_EQ(splash.message(), QStringLiteral("Reading settingsfrom disk"));
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

TEST(SpaceballEvents, CopiesCarryWhatTheParentNeeds)
{
    Spaceball::MotionEvent motion;
    EXPECT_FALSE(motion.isHandled());
    motion.setTranslations(1, 2, 3);
    motion.setRotations(4, 5, 6);
    motion.setHandled(true);
    Spaceball::MotionEvent motionCopy(motion);
    EXPECT_EQ(motionCopy.type(), motion.type());
    EXPECT_FALSE(motionCopy.isHandled());
    EXPECT_TRUE(motionCopy.isDataSet());
    EXPECT_EQ(motionCopy.translationZ(), 3);
    EXPECT_EQ(motionCopy.rotationX(), 4);
    EXPECT_EQ(motionCopy.modifiers(), Qt::NoModifier);

    Spaceball::ButtonEvent button;
    EXPECT_NE(button.type(), motion.type());
    button.setButtonStatus(1);
    button.setButtonNumber(3);
    button.setHandled(true);
    Spaceball::ButtonEvent buttonCopy(button);
    EXPECT_TRUE(buttonCopy.isHandled());
    EXPECT_EQ(buttonCopy.buttonStatus(), 1);
    EXPECT_EQ(buttonCopy.buttonNumber(), 3);
}
