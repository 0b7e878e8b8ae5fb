#include "MainWindow.h"

#include <annotations/AnnotationProjectFiles.h>
#include <annotations/SceneLengthUnit.h>

#include "commands/Command.h"
#include "commands/CommandAction.h"
#include "commands/SimModule.h"
#include "commands/ToolBarConsole.h"
#include "core/GUIApplication.h"
#include "core/GuiProject.h"
#include "core/MergeProjects.h"
#include "core/MonotonicClock.h"
#include "core/PrintableText.h"
#include "core/qPelmoraApplication.h"
#include "dialogs/SpaceballEvent.h"
#include "dialogs/SplashScreen.h"
#include "dialogs/widgets/FileDialog.h"
#include "dialogs/widgets/ProgressBar.h"
#include "mainwindow/DockingWindowMediator.h"
#include "mainwindow/DocumentArea.h"
#include "mainwindow/FocusMark.h"
#include "mainwindow/GraphDockingView.h"
#include "mainwindow/MDIWindow.h"
#include "mainwindow/MenuItem.h"
#include "mainwindow/PictureFactory.h"
#include "mainwindow/ReportView.h"
#include "mainwindow/StatusBarObserver.h"
#include "propertyeditor/PendingEdits.h"
#include "propertyeditor/PropertyView.h"
#include "selection/EntitySelectionSingleton.h"
#include "selection/SelectionModification.h"
#include "selection/SelectionView.h"
#include "selection/TreeWidget.h"
#include "selection/TreeSelectionSingleton.h"
#include "selection/TreeView.h"
#include "visualization/ViewFeeder.h"
#include "visualization/qPelmoraThreeDWidget.h"
#include "visualization/qView3DMRML.h"
#include "visualization/qVizViewersToolBar.h"

#include <mrml/vtkMRMLThreeDViewDisplayableManagerFactory.h>
#include <obj/Application.h>
#include <obj/Project.h>
#include <pmfwm/EntitySelectionData.h>
#include <pmmsg/Message.h>
#include <pmunit/Units.h>
#include <vexil/DocumentInfo.h>
#include <vexil/Exception.h>
#include <vexil/IniFile.h>
#include <vexil/MsgConsole.h>
#include <vexil/PrintableText.h>
#include <vexil/Stream.h>

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDialog>
#include <QDockWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QThread>
#include <QMimeData>
#include <QPointer>
#include <QRegularExpression>
#include <QScreen>
#include <QSettings>
#include <QSignalMapper>
#include <QStatusBar>
#include <QTabBar>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <QWhatsThis>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <limits>
#include <set>

#include <boost/signals2/connection.hpp>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Gui;

MainWindow* MainWindow::instance = nullptr;

namespace {

constexpr int StatusMessageMs = 5000;
constexpr int ActionCheckMs = 300;
constexpr int ActionCheckMinGapMs = 251;

// When the actions were last checked, by MonotonicClock; shared by the class.
qint64 lastCheckMs = 0;

bool windowMenuFirstCall = true;

const char* const ObjectsFormat = "application/x-documentobject";
const char* const ObjectsFileFormat = "application/x-documentobject-file";
// Copies up to this size travel inside the clipboard; larger ones through a file.
constexpr unsigned long long InlineCopyLimit = 0xA00000;

// The one file per process that carries large copies.  It is made on the first large copy,
// readable by this user only and under a name no one else had (the shared temporary
// folder lets anyone read and name files there), and removed once the clipboard no
// longer names it or the process ends: a copy can be hundreds of megabytes.
//
// A process killed or crashed cannot remove it, so the name carries the process id and
// the process holds a lock on the file while it lives; a later start removes the files
// whose lock it can take and whose process is not this program (removeAbandoned()).
class CopyFile
{
public:
    static CopyFile& instance()
    {
        static CopyFile file;
        return file;
    }
    // The file's path, made now when there is none; empty when it cannot be made.
    const std::string& path()
    {
        struct stat info;
        if (!name.empty() && ::lstat(name.c_str(), &info) != 0)
            release();   // removed meanwhile: a new one is made, never one by that name
        if (name.empty()) {
            QByteArray pattern = QFile::encodeName(
                QDir(QDir::tempPath()).filePath(QStringLiteral("%1%2-XXXXXX").arg(QLatin1String(Prefix)).arg(::getpid())));
            const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);   // private and exclusive
            if (fd >= 0) {
                ::flock(fd, LOCK_EX | LOCK_NB);
                lock = fd;
                name = pattern.toStdString();
            }
        }
        return name;
    }
    const std::string& current() const { return name; }
    void remove()
    {
        if (!name.empty())
            ::unlink(name.c_str());
        release();
    }
    ~CopyFile() { remove(); }

