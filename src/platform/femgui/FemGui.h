#pragma once
// Stand-ins for the product's simulation-module libraries, which derive from the GUI
// library's classes and are created by name.

#include <commands/SimModule.h>
#include <visualization/ViewFeeder.h>

namespace FemGui {

class ViewFeederProjectFem : public Gui::ViewFeederProject
{
    VEXIL_TYPESYSTEM_HEADER();
};

class SimModule : public Gui::StdSimModule
{
    VEXIL_TYPESYSTEM_HEADER();
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
