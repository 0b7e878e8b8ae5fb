#include "CommandAction.h"

#include "commands/Command.h"

#include <QActionGroup>
#include <QWidget>

using namespace Gui;

CommandAction::CommandAction(Command* command, QObject* parent)
    : CommandAction(command, new QAction(nullptr), parent)
{
}

CommandAction::CommandAction(Command* command, QAction* action, QObject* parent)
    : QObject(parent), qaction(action), cmd(command)
{
    qaction->setParent(this);
    if (cmd)
        qaction->setObjectName(QString::fromLatin1(cmd->get_name()));
    connect(qaction, &QAction::triggered, this, &CommandAction::on_activated);
}

CommandAction::~CommandAction()
{
    delete qaction;
}

void CommandAction::append_to(QWidget* widget)
{
    if (widget)
        widget->addAction(qaction);
}

void CommandAction::set_enabled(bool on)
{
    qaction->setEnabled(on);
}

void CommandAction::set_visible(bool on)
{
    qaction->setVisible(on);
}

void CommandAction::on_activated()
{
    if (cmd)
        cmd->invoke(0);
}

void CommandAction::onToggled(bool checked)
{
    if (cmd)
        cmd->invoke(checked ? 1 : 0);
}

void CommandAction::set_checkable(bool on)
{
    qaction->setCheckable(on);
    disconnect(qaction, &QAction::triggered, this, &CommandAction::on_activated);
    disconnect(qaction, &QAction::toggled, this, &CommandAction::onToggled);
    if (on)
        connect(qaction, &QAction::toggled, this, &CommandAction::onToggled);
    else
        connect(qaction, &QAction::triggered, this, &CommandAction::on_activated);
}

void CommandAction::set_checked(bool checked, bool notify)
{
    const bool blocked = notify ? qaction->signalsBlocked() : qaction->blockSignals(true);
    qaction->setChecked(checked);
    if (!notify)
        qaction->blockSignals(blocked);
}

bool CommandAction::is_checked() const { return qaction->isChecked(); }
QString CommandAction::get_text() const { return qaction->text(); }
QString CommandAction::get_tool_tip() const { return qaction->toolTip(); }
QString CommandAction::get_status_tip() const { return qaction->statusTip(); }
QString CommandAction::get_action_info() const { return qaction->whatsThis(); }
QKeySequence CommandAction::get_shortcut_key() const { return qaction->shortcut(); }
void CommandAction::set_text(const QString& text) { qaction->setText(text); }
void CommandAction::set_tool_tip(const QString& text) { qaction->setToolTip(text); }
void CommandAction::set_status_tip(const QString& text) { qaction->setStatusTip(text); }
void CommandAction::set_action_info(const QString& text) { qaction->setWhatsThis(text); }
void CommandAction::set_icon(const QIcon& icon) { qaction->setIcon(icon); }
void CommandAction::set_menu_role(QAction::MenuRole role) { qaction->setMenuRole(role); }

void CommandAction::set_shortcut_key(const QString& nativeText)
{
    qaction->setShortcut(QKeySequence(nativeText, QKeySequence::NativeText));
}

// ---------------------------------------------------------------------------------------

CmdActionGroup::CmdActionGroup(Command* command, QObject* parent)
    : CommandAction(command, parent), group(new QActionGroup(this))
{
    connect(group, &QActionGroup::triggered, this,
            static_cast<void (CmdActionGroup::*)(QAction*)>(&CmdActionGroup::on_activated));
}

CmdActionGroup::~CmdActionGroup()
{
    delete group;
}

QAction* CmdActionGroup::new_action(const QString& text)
{
    auto* action = new QAction(text, group);
    action->setData(group->actions().size() - 1);
    return action;
}

QList<QAction*> CmdActionGroup::get_actions() const
{
    return group->actions();
}

void CmdActionGroup::append_to(QWidget* widget)
{
    if (widget)
        widget->addActions(group->actions());
}

void CmdActionGroup::set_enabled(bool on)
{
    CommandAction::set_enabled(on);
    group->setEnabled(on);
}

void CmdActionGroup::set_visible(bool on)
{
    CommandAction::set_visible(on);
    group->setVisible(on);
}

void CmdActionGroup::on_activated()
{
    if (cmd)
        cmd->invoke(property("defaultAction").toInt());
}

void CmdActionGroup::on_activated(QAction* action)
{
    if (cmd)
        cmd->invoke(group->actions().indexOf(action));
}
