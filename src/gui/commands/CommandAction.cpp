#include "CommandAction.h"

#include "commands/Command.h"

#include "mainwindow/MainWindow.h"

#include <QActionGroup>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>
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
    if (cmd)
        cmd->action_gone(this);
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
    return new_action(new QAction(text, group));
}

QAction* CmdActionGroup::new_action(QAction* action)
{
    if (!action)
        return nullptr;
    const int index = group->actions().size() - (group->actions().contains(action) ? 1 : 0);
    group->addAction(action);
    action->setData(index);
    return action;
}

QList<QAction*> CmdActionGroup::get_actions() const
{
    return group->actions();
}

int CmdActionGroup::get_checked_action() const
{
    QAction* checked = group->checkedAction();
    return checked ? checked->data().toInt() : -1;
}

void CmdActionGroup::set_checked_action(int i)
{
    const QList<QAction*> actions = group->actions();
    if (i < 0 || i >= actions.size())
        return;
    actions.at(i)->setChecked(true);
    qaction->setIcon(actions.at(i)->icon());
}

void CmdActionGroup::set_disabled(bool disabled)
{
    set_enabled(!disabled);
}

void CmdActionGroup::set_exclusive(bool on)
{
    group->setExclusive(on);
}

void CmdActionGroup::append_to(QWidget* widget)
{
    if (!widget)
        return;
    if (dropdown) {
        if (auto* menu = qobject_cast<QMenu*>(widget)) {
            QMenu* sub = menu->addMenu(qaction->text());
            sub->addActions(group->actions());
            return;
        }
        if (auto* bar = qobject_cast<QToolBar*>(widget)) {
            bar->addAction(qaction);
            // The button just made for the action: the last one among the bar's children.
            const QList<QToolButton*> buttons = bar->findChildren<QToolButton*>();
            if (!buttons.isEmpty()) {
                QToolButton* button = buttons.last();
                button->setPopupMode(QToolButton::MenuButtonPopup);
                auto* popup = new QMenu(button);
                popup->addActions(group->actions());
                button->setMenu(popup);
            }
            return;
        }
    }
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

void CmdActionGroup::on_activated(int index)
{
    if (cmd)
        cmd->invoke(index);
}

void CmdActionGroup::on_activated(QAction* action)
{
    const int index = group->actions().indexOf(action);
    if (action) {
        for (QWidget* widget : action->associatedWidgets()) {
            auto* menu = qobject_cast<QMenu*>(widget);
            auto* button = menu ? qobject_cast<QToolButton*>(menu->parent()) : nullptr;
            if (button) {
                button->setIcon(action->icon());
                setProperty("defaultAction", index);
            }
        }
    }
    if (cmd)
        cmd->invoke(index);
}

// ---------------------------------------------------------------------------------------

GuiWndAction::GuiWndAction(Command* command, QObject* parent) : CmdActionGroup(command, parent) {}

GuiWndAction::~GuiWndAction()
{
    delete menu;
}

void GuiWndAction::append_to(QWidget* widget)
{
    MainWindow* mw = MainWindow::get_main_window_inst();
    if (auto* target = qobject_cast<QMenu*>(widget)) {
        target->addActions(group->actions());
        if (mw)
            connect(target, &QMenu::aboutToShow, mw, &MainWindow::before_display_window_menu, Qt::UniqueConnection);
        return;
    }
    if (!widget)
        return;
    if (!menu) {
        menu = new QMenu();
        menu->addActions(group->actions());
        qaction->setMenu(menu);
        if (mw)
            connect(menu, &QMenu::aboutToShow, mw, &MainWindow::before_display_window_menu);
    }
    widget->addAction(qaction);
}

namespace {
// The entry's menu is made once and filled by the main window each time it opens.
QMenu* menuFilledOnShow(QAction* action, void (MainWindow::*fill)())
{
    auto* menu = new QMenu();
    action->setMenu(menu);
    if (MainWindow* mw = MainWindow::get_main_window_inst())
        QObject::connect(menu, &QMenu::aboutToShow, mw, fill);
    return menu;
}
} // namespace

DockWindowAction::DockWindowAction(Command* command, QObject* parent) : CommandAction(command, parent) {}

DockWindowAction::~DockWindowAction()
{
    delete menu;
}

void DockWindowAction::append_to(QWidget* widget)
{
    if (!menu)
        menu = menuFilledOnShow(qaction, &MainWindow::before_display_dockwindow_menu);
    if (widget)
        widget->addAction(qaction);
}

ToolbarAction::ToolbarAction(Command* command, QObject* parent) : CommandAction(command, parent) {}

ToolbarAction::~ToolbarAction()
{
    delete menu;
}

void ToolbarAction::append_to(QWidget* widget)
{
    if (!menu)
        menu = menuFilledOnShow(qaction, &MainWindow::before_display_toolbar_menu);
    if (widget)
        widget->addAction(qaction);
}
