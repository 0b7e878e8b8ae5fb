#include "MenuCoordinator.h"

#include "commands/Command.h"
#include "core/qPelmoraApplication.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/MenuItem.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>

using namespace Gui;

MenuCoordinator* MenuCoordinator::_instance = nullptr;

namespace {

const QString& separatorName()
{
    static const QString name = QStringLiteral("Separator");
    return name;
}

QString titleOf(const std::string& command)
{
    return QCoreApplication::translate("SimModule", command.c_str());
}

CommandController* commands()
{
    qPelmoraApplication* app = qPelmoraApplication::application();
    return app ? &app->get_command_manager() : nullptr;
}

QAction* addSeparator(QWidget* widget)
{
    auto* separator = new QAction(widget);
    separator->setSeparator(true);
    separator->setObjectName(separatorName());
    separator->setData(separatorName());
    widget->addAction(separator);
    return separator;
}

} // namespace

MenuCoordinator* MenuCoordinator::getInstance()
{
    if (!_instance)
        _instance = new MenuCoordinator();
    return _instance;
}

void MenuCoordinator::destruct()
{
    delete _instance;
    _instance = nullptr;
}

QAction* MenuCoordinator::look_for_action(const QList<QAction*>& actions, const QString& name)
{
    for (QAction* action : actions) {
        if (action->data().toString() == name)
            return action;
    }
    return nullptr;
}

QList<QAction*> MenuCoordinator::look_for_actions(const QList<QAction*>& actions, const QString& name)
{
    // A command may have put several adjacent actions into a menu: take the first run of
    // them, and only one separator per request.
    QList<QAction*> found;
    const bool separator = name == separatorName();
    for (QAction* action : actions) {
        if (action->data().toString() == name) {
            found.append(action);
            if (separator)
                break;
        }
        else if (!found.isEmpty()) {
            break;
        }
    }
    return found;
}

void MenuCoordinator::setup(MenuItem* root) const
{
    MainWindow* mw = MainWindow::get_main_window_inst();
    if (!root || !mw)
        return;
    QMenuBar* bar = mw->menuBar();
    QList<QAction*> unused = bar->actions();
    for (MenuItem* child : root->get_items()) {
        const QString name = QString::fromLatin1(child->command_ref().c_str());
        QAction* action = look_for_action(unused, name);
        if (action) {
            bar->removeAction(action);
            bar->addAction(action);
            action->setVisible(true);
            unused.removeOne(action);
        }
        else if (name == separatorName()) {
            action = addSeparator(bar);
        }
        else {
            QMenu* menu = bar->addMenu(titleOf(child->command_ref()));
            menu->setObjectName(name);
            action = menu->menuAction();
            action->setObjectName(name);
            action->setData(name);
        }
        if (!action->isSeparator() && action->menu())
            setup(child, action->menu());
    }
    // Menus of earlier modules stay, hidden, for the next module that names them.
    for (QAction* action : unused)
        action->setVisible(false);
}

QAction* MenuCoordinator::place(MenuItem* child, QMenu* menu, QList<QAction*>& unused) const
{
    const QString name = QString::fromLatin1(child->command_ref().c_str());
    const QList<QAction*> found = look_for_actions(unused, name);
    if (!found.isEmpty()) {
        for (QAction* action : found) {
            menu->removeAction(action);
            menu->addAction(action);
            unused.removeOne(action);
        }
        return found.first();
    }
    if (name == separatorName()) {
        addSeparator(menu);
        return nullptr;
    }
    if (!child->has_items()) {
        CommandController* controller = commands();
        const int before = menu->actions().size();
        if (controller && controller->add_to(child->command_ref().c_str(), menu)) {
            const QList<QAction*> now = menu->actions();
            for (int i = before; i < now.size(); ++i)
                now.at(i)->setData(name);
        }
        return nullptr;
    }
    QMenu* submenu = menu->addMenu(titleOf(child->command_ref()));
    submenu->setObjectName(name);
    QAction* action = submenu->menuAction();
    action->setObjectName(name);
    action->setData(name);
    return action;
}

void MenuCoordinator::setup(MenuItem* item, QMenu* menu) const
{
    QList<QAction*> unused = menu->actions();
    for (MenuItem* child : item->get_items()) {
        QAction* action = place(child, menu, unused);
        // A command of the submenu's name carries no menu to fill.
        if (child->has_items() && action && action->menu())
            setup(child, action->menu());
    }
    for (QAction* action : unused) {
        menu->removeAction(action);
        // Separators are ours; command actions belong to their commands.
        if (action->isSeparator() && action->parent() == menu)
            delete action;
    }
}

void MenuCoordinator::add_gui_menu(MenuItem* item, QMenu* menu) const
{
    QList<QAction*> unused = menu->actions();
    for (MenuItem* child : item->get_items()) {
        QAction* action = place(child, menu, unused);
        if (child->has_items() && action && action->menu())
            setup(child, action->menu());
    }
}

void MenuCoordinator::build_context_menu(MenuItem* item, QMenu& menu) const
{
    if (item)
        setup(item, &menu);
}

void MenuCoordinator::add_context_menu(MenuItem* item, QMenu& menu) const
{
    if (item)
        add_gui_menu(item, &menu);
}

void MenuCoordinator::translate_widget() const
{
    MainWindow* mw = MainWindow::get_main_window_inst();
    if (!mw)
        return;
    for (QAction* action : mw->menuBar()->actions()) {
        if (QMenu* menu = action->menu())
            translate_widget(menu);
    }
}

void MenuCoordinator::translate_widget(QMenu* menu) const
{
    const QByteArray name = menu->menuAction()->data().toByteArray();
    CommandController* controller = commands();
    Command* command = controller ? controller->get_command_by_name(name.constData()) : nullptr;
    if (command)
        menu->setTitle(QCoreApplication::translate(command->get_class_name(), command->get_menu_info()));
    else
        menu->setTitle(QCoreApplication::translate("SimModule", name.constData()));
    for (QAction* action : menu->actions()) {
        if (QMenu* sub = action->menu())
            translate_widget(sub);
    }
}
