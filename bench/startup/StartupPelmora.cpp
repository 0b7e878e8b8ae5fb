// The host's normal start (not hidden: splash, main window, start module), ending as soon
// as the main window is exposed with its event loop running.

#include "WindowShownQuit.h"

#include <HostOptions.h>

#include <core/qPelmoraApplication.h>
#include <femgui/FemGui.h>
#include <obj/Application.h>
#include <vexil/Exception.h>

#include <QVariant>
#include <QWidget>

#include <cstdio>
#include <exception>

int main(int argc, char** argv)
{
    Host::Options options = Host::parseOptions(argc, argv);
    StartupBench::quitWhenShown([](QWidget* w) { return w->property("eventLoop").toBool(); });
    try {
        Obj::Application logic(static_cast<int>(options.arguments.size()) - 1, options.arguments.data(),
                               Host::configuration(options));
        Gui::qPelmoraApplication::initialize_application();
        FemGui::initModule();
        Gui::qPelmoraApplication::execute_application();
        Gui::qPelmoraApplication::destruct();
    }
    catch (const Vexil::SystemExitException& e) {
        return static_cast<int>(e.getExitCode());
    }
    catch (const std::exception& e) {
        std::fprintf(stderr, "startup_pelmora: %s\n", e.what());
        return 1;
    }
    return 0;
}
