#include "vtkMRMLAnnotationDisplayableManager.h"

#include "ViewFeederAnnotationBase.h"
#include "vtkMRMLAnnotationClickCounter.h"
#include "vtkMRMLAnnotationControlPointsNode.h"
#include "vtkMRMLAnnotationDisplayNode.h"
#include "vtkAnnotationGlyphSource2D.h"
#include "vtkMRMLAnnotationDisplayableManagerHelper.h"
#include "vtkMRMLAnnotationFiducialNode.h"
#include "vtkMRMLAnnotationLineDisplayNode.h"
#include "vtkMRMLAnnotationNode.h"
#include "vtkMRMLAnnotationPointDisplayNode.h"
#include "vtkMRMLAnnotationRulerNode.h"
#include "vtkMRMLAnnotationTextNode.h"

#include <mrml/vtkMRML3DViewDisplayableManager.h>
#include <mrml/vtkMRMLDisplayNode.h>
#include <mrml/vtkMRMLDisplayableManagerGroup.h>
#include <mrml/vtkMRMLDisplayableNode.h>
#include <mrml/vtkMRMLInteractionNode.h>
#include <mrml/vtkMRMLLightBoxRendererManagerProxy.h>
#include <mrml/vtkMRMLScene.h>
#include <mrml/vtkMRMLSelectionNode.h>
#include <mrml/vtkMRMLSliceCompositeNode.h>
#include <mrml/vtkMRMLSliceLogic.h>
#include <mrml/vtkMRMLSliceNode.h>
#include <mrml/vtkVizApplicationLogic.h>
#include <mrml/vtkMRMLTransformableNode.h>

#include <vtkAbstractWidget.h>
#include <vtkCallbackCommand.h>
#include <vtkCamera.h>
#include <vtkCommand.h>
#include <vtkHandleWidget.h>
#include <vtkLineRepresentation.h>
#include <vtkLineWidget2.h>
#include <vtkMath.h>
#include <vtkMatrix4x4.h>
#include <vtkNew.h>
#include <vtkObjectFactory.h>
#include <vtkPointHandleRepresentation2D.h>
#include <vtkPointHandleRepresentation3D.h>
#include <vtkPolyData.h>
#include <vtkProperty.h>
#include <vtkProperty2D.h>
#include <vtkRenderWindow.h>
#include <vtkRenderWindowInteractor.h>
#include <vtkRenderer.h>
#include <vtkSeedRepresentation.h>
#include <vtkSeedWidget.h>
#include <vtkWidgetRepresentation.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <ostream>
#include <vector>

vtkStandardNewMacro(vtkMRMLAnnotationDisplayableManager);

namespace {
const std::vector<unsigned long> annotationNodeEvents = {
    vtkCommand::ModifiedEvent,
    static_cast<unsigned long>(vtkMRMLAnnotationControlPointsNode::ControlPointModifiedEvent),
    static_cast<unsigned long>(vtkMRMLAnnotationNode::LockModifiedEvent),
    static_cast<unsigned long>(vtkMRMLTransformableNode::TransformModifiedEvent),
    static_cast<unsigned long>(vtkMRMLDisplayableNode::DisplayModifiedEvent)};
// Before the widgets (0.5) and the interactor style (0.0): in place mode a click places,
// whatever lies under the pointer.
constexpr float clickPriority = 1.0f;
} // namespace

vtkMRMLAnnotationDisplayableManager::vtkMRMLAnnotationDisplayableManager()
    : ClickCounter(vtkSmartPointer<vtkMRMLAnnotationClickCounter>::New()),
      Helper(vtkSmartPointer<vtkMRMLAnnotationDisplayableManagerHelper>::New()),
      ClickCommand(vtkSmartPointer<vtkCallbackCommand>::New())
{
    ClickCommand->SetClientData(this);
    ClickCommand->SetCallback(&vtkMRMLAnnotationDisplayableManager::OnInteractorClick);
}

vtkMRMLAnnotationDisplayableManager::~vtkMRMLAnnotationDisplayableManager()
{
    setViewFeederObject(nullptr);
    if (ClickInteractor)
        ClickInteractor->RemoveObserver(ClickCommand);
    RemoveMRMLObservers();
    RemoveNodeObservers(ObservedInteractionNode);
    RemoveNodeObservers(ObservedSelectionNode);
    RemoveNodeObservers(GetMRMLScene());
    Focus = nullptr;
    PropagatingFromWidget = 0;
    DisableInteractorStyleEventsProcessing = 0;
}

void vtkMRMLAnnotationDisplayableManager::PrintSelf(ostream& os, vtkIndent indent)
{
    Superclass::PrintSelf(os, indent);
    os << indent << "DisableInteractorStyleEventsProcessing = " << DisableInteractorStyleEventsProcessing << "\n";
    vtkMRMLSliceNode* slice = GetSliceNode();
    if (slice && slice->GetID())
        os << indent << "Slice node id = " << slice->GetID() << "\n";
    else
        os << indent << "No slice node\n";
    if (Focus)
        os << indent << "Focus = " << Focus << "\n";
    os << indent << "ScaleFactor2D = " << ScaleFactor2D << "\n";
}

// ---------------------------------------------------------------------------------------
// Operations the concrete managers supply

void vtkMRMLAnnotationDisplayableManager::PropagateMRMLToWidget(vtkMRMLAnnotationNode*, vtkAbstractWidget*)
{
    vtkErrorMacro("PropagateMRMLToWidget should be overloaded!");
}

void vtkMRMLAnnotationDisplayableManager::PropagateWidgetToMRML(vtkAbstractWidget*, vtkMRMLAnnotationNode*)
{
    vtkErrorMacro("PropagateWidgetToMRML should be overloaded!");
}

void vtkMRMLAnnotationDisplayableManager::OnClickInRenderWindow(double, double, const char*)
{
    vtkErrorMacro("OnClickInRenderWindow should be overloaded!");
}

vtkAbstractWidget* vtkMRMLAnnotationDisplayableManager::CreateWidget(vtkMRMLAnnotationNode*)
{
    vtkErrorMacro("CreateWidget should be overloaded!");
    return nullptr;
}

void vtkMRMLAnnotationDisplayableManager::OnWidgetCreated(vtkAbstractWidget*, vtkMRMLAnnotationNode*)
{
    vtkErrorMacro("OnWidgetCreated should be overloaded!");
}

// ---------------------------------------------------------------------------------------
// View, scene and observations

bool vtkMRMLAnnotationDisplayableManager::Is2DDisplayableManager()
{
    return GetSliceNode() != nullptr;
}

vtkMRMLSliceNode* vtkMRMLAnnotationDisplayableManager::GetSliceNode()
{
    return vtkMRMLSliceNode::SafeDownCast(GetMRMLDisplayableNode());
}

void vtkMRMLAnnotationDisplayableManager::Create()
{
    UpdateFromMRML();
}

void vtkMRMLAnnotationDisplayableManager::AdditionalInitializeStep()
{
    AddInteractorClickEvent(vtkCommand::LeftButtonPressEvent);
    AddInteractorClickEvent(vtkCommand::RightButtonPressEvent);
    AddInteractorClickEvent(vtkCommand::LeftButtonReleaseEvent);
    AddInteractorClickEvent(vtkCommand::RightButtonReleaseEvent);
}

