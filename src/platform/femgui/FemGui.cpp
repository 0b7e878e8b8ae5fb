#include "FemGui.h"

VEXIL_TYPESYSTEM_SOURCE(FemGui::ViewFeederProjectFem, Gui::ViewFeederProject)
VEXIL_TYPESYSTEM_SOURCE(FemGui::SimModule, Gui::StdSimModule)
VEXIL_TYPESYSTEM_SOURCE(AuxillaryGui::SimModule, Gui::StdSimModule)

void FemGui::initModule()
{
    FemGui::ViewFeederProjectFem::init();
    FemGui::SimModule::init();
    AuxillaryGui::SimModule::init();
}