    // Removes this user's copy files in `folder` that no running instance holds; returns
    // their names.  Other users' entries are passed over on their directory entry and
    // owner alone, never opened: the shared folder may hold any number of them, and a
    // start costs in proportion to this user's own copy files.
    static QStringList removeAbandoned(const QString& folder)
    {
        static const QRegularExpression pattern(QStringLiteral("^%1(\\d{1,10})-[A-Za-z0-9]{6}$").arg(QLatin1String(Prefix)));
        const std::string own = instance().current();
        QStringList removed;
        const QByteArray folderPath = QFile::encodeName(folder);
        DIR* dir = ::opendir(folderPath.constData());
        if (!dir)
            return removed;
        const int at = ::dirfd(dir);
        const uid_t self = ::geteuid();
        const size_t prefixLength = std::strlen(Prefix);
        while (const dirent* e = ::readdir(dir)) {
            if (std::strncmp(e->d_name, Prefix, prefixLength) != 0 || (e->d_type != DT_REG && e->d_type != DT_UNKNOWN))
                continue;
            // Only a regular file of this user is a copy file; a link is not followed.
            struct stat named;
            if (::fstatat(at, e->d_name, &named, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(named.st_mode)
                || named.st_uid != self)
                continue;
            const QString entry = QFile::decodeName(e->d_name);
            const QRegularExpressionMatch match = pattern.match(entry);
            const QByteArray path = folderPath + '/' + e->d_name;
            if (!match.hasMatch() || path.toStdString() == own)
                continue;
            // Opened without following a link and without waiting on a pipe: the entry
            // may have been replaced since it was looked at.
            const int fd = ::openat(at, e->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
            if (fd < 0)
                continue;
            struct stat opened;
            struct stat now;
            const bool abandoned = ::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && opened.st_uid == self
                && ::flock(fd, LOCK_EX | LOCK_NB) == 0 && !runsThisProgram(match.captured(1).toLongLong())
                && ::fstatat(at, e->d_name, &now, AT_SYMLINK_NOFOLLOW) == 0 && now.st_dev == opened.st_dev
                && now.st_ino == opened.st_ino;
            if (abandoned && ::unlinkat(at, e->d_name, 0) == 0)
                removed << entry;
            ::close(fd);
        }
        ::closedir(dir);
        return removed;
    }

private:
    static constexpr const char* Prefix = "pelmora-copy-";

    // Whether process `pid` runs this program: then its file may be one it has just made
    // and not yet locked.  When that cannot be told, it is taken to.
    static bool runsThisProgram(long long pid)
    {
        if (pid <= 0 || pid > std::numeric_limits<pid_t>::max())
            return false;
        if (pid == ::getpid())
            return true;
        const auto target = [](const QByteArray& link, bool& gone) {
            QByteArray buffer(4096, '\0');
            const ssize_t n = ::readlink(link.constData(), buffer.data(), static_cast<size_t>(buffer.size()));
            gone = n < 0 && errno == ENOENT;
            QByteArray text = n > 0 ? buffer.left(static_cast<int>(n)) : QByteArray();
            // A program replaced on disk while it runs is still that program.
            if (text.endsWith(" (deleted)"))
                text.chop(10);
            return text;
        };
        bool gone = false;
        const QByteArray self = target("/proc/self/exe", gone);
        const QByteArray other = target("/proc/" + QByteArray::number(pid) + "/exe", gone);
        if (gone)
            return false;
        return other.isEmpty() || self.isEmpty() || other == self;
    }

    CopyFile() = default;
    // Lets go of the file without removing it.
    void release()
    {
        name.clear();
        if (lock >= 0)
            ::close(lock);
        lock = -1;
    }
    std::string name;
    int lock = -1;
};

// The frame of a document view in the document area.  Qt keeps Tab inside a sub-window,
// which would leave every dock (the Project Explorer among them) out of reach of the
// keyboard: here Tab goes on through the main window's widgets as it does elsewhere.
class DocumentSubWindow : public QMdiSubWindow
{
public:
    using QMdiSubWindow::QMdiSubWindow;

protected:
    // Whenever Qt puts a maximized sub-window's buttons into the main window's menu bar
    // (on being maximized, shown, or activated again, as after any dialog), it marks the
    // main window modified along with the sub-window, and warns, as the main window's
    // title has no place for the mark.  Nothing shows that mark: the document's own tab
    // and title carry it.  So for those steps the sub-window shows Qt an unchanged state.
    bool event(QEvent* e) override
    {
        switch (e->type()) {
        case QEvent::Show:
        case QEvent::WindowStateChange:
        case QEvent::WindowActivate:
        case QEvent::WindowDeactivate:
        case QEvent::ActivationChange:
        case QEvent::FocusIn:
        case QEvent::ParentChange:
            break;
        default:
            return QMdiSubWindow::event(e);
        }
        const bool modified = isWindowModified();
        if (modified)
            setAttribute(Qt::WA_WindowModified, false);
        // Qt's sub-window takes the keyboard when the main window is active again (after any
        // dialog); it goes back where it was, as the user left it outside the document.
        QPointer<QWidget> before = e->type() == QEvent::WindowActivate && window() ? window()->focusWidget() : nullptr;
        const bool handled = QMdiSubWindow::event(e);
        if (modified)
            setAttribute(Qt::WA_WindowModified, true);
        if (before && before != this && !isAncestorOf(before) && before->isVisible() && before->isEnabled()) {
            QWidget* now = window() ? window()->focusWidget() : nullptr;
            if (now != before && (now == this || isAncestorOf(now)))
                before->setFocus(Qt::ActiveWindowFocusReason);
        }
        return handled;
    }

    bool focusNextPrevChild(bool next) override
    {
        QWidget* top = window();
        QWidget* from = QApplication::focusWidget();
        if (!top || top == this || !from || from->window() != top)
            return QMdiSubWindow::focusNextPrevChild(next);
        for (QWidget* w = step(from, next); w && w != from; w = step(w, next)) {
            // A container of the widget left (this sub-window itself, going backwards)
            // would only hand the focus back inside: Shift+Tab would skip a stop.
            if ((w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus && !w->focusProxy() && w->isEnabled()
                && w->window() == top && w->isVisibleTo(top) && !w->isAncestorOf(from)) {
                w->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
                return true;
            }
        }
        return false;
    }

private:
    static QWidget* step(QWidget* w, bool next) { return next ? w->nextInFocusChain() : w->previousInFocusChain(); }
};

// The Qt settings of the window: organisation, application and version from the
// configuration, one group per Qt version inside.
struct WindowSettings
{
    QSettings settings;
    WindowSettings()
        : settings(QSettings::NativeFormat, QSettings::UserScope, configText("ExeVendor"), configText("ExeName"))
    {
        settings.beginGroup(configText("ExeVersion"));
        settings.beginGroup(QStringLiteral("Qt%1.%2").arg(5).arg(12));
    }
    ~WindowSettings()
    {
        settings.endGroup();
        settings.endGroup();
    }
    static QString configText(const char* key)
    {
        const auto it = Obj::Application::mConfig.find(key);
        return it == Obj::Application::mConfig.end() ? QString() : QString::fromLatin1(it->second.c_str());
    }
};

const std::string* findConfig(const char* key)
{
    auto it = Obj::Application::mConfig.find(key);
    return it == Obj::Application::mConfig.end() ? nullptr : &it->second;
}

} // namespace

struct MainWindow::Private
{
    QLabel* statusLabel = nullptr;
    QLabel* messageLabel = nullptr;
    QTimer* statusClear = nullptr;
    QTimer* actionTimer = nullptr;
    QTimer* showTimer = nullptr;
    DocumentArea* mdiArea = nullptr;
    QPointer<MDIWindow> activeView;
    QSignalMapper* windowMapper = nullptr;
    SplashScreen* splash = nullptr;
    std::unique_ptr<StatusBarObserver> statusObserver;
    bool whatsThis = false;
    QString whatsThisHelp;
    QLabel* unitLabel = nullptr;
    std::unique_ptr<pmFwm::EntitySelectionData> entitySelection;
    boost::signals2::connection entitySelectionConnection;
    qVizViewersToolBar* viewersToolBar = nullptr;
    bool closing = false;
};

MainWindow::MainWindow(QWidget* parent, Qt::WindowFlags flags)
    : QMainWindow(parent, flags), d(std::make_unique<Private>())
{
    instance = this;
    qPelmoraApplication* app = qPelmoraApplication::application();

    d->viewersToolBar = new qVizViewersToolBar(this);
    d->viewersToolBar->setObjectName(QStringLiteral("ViewersToolBar"));
    d->viewersToolBar->setWindowTitle(QCoreApplication::translate("qVizMainWindow", "Crosshair Selection"));
    addToolBar(Qt::TopToolBarArea, d->viewersToolBar);
    d->viewersToolBar->setApplicationLogic(app ? app->applicationLogic() : nullptr);

    // Tabs at the bottom, each with its close button, not stretched; the active document
    // fills the area; activation follows the history of activations.
    d->mdiArea = new DocumentArea(this);
    connect(d->mdiArea, &DocumentArea::tabCloseRequested, this, &MainWindow::tabCloseRequested);
    d->mdiArea->setBackground(QBrush(QColor(160, 160, 160, 255)));
    setCentralWidget(d->mdiArea);

    d->statusObserver = std::make_unique<StatusBarObserver>();
    // Panes that draw no focus mark of their own get one while they have the keyboard.
    new FocusMark(this);

    d->messageLabel = new QLabel(statusBar());
    d->messageLabel->setMinimumWidth(120);
    d->messageLabel->setObjectName(QStringLiteral("MessageLabel"));
    // Console lines come coloured by their level, their text escaped (a name that looks
    // like markup is shown as written); any other text put here is escaped the same way.
    d->messageLabel->setTextFormat(Qt::RichText);
    statusBar()->addWidget(d->messageLabel, 0);
    // QStatusBar hides its normal widgets for a temporary message only when they are
    // visible at that moment; a message shown before the window is (the start-up
    // "Ready") would be painted over the label.  Keep them apart ourselves.
    connect(statusBar(), &QStatusBar::messageChanged, d->messageLabel,
            [label = d->messageLabel](const QString& message) { label->setVisible(message.isEmpty()); });
    d->unitLabel = new QLabel(statusBar());
    d->unitLabel->setMinimumWidth(180);
    d->unitLabel->setObjectName(QStringLiteral("UnitLabel"));
    if (pmUnit::UnitsManager* units = pmUnit::UnitsManager::instance())
        d->unitLabel->setText(units->getUnitStatusLabel());
    statusBar()->addPermanentWidget(d->unitLabel, 0);
    if (Obj::Application::_pcSingleton) {
        if (Vexil::PreferenceManager* prefs = Obj::Application::instance().getPrefMgr())
            connect(prefs, &Vexil::PreferenceManager::optionChanged, this, &MainWindow::settingUpdated);
    }
    statusBar()->addPermanentWidget(ProgressQueue::instance()->get_progress_bar(statusBar()), 1);
    d->statusLabel = new QLabel(statusBar());
    d->statusLabel->setMinimumWidth(30);
    d->statusLabel->setObjectName(QStringLiteral("StatusLabel"));
    d->statusLabel->setTextFormat(Qt::PlainText);
    statusBar()->addPermanentWidget(d->statusLabel, 0);

    d->statusClear = new QTimer(this);
    d->statusClear->setObjectName(QStringLiteral("StatusMessageClear"));
    d->statusClear->setSingleShot(true);
    // A coarse timer may fire 5% early; a message stays its full five seconds.
    d->statusClear->setTimerType(Qt::PreciseTimer);
    connect(d->statusClear, &QTimer::timeout, d->messageLabel, &QLabel::clear);
    d->actionTimer = new QTimer(this);
    d->actionTimer->setObjectName(QStringLiteral("ActionCheck"));
    connect(d->actionTimer, &QTimer::timeout, this, &MainWindow::update_all_actions);
    d->actionTimer->setSingleShot(true);
    d->actionTimer->start(ActionCheckMs);
    d->showTimer = new QTimer(this);
    connect(d->showTimer, &QTimer::timeout, this, &MainWindow::showMainWindow);
    d->showTimer->setSingleShot(true);

    d->windowMapper = new QSignalMapper(this);
    connect(d->windowMapper, &QSignalMapper::mappedWidget, this, &MainWindow::on_set_current_sub_window);
    connect(d->mdiArea, &DocumentArea::subWindowActivated, this, &MainWindow::activate_sub_window);

    DockingWindowMediator* docks = DockingWindowMediator::instance();
    auto registerPanel = [docks](QWidget* panel, const char* objectName, const char* id) {
        panel->setObjectName(QString::fromLatin1(objectName));
        panel->setMinimumWidth(150);
        docks->register_docking_window(id, panel);
    };
    registerPanel(new TreeDockWidget(nullptr, this), "Project Explorer", "Std_TreeView");
    registerPanel(new DockWindow::PropertyDockingView(nullptr, this), "Properties", "Std_PropertyView");
    auto* table = new DockWindow::TableDockingView(nullptr, this);
    registerPanel(table, "Tabular Data", "Std_TableView");
    auto* chart = new DockWindow::GraphDockingView(nullptr, this);
    registerPanel(chart, "Chart", "Std_GraphView");
    table->setChartGUI(chart->getChartGUI());
    if (Obj::Application::_pcSingleton && Obj::Application::instance().useOldSelectionView)
        registerPanel(new DockWindow::SelectionView(nullptr, this), "Selection View Old", "Std_SelectionView");
    registerPanel(new DockWindow::SelectionView3(nullptr, this), "Selection View", "Std_SelectionView3");

    d->entitySelection = std::make_unique<pmFwm::EntitySelectionData>();
    d->entitySelectionConnection = d->entitySelection->signal_selection_changed.connect(
        [mw = this](const pmFwm::SelectionModification2& change) {
            if (mw == instance) {
                EntitySelectionSingleton::instance().on_selection_modified(change);
                select_picked_object(change);
            }
        });

    auto* report = new DockWindow::ReportView(this);
    report->setObjectName(QStringLiteral("Output"));
    report->setMinimumWidth(150);
    docks->register_docking_window("Std_ReportView", report);
    connect(report, &DockWindow::ReportView::signalProcessOutput, this, &MainWindow::slotProcessOutput);

    setAcceptDrops(true);
    // The file of a large copy lives as long as the clipboard names it.
    if (QClipboard* clipboard = QApplication::clipboard()) {
        connect(clipboard, &QClipboard::dataChanged, this, [clipboard] {
            CopyFile& copy = CopyFile::instance();
            if (copy.current().empty())
                return;
            const QMimeData* mime = clipboard->mimeData();
            if (!mime || mime->data(QLatin1String(ObjectsFileFormat)) != QByteArray(copy.current().c_str()))
                copy.remove();
        });
    }
    statusBar()->showMessage(tr("Ready"), 2001);
    firstCheckDone = false;
    adjustSize();

    vtkMRMLThreeDViewDisplayableManagerFactory* factory = vtkMRMLThreeDViewDisplayableManagerFactory::GetInstance();
    for (const char* word : {"ROI", "Ruler", "Fiducial"}) {
        const QByteArray name = QString::fromLatin1("vtkMRMLAnnotation%1DisplayableManager")
                                    .arg(QLatin1String(word)).toLatin1();
        factory->RegisterDisplayableManager(name.constData());
    }
    factory->RegisterDisplayableManager("vtkMRMLAnnotationFemDisplayableManager");
}

MainWindow::~MainWindow()
{
    // The document area outlives this body and still reports activations while its
    // windows go; they must not reach a half-destroyed main window.
    QObject::disconnect(d->mdiArea, nullptr, this, nullptr);
    // The projects close with their windows once this body is done, one after another;
    // the project tree lets go of all their items first, in one removal.
    for (TreeWidget* tree : findChildren<TreeWidget*>())
        tree->releaseProjectItems();
    d->entitySelectionConnection.disconnect();
    d->entitySelection.reset();
    d->statusObserver.reset();
    end_splash_window();
    if (instance == this)
        instance = nullptr;
    d.reset();
}

MainWindow* MainWindow::get_main_window_inst()
{
    return instance;
}

DocumentArea* MainWindow::mdiArea() const
{
    return d->mdiArea;
}

pmFwm::EntitySelectionData* MainWindow::getEntitySelData() const
{
    return d->entitySelection.get();
}

// ---------------------------------------------------------------------------------------
// Status bar

void MainWindow::set_statusbar_text(int kind, const QString& text)
{
    if (kind == 1) {
        d->messageLabel->setText(text.toHtmlEscaped());
        d->statusClear->start(StatusMessageMs);
    }
    else if (kind == 2) {
        d->statusLabel->setText(text);
    }
}

void MainWindow::customEvent(QEvent* event)
{
    user_defined_event(event);
}

void MainWindow::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) {
        d->statusLabel->setText(tr("Graphics Size"));
        if (qPelmoraApplication* app = qPelmoraApplication::application()) {
            for (const auto& entry : app->get_command_manager().get_commands())
                entry.second->on_language_changed();
        }
        if (SimModule* module = SimModuleController::instance()->active_simmodule())
            module->translate_widget();
        return;
    }
    if (event->type() == QEvent::ActivationChange) {
        if (isActiveWindow()) {
            QMdiSubWindow* sub = d->mdiArea->activeSubWindow();
            auto* view = sub ? qobject_cast<MDIWindow*>(sub->widget()) : nullptr;
            if (view && view != d->activeView) {
                d->activeView = view;
                if (qPelmoraApplication* app = qPelmoraApplication::application())
                    app->set_current_view(view);
            }
        }
        return;
    }
    QMainWindow::changeEvent(event);
}

