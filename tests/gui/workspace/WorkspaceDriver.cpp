// Runs the whole application and acts out one scenario once the event loop runs:
//   close    hide the "Chart" dock and the "FILE" toolbar, size the window 777 by 555,
//            then close the main window
//   report   print the window's size, which docks and toolbars are shown and what the
//            dock status holds
//   keys     print the FILE and EDIT menus, press Ctrl+N, then Ctrl+S once the projects
//            have a file, and print what became of them
//   shortcuts  print the shortcut of every menu entry that has one
//   projects FILE  open FILE from the command line and print its tabs and tree once
//            opened, then the tabs after one project is changed and another made current
//   over FILE SECOND  open FILE from the command line; change one of its projects and
//            close all windows, keeping that one ("Close Project": Cancel), click its
//            tab's close button (Cancel again), then open
//            SECOND over them with Ctrl+O ("Remove existing projects": Yes, "Close
//            Project": Close); print the tabs and tree after each step
// Two runs in the same home check what a restart keeps.

#include <support/ApplicationRun.h>
#include <support/BoxAnswerer.h>
#include <support/WhenReady.h>

#include <commands/Command.h>
#include <commands/CommandAction.h>
#include <core/qPelmoraApplication.h>
#include <dialogs/widgets/FileDialog.h>
#include <mainwindow/DocumentArea.h>
#include <mainwindow/DocumentTabBar.h>
#include <mainwindow/MainWindow.h>
#include <selection/TreeWidget.h>
#include <obj/Application.h>
#include <vexil/Parameter.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDockWidget>
#include <QFile>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTest>
#include <QFileInfo>
#include <QTabBar>
#include <QTimer>
#include <QTreeWidgetItem>
#include <QToolBar>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

std::string scenario;
std::string secondFile;

void print(const QString& key, const QString& value)
{
    std::printf("%s=%s\n", key.toUtf8().constData(), value.toUtf8().constData());
}

QString menuEntries(Gui::MainWindow* mw, const QString& title)
{
    QStringList names;
    for (QAction* bar : mw->menuBar()->actions()) {
        if (bar->text() != title || !bar->menu())
            continue;
        for (QAction* a : bar->menu()->actions())
            names << (a->isSeparator() ? QStringLiteral("|") : a->data().toString());
    }
    return names.join(QLatin1Char(' '));
}

// Whether the command's action is enabled now; the enabled states are checked every 300 ms.
bool commandEnabled(const char* name)
{
    Gui::Command* command = Gui::qPelmoraApplication::application()->get_command_manager().get_command_by_name(name);
    return command && command->get_action() && command->get_action()->action()->isEnabled();
}

// Presses Ctrl+S once Save is enabled (a busy machine runs the check late).
void pressSave(Gui::MainWindow* mw, const std::string& file)
{
    // Shortcuts reach only the active window; other programs on the same display may hold
    // the focus, so the window is made Qt's active one directly.
    QApplication::setActiveWindow(mw);
    QTest::keyClick(mw, Qt::Key_S, Qt::ControlModifier);
    QFile saved(QString::fromStdString(file));
    saved.open(QIODevice::ReadOnly);
    print("saved.by.CtrlS", saved.readAll().contains("AddedAfterSaving") ? "yes" : "no");
    std::fflush(stdout);
    QCoreApplication::quit();
}

void pressKeys(Gui::MainWindow* mw)
{
    Obj::Application& logic = Obj::Application::instance();
    print("menu.FILE", menuEntries(mw, QStringLiteral("&FILE")));
    print("menu.EDIT", menuEntries(mw, QStringLiteral("&EDIT")));
    QApplication::setActiveWindow(mw);
    QTest::keyClick(mw, Qt::Key_N, Qt::ControlModifier);
    print("projects.after.CtrlN", QString::number(logic.get_projects().size()));

    const std::string file = (QFileInfo(QString::fromLocal8Bit(qgetenv("HOME"))).absoluteFilePath() + "/keys.pmdb").toStdString();
    logic.save_as_file(1, file.c_str());
    logic.get_projects().back()->add_object("Obj::ProjectObject", "AddedAfterSaving");
    // Save becomes enabled at a later check of the enabled states.
    PelmoraTest::whenReady([] { return commandEnabled("Std_Save"); }, [mw, file] { pressSave(mw, file); },
                           [] {
                               print("saved.by.CtrlS", "Save never enabled");
                               std::fflush(stdout);
                               QCoreApplication::quit();
                           });
}

