#pragma once
// The property dock: a "Data" tab with the properties common to the objects selected in
// the project tree and a "3D View" tab with those of their view feeders.  Rows refresh
// one at a time when the logic or a feeder reports a changed property.

#include "mainwindow/DockingWindowMediator.h"
#include "selection/SelectionListener.h"

#include <boost/signals2/connection.hpp>

#include <QWidget>

QT_BEGIN_NAMESPACE
class QTabWidget;
class QTimer;
QT_END_NAMESPACE

namespace Obj {
class Project;
class ProjectObject;
class Property;
}

namespace Gui {

namespace PropertyOperator { class PropertyOperator; }

class PELMORAGUI_EXPORT PropertyView : public QWidget, public SelectionListener
{
    Q_OBJECT
public:
    explicit PropertyView(QWidget* parent = nullptr);
    ~PropertyView() override;

    void on_selection_modified(const SelectionModification& change) override;
    void on_property_modified(const Obj::CDocObjProp& record) override;

    PropertyOperator::PropertyOperator* dataTree() const { return propertyEditorData; }
    PropertyOperator::PropertyOperator* viewTree() const { return propertyEditorView; }

public Q_SLOTS:
    void on_tab_changed(int) {}

protected:
    void changeEvent(QEvent* e) override;

private:
    void propertyStateChanged(const Obj::Property& prop);
    // Rebuilds the "Data" tab, and the "3D View" tab with `withFeeders`, from the whole
    // tree selection.
    void rebuildFromSelection(bool withFeeders);

    PropertyOperator::PropertyOperator* propertyEditorView;
    PropertyOperator::PropertyOperator* propertyEditorData;
    QTabWidget* tabs;
    // Removals come in bursts (deleting many selected objects): the rows go at once, the
    // rebuild from what is left is made once, when the burst is over.
    QTimer* rebuildAfterRemoval;
    boost::signals2::scoped_connection objectChanged;
    boost::signals2::scoped_connection feederChanged;
    boost::signals2::scoped_connection stateChanged;
    boost::signals2::scoped_connection projectRelabelled;
};

namespace DockWindow {

// The dock panel registered as "Std_PropertyView"; its title names the one selected
// object or project under its current label, and names nothing once that is no longer
// selected (deleted, closed, or another selection).
class PELMORAGUI_EXPORT PropertyDockingView : public DockingWindow, public SelectionListener
{
    Q_OBJECT
public:
    PropertyDockingView(GuiProject* project, QWidget* parent);
    ~PropertyDockingView() override;

    void on_selection_modified(const SelectionModification& change) override;
    PropertyView* propertyView() const { return view; }

private:
    // Names the project, or its object with `object`; a null project names nothing.
    void setTitleFor(const Obj::Project* project, const Obj::ProjectObject* object);

    PropertyView* view;
    // What the title names: a project, and one of its objects (0: the project itself).
    const Obj::Project* titledProject = nullptr;
    unsigned int titledObject = 0;
    boost::signals2::scoped_connection objectRenamed;
    boost::signals2::scoped_connection projectRelabelled;
    boost::signals2::scoped_connection projectClosed;
};

} // namespace DockWindow
} // namespace Gui
