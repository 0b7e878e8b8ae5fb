// The window commands: closing document windows, the dock and toolbar submenus, and the
// status bar switch that follows restored settings without toggling the bar.

#include <commands/Command.h>
#include <commands/CommandAction.h>
#include <core/qPelmoraApplication.h>
#include <mainwindow/MDIWindow.h>
#include <mainwindow/MainWindow.h>

#include <support/GuiSession.h>
#include <support/ModalCloser.h>
#include <support/TestEnvironment.h>

#include <obj/Application.h>
#include <pmmsg/Message.h>

#include <QCoreApplication>
#include <QEvent>
#include <QMdiArea>
#include <QMenu>
#include <QStatusBar>

#include <gtest/gtest.h>

#include <memory>

namespace {

using PelmoraTest::flushDeletes;

class WindowCommands : public PelmoraTest::MainWindowSession
{
};

} // namespace

TEST_F(WindowCommands, CloseEntriesFollowTheDocumentWindows)
{
    QAction* close = placed("Std_CloseCurrentWindow");
    QAction* closeAll = placed("Std_CloseAllWnds");
    EXPECT_EQ(close->text(), "Close");
    EXPECT_EQ(closeAll->toolTip(), "Close all windows");
    EXPECT_FALSE(close->icon().isNull());
    app->get_command_manager().check_activation();
    EXPECT_FALSE(close->isEnabled());
    EXPECT_FALSE(closeAll->isEnabled());

    Obj::Project* project = logic->app().create_project("Part1", "Part1");
    Gui::GuiProject* gui = app->get_project(project);
    ASSERT_NE(gui, nullptr);
    for (const char* title : {"One", "Two", "Three"}) {
        auto* view = new Gui::MDIWindow(gui, window.get());
        view->setWindowTitle(title);
        window->addWindow(view);
    }
    const int open = window->get_windows().size();
    ASSERT_GE(open, 3);
    app->get_command_manager().check_activation();
    EXPECT_TRUE(close->isEnabled());
    EXPECT_TRUE(closeAll->isEnabled());

    PelmoraTest::ModalCloser closer(QMessageBox::Yes);
    close->trigger();
    flushDeletes();
    EXPECT_EQ(window->get_windows().size(), open - 1);
    closeAll->trigger();
    flushDeletes();
    EXPECT_TRUE(window->get_windows().isEmpty());
    app->get_command_manager().check_activation();
    EXPECT_FALSE(close->isEnabled());
    EXPECT_FALSE(closeAll->isEnabled());
}

TEST_F(WindowCommands, StatusBarEntryFollowsARestoredHiddenBarThenToggles)
{
    QAction* entry = placed("Std_ShowStatusBar");
    EXPECT_EQ(entry->text(), "Status Bar");
    ASSERT_TRUE(entry->isCheckable());
    EXPECT_TRUE(entry->isChecked());

    // As if the saved settings had hidden it: the first check shows that, toggling nothing.
    window->statusBar()->hide();
    app->get_command_manager().check_activation();
    EXPECT_FALSE(entry->isChecked());
    EXPECT_TRUE(window->statusBar()->isHidden());
    // Later checks leave the entry to the user.
    window->statusBar()->show();
    app->get_command_manager().check_activation();
    EXPECT_FALSE(entry->isChecked());

    entry->trigger();
    EXPECT_TRUE(entry->isChecked());
    EXPECT_FALSE(window->statusBar()->isHidden());
    entry->trigger();
    EXPECT_TRUE(window->statusBar()->isHidden());
    entry->trigger();
    EXPECT_FALSE(window->statusBar()->isHidden());
}

TEST_F(WindowCommands, DockAndToolbarSubmenusListTheirTogglesAndTheCommandsDoNothing)
{
    ASSERT_TRUE(app->activate_simmodule("Standard"));
    QAction* docks = placed("Std_DockMenu");
    QAction* bars = placed("Std_ToolbarViewMenu");
    EXPECT_EQ(docks->text(), "Windows");
    EXPECT_EQ(bars->text(), "Toolbars");
    ASSERT_NE(docks->menu(), nullptr);
    ASSERT_NE(bars->menu(), nullptr);

    Q_EMIT docks->menu()->aboutToShow();
    QStringList dockEntries;
    for (QAction* a : docks->menu()->actions())
        dockEntries << a->text();
    EXPECT_TRUE(dockEntries.contains("Output")) << dockEntries.join(',').toStdString();
    Q_EMIT bars->menu()->aboutToShow();
    EXPECT_FALSE(bars->menu()->actions().isEmpty());

    const bool statusShown = !window->statusBar()->isHidden();
    const int open = window->get_windows().size();
    pmMsg::Journal::clear();
    app->get_command_manager().run_command_by_name("Std_DockMenu");
    app->get_command_manager().run_command_by_name("Std_ToolbarViewMenu");
    EXPECT_TRUE(pmMsg::Journal::lines().empty());
    EXPECT_EQ(!window->statusBar()->isHidden(), statusShown);
    EXPECT_EQ(window->get_windows().size(), open);
}
