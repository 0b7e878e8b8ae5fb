#include "DockingWindowMediator.h"

#include "mainwindow/MainWindow.h"

#include <QAction>
#include <QDockWidget>

using namespace Gui;

DockingWindow::DockingWindow(GuiProject* project, QWidget* parent)
    : QWidget(parent), BaseView(project)
{
}

DockingWindow::~DockingWindow() = default;

void DockingWindowItems::add_docking_window(const char* name, Qt::DockWidgetArea area, bool visible, bool grouping)
{
    if (name)
        items.push_back(DockingWindowItem{name, area, visible, grouping});
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

void DockingWindowMediator::setup(const DockingWindowItems* items)
{
    if (!items)
        return;
    QList<QDockWidget*> unused = docks;
    for (const DockingWindowItem& item : items->get_docking_windows()) {
        const QString name = QString::fromStdString(item.name);
        QDockWidget* found = nullptr;
        for (QDockWidget* dock : unused) {
            if (dock->toggleViewAction()->data().toString() == name) {
                found = dock;
                break;
            }
        }
        if (found) {
            found->show();
            found->toggleViewAction()->setVisible(true);
            unused.removeOne(found);
            continue;
        }
        QWidget* panel = getDockingWindow(item.name.c_str());
        if (!panel)
            continue;
        QDockWidget* dock = add_docking_window(panel->objectName().toUtf8().constData(), panel, item.area);
        panel->show();
        dock->toggleViewAction()->setData(name);
        dock->show();
    }
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