void vtkMRMLAnnotationDisplayableManager::AddInteractorClickEvent(unsigned long event)
{
    for (unsigned long known : ClickEvents)
        if (known == event)
            return;
    ClickEvents.push_back(event);
    if (ClickInteractor)
        ClickInteractor->AddObserver(event, ClickCommand, clickPriority);
    else
        ObserveInteractorClicks();
}

void vtkMRMLAnnotationDisplayableManager::SetRenderer(vtkRenderer* renderer)
{
    Superclass::SetRenderer(renderer);
    ObserveInteractorClicks();
}

void vtkMRMLAnnotationDisplayableManager::OnBeforeRender()
{
    // The render window may have got its interactor after the renderer came.
    ObserveInteractorClicks();
}

void vtkMRMLAnnotationDisplayableManager::ObserveInteractorClicks()
{
    vtkRenderWindowInteractor* interactor = GetInteractor();
    if (interactor == ClickInteractor.Get())
        return;
    if (ClickInteractor)
        ClickInteractor->RemoveObserver(ClickCommand);
    ClickInteractor = interactor;
    if (interactor)
        for (unsigned long event : ClickEvents)
            interactor->AddObserver(event, ClickCommand, clickPriority);
}

void vtkMRMLAnnotationDisplayableManager::OnInteractorClick(vtkObject*, unsigned long event, void* clientData, void*)
{
    auto* self = static_cast<vtkMRMLAnnotationDisplayableManager*>(clientData);
    if (!self)
        return;
    if (event == vtkCommand::LeftButtonPressEvent || event == vtkCommand::RightButtonPressEvent) {
        if (self->IsPlacementPress(event))
            self->ClickCommand->AbortFlagOn();
        return;
    }
    self->OnInteractorStyleEvent(static_cast<int>(event));
}

bool vtkMRMLAnnotationDisplayableManager::IsPlacementPress(unsigned long event)
{
    vtkMRMLInteractionNode* interaction = GetInteractionNode();
    if (!interaction || interaction->GetCurrentInteractionMode() != vtkMRMLInteractionNode::Place ||
        !IsCorrectDisplayableManager())
        return false;
    // A right drag still zooms unless the right click ends persistent placing.
    return event == vtkCommand::LeftButtonPressEvent || interaction->GetPlaceModePersistence() == 1;
}

void vtkMRMLAnnotationDisplayableManager::SetMRMLScene(vtkMRMLScene* scene)
{
    if (scene == GetMRMLScene())
        return;
    RemoveNodeObservers(GetMRMLScene());
    Superclass::SetMRMLScene(scene);
    OnMRMLSceneEndClose();
    // A scene that goes takes its nodes with it, before this manager may go.
    AddNodeObserver(scene, {vtkCommand::DeleteEvent});
    ObserveInteractionAndSelectionNodes();
}

void vtkMRMLAnnotationDisplayableManager::ObserveInteractionAndSelectionNodes()
{
    vtkMRMLNode* interaction = GetInteractionNode();
    if (interaction != ObservedInteractionNode.Get()) {
        RemoveNodeObservers(ObservedInteractionNode);
        ObservedInteractionNode = interaction;
        AddNodeObserver(interaction, {vtkMRMLInteractionNode::InteractionModeChangedEvent,
                                      vtkMRMLInteractionNode::InteractionModePersistenceChangedEvent,
                                      vtkMRMLInteractionNode::EndPlacementEvent});
    }
    vtkMRMLNode* selection = GetSelectionNode();
    if (GetMRMLScene() && !selection)
        vtkWarningMacro("AddObserversToSelectionNode: No selection node!");
    if (selection != ObservedSelectionNode.Get()) {
        RemoveNodeObservers(ObservedSelectionNode);
        ObservedSelectionNode = selection;
        AddNodeObserver(selection, {vtkMRMLSelectionNode::UnitModifiedEvent});
    }
}

void vtkMRMLAnnotationDisplayableManager::OnMRMLSceneEndClose()
{
    RemoveMRMLObservers();
    Helper->RemoveAllWidgetsAndNodes();
    SetUpdateFromMRMLRequested(true);
    RequestRender();
}

void vtkMRMLAnnotationDisplayableManager::OnMRMLSceneNodeAdded(vtkMRMLNode* node)
{
    if (!node || !GetMRMLScene() || IsSceneBatchProcessing())
        return;
    if (node->IsA("vtkMRMLInteractionNode") || node->IsA("vtkMRMLSelectionNode")) {
        ObserveInteractionAndSelectionNodes();
        return;
    }
    if (!IsManageable(node)) {
        // Any other node ends a placement under way.
        ClickCounter->Reset();
        Helper->RemoveSeeds();
        return;
    }
    auto* annotation = vtkMRMLAnnotationNode::SafeDownCast(node);
    if (!annotation)
        return;
    if (AddAnnotation(annotation)) {
        Helper->RemoveSeeds();
        Helper->UpdateLockedAllWidgetsFromInteractionNode(GetInteractionNode());
        RequestRender();
    } else {
        vtkErrorMacro("OnMRMLSceneNodeAddedEvent: failed to add annotation node "
                      << (node->GetName() ? node->GetName() : ""));
    }
}

void vtkMRMLAnnotationDisplayableManager::OnMRMLSceneNodeRemoved(vtkMRMLNode* node)
{
    auto* annotation = vtkMRMLAnnotationNode::SafeDownCast(node);
    if (!annotation || !Helper->HasNode(annotation))
        return;
    Helper->RemoveWidgetAndNode(annotation);
    RemoveNodeObservers(annotation);
    RequestRender();
}

void vtkMRMLAnnotationDisplayableManager::OnMRMLDisplayableNodeModifiedEvent(vtkObject* caller)
{
    if (!caller) {
        vtkErrorMacro("OnMRMLDisplayableNodeModifiedEvent: Could not get caller.");
        return;
    }
    if (vtkMRMLSliceNode* slice = GetSliceNode())
        OnMRMLSliceNodeModifiedEvent(slice);
}

