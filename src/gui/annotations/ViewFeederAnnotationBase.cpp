#include "ViewFeederAnnotationBase.h"

#include "AnnotationProjectFiles.h"
#include "core/GuiProject.h"
#include "core/qPelmoraApplication.h"
#include "vtkMRMLAnnotationDisplayableManager.h"
#include "vtkMRMLAnnotationFiducialNode.h"
#include "vtkMRMLAnnotationROINode.h"
#include "vtkMRMLAnnotationRulerNode.h"
#include "visualization/ViewFeederMRMLModel.h"
#include "visualization/ViewFeederTopoObject.h"

#include <mrml/vtkMRMLDisplayableNode.h>
#include <mrml/vtkMRMLScene.h>
#include <obj/Project.h>
#include <vexil/MsgConsole.h>
#include <vexil/PrintableText.h>

#include <vtkCallbackCommand.h>


#include <algorithm>
#include <cstring>
#include <exception>

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
    stopObservingNode();
    removeNodeFromScene(annotationScene, annotationNode);
}

vtkMRMLDisplayableNode* ViewFeederAnnotationBase::getMRMLNode() const
{
    return annotationNode;
}

void ViewFeederAnnotationBase::setMRMLNode(vtkMRMLDisplayableNode* node)
{
    if (node == annotationNode)
        return;
    stopObservingNode();
    annotationNode = node;
    annotationScene = node ? node->GetScene() : nullptr;
    if (!node)
        return;
    // Any change of the node or of its display nodes reaches the object's text: only
    // this node is written again, and only the object is told.
    if (!nodeObserver) {
        nodeObserver = vtkSmartPointer<vtkCallbackCommand>::New();
        nodeObserver->SetCallback(&ViewFeederAnnotationBase::onNodeEvent);
        nodeObserver->SetClientData(this);
    }
    // A node built from a file's text, or placed while the object is hidden, is hidden
    // before its text is kept; one hidden in the scene itself stays hidden.
    if (!Visibility->get_value())
        showNodeAsVisibility();
    node->AddObserver(vtkCommand::ModifiedEvent, nodeObserver);
    node->AddObserver(vtkMRMLDisplayableNode::DisplayModifiedEvent, nodeObserver);
    storeNodeText();
}

void ViewFeederAnnotationBase::showNodeAsVisibility()
{
    vtkMRMLDisplayableNode* node = annotationNode;
    if (!node || node->GetNumberOfDisplayNodes() == 0)
        return;
    const bool visible = Visibility->get_value() && !(object && object->isSuppressed());
    if ((node->GetDisplayVisibility() != 0) != visible)
        node->SetDisplayVisibility(visible ? 1 : 0);
}

void ViewFeederAnnotationBase::on_changed(const Obj::Property* property)
{
    if (property != Visibility) {
        ViewFeederProjectObject::on_changed(property);
        return;
    }
    if (!followVisibility())
        return;
    // Published as before, for whoever shows the feeder's rows.
    ViewFeederProjectObject::on_changed(property);
}

// Only a change of "Visibility" reaches the node: the update pass and a restore hide and
// show the feeder without it.
void ViewFeederAnnotationBase::show()
{
    if ((object && object->isSuppressed()) || !visibleFlag())
        return;
    if (Visibility->test_object_status(VisibilityInProgress))
        showNodeAsVisibility();
    ViewFeederProjectObject::show();
}

void ViewFeederAnnotationBase::hide()
{
    if (Visibility->test_object_status(VisibilityInProgress))
        showNodeAsVisibility();
    ViewFeederProjectObject::hide();
}

void ViewFeederAnnotationBase::stopObservingNode()
{
    if (annotationNode && nodeObserver)
        annotationNode->RemoveObserver(nodeObserver);
}

void ViewFeederAnnotationBase::onNodeEvent(vtkObject*, unsigned long, void* clientData, void*)
{
    static_cast<ViewFeederAnnotationBase*>(clientData)->storeNodeText();
}

