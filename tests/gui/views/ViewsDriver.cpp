// Starts the library as the host does, with the files named on its command line, and once
// they are open prints which project the logic holds current, which one the project tree
// shows in bold, which tab the bar shows as current and whose view is on screen.

#include <support/ApplicationRun.h>
#include <support/SettleEvents.h>
#include <support/WhenReady.h>

#include <core/GuiProject.h>
#include <mainwindow/DocumentArea.h>
#include <mainwindow/MDIWindow.h>
#include <mainwindow/MainWindow.h>
#include <selection/ProjectItem.h>
#include <selection/TreeWidget.h>
#include <core/qPelmoraApplication.h>

#include <obj/Application.h>
#include <obj/Project.h>

#include <QCoreApplication>
#include <QMdiSubWindow>
#include <QTabBar>
#include <QWindow>

#include <cstdio>
#include <string>
#include <vector>

namespace {

void print(const char* key, const QString& value)
{
    std::printf("%s=%s\n", key, value.toUtf8().constData());
}

void report()
{
    Gui::MainWindow* mw = Gui::MainWindow::get_main_window_inst();
    Gui::qPelmoraApplication* app = Gui::qPelmoraApplication::application();
    Obj::Project* current = Obj::Application::instance().get_current_project();
    print("current", current ? QString::fromUtf8(current->get_name()) : QString());
    QStringList bold;
    auto* tree = mw->findChild<Gui::TreeWidget*>();
    for (Obj::Project* project : Obj::Application::instance().get_projects()) {
        Gui::ProjectItem* item = tree ? tree->getProjectItem(app->get_project(project)) : nullptr;
        if (item && item->font(0).bold())
            bold << QString::fromUtf8(project->get_name());
    }
    print("bold", bold.join('|'));
    QTabBar* bar = mw->mdiArea()->tabBar();
    print("tab", bar->currentIndex() < 0 ? QString() : bar->tabText(bar->currentIndex()));
    QMdiSubWindow* sub = mw->mdiArea()->activeSubWindow();
    auto* view = sub ? qobject_cast<Gui::MDIWindow*>(sub->widget()) : nullptr;
    Gui::GuiProject* shown = view ? view->getGuiProject() : nullptr;
    print("shown", shown && shown->get_project() ? QString::fromUtf8(shown->get_project()->get_name()) : QString());
    std::fflush(stdout);
    QCoreApplication::quit();
}

// Once the command line's files are open and the window is on screen, after what that
// queued (the tabs laid out, a view activated) has run.
void reportWhenOpened()
{
    PelmoraTest::whenReady(
        [] {
            Gui::MainWindow* mw = Gui::MainWindow::get_main_window_inst();
            return mw && mw->property("startupFilesOpened").toBool() && mw->windowHandle()
                   && mw->windowHandle()->isExposed();
        },
        [] {
            PelmoraTest::settleQueuedEvents();
            report();
        },
        [] {
            std::fprintf(stderr, "views_driver: the files never opened, or the window never showed\n");
            QCoreApplication::exit(1);
        });
}

} // namespace

int main(int argc, char** argv)
{
    const auto config =
        PelmoraTest::hostConfiguration("views_driver_" + std::to_string(QCoreApplication::applicationPid()));
    std::vector<char*> args(argv, argv + argc);
    return PelmoraTest::runApplication(config, args, reportWhenOpened);
}