void MainWindow::user_defined_event(QEvent* event)
{
    if (event->type() != CustomMessageEvent::EventType)
        return;
    auto* message = static_cast<CustomMessageEvent*>(event);
    if (message->type() >= 0 && message->type() <= 2) {
        d->messageLabel->setText(message->message());
        d->statusClear->start(StatusMessageMs);
    }
    else if (message->type() == 3 && message->message().startsWith(QLatin1String("#Inventor V2.1 ascii "))) {
        qPelmoraApplication* app = qPelmoraApplication::application();
        if (!app || !app->get_current_project())
            return;
        // The scene text goes to a feeder of its own, which nothing keeps afterwards.
        const auto feeder = std::make_unique<ViewFeederExtern>();
        feeder->setModeByString("1", message->message().toLatin1().constData());
    }
}

void MainWindow::showDocumentation(const QString& reference)
{
    const QUrl url(reference);
    if (!url.scheme().isEmpty())
        QDesktopServices::openUrl(url);
    // A reference without a scheme names a local page ("%1.html"), of which none ships.
}

bool MainWindow::event(QEvent* e)
{
    const int type = e->type();
    if (type == QEvent::EnterWhatsThisMode) {
        d->whatsThisHelp.clear();
        if (!d->whatsThis) {
            d->whatsThis = true;
            qApp->installEventFilter(this);
        }
    }
    else if (type == QEvent::WhatsThisClicked) {
        showDocumentation(static_cast<QWhatsThisClickedEvent*>(e)->href());
    }
    else if (type == QEvent::ApplicationWindowIconChange) {
        setWindowIcon(QApplication::windowIcon());
        qPelmoraApplication* app = qPelmoraApplication::application();
        Command* about = app ? app->get_command_manager().get_command_by_name("Std_About2") : nullptr;
        if (CommandAction* action = about ? about->get_action() : nullptr)
            action->set_icon(QApplication::windowIcon());
    }
    else if (Spaceball::ButtonEvent::ButtonEventType > 0 && type == Spaceball::ButtonEvent::ButtonEventType) {
        auto* button = static_cast<Spaceball::ButtonEvent*>(e);
        button->setHandled(true);
        if (button->buttonStatus() == 1 && Obj::Application::_pcSingleton) {
            Vexil::ParameterGroup::Handle buttons = Obj::Application::instance().get_preference_group_by_path(
                "User parameter:BaseApp/Spaceball/Buttons");
            const QByteArray number = QByteArray::number(button->buttonNumber());
            if (buttons && buttons->has_group(number.constData())) {
                const std::string command =
                    buttons->get_parameter_group(number.constData())->get_ASCII_string("Command", "");
                qPelmoraApplication* app = qPelmoraApplication::application();
                if (!command.empty() && app)
                    app->get_command_manager().run_command_by_name(command.c_str());
            }
        }
        return true;
    }
    else if (Spaceball::MotionEvent::MotionEventType > 0 && type == Spaceball::MotionEvent::MotionEventType) {
        auto* motion = static_cast<Spaceball::MotionEvent*>(e);
        motion->setHandled(true);
        qPelmoraApplication* app = qPelmoraApplication::application();
        GuiProject* project = app ? app->get_current_project() : nullptr;
        if (MDIWindow* view = project ? project->getActiveView() : nullptr) {
            // The view gets it as taken already: left unhandled there, it would travel up
            // its parents back to this window and round again.
            Spaceball::MotionEvent copy(*motion);
            copy.setHandled(true);
            QCoreApplication::sendEvent(view, &copy);
        }
        return true;
    }
    return QMainWindow::event(e);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == this)
        return QMainWindow::eventFilter(watched, e);
    const QEvent::Type type = e->type();
    if (type == QEvent::WindowStateChange) {
        if (auto* view = qobject_cast<MDIWindow*>(watched)) {
            if (static_cast<QWindowStateChangeEvent*>(e)->oldState() != view->windowState())
                Q_EMIT windowStateChanged(view);
        }
    }
    if (type == QEvent::WhatsThis) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget)
            return false;
        d->whatsThisHelp = widget->whatsThis();
    }
    if (type == QEvent::WhatsThisClicked) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->isWindow())
            QApplication::sendEvent(this, e);
    }
    if (d->whatsThis) {
        if (auto* menu = qobject_cast<QMenu*>(watched)) {
            bool ask = type == QEvent::MouseButtonRelease || type == QEvent::EnterWhatsThisMode;
            if (type == QEvent::KeyPress) {
                const int key = static_cast<QKeyEvent*>(e)->key();
                ask = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_F1;
            }
            if (ask) {
                if (QAction* action = menu->activeAction()) {
                    const QString help = action->whatsThis();
                    d->whatsThisHelp = help.isEmpty() ? menu->whatsThis() : help;
                }
            }
        }
    }
    if (watched->inherits("QWhatsThat")) {
        if (type == QEvent::Show) {
            if (!d->whatsThisHelp.isEmpty()) {
                QWhatsThisClickedEvent clicked(d->whatsThisHelp);
                QApplication::sendEvent(this, &clicked);
            }
            if (auto* bubble = qobject_cast<QWidget*>(watched)) {
                bubble->setAttribute(static_cast<Qt::WidgetAttribute>(49));
                // The bubble is a popup: never drawn, it would still take the user's next
                // click anywhere. It goes once its show is over.
                QMetaObject::invokeMethod(bubble, "close", Qt::QueuedConnection);
            }
            return true;
        }
        if (type == QEvent::Hide && d->whatsThis) {
            d->whatsThis = false;
            d->whatsThisHelp.clear();
            qApp->removeEventFilter(this);
        }
    }
    return QMainWindow::eventFilter(watched, e);
}

