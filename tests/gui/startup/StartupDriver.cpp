// Runs the library's start-up like the host does, then acts out one scenario once the
// event loop runs:
//   report       print environment, search paths, title, active module and the
//                current project with its scene, then quit
//   exit         throw a system-exit request (code 3) from an event handler
//   throw        throw a standard exception from an event handler, then quit
//   nomemory     run out of memory in three event handlers of one kind, then quit
//   vtk          write a warning through VTK's output window, then quit
//   fileopen     hand the desktop's file-open events for "a.pmstd" and "b.step" to the
//                application and print the script lines they sent, then quit
//   output       print the Output dock's text and the status bar's message once all that
//                start-up wrote has reached them, then quit
//   scalarbar    choose VIEW > Scalar Bar, show the bar and print the chosen table and
//                how many strongly coloured pixels the 3D view has then and after the
//                panel closed, then quit
//   files        answer Yes to every question, wait until the files of the command line
//                are open, print the questions asked and the projects open, then quit
// Further arguments: key=value sets a configuration key, -key removes one,
// --log FILE appends console lines to FILE, and everything after --files is the
// command line's files.

#include <LogFileObserver.h>
#include <support/ApplicationRun.h>
#include <support/SettleEvents.h>
#include <support/WhenReady.h>

#include <colors/qVizColorsModuleWidget.h>
#include <commands/SimModule.h>
#include <dialogs/DlgScalarBarImp.h>
#include <mainwindow/StatusBarObserver.h>
#include <visualization/qPelmoraThreeDWidget.h>
#include <visualization/qView3DMRML.h>
#include <core/GuiProject.h>
#include <core/qPelmoraApplication.h>
#include <femgui/FemGui.h>
#include <mainwindow/MainWindow.h>
#include <mainwindow/ReportOutput.h>
#include <obj/Application.h>
#include <ctk/ctkVTKScalarBarWidget.h>
#include <mrml/vtkMRMLScene.h>
#include <mrml/vtkMRMLNode.h>
#include <qmrml/qMRMLColorTableComboBox.h>
#include <qmrml/qMRMLThreeDView.h>
#include <vexil/Exception.h>
#include <pmmsg/Message.h>
#include <vexil/MsgConsole.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QVTKOpenGLNativeWidget.h>
#include <QFileOpenEvent>
#include <QIcon>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include <new>

#include <vtkOutputWindow.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

std::string scenario;

void print(const char* key, const QString& value)
{
    std::printf("%s=%s\n", key, value.toUtf8().constData());
}

QAction* viewMenuEntry(const char* command)
{
    for (QAction* menu : Gui::MainWindow::get_main_window_inst()->menuBar()->actions())
        if (menu->menu() && menu->text() == QLatin1String("&VIEW"))
            for (QAction* entry : menu->menu()->actions())
                if (entry->data().toString() == QLatin1String(command))
                    return entry;
    return nullptr;
}

int saturatedPixels(QWidget* gl)
{
    const QImage image = static_cast<QVTKOpenGLNativeWidget*>(gl)->grabFramebuffer();
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            n += c.saturation() > 200 && c.value() > 150;
        }
    return n;
}

// Runs while the scalar bar panel is open: shows the bar, and closes the panel once the
// view has drawn it.
void inspectScalarBarPanel()
{
    auto* dialog = qobject_cast<Gui::DlgScalarBarImp*>(QApplication::activeModalWidget());
    print("dialog", dialog ? dialog->windowTitle() : QString("none"));
    if (!dialog)
        return;
    auto* combo = dialog->findChild<qMRMLColorTableComboBox*>("ColorTableComboBox");
    print("table", combo && combo->currentNode() ? QString::fromUtf8(combo->currentNode()->GetID()) : QString());
    print("tables", combo ? QString::number(combo->count()) : QString());
    auto* view = qobject_cast<Gui::qView3DMRML*>(Gui::MainWindow::get_main_window_inst()->activeWindow());
    QWidget* gl = view ? view->getViewer()->threeDView()->VTKWidget() : nullptr;
    print("before", gl ? QString::number(saturatedPixels(gl)) : QString("no view"));
    dialog->findChild<ctkVTKScalarBarWidget*>("VTKScalarBar")->setDisplay(true);
    QPointer<QDialog> panel(dialog);
    const auto readAndClose = [panel, gl] {
        print("after", gl ? QString::number(saturatedPixels(gl)) : QString("no view"));
        if (panel)
            panel->reject();
    };
    PelmoraTest::whenReady([panel, gl] { return !panel || !gl || saturatedPixels(gl) > 0; }, readAndClose,
                           readAndClose);
}

// Answers Yes to every message box that has it and keeps the titles of all.
QStringList questionsAsked;

void answerYes()
{
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box && !box->property("answered").toBool()) {
        box->setProperty("answered", true);
        questionsAsked << box->windowTitle();
        if (QAbstractButton* yes = box->button(QMessageBox::Yes))
            yes->click();
        else
            box->reject();
    }
    QTimer::singleShot(20, answerYes);
}