void vtkMRMLAnnotationDisplayableManager::ProcessMRMLNodesEvents(vtkObject* caller, unsigned long event,
                                                                 void* callData)
{
    auto* node = vtkMRMLNode::SafeDownCast(caller);
    if (node && node->IsA("vtkMRMLAnnotationNode")) {
        switch (event) {
        case vtkCommand::ModifiedEvent:
            OnMRMLAnnotationNodeModifiedEvent(node);
            break;
        case vtkMRMLAnnotationControlPointsNode::ControlPointModifiedEvent:
            OnMRMLAnnotationControlPointModifiedEvent(node);
            break;
        case vtkMRMLAnnotationNode::LockModifiedEvent:
            OnMRMLAnnotationNodeLockModifiedEvent(node);
            break;
        case vtkMRMLTransformableNode::TransformModifiedEvent:
            OnMRMLAnnotationNodeTransformModifiedEvent(node);
            break;
        case vtkMRMLDisplayableNode::DisplayModifiedEvent: {
            vtkMRMLNode* display = vtkMRMLDisplayNode::SafeDownCast(static_cast<vtkObject*>(callData));
            if (!display)
                display = static_cast<vtkMRMLAnnotationNode*>(node)->GetDisplayNode();
            OnMRMLAnnotationDisplayNodeModifiedEvent(display);
            break;
        }
        default:
            break;
        }
        return;
    }
    if (node && node->IsA("vtkMRMLInteractionNode")) {
        if (event == vtkMRMLInteractionNode::InteractionModeChangedEvent) {
            Helper->UpdateLockedAllWidgetsFromInteractionNode(vtkMRMLInteractionNode::SafeDownCast(node));
        } else if (event == vtkMRMLInteractionNode::EndPlacementEvent) {
            ClickCounter->Reset();
            Helper->RemoveSeeds();
            if (!FinishingPlacement)
                AbandonPlacement();
        }
        return;
    }
    if (node && node->IsA("vtkMRMLSelectionNode")) {
        if (event == vtkMRMLSelectionNode::UnitModifiedEvent)
            OnMRMLSelectionNodeUnitModifiedEvent(node);
        return;
    }
    if (event == vtkCommand::DeleteEvent && caller && caller->IsA("vtkMRMLScene")) {
        // The nodes go with the scene: forget them without touching them.
        Helper->RemoveSeeds();
        Helper->RemoveAllWidgetsAndNodes();
        return;
    }
    Superclass::ProcessMRMLNodesEvents(caller, event, callData);
}

void vtkMRMLAnnotationDisplayableManager::SetAndObserveNode(vtkMRMLAnnotationNode* node)
{
    if (!node)
        return;
    RemoveNodeObservers(node);
    AddNodeObserver(node, annotationNodeEvents);
}

void vtkMRMLAnnotationDisplayableManager::SetAndObserveNodes()
{
    for (vtkMRMLAnnotationNode* node : Helper->GetNodes())
        SetAndObserveNode(node);
}

void vtkMRMLAnnotationDisplayableManager::RemoveMRMLObservers()
{
    for (vtkMRMLAnnotationNode* node : Helper->GetNodes())
        RemoveNodeObservers(node);
}

// ---------------------------------------------------------------------------------------
// Widgets of the nodes

bool vtkMRMLAnnotationDisplayableManager::IsManageable(const char* nodeClassName)
{
    return nodeClassName && Focus && std::strcmp(nodeClassName, Focus) == 0;
}

bool vtkMRMLAnnotationDisplayableManager::IsManageable(vtkMRMLNode* node)
{
    return node && Focus && node->IsA(Focus);
}

bool vtkMRMLAnnotationDisplayableManager::IsCorrectDisplayableManager()
{
    vtkMRMLSelectionNode* selection = GetSelectionNode();
    if (!selection) {
        vtkErrorMacro("IsCorrectDisplayableManager: No selection node in the scene.");
        return false;
    }
    const char* active = selection->GetActivePlaceNodeClassName();
    return active && *active && IsManageable(active);
}

bool vtkMRMLAnnotationDisplayableManager::AddAnnotation(vtkMRMLAnnotationNode* node)
{
    if (!node || !GetMRMLScene())
        return false;
    if (Helper->HasNode(node)) {
        vtkErrorMacro("AddAnnotation: This node is already associated to the displayable manager!");
        return false;
    }
    if (Helper->GetWidget(node)) {
        vtkErrorMacro("AddAnnotation: A widget is already associated to this node!");
        return false;
    }
    vtkSmartPointer<vtkAbstractWidget> widget = vtkSmartPointer<vtkAbstractWidget>::Take(CreateWidget(node));
    if (!widget) {
        vtkErrorMacro("AddAnnotation: Widget was not created!");
        return false;
    }
    Helper->SetWidget(node, widget);
    Helper->AddNode(node);
    SetAndObserveNode(node);
    RequestRender();
    OnWidgetCreated(widget, node);
    // The managers turn a new widget on; a node that comes hidden (a project read back
    // with the annotation hidden) keeps its widget off.
    if (!node->GetDisplayVisibility() && widget->GetEnabled())
        widget->SetEnabled(0);
    return true;
}

vtkAbstractWidget* vtkMRMLAnnotationDisplayableManager::GetWidget(vtkMRMLAnnotationNode* node)
{
    return Helper->GetWidget(node);
}

vtkMRMLAnnotationDisplayableManagerHelper* vtkMRMLAnnotationDisplayableManager::GetHelper()
{
    return Helper;
}

vtkHandleWidget* vtkMRMLAnnotationDisplayableManager::GetSeed(int index)
{
    return Helper->GetSeed(index);
}

void vtkMRMLAnnotationDisplayableManager::UpdateFromMRML()
{
    vtkMRMLScene* scene = GetMRMLScene();
    if (!scene || !Focus)
        return;
    SetUpdateFromMRMLRequested(false);
    std::vector<vtkMRMLNode*> nodes;
    scene->GetNodesByClass(Focus, nodes);
    for (vtkMRMLNode* n : nodes) {
        auto* node = vtkMRMLAnnotationNode::SafeDownCast(n);
        if (!node || Helper->GetWidget(node))
            continue;
        if (AddAnnotation(node))
            PropagateMRMLToWidget(node, Helper->GetWidget(node));
    }
}

// ---------------------------------------------------------------------------------------
// Node reactions

void vtkMRMLAnnotationDisplayableManager::OnMRMLAnnotationNodeModifiedEvent(vtkMRMLNode* node)
{
    if (PropagatingFromWidget)
        return;
    auto* annotation = vtkMRMLAnnotationNode::SafeDownCast(node);
    if (!annotation) {
        vtkErrorMacro("OnMRMLAnnotationNodeModifiedEvent: Can not access node.");
        return;
    }
    if (vtkMRMLSliceNode* slice = GetSliceNode())
        OnMRMLSliceNodeModifiedEvent(slice);
    else
        Helper->UpdateVisible(annotation, true);
    if (vtkAbstractWidget* widget = Helper->GetWidget(annotation))
        PropagateMRMLToWidget(annotation, widget);
    RequestRender();
}

void vtkMRMLAnnotationDisplayableManager::OnMRMLAnnotationNodeTransformModifiedEvent(vtkMRMLNode* node)
{
    auto* annotation = vtkMRMLAnnotationNode::SafeDownCast(node);
    if (!annotation) {
        if (node)
            vtkErrorMacro("OnMRMLAnnotationNodeTransformModifiedEvent - Can not access node.");
        return;
    }
    if (vtkMRMLSliceNode* slice = GetSliceNode())
        OnMRMLSliceNodeModifiedEvent(slice);
    else
        Helper->UpdateWidget(annotation);
    if (vtkAbstractWidget* widget = Helper->GetWidget(annotation)) {
        PropagateMRMLToWidget(annotation, widget);
        RequestRender();
    }
}

void vtkMRMLAnnotationDisplayableManager::OnMRMLAnnotationNodeLockModifiedEvent(vtkMRMLNode* node)
{
    auto* annotation = vtkMRMLAnnotationNode::SafeDownCast(node);
    if (!annotation) {
        vtkErrorMacro("OnMRMLAnnotationNodeLockModifiedEvent - Can not access node.");
        return;
    }
    Helper->UpdateLocked(annotation);
}

