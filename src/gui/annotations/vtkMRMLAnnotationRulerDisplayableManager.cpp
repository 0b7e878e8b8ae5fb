#include "vtkMRMLAnnotationRulerDisplayableManager.h"

#include "AnnotationLabelFormat.h"
#include "vtkAnnotationRulerRepresentation.h"
#include "vtkAnnotationRulerRepresentation3D.h"
#include "vtkAnnotationRulerWidget.h"
#include "vtkAnnotationWidgetCallback.h"
#include "vtkMRMLAnnotationClickCounter.h"
#include "vtkMRMLAnnotationDisplayableManagerHelper.h"
#include "vtkMRMLAnnotationLineDisplayNode.h"
#include "vtkMRMLAnnotationPointDisplayNode.h"
#include "vtkMRMLAnnotationRulerNode.h"
#include "vtkMRMLAnnotationTextDisplayNode.h"

#include <mrml/vtkMRMLInteractionNode.h>
#include <mrml/vtkMRMLScene.h>
#include <mrml/vtkMRMLSelectionNode.h>
#include <mrml/vtkMRMLSliceNode.h>
#include <mrml/vtkMRMLUnitNode.h>
#include <obj/Application.h>
#include <vexil/PreferenceManager.h>

#include <vtkActor.h>
#include <vtkAxisActor2D.h>
#include <vtkCommand.h>
#include <vtkFollower.h>
#include <vtkMath.h>
#include <vtkNew.h>
#include <vtkObjectFactory.h>
#include <vtkPickingManager.h>
#include <vtkPointHandleRepresentation2D.h>
#include <vtkPointHandleRepresentation3D.h>
#include <vtkProperty.h>
#include <vtkProperty2D.h>
#include <vtkRenderWindow.h>
#include <vtkRenderWindowInteractor.h>
#include <vtkRenderer.h>
#include <vtkTextProperty.h>

#include <algorithm>
#include <cmath>
#include <ostream>

vtkStandardNewMacro(vtkMRMLAnnotationRulerDisplayableManager);

namespace {

const char* const fallbackFormat = "%-#6.3g mm";

double* colorOf(vtkMRMLDisplayNode* display, vtkMRMLNode* node)
{
    return node->GetSelected() ? display->GetSelectedColor() : display->GetColor();
}

// The decimals a ruler shows: the preference itself, read each time. The preferences
// page writes it without telling anyone, so a copy taken earlier (the scene's unit) may
// be stale. `fallback` without an application.
int preferredDecimals(int fallback)
{
    Obj::Application* logic = Obj::Application::_pcSingleton;
    Vexil::PreferenceManager* prefs = logic ? logic->getPrefMgr() : nullptr;
    return prefs ? std::clamp(prefs->getInt(Vexil::PM_SIGNIFICANT_DIGITS), 0, 15) : fallback;
}

double distanceOf(const double a[4], const double b[4])
{
    return std::sqrt(vtkMath::Distance2BetweenPoints(a, b));
}

// Turns a ruler widget's interaction into node updates: the node follows every step of a
// drag; the undo state is taken once when the drag starts, and the view is saved and the
// scene told once when it ends.
class vtkAnnotationRulerWidgetCallback : public vtkCommand
{
public:
    static vtkAnnotationRulerWidgetCallback* New() { return new vtkAnnotationRulerWidgetCallback; }

    void Execute(vtkObject*, unsigned long event, void*) override
    {
        if (!Widget || !Node || !Manager)
            return;
        if (event == vtkCommand::StartInteractionEvent) {
            if (vtkMRMLScene* scene = Node->GetScene())
                scene->SaveStateForUndo(Node);
            return;
        }
        if (event != vtkCommand::InteractionEvent && event != vtkCommand::EndInteractionEvent)
            return;
        if (Manager->Is2DDisplayableManager())
            KeepHandlesInViewport();
        Manager->WriteWidgetToNode(Widget, Node, event == vtkCommand::EndInteractionEvent);
    }

