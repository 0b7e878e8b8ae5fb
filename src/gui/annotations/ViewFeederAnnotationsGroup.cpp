#include "ViewFeederAnnotationsGroup.h"

#include "visualization/ViewFeederMRMLModel.h"

#include <obj/ProjectObject.h>

using namespace Gui;

VEXIL_TYPESYSTEM_SOURCE(Gui::ViewFeederAnnotationsGroup, Gui::ViewFeederProjectObject)
OBJ_PROPERTY_SOURCE(Gui::ViewFeederAnnotationsGroup, Gui::ViewFeederProjectObject)

ViewFeederAnnotationsGroup::ViewFeederAnnotationsGroup()
{
    iconName = "AnnotationTextWithArrow.png";
    setTreeOrder(3);
}

std::vector<Obj::ProjectObject*> ViewFeederAnnotationsGroup::claim_descendants() const
{
    return groupMembers(object);
}

bool ViewFeederAnnotationsGroup::onDelete(const std::vector<std::string>&)
{
    if (!object)
        return false;
    return groupMembers(object).empty();
}

void ViewFeederAnnotationsGroup::build_context_menu(const char*, MenuItem* item) const
{
    appendAnnotationContextMenu(object, item);
}
