#include "WindowCommands.h"

#include "commands/CommandAction.h"
#include "mainwindow/DocumentArea.h"
#include "mainwindow/MDIWindow.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/PictureFactory.h"

#include <QAction>
#include <QStatusBar>

namespace Gui {

namespace {

// Runs in every activation check: asks for the count instead of building the window
// list, so that the check allocates nothing.
bool hasDocumentWindow()
{
    MainWindow* mw = MainWindow::get_main_window_inst();
    return mw && mw->mdiArea()->subWindowCount() > 0;
}

// The named action class on the main window, with the framework's texts.
template <class Action>
CommandAction* menuAction(Command& cmd)
{
    auto* action = new Action(&cmd, MainWindow::get_main_window_inst());
    action->set_shortcut_key(QString::fromLatin1(cmd.get_shortcut() ? cmd.get_shortcut() : ""));
    return action;
}

} // namespace

StdCmdCloseCurrentWindow::StdCmdCloseCurrentWindow() : Command("Std_CloseCurrentWindow")
{
    sGroup = "Window";
    eType = 0;
    set_texts(QT_TRANSLATE_NOOP("StdCmdCloseCurrentWindow", "Close"),
              QT_TRANSLATE_NOOP("StdCmdCloseCurrentWindow", "Close current project"), "pelmora_gui_closedoc");
}

bool StdCmdCloseCurrentWindow::is_applicable()
{
    return hasDocumentWindow();
}

void StdCmdCloseCurrentWindow::activated(int)
{
    if (MainWindow* mw = MainWindow::get_main_window_inst())
        mw->close_current_window();
}

StdCmdCloseAllWnds::StdCmdCloseAllWnds() : Command("Std_CloseAllWnds")
{
    sGroup = "Window";
    eType = 0;
    set_texts(QT_TRANSLATE_NOOP("StdCmdCloseAllWnds", "Close All"),
              QT_TRANSLATE_NOOP("StdCmdCloseAllWnds", "Close all windows"), "pelmora_gui_closeall.svg");
}

bool StdCmdCloseAllWnds::is_applicable()
{
    // Undocked views are closed too.
    return hasDocumentWindow() || MDIWindow::undockedViewCount() > 0;
}

void StdCmdCloseAllWnds::activated(int)
{
    if (MainWindow* mw = MainWindow::get_main_window_inst())
        mw->close_all_windows();
}

StdCmdDockMenu::StdCmdDockMenu() : Command("Std_DockMenu")
{
    sGroup = "View";
    eType = 0;
    set_texts(QT_TRANSLATE_NOOP("StdCmdDockMenu", "Windows"),
              QT_TRANSLATE_NOOP("StdCmdDockMenu", "Toggles docking window"), nullptr);
}

CommandAction* StdCmdDockMenu::new_action()
{
    CommandAction* action = menuAction<DockWindowAction>(*this);
    fill_command_details(get_class_name(), action);
    return action;
}

void StdCmdDockMenu::activated(int) {}

StdCmdToolbarViewMenu::StdCmdToolbarViewMenu() : Command("Std_ToolbarViewMenu")
{
    sGroup = "View";
    eType = 0;
    set_texts(QT_TRANSLATE_NOOP("StdCmdToolbarViewMenu", "Toolbars"),
              QT_TRANSLATE_NOOP("StdCmdToolbarViewMenu", "Toggles this toolbar"), nullptr);
}

CommandAction* StdCmdToolbarViewMenu::new_action()
{
    CommandAction* action = menuAction<ToolbarAction>(*this);
    fill_command_details(get_class_name(), action);
    return action;
}

void StdCmdToolbarViewMenu::activated(int) {}

StdCmdViewStatusBar::StdCmdViewStatusBar() : Command("Std_ShowStatusBar")
{
    sGroup = "View";
    eType = 0;
    set_texts(QT_TRANSLATE_NOOP("StdCmdViewStatusBar", "Status Bar"),
              QT_TRANSLATE_NOOP("StdCmdViewStatusBar", "Toggles the status bar"), nullptr);
}

CommandAction* StdCmdViewStatusBar::new_action()
{
    return new_checkable_action(true);
}

bool StdCmdViewStatusBar::is_applicable()
{
    if (!synced) {
        CommandAction* action = get_action();
        MainWindow* mw = MainWindow::get_main_window_inst();
        if (action && mw) {
            // Restored settings may have hidden the bar: show that without toggling it.
            action->set_checked(!mw->statusBar()->isHidden(), false);
            synced = true;
        }
    }
    return true;
}

void StdCmdViewStatusBar::activated(int i)
{
    if (MainWindow* mw = MainWindow::get_main_window_inst())
        mw->statusBar()->setVisible(i != 0);
}

StdCmdWindowsMenu::StdCmdWindowsMenu() : Command("Std_WindowsMenu")
{
    sGroup = "Window";
    eType = 0;
    set_texts(QT_TRANSLATE_NOOP("StdCmdWindowsMenu", "Activates selected window"),
              QT_TRANSLATE_NOOP("StdCmdWindowsMenu", "Activates selected window"), nullptr);
}

CommandAction* StdCmdWindowsMenu::new_action()
{
    // Ten window entries, then a separator that the main window shows below a
    // non-empty list.
    constexpr int WindowEntries = 10;
    auto* group = new GuiWndAction(this, MainWindow::get_main_window_inst());
    for (int i = 0; i < WindowEntries; ++i) {
        QAction* entry = group->new_action(QString());
        entry->setCheckable(true);
        entry->setVisible(false);
    }
    QAction* separator = group->new_action(QString());
    separator->setSeparator(true);
    separator->setVisible(false);
    fill_command_details(get_class_name(), group);
    return group;
}

void register_window_commands(CommandController& controller)
{
    controller.new_command(new StdCmdCloseCurrentWindow());
    controller.new_command(new StdCmdCloseAllWnds());
    controller.new_command(new StdCmdDockMenu());
    controller.new_command(new StdCmdToolbarViewMenu());
    controller.new_command(new StdCmdViewStatusBar());
    controller.new_command(new StdCmdWindowsMenu());
}

} // namespace Gui