void vtkMRMLAnnotationDisplayableManager::OnMRMLAnnotationDisplayNodeModifiedEvent(vtkMRMLNode* node)
{
    if (PropagatingFromWidget || !node)
        return;
    auto* display = vtkMRMLAnnotationDisplayNode::SafeDownCast(node);
    if (!display) {
        vtkErrorMacro("OnMRMLAnnotationDisplayNodeModifiedEvent: Cannot convert node to annotation display node: "
                      << (node->GetID() ? node->GetID() : "null id"));
        return;
    }
    vtkMRMLAnnotationNode* annotation = Helper->GetAnnotationNodeFromDisplayNode(display);
    vtkAbstractWidget* widget = Helper->GetWidget(annotation);
    if (!widget)
        return;
    if (vtkMRMLSliceNode* slice = GetSliceNode())
        OnMRMLSliceNodeModifiedEvent(slice);
    else
        Helper->UpdateWidget(annotation);
    PropagateMRMLToWidget(annotation, widget);
    RequestRender();
}

void vtkMRMLAnnotationDisplayableManager::OnMRMLAnnotationControlPointModifiedEvent(vtkMRMLNode* node)
{
    auto* annotation = vtkMRMLAnnotationNode::SafeDownCast(node);
    vtkAbstractWidget* widget = Helper->GetWidget(annotation);
    if (!widget)
        return;
    UpdatePosition(widget, annotation);
    PropagateMRMLToWidget(annotation, widget);
    RequestRender();
}

void vtkMRMLAnnotationDisplayableManager::OnMRMLSliceNodeModifiedEvent(vtkMRMLSliceNode* sliceNode)
{
    if (!sliceNode) {
        vtkErrorMacro("OnMRMLSliceNodeModifiedEvent: Could not get the sliceNode.");
        return;
    }
    // Copy: a propagation may rebuild a widget, which re-enters the node list.
    const std::vector<vtkMRMLAnnotationNode*> nodes = Helper->GetNodes();
    for (vtkMRMLAnnotationNode* node : nodes) {
        if (!Helper->HasNode(node))
            continue;
        const bool visible = IsWidgetDisplayable(sliceNode, node);
        Helper->UpdateVisible(node, visible);
        if (visible) {
            SwitchOffProjections(node);
            if (vtkAbstractWidget* widget = Helper->GetWidget(node))
                PropagateMRMLToWidget(node, widget);
        } else if (vtkMRMLAnnotationRulerNode::SafeDownCast(node)) {
            UpdateRulerIntersectionAndProjection(sliceNode, node);
        } else if (vtkMRMLAnnotationFiducialNode::SafeDownCast(node)) {
            UpdateFiducialProjection(node);
        }
    }
}

namespace {
// A seed widget's handles are widgets of their own: without a renderer of their own they
// take whichever pane lies under the last event when they are switched on.
void setSeedRenderer(vtkHandleWidget* seed, vtkRenderer* renderer)
{
    if (!seed)
        return;
    seed->SetCurrentRenderer(renderer);
    if (vtkWidgetRepresentation* representation = seed->GetRepresentation())
        representation->SetRenderer(renderer);
}

void switchOff(vtkAbstractWidget* widget)
{
    if (widget && widget->GetEnabled())
        widget->SetEnabled(0);
}

// Marks that only show: they take no clicks and leave the cursor alone.
vtkSmartPointer<vtkSeedWidget> newMarkSeedWidget(vtkRenderWindowInteractor* interactor, vtkRenderer* renderer,
                                                 vtkPointHandleRepresentation2D* handle)
{
    vtkNew<vtkSeedRepresentation> representation;
    representation->SetHandleRepresentation(handle);
    auto widget = vtkSmartPointer<vtkSeedWidget>::New();
    widget->SetRepresentation(representation);
    widget->SetInteractor(interactor);
    widget->SetCurrentRenderer(renderer);
    representation->SetRenderer(renderer);
    widget->ProcessEventsOff();
    widget->ManagesCursorOff();
    return widget;
}

vtkSmartPointer<vtkLineWidget2> newProjectionLineWidget(vtkRenderWindowInteractor* interactor, vtkRenderer* renderer)
{
    // The line alone: its handles are there, but not seen.
    vtkNew<vtkPointHandleRepresentation3D> handle;
    handle->SetHandleSize(0);
    handle->GetProperty()->SetOpacity(0);
    handle->GetSelectedProperty()->SetOpacity(0);
    vtkNew<vtkLineRepresentation> representation;
    representation->SetHandleRepresentation(handle);
    representation->InstantiateHandleRepresentation();
    for (vtkPointHandleRepresentation3D* h : {representation->GetPoint1Representation(),
                                              representation->GetPoint2Representation(),
                                              representation->GetLineHandleRepresentation()}) {
        h->SetHandleSize(0);
        h->GetProperty()->SetOpacity(0);
        h->GetSelectedProperty()->SetOpacity(0);
    }
    representation->GetEndPointProperty()->SetOpacity(0);
    representation->GetEndPoint2Property()->SetOpacity(0);
    representation->GetSelectedEndPointProperty()->SetOpacity(0);
    representation->GetSelectedEndPoint2Property()->SetOpacity(0);
    auto widget = vtkSmartPointer<vtkLineWidget2>::New();
    widget->SetRepresentation(representation);
    widget->SetInteractor(interactor);
    widget->SetCurrentRenderer(renderer);
    representation->SetRenderer(renderer);
    widget->ProcessEventsOff();
    widget->ManagesCursorOff();
    return widget;
}

void placeLine(vtkLineWidget2* widget, const double from[3], const double to[3])
{
    auto* representation = vtkLineRepresentation::SafeDownCast(widget->GetRepresentation());
    double a[3] = {from[0], from[1], from[2]}, b[3] = {to[0], to[1], to[2]};
    representation->SetPoint1DisplayPosition(a);
    representation->SetPoint2DisplayPosition(b);
}

void styleLine(vtkLineWidget2* widget, const double color[3], double opacity, double width, int pattern)
{
    auto* representation = vtkLineRepresentation::SafeDownCast(widget->GetRepresentation());
    for (vtkProperty* property : {representation->GetLineProperty(), representation->GetSelectedLineProperty()}) {
        property->SetColor(color[0], color[1], color[2]);
        property->SetOpacity(opacity);
        property->SetLineWidth(static_cast<float>(width));
        property->SetLineStipplePattern(pattern);
    }
}
} // namespace

void vtkMRMLAnnotationDisplayableManager::SwitchOffProjections(vtkMRMLAnnotationNode* node)
{
    if (vtkMRMLAnnotationRulerNode::SafeDownCast(node)) {
        switchOff(Helper->GetOverLineProjectionWidget(node));
        switchOff(Helper->GetUnderLineProjectionWidget(node));
        // The ruler itself is drawn: a crossing mark of an earlier slice would be stale.
        switchOff(Helper->GetIntersectionWidget(node));
    } else if (vtkMRMLAnnotationFiducialNode::SafeDownCast(node)) {
        switchOff(Helper->GetPointProjectionWidget(node));
    }
}

