#pragma once
// A view of a GUI project, or of the whole application when it has no project
// ("passive" view, following the current project).

#include "PelmoraGuiExport.h"

#include <vexil/RootClass.h>

namespace Gui {

class GuiProject;

class PELMORAGUI_EXPORT BaseView : public Vexil::RootClass
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    explicit BaseView(GuiProject* project = nullptr);
    ~BaseView() override;

    GuiProject* get_project() const { return project; }
    // A passive view follows the current project.
    virtual void set_project(GuiProject* p) { project = p; }
    bool is_passive() const { return passive; }
    virtual void update_view() {}
    // The project's label changed.
    virtual void on_label_changed(GuiProject*) {}
    // A message the project sends to all its views; true when this view took it.
    virtual bool message_handler(const char*, const char**) { return false; }
    virtual void onClose() {}

protected:
    GuiProject* project;
    bool passive;
};

} // namespace Gui
