#pragma once
// Base of the annotation displayable managers. One instance per annotation kind and view
// shows the annotation nodes of its class (its focus) as VTK widgets, keeps widgets and
// nodes in step both ways, follows the scene, the nodes, the interaction node and the
// selection node, and turns left clicks in place mode into new annotations. The concrete
// managers create the widgets and copy between widget and node.

#include "PelmoraGuiExport.h"

#include <mrml/vtkMRMLAbstractDisplayableManager.h>

#include <vtkSmartPointer.h>
#include <vtkWeakPointer.h>

#include <string>
#include <vector>

class vtkAbstractWidget;
class vtkCallbackCommand;
class vtkHandleWidget;
class vtkMRMLAnnotationClickCounter;
class vtkMRMLAnnotationDisplayableManagerHelper;
class vtkMRMLAnnotationNode;
class vtkMRMLSliceNode;
class vtkRenderWindowInteractor;
class vtkRenderer;

namespace Gui {
class ViewFeederAnnotationBase;
}

class PELMORAGUI_EXPORT vtkMRMLAnnotationDisplayableManager : public vtkMRMLAbstractDisplayableManager
{
public:
    static vtkMRMLAnnotationDisplayableManager* New();
    vtkTypeMacro(vtkMRMLAnnotationDisplayableManager, vtkMRMLAbstractDisplayableManager);
    void PrintSelf(ostream& os, vtkIndent indent) override;

    // Node to widget and widget to node; the concrete managers supply them.
    virtual void PropagateMRMLToWidget(vtkMRMLAnnotationNode* node, vtkAbstractWidget* widget);
    virtual void PropagateWidgetToMRML(vtkAbstractWidget* widget, vtkMRMLAnnotationNode* node);

    // A slice view's manager (its displayable node is a slice node)?
    bool Is2DDisplayableManager() override;
    vtkMRMLSliceNode* GetSliceNode();

    // local = inverse(linear parent transform to world) applied to world.
    virtual void GetWorldToLocalCoordinates(vtkMRMLAnnotationNode* node, double* world, double* local);
    virtual void SetParentTransformToWidget(vtkMRMLAnnotationNode*, vtkAbstractWidget*) {}
    virtual void SetScaleFactor2D(double factor) { ScaleFactor2D = factor; }
    virtual double GetScaleFactor2D() { return ScaleFactor2D; }

    // Observes the scene's interaction and selection nodes and starts afresh.
    void SetMRMLScene(vtkMRMLScene* scene) override;
    // Observes the clicks of the view's interactor.
    void SetRenderer(vtkRenderer* renderer) override;

    // Creates widgets for the nodes of the focus class that have none.
    virtual void UpdateFromMRML();

    // The click that places an annotation: the display point (pixels from the bottom left
    // of the render window) and the node the click landed on, if any.
    virtual void OnClickInRenderWindow(double x, double y, const char* associatedNodeID);
    // A left-button release in place mode: reads the interactor's event position. Points
    // outside the window, and negative ones, are ignored.
    void OnClickInRenderWindowGetCoordinates();
    virtual void UpdatePosition(vtkAbstractWidget*, vtkMRMLNode*) {}
    // Marks a click of a placement of several clicks.
    virtual void PlaceSeed(double x, double y);
    // A new widget for the node, whose one reference AddAnnotation takes over; null when
    // the node is not of the manager's kind.
    virtual vtkAbstractWidget* CreateWidget(vtkMRMLAnnotationNode* node);
    // After the widget is registered: observe it and hand the node over
    // (HandOverToViewFeeder) where the kind is placed from a command.
    virtual void OnWidgetCreated(vtkAbstractWidget* widget, vtkMRMLAnnotationNode* node);

    // Does the manager show nodes of this class (exactly the focus)?
    virtual bool IsManageable(const char* nodeClassName);
    // ... or this node (the focus class or one derived from it)?
    virtual bool IsManageable(vtkMRMLNode* node);
    const char* GetFocus() const { return Focus; }

    // Is the selection node's class being placed this manager's focus?
    bool IsCorrectDisplayableManager();

