#include "DockingWindowMediator.h"

#include "mainwindow/MainWindow.h"

#include <obj/Application.h>
#include <vexil/Parameter.h>

#include <QAction>
#include <QDockWidget>

using namespace Gui;

DockingWindow::DockingWindow(GuiProject* project, QWidget* parent)
    : QWidget(parent), BaseView(project)
{
}

DockingWindow::~DockingWindow() = default;

void DockingWindowItems::add_docking_widget(const char* name, Qt::DockWidgetArea area, bool visible, bool grouping)
{
    if (name)
        items.push_back(DockingWindowItem{name, area, visible, grouping});
}

void DockingWindowItems::set_docking_area(const char* name, Qt::DockWidgetArea area)
{
    for (DockingWindowItem& item : items) {
        if (name && item.name == name) {
            item.area = area;
            return;
        }
    }
}

void DockingWindowItems::set_visibility(const char* name, bool visible)
{
    for (DockingWindowItem& item : items) {
        if (name && item.name == name) {
            item.visible = visible;
            return;
        }
    }
}

void DockingWindowItems::set_visibility(bool visible)
{
    for (DockingWindowItem& item : items)
        item.visible = visible;
}

DockingWindowMediator* DockingWindowMediator::_instance = nullptr;

DockingWindowMediator* DockingWindowMediator::instance()
{
    if (!_instance)
        _instance = new DockingWindowMediator();
    return _instance;
}

void DockingWindowMediator::destruct()
{
    delete _instance;
    _instance = nullptr;
}

DockingWindowMediator::~DockingWindowMediator() = default;

bool DockingWindowMediator::register_docking_window(const char* id, QWidget* widget)
{
    if (!id || !widget)
        return false;
    auto it = registry.find(id);
    // An entry whose panel was destroyed may be taken again.
    if (it != registry.end() && !it->second.isNull())
        return false;
    registry[id] = widget;
    widget->hide();
    return true;
}

QWidget* DockingWindowMediator::getDockingWindow(const char* id) const
{
    if (!id)
        return nullptr;
    auto it = registry.find(id);
    return it == registry.end() ? nullptr : it->second.data();
}

QWidget* DockingWindowMediator::getDockedWindow(const char* name) const
{
    if (!name)
        return nullptr;
    const QString objectName = QString::fromLatin1(name);
    for (QDockWidget* dock : docks) {
        if (dock->objectName() == objectName)
            return dock->widget();
    }
    return nullptr;
}

QList<QWidget*> DockingWindowMediator::get_docking_windows() const
{
    QList<QWidget*> panels;
    for (QDockWidget* dock : docks)
        panels.append(dock->widget());
    return panels;
}

QDockWidget* DockingWindowMediator::add_docking_window(const char* name, QWidget* widget, Qt::DockWidgetArea area)
{
    if (!widget)
        return nullptr;
    MainWindow* mw = MainWindow::get_main_window_inst();
    auto* dock = new QDockWidget(mw);
    dock->hide();
    if (mw && (area == Qt::LeftDockWidgetArea || area == Qt::RightDockWidgetArea
               || area == Qt::TopDockWidgetArea || area == Qt::BottomDockWidgetArea))
        mw->addDockWidget(area, dock);
    connect(dock, &QObject::destroyed, this, &DockingWindowMediator::on_docking_widget_closed);
    connect(widget, &QObject::destroyed, this, &DockingWindowMediator::on_widget_closed);
    widget->setParent(dock);
    dock->setWidget(widget);
    dock->setObjectName(QString::fromLatin1(name));
    dock->setWindowTitle(QDockWidget::tr(name));
    dock->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable
                      | QDockWidget::DockWidgetFloatable);
    docks.append(dock);
    return dock;
}

QDockWidget* DockingWindowMediator::dockOfRecord(const QList<QDockWidget*>& list, const QString& id) const
{
    for (QDockWidget* dock : list) {
        if (dock->toggleViewAction()->data().toString() == id)
            return dock;
    }
    return nullptr;
}

