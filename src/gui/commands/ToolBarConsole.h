#pragma once
// Turns a module's toolbar tree into the main window's toolbars: one toolbar per child,
// reused by name across module switches, shown as the user last left it, wrapped into
// a new row when the window would be too narrow.

#include "PelmoraGuiExport.h"

#include <QList>
#include <QStringList>

QT_BEGIN_NAMESPACE
class QAction;
class QToolBar;
QT_END_NAMESPACE

namespace Gui {

class ToolBarGadget;

class PELMORAGUI_EXPORT ToolBarConsole
{
public:
    static ToolBarConsole* getInstance();
    static void destruct();

    ToolBarConsole(const ToolBarConsole&) = delete;
    ToolBarConsole& operator=(const ToolBarConsole&) = delete;

    // Builds the module's toolbars; a null tree changes nothing.
    void setup(ToolBarGadget* tree);
    // Visibility of the last setup's toolbars, kept in the preferences store.
    void saveState() const;
    void restoreState() const;
    void translate_widget() const;

    static QToolBar* findToolBar(const QList<QToolBar*>& bars, const QString& name);
    // The first action whose data is `name`.
    static QAction* look_for_action(const QList<QAction*>& actions, const QString& name);

protected:
    void setup(ToolBarGadget* item, QToolBar* bar) const;
    // The main window's own toolbars, in child order.
    QList<QToolBar*> toolBars() const;

private:
    ToolBarConsole() = default;
    ~ToolBarConsole() = default;
    QStringList names;
    static ToolBarConsole* _instance;
};

} // namespace Gui
