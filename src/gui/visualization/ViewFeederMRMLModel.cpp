#include "ViewFeederMRMLModel.h"

using namespace Gui;

VEXIL_TYPESYSTEM_SOURCE(Gui::ViewFeederMRMLModel, Gui::ViewFeederProjectObject)

std::vector<Obj::ProjectObject*> ViewFeederMRMLModel::claim_descendants() const
{
    return groupMembers(object);
}