    vtkAnnotationRulerWidget* Widget = nullptr;
    vtkMRMLAnnotationRulerNode* Node = nullptr;
    vtkMRMLAnnotationRulerDisplayableManager* Manager = nullptr;

private:
    void KeepHandlesInViewport()
    {
        auto* representation = vtkAnnotationRulerRepresentation::SafeDownCast(Widget->GetRepresentation());
        if (!representation)
            return;
        double display[3], clamped[3];
        representation->GetPoint1DisplayPosition(display);
        std::copy(display, display + 3, clamped);
        Manager->RestrictDisplayCoordinatesToViewport(clamped);
        if (Manager->GetDisplayCoordinatesChanged(display, clamped))
            representation->SetPoint1DisplayPosition(clamped);
        representation->GetPoint2DisplayPosition(display);
        std::copy(display, display + 3, clamped);
        Manager->RestrictDisplayCoordinatesToViewport(clamped);
        if (Manager->GetDisplayCoordinatesChanged(display, clamped))
            representation->SetPoint2DisplayPosition(clamped);
    }
};

} // namespace

vtkMRMLAnnotationRulerDisplayableManager::vtkMRMLAnnotationRulerDisplayableManager()
{
    Focus = "vtkMRMLAnnotationRulerNode";
}

void vtkMRMLAnnotationRulerDisplayableManager::PrintSelf(ostream& os, vtkIndent indent)
{
    Superclass::PrintSelf(os, indent);
}

// ---------------------------------------------------------------------------------------
// Units and label

vtkMRMLUnitNode* vtkMRMLAnnotationRulerDisplayableManager::GetLengthUnitNode()
{
    vtkMRMLScene* scene = GetMRMLScene();
    if (!scene)
        return nullptr;
    auto* selection = vtkMRMLSelectionNode::SafeDownCast(scene->GetNodeByID("vtkMRMLSelectionNodeSingleton"));
    const char* unitID = selection ? selection->GetUnitNodeID("length") : nullptr;
    return unitID ? vtkMRMLUnitNode::SafeDownCast(scene->GetNodeByID(unitID)) : nullptr;
}

std::string vtkMRMLAnnotationRulerDisplayableManager::GetLabelFormat(vtkMRMLAnnotationRulerNode* node)
{
    if (!node)
        return std::string();
    std::string format = fallbackFormat;
    if (vtkMRMLUnitNode* unit = GetLengthUnitNode()) {
        const int decimals = preferredDecimals(unit->GetPrecision());
        if (decimals == unit->GetPrecision()) {
            format = unit->GetDisplayStringFormat();
        } else {
            vtkNew<vtkMRMLUnitNode> shown;
            shown->Copy(unit);
            shown->SetPrecision(decimals);
            format = shown->GetDisplayStringFormat();
        }
    } else if (const char* own = node->GetDistanceAnnotationFormat()) {
        if (Gui::AnnotationLabel::isNumberFormat(own))
            format = own;
        else if (*own)
            vtkWarningMacro("GetLabelFormat: the distance format of " << (node->GetName() ? node->GetName() : "")
                                                                       << " is refused: " << own);
    }
    const char* name = node->GetName();
    if (name && *name)
        return Gui::AnnotationLabel::escapePercent(name) + " :" + format;
    return format;
}

double vtkMRMLAnnotationRulerDisplayableManager::ApplyUnit(double lengthInSceneUnits)
{
    vtkMRMLUnitNode* unit = GetLengthUnitNode();
    return unit ? unit->GetDisplayValueFromValue(lengthInSceneUnits) : lengthInSceneUnits;
}

void vtkMRMLAnnotationRulerDisplayableManager::OnBeforeRender()
{
    Superclass::OnBeforeRender();
    // Rulers already drawn take a changed number of decimals at their next render.
    const int decimals = preferredDecimals(-1);
    if (decimals == LabelDecimals)
        return;
    LabelDecimals = decimals;
    const std::vector<vtkMRMLAnnotationNode*> nodes = Helper->GetNodes();
    for (vtkMRMLAnnotationNode* node : nodes) {
        auto* ruler = vtkMRMLAnnotationRulerNode::SafeDownCast(node);
        auto* widget = ruler ? vtkAnnotationRulerWidget::SafeDownCast(Helper->GetWidget(ruler)) : nullptr;
        if (auto* representation = widget ? vtkDistanceRepresentation::SafeDownCast(widget->GetRepresentation()) : nullptr)
            representation->SetLabelFormat(GetLabelFormat(ruler).c_str());
    }
}

