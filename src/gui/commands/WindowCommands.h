#pragma once
// The commands that manage the main window's own parts: closing document windows, the
// submenus that toggle docks and toolbars, and the status bar switch.

#include "Command.h"

namespace Gui {

class PELMORAGUI_EXPORT StdCmdCloseCurrentWindow : public Command
{
public:
    StdCmdCloseCurrentWindow();
    const char* get_class_name() const override { return "StdCmdCloseCurrentWindow"; }
    bool is_applicable() override;
    void activated(int i) override;
};

class PELMORAGUI_EXPORT StdCmdCloseAllWnds : public Command
{
public:
    StdCmdCloseAllWnds();
    const char* get_class_name() const override { return "StdCmdCloseAllWnds"; }
    bool is_applicable() override;
    void activated(int i) override;
};

// Its entry is a submenu of the dock windows' toggles, which do the work.
class PELMORAGUI_EXPORT StdCmdDockMenu : public Command
{
public:
    StdCmdDockMenu();
    const char* get_class_name() const override { return "StdCmdDockMenu"; }
    CommandAction* new_action() override;
    void activated(int i) override;
};

// Its entry is a submenu of the toolbars' toggles, which do the work.
class PELMORAGUI_EXPORT StdCmdToolbarViewMenu : public Command
{
public:
    StdCmdToolbarViewMenu();
    const char* get_class_name() const override { return "StdCmdToolbarViewMenu"; }
    CommandAction* new_action() override;
    void activated(int i) override;
};

class PELMORAGUI_EXPORT StdCmdViewStatusBar : public Command
{
public:
    StdCmdViewStatusBar();
    const char* get_class_name() const override { return "StdCmdViewStatusBar"; }
    CommandAction* new_action() override;
    // Also brings the entry's check mark in line with the status bar once, the first
    // time it runs while the entry exists.
    bool is_applicable() override;
    void activated(int i) override;

private:
    bool synced = false;
};

// Its entries list the open document windows; choosing one activates it.  The main
// window fills them each time the menu opens.
class PELMORAGUI_EXPORT StdCmdWindowsMenu : public Command
{
public:
    StdCmdWindowsMenu();
    const char* get_class_name() const override { return "StdCmdWindowsMenu"; }
    CommandAction* new_action() override;
    void activated(int) override {}
};

// Creates the window commands and hands them to `controller` in menu order.
PELMORAGUI_EXPORT void register_window_commands(CommandController& controller);

} // namespace Gui
