#pragma once
// View feeders: the display companions of projects and project objects.  Each shows
// its object in the project's scene and gives the tree its icon and context menu.

#include "PelmoraGuiExport.h"

#include <obj/Property.h>

#include <boost/signals2/signal.hpp>

#include <QIcon>
#include <QString>

#include <string>
#include <vector>

namespace Obj { class Project; class ProjectObject; }

namespace Gui {

class MenuItem;

class PELMORAGUI_EXPORT ViewFeeder : public Obj::PropertyContainer
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
    virtual QIcon getIcon() const;
    virtual void build_context_menu(const char*, MenuItem*) const {}
    virtual bool on_double_clicked() { return false; }
    virtual std::vector<Obj::ProjectObject*> claim_descendants() const { return {}; }
    virtual std::string toString() const { return {}; }
    const char* get_pixmap_name() const { return pixmapName.c_str(); }

protected:
    std::string pixmapName;
    bool shown = false;
};

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

class PELMORAGUI_EXPORT ViewFeederProjectObject : public ViewFeeder
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    virtual void attach(Obj::ProjectObject* o) { object = o; }
    Obj::ProjectObject* get_object() const { return object; }
    virtual void show_and_hide(const std::vector<Obj::ProjectObject*>&) {}
    virtual void finishRestoring() {}
protected:
    Obj::ProjectObject* object = nullptr;
};

class PELMORAGUI_EXPORT ViewFeederFeature : public ViewFeederProjectObject
{
    VEXIL_TYPESYSTEM_HEADER();
};

class PELMORAGUI_EXPORT ViewFeederProjectObjectGroup : public ViewFeederProjectObject
{
    VEXIL_TYPESYSTEM_HEADER();
};

class PELMORAGUI_EXPORT ViewFeederTopoObject : public ViewFeederProjectObject
{
    VEXIL_TYPESYSTEM_HEADER();
};

} // namespace Gui