void vtkMRMLAnnotationRulerDisplayableManager::OnMRMLSelectionNodeUnitModifiedEvent(vtkMRMLNode* selectionNode)
{
    if (!selectionNode)
        return;
    // Copy: a propagation may touch the list.
    const std::vector<vtkMRMLAnnotationNode*> nodes = Helper->GetNodes();
    for (vtkMRMLAnnotationNode* node : nodes)
        if (vtkMRMLAnnotationRulerNode::SafeDownCast(node))
            node->Modified();
}

// ---------------------------------------------------------------------------------------
// Placement

void vtkMRMLAnnotationRulerDisplayableManager::OnClickInRenderWindow(double x, double y,
                                                                    const char* associatedNodeID)
{
    vtkMRMLScene* scene = GetMRMLScene();
    if (!scene || !IsCorrectDisplayableManager())
        return;
    PlaceSeed(x, y);
    if (!ClickCounter->HasEnoughClicks(2)) {
        GetDisplayToWorldCoordinates(x, y, LastClickWorldCoordinates);
        return;
    }
    PropagationScope building(this);
    double second[4] = {0.0, 0.0, 0.0, 1.0};
    GetDisplayToWorldCoordinates(x, y, second);

    vtkNew<vtkMRMLAnnotationRulerNode> node;
    node->SetPositionWorldCoordinates1(LastClickWorldCoordinates);
    node->SetPositionWorldCoordinates2(second);
    node->SetName(scene->GetUniqueNameByString("M").c_str());
    FinishPlacement(node, associatedNodeID);
}

// ---------------------------------------------------------------------------------------
// Widgets

vtkAbstractWidget* vtkMRMLAnnotationRulerDisplayableManager::CreateWidget(vtkMRMLAnnotationNode* node)
{
    if (!node) {
        vtkErrorMacro("CreateWidget: Node not set!");
        return nullptr;
    }
    auto* ruler = vtkMRMLAnnotationRulerNode::SafeDownCast(node);
    if (!ruler) {
        vtkErrorMacro("CreateWidget: Could not get ruler node!");
        return nullptr;
    }
    vtkMRMLAnnotationLineDisplayNode* line = ruler->GetAnnotationLineDisplayNode();
    const double tickSpacing = line ? line->GetTickSpacing() : 10.0;

    vtkAnnotationRulerWidget* widget = vtkAnnotationRulerWidget::New();
    vtkRenderWindowInteractor* interactor = GetInteractor();
    if (interactor && interactor->GetPickingManager() && !interactor->GetPickingManager()->GetEnabled())
        interactor->GetPickingManager()->EnabledOn();
    widget->SetInteractor(interactor);
    widget->SetCurrentRenderer(GetRenderer());
    vtkMRMLSliceNode* slice = GetSliceNode();
    widget->SetIs2DWidget(slice ? 1 : 0);

    if (slice) {
        vtkNew<vtkAnnotationRulerRepresentation> representation;
        vtkNew<vtkPointHandleRepresentation2D> handle;
        representation->SetHandleRepresentation(handle);
        representation->InstantiateHandleRepresentation();
        representation->GetAxis()->SetNumberOfMinorTicks(0);
        representation->GetAxis()->SetTickLength(6);
        representation->GetAxis()->SetTitlePosition(0.2);
        representation->RulerModeOn();
        representation->SetRulerDistance(ApplyUnit(tickSpacing));
        widget->SetRepresentation(representation);
        widget->SetWidgetStateToManipulate();
        if (interactor)
            widget->SetEnabled(IsWidgetDisplayable(slice, node) ? 1 : 0);
    } else {
        vtkNew<vtkAnnotationRulerRepresentation3D> representation;
        vtkNew<vtkPointHandleRepresentation3D> handle;
        representation->SetHandleRepresentation(handle);
        representation->InstantiateHandleRepresentation();
        representation->RulerModeOn();
        representation->SetRulerDistance(ApplyUnit(tickSpacing));
        widget->SetRepresentation(representation);
        widget->SetWidgetStateToManipulate();
        if (interactor)
            widget->On();
    }
    PropagateMRMLToWidget(node, widget);
    return widget;
}

