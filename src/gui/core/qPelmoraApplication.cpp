#include "qPelmoraApplication.h"
#include "core/PrintableText.h"

#include <commands/DocumentCommands.h>
#include <annotations/AnnotationProjectFiles.h>
#include <annotations/SceneLengthUnit.h>
#include <commands/HelpCommands.h>
#include <commands/ObjectCommands.h>
#include <commands/SelectionCommands.h>
#include <commands/ViewCommands.h>
#include <commands/WindowCommands.h>

#include "colors/qVizColorsModule.h"
#include "commands/Command.h"
#include "core/CloseProjectQuestion.h"
#include "core/FolderSettings.h"
#include "core/OpenGLStartRoom.h"
#include "core/OwnedValues.h"
#include "commands/SimModule.h"
#include "core/GUIApplication.h"
#include "visualization/qPelmoraLayoutManager.h"
#include "core/GfxDatabase.h"
#include "core/GuiProject.h"
#include "dialogs/PmOutputWindow.h"
#include "dialogs/widgets/FileDialog.h"
#include "mainwindow/BaseView.h"
#include "mainwindow/DocumentArea.h"
#include "mainwindow/MDIWindow.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/PictureFactory.h"
#include "mainwindow/Translator.h"
#include "propertyeditor/PendingEdits.h"
#include "selection/CSelectionType.h"
#include "selection/EntitySelectionSingleton.h"
#include "selection/SelectionInstance.h"
#include "selection/TreeSelectionSingleton.h"
#include "visualization/ViewFeeder.h"
#include "visualization/ViewFeederTopoObject.h"
#include "visualization/qView3DMRML.h"

#include <obj/Application.h>
#include <obj/ProjectFile.h>
#include <pmmat/MaterialManager.h>
#include <pmmsg/Message.h>
#include <pmunit/Units.h>
#include <vexil/AddressSpace.h>
#include <vexil/DocumentInfo.h>
#include <vexil/Exception.h>
#include <vexil/MsgConsole.h>
#include <vexil/PrintableText.h>
#include <vexil/PreferenceManager.h>
#include <vexil/UtilityBox.h>

#include <QCoreApplication>
#include <QEvent>
#include <QCloseEvent>
#include <QFutureWatcher>
#include <QPushButton>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QWindow>

#include <mrml/vtkMRMLScene.h>
#include <mrml/vtkMRMLSelectionNode.h>
#include <vtkOutputWindow.h>
#include <mrml/vtkVizApplicationLogic.h>
#include <QPointer>
#include <QVTKOpenGLNativeWidget.h>
#include <vtkSmartPointer.h>
#include <vtksys/SystemTools.hxx>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <list>
#include <stdexcept>
#include <string>
#include <thread>
#include <map>
#include <utility>
#include <vector>


// Resources must be initialised from the global namespace.
static void initPelmoraResources()
{
    Q_INIT_RESOURCE(pelmora);
}

using namespace Gui;

namespace {

bool typesInitialized = false;
QtMessageHandler previousMessageHandler = nullptr;

// Messages of the window system: Qt's platform plugin and its X connection (protocol
// errors, a lost selection owner).  They tell a developer about the display, not the user
// about the work.
bool fromWindowSystem(const QMessageLogContext& context, const QString& msg)
{
    const char* category = context.category;
    if (category && (qstrncmp(category, "qt.qpa", 6) == 0 || qstrncmp(category, "qt.xcb", 6) == 0))
        return true;
    return msg.startsWith(QLatin1String("QXcb"));
}

// Those go to the log file when the host keeps one, otherwise where Qt would put them;
// never to the Output dock or the status bar.
void logWindowSystemMessage(QtMsgType type, const QMessageLogContext& context, const QString& msg)
{
    Vexil::MsgConsoleObserver* log = Vexil::MsgConsoleSingleton::Instance().get_observer("LogFile");
    if (log) {
        if (log->bLog)
            log->Log((msg + QLatin1Char('\n')).toUtf8().constData());
    } else if (previousMessageHandler) {
        previousMessageHandler(type, context, msg);
    }
}

// Qt's own messages go to the console: warnings as warnings, critical and fatal ones
// as errors; debug and info output is dropped.
void messageHandler(QtMsgType type, const QMessageLogContext& context, const QString& msg)
{
    if (type != QtDebugMsg && type != QtInfoMsg && type != QtFatalMsg && fromWindowSystem(context, msg)) {
        logWindowSystemMessage(type, context, msg);
        return;
    }
    const QByteArray text = msg.toUtf8();
    switch (type) {
    case QtWarningMsg:
        Vexil::MsgConsoleSingleton::Instance().Warning("%s\n", text.constData());
        break;
    case QtCriticalMsg:
    case QtFatalMsg:
        Vexil::MsgConsoleSingleton::Instance().Error("%s\n", text.constData());
        break;
    default:
        break;
    }
}

// Reads a configuration key the way std::map::operator[] does: a missing key is added
// with an empty value.
std::string configValue(const char* key)
{
    return Obj::Application::mConfig[key];
}

const std::string* findConfig(const char* key)
{
    auto it = Obj::Application::mConfig.find(key);
    return it == Obj::Application::mConfig.end() ? nullptr : &it->second;
}

// The pixels of the largest screen, in device pixels: what the window can grow to.
std::uint64_t largestScreenPixels()
{
    std::uint64_t largest = 0;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QSize size = screen->size() * screen->devicePixelRatio();
        largest = std::max<std::uint64_t>(largest, std::uint64_t(std::max(size.width(), 0)) * std::uint64_t(std::max(size.height(), 0)));
    }
    return largest;
}

// Empty when the address space has room for the OpenGL driver to start (and, for a start
// that shows the window, to draw it), else why not.  The driver does not survive running
// out of memory half-way (the software renderer frees memory twice or follows a null
// pointer when one of its threads could not start, and its shader compiler aborts), so a
// start under a cap that leaves too little room ends before it.
std::string openGLStartProblem(bool drawing)
{
    const std::uint64_t cap = Vexil::AddressSpace::cap();
    if (cap == 0)
        return {};
    const std::uint64_t left = Vexil::AddressSpace::left();
    const std::uint64_t threads =
        drawingThreads(std::getenv("LP_NUM_THREADS"), Vexil::AddressSpace::usableProcessors());
    const std::uint64_t needed = openGLStartRoom(drawing, drawing ? largestScreenPixels() : 0, threads,
                                                 Vexil::AddressSpace::defaultThreadStack());
    if (left >= needed)
        return {};
    const auto mib = [](std::uint64_t bytes) { return std::to_string(Vexil::AddressSpace::mib(bytes)); };
    return "cannot start: there is not enough memory for OpenGL: its driver needs about " + mib(needed) +
           " MiB of address space to start" + (drawing ? " and draw the window" : "") + ", and the limit of " + mib(cap) + " MiB on this process leaves " +
           mib(left) + " MiB";
}

