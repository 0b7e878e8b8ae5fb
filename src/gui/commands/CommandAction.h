#pragma once
// The one Qt action of a command, shared by every menu and toolbar that shows it.

#include "PelmoraGuiExport.h"

#include <QAction>
#include <QObject>

class QActionGroup;

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

    QAction* action() const { return qaction; }
    Command* command() const { return cmd; }

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
    QList<QAction*> get_actions() const;
    void append_to(QWidget* widget) override;
    void set_enabled(bool on) override;
    void set_visible(bool on) override;

public Q_SLOTS:
    void on_activated() override;
    void on_activated(QAction* action);

protected:
    QActionGroup* group;
};

} // namespace Gui
