#include "vtkMRMLAnnotationBidimensionalDisplayableManager.h"

#include "AnnotationLabelFormat.h"
#include "vtkAnnotationBidimensionalRepresentation.h"
#include "vtkAnnotationBidimensionalWidget.h"
#include "vtkAnnotationWidgetCallback.h"
#include "vtkMRMLAnnotationBidimensionalNode.h"
#include "vtkMRMLAnnotationClickCounter.h"
#include "vtkMRMLAnnotationDisplayableManagerHelper.h"
#include "vtkMRMLAnnotationLineDisplayNode.h"
#include "vtkMRMLAnnotationPointDisplayNode.h"
#include "vtkMRMLAnnotationTextDisplayNode.h"

#include <mrml/vtkMRMLInteractionNode.h>
#include <mrml/vtkMRMLScene.h>
#include <mrml/vtkMRMLSliceNode.h>

#include <vtkCommand.h>
#include <vtkHandleRepresentation.h>
#include <vtkMath.h>
#include <vtkNew.h>
#include <vtkObjectFactory.h>
#include <vtkPointHandleRepresentation2D.h>
#include <vtkProperty2D.h>
#include <vtkTextProperty.h>

#include <algorithm>
#include <cmath>
#include <ostream>

vtkStandardNewMacro(vtkMRMLAnnotationBidimensionalDisplayableManager);

namespace {

double distanceOf(const double a[4], const double b[4])
{
    return std::sqrt(vtkMath::Distance2BetweenPoints(a, b));
}

void handlesOf(vtkBiDimensionalRepresentation* representation, vtkHandleRepresentation* handles[4]);

// The measurement's node follows every step of a drag; the scene is told once, when the
// drag ends. In a slice view the handles stay inside the viewport.
class vtkAnnotationBidimensionalWidgetCallback : public vtkAnnotationWidgetCallback
{
public:
    static vtkAnnotationBidimensionalWidgetCallback* New() { return new vtkAnnotationBidimensionalWidgetCallback; }

protected:
    void Step(bool finished) override
    {
        auto* representation = vtkBiDimensionalRepresentation::SafeDownCast(Widget->GetRepresentation());
        if (representation && Manager->Is2DDisplayableManager()) {
            vtkHandleRepresentation* handles[4];
            handlesOf(representation, handles);
            for (vtkHandleRepresentation* h : handles)
                Gui::AnnotationWidgets::keepInViewport(Manager, h);
        }
        static_cast<vtkMRMLAnnotationBidimensionalDisplayableManager*>(Manager)->WriteWidgetToNode(Widget, Node,
                                                                                                    finished);
    }
};

void handlesOf(vtkBiDimensionalRepresentation* representation, vtkHandleRepresentation* handles[4])
{
    handles[0] = representation->GetPoint1Representation();
    handles[1] = representation->GetPoint2Representation();
    handles[2] = representation->GetPoint3Representation();
    handles[3] = representation->GetPoint4Representation();
}

} // namespace

vtkMRMLAnnotationBidimensionalDisplayableManager::vtkMRMLAnnotationBidimensionalDisplayableManager()
{
    Focus = "vtkMRMLAnnotationBidimensionalNode";
}

void vtkMRMLAnnotationBidimensionalDisplayableManager::PrintSelf(ostream& os, vtkIndent indent)
{
    Superclass::PrintSelf(os, indent);
}

bool vtkMRMLAnnotationBidimensionalDisplayableManager::MirrorAcrossLine(const double a[2], const double b[2],
                                                                       const double p[2], double mirrored[2])
{
    const double d[2] = {b[0] - a[0], b[1] - a[1]};
    const double length2 = d[0] * d[0] + d[1] * d[1];
    if (length2 < 1.0)
        return false;
    // The foot of the perpendicular from p on the line, then as far again beyond it.
    const double t = ((p[0] - a[0]) * d[0] + (p[1] - a[1]) * d[1]) / length2;
    const double foot[2] = {a[0] + t * d[0], a[1] + t * d[1]};
    mirrored[0] = 2.0 * foot[0] - p[0];
    mirrored[1] = 2.0 * foot[1] - p[1];
    return true;
}