// Probes OpenGL on a hidden window and writes what it lacks to the console.  The window
// and context stay alive until the teardown.
struct OpenGLProbe
{
    std::unique_ptr<QWindow> window;
    std::unique_ptr<QOpenGLContext> context;

    void run(bool drawing)
    {
        const std::string problem = openGLStartProblem(drawing);
        if (!problem.empty())
            throw std::runtime_error(problem);
        window = std::make_unique<QWindow>();
        window->setSurfaceType(QSurface::OpenGLSurface);
        window->create();
        context = std::make_unique<QOpenGLContext>();
        if (!context->create())
            return;
        if (!context->makeCurrent(window.get()))
            return;
        QOpenGLFunctions functions(context.get());
        auto& console = Vexil::MsgConsoleSingleton::Instance();
        if (!functions.hasOpenGLFeature(QOpenGLFunctions::Framebuffers))
            console.Log("This system does not support framebuffer objects\n");
        if (!functions.hasOpenGLFeature(QOpenGLFunctions::NPOTTextures))
            console.Log("This system does not support NPOT textures\n");
        const QSurfaceFormat format = context->format();
        const int major = format.majorVersion();
        const int minor = format.minorVersion();
        console.Message("Current OpenGL context version: %i.%i.\n", major, minor);
        if (major < 3 || (major == 3 && minor < 2))
            console.Error("Unsupported OpenGL version! Please upgrade your OpenGL to 3.2 or higher.\n");
        context->doneCurrent();
    }

    ~OpenGLProbe()
    {
        context.reset();
        window.reset();
    }
};

// Holds VTK's output window for the run and releases it at the teardown.
struct OutputWindowHolder
{
    vtkSmartPointer<PmOutputWindow> window;
    ~OutputWindowHolder()
    {
        if (window && vtkOutputWindow::GetInstance() == window.Get())
            vtkOutputWindow::SetInstance(nullptr);
        window = nullptr;
    }
};

QString absoluteAgainst(const QString& path, const QString& home)
{
    QFileInfo info(path);
    return info.isRelative() ? QDir(home).absoluteFilePath(path) : path;
}

} // namespace

// ---------------------------------------------------------------------------------------
// Application object

struct qPelmoraApplication::Private
{
    // Counted with the document area's window entries (each project has its window): a
    // walk over the projects is seen by the growth counts of opening many of them.
    Counted::Map<const Obj::Project*, GuiProject*, &DocumentArea::windowSteps> projects;
    // Owned: each is deleted with its project's GUI side.  Counted as the projects are.
    Counted::Map<const Obj::Project*, ViewFeederProject*, &DocumentArea::windowSteps> projectFeeders;
    GuiProject* current = nullptr;
    // The views of no project (docked windows), told of each project made current: counted
    // as the projects are.
    Counted::List<BaseView*, &DocumentArea::windowSteps> passiveViews;
    // The views as they are now: telling one may add or take out others.
    std::vector<BaseView*> passiveViewsNow() const { return {passiveViews.begin(), passiveViews.end()}; }
    bool ending = false;
    bool starting = true;
    CommandController commands;
    vtkSmartPointer<vtkVizApplicationLogic> applicationLogic;
    std::unique_ptr<qVizColorsModule> colorsModule;
    QPointer<qPelmoraLayoutManager> layoutManager;
    QProcessEnvironment environment;
    bool connected = false;
    // Released with the application object, so that no later project signal reaches it.
    std::vector<boost::signals2::scoped_connection> logicConnections;
    // The scene last handed to the main window and the MRML logic.
    vtkMRMLScene* handedScene = nullptr;
    // The project whose window comes to the front at the next turn of the event loop.
    const Obj::Project* frontPending = nullptr;
    bool frontScheduled = false;
    // The logic's current project is being closed: the project it makes current next is
    // its own pick, and the document area's history chooses the tab shown instead.
    bool currentClosing = false;
};

qPelmoraApplication* qPelmoraApplication::_pInstance = nullptr;

namespace {

// A new, unattached view feeder of the registered type `typeName`; null when no such
// project feeder type exists.
ViewFeederProject* buildProjectFeeder(const std::string& typeName)
{
    Vexil::RootClass* built = Vexil::TypeInfo::build_instance_by_name(typeName.c_str(), true);
    if (built && !built->is_inherited_from(ViewFeederProject::getClassTypeId())) {
        delete built;
        built = nullptr;
    }
    return static_cast<ViewFeederProject*>(built);
}

} // namespace

