#include "ViewFeederAnnotationBase.h"

#include "vtkMRMLAnnotationDisplayableManager.h"
#include "visualization/ViewFeederMRMLModel.h"
#include "visualization/ViewFeederTopoObject.h"

#include <mrml/vtkMRMLDisplayableNode.h>
#include <mrml/vtkMRMLScene.h>

#include <algorithm>
#include <cstring>

using namespace Gui;

VEXIL_TYPESYSTEM_SOURCE(Gui::ViewFeederAnnotationBase, Gui::ViewFeederProjectObject)
VEXIL_TYPESYSTEM_SOURCE(Gui::ViewFeederAnnotationRuler, Gui::ViewFeederAnnotationBase)
VEXIL_TYPESYSTEM_SOURCE(Gui::ViewFeederAnnotationROI, Gui::ViewFeederAnnotationBase)
VEXIL_TYPESYSTEM_SOURCE(Gui::ViewFeederAnnotationFiducial, Gui::ViewFeederAnnotationBase)
OBJ_PROPERTY_SOURCE(Gui::ViewFeederAnnotationBase, Gui::ViewFeederProjectObject)
OBJ_PROPERTY_SOURCE(Gui::ViewFeederAnnotationRuler, Gui::ViewFeederAnnotationBase)
OBJ_PROPERTY_SOURCE(Gui::ViewFeederAnnotationROI, Gui::ViewFeederAnnotationBase)
OBJ_PROPERTY_SOURCE(Gui::ViewFeederAnnotationFiducial, Gui::ViewFeederAnnotationBase)

ViewFeederAnnotationBase::ViewFeederAnnotationBase()
{
    iconName = "AnnotationDistanceWithArrow.png";
}

ViewFeederAnnotationBase::~ViewFeederAnnotationBase()
{
    const auto managers = std::move(placingManagers);
    for (const auto& manager : managers)
        if (manager && manager->getViewFeederObject() == this)
            manager->setViewFeederObject(nullptr);
    removeNodeFromScene(annotationScene, annotationNode);
}

vtkMRMLDisplayableNode* ViewFeederAnnotationBase::getMRMLNode() const
{
    return annotationNode;
}

void ViewFeederAnnotationBase::setMRMLNode(vtkMRMLDisplayableNode* node)
{
    annotationNode = node;
    annotationScene = node ? node->GetScene() : nullptr;
}

void ViewFeederAnnotationBase::notePlacingManager(vtkMRMLAnnotationDisplayableManager* manager)
{
    if (manager && std::find(placingManagers.begin(), placingManagers.end(), manager) == placingManagers.end())
        placingManagers.emplace_back(manager);
}

void ViewFeederAnnotationBase::forgetPlacingManager(vtkMRMLAnnotationDisplayableManager* manager)
{
    placingManagers.erase(std::remove_if(placingManagers.begin(), placingManagers.end(),
                                         [manager](const auto& m) { return !m || m == manager; }),
                          placingManagers.end());
}

void ViewFeederAnnotationBase::build_context_menu(const char*, MenuItem* item) const
{
    appendAnnotationContextMenu(object, item);
}

ViewFeederAnnotationRuler::ViewFeederAnnotationRuler()
{
    iconName = "AnnotationDistanceWithArrow.png";
}

ViewFeederAnnotationROI::ViewFeederAnnotationROI()
{
    iconName = "AnnotationROI.png";
}

void ViewFeederAnnotationROI::setDisplayMode(const char* mode)
{
    if (mode && std::strcmp(mode, "Base") == 0)
        setDisplayMaskMode("Base");
    ViewFeederAnnotationBase::setDisplayMode(mode);
}

ViewFeederAnnotationFiducial::ViewFeederAnnotationFiducial()
{
    iconName = "AnnotationPointWithArrow.png";
}
