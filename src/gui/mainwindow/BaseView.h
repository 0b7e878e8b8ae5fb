#pragma once
// A view of a GUI project: bound to one project, which lists it, or to none, in which
// case the application lists it as a "passive" view that follows the current project.

#include "PelmoraGuiExport.h"

#include <vexil/RootClass.h>

namespace Obj { class Project; }

namespace Gui {

class GuiProject;

class PELMORAGUI_EXPORT BaseView : public Vexil::RootClass
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    // With a project the view joins its document views; without one the application
    // lists it as passive.
    explicit BaseView(GuiProject* project = nullptr);
    BaseView(const BaseView&) = default;
    BaseView& operator=(const BaseView&) = default;
    ~BaseView() override;

    virtual void update_view() {}
    virtual void on_label_changed(GuiProject*) {}
    virtual void on_renamed(GuiProject*) {}
    virtual const char* get_name() const { return "Base view"; }
    // Messages a view understands ("ViewExtents", ...) are for each view to define.
    virtual bool message_handler(const char*, const char**) { return false; }
    virtual bool has_message_handler(const char*) { return false; }
    virtual bool canClose() { return true; }
    // The project goes away: the view leaves for good.
    virtual void remove_viewself();

    GuiProject* getGuiProject() const { return project; }
    GuiProject* get_project() const { return project; }
    Obj::Project* getAppProject() const;
    bool isPassive() const { return passive; }
    bool is_passive() const { return passive; }

    // Leaves the project (and, when passive, the application's list) once.
    void onClose();
    // Re-binds to another project as a passive view; either may be null.
    void set_project(GuiProject* project);

protected:
    GuiProject* project;
    bool closed;
    bool passive;
};

} // namespace Gui