// ---------------------------------------------------------------------------------------
// Dropping files, copy and paste

void MainWindow::dragEnterEvent(QDragEnterEvent* e)
{
    const QMimeData* mime = e->mimeData();
    if (!mime || !mime->hasUrls()) {
        e->ignore();
        return;
    }
    // Only the first file counts: a project file by its suffix exactly as written, or an
    // annotation list.  A URI list can say it holds URLs and give none.
    const QList<QUrl> urls = mime->urls();
    if (urls.isEmpty()) {
        e->ignore();
        return;
    }
    const QUrl first = urls.front();
    const QString suffix = QFileInfo(first.toString()).suffix();
    if (suffix == QLatin1String("pmdb") || suffix == QLatin1String("pmpj")
        || isAnnotationListFile(QFile::encodeName(first.toLocalFile()).toStdString()))
        e->acceptProposedAction();
    else
        e->ignore();
}

void MainWindow::dropEvent(QDropEvent* e)
{
    const QMimeData* mime = e->mimeData();
    const QList<QUrl> urls = mime ? mime->urls() : QList<QUrl>();
    if (urls.isEmpty()) {
        QMainWindow::dropEvent(e);
        return;
    }
    const QUrl url = urls.front();
    const QString path = url.isLocalFile() ? url.toLocalFile() : url.toString();
    // The file system's bytes of the name, as every other way in passes it on.
    const QByteArray file = QFile::encodeName(path);
    Vexil::MsgConsoleSingleton::Instance().Log("Drop file: %s\n", printableForLog(file, 4096).constData());
    if (isAnnotationListFile(file.toStdString()))
        openAnnotationListFile(file.toStdString());
    else if (qPelmoraApplication* app = qPelmoraApplication::application())
        app->openPMDB(file.constData(), "Dummy");
}

QMimeData* MainWindow::createMimeDataFromSelection() const
{
    // The selected objects once each, grouped by project.
    std::map<Obj::Project*, std::vector<Obj::ProjectObject*>> groups;
    std::set<const Obj::ProjectObject*> taken;
    for (const SelObj& entry : TreeSelectionSingleton::instance().get_all_selections()) {
        Obj::ProjectObject* object = entry.object;
        if (object && object->get_project() && taken.insert(object).second)
            groups[object->get_project()].push_back(object);
    }
    if (groups.empty())
        return nullptr;
    std::vector<Obj::ProjectObject*> selected;
    std::vector<Obj::ProjectObject*> withDependencies;
    for (const auto& group : groups) {
        selected.insert(selected.end(), group.second.begin(), group.second.end());
        const std::vector<Obj::ProjectObject*> graph = group.first->get_dependency_graph(group.second);
        withDependencies.insert(withDependencies.end(), graph.begin(), graph.end());
    }
    if (withDependencies.size() > selected.size()) {
        const auto answer = QMessageBox::question(
            const_cast<MainWindow*>(this), tr("Object dependencies"),
            tr("The selected objects have dependent unselected objects.\nDo you want to copy them as well?"),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
        if (answer == QMessageBox::Yes)
            selected = withDependencies;
    }
    unsigned long long estimate = 1000;
    for (const Obj::ProjectObject* object : selected)
        estimate += object->get_memory_usage();

    // The copy holds the first listed object's project only, as the project file layout
    // carries one project per copy.
    Obj::Project* source = selected.front()->get_project();
    QByteArray bytes;
    QString format;
    if (estimate < InlineCopyLimit) {
        bytes.reserve(static_cast<int>(estimate));
        Vexil::ByteArrayOutputStream stream(bytes);
        source->export_objects(selected, stream);
        stream.flush();
        format = QLatin1String(ObjectsFormat);
    }
    else {
        const std::string& copyPath = CopyFile::instance().path();
        if (copyPath.empty()) {
            Vexil::MsgConsoleSingleton::Instance().Error("Cannot make a file for the copied objects in %s: %s\n",
                                                         printableForLog(QFile::encodeName(QDir::tempPath()), 4096).constData(),
                                                         std::strerror(errno));
            return nullptr;
        }
        // Closing the window removes it too.
        const_cast<MainWindow*>(this)->setProperty("x-projectobject-file", QByteArray(copyPath.c_str()));
        const Vexil::DocumentInfo file(copyPath);
        Vexil::ofstream stream(file, std::ios::out | std::ios::trunc | std::ios::binary);
        source->export_objects(selected, stream);
        stream.close();
        if (stream.fail()) {
            Vexil::MsgConsoleSingleton::Instance().Error("Cannot write the copied objects to %s\n",
                                                         printableForLog(QByteArray::fromStdString(file.document_path()), 4096).constData());
            return nullptr;
        }
        bytes = QByteArray(file.document_path().c_str());
        format = QLatin1String(ObjectsFileFormat);
    }
    auto* mime = new QMimeData();
    mime->setData(format, bytes);
    return mime;
}

bool MainWindow::canInsertFromMimeData(const QMimeData* mime) const
{
    if (!mime)
        return false;
    return mime->hasUrls() || mime->hasFormat(QLatin1String(ObjectsFormat))
        || mime->hasFormat(QLatin1String(ObjectsFileFormat));
}

void MainWindow::insertFromMimeData(const QMimeData* mime)
{
    if (!mime)
        return;
    const bool inline_ = mime->hasFormat(QLatin1String(ObjectsFormat));
    if (!inline_ && !mime->hasFormat(QLatin1String(ObjectsFileFormat)))
        return;
    // The file a large copy went through: the clipboard may name anything, and only a
    // regular file is read (a named pipe would wait for a writer, a device never ends).
    QByteArray path;
    if (!inline_) {
        path = mime->data(QLatin1String(ObjectsFileFormat));
        const QFileInfo info(QFile::decodeName(path));
        if (!info.isFile()) {
            Vexil::MsgConsoleSingleton::Instance().Error("Cannot paste: the copied objects' file %s %s\n",
                                                         printableForLog(path, 4096).constData(),
                                                         info.exists() ? "is not a regular file" : "does not exist");
            return;
        }
    }
    Obj::Application& logic = Obj::Application::instance();
    Obj::Project* target = logic.get_current_project();
    const bool newTarget = !target;
    if (newTarget)
        target = logic.create_project(nullptr, nullptr);
    MergeProjects merge(target);
    std::vector<Obj::ProjectObject*> objects;
    if (inline_) {
        QByteArray bytes = mime->data(QLatin1String(ObjectsFormat));
        Vexil::ByteArrayInputStream stream(bytes);
        objects = merge.import_project_objects(stream);
    }
    else {
        Vexil::ifstream stream(Vexil::DocumentInfo(path.toStdString()), std::ios::in | std::ios::binary);
        objects = merge.import_project_objects(stream);
        stream.close();
    }
    if (objects.empty()) {
        // A paste that brought nothing leaves no empty project behind.
        if (newTarget && target)
            logic.close_project(std::string(target->get_name()).c_str());
        return;
    }
    const std::vector<Obj::ProjectObject*> groups = TreeSelectionSingleton::instance().get_objects_of_type(
        Obj::ProjectObjectGroup::getClassTypeId());
    if (groups.size() == 1 && merge.target_gui_project())
        merge.target_gui_project()->addRootObjectsToGroup(objects, static_cast<Obj::ProjectObjectGroup*>(groups.front()));
}

void MainWindow::display_message(const QString&, int)
{
}

void MainWindow::display_message(const QString&)
{
}

// ---------------------------------------------------------------------------------------
// Document area

void MainWindow::arrange_subwindows() { d->mdiArea->tileSubWindows(); }
void MainWindow::tile() { d->mdiArea->tileSubWindows(); }
void MainWindow::cascade() { d->mdiArea->cascadeSubWindows(); }
void MainWindow::close_current_window() { d->mdiArea->closeActiveSubWindow(); }
void MainWindow::close_selected_window() {}
void MainWindow::close_all_windows()
{
    d->mdiArea->closeAllSubWindows();
    // Undocked and full-screen views are windows of their own, outside the document area;
    // each is asked as a docked one is (the last view of a changed project asks first).
    // Guarded: closing one view may destroy another.
    std::vector<QPointer<MDIWindow>> undocked;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* view = qobject_cast<MDIWindow*>(widget);
        if (view && view->currentViewMode() != MDIWindow::Child)
            undocked.emplace_back(view);
    }
    for (const QPointer<MDIWindow>& view : undocked) {
        // A view that agreed to close leaves its project now, as a docked one does, so
        // that the project closes with its last view before the caller goes on; the view
        // itself is deleted later.
        if (view && view->close() && view)
            view->onClose();
    }
}
void MainWindow::set_next_window_current() { d->mdiArea->activateNextSubWindow(); }
void MainWindow::set_last_window_current() { d->mdiArea->activatePreviousSubWindow(); }

