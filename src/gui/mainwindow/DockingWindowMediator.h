#pragma once
// Dock panels and the mediator that registers them by name and wraps them into docks
// of the main window following a module's layout.

#include "PelmoraGuiExport.h"
#include "mainwindow/BaseView.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <map>
#include <string>
#include <vector>

class QDockWidget;

namespace Gui {

// Base of every panel shown in a dock.
class PELMORAGUI_EXPORT DockingWindow : public QWidget, public BaseView
{
    Q_OBJECT
public:
    DockingWindow(GuiProject* project, QWidget* parent);
    ~DockingWindow() override;
    virtual const char* get_name() const { return "DockingWindow"; }
    // Panels that show project data refresh themselves here.
    virtual void update_all() {}
    virtual bool can_close() { return true; }
};

// One record of a module's dock layout.
struct DockingWindowItem
{
    std::string name;
    Qt::DockWidgetArea area = Qt::LeftDockWidgetArea;
    bool visible = true;
    bool grouping = false;
};

using DockWindowItem = DockingWindowItem;

class PELMORAGUI_EXPORT DockingWindowItems
{
public:
    void add_docking_widget(const char* name, Qt::DockWidgetArea area, bool visible, bool grouping);
    // Change the first record of that name; no such record, nothing happens.
    void set_docking_area(const char* name, Qt::DockWidgetArea area);
    void set_visibility(const char* name, bool visible);
    void set_visibility(bool visible);
    const std::vector<DockingWindowItem>& get_docking_widgets() const { return items; }

private:
    std::vector<DockingWindowItem> items;
};

class PELMORAGUI_EXPORT DockingWindowMediator : public QObject
{
    Q_OBJECT
public:
    static DockingWindowMediator* instance();
    static void destruct();

    // Hides the panel and keeps it under `id`; false for a null panel or a taken id.
    bool register_docking_window(const char* id, QWidget* widget);
    // The registered panel, null when the id is unknown or the panel is gone.
    QWidget* getDockingWindow(const char* id) const;
    // The panel of the first dock whose object name is `name`.
    QWidget* getDockedWindow(const char* name) const;
    QList<QWidget*> get_docking_windows() const;
    // Wraps the panel into a new hidden dock of the main window.
    QDockWidget* add_docking_window(const char* name, QWidget* widget, Qt::DockWidgetArea area);
    // Takes the dock apart and deletes it; the panel is returned without a parent and
    // stays registered.  Null when no dock has that object name.
    QWidget* delete_docking_window(const char* name);
    void delete_docking_window(QWidget* widget);
    // Shows the docks the layout names, creating each on first use; the outgoing
    // layout's visibility is saved first.  The caller keeps the layout.
    void setup(const DockingWindowItems* items);
    // Writes whether each dock of the current layout is visible, keyed by registry id.
    void save_status() const;
    void setDockingWindowTitle(const QString& id, const QString& title);
    void translate_widget();

private Q_SLOTS:
    void on_docking_widget_closed(QObject* dock);
    // A panel destroyed on its own leaves an empty dock behind: remove that too.
    void on_widget_closed(QObject* panel);

private:
    DockingWindowMediator() = default;
    ~DockingWindowMediator() override;
    QDockWidget* dockOfRecord(const QList<QDockWidget*>& list, const QString& id) const;
    QWidget* detach(QDockWidget* dock);

    std::map<std::string, QPointer<QWidget>> registry;
    QList<QDockWidget*> docks;
    DockingWindowItems layout;
    static DockingWindowMediator* _instance;
};

} // namespace Gui
