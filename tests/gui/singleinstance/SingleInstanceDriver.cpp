// Runs the library's start-up like the host does, with one server name for all runs
// of a test:
//   singleinstance_driver EXENAME serve          prints "ready" once the loop runs, then
//                                                prints "project=<name>" for the first
//                                                project opened after that and quits
//                                                (20 s at most)
//   singleinstance_driver EXENAME open FILE...   a normal start with files on its
//                                                command line; prints "projects=<n>"
//                                                half a second into the loop

#include <core/qPelmoraApplication.h>
#include <femgui/FemGui.h>
#include <mainwindow/MainWindow.h>
#include <obj/Application.h>
#include <vexil/Exception.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

std::string scenario;
std::set<std::string> projectsAtStart;

void watchForProject()
{
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    for (Obj::Project* project : Obj::Application::instance().get_projects()) {
        if (projectsAtStart.count(project->get_name()))
            continue;
        std::printf("project=%s\n", project->get_name());
        std::fflush(stdout);
        QCoreApplication::quit();
        return;
    }
    if (clock.elapsed() > 20000) {
        QCoreApplication::quit();
        return;
    }
    QTimer::singleShot(50, watchForProject);
}

void waitForLoop()
{
    Gui::MainWindow* mw = Gui::MainWindow::get_main_window_inst();
    if (!mw || !mw->property("eventLoop").toBool()) {
        QTimer::singleShot(20, waitForLoop);
        return;
    }
    if (scenario == "serve") {
        for (Obj::Project* project : Obj::Application::instance().get_projects())
            projectsAtStart.insert(project->get_name());
        std::printf("ready\n");
        std::fflush(stdout);
        watchForProject();
    }
    else {
        // A first instance with files opens them itself; give delayed start-up its turn.
        QTimer::singleShot(500, [] {
            std::printf("projects=%zu\n", Obj::Application::instance().get_projects().size());
            std::fflush(stdout);
            QCoreApplication::quit();
        });
    }
}

void installHook()
{
    QTimer::singleShot(0, waitForLoop);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: singleinstance_driver EXENAME serve|open [FILE...]\n");
        return 2;
    }
    scenario = argv[2];
    std::map<std::string, std::string> config = {
        {"Application", "Pelmora"}, {"ExeName", argv[1]},
        {"BuildVersionMajor", "2"}, {"BuildVersionMinor", "1"},
        {"StartWorkbench", "FemWorkbench"}, {"RunMode", "Gui"}, {"Verbose", "Strict"},
    };
    std::vector<char*> args = {argv[0]};
    for (int i = 3; i < argc; ++i)
        args.push_back(argv[i]);
    args.push_back(nullptr);

    int result = 0;
    try {
        Obj::Application logic(static_cast<int>(args.size()) - 1, args.data(), config);
        qAddPreRoutine(installHook);
        Gui::qPelmoraApplication::initialize_application();
        FemGui::initModule();
        Gui::qPelmoraApplication::execute_application();
        Gui::qPelmoraApplication::destruct();
    }
    catch (const Vexil::SystemExitException& e) {
        result = static_cast<int>(e.getExitCode());
    }
    catch (const std::exception& e) {
        std::fprintf(stderr, "singleinstance_driver: %s\n", e.what());
        result = 1;
    }
    return result;
}