void vtkMRMLAnnotationBidimensionalDisplayableManager::OnClickInRenderWindow(double x, double y,
                                                                            const char* associatedNodeID)
{
    vtkMRMLScene* scene = GetMRMLScene();
    if (!scene || !IsCorrectDisplayableManager() || !GetSliceNode())
        return;
    PlaceSeed(x, y);
    const int index = ClickCounter->GetCount();
    if (index >= 0 && index < 3) {
        Clicks[index][0] = x;
        Clicks[index][1] = y;
    }
    if (!ClickCounter->HasEnoughClicks(3))
        return;

    const double* p1 = Clicks[0];
    const double* p2 = Clicks[1];
    const double* p3 = Clicks[2];
    double p4[2];
    // The first line must have a direction, and the third click must lie off it, or the
    // measurement has no second line.
    if (!MirrorAcrossLine(p1, p2, p3, p4) || std::hypot(p4[0] - p3[0], p4[1] - p3[1]) < 2.0) {
        vtkWarningMacro("OnClickInRenderWindow: the clicks do not span two crossing lines; nothing is placed.");
        Helper->RemoveSeeds();
        return;
    }

    vtkNew<vtkMRMLAnnotationBidimensionalNode> node;
    {
        PropagationScope building(this);
        double w[4][4];
        GetDisplayToWorldCoordinates(p1[0], p1[1], w[0]);
        GetDisplayToWorldCoordinates(p2[0], p2[1], w[1]);
        GetDisplayToWorldCoordinates(p3[0], p3[1], w[2]);
        GetDisplayToWorldCoordinates(p4[0], p4[1], w[3]);
        const double length1 = distanceOf(w[0], w[1]);
        const double length2 = distanceOf(w[2], w[3]);

        // The first line runs downwards; the second from left to right of it.
        const bool firstDown = p1[1] > p2[1];
        const bool left = p3[0] <= p1[0] && p3[0] <= p2[0];
        const double* order[4] = {firstDown ? w[0] : w[1], firstDown ? w[1] : w[0], nullptr, nullptr};
        const bool thirdFirst = firstDown ? !left : left;
        order[2] = thirdFirst ? w[2] : w[3];
        order[3] = thirdFirst ? w[3] : w[2];
        for (int i = 0; i < 4; ++i) {
            double local[3];
            node->TransformPointFromWorld(order[i], local);
            node->SetControlPoint(local, i);
        }
        node->SetBidimensionalMeasurement(length1, length2);
        node->SetName(scene->GetUniqueNameByString("B").c_str());
    }
    FinishPlacement(node, associatedNodeID);
}

vtkAbstractWidget* vtkMRMLAnnotationBidimensionalDisplayableManager::CreateWidget(vtkMRMLAnnotationNode* node)
{
    if (!node) {
        vtkErrorMacro("CreateWidget: Node not set!");
        return nullptr;
    }
    if (!vtkMRMLAnnotationBidimensionalNode::SafeDownCast(node)) {
        vtkErrorMacro("CreateWidget: Could not get bidimensional node!");
        return nullptr;
    }
    vtkAnnotationBidimensionalWidget* widget = vtkAnnotationBidimensionalWidget::New();
    widget->SetInteractor(GetInteractor());
    widget->SetCurrentRenderer(GetRenderer());
    widget->CreateDefaultRepresentation();
    if (GetInteractor())
        widget->On();
    return widget;
}

void vtkMRMLAnnotationBidimensionalDisplayableManager::OnWidgetCreated(vtkAbstractWidget* widget,
                                                                      vtkMRMLAnnotationNode* node)
{
    if (!widget || !node)
        return;
    auto* bidimensional = vtkAnnotationBidimensionalWidget::SafeDownCast(widget);
    if (!bidimensional) {
        vtkErrorMacro("OnWidgetCreated: Could not get bidimensional widget.");
        return;
    }
    auto* measurement = vtkMRMLAnnotationBidimensionalNode::SafeDownCast(node);
    if (!measurement) {
        vtkErrorMacro("OnWidgetCreated: Could not get bidimensional node");
        return;
    }
    bidimensional->SetWidgetStateToManipulate();
    auto* representation = vtkAnnotationBidimensionalRepresentation::SafeDownCast(bidimensional->GetRepresentation());
    if (representation) {
        double cp[4][4];
        for (int i = 0; i < 4; ++i)
            measurement->GetControlPointWorldCoordinates(i, cp[i]);
        representation->SetDistance1(distanceOf(cp[0], cp[1]));
        representation->SetDistance2(distanceOf(cp[2], cp[3]));
        representation->SetLabelFormat("%.1f");
        UpdatePosition(widget, node);
    }
    vtkNew<vtkAnnotationBidimensionalWidgetCallback> callback;
    callback->Observe(widget, measurement, this, true);
    node->SaveView();
}