void vtkMRMLAnnotationDisplayableManager::UpdateRulerIntersectionAndProjection(vtkMRMLSliceNode* sliceNode,
                                                                               vtkMRMLAnnotationNode* node)
{
    auto* ruler = vtkMRMLAnnotationRulerNode::SafeDownCast(node);
    vtkMRMLAnnotationLineDisplayNode* line = ruler ? ruler->GetAnnotationLineDisplayNode() : nullptr;
    vtkRenderWindowInteractor* interactor = GetInteractor();
    if (!line || !interactor) {
        SwitchOffProjections(node);
        return;
    }
    double w1[4], w2[4], p1[3], p2[3];
    ruler->GetControlPointWorldCoordinates(0, w1);
    ruler->GetControlPointWorldCoordinates(1, w2);
    GetWorldToDisplayCoordinates(w1, p1);
    GetWorldToDisplayCoordinates(w2, p2);
    const double z1 = p1[2], z2 = p2[2];
    const bool crosses = z1 * z2 < 0.0 || z1 == 0.0 || z2 == 0.0;
    // Where the ruler passes through the slice (z = 0 in the slice's frame).
    const double t = z2 != z1 ? -z1 / (z2 - z1) : 0.0;
    const double crossing[3] = {p1[0] + t * (p2[0] - p1[0]), p1[1] + t * (p2[1] - p1[1]), 0.0};

    if (line->GetSliceIntersectionVisibility()) {
        auto* intersection = vtkSeedWidget::SafeDownCast(Helper->GetIntersectionWidget(node));
        if (!intersection) {
            vtkNew<vtkPointHandleRepresentation2D> handle;
            handle->GetProperty()->SetColor(0.0, 1.0, 0.0);
            handle->SetHandleSize(3);
            vtkSmartPointer<vtkSeedWidget> made = newMarkSeedWidget(interactor, GetRenderer(), handle);
            Helper->SetIntersectionWidget(node, made);
            intersection = made;
        }
        intersection->On();
        intersection->CompleteInteraction();
        auto* seeds = vtkSeedRepresentation::SafeDownCast(intersection->GetRepresentation());
        while (seeds && seeds->GetNumberOfSeeds() > 0)
            intersection->DeleteSeed(0);
        if (crosses) {
            if (vtkHandleWidget* seed = intersection->CreateNewHandle()) {
                setSeedRenderer(seed, GetRenderer());
                double position[3] = {crossing[0], crossing[1], crossing[2]};
                seed->GetHandleRepresentation()->SetDisplayPosition(position);
            }
            intersection->On();
            intersection->CompleteInteraction();
        }
    } else {
        switchOff(Helper->GetIntersectionWidget(node));
    }

    const int flags = line->GetSliceProjection();
    if (!(flags & vtkMRMLAnnotationDisplayNode::ProjectionOn) || !line->GetVisibility()) {
        switchOff(Helper->GetOverLineProjectionWidget(node));
        switchOff(Helper->GetUnderLineProjectionWidget(node));
        return;
    }
    const bool split = (flags & vtkMRMLAnnotationLineDisplayNode::ProjectionThickerOnTop) != 0;
    auto* over = vtkLineWidget2::SafeDownCast(Helper->GetOverLineProjectionWidget(node));
    if (!over) {
        vtkSmartPointer<vtkLineWidget2> made = newProjectionLineWidget(interactor, GetRenderer());
        Helper->SetOverLineProjectionWidget(node, made);
        over = made;
    }
    auto* under = vtkLineWidget2::SafeDownCast(Helper->GetUnderLineProjectionWidget(node));
    if (!under && split) {
        vtkSmartPointer<vtkLineWidget2> made = newProjectionLineWidget(interactor, GetRenderer());
        Helper->SetUnderLineProjectionWidget(node, made);
        under = made;
    }
    if (split && z1 * z2 < 0.0) {
        placeLine(over, p1, crossing);
        placeLine(under, crossing, p2);
        under->On();
    } else {
        placeLine(over, p1, p2);
        switchOff(under);
    }
    over->On();

    double color[3];
    if (flags & vtkMRMLAnnotationLineDisplayNode::ProjectionUseRulerColor)
        line->GetColor(color);
    else
        line->GetProjectedColor(color);
    int pattern = (flags & vtkMRMLAnnotationLineDisplayNode::ProjectionDashed) ? 0xFF00 : 0xFFFF;
    if (flags & vtkMRMLAnnotationLineDisplayNode::ProjectionColoredWhenParallel) {
        double normal[3], direction[3];
        for (int k = 0; k < 3; ++k) {
            normal[k] = sliceNode->GetSliceToRAS()->GetElement(k, 2);
            direction[k] = w2[k] - w1[k];
        }
        vtkMath::Normalize(normal);
        vtkMath::Normalize(direction);
        if (std::abs(vtkMath::Dot(normal, direction)) < 0.005) {
            sliceNode->GetLayoutColor(color);
            pattern = 0xFFFF;
        }
    }
    const double opacity = line->GetProjectedOpacity();
    // Each part takes its thickness from the side of the slice its outer end lies on.
    styleLine(over, color, opacity, z1 > 0 ? line->GetUnderLineThickness() : line->GetOverLineThickness(), pattern);
    if (under)
        styleLine(under, color, opacity, z2 > 0 ? line->GetUnderLineThickness() : line->GetOverLineThickness(),
                  pattern);
}

void vtkMRMLAnnotationDisplayableManager::UpdateFiducialProjection(vtkMRMLAnnotationNode* node)
{
    auto* fiducial = vtkMRMLAnnotationFiducialNode::SafeDownCast(node);
    auto* display = fiducial ? vtkMRMLAnnotationPointDisplayNode::SafeDownCast(fiducial->GetAnnotationPointDisplayNode())
                             : nullptr;
    vtkRenderWindowInteractor* interactor = GetInteractor();
    if (!display || !interactor || !(display->GetSliceProjection() & vtkMRMLAnnotationDisplayNode::ProjectionOn) ||
        !display->GetVisibility()) {
        switchOff(Helper->GetPointProjectionWidget(node));
        return;
    }
    auto* projection = vtkSeedWidget::SafeDownCast(Helper->GetPointProjectionWidget(node));
    if (!projection) {
        vtkNew<vtkPointHandleRepresentation2D> handle;
        vtkSmartPointer<vtkSeedWidget> made = newMarkSeedWidget(interactor, GetRenderer(), handle);
        setSeedRenderer(made->CreateNewHandle(), GetRenderer());
        Helper->SetPointProjectionWidget(node, made);
        projection = made;
    } else {
        switchOff(projection);
    }
    // The mark follows the fiducial's place, glyph and colour on every update.
    auto* representation = vtkSeedRepresentation::SafeDownCast(projection->GetRepresentation());
    auto* handle = representation && representation->GetNumberOfSeeds() > 0
                       ? vtkPointHandleRepresentation2D::SafeDownCast(representation->GetHandleRepresentation(0))
                       : nullptr;
    if (handle) {
        vtkNew<vtkAnnotationGlyphSource2D> glyph;
        const int type = display->GetGlyphType();
        glyph->SetGlyphType(type == vtkMRMLAnnotationPointDisplayNode::Sphere3D ? 7 : type);
        glyph->SetScale(2.0 * display->GetGlyphScale());
        glyph->SetScale2(2.0 * display->GetGlyphScale());
        glyph->Update();
        handle->SetCursorShape(glyph->GetOutput());
        double color[3];
        if (display->GetSliceProjection() & vtkMRMLAnnotationPointDisplayNode::ProjectionUseFiducialColor)
            display->GetColor(color);
        else
            display->GetProjectedColor(color);
        handle->GetProperty()->SetColor(color);
        handle->GetProperty()->SetOpacity(display->GetProjectedOpacity());
        double world[4], position[3];
        fiducial->GetControlPointWorldCoordinates(0, world);
        GetWorldToDisplayCoordinates(world, position);
        handle->SetDisplayPosition(position);
    }
    projection->On();
    projection->CompleteInteraction();
}

