#include "vtkMRMLAnnotationTextDisplayableManager.h"

#include "AnnotationLabelFormat.h"
#include "vtkAnnotationWidgetCallback.h"
#include "vtkMRMLAnnotationTextDisplayNode.h"
#include "vtkMRMLAnnotationTextNode.h"

#include <mrml/vtkMRMLInteractionNode.h>
#include <mrml/vtkMRMLScene.h>

#include <vtkCaptionActor2D.h>
#include <vtkCaptionRepresentation.h>
#include <vtkCaptionWidget.h>
#include <vtkCommand.h>
#include <vtkCoordinate.h>
#include <vtkNew.h>
#include <vtkObjectFactory.h>
#include <vtkRenderer.h>
#include <vtkTextActor.h>
#include <vtkTextProperty.h>

#include <algorithm>
#include <ostream>

vtkStandardNewMacro(vtkMRMLAnnotationTextDisplayableManager);

namespace {

vtkCaptionRepresentation* captionOf(vtkAbstractWidget* widget);

// The caption's node follows once per drag, at its end; in a slice view the caption's
// anchor stays inside the viewport.
class vtkAnnotationTextWidgetCallback : public vtkAnnotationWidgetCallback
{
public:
    static vtkAnnotationTextWidgetCallback* New() { return new vtkAnnotationTextWidgetCallback; }

protected:
    void Step(bool) override
    {
        vtkCaptionRepresentation* representation = captionOf(Widget);
        vtkCaptionActor2D* caption = representation ? representation->GetCaptionActor2D() : nullptr;
        if (caption && Manager->Is2DDisplayableManager()) {
            vtkCoordinate* point = caption->GetAttachmentPointCoordinate();
            const double* d = point->GetComputedDoubleDisplayValue(representation->GetRenderer());
            double display[3] = {d[0], d[1], 0.0}, clamped[3] = {d[0], d[1], 0.0};
            Manager->RestrictDisplayCoordinatesToViewport(clamped);
            if (Manager->GetDisplayCoordinatesChanged(display, clamped)) {
                point->SetCoordinateSystemToDisplay();
                point->SetValue(clamped);
            }
        }
        Manager->PropagateWidgetToMRML(Widget, Node);
    }
};

vtkCaptionRepresentation* captionOf(vtkAbstractWidget* widget)
{
    auto* caption = vtkCaptionWidget::SafeDownCast(widget);
    return caption ? vtkCaptionRepresentation::SafeDownCast(caption->GetRepresentation()) : nullptr;
}

} // namespace

vtkMRMLAnnotationTextDisplayableManager::vtkMRMLAnnotationTextDisplayableManager()
{
    Focus = "vtkMRMLAnnotationTextNode";
}

void vtkMRMLAnnotationTextDisplayableManager::PrintSelf(ostream& os, vtkIndent indent)
{
    Superclass::PrintSelf(os, indent);
}

void vtkMRMLAnnotationTextDisplayableManager::BestGuessForNewCaptionCoordinates(double xy[2])
{
    xy[0] = xy[1] = 0.05;
    vtkMRMLScene* scene = GetMRMLScene();
    if (!scene)
        return;
    static const double places[5][2] = {{0.8, 0.8}, {0.05, 0.8}, {0.8, 0.05}, {0.2, 0.2}, {0.5, 0.5}};
    const int n = scene->GetNumberOfNodesByClass("vtkMRMLAnnotationTextNode") % 5;
    xy[0] = places[n][0];
    xy[1] = places[n][1];
}

void vtkMRMLAnnotationTextDisplayableManager::OnClickInRenderWindow(double x, double y, const char* associatedNodeID)
{
    vtkMRMLScene* scene = GetMRMLScene();
    if (!scene || !IsCorrectDisplayableManager())
        return;
    vtkNew<vtkMRMLAnnotationTextNode> node;
    {
        PropagationScope building(this);
        double world[4] = {0.0, 0.0, 0.0, 1.0};
        GetDisplayToWorldCoordinates(x, y, world);
        node->SetTextCoordinates(world);
        double caption[2];
        BestGuessForNewCaptionCoordinates(caption);
        node->SetCaptionCoordinates(caption);
        node->SetTextLabel("New text");
        node->SetName(scene->GetUniqueNameByString("T").c_str());
    }
    FinishPlacement(node, associatedNodeID);
}