// Every entry of the menu bar that has a shortcut, menus within menus included, as
// "shortcut.<keys>=<command>" lines.
void printShortcuts(const QList<QAction*>& actions)
{
    for (QAction* a : actions) {
        if (a->menu())
            printShortcuts(a->menu()->actions());
        else if (!a->shortcut().isEmpty())
            print("shortcut." + a->shortcut().toString(QKeySequence::PortableText),
                  a->data().toString().isEmpty() ? a->text() : a->data().toString());
    }
}

// The tab bar as the user sees it: the texts joined by "|", which tab is current, whether
// it is the active window's, and whether the tabs lie side by side without overlapping.
void printTabs(const char* when)
{
    Gui::DocumentArea* area = Gui::MainWindow::get_main_window_inst()->mdiArea();
    QTabBar* tabs = area->tabBar();
    QStringList texts;
    bool inRow = true;
    for (int i = 0; i < tabs->count(); ++i) {
        texts << tabs->tabText(i);
        if (i > 0 && tabs->tabRect(i).left() < tabs->tabRect(i - 1).right())
            inRow = false;
    }
    const QString prefix = QString::fromLatin1(when);
    print(prefix + ".tabs.count", QString::number(tabs->count()));
    print(prefix + ".tabs.texts", texts.join(QLatin1Char('|')));
    print(prefix + ".tabs.current", tabs->currentIndex() >= 0 ? tabs->tabText(tabs->currentIndex()) : QString());
    const QList<QMdiSubWindow*> windows = area->subWindowList();
    const int active = windows.indexOf(area->activeSubWindow());
    print(prefix + ".tabs.currentIsActive", active >= 0 && active == tabs->currentIndex() ? "yes" : "no");
    print(prefix + ".tabs.inRow", inRow ? "yes" : "no");
    print(prefix + ".tabs.shown", tabs->isVisible() ? "yes" : "no");
}

// Each project of the tree as "name:object,object,...", joined by "|"; with `when`, also
// the root's text and the projects shown expanded.
void printTree(const char* when = nullptr)
{
    auto* tree = Gui::MainWindow::get_main_window_inst()->findChild<Gui::TreeWidget*>();
    QStringList projects, expanded;
    for (int i = 0; tree && i < tree->getRootItem()->childCount(); ++i) {
        const QTreeWidgetItem* project = tree->getRootItem()->child(i);
        QStringList objects;
        for (int k = 0; k < project->childCount(); ++k)
            objects << project->child(k)->text(0);
        projects << project->text(0) + QLatin1Char(':') + objects.join(QLatin1Char(','));
        if (project->isExpanded())
            expanded << project->text(0);
    }
    if (!when) {
        print("tree", projects.join(QLatin1Char('|')));
        return;
    }
    const QString prefix = QString::fromLatin1(when);
    print(prefix + ".tree", projects.join(QLatin1Char('|')));
    print(prefix + ".tree.root", tree ? tree->getRootItem()->text(0) + (tree->getRootItem()->isExpanded() ? " (open)" : "") : QString());
    print(prefix + ".tree.expanded", expanded.join(QLatin1Char('|')));
}

// Ctrl+O of the second file over the projects open, answering that they go.
void openSecondOver(Gui::MainWindow* mw)
{
    Gui::FileDialog::Backend backend;
    backend.openFileNames = [](QWidget*, const QString&, const QString&, const QString&, QString*,
                               QFileDialog::Options) { return QStringList{QString::fromStdString(secondFile)}; };
    Gui::FileDialog::setBackend(backend);
    {
        PelmoraTest::BoxAnswerer answerer({{QStringLiteral("Remove existing projects"), QMessageBox::Yes},
                           {QStringLiteral("Close Project"), QMessageBox::Close}});
        QApplication::setActiveWindow(mw);
        QTest::keyClick(mw, Qt::Key_O, Qt::ControlModifier);
        QCoreApplication::processEvents();
        print("over.questions", answerer.titles.join(QLatin1Char('|')));
    }
    QTimer::singleShot(0, [] {
        QTimer::singleShot(0, [] {
            printTabs("over");
            printTree("over");
            std::fflush(stdout);
            QCoreApplication::quit();
        });
    });
}