qPelmoraApplication::qPelmoraApplication(bool connectLogic)
    : watcher(std::make_unique<QFutureWatcher<void>>())
{
    Obj::Application& logic = Obj::Application::instance();
    std::vector<boost::signals2::scoped_connection> connections;
    if (connectLogic) {
        connections.emplace_back(logic.signal_new_project.connect(
            [this](const Obj::Project& p) { slot_new_project(p); }));
        connections.emplace_back(logic.signal_remove_project.connect(
            [this](const Obj::Project& p) { slot_remove_project(p); }));
        connections.emplace_back(logic.signal_rename_project.connect(
            [this](const Obj::Project& p) { slot_rename_project(p); }));
        connections.emplace_back(logic.signal_current_project.connect(
            [this](const Obj::Project& p) { slot_current_project(p); }));
        connections.emplace_back(logic.signal_relabel_project.connect(
            [this](const Obj::Project& p) { slot_relabel_project(p); }));
    }

    Vexil::PreferenceManager* prefs = logic.getPrefMgr();
    if (!prefs)
        throw Vexil::RuntimeError("The application logic has no preferences store");

    // The interface language: the stored choice, else the system's.
    {
        const QByteArray systemLanguage = QLocale::languageToString(QLocale().language()).toLatin1();
        Vexil::ParameterGroup::Handle general =
            logic.get_preference_group_by_path("User parameter:BaseApp/Preferences/General");
        const std::string language = general
            ? general->get_ASCII_string("Language", systemLanguage.constData())
            : std::string(systemLanguage.constData());
        Translator::instance()->activateLanguage(language.c_str());
    }

    // Units from the preferences.
    pmUnit::UnitsManager::initialize();
    pmUnit::UnitsManager* units = pmUnit::UnitsManager::instance();
    units->setDecimals(prefs->getInt(Vexil::PM_SIGNIFICANT_DIGITS));
    units->setSystemUnits(prefs->getString(Vexil::PM_UNIT_SYSTEM));
    units->setAngularVelocityUnits(prefs->getString(Vexil::PM_ANGULAR_VELOCITY_UNIT));
    units->setAngleUnits(prefs->getString(Vexil::PM_ANGLE_UNIT));
    units->setTemperatureUnits(prefs->getString(Vexil::PM_TEMPERATURE_UNIT));

    QLocale locale;
    if (locale.decimalPoint() == locale.groupSeparator()) {
        const QString text =
            QObject::tr("Your system uses the same symbol for decimal point and group separator.\n\n"
                        "This causes serious problems and makes the application fail to work properly.\n"
                        "Go to the system configuration panel of the OS and fix this issue, please.");
        if (may_ask_user())
            QMessageBox::critical(nullptr, QObject::tr("Invalid system settings"), text);
        else
            Vexil::MsgConsoleSingleton::Instance().Error("%s\n", text.toUtf8().constData());
        throw Vexil::RuntimeError("Invalid system settings");
    }

    d = std::make_unique<Private>();
    d->connected = connectLogic;
    d->logicConnections = std::move(connections);
    _pInstance = this;

    if (connectLogic) {
        build_basic_commands();
        // Script lines addressed to "Gui." end up here.
        pmMsg::InterpreterSingleton::Instance().setGuiHandler(
            "activate_simmodule", [](const std::string& name) {
                if (_pInstance)
                    _pInstance->activate_simmodule(name.c_str());
            });
        // Annotation list files from the command line are read into the current project,
        // and project files are opened as the Open command does.  (What is no project
        // file at all the logic refuses without reading anything in.)
        Obj::Application::instance().setFileOpener([](const std::string& file) {
            using Opening = Obj::Application::FileOpening;
            const auto outcome = [](bool opened) { return opened ? Opening::Opened : Opening::Refused; };
            if (Vexil::DocumentInfo(file).has_extension("pmdb") && Obj::ProjectFile::is_project_file(file))
                return outcome(_pInstance && _pInstance->openPMDB(file.c_str(), "Pelmora"));
            if (isAnnotationListFile(file))
                return outcome(openAnnotationListFile(file));
            return Opening::NotMine;
        });
        // The views of the projects of a file refused for a lack of memory go at once.
        Obj::Application::instance().setMemoryRelease(
            [] { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); });
        // A project file's project that no view feeder here can show is refused.
        Obj::Application::instance().setViewTypeCheck([](const std::string& typeName) {
            return std::unique_ptr<ViewFeederProject>(buildProjectFeeder(typeName)) != nullptr;
        });
        // Property edits of feeders come back through the logic as commands 42 and 44.
        pmMsg::setFeederLookup([this](const std::string& projectName,
                                      const unsigned int* objectId) -> Obj::PropertyContainer* {
            Obj::Project* project = Obj::Application::instance().get_project(projectName.c_str());
            if (!objectId) {
                const auto it = d->projectFeeders.find(project);
                return it == d->projectFeeders.end() ? nullptr : it->second;
            }
            GuiProject* gui = get_project(project);
            return gui ? gui->getViewFeederById(*objectId) : nullptr;
        });
    }
    d->environment = QProcessEnvironment::systemEnvironment();

    d->applicationLogic = vtkSmartPointer<vtkVizApplicationLogic>::New();
    d->applicationLogic->CreateProcessingThread();
    d->colorsModule = std::make_unique<qVizColorsModule>();
    d->colorsModule->initialize(d->applicationLogic);
}

qPelmoraApplication::~qPelmoraApplication()
{
    Vexil::MsgConsoleSingleton::Instance().Log("Destruct Gui::qPelmoraApplication\n");
    d->logicConnections.clear();
    if (d->connected) {
        pmMsg::InterpreterSingleton::Instance().clearGuiHandlers();
        pmMsg::setFeederLookup(nullptr);
        if (Obj::Application::_pcSingleton) {
            Obj::Application::instance().setFileOpener(nullptr);
            Obj::Application::instance().setViewTypeCheck(nullptr);
            Obj::Application::instance().setMemoryRelease(nullptr);
        }
    }
    SimModuleController::destruct();
    SelectionInstance::destruct();
    TreeSelectionSingleton::destruct();
    EntitySelectionSingleton::destruct();
    Translator::destruct();
    PictureFactory::destruct();

    // GUI projects still open point back here; they go first.
    d->current = nullptr;
    deleteOwnedValues(d->projects);
    deleteOwnedValues(d->projectFeeders);
    d->colorsModule.reset();
    if (d->applicationLogic) {
        d->applicationLogic->SetMRMLScene(nullptr);
        d->applicationLogic->SetColorLogic(nullptr);
    }
    d->applicationLogic = nullptr;
    _pInstance = nullptr;
}

QFutureWatcher<void>& qPelmoraApplication::futureWatcher()
{
    return *watcher;
}

void qPelmoraApplication::build_basic_commands()
{
    // The six standard families register here, in this order, as they are added:
    // help, document and edit, object and annotation, view, window, selection.
    register_help_commands(d->commands);
    register_document_commands(d->commands);
    register_object_commands(d->commands);
    register_view_commands(d->commands);
    register_window_commands(d->commands);
    register_selection_commands(d->commands);
}

CommandController& qPelmoraApplication::get_command_manager()
{
    return d->commands;
}

// ---------------------------------------------------------------------------------------
// Projects