    // Adds the node's widget and observes the node; false (reported) when the node is
    // already shown or no widget is made.
    bool AddAnnotation(vtkMRMLAnnotationNode* node);
    vtkAbstractWidget* GetWidget(vtkMRMLAnnotationNode* node);
    vtkHandleWidget* GetSeed(int index);
    // The node a click in this view is tied to: the first volume of the slice view's
    // composite node, or, in the 3D view, the node picked at the display point (for a
    // slice model, the first volume of the slice it shows). Empty when none.
    std::string GetAssociatedNodeID(int x, int y);
    vtkMRMLAnnotationDisplayableManagerHelper* GetHelper();

    // Coordinates. Display: pixels with the origin at the bottom left of the render
    // window, the third component the depth (3D view) or the slice index (slice view).
    // In a light-box slice view x and y stay render-window pixels, so that the widgets in
    // each pane's renderer draw where they should, and the slice index is the pane's.
    // World: RAS with w = 1 (four values).
    void GetDisplayToWorldCoordinates(double x, double y, double* world);
    void GetDisplayToWorldCoordinates(double* display, double* world);
    void GetWorldToDisplayCoordinates(double r, double a, double s, double* display);
    void GetWorldToDisplayCoordinates(double* world, double* display);
    // Fractions of the render window (in a slice view, from the origin of the pane under
    // the point).
    void GetDisplayToViewportCoordinates(double x, double y, double* viewport);
    void GetDisplayToViewportCoordinates(double* display, double* viewport);
    // More than one pixel apart in x and y, or, in light-box mode, more than one slice?
    bool GetDisplayCoordinatesChanged(double* a, double* b);
    // Further apart than the machine epsilon?
    bool GetWorldCoordinatesChanged(double* a, double* b);
    // Keeps a display point 0.1 percent inside the viewport (the light-box pane).
    void RestrictDisplayCoordinatesToViewport(double* display);
    // A slice view whose light-box grid has more than one pane?
    bool IsInLightboxMode();
    // The pane that shows a control point (its display slice index, rounded); -1 outside
    // light-box mode, for a null node or an index out of range.
    int GetLightboxIndex(vtkMRMLAnnotationNode* node, int pointIndex);
    // The renderer of a light-box pane: the view's renderer outside light-box mode.
    vtkRenderer* GetLightboxRenderer(int index);
    // In a slice view: does the annotation lie on the slice and in the viewport?
    virtual bool IsWidgetDisplayable(vtkMRMLSliceNode* sliceNode, vtkMRMLAnnotationNode* node);

    // The feeder that the next annotation placed by this manager is handed to (not
    // owned). It is handed over once and then cleared; a feeder that goes away first
    // clears it too.
    Gui::ViewFeederAnnotationBase* getViewFeederObject() const { return viewFeederObject; }
    void setViewFeederObject(Gui::ViewFeederAnnotationBase* feeder);

    vtkGetMacro(DisableInteractorStyleEventsProcessing, int);
    vtkSetMacro(DisableInteractorStyleEventsProcessing, int);

    void SetAndObserveNode(vtkMRMLAnnotationNode* node);
    void SetAndObserveNodes();
    void RemoveMRMLObservers();

protected:
    vtkMRMLAnnotationDisplayableManager();
    ~vtkMRMLAnnotationDisplayableManager() override;
    vtkMRMLAnnotationDisplayableManager(const vtkMRMLAnnotationDisplayableManager&) = delete;
    void operator=(const vtkMRMLAnnotationDisplayableManager&) = delete;

    void Create() override;
    void AdditionalInitializeStep() override;
    void OnMRMLSceneEndClose() override;
    void OnMRMLSceneNodeAdded(vtkMRMLNode* node) override;
    void OnMRMLSceneNodeRemoved(vtkMRMLNode* node) override;
    void OnMRMLDisplayableNodeModifiedEvent(vtkObject* caller) override;
    void ProcessMRMLNodesEvents(vtkObject* caller, unsigned long event, void* callData) override;
    void OnInteractorStyleEvent(int eventId) override;
    void OnBeforeRender() override;
    // Interactor events that reach OnInteractorStyleEvent from an active observer, which,
    // unlike a passive one, may switch widgets on and off (add and remove observers).
    void AddInteractorClickEvent(unsigned long event);

