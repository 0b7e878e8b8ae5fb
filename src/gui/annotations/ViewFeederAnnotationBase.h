#pragma once
// Feeders of the annotation objects: rulers, regions of interest and fiducials.  Each
// holds its annotation's node, handed over once the node's widget exists, and removes
// the node from the scene when it goes.  While it holds the node it keeps the object's
// annotation text in step with it; an object that arrives with a text and without a node
// (a project read back, a copy) gets its node built from the text.

#include "visualization/ViewFeeder.h"

#include <vtkSmartPointer.h>
#include <vtkWeakPointer.h>

class vtkCallbackCommand;
class vtkMRMLAnnotationDisplayableManager;
class vtkMRMLAnnotationNode;
class vtkObject;
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

    // Builds the node from the object's annotation text when there is none yet; the
    // object's own "Visibility" (set by the hide and show records, read back from a file)
    // becomes the feeder's.
    void updateData(const Obj::Property* property) override;
    // "Visibility" shows or hides the annotation's node, as it does a model's.
    void on_changed(const Obj::Property* property) override;
    void show() override;
    void hide() override;
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
    // Placing ended before the node was built: the object, made for the placing, is
    // removed from its project when it holds no annotation (this feeder goes with it).
    void placementAbandoned();

protected:
    // A new node of the feeder's kind (the caller owns it); null for none.
    virtual vtkMRMLAnnotationNode* newNode() const { return nullptr; }

private:
    static void onNodeEvent(vtkObject* caller, unsigned long event, void* clientData, void* callData);
    void stopObservingNode();
    // The node's content into the object's annotation text.
    void storeNodeText();
    void buildNodeFromText();
    // The node's display nodes shown or hidden as "Visibility" asks.
    void showNodeAsVisibility();

    std::vector<vtkWeakPointer<vtkMRMLAnnotationDisplayableManager>> placingManagers;
    vtkSmartPointer<vtkCallbackCommand> nodeObserver;
    bool buildingNode = false;
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
protected:
    vtkMRMLAnnotationNode* newNode() const override;
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
protected:
    vtkMRMLAnnotationNode* newNode() const override;
};

class PELMORAGUI_EXPORT ViewFeederAnnotationFiducial : public ViewFeederAnnotationBase
{
    VEXIL_TYPESYSTEM_HEADER();
    OBJ_PROPERTY_HEADER()
public:
    ViewFeederAnnotationFiducial();
    bool useNewSelectionModel() const override { return true; }
protected:
    vtkMRMLAnnotationNode* newNode() const override;
};

} // namespace Gui