void MainWindow::activate_simmodule(const QString& name)
{
    Q_EMIT workbenchActivated(name);
}

void MainWindow::get_action_info()
{
    QWhatsThis::enterWhatsThisMode();
}

MDIWindow* MainWindow::activeWindow() const
{
    return d->activeView.data();
}

void MainWindow::setActiveWindow(MDIWindow* view)
{
    if (!view || !view->canActivated())
        return;
    if (auto* sub = qobject_cast<QMdiSubWindow*>(view->parentWidget()))
        d->mdiArea->setActiveSubWindow(sub);
    d->activeView = view;
    if (qPelmoraApplication* app = qPelmoraApplication::application())
        app->set_current_view(view);
}

void MainWindow::activate_sub_window(QMdiSubWindow* window)
{
    if (!window)
        return;
    auto* view = qobject_cast<MDIWindow*>(window->widget());
    if (!view || !view->canActivated())
        return;
    d->activeView = view;
    if (qPelmoraApplication* app = qPelmoraApplication::application())
        app->set_current_view(view);
}

void MainWindow::on_set_current_sub_window(QWidget* window)
{
    if (auto* sub = qobject_cast<QMdiSubWindow*>(window))
        d->mdiArea->setActiveSubWindow(sub);
}

void MainWindow::tabCloseRequested(int index)
{
    const QList<QMdiSubWindow*> windows = d->mdiArea->subWindowList(QMdiArea::CreationOrder);
    if (index >= 0 && index < windows.size())
        windows.at(index)->close();
}

void MainWindow::addWindow(MDIWindow* view)
{
    if (!view)
        return;
    const bool first = d->mdiArea->subWindowCount() == 0;
    auto* sub = new DocumentSubWindow(d->mdiArea->viewport());
    sub->setAttribute(Qt::WA_DeleteOnClose);
    // Closing a document never ends the application; and a widget that may end it looks,
    // as it closes, at every widget of the application for a window still open, so that
    // closing many documents at once cost in proportion to the documents left open.
    sub->setAttribute(Qt::WA_QuitOnClose, false);
    view->setAttribute(Qt::WA_QuitOnClose, false);
    sub->setWidget(view);
    sub->setWindowIcon(view->windowIcon());
    if (QMenu* menu = sub->systemMenu()) {
        QAction* closeAll = menu->addAction(tr("Close All"));
        connect(closeAll, &QAction::triggered, d->mdiArea, &DocumentArea::closeAllSubWindows);
    }
    d->mdiArea->addSubWindow(sub);
    connect(view, &MDIWindow::message, this,
            static_cast<void (MainWindow::*)(const QString&, int)>(&MainWindow::display_message));
    connect(this, &MainWindow::windowStateChanged, view, &MDIWindow::windowStateChanged);
    view->installEventFilter(this);
    if (first)
        view->showMaximized();
    else
        view->show();
}

void MainWindow::removeWindow(MDIWindow* view)
{
    if (!view)
        return;
    disconnect(view, &MDIWindow::message, this,
               static_cast<void (MainWindow::*)(const QString&, int)>(&MainWindow::display_message));
    disconnect(this, &MainWindow::windowStateChanged, view, &MDIWindow::windowStateChanged);
    view->removeEventFilter(this);
    QWidget* focus = focusWidget();
    if (focus && view->isAncestorOf(focus))
        focus->clearFocus();
    if (auto* sub = qobject_cast<QMdiSubWindow*>(view->parentWidget())) {
        d->mdiArea->removeSubWindow(sub);
        sub->deleteLater();
    }
}

void MainWindow::tabChanged(MDIWindow*)
{
}

bool MainWindow::hasWindow(MDIWindow* view) const
{
    if (!view)
        return false;
    auto* sub = qobject_cast<QMdiSubWindow*>(view->parentWidget());
    return d->mdiArea->hasSubWindow(sub);
}

QList<QWidget*> MainWindow::get_windows(QMdiArea::WindowOrder order) const
{
    QList<QWidget*> widgets;
    for (QMdiSubWindow* sub : d->mdiArea->subWindowList(order))
        widgets.append(sub->widget());
    return widgets;
}

void MainWindow::switch_to_toplevel_mode()
{
    const QList<QDockWidget*> docks = findChildren<QDockWidget*>();
    for (QDockWidget* dock : docks) {
        dock->setParent(nullptr, Qt::Window);
        dock->show();
    }
    for (QWidget* view : get_windows(QMdiArea::CreationOrder)) {
        view->setParent(nullptr, Qt::Window);
        view->show();
    }
}

void MainWindow::swtich_to_docked_mode()
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* view = qobject_cast<MDIWindow*>(w))
            view->setCurrentViewMode(MDIWindow::Child);
    }
}

void MainWindow::slotProcessOutput(const QString& project, const QString& text)
{
    // The logic offers no output operation for a project yet; nothing emits this either.
    Q_UNUSED(project);
    Q_UNUSED(text);
}

// ---------------------------------------------------------------------------------------
// Menus

void MainWindow::before_display_window_menu()
{
    qPelmoraApplication* app = qPelmoraApplication::application();
    Command* command = app ? app->get_command_manager().get_command_by_name("Std_WindowsMenu") : nullptr;
    auto* group = command ? qobject_cast<CmdActionGroup*>(command->get_action()) : nullptr;
    // Without the command (or before it was placed) there is no menu to fill.
    if (!group)
        return;
    const QList<QAction*> actions = group->get_actions();
    if (actions.isEmpty())
        return;
    if (windowMenuFirstCall) {
        windowMenuFirstCall = false;
        for (int i = 0; i < actions.size() - 1; ++i)
            connect(actions.at(i), &QAction::triggered, d->windowMapper,
                    static_cast<void (QSignalMapper::*)()>(&QSignalMapper::map));
    }
    const QList<QMdiSubWindow*> windows = d->mdiArea->subWindowList();
    QMdiSubWindow* active = d->mdiArea->activeSubWindow();
    const int listed = qMin(windows.size(), actions.size() - 1);
    for (int i = 0; i < listed; ++i) {
        QMdiSubWindow* sub = windows.at(i);
        // An "&" of the project's label is shown, not taken as the entry's shortcut.
        QString title = sub->windowTitle().replace(QLatin1Char('&'), QLatin1String("&&"));
        const int placeholder = title.lastIndexOf(QLatin1String("[*]"));
        if (placeholder > 0) {
            title = title.left(placeholder);
            if (sub->isWindowModified())
                title += QLatin1Char('*');
        }
        const QString text = i < 9 ? QString::fromLatin1("&%1 %2").arg(i + 1).arg(title)
                                   : QString::fromLatin1("%1 %2").arg(i + 1).arg(title);
        QAction* action = actions.at(i);
        action->setText(text);
        action->setVisible(true);
        action->setChecked(sub == active);
        d->windowMapper->setMapping(action, sub);
    }
    for (int i = listed; i < actions.size(); ++i)
        actions.at(i)->setVisible(false);
    if (listed > 0)
        actions.last()->setVisible(true);
}

namespace {
// Adds a toggle action to the menu with `tip` as its tool tip, status tip and help.
void addToggle(QMenu* menu, QAction* toggle, const QString& tip)
{
    toggle->setToolTip(tip);
    toggle->setStatusTip(tip);
    toggle->setWhatsThis(tip);
    menu->addAction(toggle);
}
} // namespace

