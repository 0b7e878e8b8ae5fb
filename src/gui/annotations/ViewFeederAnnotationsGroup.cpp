#include "ViewFeederAnnotationsGroup.h"

using namespace Gui;

VEXIL_TYPESYSTEM_SOURCE(Gui::ViewFeederAnnotationsGroup, Gui::ViewFeederProjectObject)

std::vector<Obj::ProjectObject*> ViewFeederAnnotationsGroup::claim_descendants() const
{
    return groupMembers(object);
}