// ---------------------------------------------------------------------------------------
// Interaction and placement

void vtkMRMLAnnotationDisplayableManager::OnInteractorStyleEvent(int eventId)
{
    if (DisableInteractorStyleEventsProcessing) {
        vtkWarningMacro("OnInteractorStyleEvent: Processing of events was disabled.");
        return;
    }
    if (eventId != vtkCommand::LeftButtonReleaseEvent && eventId != vtkCommand::RightButtonReleaseEvent)
        return;
    vtkMRMLInteractionNode* interaction = GetInteractionNode();
    if (!interaction || interaction->GetCurrentInteractionMode() != vtkMRMLInteractionNode::Place ||
        !IsCorrectDisplayableManager())
        return;
    if (eventId == vtkCommand::LeftButtonReleaseEvent)
        OnClickInRenderWindowGetCoordinates();
    else if (interaction->GetPlaceModePersistence() == 1)
        interaction->SwitchToViewTransformMode();
}

void vtkMRMLAnnotationDisplayableManager::OnClickInRenderWindowGetCoordinates()
{
    vtkRenderWindowInteractor* interactor = GetInteractor();
    vtkRenderer* renderer = GetRenderer();
    if (!interactor || !renderer || !renderer->GetRenderWindow())
        return;
    const int* position = interactor->GetEventPosition();
    const int* size = renderer->GetRenderWindow()->GetSize();
    const int x = position[0], y = position[1];
    if (x < 0 || y < 0 || x >= size[0] || y >= size[1])
        return;

    const std::string associated = GetAssociatedNodeID(x, y);
    OnClickInRenderWindow(x, y, associated.empty() ? nullptr : associated.c_str());
}

std::string vtkMRMLAnnotationDisplayableManager::GetAssociatedNodeID(int x, int y)
{
    vtkMRMLScene* scene = GetMRMLScene();
    if (vtkMRMLSliceNode* slice = GetSliceNode()) {
        vtkVizApplicationLogic* application = GetMRMLApplicationLogic();
        vtkMRMLSliceLogic* logic = application ? application->GetSliceLogic(slice) : nullptr;
        vtkMRMLSliceCompositeNode* composite = logic ? logic->GetSliceCompositeNode() : nullptr;
        const char* volume = composite ? composite->GetFirstVolumeID() : nullptr;
        return volume ? volume : std::string();
    }
    vtkMRMLDisplayableManagerGroup* group = GetMRMLDisplayableManagerGroup();
    auto* view = vtkMRML3DViewDisplayableManager::SafeDownCast(
        group ? group->GetDisplayableManagerByClassName("vtkMRML3DViewDisplayableManager") : nullptr);
    // The same bottom-left convention as the event position: no flip. The pick names the
    // model node itself.
    if (!view || !scene || !view->PickModelPoint(x, y) || !view->GetPickedNodeID() || !*view->GetPickedNodeID())
        return std::string();
    std::string id = view->GetPickedNodeID();
    vtkMRMLNode* picked = scene->GetNodeByID(id.c_str());
    // A slice model names the composite node of its slice in its description: the click
    // belongs to the volume that slice shows.
    const char* description = picked ? picked->GetDescription() : nullptr;
    const char* key = description ? std::strstr(description, "CompositeID") : nullptr;
    if (key && std::strlen(description) >= 11 && std::strlen(key) > 12) {
        auto* composite = vtkMRMLSliceCompositeNode::SafeDownCast(scene->GetNodeByID(key + 12));
        if (const char* volume = composite ? composite->GetFirstVolumeID() : nullptr)
            id = volume;
    }
    return id;
}

void vtkMRMLAnnotationDisplayableManager::PlaceSeed(double x, double y)
{
    Helper->PlaceSeed(x, y, GetInteractor(), GetRenderer());
    RequestRender();
}

void vtkMRMLAnnotationDisplayableManager::setViewFeederObject(Gui::ViewFeederAnnotationBase* feeder)
{
    if (viewFeederObject == feeder)
        return;
    if (viewFeederObject)
        viewFeederObject->forgetPlacingManager(this);
    viewFeederObject = feeder;
    if (feeder)
        feeder->notePlacingManager(this);
}

void vtkMRMLAnnotationDisplayableManager::HandOverToViewFeeder(vtkMRMLAnnotationNode* node)
{
    Gui::ViewFeederAnnotationBase* feeder = viewFeederObject;
    if (!feeder || !node || node != PlacedNode)
        return;
    // Once: a later widget (a file read, an undo, a rebuild) must not reach this feeder.
    setViewFeederObject(nullptr);
    feeder->setMRMLNode(node);
}

void vtkMRMLAnnotationDisplayableManager::SaveStateForUndo(vtkMRMLNode* node)
{
    if (vtkMRMLScene* scene = GetMRMLScene()) {
        if (node)
            scene->SaveStateForUndo(node);
        else
            scene->SaveStateForUndo();
    }
}

void vtkMRMLAnnotationDisplayableManager::FinishPlacement(vtkMRMLAnnotationNode* node, const char* associatedNodeID)
{
    vtkMRMLScene* scene = GetMRMLScene();
    if (!node || !scene)
        return;
    vtkMRMLInteractionNode* interaction = GetInteractionNode();
    if (interaction && interaction->GetPlaceModePersistence() != 1) {
        FinishingPlacement = true;
        interaction->SetCurrentInteractionMode(vtkMRMLInteractionNode::ViewTransform);
        FinishingPlacement = false;
    }
    // Undo removes the annotation with its display nodes.
    SaveStateForUndo();
    if (associatedNodeID)
        node->SetAttribute("AssociatedNodeID", associatedNodeID);
    // Only this node may reach the waiting feeder.
    vtkMRMLAnnotationNode* outer = PlacedNode;
    PlacedNode = node;
    node->Initialize(scene);
    PlacedNode = outer;
    // Place mode is over and the node did not reach the feeder: nothing is left to place.
    if (viewFeederObject && interaction
        && interaction->GetCurrentInteractionMode() != vtkMRMLInteractionNode::Place)
        AbandonPlacement();
}

void vtkMRMLAnnotationDisplayableManager::AbandonPlacement()
{
    Gui::ViewFeederAnnotationBase* feeder = viewFeederObject;
    if (!feeder)
        return;
    setViewFeederObject(nullptr);
    feeder->placementAbandoned();
}

// ---------------------------------------------------------------------------------------
// Coordinates