vtkAbstractWidget* vtkMRMLAnnotationTextDisplayableManager::CreateWidget(vtkMRMLAnnotationNode* node)
{
    if (!node) {
        vtkErrorMacro("CreateWidget: Node not set!");
        return nullptr;
    }
    if (!vtkMRMLAnnotationTextNode::SafeDownCast(node)) {
        vtkErrorMacro("CreateWidget: Could not get text node!");
        return nullptr;
    }
    vtkCaptionWidget* widget = vtkCaptionWidget::New();
    vtkNew<vtkCaptionRepresentation> representation;
    // The caption's text keeps the size its display node asks for instead of filling the box.
    representation->SetFontFactor(1.0);
    if (vtkCaptionActor2D* caption = representation->GetCaptionActor2D()) {
        if (vtkTextActor* text = caption->GetTextActor()) {
            text->SetTextScaleModeToNone();
            for (vtkTextProperty* property : {text->GetTextProperty(), caption->GetCaptionTextProperty()}) {
                property->SetFontFamilyToTimes();
                property->ShadowOff();
                property->ItalicOff();
            }
        }
    }
    widget->SetInteractor(GetInteractor());
    widget->SetRepresentation(representation);
    if (GetInteractor())
        widget->On();
    PropagateMRMLToWidget(node, widget);
    return widget;
}

void vtkMRMLAnnotationTextDisplayableManager::OnWidgetCreated(vtkAbstractWidget* widget, vtkMRMLAnnotationNode* node)
{
    if (!Gui::AnnotationWidgets::haveWidgetAndNode(this, "OnWidgetCreated", widget, node))
        return;
    vtkNew<vtkAnnotationTextWidgetCallback> callback;
    callback->Observe(widget, node, this, false);
    node->SaveView();
}

void vtkMRMLAnnotationTextDisplayableManager::PropagateMRMLToWidget(vtkMRMLAnnotationNode* node,
                                                                    vtkAbstractWidget* widget)
{
    if (!Gui::AnnotationWidgets::haveWidgetAndNode(this, "PropagateMRMLToWidget", widget, node))
        return;
    vtkCaptionRepresentation* representation = captionOf(widget);
    if (!representation) {
        vtkErrorMacro("PropagateMRMLToWidget: Could not get caption widget!");
        return;
    }
    auto* text = vtkMRMLAnnotationTextNode::SafeDownCast(node);
    if (!text) {
        vtkErrorMacro("PropagateMRMLToWidget: Could not get text node!");
        return;
    }
    PropagationScope propagating(this);
    vtkMRMLAnnotationTextDisplayNode* display = text->GetAnnotationTextDisplayNode();
    if (!display) {
        text->CreateAnnotationTextDisplayNode();
        display = text->GetAnnotationTextDisplayNode();
    }
    if (!display) {
        vtkErrorMacro("PropagateMRMLToWidget: Error creating a new text display node for text node "
                      << (node->GetID() ? node->GetID() : ""));
        return;
    }
    vtkCaptionActor2D* caption = representation->GetCaptionActor2D();
    caption->SetThreeDimensionalLeader(Is2DDisplayableManager() ? 0 : display->GetUseThreeDimensionalLeader());
    std::string label = text->GetText(0);
    if (display->GetUseLineWrap())
        label = display->GetLineWrappedText(label);
    caption->SetCaption(label.c_str());
    const int fontSize = Gui::AnnotationLabel::fontSizeFromTextScale(display->GetTextScale());
    const double* color = node->GetSelected() ? display->GetSelectedColor() : display->GetColor();
    for (vtkTextProperty* property : {caption->GetTextActor()->GetTextProperty(), caption->GetCaptionTextProperty()}) {
        property->SetFontSize(fontSize);
        property->SetColor(color[0], color[1], color[2]);
    }
    caption->SetBorder(display->GetShowBorder());
    caption->SetLeader(display->GetShowLeader());
    if (display->GetShowLeader()) {
        caption->SetLeaderGlyphSize(display->GetShowArrowHead() ? display->GetLeaderGlyphSize() : 0.0);
        caption->SetMaximumLeaderGlyphSize(display->GetMaximumLeaderGlyphSize());
    }
    caption->SetPadding(display->GetPadding());
    caption->SetAttachEdgeOnly(display->GetAttachEdgeOnly());
    UpdatePosition(widget, node);
    representation->NeedToRenderOn();
    widget->Modified();
}

