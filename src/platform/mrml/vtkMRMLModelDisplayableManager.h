#pragma once
// Shows the scene's model nodes in a 3D view: one actor per model and display node, with
// the display node's colour, opacity, visibility and surface/edge mode, the model's
// transform to the world, and the cuts of the scene's clip node. Changes are gathered per model and applied when the
// next render starts, so a render after many changes costs what changed.

#include "vtkMRMLAbstractDisplayableManager.h"

#include <memory>

class vtkActor;
class vtkMRMLDisplayNode;
class vtkMRMLModelNode;
class vtkProp;

class vtkMRMLModelDisplayableManager : public vtkMRMLAbstractDisplayableManager
{
public:
    static vtkMRMLModelDisplayableManager* New();
    vtkTypeMacro(vtkMRMLModelDisplayableManager, vtkMRMLAbstractDisplayableManager);
    void PrintSelf(ostream& os, vtkIndent indent) override;

    // A display mode for every model of the view (1 wireframe, 2 shaded, 3 shaded with
    // edges); 0 lets each display node's own mode hold.
    void SetViewDisplayMode(int mode);
    int GetViewDisplayMode() const;
    // Vertices drawn as points, and cell edges drawn in every display mode, for every
    // model of the view.
    void SetPointsVisible(bool visible);
    bool GetPointsVisible() const;
    void SetEdgesVisible(bool visible);
    bool GetEdgesVisible() const;

    // The actor that shows a display node of a model (after the render that built it),
    // or null.
    vtkActor* GetActorByDisplayNode(vtkMRMLDisplayNode* displayNode) const;
    // The model node an actor of this manager shows, or null.
    vtkMRMLModelNode* GetModelNodeByProp(vtkProp* prop) const;
    int GetNumberOfActors() const;
    // The world bounds of the models shown (after the render that built them); false
    // when none is shown.  What frames a view: markers and widgets of other managers do
    // not count.
    bool GetVisibleModelBounds(double bounds[6]) const;

    // Colours the actors of the model with their display nodes' selected colour.
    void SetHighlightedModel(vtkMRMLModelNode* model);
    vtkMRMLModelNode* GetHighlightedModel() const;
    // The model under the mouse before it is picked: drawn halfway between its colour and
    // its selected colour.
    void SetPreHighlightedModel(vtkMRMLModelNode* model);
    vtkMRMLModelNode* GetPreHighlightedModel() const;
    // Colours for the highlighted and the pre-highlighted model that replace those of
    // the display nodes; null arguments go back to the display nodes' colours.
    void SetHighlightColors(const double selected[3], const double preSelected[3]);

protected:
    vtkMRMLModelDisplayableManager();
    ~vtkMRMLModelDisplayableManager() override;
    vtkMRMLModelDisplayableManager(const vtkMRMLModelDisplayableManager&) = delete;
    void operator=(const vtkMRMLModelDisplayableManager&) = delete;

    void UpdateFromMRML() override;
    void OnBeforeRender() override;
    void OnMRMLSceneNodeAdded(vtkMRMLNode* node) override;
    void OnMRMLSceneNodeRemoved(vtkMRMLNode* node) override;
    void OnMRMLSceneStartClose() override;
    void ProcessMRMLNodesEvents(vtkObject* caller, unsigned long event, void* callData) override;

private:
    struct Internal;
    std::unique_ptr<Internal> d;
};