void MainWindow::before_display_toolbar_menu()
{
    auto* menu = qobject_cast<QMenu*>(sender());
    if (!menu)
        return;
    menu->clear();
    const QString tip = tr("Toggles this toolbar");
    for (QToolBar* bar : findChildren<QToolBar*>()) {
        if (bar->parentWidget() == this)
            addToggle(menu, bar->toggleViewAction(), tip);
    }
}

void MainWindow::before_display_dockwindow_menu()
{
    auto* menu = qobject_cast<QMenu*>(sender());
    if (!menu)
        return;
    menu->clear();
    const QString tip = tr("Toggles this dockable window");
    for (QDockWidget* dock : findChildren<QDockWidget*>())
        addToggle(menu, dock->toggleViewAction(), tip);
}

void MainWindow::setMrmlScene(vtkMRMLScene* scene)
{
    // The argument only says that there is a scene; the toolbar takes the current one.
    if (!scene)
        return;
    if (qPelmoraApplication* app = qPelmoraApplication::application())
        d->viewersToolBar->setMRMLScene(app->mrmlScene());
}

QMenu* MainWindow::make_popup_menu()
{
    QMenu* menu = createPopupMenu();
    SimModule* module = SimModuleController::instance()->active_simmodule();
    if (!menu || !module)
        return menu;
    MenuItem entries;
    module->build_context_popup_menu(&entries);
    if (!entries.has_items())
        return menu;
    menu->addSeparator();
    qPelmoraApplication* app = qPelmoraApplication::application();
    for (MenuItem* entry : entries.get_items()) {
        if (entry->command_ref() == "Separator")
            menu->addSeparator();
        else if (app)
            app->get_command_manager().add_to(entry->command_ref().c_str(), menu);
    }
    return menu;
}

// ---------------------------------------------------------------------------------------
// Timers

void MainWindow::update_all_actions()
{
    const qint64 now = MonotonicClock::nowMs();
    // A clock that seems to have gone back (a test's, swapped) counts as long ago.
    const bool tooSoon = now >= lastCheckMs && now - lastCheckMs < ActionCheckMinGapMs;
    if (!(tooSoon && firstCheckDone) && isVisible()) {
        if (qPelmoraApplication* app = qPelmoraApplication::application())
            app->get_command_manager().check_activation();
        lastCheckMs = now;
        firstCheckDone = true;
    }
    d->actionTimer->start(ActionCheckMs);
}

void MainWindow::timerEvent(QTimerEvent*)
{
    Q_EMIT timeEvent();
}

void MainWindow::showMainWindow()
{
}

void MainWindow::showEvent(QShowEvent* event)
{
    d->showTimer->start(15000);
    QMainWindow::showEvent(event);
}

void MainWindow::hideEvent(QHideEvent* event)
{
    d->showTimer->stop();
    QMainWindow::hideEvent(event);
}

bool MainWindow::is_closing() const
{
    return d->closing;
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // A file handed over while the user answers the close question would be lost with
    // Close, or saved unseen into the project file with Save: it is not taken.
    const bool wasClosing = d->closing;
    d->closing = true;
    // A value typed and not yet confirmed is an unsaved change: the question asks about
    // it (Cancel on the question leaves it in its editor, as it was).
    if (qPelmoraApplication* app = qPelmoraApplication::application())
        app->intend_to_close(event);
    if (!event->isAccepted()) {
        d->closing = wasClosing;
        return;
    }
    // Guarded: closing one dialog may destroy another.
    const QList<QDialog*> found = findChildren<QDialog*>();
    std::vector<QPointer<QDialog>> dialogs(found.begin(), found.end());
    for (const QPointer<QDialog>& dialog : dialogs) {
        if (dialog)
            dialog->close();
    }
    for (MDIWindow* view : findChildren<MDIWindow*>()) {
        view->hide();
        view->deleteLater();
    }
    d->actionTimer->stop();
    saveAppQtSettings();
    const QVariant leftOver = property("x-projectobject-file");
    if (leftOver.isValid()) {
        Vexil::DocumentInfo file(leftOver.toByteArray().toStdString());
        if (file.exists())
            file.removeDocument();
    }
    Q_EMIT mainWindowClosed();
    QApplication::closeAllWindows();
    QCoreApplication::quit();
}

// ---------------------------------------------------------------------------------------
// Settings

void MainWindow::settingUpdated(Vexil::PM_SETTING id)
{
    if (!Obj::Application::_pcSingleton)
        return;
    Vexil::PreferenceManager* prefs = Obj::Application::instance().getPrefMgr();
    pmUnit::UnitsManager* units = pmUnit::UnitsManager::instance();
    if (!prefs || !units)
        return;
    const pmUnit::UnitsData before = units->getUnitsData();
    switch (id) {
    case Vexil::PM_UNIT_SYSTEM:
        units->setSystemUnits(prefs->getString(id));
        pmMsg::InterpreterSingleton::Instance().updateOCCTargetUnit();
        break;
    case Vexil::PM_ANGULAR_VELOCITY_UNIT:
        units->setAngularVelocityUnits(prefs->getString(id));
        break;
    case Vexil::PM_ANGLE_UNIT:
        units->setAngleUnits(prefs->getString(id));
        break;
    case Vexil::PM_TEMPERATURE_UNIT:
        units->setTemperatureUnits(prefs->getString(id));
        break;
    case Vexil::PM_SIGNIFICANT_DIGITS:
        units->setDecimals(prefs->getInt(id));
        break;
    default:
        return;
    }
    const pmUnit::UnitsData unitsData = units->getUnitsData();
    // A change that would push a stored value past the largest number is refused as a
    // whole: the units stay as they were, and the console names the value.
    for (Obj::Project* project : Obj::Application::instance().get_projects()) {
        const std::string problem = project->units_problem(unitsData);
        if (problem.empty())
            continue;
        units->setSystemUnits(before.system);
        units->setAngularVelocityUnits(before.angularVelocity);
        units->setAngleUnits(before.angle);
        units->setTemperatureUnits(before.temperature);
        const QString kept = id == Vexil::PM_UNIT_SYSTEM ? before.system
            : id == Vexil::PM_ANGULAR_VELOCITY_UNIT     ? before.angularVelocity
            : id == Vexil::PM_ANGLE_UNIT                ? before.angle
                                                        : before.temperature;
        prefs->set(id, kept, false);
        if (id == Vexil::PM_UNIT_SYSTEM)
            pmMsg::InterpreterSingleton::Instance().updateOCCTargetUnit();
        Vexil::MsgConsoleSingleton::Instance().Error(
            "The units were not changed: in project %s, %s\n", project->get_name(), problem.c_str());
        return;
    }
    d->unitLabel->setText(units->getUnitStatusLabel());
    qPelmoraApplication* app = qPelmoraApplication::application();
    for (Obj::Project* project : Obj::Application::instance().get_projects()) {
        project->onUnitChanged(unitsData);
        // A project with a 3D scene shows its ruler in the new length unit system.
        GuiProject* gui = project->kind == 1 && app ? app->get_project(project) : nullptr;
        if (gui)
            selectSceneLengthUnit(gui->mrmlScene(), project);
        auto* view = gui ? qobject_cast<qView3DMRML*>(gui->getActiveView()) : nullptr;
        // A viewer built later reads the unit system itself.
        if (view && view->hasViewer())
            view->getViewer()->VtkSetRulerInMetric(units->IsLengthUnitInMetric());
    }
}

// ---------------------------------------------------------------------------------------
// Splash screen, start-up and Qt settings

QPixmap MainWindow::get_splash_pixmap() const
{
    QPixmap pixmap;
    QFileInfo file(QStringLiteral("images:pelmora_splash.png"));
    if (file.isFile())
        pixmap.load(file.filePath(), "PNG");
    if (pixmap.isNull()) {
        const std::string name = Obj::Application::mConfig["SplashScreen"];
        QString path = QString::fromUtf8(name.c_str());
        if (!path.isEmpty() && QFileInfo(path).isRelative())
            path = QDir(QString::fromUtf8(Obj::Application::instance().get_home_directory().c_str()))
                       .absoluteFilePath(path);
        if (!path.isEmpty())
            pixmap.load(path);
        if (pixmap.isNull())
            pixmap = PictureFactory::instance().get_pixmap(name.c_str());
    }
    return pixmap;
}

void MainWindow::begin_splash_window()
{
    const std::string* verbose = findConfig("Verbose");
    if (verbose && *verbose == "Strict")
        return;
    const std::string* runMode = findConfig("RunMode");
    if (!runMode || *runMode != "Gui" || d->splash)
        return;
    d->splash = new SplashScreen(get_splash_pixmap(), Qt::WindowStaysOnTopHint);
    d->splash->show();
}

