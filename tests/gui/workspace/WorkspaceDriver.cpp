// Runs the whole application and acts out one scenario once the event loop runs:
//   close    hide the "Chart" dock and the "FILE" toolbar, then close the main window
//   report   print which docks and toolbars are shown and what the dock status holds
// Two runs in the same home check what a restart keeps.

#include <support/ApplicationRun.h>

#include <mainwindow/MainWindow.h>
#include <obj/Application.h>
#include <vexil/Parameter.h>

#include <QApplication>
#include <QDockWidget>
#include <QFileInfo>
#include <QTimer>
#include <QToolBar>

#include <cstdio>
#include <string>

namespace {

std::string scenario;

void print(const QString& key, const QString& value)
{
    std::printf("%s=%s\n", key.toUtf8().constData(), value.toUtf8().constData());
}

void act()
{
    Gui::MainWindow* mw = Gui::MainWindow::get_main_window_inst();
    if (scenario == "close") {
        mw->findChild<QDockWidget*>(QStringLiteral("Chart"))->hide();
        mw->findChild<QToolBar*>(QStringLiteral("FILE"))->hide();
        mw->close();
        QTimer::singleShot(0, [] { QCoreApplication::quit(); });
        return;
    }
    for (QDockWidget* dock : mw->findChildren<QDockWidget*>())
        print("dock." + dock->objectName(), dock->isVisible() ? "shown" : "hidden");
    for (QToolBar* bar : mw->findChildren<QToolBar*>())
        if (bar->parentWidget() == mw)
            print("toolbar." + bar->objectName(), bar->isVisible() ? "shown" : "hidden");
    Vexil::ParameterGroup::Handle group =
        Obj::Application::instance().get_user_preference().get_parameter_group("BaseApp/MainWindow/DockWindows");
    for (const std::string& key : group->get_entry_keys())
        print(QString::fromStdString("saved." + key), group->get_parameter_bool(key.c_str()) ? "true" : "false");
    std::fflush(stdout);
    QCoreApplication::quit();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: workspace_driver close|report\n");
        return 2;
    }
    scenario = argv[1];
    // The window settings are kept under the executable's name: the processes of one test
    // share it (they run one after the other in their own home), other tests do not.
    const QByteArray home = QFileInfo(QString::fromLocal8Bit(qgetenv("HOME"))).fileName().toLatin1();
    auto config = PelmoraTest::hostConfiguration("workspace_driver_" + home.toStdString());
    return PelmoraTest::runApplication(config, {argv[0]}, act);
}