void qPelmoraApplication::slot_new_project(const Obj::Project& project)
{
    // A project announced again (or at an address that was used before) replaces what was
    // left of the earlier one, which is removed as usual so that the tree and the
    // selections forget it first.
    if (d->projects.count(&project))
        slot_remove_project(project);
    // A project that comes makes its own current signal; a close before it is over.
    d->currentClosing = false;
    auto* mutableProject = const_cast<Obj::Project*>(&project);
    auto* gui = new GuiProject(mutableProject, this);
    d->projects[&project] = gui;
    if (d->applicationLogic)
        d->applicationLogic->SetMRMLScene(gui->mrmlScene());

    auto& console = Vexil::MsgConsoleSingleton::Instance();
    const std::string typeName = project.get_feeder_type_name() ? project.get_feeder_type_name() : "";
    if (typeName.empty())
        console.Log("%s has no view provider specified\n", project.getTypeId().get_name());
    ViewFeederProject* feeder = buildProjectFeeder(typeName);
    if (!feeder)
        return;
    if (auto old = d->projectFeeders.find(&project); old != d->projectFeeders.end())
        delete old->second;
    d->projectFeeders[&project] = feeder;
    feeder->attach(mutableProject);

    gui->signal_new_object.connect([this](const ViewFeederProjectObject& f) { slot_create_object(f); });
    gui->signal_delete_object.connect([this](const ViewFeederProjectObject& f) { slot_remove_object(f); });
    gui->signal_change_object.connect(
        [this](const ViewFeederProjectObject& f, const Obj::Property& p) { slot_change_object(f, p); });
    gui->signal_relabel_object.connect([this](const ViewFeederProjectObject& f) { slot_rename_object(f); });
    gui->signal_activate_object.connect([this](const ViewFeederProjectObject& f) { slot_activate_object(f); });

    signal_new_project(*gui, *feeder);
    // A listener may have closed the project meanwhile, and its GUI side with it.
    if (get_project(&project) != gui)
        return;
    if (typeName == "FemGui::ViewFeederProjectFem")
        gui->createView(qView3DMRML::getClassTypeId());
}

void qPelmoraApplication::slot_remove_project(const Obj::Project& project)
{
    const auto it = d->projects.find(&project);
    if (it == d->projects.end()) {
        Vexil::MsgConsoleSingleton::Instance().Log(
            "GUI project '%s' is already deleted, no removal action.\n", project.get_name());
        return;
    }
    GuiProject* gui = it->second;
    if (Obj::Application::instance().get_current_project() == &project)
        d->currentClosing = true;
    TreeSelectionSingleton::instance().clear_selection(project.get_name());
    EntitySelectionSingleton::instance().clear_selection(project.get_name());
    signal_remove_project(*gui);
    if (d->current == gui)
        set_current_project(nullptr);

    // Nothing outside may keep the scene alive or point at it.
    if (d->handedScene == gui->mrmlScene()) {
        if (MainWindow* mw = MainWindow::get_main_window_inst())
            mw->setMrmlScene(nullptr);
        d->handedScene = nullptr;
    }
    if (d->applicationLogic && d->applicationLogic->GetMRMLScene() == gui->mrmlScene())
        d->applicationLogic->SetMRMLScene(nullptr);
    if (d->colorsModule && d->colorsModule->mrmlScene() == gui->mrmlScene())
        d->colorsModule->setMRMLScene(nullptr);

    // Look again: a listener may have changed the map.
    const auto again = d->projects.find(&project);
    if (again != d->projects.end() && again->second == gui)
        d->projects.erase(again);
    delete gui;

    const auto feeder = d->projectFeeders.find(&project);
    if (feeder != d->projectFeeders.end()) {
        ViewFeederProject* doomed = feeder->second;
        d->projectFeeders.erase(feeder);
        delete doomed;
    }
}

void qPelmoraApplication::slot_rename_project(const Obj::Project& project)
{
    if (GuiProject* gui = get_project(&project))
        signal_rename_project(*gui);
}

void qPelmoraApplication::slot_current_project(const Obj::Project& project)
{
    // After the current project closed, the logic's pick of the next one does not decide
    // what the user sees: the tab the user was on before comes back (the document area's
    // history), and it makes its project current in turn.
    const bool afterClose = std::exchange(d->currentClosing, false);
    GuiProject* gui = get_project(&project);
    if (!gui)
        return;
    // The logic made another project current than the one on screen on its own (a file's
    // current record, an opening): its window comes to the front, so that the project in
    // bold, the tab shown and where a paste goes are the same one.  Once, at the next turn
    // of the event loop: a file taken in makes each of its projects current in turn, and
    // may close them all again, and a window activated for each would cost its layout and
    // could outlive it.
    if (gui != d->current && !afterClose) {
        d->frontPending = &project;
        if (!d->frontScheduled) {
            d->frontScheduled = true;
            QMetaObject::invokeMethod(watcher.get(), [this] { bringCurrentToFront(); }, Qt::QueuedConnection);
        }
    }
    signal_current_project(*gui);
}

void qPelmoraApplication::bringCurrentToFront()
{
    d->frontScheduled = false;
    const Obj::Project* project = std::exchange(d->frontPending, nullptr);
    // Only a project that is still there and still the logic's current one (the pointer is
    // a key here, never followed before it is found).
    GuiProject* gui = project ? get_project(project) : nullptr;
    if (!gui || Obj::Application::instance().get_current_project() != project)
        return;
    MainWindow* mw = MainWindow::get_main_window_inst();
    MDIWindow* view = mw ? gui->getActiveView() : nullptr;
    if (view && view->getGuiProject() == gui && mw->activeWindow() != view)
        mw->setActiveWindow(view);
}

void qPelmoraApplication::slot_relabel_project(const Obj::Project& project)
{
    if (GuiProject* gui = get_project(&project)) {
        signal_relabel_project(*gui);
        gui->on_label_changed();
    }
}

void qPelmoraApplication::slot_create_object(const ViewFeeder& feeder)
{
    signal_create_object(feeder);
}

void qPelmoraApplication::slot_remove_object(const ViewFeeder& feeder)
{
    signal_remove_object(feeder);
}

void qPelmoraApplication::slot_change_object(const ViewFeeder& feeder, const Obj::Property& property)
{
    signal_change_object(feeder, property);
}

void qPelmoraApplication::slot_rename_object(const ViewFeeder& feeder)
{
    signal_rename_object(feeder);
}

void qPelmoraApplication::slot_activate_object(const ViewFeeder& feeder)
{
    signal_activate_object(feeder);
}

