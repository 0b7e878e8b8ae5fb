// Runs the library's start-up like the host does, then acts out one scenario once the
// event loop runs:
//   report       print environment, search paths, title, active module and the
//                current project with its scene, then quit
//   exit         throw a system-exit request (code 3) from an event handler
//   throw        throw a standard exception from an event handler, then quit
//   vtk          write a warning through VTK's output window, then quit
//   fileopen     hand the desktop's file-open events for "a.pmstd" and "b.step" to the
//                application and print the script lines they sent, then quit
//   output       print the Output dock's text and the status bar's message a moment
//                after the window opened, then quit
// Further arguments: key=value sets a configuration key, -key removes one,
// --log FILE appends console lines to FILE.

#include <LogFileObserver.h>
#include <support/ApplicationRun.h>

#include <commands/SimModule.h>
#include <core/GuiProject.h>
#include <core/qPelmoraApplication.h>
#include <femgui/FemGui.h>
#include <mainwindow/MainWindow.h>
#include <mainwindow/ReportOutput.h>
#include <obj/Application.h>
#include <mrml/vtkMRMLScene.h>
#include <vexil/Exception.h>
#include <pmmsg/Message.h>
#include <vexil/MsgConsole.h>

#include <QApplication>
#include <QDir>
#include <QFileOpenEvent>
#include <QIcon>
#include <QLabel>
#include <QTimer>

#include <vtkOutputWindow.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

std::string scenario;

void print(const char* key, const QString& value)
{
    std::printf("%s=%s\n", key, value.toUtf8().constData());
}

void act()
{
    if (scenario == "report") {
        print("PELMORA_HOME", QString::fromLocal8Bit(std::getenv("PELMORA_HOME")));
        print("PELMORA_SHARE_DIR", QString::fromLocal8Bit(std::getenv("PELMORA_SHARE_DIR")));
        print("qss", QDir::searchPaths("qss").join(';'));
        print("images", QDir::searchPaths("images").join(';'));
        print("libraries", QCoreApplication::libraryPaths().join(';'));
        print("theme", QIcon::themeName());
        print("title", Gui::MainWindow::get_main_window_inst()->windowTitle());
        Gui::SimModule* active = Gui::SimModuleController::instance()->active_simmodule();
        print("module", active ? QString::fromStdString(active->name()) : QString());
        print("autoload", QString::fromStdString(
            Obj::Application::instance()
                .get_preference_group_by_path("User parameter:BaseApp/Preferences/General")
                ->get_ASCII_string("AutoloadModule", "<unset>")));
        Obj::Project* project = Obj::Application::instance().get_current_project();
        print("project", project ? QString::fromUtf8(project->getProjectName()) : QString());
        Gui::GuiProject* gui = project ? Gui::qPelmoraApplication::application()->get_project(project) : nullptr;
        print("scene", gui && gui->mrmlScene()
                           ? QString::number(gui->mrmlScene()->GetNumberOfNodes()) + " nodes"
                           : QString("none"));
        std::fflush(stdout);
        QCoreApplication::quit();
    }
    else if (scenario == "exit") {
        throw Vexil::SystemExitException(3);
    }
    else if (scenario == "vtk") {
        print("vtkoutput", QString::fromLatin1(vtkOutputWindow::GetInstance()->GetClassName()));
        vtkOutputWindow::GetInstance()->DisplayWarningText("probe from VTK");
        std::fflush(stdout);
        QCoreApplication::quit();
    }
    else if (scenario == "fileopen") {
        pmMsg::Journal::clear();
        for (const char* name : {"a.pmstd", "b.step"}) {
            QFileOpenEvent event(QDir::temp().filePath(QString::fromLatin1(name)));
            QCoreApplication::sendEvent(qApp, &event);
        }
        for (const std::string& line : pmMsg::Journal::lines())
            print("journal", QString::fromStdString(line));
        std::fflush(stdout);
        QCoreApplication::quit();
    }
    else if (scenario == "output") {
        QTimer::singleShot(1500, [] {
            Gui::MainWindow* mw = Gui::MainWindow::get_main_window_inst();
            auto* report = mw->findChild<Gui::DockWindow::ReportOutput*>();
            auto* label = mw->findChild<QLabel*>(QStringLiteral("MessageLabel"));
            for (const QString& line : report ? report->toPlainText().split('\n') : QStringList{"<no dock>"})
                print("output", line);
            print("status", label ? label->text() : QStringLiteral("<no label>"));
            std::fflush(stdout);
            QCoreApplication::quit();
        });
    }
    else if (scenario == "throw") {
        QTimer::singleShot(50, [] { QCoreApplication::quit(); });
        throw std::runtime_error("boom from a slot");
    }
    else {
        QCoreApplication::quit();
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: startup_driver SCENARIO [key=value|-key|--log FILE]...\n");
        return 2;
    }
    scenario = argv[1];
    auto config = PelmoraTest::hostConfiguration(
        "startup_driver_" + std::to_string(QCoreApplication::applicationPid()));
    std::unique_ptr<Host::LogFileObserver> log;
    for (int i = 2; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--log" && i + 1 < argc) {
            log = std::make_unique<Host::LogFileObserver>(argv[++i]);
            Vexil::MsgConsoleSingleton::Instance().connect_observer(log.get());
        }
        else if (!arg.empty() && arg[0] == '-') {
            config.erase(arg.substr(1));
        }
        else if (auto eq = arg.find('='); eq != std::string::npos) {
            config[arg.substr(0, eq)] = arg.substr(eq + 1);
        }
    }

    const int result = PelmoraTest::runApplication(config, {argv[0]}, act);
    if (log)
        Vexil::MsgConsoleSingleton::Instance().disconnect_observer(log.get());
    return result;
}