    virtual void OnMRMLSliceNodeModifiedEvent(vtkMRMLSliceNode* sliceNode);
    virtual void OnMRMLAnnotationNodeModifiedEvent(vtkMRMLNode* node);
    virtual void OnMRMLAnnotationNodeTransformModifiedEvent(vtkMRMLNode* node);
    virtual void OnMRMLAnnotationNodeLockModifiedEvent(vtkMRMLNode* node);
    virtual void OnMRMLAnnotationDisplayNodeModifiedEvent(vtkMRMLNode* node);
    virtual void OnMRMLAnnotationControlPointModifiedEvent(vtkMRMLNode* node);
    virtual void OnMRMLSelectionNodeUnitModifiedEvent(vtkMRMLNode*) {}

    // The slice view's marks of annotations that are not on the slice: where a ruler
    // crosses it, a ruler's projection onto it, a fiducial's projection.
    void UpdateRulerIntersectionAndProjection(vtkMRMLSliceNode* sliceNode, vtkMRMLAnnotationNode* node);
    void UpdateFiducialProjection(vtkMRMLAnnotationNode* node);
    void SwitchOffProjections(vtkMRMLAnnotationNode* node);
    // Moves the node's widget into the pane's renderer (light-box mode).
    void MoveWidgetToPane(vtkMRMLAnnotationNode* node, int pane);
    // The pane under a display point and its index (-1 when no pane is found).
    vtkRenderer* GetPokedPane(double x, double y, int* index);

    // Raises PropagatingFromWidget for a scope and puts back what it was, so that the
    // copies between a widget and its node do not come back as node reactions.
    class PropagationScope
    {
    public:
        explicit PropagationScope(vtkMRMLAnnotationDisplayableManager* manager)
            : Flag(manager->PropagatingFromWidget), Old(Flag)
        {
            Flag = 1;
        }
        ~PropagationScope() { Flag = Old; }
        PropagationScope(const PropagationScope&) = delete;
        PropagationScope& operator=(const PropagationScope&) = delete;

    private:
        int& Flag;
        int Old;
    };

    // Hands the node to the feeder set for the placement, once, and only when this
    // manager's own placement built the node: a node read from text (a paste, a
    // duplicate, a project read) while the feeder waits is not the feeder's.
    void HandOverToViewFeeder(vtkMRMLAnnotationNode* node);
    // Saves the scene's state for undo (with the node when given).
    void SaveStateForUndo(vtkMRMLNode* node = nullptr);
    // The end of a placement: a single placement leaves place mode, the scene saves its
    // state for undo, and the node, tied to the node clicked on (if any), enters the scene.
    void FinishPlacement(vtkMRMLAnnotationNode* node, const char* associatedNodeID);
    // Place mode ended before the placement built its node: the waiting feeder's object,
    // made for the placement and holding nothing, goes with it.
    void AbandonPlacement();

    vtkSmartPointer<vtkMRMLAnnotationClickCounter> ClickCounter;
    // The node class shown (not owned text).
    const char* Focus = "vtkMRMLAnnotationNode";
    // Raised while a widget and its node are copied into each other, and while a click
    // builds a new node: the node reactions then do nothing.
    int PropagatingFromWidget = 0;
    vtkSmartPointer<vtkMRMLAnnotationDisplayableManagerHelper> Helper;
    int DisableInteractorStyleEventsProcessing = 0;
    double ScaleFactor2D = 0.01667;

private:
    void ObserveInteractionAndSelectionNodes();
    void ObserveInteractorClicks();
    static void OnInteractorClick(vtkObject* caller, unsigned long event, void* clientData, void* callData);
    // A press that starts a placement click: kept from the interactor style, so that the
    // style does not hold the mouse focus and the release reaches this manager.
    bool IsPlacementPress(unsigned long event);
    vtkSmartPointer<vtkCallbackCommand> ClickCommand;
    vtkWeakPointer<vtkRenderWindowInteractor> ClickInteractor;
    std::vector<unsigned long> ClickEvents;
    Gui::ViewFeederAnnotationBase* viewFeederObject = nullptr;
    // The node a placement is adding to the scene, while it is added.
    vtkMRMLAnnotationNode* PlacedNode = nullptr;
    // Raised while a placement leaves place mode on its own, its node on the way.
    bool FinishingPlacement = false;
    vtkWeakPointer<vtkMRMLNode> ObservedInteractionNode;
    vtkWeakPointer<vtkMRMLNode> ObservedSelectionNode;
};