void qPelmoraApplication::slotInEdit(const ViewFeederProjectObject& feeder)
{
    signal_in_edit(feeder);
}

void qPelmoraApplication::slotResetEdit(const ViewFeederProjectObject& feeder)
{
    signal_reset_edit(feeder);
}

GuiProject* qPelmoraApplication::get_project(const char* name) const
{
    return get_project(Obj::Application::instance().get_project(name));
}

GuiProject* qPelmoraApplication::get_project(const Obj::Project* project) const
{
    const auto it = d->projects.find(project);
    return it == d->projects.end() ? nullptr : it->second;
}

bool qPelmoraApplication::has_project(const Obj::Project* project) const
{
    return d->projects.count(project) != 0;
}

GuiProject* qPelmoraApplication::get_current_project() const
{
    return d->current;
}

vtkMRMLScene* qPelmoraApplication::mrmlScene() const
{
    return d->current ? d->current->mrmlScene() : nullptr;
}

void qPelmoraApplication::update_all()
{
    // A view may close its project, or another, while it updates: each project and
    // view is reached only while it is still there.
    const std::vector<std::pair<const Obj::Project*, GuiProject*>> projects(d->projects.begin(), d->projects.end());
    for (const auto& entry : projects) {
        if (get_project(entry.first) == entry.second)
            entry.second->onUpdate();
    }
    for (BaseView* view : d->passiveViewsNow()) {
        if (std::find(d->passiveViews.begin(), d->passiveViews.end(), view) != d->passiveViews.end())
            view->update_view();
    }
}

void qPelmoraApplication::update_current()
{
    if (d->current)
        d->current->onUpdate();
}

QString qPelmoraApplication::defaultScenePath()
{
    Obj::Application* logic = Obj::Application::_pcSingleton;
    Vexil::PreferenceManager* prefs = logic ? logic->getPrefMgr() : nullptr;
    // An unset default folder is the logic's home, never a relative "Undefined".
    return prefs ? FolderSettings::read(prefs, Vexil::PM_DEFAULT_FOLDER) : QString();
}

void qPelmoraApplication::set_current_project(GuiProject* project)
{
    if (d->current == project)
        return;
    if (project && (!project->get_project() || !has_project(project->get_project())))
        return;
    d->current = project;
    try {
        Obj::Application::instance().set_current_project(
            project ? project->get_project()->get_name() : "");
    }
    catch (const Vexil::ExceptionHandler& e) {
        Vexil::MsgConsoleSingleton::Instance().Warning("%s\n", e.what());
        return;
    }
    // A listener of the logic's current-project signal may have closed this project (or
    // made another current): what follows would then work on a stale pointer.
    if (d->current != project)
        return;
    for (BaseView* view : d->passiveViewsNow())
        view->set_project(project);

    if (!project || project->get_project()->kind != 1)
        return;
    vtkMRMLScene* scene = project->mrmlScene();
    if (d->colorsModule)
        d->colorsModule->setMRMLScene(scene);
    if (MainWindow* mw = MainWindow::get_main_window_inst()) {
        mw->setMrmlScene(scene);
        d->handedScene = scene;
    }
    if (d->applicationLogic)
        d->applicationLogic->SetMRMLScene(scene);
    auto* selection = vtkMRMLSelectionNode::SafeDownCast(scene->GetNodeByID("vtkMRMLSelectionNodeSingleton"));
    if (selection) {
        scene->StartState(vtkMRMLScene::BatchProcessState);
        selection->AddNewPlaceNodeClassNameToList("vtkMRMLAnnotationFiducialNode",
                                                  ":/Icons/AnnotationPointWithArrow.png", "Fiducial");
        selection->AddNewPlaceNodeClassNameToList("vtkMRMLAnnotationRulerNode",
                                                  ":/Icons/AnnotationDistanceWithArrow.png", "Ruler");
        selection->AddNewPlaceNodeClassNameToList("vtkMRMLAnnotationROINode", ":/Icons/AnnotationROI.png", "ROI");
        scene->EndState(vtkMRMLScene::BatchProcessState);
    }
    selectSceneLengthUnit(scene, project->get_project());
}

// ---------------------------------------------------------------------------------------
// Feeders and views

ViewFeeder* qPelmoraApplication::get_view_feeder(const Obj::ProjectObject* object) const
{
    if (!object || !object->get_project())
        return nullptr;
    GuiProject* gui = get_project(object->get_project());
    return gui ? gui->get_view_feeder(object) : nullptr;
}

void qPelmoraApplication::hide_view_feeder(const Obj::ProjectObject* object)
{
    if (ViewFeeder* feeder = get_view_feeder(object))
        feeder->hide();
}

void qPelmoraApplication::show_view_feeder(const Obj::ProjectObject* object)
{
    if (ViewFeeder* feeder = get_view_feeder(object))
        feeder->show();
}

MDIWindow* qPelmoraApplication::activeView() const
{
    return d->current ? d->current->getActiveView() : nullptr;
}

void qPelmoraApplication::activateView(const Vexil::TypeInfo& type, bool create)
{
    GuiProject* project = d->current;
    if (!project)
        return;
    MDIWindow* active = project->getActiveView();
    if (active && active->is_inherited_from(type))
        return;
    const std::list<MDIWindow*> views = project->getMDIViewsOfType(type);
    if (!views.empty())
        project->setActiveWindow(views.front());
    else if (create)
        project->createView(type);
}

void qPelmoraApplication::set_current_view(MDIWindow* view)
{
    if (!view)
        return;
    signal_activate_view(view);
    if (!view->is_passive())
        set_current_project(view->get_project());
}

void qPelmoraApplication::connect_view(BaseView* view)
{
    if (view)
        d->passiveViews.push_back(view);
}

void qPelmoraApplication::disconnect_view(BaseView* view)
{
    d->passiveViews.remove(view);
}

bool qPelmoraApplication::send_msg_to_current_view(const char* msg, const char** result)
{
    MainWindow* mw = MainWindow::get_main_window_inst();
    MDIWindow* view = mw ? mw->activeWindow() : nullptr;
    return view ? view->message_handler(msg, result) : false;
}

bool qPelmoraApplication::test_msg_to_current_view(const char* msg)
{
    MainWindow* mw = MainWindow::get_main_window_inst();
    MDIWindow* view = mw ? mw->activeWindow() : nullptr;
    return view ? view->has_message_handler(msg) : false;
}