void reportOpenedFiles()
{
    Gui::MainWindow* mw = Gui::MainWindow::get_main_window_inst();
    if (!mw->property("startupFilesOpened").toBool()) {
        QTimer::singleShot(20, reportOpenedFiles);
        return;
    }
    print("questions", questionsAsked.join('|'));
    QStringList projects;
    for (Obj::Project* project : Obj::Application::instance().get_projects())
        projects << QString::fromUtf8(project->getProjectName());
    projects.sort();
    print("projects", projects.join('|'));
    std::fflush(stdout);
    QCoreApplication::quit();
}

// Notes when the status bar's observer delivers the given line to the window: every line
// written before it has then been delivered too.
class StatusMarkWatch : public QObject
{
public:
    StatusMarkWatch(const char* mark, bool* seen) : mark(QString::fromLatin1(mark)), seen(seen) {}
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == Gui::CustomMessageEvent::EventType
            && static_cast<Gui::CustomMessageEvent*>(event)->message() == mark)
            *seen = true;
        return QObject::eventFilter(watched, event);
    }

private:
    QString mark;
    bool* seen;
};

// Keeps the status bar's message up however long start-up takes on a busy machine: the
// timer that clears it after five seconds does not fire in this run.
class HoldStatusClearing : public QObject
{
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        return event->type() == QEvent::Timer && watched->objectName() == QLatin1String("StatusMessageClear");
    }
};

void holdStatusClearing()
{
    if (scenario == "output")
        qApp->installEventFilter(new HoldStatusClearing);
}

void act()
{
    if (scenario == "files") {
        answerYes();
        reportOpenedFiles();
        return;
    }
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
        // What start-up wrote reaches the dock and the status bar through the event loop.
        // A line handed to each of them now comes out behind all of it: once both show it,
        // they are read.
        Gui::MainWindow* mw = Gui::MainWindow::get_main_window_inst();
        auto* report = mw->findChild<Gui::DockWindow::ReportOutput*>();
        auto* label = mw->findChild<QLabel*>(QStringLiteral("MessageLabel"));
        auto* statusBar = Vexil::MsgConsoleSingleton::Instance().get_observer("StatusBar");
        static const char mark[] = "startup_driver: all that came before is shown\n";
        static bool statusHasAll = false;
        static StatusMarkWatch watch(mark, &statusHasAll);
        mw->installEventFilter(&watch);
        if (report)
            report->Message(mark);
        if (statusBar)
            statusBar->Log(mark);
        const auto readBoth = [report, label] {
            QStringList lines = report ? report->toPlainText().split('\n') : QStringList{"<no dock>"};
            lines.removeAll(QString::fromLatin1(mark).trimmed());
            for (const QString& line : lines)
                print("output", line);
            print("status", label ? label->text() : QStringLiteral("<no label>"));
            std::fflush(stdout);
            QCoreApplication::quit();
        };
        PelmoraTest::whenReady(
            [report, statusBar] {
                return (!report || report->toPlainText().contains(QString::fromLatin1(mark).trimmed()))
                       && (!statusBar || statusHasAll);
            },
            readBoth, readBoth);
    }
    else if (scenario == "scalarbar") {
        QAction* entry = viewMenuEntry("Std_ScalarBar");
        QAction* clip = viewMenuEntry("Std_ClipWidget");
        print("entry", entry ? entry->text() : QString("none"));
        print("clipentry", clip ? clip->text() : QString("none"));
        if (!entry)
            print("dialog", QString("none"));
        // The panel is modal: it is looked at once it is up, inside its own loop.
        PelmoraTest::whenReady(
            [] { return qobject_cast<Gui::DlgScalarBarImp*>(QApplication::activeModalWidget()) != nullptr; },
            inspectScalarBarPanel, [] { print("dialog", QString("none")); });
        if (entry)
            entry->trigger();
        // The bar leaves the view with the panel: what the closing queued runs first, and
        // grabbing the view draws it as it is now.
        PelmoraTest::settleQueuedEvents();
        auto* view = qobject_cast<Gui::qView3DMRML*>(Gui::MainWindow::get_main_window_inst()->activeWindow());
        print("closed", view ? QString::number(saturatedPixels(view->getViewer()->threeDView()->VTKWidget()))
                             : QString("no view"));
        std::fflush(stdout);
        QCoreApplication::quit();
    }
    else if (scenario == "nomemory") {
        // Three handlers of one kind run out of memory, then the loop is left.
        for (int i = 0; i < 3; ++i)
            QTimer::singleShot(0, [] { throw std::bad_alloc(); });
        QTimer::singleShot(0, [] { QCoreApplication::quit(); });
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
    qAddPreRoutine(holdStatusClearing);
    auto config = PelmoraTest::hostConfiguration(
        "startup_driver_" + std::to_string(QCoreApplication::applicationPid()));
    std::unique_ptr<Host::LogFileObserver> log;
    std::vector<char*> args{argv[0]};
    for (int i = 2; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--files") {
            args.insert(args.end(), argv + i + 1, argv + argc);
            break;
        }
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

    const int result = PelmoraTest::runApplication(config, args, act);
    if (log)
        Vexil::MsgConsoleSingleton::Instance().disconnect_observer(log.get());
    return result;
}