void vtkMRMLAnnotationRulerDisplayableManager::OnWidgetCreated(vtkAbstractWidget* widget, vtkMRMLAnnotationNode* node)
{
    if (!Gui::AnnotationWidgets::haveWidgetAndNode(this, "OnWidgetCreated", widget, node))
        return;
    auto* ruler = vtkMRMLAnnotationRulerNode::SafeDownCast(node);
    if (!ruler) {
        vtkErrorMacro("OnWidgetCreated: Could not get rulerNode node");
        return;
    }
    vtkNew<vtkAnnotationRulerWidgetCallback> callback;
    callback->Widget = vtkAnnotationRulerWidget::SafeDownCast(widget);
    callback->Node = ruler;
    callback->Manager = this;
    widget->AddObserver(vtkCommand::StartInteractionEvent, callback);
    widget->AddObserver(vtkCommand::EndInteractionEvent, callback);
    widget->AddObserver(vtkCommand::InteractionEvent, callback);
    node->SaveView();
    HandOverToViewFeeder(node);
}

void vtkMRMLAnnotationRulerDisplayableManager::PropagateMRMLToWidget(vtkMRMLAnnotationNode* node,
                                                                     vtkAbstractWidget* widget)
{
    if (!Gui::AnnotationWidgets::haveWidgetAndNode(this, "PropagateMRMLToWidget", widget, node))
        return;
    auto* rulerWidget = vtkAnnotationRulerWidget::SafeDownCast(widget);
    if (!rulerWidget) {
        vtkErrorMacro("PropagateMRMLToWidget: Could not get ruler widget!");
        return;
    }
    auto* ruler = vtkMRMLAnnotationRulerNode::SafeDownCast(node);
    if (!ruler) {
        vtkErrorMacro("PropagateMRMLToWidget: Could not get ruler node!");
        return;
    }
    // Nested: UpdatePosition below raises and restores it again.
    PropagationScope propagating(this);

    double p1[4], p2[4];
    ruler->GetControlPointWorldCoordinates(0, p1);
    ruler->GetControlPointWorldCoordinates(1, p2);
    vtkMRMLAnnotationTextDisplayNode* text = ruler->GetAnnotationTextDisplayNode();
    vtkMRMLAnnotationPointDisplayNode* point = ruler->GetAnnotationPointDisplayNode();
    vtkMRMLAnnotationLineDisplayNode* line = ruler->GetAnnotationLineDisplayNode();
    const double distance = ApplyUnit(distanceOf(p1, p2));

    auto* representation = vtkDistanceRepresentation::SafeDownCast(rulerWidget->GetRepresentation());
    if (auto* flat = vtkAnnotationRulerRepresentation::SafeDownCast(representation)) {
        vtkAxisActor2D* axis = flat->GetAxis();
        if (text) {
            axis->GetTitleTextProperty()->SetFontSize(Gui::AnnotationLabel::fontSizeFromTextScale(text->GetTextScale()));
            axis->GetTitleTextProperty()->SetOpacity(text->GetOpacity());
            axis->SetTitleVisibility(text->GetVisibility());
        }
        flat->SetDistance(distance);
        auto* h1 = vtkPointHandleRepresentation2D::SafeDownCast(flat->GetPoint1Representation());
        auto* h2 = vtkPointHandleRepresentation2D::SafeDownCast(flat->GetPoint2Representation());
        if (h1 && h2 && point) {
            for (vtkPointHandleRepresentation2D* h : {h1, h2}) {
                h->GetProperty()->SetColor(colorOf(point, node));
                h->GetProperty()->SetOpacity(point->GetOpacity());
                h->SetHandleSize(point->GetGlyphScale());
            }
        }
        if (text) {
            axis->GetTitleTextProperty()->SetColor(colorOf(text, node));
            axis->GetLabelTextProperty()->SetColor(colorOf(text, node));
        }
        if (line) {
            if (vtkProperty2D* property = flat->GetLineProperty()) {
                property->SetColor(colorOf(line, node));
                property->SetLineWidth(static_cast<float>(line->GetLineThickness()));
                property->SetOpacity(line->GetOpacity());
            }
            axis->SetTitlePosition(line->GetLabelPosition());
            if (text && axis->GetLabelTextProperty())
                axis->GetLabelTextProperty()->SetOpacity(text->GetOpacity());
            axis->SetLabelVisibility(text && !text->GetVisibility() ? 0 : line->GetLabelVisibility());
            flat->SetRulerMode(line->GetMaxTicks() != 0);
            flat->SetNumberOfRulerTicks(line->GetMaxTicks());
            flat->SetRulerDistance(ApplyUnit(line->GetTickSpacing()));
        }
    } else if (auto* spatial = vtkAnnotationRulerRepresentation3D::SafeDownCast(representation)) {
        spatial->SetDistance(distance);
        if (line)
            spatial->SetLabelPosition(line->GetLabelPosition());
        if (text) {
            double scale[3] = {text->GetTextScale(), text->GetTextScale(), text->GetTextScale()};
            spatial->SetLabelScale(scale);
        }
        auto* h1 = vtkPointHandleRepresentation3D::SafeDownCast(spatial->GetPoint1Representation());
        auto* h2 = vtkPointHandleRepresentation3D::SafeDownCast(spatial->GetPoint2Representation());
        if (point) {
            for (vtkPointHandleRepresentation3D* h : {h1, h2}) {
                if (!h)
                    continue;
                h->GetProperty()->SetColor(colorOf(point, node));
                h->GetProperty()->SetOpacity(point->GetOpacity());
                h->SetHandleSize(point->GetGlyphScale());
            }
            spatial->SetGlyphScale(point->GetGlyphScale());
            spatial->GetGlyphActor()->GetProperty()->SetOpacity(point->GetOpacity());
            spatial->GetGlyphActor()->GetProperty()->SetColor(colorOf(point, node));
        }
        if (text) {
            spatial->GetLabelProperty()->SetColor(colorOf(text, node));
            spatial->GetLabelProperty()->SetOpacity(text->GetVisibility() ? text->GetOpacity() : 0.0);
        }
        if (line && spatial->GetLineProperty()) {
            spatial->GetLineProperty()->SetColor(colorOf(line, node));
            spatial->GetLineProperty()->SetLineWidth(static_cast<float>(line->GetLineThickness()));
            spatial->GetLineProperty()->SetOpacity(line->GetOpacity());
            spatial->SetRulerDistance(ApplyUnit(line->GetTickSpacing()));
            spatial->SetMaxTicks(line->GetMaxTicks());
        }
    }
    if (representation) {
        representation->NeedToRenderOn();
        representation->SetLabelFormat(GetLabelFormat(ruler).c_str());
    }
    UpdatePosition(widget, node);
    widget->Modified();
}