qVizColorsModule* qPelmoraApplication::colorsModule() const
{
    return d->colorsModule.get();
}

vtkVizApplicationLogic* qPelmoraApplication::applicationLogic() const
{
    return d->applicationLogic;
}

qPelmoraLayoutManager* qPelmoraApplication::layoutManager() const
{
    return d->layoutManager;
}

void qPelmoraApplication::setLayoutManager(qPelmoraLayoutManager* manager)
{
    d->layoutManager = manager;
}

void qPelmoraApplication::setApplicationLogic(vtkVizApplicationLogic* logic)
{
    d->applicationLogic = logic;
}

bool qPelmoraApplication::getDirty() const
{
    if (Obj::Application::instance().getDirty())
        return true;
    return d->current ? d->current->getDirty() : false;
}

void qPelmoraApplication::setDirty(bool on)
{
    Obj::Application::instance().setDirty(on);
    for (auto& entry : d->projects)
        entry.second->setDirty(on);
}

bool qPelmoraApplication::may_ask_user()
{
    return !findConfig("StartHidden");
}

void qPelmoraApplication::intend_to_close(QCloseEvent* event)
{
    // A value typed into a row and not confirmed that differs from the stored one is an
    // unsaved change too: Save writes it, Close drops it, Cancel leaves it as typed.
    bool unsaved = hasPendingDrafts();
    for (auto& entry : d->projects) {
        if (unsaved)
            break;
        unsaved = (entry.first && entry.first->is_modified()) || entry.second->getDirty();
    }
    bool accept = true;
    if (unsaved) {
        const QString text = QObject::tr("Do you want to save the projects? If you close without saving "
                                         "project, the data will be lost.");
        switch (askCloseProject(MainWindow::get_main_window_inst(), text, QMessageBox::Cancel)) {
        case QMessageBox::Close:
            accept = true;
            break;
        case QMessageBox::Save:
            // Nothing closes unless the save went through; a draft that cannot be read
            // whole stays in its editor, with its reason.
            accept = finishPendingEdits() && save();
            break;
        default:
            accept = false;
            break;
        }
    }
    if (!accept) {
        event->ignore();
        return;
    }
    event->accept();
    d->ending = true;
    for (auto& entry : d->projects)
        entry.second->setDirty(false);
    for (BaseView* view : d->passiveViewsNow())
        view->onClose();
    for (std::size_t n = d->projects.size(); n > 0 && !d->projects.empty(); --n) {
        const Obj::Project* project = d->projects.begin()->first;
        const std::string name = project->get_name();
        if (!Obj::Application::instance().close_project(name.c_str()))
            break;
    }
}

bool qPelmoraApplication::is_ending_project() const
{
    return d->ending;
}

void qPelmoraApplication::on_final_view_closed(GuiProject* project)
{
    if (d->ending || !project || !project->get_project())
        return;
    const int kind = project->get_project()->kind;
    if (kind == 2 || kind == 3)
        return;
    try {
        pmMsg::runCommand(pmMsg::CMD_CLOSE_PROJECT, 1, {project->get_project()->get_name()});
    }
    catch (const Vexil::ExceptionHandler& e) {
        Vexil::MsgConsoleSingleton::Instance().Error("%s\n", e.what());
    }
}

bool qPelmoraApplication::is_starting() const
{
    return d->starting;
}

void qPelmoraApplication::set_starting(bool on)
{
    d->starting = on;
}

const char* qPelmoraApplication::simmodule_class(const char* name)
{
    const std::string n = name ? name : "";
    if (n == "FemWorkbench" || n == "MatWorkbench")
        return "FemGui::SimModule";
    if (n == "TotalSimmodule")
        return "AuxillaryGui::SimModule";
    return "Gui::StdSimModule";
}

bool qPelmoraApplication::activate_simmodule(const char* name)
{
    bool ok = false;
    try {
        SimModuleController* controller = SimModuleController::instance();
        SimModule* previous = controller->active_simmodule();
        if (previous && name && previous->name() == name)
            return false;
        ok = controller->activate(name, simmodule_class(name));
        if (ok) {
            if (MainWindow* mw = MainWindow::get_main_window_inst())
                mw->activate_simmodule(QString::fromUtf8(name));
            signal_activate_simmodule(name);
        }
        if (previous)
            previous->deactivated();
        if (SimModule* now = controller->active_simmodule())
            now->activated();
    }
    catch (const Vexil::ExceptionHandler& e) {
        QString msg = QString::fromUtf8(e.what());
        static const QRegularExpression importError(
            QStringLiteral("^\\s*<type 'exceptions.ImportError'>:\\s*"));
        while (true) {
            QRegularExpressionMatch m = importError.match(msg);
            if (!m.hasMatch() || m.capturedLength() == 0)
                break;
            msg.remove(0, m.capturedLength());
        }
        Vexil::MsgConsoleSingleton::Instance().Error("%s\n", msg.toUtf8().constData());
        if (!d->starting) {
            plainMessageBox(MainWindow::get_main_window_inst(), QMessageBox::Critical, QObject::tr("SimModule failure"),
                            printableName(msg));
        }
        return ok;
    }
    catch (...) {
        Vexil::MsgConsoleSingleton::Instance().Error("Cannot activate FEM module.\n");
        throw Vexil::ExceptionHandler("Cannot activate FEM module.\n");
    }
    return ok;
}

void qPelmoraApplication::build_context_menu(const char* recipient, MenuItem* item) const
{
    if (SimModule* module = SimModuleController::instance()->active_simmodule())
        module->build_context_menu(recipient, item);
}

