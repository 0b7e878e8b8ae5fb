#pragma once
// Stand-ins for the product's simulation-module libraries, which derive from the GUI
// library's classes and are created by name.

#include <commands/SimModule.h>
#include <visualization/ViewFeeder.h>
#include <visualization/ViewFeederTopoObject.h>

namespace FemGui {

// Feeder of a simulation project; the application opens a 3D view for each.
class ViewFeederProjectFem : public Gui::ViewFeederProject
{
    VEXIL_TYPESYSTEM_HEADER();
};

// Feeder of a geometry object: builds the object's model node, with a display node set
// from the feeder's properties, in the project's scene when it is attached.
class ViewFeederGeometry : public Gui::ViewFeederTopoObject
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    void attach(Obj::ProjectObject* object) override;
    // Also follows the object's own "Visibility", which the hide and show records set.
    void updateData(const Obj::Property* property) override;
};

// The standard layout with the view, visibility, window and selection commands, and the
// annotation toolbar of the finite-element workbench. Its file menu opens and imports
// files (Std_Open) beside opening project files, and the project tree's menu adds loads.
class SimModule : public Gui::StdSimModule
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    Gui::MenuItem* build_menu_bar() const override;
    Gui::ToolBarGadget* build_toolbars() const override;
    void build_context_menu(const char* context, Gui::MenuItem* item) const override;
    // Std_Open and Std_OpenPMDB both carry the standard Open key, which Qt would take
    // as ambiguous and run neither: while this module is active it runs Std_Open alone.
    void activated() override;
    void deactivated() override;
};

// Registers the classes; call after the GUI library registered its own types.
void initModule();

} // namespace FemGui

namespace AuxillaryGui {

class SimModule : public Gui::StdSimModule
{
    VEXIL_TYPESYSTEM_HEADER();
};

} // namespace AuxillaryGui
