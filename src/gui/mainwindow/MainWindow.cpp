#include "MainWindow.h"

#include "dialogs/SplashScreen.h"
#include "dialogs/widgets/FileDialog.h"
#include "mainwindow/PictureFactory.h"

#include <obj/Application.h>
#include <vexil/Exception.h>
#include <vexil/MsgConsole.h>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QTimer>

using namespace Gui;

MainWindow* MainWindow::instance = nullptr;

struct MainWindow::Private
{
    QMdiArea* mdiArea = nullptr;
    QLabel* messageLabel = nullptr;
    QLabel* statusLabel = nullptr;
    QTimer* statusClear = nullptr;
    SplashScreen* splash = nullptr;
};

namespace {
const std::string* findConfig(const char* key)
{
    auto it = Obj::Application::mConfig.find(key);
    return it == Obj::Application::mConfig.end() ? nullptr : &it->second;
}
} // namespace

MainWindow::MainWindow(QWidget* parent, Qt::WindowFlags flags)
    : QMainWindow(parent, flags), d(std::make_unique<Private>())
{
    instance = this;
    d->mdiArea = new QMdiArea(this);
    d->mdiArea->setViewMode(QMdiArea::TabbedView);
    d->mdiArea->setTabsClosable(true);
    d->mdiArea->setTabsMovable(true);
    setCentralWidget(d->mdiArea);

    d->messageLabel = new QLabel(statusBar());
    d->statusLabel = new QLabel(statusBar());
    statusBar()->addWidget(d->messageLabel, 1);
    statusBar()->addPermanentWidget(d->statusLabel, 0);
    d->statusClear = new QTimer(this);
    d->statusClear->setSingleShot(true);
    connect(d->statusClear, &QTimer::timeout, d->messageLabel, &QLabel::clear);
    resize(1024, 768);
}

MainWindow::~MainWindow()
{
    end_splash_window();
    if (instance == this)
        instance = nullptr;
}

MainWindow* MainWindow::get_main_window_inst()
{
    return instance;
}

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
    if (!d->splash)
        return;
    d->splash->finish(this);
    delete d->splash;
    d->splash = nullptr;
}

void MainWindow::loadAppQtSettings()
{
    Vexil::MsgConsoleSingleton::Instance().setPrefMgr(Obj::Application::instance().getPrefMgr());
    QSettings config;
    config.beginGroup(QStringLiteral("MainWindow"));
    resize(config.value(QStringLiteral("Size"), size()).toSize());
    QPoint pos = config.value(QStringLiteral("Position"), this->pos()).toPoint();
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
    config.endGroup();
}

void MainWindow::saveAppQtSettings()
{
    QSettings config;
    config.beginGroup(QStringLiteral("MainWindow"));
    config.setValue(QStringLiteral("Size"), size());
    config.setValue(QStringLiteral("Position"), pos());
    config.setValue(QStringLiteral("Maximized"), isMaximized());
    config.setValue(QStringLiteral("MainWindowState"), saveState());
    config.setValue(QStringLiteral("StatusBar"), statusBar()->isVisible());
    config.endGroup();
}

void MainWindow::activate_simmodule(const QString& name)
{
    Q_EMIT workbenchActivated(name);
}

MDIWindow* MainWindow::activeWindow() const
{
    return nullptr;
}

void MainWindow::setMrmlScene(vtkMRMLScene*)
{
}

void MainWindow::delayedStartup()
{
    Obj::Application& logic = Obj::Application::instance();
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
    const std::vector<std::string> files = logic.processFiles(logic.getCmdLineFiles());
    for (const std::string& file : files)
        FileDialog::setWorkingDirectory(QString::fromUtf8(file.c_str()));
    if (findConfig("StartHidden")) {
        QCoreApplication::quit();
        return;
    }
}

void MainWindow::processMessages(const QList<QByteArray>& messages)
{
    try {
        std::vector<std::string> files;
        for (const QByteArray& message : messages) {
            if (message.startsWith("OpenFile:"))
                files.emplace_back(message.mid(9).constData(), static_cast<size_t>(message.size() - 9));
        }
        const std::vector<std::string> opened = Obj::Application::instance().processFiles(files);
        for (const std::string& file : opened)
            FileDialog::setWorkingDirectory(QString::fromUtf8(file.c_str()));
    }
    catch (const Vexil::SystemExitException&) {
    }
}

void MainWindow::display_message(const QString& text, int timeout)
{
    statusBar()->showMessage(text, timeout);
}

void MainWindow::set_statusbar_text(int kind, const QString& text)
{
    if (kind == 1) {
        d->messageLabel->setText(text);
        d->statusClear->start(5000);
    }
    else if (kind == 2) {
        d->statusLabel->setText(text);
    }
}