QStringList qPelmoraApplication::get_simmodules() const
{
    // The modules whose classes are registered, plus "ExtraWorkbench", minus
    // "HiddenWorkbench" (both lists separated by ';').
    QStringList names;
    const Vexil::TypeInfo moduleType = SimModule::getClassTypeId();
    auto registered = [&](const char* className) {
        Vexil::TypeInfo t = Vexil::TypeInfo::get_type_from_name(className);
        return !t.is_sick() && t.is_inherited_from(moduleType);
    };
    if (registered("FemGui::SimModule"))
        names << QStringLiteral("FemWorkbench") << QStringLiteral("MatWorkbench");
    if (registered("AuxillaryGui::SimModule"))
        names << QStringLiteral("TotalSimmodule");
    if (const std::string* extra = findConfig("ExtraWorkbench")) {
        for (const QString& n : QString::fromUtf8(extra->c_str()).split(QLatin1Char(';'), Qt::SkipEmptyParts))
            if (!names.contains(n.trimmed()))
                names << n.trimmed();
    }
    if (const std::string* hidden = findConfig("HiddenWorkbench")) {
        for (const QString& n : QString::fromUtf8(hidden->c_str()).split(QLatin1Char(';'), Qt::SkipEmptyParts))
            names.removeAll(n.trimmed());
    }
    names.sort();
    return names;
}

QPixmap qPelmoraApplication::simmodule_icon(const QString&) const
{
    QIcon icon = QApplication::windowIcon();
    if (icon.isNull())
        return QPixmap();
    const QList<QSize> sizes = icon.availableSizes(QIcon::Normal, QIcon::Off);
    return icon.pixmap(sizes.isEmpty() ? QSize(32, 32) : sizes.first(), QIcon::Normal, QIcon::Off);
}

void qPelmoraApplication::open(const char* fileName, const char* module)
{
    if (!fileName)
        return;
    const Vexil::DocumentInfo file(fileName);
    const std::string path = file.document_path();
    if (isAnnotationListFile(fileName)) {
        openAnnotationListFile(fileName);
        return;
    }
    auto& interpreter = pmMsg::InterpreterSingleton::Instance();

    // An empty, untouched project makes way for the file.
    Obj::Application& logic = Obj::Application::instance();
    if (Obj::Project* current = logic.get_current_project()) {
        GuiProject* gui = get_project(current);
        if (current->get_num_objects() == 0 && gui && !gui->getDirty()) {
            const std::string close = "App.close_project('"
                + Vexil::UtilityBox::escaped_char_from_utf8(current->get_name()) + "')";
            try {
                interpreter.runString(close.c_str());
            }
            catch (const Vexil::ExceptionHandler& e) {
                Vexil::MsgConsoleSingleton::Instance().Error("%s\n", e.what());
            }
            QCoreApplication::processEvents();
        }
    }

    if (!module || !*module) {
        warn_unknown_filetype(QObject::tr("Cannot open unknown filetype: %1").arg(QString::fromUtf8(file.extension().c_str())));
        return;
    }
    // Only the script line quotes the path, so only there is it escaped.
    const std::string escaped = Vexil::UtilityBox::escaped_char_from_utf8(path.c_str());
    try {
        interpreter.runString(("import " + std::string(module)).c_str());
        interpreter.runString((std::string(module) + ".open(u\"" + escaped + "\")").c_str());
        mark_unchanged_projects_clean();
        if (!file.has_extension("pmdb"))
            send_view_extents(true);
    }
    catch (const Vexil::ExceptionHandler& e) {
        Vexil::MsgConsoleSingleton::Instance().Error("%s\n", e.what());
    }
}

// ---------------------------------------------------------------------------------------
// Start-up and shutdown

bool qPelmoraApplication::types_initialized()
{
    return typesInitialized;
}

void qPelmoraApplication::setEnvironmentVariable(const QString& name, const QString& value)
{
    // Child processes read the value as a file name: in the file system's encoding, since
    // Latin-1 would turn every other letter of a user's home folder into '?'.
    const QByteArray assignment = QFile::encodeName(name) + '=' + QFile::encodeName(value);
    vtksys::SystemTools::PutEnv(assignment.constData());
}

void qPelmoraApplication::initTypes()
{
    BaseView::init();
    MDIWindow::init();
    qView3DMRML::init();
    ViewFeeder::init();
    ViewFeederExtern::init();
    ViewFeederProject::init();
    ViewFeederProjectObject::init();
    ViewFeederFeature::init();
    ViewFeederProjectObjectGroup::init();
    ViewFeederTopoObject::init();
    SimModule::init();
    StdSimModule::init();
    BlankSimModule::init();
    NoneSimModule::init();
    TestSimModule::init();
    CSelectionType::init();
}

void qPelmoraApplication::initGraphicsDatabase()
{
    GfxDatabase::init();
}

void qPelmoraApplication::initialize_application()
{
    if (typesInitialized) {
        Vexil::MsgConsoleSingleton::Instance().Error(
            "Run Gui::qPelmoraApplication::initialize_application() twice!\n");
        return;
    }
    try {
        initTypes();
        initPelmoraResources();
        previousMessageHandler = qInstallMessageHandler(messageHandler);
        typesInitialized = true;
    }
    catch (...) {
        Obj::Application::detach_observer();
        throw;
    }
}

void qPelmoraApplication::destruct()
{
    pmMat::MaterialManager::destruct();
    pmUnit::UnitsManager::destruct();
}