// Window > Close All with one project changed, whose view stays ("Close Project": Cancel).
void closeAllButChanged(Gui::MainWindow* mw)
{
    Obj::Application& app = Obj::Application::instance();
    app.get_projects().at(app.get_projects().size() / 2)->add_object("Obj::ProjectObject", "Unsaved");
    QAction* closeAll = nullptr;
    for (QAction* bar : mw->menuBar()->actions())
        for (QAction* a : bar->menu() ? bar->menu()->actions() : QList<QAction*>())
            if (a->data().toString() == QLatin1String("Std_CloseAllWnds"))
                closeAll = a;
    {
        PelmoraTest::BoxAnswerer answerer({{QStringLiteral("Close Project"), QMessageBox::Cancel}});
        if (closeAll)
            closeAll->trigger();
        QCoreApplication::processEvents();
        print("closeall.questions", answerer.titles.join(QLatin1Char('|')));
    }
    // The closed windows go when the loop turns, and their tabs when it turns again.
    QTimer::singleShot(0, [mw] {
        QTimer::singleShot(0, [mw] {
            printTabs("closeall");
            printTree("closeall");
            // The tab's close button still asks about the changed project.
            auto* tabs = static_cast<Gui::DocumentTabBar*>(mw->mdiArea()->tabBar());
            {
                PelmoraTest::BoxAnswerer answerer({{QStringLiteral("Close Project"), QMessageBox::Cancel}});
                QTest::mouseClick(tabs, Qt::LeftButton, Qt::NoModifier, tabs->closeButtonRect(0).center());
                QCoreApplication::processEvents();
                print("closeall.closeButton.questions", answerer.titles.join(QLatin1Char('|')));
            }
            openSecondOver(mw);
        });
    });
}

void reportOpened()
{
    QTimer::singleShot(0, [] {
        printTabs("opened");
        printTree();
        if (scenario == "over") {
            closeAllButChanged(Gui::MainWindow::get_main_window_inst());
            return;
        }
        // One project changed, then the first one chosen by its tab, as a user would.
        Obj::Application& app = Obj::Application::instance();
        app.get_projects().at(app.get_projects().size() / 2)->add_object("Obj::ProjectObject", "Added");
        Gui::DocumentArea* area = Gui::MainWindow::get_main_window_inst()->mdiArea();
        area->tabBar()->setCurrentIndex(0);
        QTimer::singleShot(0, [] {
            printTabs("changed");
            std::fflush(stdout);
            QCoreApplication::quit();
        });
    });
}

// Waits until the file named on the command line has been opened (or the guard against a
// hang ran out: the tabs and tree then show what is missing) and the loop has turned
// after it.
void reportProjects(std::size_t expected)
{
    PelmoraTest::whenReady([expected] { return Obj::Application::instance().get_projects().size() >= expected; },
                           reportOpened, reportOpened);
}

void act()
{
    Gui::MainWindow* mw = Gui::MainWindow::get_main_window_inst();
    if (scenario == "projects" || scenario == "over") {
        reportProjects(std::stoul(qgetenv("EXPECTED_PROJECTS").toStdString()));
        return;
    }
    if (scenario == "shortcuts") {
        printShortcuts(mw->menuBar()->actions());
        std::fflush(stdout);
        QCoreApplication::quit();
        return;
    }
    if (scenario == "keys") {
        pressKeys(mw);
        return;
    }
    if (scenario == "close") {
        mw->findChild<QDockWidget*>(QStringLiteral("Chart"))->hide();
        mw->findChild<QToolBar*>(QStringLiteral("FILE"))->hide();
        mw->showNormal();
        mw->resize(777, 555);
        mw->close();
        QTimer::singleShot(0, [] { QCoreApplication::quit(); });
        return;
    }
    print("window.size", QStringLiteral("%1x%2").arg(mw->width()).arg(mw->height()));
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
        std::fprintf(stderr, "usage: workspace_driver close|report|keys|shortcuts|projects FILE|over FILE SECOND\n");
        return 2;
    }
    scenario = argv[1];
    // The window settings are kept under the executable's name: the processes of one test
    // share it (they run one after the other in their own home), other tests do not.
    const QByteArray home = QFileInfo(QString::fromLocal8Bit(qgetenv("HOME"))).fileName().toLatin1();
    auto config = PelmoraTest::hostConfiguration("workspace_driver_" + home.toStdString());
    std::vector<char*> args{argv[0]};
    if ((scenario == "projects" || scenario == "over") && argc > 2)
        args.push_back(argv[2]);
    if (scenario == "over" && argc > 3)
        secondFile = QFileInfo(QString::fromLocal8Bit(argv[3])).absoluteFilePath().toStdString();
    return PelmoraTest::runApplication(config, args, act);
}