void MainWindow::end_splash_window()
{
    if (!d || !d->splash)
        return;
    // finish() waits for this window to be exposed: only worth it when it is shown.
    if (isVisible())
        d->splash->finish(this);
    else
        d->splash->close();
    delete d->splash;
    d->splash = nullptr;
}

void MainWindow::loadAppQtSettings()
{
    Vexil::MsgConsoleSingleton::Instance().setPrefMgr(Obj::Application::instance().getPrefMgr());
    WindowSettings window;
    QSettings& config = window.settings;
    QSize saved = config.value(QStringLiteral("Size"), size()).toSize();
    QPoint pos = config.value(QStringLiteral("Position"), this->pos()).toPoint();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect r = screen->availableGeometry();
        // Saved on a larger screen, or a damaged file: a window many times the screen's
        // size costs gigabytes for its 3D views and cannot be handled.
        saved = saved.boundedTo(r.size());
    }
    resize(saved);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect r = screen->availableGeometry();
        pos.setX(qMin(qMax(pos.x(), r.left() - width() + 30), r.right() - 30));
        pos.setY(qMin(qMax(pos.y(), r.top() - 10), r.bottom() - 10));
    }
    move(pos);
    auto& console = Vexil::MsgConsoleSingleton::Instance();
    console.SetEnabledMsgType("ReportOutput", Vexil::MsgType_Wrn, false);
    restoreState(config.value(QStringLiteral("MainWindowState")).toByteArray());
    console.SetEnabledMsgType("ReportOutput", Vexil::MsgType_Wrn, true);
    if (config.value(QStringLiteral("Maximized"), false).toBool())
        showMaximized();
    else
        show();
    statusBar()->setVisible(config.value(QStringLiteral("StatusBar"), true).toBool());
    ToolBarConsole::getInstance()->restoreState();
}

void MainWindow::saveAppQtSettings()
{
    writeWindowSettings();
    DockingWindowMediator::instance()->save_status();
    ToolBarConsole::getInstance()->saveState();
}

void MainWindow::writeWindowSettings()
{
    // Written whole and checked: QSettings would put an empty file in place of the old
    // one when the disk is full.
    QString file;
    QString prefix;
    {
        WindowSettings window;
        file = window.settings.fileName();
        prefix = window.settings.group();
    }
    if (!prefix.isEmpty())
        prefix += QLatin1Char('/');
    QVariantMap values;
    std::string error;
    if (Vexil::readIniFile(file, values) == Vexil::IniReadStatus::NotReadable) {
        error = "the file cannot be read";
    } else {
        values.insert(prefix + QStringLiteral("Size"), size());
        values.insert(prefix + QStringLiteral("Position"), pos());
        values.insert(prefix + QStringLiteral("Maximized"), isMaximized());
        values.insert(prefix + QStringLiteral("MainWindowState"), saveState());
        values.insert(prefix + QStringLiteral("StatusBar"), statusBar()->isVisible());
        QDir().mkpath(QFileInfo(file).absolutePath());
        Vexil::saveIniFile(file, values, error);
    }
    if (!error.empty())
        Vexil::MsgConsoleSingleton::Instance().Error("Cannot save the window layout to '%s': %s\n",
                                                     printableForLog(QFile::encodeName(file), 4096).constData(), error.c_str());
}

void MainWindow::delayedStartup()
{
    Obj::Application& logic = Obj::Application::instance();
    // What an instance killed with a large copy on the clipboard left behind.
    for (const QString& name : CopyFile::removeAbandoned(QDir::tempPath()))
        Vexil::MsgConsoleSingleton::Instance().Log("Removed the copy file %s that no running instance holds\n",
                                                   printableForLog(QFile::encodeName(name), 4096).constData());
    const std::string* runMode = findConfig("RunMode");
    if (runMode && *runMode == "Internal") {
        try {
            logic.process_command_input_scripts();
        }
        catch (const Vexil::SystemExitException&) {
            throw;
        }
        catch (const Vexil::ExceptionHandler& e) {
            e.report_exception();
        }
        return;
    }
    // A second start with files hands them to the running instance and ends; what that
    // instance did not take is opened here.
    std::vector<std::string> commandLineFiles = logic.getCmdLineFiles();
    std::vector<std::string> named = commandLineFiles;
    if (auto* single = qobject_cast<GUISingleApplication*>(QCoreApplication::instance())) {
        if (single->handOverCommandLineFiles()) {
            QCoreApplication::quit();
            return;
        }
        named = single->commandLineFilesNamedHere();
        commandLineFiles = single->commandLineFilesToOpen();
    }
    const std::vector<std::string> files = logic.processFiles(commandLineFiles);
    qPelmoraApplication::note_command_line_files(named, files);
    for (const std::string& file : files)
        FileDialog::setWorkingDirectory(QString::fromUtf8(file.c_str()));
    if (qPelmoraApplication* app = qPelmoraApplication::application())
        app->mark_unchanged_projects_clean();
    // Read by whoever waits for the start to be complete (the host's screenshot).
    setProperty("startupFilesOpened", true);
    if (findConfig("StartHidden")) {
        QCoreApplication::quit();
        return;
    }
    if (qPelmoraApplication* app = qPelmoraApplication::application())
        app->checkForPreviousCrashes();
}

void MainWindow::takeBackActivation()
{
    QWidget* active = QApplication::activeWindow();
    if (!isVisible() || (active && active->isVisible()) || QApplication::activeModalWidget()
        || QApplication::activePopupWidget())
        return;
    // A window the caller opened (an undocked view, a panel) is on its way to activation.
    for (QWidget* w : QApplication::topLevelWidgets()) {
        const Qt::WindowType type = w->windowType();
        if (w != this && w->isVisible() && (type == Qt::Window || type == Qt::Dialog || type == Qt::Tool))
            return;
    }
    activateWindow();
}

namespace {

// The errors and warnings the console says on the GUI thread while it lives: why a file
// was refused or left alone.
class RefusalCapture : public Vexil::MsgConsoleObserver
{
public:
    RefusalCapture() { Vexil::MsgConsoleSingleton::Instance().connect_observer(this); }
    ~RefusalCapture() override { Vexil::MsgConsoleSingleton::Instance().disconnect_observer(this); }
    RefusalCapture(const RefusalCapture&) = delete;
    RefusalCapture& operator=(const RefusalCapture&) = delete;
    void Error(const char* text) override { keep(errors, text); }
    void Warning(const char* text) override { keep(warnings, text); }
    // The last error, else the last warning; empty when neither was said.
    std::string reason() const { return !errors.empty() ? errors : warnings; }
    bool saidAnError() const { return !errors.empty(); }

private:
    static void keep(std::string& into, const char* text)
    {
        if (QThread::currentThread() != QCoreApplication::instance()->thread() || !text)
            return;
        into = text;
        while (!into.empty() && (into.back() == '\n' || into.back() == '\r'))
            into.pop_back();
    }
    std::string errors;
    std::string warnings;
};

// The same file, however it was named (the name's own bytes: it may not be valid UTF-8).
std::string sameFile(const std::string& name)
{
    char* resolved = ::realpath(name.c_str(), nullptr);
    if (!resolved)
        return name;
    std::string result(resolved);
    std::free(resolved);
    return result;
}

// Refusals of handed-over files waiting for their box.  They are shown once the batch
// that brought them is dealt with, its files opened and every sender answered, so that a
// box holds up no file, no second start waiting for its answer and no other message; all
// of a batch in one box, and those that come while it is up in the next one.
struct Refusal
{
    QByteArray file;
    std::string reason;
};
std::vector<Refusal> refusalsToShow;
bool refusalsShowScheduled = false;
bool refusalBoxUp = false;
// A box lists this many; the Output has every one.
constexpr std::size_t MaxRefusalsListed = 10;

// A refusal to be shown where the user looks, as for a dropped file, unless the step that
// refused showed a box already; the console has the line.
void noteRefusal(const QByteArray& file, const std::string& reason, int boxesBefore)
{
    if (!qPelmoraApplication::may_show_refusal() || qPelmoraApplication::refusal_boxes_shown() != boxesBefore)
        return;
    refusalsToShow.push_back({file, reason});
}

void showRefusals(const std::vector<Refusal>& refusals)
{
    MainWindow* window = MainWindow::get_main_window_inst();
    if (refusals.empty() || !window || window->is_closing() || !qPelmoraApplication::may_show_refusal()
        || qPelmoraApplication::is_saving() || qPelmoraApplication::is_asking_about_closing())
        return;
    QMessageBox box(QMessageBox::Warning, QObject::tr("Failed to open"), QString(), QMessageBox::Ok, window);
    if (refusals.size() == 1) {
        box.setText(QObject::tr("Cannot open the file: %1").arg(printableName(refusals.front().file)));
        // The reason is already printable; it may hold a name that looks like markup.
        box.setInformativeText(QString::fromUtf8(refusals.front().reason.c_str()));
    }
    else {
        box.setText(QObject::tr("Cannot open %1 files:").arg(refusals.size()));
        QStringList lines;
        for (std::size_t n = 0; n < refusals.size() && n < MaxRefusalsListed; ++n) {
            const QByteArray& file = refusals[n].file;
            const QString reason = QString::fromUtf8(refusals[n].reason.c_str());
            // A reason names its file (maybe as it was named, relative), unless a sender of
            // another build said it otherwise.
            lines << (reason.contains(printableName(file.mid(file.lastIndexOf('/') + 1)))
                          ? reason
                          : printableName(file) + QStringLiteral(": ") + reason);
        }
        if (refusals.size() > MaxRefusalsListed)
            lines << QObject::tr("and %1 more, listed in the Output").arg(refusals.size() - MaxRefusalsListed);
        box.setInformativeText(lines.join(QLatin1Char('\n')));
    }
    showAsPlainText(box);
    box.exec();
}

// Shows the refusals noted, from the event loop once the batch's delivery has ended (and
// its senders are let go), before it takes anything new.
void scheduleRefusals()
{
    MainWindow* window = MainWindow::get_main_window_inst();
    if (refusalsToShow.empty() || refusalsShowScheduled || refusalBoxUp || !window)
        return;
    refusalsShowScheduled = true;
    QMetaObject::invokeMethod(window, [] {
        refusalsShowScheduled = false;
        // The box takes the keyboard from a row editor: not the user leaving the row.
        const DraftKeeper keepDraft;
        struct BoxUp
        {
            BoxUp() { refusalBoxUp = true; }
            ~BoxUp() { refusalBoxUp = false; }
        } boxUp;
        while (!refusalsToShow.empty()) {
            std::vector<Refusal> batch;
            batch.swap(refusalsToShow);
            showRefusals(batch);
        }
    }, Qt::QueuedConnection);
}

} // namespace