void vtkMRMLAnnotationRulerDisplayableManager::UpdatePosition(vtkAbstractWidget* widget, vtkMRMLNode* node)
{
    if (!Gui::AnnotationWidgets::haveWidgetAndNode(this, "UpdatePosition", widget, node))
        return;
    auto* rulerWidget = vtkAnnotationRulerWidget::SafeDownCast(widget);
    if (!rulerWidget) {
        vtkErrorMacro("UpdatePosition: Could not get ruler widget!");
        return;
    }
    auto* ruler = vtkMRMLAnnotationRulerNode::SafeDownCast(node);
    if (!ruler) {
        vtkErrorMacro("UpdatePosition: Could not get ruler node!");
        return;
    }
    PropagationScope propagating(this);
    double p1[4], p2[4];
    ruler->GetControlPointWorldCoordinates(0, p1);
    ruler->GetControlPointWorldCoordinates(1, p2);
    auto* representation = vtkDistanceRepresentation::SafeDownCast(rulerWidget->GetRepresentation());
    if (!representation)
        return;
    if (Is2DDisplayableManager()) {
        double target[3], current[3];
        GetWorldToDisplayCoordinates(p1, target);
        representation->GetPoint1DisplayPosition(current);
        if (GetDisplayCoordinatesChanged(current, target))
            representation->SetPoint1DisplayPosition(target);
        GetWorldToDisplayCoordinates(p2, target);
        representation->GetPoint2DisplayPosition(current);
        if (GetDisplayCoordinatesChanged(current, target))
            representation->SetPoint2DisplayPosition(target);
    } else {
        representation->SetPoint1WorldPosition(p1);
        representation->SetPoint2WorldPosition(p2);
        representation->NeedToRenderOn();
    }
    widget->Modified();
}