void vtkMRMLAnnotationDisplayableManager::GetDisplayToWorldCoordinates(double x, double y, double* world)
{
    if (!world)
        return;
    if (vtkMRMLSliceNode* slice = GetSliceNode()) {
        double xy[4] = {x, y, 0.0, 1.0};
        if (IsInLightboxMode()) {
            // Window pixels to the pane's XY and its slice index.
            int pane = -1;
            vtkRenderer* renderer = GetPokedPane(x, y, &pane);
            if (renderer && pane >= 0) {
                const int* origin = renderer->GetOrigin();
                xy[0] -= origin[0];
                xy[1] -= origin[1];
                xy[2] = pane;
            }
        }
        slice->GetXYToRAS()->MultiplyPoint(xy, world);
        world[3] = 1.0;
        return;
    }
    vtkRenderer* renderer = GetRenderer();
    if (!renderer)
        return;
    vtkMRMLDisplayableManagerGroup* group = GetMRMLDisplayableManagerGroup();
    auto* view = vtkMRML3DViewDisplayableManager::SafeDownCast(
        group ? group->GetDisplayableManagerByClassName("vtkMRML3DViewDisplayableManager") : nullptr);
    if (view && x >= 0.0 && y >= 0.0 && view->PickModelPoint(static_cast<int>(x), static_cast<int>(y))) {
        view->GetPickedRAS(world);
        world[3] = 1.0;
        return;
    }
    // Off the models the point goes to the depth of the camera's focal point, where it is
    // seen, rather than onto the near clipping plane, where it is not.
    double depth = 0.0;
    if (vtkCamera* camera = renderer->GetActiveCamera()) {
        double focal[4];
        camera->GetFocalPoint(focal);
        focal[3] = 1.0;
        renderer->SetWorldPoint(focal);
        renderer->WorldToDisplay();
        depth = renderer->GetDisplayPoint()[2];
    }
    renderer->SetDisplayPoint(x, y, depth);
    renderer->DisplayToWorld();
    const double* w = renderer->GetWorldPoint();
    const double h = w[3] != 0.0 ? w[3] : 1.0;
    for (int i = 0; i < 3; ++i)
        world[i] = w[i] / h;
    world[3] = 1.0;
}

void vtkMRMLAnnotationDisplayableManager::GetDisplayToWorldCoordinates(double* display, double* world)
{
    if (display)
        GetDisplayToWorldCoordinates(display[0], display[1], world);
}

void vtkMRMLAnnotationDisplayableManager::GetWorldToDisplayCoordinates(double r, double a, double s, double* display)
{
    if (!display)
        return;
    if (vtkMRMLSliceNode* slice = GetSliceNode()) {
        vtkNew<vtkMatrix4x4> rasToXY;
        vtkMatrix4x4::Invert(slice->GetXYToRAS(), rasToXY);
        const double ras[4] = {r, a, s, 1.0};
        double xy[4];
        rasToXY->MultiplyPoint(ras, xy);
        for (int i = 0; i < 3; ++i)
            display[i] = xy[i];
        if (IsInLightboxMode()) {
            // The pane's XY to window pixels, where the pane's renderer draws it.
            const int pane = static_cast<int>(std::floor(xy[2] + 0.5));
            const int panes = slice->GetLayoutGridRows() * slice->GetLayoutGridColumns();
            vtkMRMLLightBoxRendererManagerProxy* proxy = GetLightBoxRendererManagerProxy();
            vtkRenderer* renderer = proxy && pane >= 0 && pane < panes ? proxy->GetRenderer(pane) : nullptr;
            if (renderer && renderer->GetRenderWindow()) {
                const int* origin = renderer->GetOrigin();
                display[0] += origin[0];
                display[1] += origin[1];
            }
        }
        return;
    }
    vtkRenderer* renderer = GetRenderer();
    if (!renderer)
        return;
    renderer->SetWorldPoint(r, a, s, 1.0);
    renderer->WorldToDisplay();
    const double* d = renderer->GetDisplayPoint();
    for (int i = 0; i < 3; ++i)
        display[i] = d[i];
}

void vtkMRMLAnnotationDisplayableManager::GetWorldToDisplayCoordinates(double* world, double* display)
{
    if (world)
        GetWorldToDisplayCoordinates(world[0], world[1], world[2], display);
}

void vtkMRMLAnnotationDisplayableManager::GetDisplayToViewportCoordinates(double x, double y, double* viewport)
{
    vtkRenderer* renderer = GetRenderer();
    if (!viewport || !renderer || !renderer->GetRenderWindow())
        return;
    const int* size = renderer->GetRenderWindow()->GetSize();
    if (Is2DDisplayableManager()) {
        // From the origin of the pane under the point.
        if (vtkRenderer* pane = GetPokedPane(x, y, nullptr)) {
            const int* origin = pane->GetOrigin();
            x -= origin[0];
            y -= origin[1];
        }
    }
    if (size[0] != 0)
        viewport[0] = x / size[0];
    if (size[1] != 0)
        viewport[1] = y / size[1];
}

void vtkMRMLAnnotationDisplayableManager::GetDisplayToViewportCoordinates(double* display, double* viewport)
{
    if (display)
        GetDisplayToViewportCoordinates(display[0], display[1], viewport);
}

bool vtkMRMLAnnotationDisplayableManager::GetDisplayCoordinatesChanged(double* a, double* b)
{
    if (!a || !b)
        return false;
    const double dx = a[0] - b[0], dy = a[1] - b[1];
    if (std::sqrt(dx * dx + dy * dy) > 1.0)
        return true;
    return IsInLightboxMode() && std::abs(a[2] - b[2]) > 1.0;
}

bool vtkMRMLAnnotationDisplayableManager::GetWorldCoordinatesChanged(double* a, double* b)
{
    if (!a || !b)
        return false;
    return std::sqrt(vtkMath::Distance2BetweenPoints(a, b)) > std::numeric_limits<double>::epsilon();
}

void vtkMRMLAnnotationDisplayableManager::RestrictDisplayCoordinatesToViewport(double* display)
{
    if (!display)
        return;
    double px = display[0], py = display[1];
    vtkRenderer* main = GetRenderer();
    if (IsInLightboxMode() && main && main->GetRenderWindow()) {
        // Off the window no pane lies under the point: take the pane at the window's edge,
        // not whichever pane the look-up falls back to.
        const int* size = main->GetRenderWindow()->GetSize();
        px = std::min(std::max(px, 0.0), double(std::max(size[0] - 1, 0)));
        py = std::min(std::max(py, 0.0), double(std::max(size[1] - 1, 0)));
    }
    vtkRenderer* renderer = GetPokedPane(px, py, nullptr);
    if (!renderer) {
        vtkErrorMacro("RestrictDisplayCoordinatesToViewport: Could not find the poked renderer!");
        return;
    }
    double u = display[0], v = display[1];
    renderer->DisplayToNormalizedDisplay(u, v);
    renderer->NormalizedDisplayToViewport(u, v);
    renderer->ViewportToNormalizedViewport(u, v);
    u = std::min(std::max(u, 0.001), 0.999);
    v = std::min(std::max(v, 0.001), 0.999);
    renderer->NormalizedViewportToViewport(u, v);
    renderer->ViewportToNormalizedDisplay(u, v);
    renderer->NormalizedDisplayToDisplay(u, v);
    display[0] = u;
    display[1] = v;
}