void vtkMRMLAnnotationTextDisplayableManager::UpdatePosition(vtkAbstractWidget* widget, vtkMRMLNode* node)
{
    if (!Gui::AnnotationWidgets::haveWidgetAndNode(this, "UpdatePosition", widget, node))
        return;
    vtkCaptionRepresentation* representation = captionOf(widget);
    if (!representation) {
        vtkErrorMacro("UpdatePosition: Could not get caption widget!");
        return;
    }
    auto* text = vtkMRMLAnnotationTextNode::SafeDownCast(node);
    if (!text || text->GetNumberOfControlPoints() < 1)
        return;
    double anchor[4];
    text->GetControlPointWorldCoordinates(0, anchor);
    if (const double* position = text->GetCaptionCoordinates())
        representation->SetPosition(position[0], position[1]);
    if (Is2DDisplayableManager()) {
        double display[3];
        GetWorldToDisplayCoordinates(anchor, display);
        vtkCoordinate* point = representation->GetCaptionActor2D()->GetAttachmentPointCoordinate();
        point->SetCoordinateSystemToDisplay();
        point->SetValue(display);
    } else {
        representation->SetAnchorPosition(anchor);
    }
}

void vtkMRMLAnnotationTextDisplayableManager::PropagateWidgetToMRML(vtkAbstractWidget* widget,
                                                                    vtkMRMLAnnotationNode* node)
{
    if (!Gui::AnnotationWidgets::haveWidgetAndNode(this, "PropagateWidgetToMRML", widget, node))
        return;
    vtkCaptionRepresentation* representation = captionOf(widget);
    if (!representation) {
        vtkErrorMacro("PropagateWidgetToMRML: Could not get text widget!");
        return;
    }
    auto* text = vtkMRMLAnnotationTextNode::SafeDownCast(node);
    if (!text) {
        vtkErrorMacro("PropagateWidgetToMRML: Could not get text node!");
        return;
    }
    PropagationScope propagating(this);
    const int wasDisabled = text->GetDisableModifiedEvent();
    text->SetDisableModifiedEvent(1);
    double anchor[3];
    representation->GetAnchorPosition(anchor);
    text->SetTextCoordinates(anchor);
    const double* p = representation->GetPosition();
    if (p[0] >= 0.0 && p[0] <= 1.0 && p[1] >= 0.0 && p[1] <= 1.0)
        text->SetCaptionCoordinates(p[0], p[1]);
    else
        vtkErrorMacro("PropagateWidgetToMRML: caption position from widget is not in normalised viewport "
                      "coordinates: "
                      << p[0] << ", " << p[1]);
    if (!text->GetAnnotationTextDisplayNode())
        text->CreateAnnotationTextDisplayNode();
    if (!text->GetAnnotationTextDisplayNode()) {
        vtkErrorMacro("PropagateWidgetToMRML: error creating a text display node for text node "
                      << (node->GetID() ? node->GetID() : ""));
        text->SetDisableModifiedEvent(wasDisabled);
        return;
    }
    text->SaveView();
    text->SetDisableModifiedEvent(wasDisabled);
    text->Modified();
    if (vtkMRMLScene* scene = text->GetScene())
        scene->InvokeEvent(vtkCommand::ModifiedEvent, text);
}