void MainWindow::processMessages(const QList<QByteArray>& messages)
{
    // A file handed over by a second start ends no edit under way: an open editor keeps
    // its draft and, once a question the opening asked is answered, the keyboard.
    const DraftKeeper keepDraft;
    const bool wasActive = QApplication::activeWindow() == this;
    // The batch's refusals are shown once it is dealt with (scheduleRefusals).
    struct ShowRefusalsAfter
    {
        ~ShowRefusalsAfter() { scheduleRefusals(); }
    } showRefusalsAfter;
    auto* single = qobject_cast<GUISingleApplication*>(QCoreApplication::instance());
    const auto answer = [single](int index, const QByteArray& reply) {
        if (single)
            single->answerMessage(index, reply);
    };
    auto& console = Vexil::MsgConsoleSingleton::Instance();
    try {
        // The files in the order named, and which message named each.
        std::vector<std::string> files;
        std::vector<int> namedBy;
        // Named by a start that nobody is at (a screenshot): it says a refusal itself, and
        // a box here would wait for a user who did not ask for the file.
        std::vector<bool> unattended;
        for (int i = 0; i < messages.size(); ++i) {
            const QByteArray& message = messages[i];
            const bool refusedUnattended = message.startsWith(GUISingleApplication::UnattendedRefusedFilePrefix);
            if (refusedUnattended || message.startsWith(GUISingleApplication::RefusedFilePrefix)) {
                // Refused by the start that named it: said here as a refusal of a drop is.
                const QByteArray rest = message.mid(int(std::strlen(refusedUnattended
                                                                        ? GUISingleApplication::UnattendedRefusedFilePrefix
                                                                        : GUISingleApplication::RefusedFilePrefix)));
                const int end = rest.indexOf('\0');
                const QByteArray name = rest.left(end);
                const std::string reason = printableForLog(end < 0 ? QByteArray() : rest.mid(end + 1), 4096).toStdString();
                const int boxes = qPelmoraApplication::refusal_boxes_shown();
                console.Error("%s\n", reason.c_str());
                answer(i, "REFUSED " + QByteArray::fromStdString(reason));
                if (!refusedUnattended && !d->closing && !qPelmoraApplication::is_saving()
                    && !qPelmoraApplication::is_asking_about_closing())
                    noteRefusal(name, reason, boxes);
                continue;
            }
            const bool fromUnattended = message.startsWith(GUISingleApplication::UnattendedOpenFilePrefix);
            if (!fromUnattended && !message.startsWith("OpenFile:"))
                continue;
            const QByteArray name =
                message.mid(fromUnattended ? int(std::strlen(GUISingleApplication::UnattendedOpenFilePrefix)) : 9);
            const std::string shown = printableForLog(name, 4096).toStdString();
            if (d->closing) {
                console.Warning("Not taken: %s: this window is closing; the start that named it opens it\n",
                                shown.c_str());
                answer(i, "NOT TAKEN this window is closing");
                continue;
            }
            // A save's question or dialog is open: taking the file would change the
            // projects it asks about, and "Yes" would then write others over its file.
            if (qPelmoraApplication::is_saving()) {
                console.Warning("Not taken: %s: this window is saving; the start that named it opens it\n",
                                shown.c_str());
                answer(i, "NOT TAKEN this window is saving");
                continue;
            }
            // The questions before a project file replaces the open projects are open: their
            // answer would save the file into the user's projects file, or close it at once.
            if (qPelmoraApplication::is_asking_about_closing()) {
                console.Warning("Not taken: %s: this window is asking about closing its projects; the start that "
                                "named it opens it\n",
                                shown.c_str());
                answer(i, "NOT TAKEN this window is asking about closing its projects");
                continue;
            }
            if (name.contains('\0')) {
                // No file name holds one; cut there, it would name another file.
                const std::string reason = "Cannot open the file " + shown + ": its name holds a NUL byte, "
                                           "which no file name can";
                const int boxes = qPelmoraApplication::refusal_boxes_shown();
                console.Error("%s\n", reason.c_str());
                answer(i, "REFUSED " + QByteArray::fromStdString(reason));
                if (!fromUnattended)
                    noteRefusal(name, reason, boxes);
                continue;
            }
            files.push_back(name.toStdString());
            namedBy.push_back(i);
            unattended.push_back(fromUnattended);
        }
        if (files.empty()) {
            if (wasActive)
                QTimer::singleShot(0, this, [this] { takeBackActivation(); });
            return;
        }

        Obj::Application& logic = Obj::Application::instance();
        std::vector<std::string> keys;
        for (const std::string& file : files)
            keys.push_back(sameFile(file));
        std::vector<bool> answered(files.size(), false);
        // Each file on its own, so that each answer carries its own reason; the senders
        // hear them before the user reads the box.
        for (const std::string& file : qPelmoraApplication::files_to_open_together(files)) {
            const int boxes = qPelmoraApplication::refusal_boxes_shown();
            std::string reason;
            bool refused = false;   // else opened, or kept out by the user's answer
            const std::string key = sameFile(file);
            bool quietly = true;
            for (std::size_t n = 0; n < files.size(); ++n)
                quietly = quietly && (keys[n] != key || unattended[n]);
            {
                // A refusal is said on the console while the batch's files open, and in the
                // batch's box afterwards: a box now would hold up the files after it.
                const bool before = qPelmoraApplication::set_refusals_on_console_only(true);
                struct Restore
                {
                    bool before;
                    ~Restore() { qPelmoraApplication::set_refusals_on_console_only(before); }
                } restore{before};
                RefusalCapture capture;
                if (!logic.processFiles({file}).empty())
                    FileDialog::setWorkingDirectory(QFile::decodeName(file.c_str()));
                else if ((reason = capture.reason()).empty())
                    reason = "Not opened: " + Vexil::printableText(file) + ": the open projects were kept";
                else
                    refused = true;
                // In red in the Output dock, where the user of this window looks.
                if (refused && !capture.saidAnError())
                    console.Error("%s\n", reason.c_str());
            }
            for (std::size_t n = 0; n < files.size(); ++n) {
                if (answered[n] || keys[n] != key)
                    continue;
                answered[n] = true;
                answer(namedBy[n], reason.empty() ? QByteArray("OPENED") : "REFUSED " + QByteArray::fromStdString(reason));
            }
            if (refused && !quietly)
                noteRefusal(QByteArray::fromStdString(file), reason, boxes);
        }
        for (std::size_t n = 0; n < files.size(); ++n) {
            if (!answered[n])
                answer(namedBy[n], "REFUSED Not opened: " + QByteArray::fromStdString(Vexil::printableText(files[n]))
                                       + ": a project file replaces every open project, and another one named "
                                         "with it was opened instead");
        }
        if (qPelmoraApplication* app = qPelmoraApplication::application())
            app->mark_unchanged_projects_clean();
    }
    catch (const Vexil::SystemExitException&) {
    }
    if (wasActive)
        QTimer::singleShot(0, this, [this] { takeBackActivation(); });
}
