#include "vtkMRMLAnnotationROIDisplayableManager.h"

#include "vtkAnnotationROIRepresentation.h"
#include "vtkAnnotationROIWidget.h"
#include "vtkAnnotationWidgetCallback.h"
#include "vtkMRMLAnnotationClickCounter.h"
#include "vtkMRMLAnnotationDisplayableManagerHelper.h"
#include "vtkMRMLAnnotationROINode.h"

#include <mrml/vtkMRMLInteractionNode.h>
#include <mrml/vtkMRMLScene.h>
#include <mrml/vtkMRMLSliceNode.h>
#include <mrml/vtkMRMLTransformNode.h>

#include <vtkCommand.h>
#include <vtkMatrix4x4.h>
#include <vtkNew.h>
#include <vtkObjectFactory.h>
#include <vtkPickingManager.h>
#include <vtkProp3D.h>
#include <vtkPropCollection.h>
#include <vtkRenderWindowInteractor.h>

#include <cmath>
#include <ostream>

vtkStandardNewMacro(vtkMRMLAnnotationROIDisplayableManager);

namespace {

// The box's node follows once per drag, at its end, or on every step when the node asks
// for interactive updates.
class vtkAnnotationROIWidgetCallback : public vtkAnnotationWidgetCallback
{
public:
    static vtkAnnotationROIWidgetCallback* New() { return new vtkAnnotationROIWidgetCallback; }

protected:
    void Step(bool finished) override
    {
        auto* roi = vtkMRMLAnnotationROINode::SafeDownCast(Node);
        if (finished || (roi && roi->GetInteractiveMode() == 1))
            Manager->PropagateWidgetToMRML(Widget, Node);
    }
};

} // namespace

vtkMRMLAnnotationROIDisplayableManager::vtkMRMLAnnotationROIDisplayableManager()
{
    Focus = "vtkMRMLAnnotationROINode";
}

void vtkMRMLAnnotationROIDisplayableManager::PrintSelf(ostream& os, vtkIndent indent)
{
    Superclass::PrintSelf(os, indent);
}

bool vtkMRMLAnnotationROIDisplayableManager::IsWidgetDisplayable(vtkMRMLSliceNode*, vtkMRMLAnnotationNode*)
{
    return Is2DDisplayableManager();
}

void vtkMRMLAnnotationROIDisplayableManager::OnMRMLSceneNodeRemoved(vtkMRMLNode* node)
{
    if (vtkMRMLAnnotationROINode::SafeDownCast(node))
        Superclass::OnMRMLSceneNodeRemoved(node);
}

void vtkMRMLAnnotationROIDisplayableManager::OnMRMLSliceNodeModifiedEvent(vtkMRMLSliceNode* sliceNode)
{
    if (!sliceNode) {
        vtkErrorMacro("OnMRMLSliceNodeModifiedEvent: Could not get the sliceNode.");
        return;
    }
    const std::vector<vtkMRMLAnnotationNode*> nodes = Helper->GetNodes();
    for (vtkMRMLAnnotationNode* node : nodes) {
        vtkAbstractWidget* widget = Helper->GetWidget(node);
        if (!widget) {
            // One node without a box does not keep the others from following the slice.
            vtkErrorMacro("OnMRMLSliceNodeModifiedEvent: We could not get the widget to the node: "
                          << (node->GetID() ? node->GetID() : ""));
            continue;
        }
        PropagateMRMLToWidget(node, widget);
    }
}

void vtkMRMLAnnotationROIDisplayableManager::OnClickInRenderWindow(double x, double y, const char* associatedNodeID)
{
    vtkMRMLScene* scene = GetMRMLScene();
    if (!scene || !IsCorrectDisplayableManager())
        return;
    PlaceSeed(x, y);
    if (!ClickCounter->HasEnoughClicks(2)) {
        GetDisplayToWorldCoordinates(x, y, LastClickWorldCoordinates);
        return;
    }
    vtkNew<vtkMRMLAnnotationROINode> node;
    {
        // Raised while the node is built, and down again before it enters the scene, so
        // that its box is placed on it when it is created.
        PropagationScope building(this);
        double second[4] = {0.0, 0.0, 0.0, 1.0};
        GetDisplayToWorldCoordinates(x, y, second);
        double radius[3];
        for (int k = 0; k < 3; ++k)
            radius[k] = std::abs(LastClickWorldCoordinates[k] - second[k]);
        if (radius[0] == 0.0)
            radius[0] = 100.0;
        if (radius[1] == 0.0)
            radius[1] = radius[0];
        if (radius[2] == 0.0)
            radius[2] = radius[0];
        node->SetXYZ(LastClickWorldCoordinates);
        node->SetRadiusXYZ(radius);
        node->SetName(scene->GetUniqueNameByString("R").c_str());
    }

    FinishPlacement(node, associatedNodeID);
}

vtkAbstractWidget* vtkMRMLAnnotationROIDisplayableManager::CreateWidget(vtkMRMLAnnotationNode* node)
{
    if (!node) {
        vtkErrorMacro("CreateWidget: Node not set!");
        return nullptr;
    }
    if (!vtkMRMLAnnotationROINode::SafeDownCast(node)) {
        vtkErrorMacro("CreateWidget: Could not get ROI node!");
        return nullptr;
    }
    vtkAnnotationROIWidget* widget = vtkAnnotationROIWidget::New();
    vtkRenderWindowInteractor* interactor = GetInteractor();
    if (interactor && interactor->GetPickingManager() && !interactor->GetPickingManager()->GetEnabled())
        interactor->GetPickingManager()->EnabledOn();
    widget->SetInteractor(interactor);
    widget->SetRotationEnabled(0);
    widget->CreateDefaultRepresentation();
    auto* representation = vtkAnnotationROIRepresentation::SafeDownCast(widget->GetRepresentation());
    representation->SetPlaceFactor(1.0);
    PropagateMRMLToWidget(node, widget);
    widget->SetCurrentRenderer(GetRenderer());
    representation->NeedToRenderOn();
    if (interactor)
        widget->On();
    return widget;
}

