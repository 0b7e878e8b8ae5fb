#include "ViewFeederMRMLModel.h"

#include "mainwindow/MenuItem.h"

#include <obj/ProjectObject.h>

using namespace Gui;

VEXIL_TYPESYSTEM_SOURCE(Gui::ViewFeederMRMLModel, Gui::ViewFeederProjectObject)
OBJ_PROPERTY_SOURCE(Gui::ViewFeederMRMLModel, Gui::ViewFeederProjectObject)

void Gui::appendAnnotationContextMenu(const Obj::ProjectObject* object, MenuItem* item)
{
    if (!item)
        return;
    *item << "Std_Delete" << "Separator";
    *item << ((object && object->isSuppressed()) ? "Std_Unsuppress" : "Std_Suppress");
}

ViewFeederMRMLModel::ViewFeederMRMLModel()
{
    iconName = "VizModels.png";
}

std::vector<Obj::ProjectObject*> ViewFeederMRMLModel::claim_descendants() const
{
    return groupMembers(object);
}

void ViewFeederMRMLModel::build_context_menu(const char*, MenuItem* item) const
{
    appendAnnotationContextMenu(object, item);
}
