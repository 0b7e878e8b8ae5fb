#pragma once
// Builds the main window's menu bar and context menus from menu trees.  A module switch
// reuses what the bar already holds: named menus and actions move into the new order,
// new ones are created, menus no longer named are hidden and actions no longer named are
// taken out of their menus.  Every placed action carries its tree command as its data.

#include "PelmoraGuiExport.h"

#include <QList>

QT_BEGIN_NAMESPACE
class QAction;
class QMenu;
class QString;
QT_END_NAMESPACE

namespace Gui {

class MenuItem;

class PELMORAGUI_EXPORT MenuCoordinator
{
public:
    static MenuCoordinator* getInstance();
    static void destruct();

    MenuCoordinator(const MenuCoordinator&) = delete;
    MenuCoordinator& operator=(const MenuCoordinator&) = delete;

    // The main window's menu bar from the root's children; a null root changes nothing.
    void setup(MenuItem* root) const;
    // The menu holds exactly what the item's children name afterwards.
    void build_context_menu(MenuItem* item, QMenu& menu) const;
    // Adds what the item's children name, keeping what the menu held before.
    void add_context_menu(MenuItem* item, QMenu& menu) const;
    // Titles of the menu bar's menus and their submenus in the current language.
    void translate_widget() const;

private:
    MenuCoordinator() = default;
    ~MenuCoordinator() = default;
    void setup(MenuItem* item, QMenu* menu) const;
    void add_gui_menu(MenuItem* item, QMenu* menu) const;
    // Places the child into the menu, reusing actions from `unused`; returns the action
    // whose submenu the child's own children fill, or null.
    QAction* place(MenuItem* child, QMenu* menu, QList<QAction*>& unused) const;
    static QAction* look_for_action(const QList<QAction*>& actions, const QString& name);
    static QList<QAction*> look_for_actions(const QList<QAction*>& actions, const QString& name);
    void translate_widget(QMenu* menu) const;

    static MenuCoordinator* _instance;
};

} // namespace Gui