void vtkMRMLAnnotationROIDisplayableManager::OnWidgetCreated(vtkAbstractWidget* widget, vtkMRMLAnnotationNode* node)
{
    if (!Gui::AnnotationWidgets::haveWidgetAndNode(this, "OnWidgetCreated", widget, node))
        return;
    vtkNew<vtkAnnotationROIWidgetCallback> callback;
    callback->Observe(widget, node, this, true);
    node->SaveView();
    HandOverToViewFeeder(node);
}

void vtkMRMLAnnotationROIDisplayableManager::PropagateMRMLToWidget(vtkMRMLAnnotationNode* node,
                                                                   vtkAbstractWidget* widget)
{
    if (!Gui::AnnotationWidgets::haveWidgetAndNode(this, "PropagateMRMLToWidget", widget, node))
        return;
    // Boxes are shown in the 3D view only.
    if (Is2DDisplayableManager())
        return;
    auto* box = vtkAnnotationROIWidget::SafeDownCast(widget);
    if (!box) {
        vtkErrorMacro("PropagateMRMLToWidget: Could not get box widget!");
        return;
    }
    auto* roi = vtkMRMLAnnotationROINode::SafeDownCast(node);
    if (!roi) {
        vtkErrorMacro("PropagateMRMLToWidget: Could not get ROI node!");
        return;
    }
    if (PropagatingFromWidget)
        return;
    auto* representation = vtkAnnotationROIRepresentation::SafeDownCast(box->GetRepresentation());
    if (!representation) {
        vtkErrorMacro("PropagateMRMLToWidget: Could not get widget representation!");
        return;
    }
    PropagationScope propagating(this);

    vtkNew<vtkMatrix4x4> toWorld;
    vtkMRMLTransformNode* parent = roi->GetParentTransformNode();
    if (parent && roi->IsTransformToWorldLinear())
        roi->GetTransformToWorld(toWorld);
    vtkNew<vtkMatrix4x4> worldToLocal;
    vtkMatrix4x4::Invert(toWorld, worldToLocal);
    representation->SetWorldToLocalMatrix(worldToLocal);

    double center[3], radius[3];
    roi->GetXYZ(center);
    roi->GetRadiusXYZ(radius);
    double bounds[6] = {center[0] - radius[0], center[0] + radius[0], center[1] - radius[1],
                        center[1] + radius[1], center[2] - radius[2], center[2] + radius[2]};
    if (roi->GetLocked())
        representation->HandlesOff();
    else
        representation->HandlesOn();
    representation->PlaceWidget(bounds);
    SetParentTransformToWidget(roi, box);
    if (GetInteractor())
        box->SetEnabled(roi->GetDisplayVisibility() ? 1 : 0);
    representation->NeedToRenderOn();
    box->Modified();
}

void vtkMRMLAnnotationROIDisplayableManager::SetParentTransformToWidget(vtkMRMLAnnotationNode* node,
                                                                        vtkAbstractWidget* widget)
{
    if (!node || !widget)
        return;
    vtkNew<vtkMatrix4x4> toWorld;
    auto* representation = vtkAnnotationROIRepresentation::SafeDownCast(widget->GetRepresentation());
    if (representation && node->GetParentTransformNode() && node->IsTransformToWorldLinear())
        node->GetTransformToWorld(toWorld);
    if (representation) {
        vtkNew<vtkPropCollection> actors;
        representation->GetActors(actors);
        actors->InitTraversal();
        while (vtkProp* prop = actors->GetNextProp())
            if (auto* actor = vtkProp3D::SafeDownCast(prop))
                actor->SetUserMatrix(toWorld);
    }
    widget->InvokeEvent(vtkCommand::EndInteractionEvent);
}

void vtkMRMLAnnotationROIDisplayableManager::PropagateWidgetToMRML(vtkAbstractWidget* widget,
                                                                   vtkMRMLAnnotationNode* node)
{
    if (!Gui::AnnotationWidgets::haveWidgetAndNode(this, "PropagateWidgetToMRML", widget, node))
        return;
    auto* box = vtkAnnotationROIWidget::SafeDownCast(widget);
    if (!box) {
        vtkErrorMacro("PropagateWidgetToMRML: Could not get box widget!");
        return;
    }
    auto* roi = vtkMRMLAnnotationROINode::SafeDownCast(node);
    if (!roi) {
        vtkErrorMacro("PropagateWidgetToMRML: Could not get ROI node!");
        return;
    }
    auto* representation = vtkAnnotationROIRepresentation::SafeDownCast(box->GetRepresentation());
    if (PropagatingFromWidget || !representation)
        return;
    PropagationScope propagating(this);
    const int wasModifying = roi->StartModify();
    double center[3], extents[3];
    representation->GetCenter(center);
    representation->GetExtents(extents);
    roi->SetXYZ(center);
    roi->SetRadiusXYZ(extents[0] * 0.5, extents[1] * 0.5, extents[2] * 0.5);
    roi->SaveView();
    roi->EndModify(wasModifying);
}

void vtkMRMLAnnotationROIDisplayableManager::UpdatePosition(vtkAbstractWidget* widget, vtkMRMLNode* node)
{
    PropagateMRMLToWidget(vtkMRMLAnnotationNode::SafeDownCast(node), widget);
}
