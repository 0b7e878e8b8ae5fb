// Runs the whole start-up as the host does, with the host's standard-error and log
// observers, then hands every text of HostileTexts.h to the program's own functions that
// put such a text into a message, and quits:
//   groups   a group named with it made a member of itself, and one holding it made its
//            member (the logic's group membership)
//   model    the Model button's loader given a file of an unknown kind and a remote URI
//            named with it
//   drop     a file named with it dropped on the main window
//   colour   a colour file whose index is written with it, loaded by the colour logic
// Usage: hostile_text_driver FOLDER LOGFILE (FOLDER receives the files it makes).

#include "HostileTexts.h"

#include <LogFileObserver.h>
#include <StandardErrorObserver.h>
#include <support/ApplicationRun.h>

#include <commands/ObjectCommands.h>
#include <core/GuiProject.h>
#include <core/qPelmoraApplication.h>
#include <mainwindow/MainWindow.h>
#include <mrml/vtkMRMLColorLogic.h>
#include <mrml/vtkMRMLScene.h>
#include <obj/Application.h>
#include <obj/Project.h>
#include <obj/ProjectObject.h>
#include <vexil/MsgConsole.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QUrl>

#include <vtkLogger.h>
#include <vtkNew.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

QString folder;

std::string named(const PelmoraTest::HostileText& text)
{
    return "x" + text.raw.toStdString() + "y";
}

void act()
{
    Obj::Application& logic = Obj::Application::instance();
    Obj::Project* project = logic.get_current_project();
    if (!project)
        project = logic.create_project("Hostile", "Hostile");
    Gui::qPelmoraApplication* app = Gui::qPelmoraApplication::application();
    vtkMRMLScene* scene = app ? app->mrmlScene() : nullptr;
    int index = 0;
    for (const PelmoraTest::HostileText& text : PelmoraTest::hostileTexts) {
        const std::string name = named(text);
        const QByteArray path = QFile::encodeName(folder) + "/" + QByteArray::fromStdString(name);
        // groups
        auto* outer = static_cast<Obj::ProjectObjectGroup*>(project->add_object("Obj::ProjectObjectGroup", name.c_str()));
        auto* inner = static_cast<Obj::ProjectObjectGroup*>(
            project->add_object("Obj::ProjectObjectGroup", (name + "inner").c_str()));
        if (outer && inner) {
            outer->add_object(outer);
            outer->add_object(inner);
            inner->add_object(outer);
        }
        // model
        Gui::StdCmdMRMLModel::loadModel((path + ".e" + text.raw).constData(), scene);
        Gui::StdCmdMRMLModel::loadModel(("http://example.invalid/" + name + ".vtk").c_str(), scene);
        // drop
        if (Gui::MainWindow* window = Gui::MainWindow::get_main_window_inst()) {
            QMimeData mime;
            mime.setUrls({QUrl::fromLocalFile(QFile::decodeName(path + ".pmdb"))});
            // Dragged over the window, then dropped, as a file manager does.
            QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(window, &enter);
            QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(window, &drop);
        }
        // colour
        const QString colours = QDir(folder).filePath(QStringLiteral("colours %1.txt").arg(index++));
        QFile file(colours);
        if (file.open(QIODevice::WriteOnly))
            file.write("# a colour table\n0 black 0 0 0\n" + QByteArray::fromStdString(name) + " red 255 0 0\n");
        file.close();
        vtkNew<vtkMRMLColorLogic> colourLogic;
        colourLogic->SetMRMLScene(scene);
        colourLogic->LoadColorFile(QFile::encodeName(colours).constData());
        colourLogic->SetMRMLScene(nullptr);
    }
    std::fflush(stdout);
    QCoreApplication::quit();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: hostile_text_driver FOLDER LOGFILE\n");
        return 2;
    }
    folder = QFile::decodeName(argv[1]);
    vtkLogger::SetStderrVerbosity(vtkLogger::VERBOSITY_OFF);
    // As the host connects them for a start without a window.
    Host::LogFileObserver log(argv[2]);
    if (!log.isOpen()) {
        std::fprintf(stderr, "cannot write the log: %s\n", log.openError().c_str());
        return 2;
    }
    Host::StandardErrorObserver standardError;
    Vexil::MsgConsoleSingleton::Instance().connect_observer(&log);
    Vexil::MsgConsoleSingleton::Instance().connect_observer(&standardError);
    auto config = PelmoraTest::hostConfiguration("hostile_text_driver_" + std::to_string(QCoreApplication::applicationPid()));
    // As with --hidden: nobody is there to answer a box.
    config["StartHidden"] = "1";
    const int result = PelmoraTest::runApplication(config, {argv[0]}, act);
    Vexil::MsgConsoleSingleton::Instance().disconnect_observer(&standardError);
    Vexil::MsgConsoleSingleton::Instance().disconnect_observer(&log);
    return result;
}
