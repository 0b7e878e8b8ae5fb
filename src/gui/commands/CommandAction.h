#pragma once
// The one Qt action of a command, shared by every menu and toolbar that shows it.

#include "PelmoraGuiExport.h"

#include <QAction>
#include <QObject>

QT_BEGIN_NAMESPACE
class QActionGroup;
class QMenu;
QT_END_NAMESPACE

namespace Gui {

class Command;

class PELMORAGUI_EXPORT CommandAction : public QObject
{
    Q_OBJECT
public:
    CommandAction(Command* command, QObject* parent);
    CommandAction(Command* command, QAction* action, QObject* parent);
    ~CommandAction() override;

    virtual void append_to(QWidget* widget);
    virtual void set_enabled(bool on);
    virtual void set_visible(bool on);
    // The action that set_enabled switches when it switches no other; null when it does
    // more.  Lets the activation check go to the Qt action directly.
    virtual QAction* sole_enabled_action() const { return qaction; }

    QAction* action() const { return qaction; }
    Command* command() const { return cmd; }
    // The command is going away: later triggers do nothing.
    void forget_command() { cmd = nullptr; }

    // A checkable action invokes its command with the new state on every toggle.
    void set_checkable(bool on);
    void set_checked(bool checked, bool notify = true);
    bool is_checked() const;

    QString get_text() const;
    QString get_tool_tip() const;
    QString get_status_tip() const;
    QString get_action_info() const;
    QKeySequence get_shortcut_key() const;
    void set_text(const QString& text);
    void set_tool_tip(const QString& text);
    void set_status_tip(const QString& text);
    void set_action_info(const QString& text);
    void set_icon(const QIcon& icon);
    void set_menu_role(QAction::MenuRole role);
    void set_shortcut_key(const QString& nativeText);

public Q_SLOTS:
    virtual void on_activated();
    virtual void onToggled(bool checked);

protected:
    QAction* qaction;
    Command* cmd;
};

// A command with a list of alternatives; the chosen index is passed to the command.
class PELMORAGUI_EXPORT CmdActionGroup : public CommandAction
{
    Q_OBJECT
public:
    CmdActionGroup(Command* command, QObject* parent);
    ~CmdActionGroup() override;

    // The new action's data is its index in the group.
    QAction* new_action(const QString& text);
    QAction* new_action(QAction* action);
    QList<QAction*> get_actions() const;
    // Index of the checked alternative, -1 when none is checked.
    int get_checked_action() const;
    // Checks alternative i; the command's own action takes its icon.
    void set_checked_action(int i);
    void set_disabled(bool disabled);
    void set_exclusive(bool on);
    // Placed as one entry with a menu of the alternatives instead of one entry each.
    void set_dropdown_list(bool on) { dropdown = on; }
    bool is_dropdown_list() const { return dropdown; }
    void append_to(QWidget* widget) override;
    void set_enabled(bool on) override;
    void set_visible(bool on) override;
    QAction* sole_enabled_action() const override { return nullptr; }

public Q_SLOTS:
    // A click on a drop-down button re-runs the last choice made from its menu.
    void on_activated() override;
    void on_activated(int index);
    void on_activated(QAction* action);

protected:
    QActionGroup* group;
    bool dropdown = false;
};

// A command whose entry lists the document windows; the main window fills it on demand.
class PELMORAGUI_EXPORT GuiWndAction : public CmdActionGroup
{
    Q_OBJECT
public:
    GuiWndAction(Command* command, QObject* parent);
    ~GuiWndAction() override;
    void append_to(QWidget* widget) override;

private:
    QMenu* menu = nullptr;
};

// A command whose entry is a menu of the dock windows' toggles.
class PELMORAGUI_EXPORT DockWindowAction : public CommandAction
{
    Q_OBJECT
public:
    DockWindowAction(Command* command, QObject* parent);
    ~DockWindowAction() override;
    void append_to(QWidget* widget) override;

private:
    QMenu* menu = nullptr;
};

// A command whose entry is a menu of the toolbars' toggles.
class PELMORAGUI_EXPORT ToolbarAction : public CommandAction
{
    Q_OBJECT
public:
    ToolbarAction(Command* command, QObject* parent);
    ~ToolbarAction() override;
    void append_to(QWidget* widget) override;

private:
    QMenu* menu = nullptr;
};

} // namespace Gui
