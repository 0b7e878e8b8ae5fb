#pragma once
// View feeders: the display companions of projects and project objects.  Each shows
// its object in the project's scene and gives the tree its icon and context menu.

#include "PelmoraGuiExport.h"

#include <obj/Property.h>

#include <boost/signals2/signal.hpp>

#include <QIcon>
#include <QString>

#include <cstdint>
#include <string>
#include <vector>

namespace Obj { class Project; class ProjectObject; }
namespace Vexil { struct Matrix4D; }

namespace Gui {

class MenuItem;

// Orders an object's tree item among its siblings: 0 no order, smaller values first.
using eTreeOrderType = std::uint32_t;

class PELMORAGUI_EXPORT ViewFeeder : public Obj::PropertyDS
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    ViewFeeder();
    ~ViewFeeder() override;

    // Status overlay, tool tip and status tip of the object's tree item.
    boost::signals2::signal<void()> signal_change_status;
    boost::signals2::signal<void(const QString&)> signal_change_tooltip;
    boost::signals2::signal<void(const QString&)> signal_change_statustip;

    virtual void hide() { shown = false; }
    virtual void show() { shown = true; }
    virtual bool isShow() const { return shown; }
    virtual void setTransformation(const Vexil::Matrix4D&) {}
    virtual QIcon getIcon() const;
    virtual void build_context_menu(const char*, MenuItem*) const {}
    virtual bool on_double_clicked() { return false; }
    virtual void updateCanSelect() {}
    // Whether the object may be deleted (with these sub-elements selected).
    virtual bool onDelete(std::vector<std::string> subElementNames);
    virtual std::vector<Obj::ProjectObject*> claim_descendants() const { return {}; }
    virtual std::string toString() const { return {}; }
    const char* get_pixmap_name() const { return pixmapName.c_str(); }

    // Hands a changed property of the shown object to updateData, with the shown flag
    // cleared meanwhile; the flag comes back when it was set and the feeder is visible.
    void update(const Obj::Property* property);
    void setUpdatesEnabled(bool on) { updatesEnabled = on; }
    bool isUpdatesEnabled() const { return updatesEnabled; }

    // Ends an edit in progress (unsetEdit with the current mode) and leaves edit mode.
    void finishEditing();
    int getEditMode() const { return editMode; }

    // Passes a change of the feeder's own properties on to the application object.
    void on_changed(const Obj::Property* property) override;

protected:
    virtual void updateData(const Obj::Property*) {}
    virtual void unsetEdit(int) {}
    // Whether the feeder should show its nodes when shown; true for the base.
    virtual bool isVisibleByProperty() const { return true; }

    std::string pixmapName;
    bool shown = false;
    int editMode = -1;
    bool updatesEnabled = true;
};

// Feeder of something outside the project tree.
class PELMORAGUI_EXPORT ViewFeederExtern : public ViewFeeder
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    void setModeByString(const char*, const char*) {}
};

class PELMORAGUI_EXPORT ViewFeederProject : public ViewFeeder
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    virtual void attach(Obj::Project* p) { project = p; }
    Obj::Project* get_project() const { return project; }
protected:
    Obj::Project* project = nullptr;
};

// Feeder of one project object.  Its "Visibility" property shows or hides it.
class PELMORAGUI_EXPORT ViewFeederProjectObject : public ViewFeeder
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    ViewFeederProjectObject();
    ~ViewFeederProjectObject() override;

    virtual void attach(Obj::ProjectObject* o) { object = o; }
    Obj::ProjectObject* get_object() const { return object; }
    // Requires an attached object.
    unsigned int getObjectId() const;
    // Builds or refreshes the feeder's nodes after attach.
    virtual void updateView();
    virtual eTreeOrderType getTreeOrder() const { return 0; }
    virtual void show_and_hide(const std::vector<Obj::ProjectObject*>&) {}
    virtual void finishRestoring() {}

    void on_changed(const Obj::Property* property) override;

protected:
    bool isVisibleByProperty() const override;
    Obj::ProjectObject* object = nullptr;
};

class PELMORAGUI_EXPORT ViewFeederFeature : public ViewFeederProjectObject
{
    VEXIL_TYPESYSTEM_HEADER();
};

// Feeder of an object group: shows the group's members below itself.
class PELMORAGUI_EXPORT ViewFeederProjectObjectGroup : public ViewFeederProjectObject
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    std::vector<Obj::ProjectObject*> claim_descendants() const override;
};

class PELMORAGUI_EXPORT ViewFeederTopoObject : public ViewFeederProjectObject
{
    VEXIL_TYPESYSTEM_HEADER();
};

// The members of `object` when it is an object group, else nothing.
std::vector<Obj::ProjectObject*> groupMembers(const Obj::ProjectObject* object);

} // namespace Gui