void vtkMRMLAnnotationDisplayableManager::GetWorldToLocalCoordinates(vtkMRMLAnnotationNode* node, double* world,
                                                                      double* local)
{
    if (!node) {
        vtkErrorMacro("GetWorldToLocalCoordinates: node is null");
        return;
    }
    if (!world || !local)
        return;
    node->TransformPointFromWorld(world, local);
}

bool vtkMRMLAnnotationDisplayableManager::IsInLightboxMode()
{
    vtkMRMLSliceNode* slice = GetSliceNode();
    return slice && (slice->GetLayoutGridRows() > 1 || slice->GetLayoutGridColumns() > 1);
}

int vtkMRMLAnnotationDisplayableManager::GetLightboxIndex(vtkMRMLAnnotationNode* node, int pointIndex)
{
    if (!IsInLightboxMode() || !node)
        return -1;
    auto* points = vtkMRMLAnnotationControlPointsNode::SafeDownCast(node);
    if (!points) {
        vtkErrorMacro("GetLightboxIndex: Could not get the controlpoints node.");
        return -1;
    }
    if (pointIndex < 0 || pointIndex >= points->GetNumberOfControlPoints())
        return -1;
    double world[4], display[3];
    points->GetControlPointWorldCoordinates(pointIndex, world);
    GetWorldToDisplayCoordinates(world, display);
    return static_cast<int>(std::floor(display[2] + 0.5));
}

vtkRenderer* vtkMRMLAnnotationDisplayableManager::GetLightboxRenderer(int index)
{
    if (!IsInLightboxMode())
        return GetRenderer();
    vtkMRMLLightBoxRendererManagerProxy* proxy = GetLightBoxRendererManagerProxy();
    vtkRenderer* pane = proxy ? proxy->GetRenderer(index) : nullptr;
    return pane ? pane : GetRenderer();
}

vtkRenderer* vtkMRMLAnnotationDisplayableManager::GetPokedPane(double x, double y, int* index)
{
    if (index)
        *index = -1;
    vtkRenderWindowInteractor* interactor = GetInteractor();
    vtkRenderer* poked =
        interactor ? interactor->FindPokedRenderer(static_cast<int>(x), static_cast<int>(y)) : GetRenderer();
    if (!poked || !index)
        return poked;
    if (!IsInLightboxMode()) {
        *index = 0;
        return poked;
    }
    vtkMRMLSliceNode* slice = GetSliceNode();
    vtkMRMLLightBoxRendererManagerProxy* proxy = GetLightBoxRendererManagerProxy();
    const int panes = slice->GetLayoutGridRows() * slice->GetLayoutGridColumns();
    for (int k = 0; proxy && k < panes; ++k)
        if (proxy->GetRenderer(k) == poked)
            *index = k;
    return poked;
}

void vtkMRMLAnnotationDisplayableManager::MoveWidgetToPane(vtkMRMLAnnotationNode* node, int pane)
{
    vtkAbstractWidget* widget = Helper->GetWidget(node);
    vtkRenderer* renderer = GetLightboxRenderer(pane);
    if (!widget || !renderer)
        return;
    vtkWidgetRepresentation* representation = widget->GetRepresentation();
    if (widget->GetCurrentRenderer() == renderer && (!representation || representation->GetRenderer() == renderer))
        return;
    const int wasOn = widget->GetEnabled();
    widget->SetEnabled(0);
    widget->SetCurrentRenderer(renderer);
    if (representation)
        representation->SetRenderer(renderer);
    if (auto* seeds = vtkSeedWidget::SafeDownCast(widget)) {
        auto* seedRepresentation = vtkSeedRepresentation::SafeDownCast(representation);
        const int count = seedRepresentation ? seedRepresentation->GetNumberOfSeeds() : 0;
        for (int i = 0; i < count; ++i)
            setSeedRenderer(seeds->GetSeed(i), renderer);
    }
    if (wasOn) {
        widget->SetEnabled(1);
        if (auto* seeds = vtkSeedWidget::SafeDownCast(widget))
            seeds->CompleteInteraction();
    }
    RequestRender();
}

bool vtkMRMLAnnotationDisplayableManager::IsWidgetDisplayable(vtkMRMLSliceNode* sliceNode, vtkMRMLAnnotationNode* node)
{
    if (!sliceNode) {
        vtkErrorMacro("IsWidgetDisplayable: Could not get the sliceNode.");
        return false;
    }
    if (!node) {
        vtkErrorMacro("IsWidgetDisplayable: Could not get the annotation node.");
        return false;
    }
    if (vtkMRMLDisplayNode* display = node->GetDisplayNode())
        if (!display->IsDisplayableInView(sliceNode->GetID()))
            return false;
    auto* points = vtkMRMLAnnotationControlPointsNode::SafeDownCast(node);
    if (!points) {
        vtkErrorMacro("IsWidgetDisplayable: Could not get the controlpoints node.");
        return false;
    }
    const bool lightbox = IsInLightboxMode();
    // A ruler spans slices: a light box, one slice a pane, has no pane to show it in.
    if (lightbox && Focus && std::strcmp(Focus, "vtkMRMLAnnotationRulerNode") == 0)
        return false;
    int count = points->GetNumberOfControlPoints();
    if (vtkMRMLAnnotationTextNode::SafeDownCast(node) && count > 1)
        count = 1;
    bool inViewport = false;
    const int depth = sliceNode->GetDimensions()[2];
    const int panes = sliceNode->GetLayoutGridRows() * sliceNode->GetLayoutGridColumns();
    double spacing[3] = {1.0, 1.0, 1.0};
    if (lightbox) {
        vtkVizApplicationLogic* application = GetMRMLApplicationLogic();
        if (vtkMRMLSliceLogic* logic = application ? application->GetSliceLogic(sliceNode) : nullptr)
            logic->GetLowestVolumeSliceSpacing(spacing);
    }
    for (int i = 0; i < count; ++i) {
        double world[4];
        points->GetControlPointWorldCoordinates(i, world);
        double display[3];
        GetWorldToDisplayCoordinates(world, display);
        if (lightbox) {
            const int pane = GetLightboxIndex(node, 0);
            if (pane < 0 || pane >= panes)
                return false;
            MoveWidgetToPane(node, pane);
            vtkMatrix4x4* sliceToRAS = sliceNode->GetSliceToRAS();
            double distance = 0.0;
            for (int k = 0; k < 3; ++k)
                distance += (world[k] - sliceToRAS->GetElement(k, 3)) * sliceToRAS->GetElement(k, 2);
            distance -= pane * spacing[2];
            if (distance < -0.5 || distance >= 0.5)
                return false;
        } else {
            const float z = static_cast<float>(display[2]);
            if (z < -0.5f || z >= static_cast<float>((depth - 1) + 0.5))
                return false;
        }
        vtkRenderer* renderer = GetPokedPane(display[0], display[1], nullptr);
        if (!renderer) {
            vtkErrorMacro("IsWidgetDisplayable: Could not find the poked renderer!");
            return false;
        }
        double u = display[0], v = display[1];
        renderer->DisplayToNormalizedDisplay(u, v);
        renderer->NormalizedDisplayToViewport(u, v);
        renderer->ViewportToNormalizedViewport(u, v);
        if (u > 0.0 && u < 1.0 && v > 0.0 && v < 1.0)
            inViewport = true;
    }
    return inViewport;
}
