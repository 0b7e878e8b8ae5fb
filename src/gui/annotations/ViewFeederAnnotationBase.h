#pragma once
// Feeders of the annotation objects: rulers, regions of interest and fiducials.  Each
// holds its annotation's node, handed over once the node's widget exists, and removes
// the node from the scene when it goes.

#include "visualization/ViewFeeder.h"

#include <vtkWeakPointer.h>

class vtkMRMLAnnotationDisplayableManager;
class vtkMRMLDisplayableNode;
class vtkMRMLScene;

namespace Gui {

class PELMORAGUI_EXPORT ViewFeederAnnotationBase : public ViewFeederProjectObject
{
    VEXIL_TYPESYSTEM_HEADER();
    OBJ_PROPERTY_HEADER()
public:
    ViewFeederAnnotationBase();
    ~ViewFeederAnnotationBase() override;

    void updateData(const Obj::Property*) override {}
    using ViewFeederProjectObject::show_and_hide;
    void show_and_hide(const std::vector<Obj::ProjectObject*>&) override {}
    void build_context_menu(const char* receiver, MenuItem* item) const override;
    using ViewFeederProjectObject::build_context_menu;

    // The annotation's node, owned by the scene; null once the node is gone.
    vtkMRMLDisplayableNode* getMRMLNode() const;
    void setMRMLNode(vtkMRMLDisplayableNode* node);

    // A manager that will hand its next annotation to this feeder; if this feeder goes
    // first, the manager forgets it.
    void notePlacingManager(vtkMRMLAnnotationDisplayableManager* manager);
    void forgetPlacingManager(vtkMRMLAnnotationDisplayableManager* manager);

private:
    std::vector<vtkWeakPointer<vtkMRMLAnnotationDisplayableManager>> placingManagers;
    // Weak: the scene owns the node and may drop it before this feeder goes.
    vtkWeakPointer<vtkMRMLDisplayableNode> annotationNode;
    vtkWeakPointer<vtkMRMLScene> annotationScene;
};

class PELMORAGUI_EXPORT ViewFeederAnnotationRuler : public ViewFeederAnnotationBase
{
    VEXIL_TYPESYSTEM_HEADER();
    OBJ_PROPERTY_HEADER()
public:
    ViewFeederAnnotationRuler();
};

class PELMORAGUI_EXPORT ViewFeederAnnotationROI : public ViewFeederAnnotationBase
{
    VEXIL_TYPESYSTEM_HEADER();
    OBJ_PROPERTY_HEADER()
public:
    ViewFeederAnnotationROI();
    bool useNewSelectionModel() const override { return true; }
    std::vector<std::string> getDisplayModes() const override { return {"Base"}; }
    void setDisplayMode(const char* mode) override;
};

class PELMORAGUI_EXPORT ViewFeederAnnotationFiducial : public ViewFeederAnnotationBase
{
    VEXIL_TYPESYSTEM_HEADER();
    OBJ_PROPERTY_HEADER()
public:
    ViewFeederAnnotationFiducial();
    bool useNewSelectionModel() const override { return true; }
};

} // namespace Gui