void ViewFeederAnnotationBase::storeNodeText()
{
    auto* annotation = dynamic_cast<Obj::AnnotationObject*>(object);
    auto* node = vtkMRMLAnnotationNode::SafeDownCast(annotationNode);
    if (!annotation || !node || buildingNode)
        return;
    std::string text;
    if (!annotationNodeText(node, text))
        return;
    // Called from the node's events: nothing may be thrown back into them.
    try {
        annotation->set_annotation_text(text);
    }
    catch (const std::exception& e) {
        Vexil::MsgConsoleSingleton::Instance().Error("Cannot keep the annotation %s: %s\n",
                                                     Vexil::printableText(annotation->get_label()).c_str(),
                                                     Vexil::printableText(e.what()).c_str());
    }
    catch (...) {
        Vexil::MsgConsoleSingleton::Instance().Error("Cannot keep the annotation %s\n",
                                                     Vexil::printableText(annotation->get_label()).c_str());
    }
}

void ViewFeederAnnotationBase::updateData(const Obj::Property* property)
{
    if (property && object && property->get_container() == object
        && property->is_inherited_from(Obj::PropertyBoolean::getClassTypeId())
        && std::strcmp(property->get_name(), "Visibility") == 0) {
        const bool visible = static_cast<const Obj::PropertyBoolean*>(property)->get_value();
        if (visible != Visibility->get_value())
            Visibility->set_value(visible);
        return;
    }
    const auto* annotation = dynamic_cast<const Obj::AnnotationObject*>(object);
    if (!annotation || property != &annotation->annotation_text_property() || annotationNode || buildingNode
        || !*annotation->get_annotation_text())
        return;
    buildNodeFromText();
}

void ViewFeederAnnotationBase::buildNodeFromText()
{
    auto* annotation = static_cast<Obj::AnnotationObject*>(object);
    qPelmoraApplication* app = qPelmoraApplication::application();
    GuiProject* gui = app && object->get_project() ? app->get_project(object->get_project()) : nullptr;
    vtkMRMLScene* scene = gui ? gui->mrmlScene() : nullptr;
    const auto node = vtkSmartPointer<vtkMRMLAnnotationNode>::Take(newNode());
    if (!scene || !node)
        return;
    buildingNode = true;
    std::string problem;
    const bool read = addAnnotationNodeFromText(scene, node, annotation->get_annotation_text(), &problem);
    buildingNode = false;
    if (!read) {
        Vexil::MsgConsoleSingleton::Instance().Error(
            "The annotation %s cannot be shown: its saved content cannot be read%s%s\n",
            Vexil::printableText(annotation->get_label()).c_str(), problem.empty() ? "" : ": ", problem.c_str());
        return;
    }
    setMRMLNode(node);
}

void ViewFeederAnnotationBase::notePlacingManager(vtkMRMLAnnotationDisplayableManager* manager)
{
    if (manager && std::find(placingManagers.begin(), placingManagers.end(), manager) == placingManagers.end())
        placingManagers.emplace_back(manager);
}

void ViewFeederAnnotationBase::placementAbandoned()
{
    auto* annotation = dynamic_cast<Obj::AnnotationObject*>(object);
    Obj::Project* project = annotation ? annotation->get_project() : nullptr;
    if (!project || annotationNode || *annotation->get_annotation_text())
        return;
    const unsigned int id = annotation->getObjectId();
    // Removing the object deletes this feeder: nothing of it is used after.
    try {
        project->remove_object(id);
    }
    catch (const std::exception& e) {
        Vexil::MsgConsoleSingleton::Instance().Error("Cannot remove the unplaced annotation %u: %s\n", id, e.what());
    }
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

vtkMRMLAnnotationNode* ViewFeederAnnotationRuler::newNode() const
{
    return vtkMRMLAnnotationRulerNode::New();
}

ViewFeederAnnotationROI::ViewFeederAnnotationROI()
{
    iconName = "AnnotationROI.png";
}

vtkMRMLAnnotationNode* ViewFeederAnnotationROI::newNode() const
{
    return vtkMRMLAnnotationROINode::New();
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

vtkMRMLAnnotationNode* ViewFeederAnnotationFiducial::newNode() const
{
    return vtkMRMLAnnotationFiducialNode::New();
}