void qPelmoraApplication::execute_application()
{
    auto& console = Vexil::MsgConsoleSingleton::Instance();
    Obj::Application& logic = Obj::Application::instance();

    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    // The 3D views draw through QVTKOpenGLNativeWidget, whose OpenGL format must be the
    // default before the application object exists.
    QSurfaceFormat::setDefaultFormat(QVTKOpenGLNativeWidget::defaultFormat());

    int argc = Obj::Application::_argc;
    GUISingleApplication mainApp(argc, Obj::Application::_argv);
    // Qt has taken its own options off the command line; the other words are files, and
    // one that begins with "-" is no option of this application.
    const QStringList arguments = QCoreApplication::arguments();
    for (int i = 1; i < arguments.size(); ++i)
        if (arguments[i].startsWith(QLatin1Char('-')))
            console.Error("Unknown option: %s\n", Vexil::printableText(arguments[i].toLocal8Bit().toStdString()).c_str());
    // A second start hands its files to the running instance and ends.
    if (mainApp.isRunning() && mainApp.handOverCommandLineFiles())
        return;
    QCoreApplication::setAttribute(Qt::AA_DontShowIconsInMenus, false);

    QString appName;
    if (const std::string* name = findConfig("Application"))
        appName = QString::fromUtf8(name->c_str());
    else
        appName = QString::fromUtf8(logic.get_executable_file_name().c_str());
    QCoreApplication::setApplicationName(appName);

    const QString home = QString::fromUtf8(logic.get_home_directory().c_str());
    QCoreApplication::setOrganizationName(QStringLiteral("Pelmora"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("pelmora.local"));

    QApplication::setWindowIcon(PictureFactory::instance().get_pixmap(configValue("AppIcon").c_str()));

    setEnvironmentVariable(QStringLiteral("PELMORA_HOME"), home);
    setEnvironmentVariable(QStringLiteral("PELMORA_SHARE_DIR"), QStringLiteral("share/Pelmora-2.1"));

    const QString plugins = QDir(home).filePath(QStringLiteral("plugins"));
    qDebug("[Debug] %s", plugins.toUtf8().constData());
    QCoreApplication::addLibraryPath(plugins);

    const QString userData = QString::fromUtf8(logic.get_user_appdata_path().c_str());
    const QString resources = QString::fromUtf8(logic.get_resource_path().c_str());
    QDir::setSearchPaths(QStringLiteral("qss"),
                         {QDir(userData).filePath(QStringLiteral("Gui/Stylesheets/")),
                          QDir(resources).filePath(QStringLiteral("Gui/Stylesheets/")),
                          QStringLiteral(":/stylesheets")});
    QDir::setSearchPaths(QStringLiteral("images"),
                         {QDir(userData).filePath(QStringLiteral("Gui/images")),
                          QDir(userData).filePath(QStringLiteral("pixmaps")),
                          QStringLiteral(":/icons")});

    QEvent::registerEventType(1001);

    QIcon::setThemeSearchPaths(QIcon::themeSearchPaths() << QStringLiteral(":/icons/Pelmora-default"));
    QIcon::setThemeName(QStringLiteral("Pelmora-default"));

    FileDialog::setWorkingDirectory(FileDialog::restoreLocation());

    qPelmoraApplication app(true);
    pmMat::MaterialManager::initialize(0);

    MainWindow mw;
    mw.setProperty("QuitOnClosed", true);
    mw.setWindowTitle(QString::fromLatin1("%1 %2.%3")
                          .arg(appName,
                               QString::fromLatin1(configValue("BuildVersionMajor").c_str()),
                               QString::fromLatin1(configValue("BuildVersionMinor").c_str())));
    QObject::connect(&mainApp, &GUISingleApplication::messageReceived, &mw, &MainWindow::processMessages);
    // What start-up said before the Output dock was there (a damaged settings file, the
    // local server) goes to it now, in order.
    console.replay_early_messages(console.get_observer("ReportOutput"),
                                  Vexil::MsgType_Txt | Vexil::MsgType_Log | Vexil::MsgType_Wrn | Vexil::MsgType_Err);

    console.Message("PELMORA 2.1, build 6689\n");

    OpenGLProbe openGL;
    openGL.run(findConfig("StartHidden") == nullptr);

    initGraphicsDatabase();

    if (const std::string* title = findConfig("WindowTitle"))
        mw.setWindowTitle(QString::fromUtf8(title->c_str()));
    if (const std::string* icon = findConfig("WindowIcon"))
        QApplication::setWindowIcon(QIcon(absoluteAgainst(QString::fromUtf8(icon->c_str()), home)));
    if (const std::string* logo = findConfig("ProgramLogo")) {
        QPixmap px(absoluteAgainst(QString::fromUtf8(logo->c_str()), home));
        if (!px.isNull()) {
            auto* label = new QLabel(&mw);
            label->setPixmap(px.scaledToHeight(32));
            label->setFrameShape(QFrame::NoFrame);
            mw.statusBar()->addPermanentWidget(label, 0);
        }
    }

    const bool hidden = findConfig("StartHidden") != nullptr;
    if (!hidden)
        mw.begin_splash_window();
    QApplication::setActiveWindow(&mw);

    // The start module: "AutoloadModule" when it names an available module, else
    // "StartWorkbench", which is then remembered.
    std::string start = configValue("StartWorkbench");
    Vexil::ParameterGroup::Handle general =
        logic.get_preference_group_by_path("User parameter:BaseApp/Preferences/General");
    if (general) {
        start = general->get_ASCII_string("AutoloadModule", start.c_str());
        if (!app.get_simmodules().contains(QString::fromUtf8(start.c_str()))) {
            start = configValue("StartWorkbench");
            general->set_ASCII_string("AutoloadModule", start.c_str());
        }
    }
    try {
        pmMsg::InterpreterSingleton::Instance().initFemEnv();
    }
    catch (...) {
        app.activate_simmodule(start.c_str());
    }

    if (!hidden) {
        mw.loadAppQtSettings();
        mw.setCorner(Qt::TopLeftCorner, Qt::LeftDockWidgetArea);
        mw.setCorner(Qt::BottomLeftCorner, Qt::LeftDockWidgetArea);
        mw.setCorner(Qt::TopRightCorner, Qt::RightDockWidgetArea);
        mw.setCorner(Qt::BottomRightCorner, Qt::RightDockWidgetArea);
    }
    // Only now that the main window shows: ending the splash earlier makes it wait about a
    // second for a window that is not there.
    mw.end_splash_window();

    mainApp.setSpaceballReceiver(&mw);

    OutputWindowHolder output;
    output.window = vtkSmartPointer<PmOutputWindow>::Take(PmOutputWindow::New());
    vtkOutputWindow::SetInstance(output.window);

    app.set_starting(false);
    // The status bar shows start-up's warnings and errors once the window is up; later
    // messages find every observer connected.
    console.replay_early_messages(console.get_observer("StatusBar"), Vexil::MsgType_Wrn | Vexil::MsgType_Err);
    console.end_early_messages();
    QTimer::singleShot(0, &mw, &MainWindow::delayedStartup);
    mw.setProperty("eventLoop", true);

    try {
        QApplication::exec();
        if (auto exitRequest = mainApp.storedSystemExit())
            throw Vexil::SystemExitException(*exitRequest);
        console.Log("Finish: Event loop left\n");
    }
    catch (const Vexil::SystemExitException&) {
        console.Message("System exit.\n");
        throw;
    }
    catch (const std::exception& e) {
        Obj::Application::detach_observer();
        console.Error("Event loop left through unhandled exception: %s\n", e.what());
        throw;
    }
    catch (...) {
        Obj::Application::detach_observer();
        console.Error("Event loop left through unhandled exception\n");
        throw;
    }
}
