#include "ApplicationRun.h"
#include "OwnDisplay.h"

#include <core/qPelmoraApplication.h>
#include <femgui/FemGui.h>
#include <mainwindow/MainWindow.h>
#include <obj/Application.h>
#include <vexil/Exception.h>

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>
#include <exception>

namespace PelmoraTest {

namespace {
std::function<void()> loopHook;

// Waits until start-up has entered the event loop; the hook then runs before the
// delayed start-up, which ends a hidden run.
void waitForLoop()
{
    Gui::MainWindow* mw = Gui::MainWindow::get_main_window_inst();
    if (mw && mw->property("eventLoop").toBool()) {
        if (loopHook)
            loopHook();
        return;
    }
    QTimer::singleShot(20, waitForLoop);
}

void installHook()
{
    QTimer::singleShot(0, waitForLoop);
}
} // namespace

std::map<std::string, std::string> hostConfiguration(const std::string& exeName)
{
    return {
        {"Application", "Pelmora"},
        {"ExeName", exeName},
        {"ExeVendor", "Pelmora"},
        {"ExeVersion", "2.1"},
        {"BuildVersionMajor", "2"},
        {"BuildVersionMinor", "1"},
        {"StartWorkbench", "FemWorkbench"},
        {"RunMode", "Gui"},
        {"AppIcon", "pelmora"},
    };
}

int runApplication(const std::map<std::string, std::string>& config, std::vector<char*> args,
                   std::function<void()> onLoop)
{
    // A driver types, pastes and activates windows like its test does: it must share the
    // display of the test that started it and no one else's.
    if (!onOwnDisplay()) {
        std::fprintf(stderr,
                     "%s: not on the display of a test program.  A driver is started by a test, "
                     "which gives it its own display (tests/support/OwnDisplay.h), not by ctest; "
                     "to watch one by hand, set PELMORA_TEST_OWN_DISPLAY to the DISPLAY it runs on.\n",
                     args.empty() ? "driver" : args.front());
        return 1;
    }
    loopHook = std::move(onLoop);
    const int argc = static_cast<int>(args.size());
    args.push_back(nullptr);
    try {
        Obj::Application logic(argc, args.data(), config);
        qAddPreRoutine(installHook);
        Gui::qPelmoraApplication::initialize_application();
        FemGui::initModule();
        Gui::qPelmoraApplication::execute_application();
        Gui::qPelmoraApplication::destruct();
    }
    catch (const Vexil::SystemExitException& e) {
        return static_cast<int>(e.getExitCode());
    }
    catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", args.front(), e.what());
        return 1;
    }
    return 0;
}

} // namespace PelmoraTest