QWidget* DockingWindowMediator::detach(QDockWidget* dock)
{
    docks.removeOne(dock);
    if (MainWindow* mw = MainWindow::get_main_window_inst())
        mw->removeDockWidget(dock);
    QWidget* panel = dock->widget();
    disconnect(dock, &QObject::destroyed, this, &DockingWindowMediator::on_docking_widget_closed);
    if (panel) {
        disconnect(panel, &QObject::destroyed, this, &DockingWindowMediator::on_widget_closed);
        dock->setWidget(nullptr);
        panel->setParent(nullptr);
    }
    delete dock;
    return panel;
}

QWidget* DockingWindowMediator::delete_docking_window(const char* name)
{
    if (!name)
        return nullptr;
    const QString objectName = QString::fromLatin1(name);
    for (QDockWidget* dock : docks) {
        if (dock->objectName() == objectName)
            return detach(dock);
    }
    return nullptr;
}

void DockingWindowMediator::delete_docking_window(QWidget* widget)
{
    if (!widget)
        return;
    for (QDockWidget* dock : docks) {
        if (dock->widget() == widget) {
            detach(dock);
            return;
        }
    }
}

void DockingWindowMediator::setup(const DockingWindowItems* items)
{
    if (!items)
        return;
    save_status();
    layout = *items;
    QList<QDockWidget*> unused = docks;
    for (const DockingWindowItem& item : items->get_docking_widgets()) {
        const QString name = QString::fromStdString(item.name);
        if (QDockWidget* found = dockOfRecord(unused, name)) {
            found->show();
            found->toggleViewAction()->setVisible(true);
            unused.removeOne(found);
            continue;
        }
        // Unregistered, or registered and destroyed since: nothing to show.
        QWidget* panel = getDockingWindow(item.name.c_str());
        if (!panel)
            continue;
        QDockWidget* dock = add_docking_window(panel->objectName().toUtf8().constData(), panel, item.area);
        panel->show();
        dock->toggleViewAction()->setData(name);
        dock->show();
    }
}

void DockingWindowMediator::save_status() const
{
    if (!Obj::Application::_pcSingleton || layout.get_docking_widgets().empty())
        return;
    Vexil::ParameterGroup::Handle group = Obj::Application::instance()
                                              .get_user_preference()
                                              .get_parameter_group("BaseApp")
                                              ->get_parameter_group("MainWindow")
                                              ->get_parameter_group("DockWindows");
    if (!group)
        return;
    for (const DockingWindowItem& item : layout.get_docking_widgets()) {
        if (QDockWidget* dock = dockOfRecord(docks, QString::fromStdString(item.name))) {
            const QByteArray key = dock->toggleViewAction()->data().toString().toUtf8();
            // Hidden by the user, not merely inside a window not shown yet.
            group->set_parameter_bool(key.constData(), !dock->isHidden());
        }
    }
}

void DockingWindowMediator::setDockingWindowTitle(const QString& id, const QString& title)
{
    QWidget* panel = getDockingWindow(id.toLatin1().constData());
    if (!panel)
        return;
    for (QDockWidget* dock : docks) {
        if (dock->widget() == panel)
            dock->setWindowTitle(title);
    }
}

void DockingWindowMediator::translate_widget()
{
    for (QDockWidget* dock : docks)
        dock->setWindowTitle(QDockWidget::tr(dock->objectName().toLatin1().constData()));
}

void DockingWindowMediator::on_docking_widget_closed(QObject* dock)
{
    for (int i = 0; i < docks.size(); ++i) {
        if (docks.at(i) == dock) {
            docks.removeAt(i);
            return;
        }
    }
}

void DockingWindowMediator::on_widget_closed(QObject* panel)
{
    for (int i = 0; i < docks.size(); ++i) {
        QDockWidget* dock = docks.at(i);
        // Only a QWidget any more: the dock itself is being destroyed with its panel.
        if (dock->metaObject() != &QDockWidget::staticMetaObject) {
            disconnect(dock, &QObject::destroyed, this, &DockingWindowMediator::on_docking_widget_closed);
            docks.removeAt(i);
            return;
        }
        if (dock->widget() == panel) {
            dock->deleteLater();
            return;
        }
    }
}