void vtkMRMLAnnotationBidimensionalDisplayableManager::PropagateMRMLToWidget(vtkMRMLAnnotationNode* node,
                                                                            vtkAbstractWidget* widget)
{
    if (!Gui::AnnotationWidgets::haveWidgetAndNode(this, "PropagateMRMLToWidget", widget, node))
        return;
    auto* bidimensional = vtkBiDimensionalWidget::SafeDownCast(widget);
    if (!bidimensional) {
        vtkErrorMacro("PropagateMRMLToWidget: Could not get bidimensional widget!");
        return;
    }
    auto* measurement = vtkMRMLAnnotationBidimensionalNode::SafeDownCast(node);
    if (!measurement) {
        vtkErrorMacro("PropagateMRMLToWidget: Could not get bidimensional node!");
        return;
    }
    PropagationScope propagating(this);
    auto* representation = vtkAnnotationBidimensionalRepresentation::SafeDownCast(bidimensional->GetRepresentation());
    if (!representation)
        return;
    double cp[4][4];
    for (int i = 0; i < 4; ++i)
        measurement->GetControlPointWorldCoordinates(i, cp[i]);
    representation->SetDistance1(distanceOf(cp[0], cp[1]));
    representation->SetDistance2(distanceOf(cp[2], cp[3]));

    const bool selected = node->GetSelected() != 0;
    if (vtkMRMLAnnotationTextDisplayNode* text = node->GetAnnotationTextDisplayNode()) {
        if (vtkTextProperty* property = representation->GetTextProperty()) {
            property->SetColor(selected ? text->GetSelectedColor() : text->GetColor());
            property->SetFontSize(Gui::AnnotationLabel::fontSizeFromTextScale(text->GetTextScale()));
        }
    }
    if (vtkMRMLAnnotationPointDisplayNode* point = measurement->GetAnnotationPointDisplayNode()) {
        vtkHandleRepresentation* handles[4];
        handlesOf(representation, handles);
        for (vtkHandleRepresentation* h : handles)
            if (auto* flat = vtkPointHandleRepresentation2D::SafeDownCast(h))
                flat->GetProperty()->SetColor(selected ? point->GetSelectedColor() : point->GetColor());
    }
    if (vtkMRMLAnnotationLineDisplayNode* line = measurement->GetAnnotationLineDisplayNode()) {
        const double* color = selected ? line->GetSelectedColor() : line->GetColor();
        representation->GetLineProperty()->SetColor(color[0], color[1], color[2]);
        representation->GetSelectedLineProperty()->SetColor(color[0], color[1], color[2]);
    }
    UpdatePosition(widget, node);
    representation->NeedToRenderOn();
    widget->Modified();
}

void vtkMRMLAnnotationBidimensionalDisplayableManager::UpdatePosition(vtkAbstractWidget* widget, vtkMRMLNode* node)
{
    auto* bidimensional = vtkBiDimensionalWidget::SafeDownCast(widget);
    auto* measurement = vtkMRMLAnnotationBidimensionalNode::SafeDownCast(node);
    if (!bidimensional || !measurement) {
        vtkErrorMacro("UpdatePosition: needs a bidimensional widget and node!");
        return;
    }
    auto* representation = vtkBiDimensionalRepresentation::SafeDownCast(bidimensional->GetRepresentation());
    if (!representation || measurement->GetNumberOfControlPoints() < 4)
        return;
    vtkHandleRepresentation* handles[4];
    handlesOf(representation, handles);
    for (int i = 0; i < 4; ++i) {
        if (!handles[i])
            continue;
        double world[4];
        measurement->GetControlPointWorldCoordinates(i, world);
        if (Is2DDisplayableManager()) {
            double target[3], current[3];
            GetWorldToDisplayCoordinates(world, target);
            handles[i]->GetDisplayPosition(current);
            if (GetDisplayCoordinatesChanged(current, target))
                handles[i]->SetDisplayPosition(target);
        } else {
            handles[i]->SetWorldPosition(world);
        }
    }
}

void vtkMRMLAnnotationBidimensionalDisplayableManager::PropagateWidgetToMRML(vtkAbstractWidget* widget,
                                                                            vtkMRMLAnnotationNode* node)
{
    WriteWidgetToNode(widget, node, true);
}

void vtkMRMLAnnotationBidimensionalDisplayableManager::WriteWidgetToNode(vtkAbstractWidget* widget,
                                                                        vtkMRMLAnnotationNode* node, bool finished)
{
    if (!Gui::AnnotationWidgets::haveWidgetAndNode(this, "PropagateWidgetToMRML", widget, node))
        return;
    auto* bidimensional = vtkBiDimensionalWidget::SafeDownCast(widget);
    if (!bidimensional) {
        vtkErrorMacro("PropagateWidgetToMRML: Could not get bidimensional widget!");
        return;
    }
    auto* measurement = vtkMRMLAnnotationBidimensionalNode::SafeDownCast(node);
    if (!measurement) {
        vtkErrorMacro("PropagateWidgetToMRML: Could not get bidimensional node!");
        return;
    }
    auto* representation = vtkBiDimensionalRepresentation::SafeDownCast(bidimensional->GetRepresentation());
    if (!representation)
        return;
    PropagationScope propagating(this);
    const int wasDisabled = node->GetDisableModifiedEvent();
    node->SetDisableModifiedEvent(1);
    vtkHandleRepresentation* handles[4];
    handlesOf(representation, handles);
    double w[4][4];
    for (int i = 0; i < 4; ++i) {
        w[i][3] = 1.0;
        if (Is2DDisplayableManager()) {
            double display[3];
            handles[i]->GetDisplayPosition(display);
            GetDisplayToWorldCoordinates(display, w[i]);
        } else {
            handles[i]->GetWorldPosition(w[i]);
        }
        double local[3];
        measurement->TransformPointFromWorld(w[i], local);
        measurement->SetControlPoint(local, i);
    }
    const double length1 = distanceOf(w[0], w[1]);
    const double length2 = distanceOf(w[2], w[3]);
    if (auto* shown = vtkAnnotationBidimensionalRepresentation::SafeDownCast(representation)) {
        shown->SetDistance1(length1);
        shown->SetDistance2(length2);
    }
    measurement->SetBidimensionalMeasurement(length1, length2);
    Gui::AnnotationWidgets::finishNodeWrite(node, wasDisabled, true, finished);
}