void vtkMRMLAnnotationRulerDisplayableManager::PropagateWidgetToMRML(vtkAbstractWidget* widget,
                                                                     vtkMRMLAnnotationNode* node)
{
    WriteWidgetToNode(widget, node, true);
}

void vtkMRMLAnnotationRulerDisplayableManager::WriteWidgetToNode(vtkAbstractWidget* widget,
                                                                 vtkMRMLAnnotationNode* node, bool finished)
{
    if (!Gui::AnnotationWidgets::haveWidgetAndNode(this, "PropagateWidgetToMRML", widget, node))
        return;
    auto* rulerWidget = vtkAnnotationRulerWidget::SafeDownCast(widget);
    if (!rulerWidget) {
        vtkErrorMacro("PropagateWidgetToMRML: Could not get ruler widget!");
        return;
    }
    auto* ruler = vtkMRMLAnnotationRulerNode::SafeDownCast(node);
    if (!ruler) {
        vtkErrorMacro("PropagateWidgetToMRML: Could not get ruler node!");
        return;
    }
    auto* representation = vtkDistanceRepresentation::SafeDownCast(rulerWidget->GetRepresentation());
    if (!representation)
        return;
    PropagationScope propagating(this);

    double w1[4] = {0.0, 0.0, 0.0, 1.0}, w2[4] = {0.0, 0.0, 0.0, 1.0};
    if (Is2DDisplayableManager()) {
        double d1[3], d2[3];
        representation->GetPoint1DisplayPosition(d1);
        representation->GetPoint2DisplayPosition(d2);
        GetDisplayToWorldCoordinates(d1, w1);
        GetDisplayToWorldCoordinates(d2, w2);
        if (auto* flat = vtkAnnotationRulerRepresentation::SafeDownCast(representation))
            flat->SetDistance(ApplyUnit(distanceOf(w1, w2)));
        const int* size = GetRenderer() && GetRenderer()->GetRenderWindow() ? GetRenderer()->GetRenderWindow()->GetSize()
                                                                             : nullptr;
        auto outside = [size](const double* d) {
            return size && (d[0] < 0 || d[0] > size[0] || d[1] < 0 || d[1] > size[1]);
        };
        // A handle off the view keeps the node's points; the label shows the new distance.
        if (outside(d1) || outside(d2))
            return;
    } else {
        representation->GetPoint1WorldPosition(w1);
        representation->GetPoint2WorldPosition(w2);
    }

    const int wasDisabled = node->GetDisableModifiedEvent();
    node->SetDisableModifiedEvent(1);
    double n1[4], n2[4];
    ruler->GetPositionWorldCoordinates1(n1);
    ruler->GetPositionWorldCoordinates2(n2);
    bool changed = false;
    if (GetWorldCoordinatesChanged(w1, n1)) {
        ruler->SetPositionWorldCoordinates1(w1);
        changed = true;
    }
    if (GetWorldCoordinatesChanged(w2, n2)) {
        ruler->SetPositionWorldCoordinates2(w2);
        changed = true;
    }
    // The node follows each step (its observers redraw); the scene hears of the change once,
    // when the drag ends.
    Gui::AnnotationWidgets::finishNodeWrite(node, wasDisabled, changed, finished);
}
