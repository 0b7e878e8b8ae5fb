#include "vtkMRMLAnnotationFiducialDisplayableManager.h"

#include "vtkAnnotationWidgetCallback.h"

#include "vtkAnnotationGlyphSource2D.h"
#include "vtkMRMLAnnotationDisplayableManagerHelper.h"
#include "vtkMRMLAnnotationFiducialNode.h"
#include "vtkMRMLAnnotationPointDisplayNode.h"
#include "vtkMRMLAnnotationTextDisplayNode.h"

#include <mrml/vtkMRMLInteractionNode.h>
#include <mrml/vtkMRMLScene.h>
#include <mrml/vtkMRMLSliceNode.h>
#include <vexil/MsgConsole.h>

#include <vtkCommand.h>
#include <vtkFollower.h>
#include <vtkHandleWidget.h>
#include <vtkWidgetRepresentation.h>
#include <vtkObjectFactory.h>
#include <vtkOrientedPolygonalHandleRepresentation3D.h>
#include <vtkPointHandleRepresentation2D.h>
#include <vtkPolyData.h>
#include <vtkProperty.h>
#include <vtkProperty2D.h>
#include <vtkRenderWindowInteractor.h>
#include <vtkRenderer.h>
#include <vtkSeedRepresentation.h>
#include <vtkSeedWidget.h>
#include <vtkSphereSource.h>

#include <cmath>
#include <cstring>
#include <ostream>

vtkStandardNewMacro(vtkMRMLAnnotationFiducialDisplayableManager);

namespace {

vtkHandleRepresentation* firstHandle(vtkSeedRepresentation* representation)
{
    return representation && representation->GetNumberOfSeeds() > 0 ? representation->GetHandleRepresentation(0)
                                                                      : nullptr;
}

// Turns a seed widget's interaction into node updates.
class vtkAnnotationFiducialWidgetCallback : public vtkCommand
{
public:
    static vtkAnnotationFiducialWidgetCallback* New() { return new vtkAnnotationFiducialWidgetCallback; }

    void Execute(vtkObject*, unsigned long event, void*) override
    {
        if (!Widget || !Node || !Manager)
            return;
        if (Manager->Is2DDisplayableManager()) {
            vtkMRMLSliceNode* slice = Manager->GetSliceNode();
            const int wasDisabled = Node->GetDisableModifiedEvent();
            Node->SetDisableModifiedEvent(1);
            const char* layout = slice && slice->GetLayoutName() ? slice->GetLayoutName() : "";
            const char* moving = Node->GetAttribute("Annotations.MovingInSliceView");
            if (Widget->GetWidgetState() == vtkSeedWidget::MovingSeed)
                Node->SetAttribute("Annotations.MovingInSliceView", layout);
            else if (moving && std::strcmp(moving, layout) == 0)
                Node->RemoveAttribute("Annotations.MovingInSliceView");
            Node->SetDisableModifiedEvent(wasDisabled);

            auto* representation = vtkSeedRepresentation::SafeDownCast(Widget->GetRepresentation());
            vtkHandleRepresentation* handle = firstHandle(representation);
            if (handle) {
                double display[3], clamped[3];
                handle->GetDisplayPosition(display);
                for (int i = 0; i < 3; ++i)
                    clamped[i] = display[i];
                Manager->RestrictDisplayCoordinatesToViewport(clamped);
                vtkRenderer* renderer = representation->GetRenderer();
                if (Manager->GetDisplayCoordinatesChanged(display, clamped) && renderer &&
                    renderer->GetActiveCamera())
                    handle->SetDisplayPosition(clamped);
            }
        }
        // Undo brings back the point as it was before the drag.
        if (event == vtkCommand::StartInteractionEvent && Node->GetScene())
            Node->GetScene()->SaveStateForUndo(Node);
        Manager->PropagateWidgetToMRML(Widget, Node);
    }

    vtkSeedWidget* Widget = nullptr;
    vtkMRMLAnnotationNode* Node = nullptr;
    vtkMRMLAnnotationDisplayableManager* Manager = nullptr;
};

} // namespace

vtkMRMLAnnotationFiducialDisplayableManager::vtkMRMLAnnotationFiducialDisplayableManager()
{
    Focus = "vtkMRMLAnnotationFiducialNode";
}

vtkMRMLAnnotationFiducialDisplayableManager::~vtkMRMLAnnotationFiducialDisplayableManager()
{
    AppliedGlyphTypes.clear();
}

void vtkMRMLAnnotationFiducialDisplayableManager::PrintSelf(ostream& os, vtkIndent indent)
{
    Superclass::PrintSelf(os, indent);
}

void vtkMRMLAnnotationFiducialDisplayableManager::OnMRMLSceneEndClose()
{
    AppliedGlyphTypes.clear();
    // The widgets of the closed scene's fiducials go with it.
    Superclass::OnMRMLSceneEndClose();
}

void vtkMRMLAnnotationFiducialDisplayableManager::AdditionalInitializeStep()
{
    Superclass::AdditionalInitializeStep();
    AddInteractorClickEvent(vtkCommand::KeyPressEvent);
}

void vtkMRMLAnnotationFiducialDisplayableManager::OnInteractorStyleEvent(int eventId)
{
    Superclass::OnInteractorStyleEvent(eventId);
    if (GetDisableInteractorStyleEventsProcessing()) {
        vtkWarningMacro("OnInteractorStyleEvent: Processing of events was disabled.");
        return;
    }
    if (eventId != vtkCommand::KeyPressEvent)
        return;
    vtkRenderWindowInteractor* interactor = GetInteractor();
    const char* key = interactor ? interactor->GetKeySym() : nullptr;
    vtkMRMLInteractionNode* interaction = GetInteractionNode();
    if (key && std::strcmp(key, "p") == 0 && interaction &&
        interaction->GetCurrentInteractionMode() == vtkMRMLInteractionNode::Place)
        OnClickInRenderWindowGetCoordinates();
}

void vtkMRMLAnnotationFiducialDisplayableManager::OnClickInRenderWindow(double x, double y,
                                                                        const char* associatedNodeID)
{
    vtkMRMLScene* scene = GetMRMLScene();
    if (!scene || !IsCorrectDisplayableManager())
        return;
    vtkSmartPointer<vtkMRMLAnnotationFiducialNode> node;
    {
        PropagationScope building(this);
        double world[4] = {0.0, 0.0, 0.0, 1.0};
        GetDisplayToWorldCoordinates(x, y, world);
        node = vtkSmartPointer<vtkMRMLAnnotationFiducialNode>::New();
        node->SetControlPointWorldCoordinates(0, world, 1, 1);
        node->SetName(scene->GetUniqueNameByString("F").c_str());
    }
    FinishPlacement(node, associatedNodeID);
}

vtkAbstractWidget* vtkMRMLAnnotationFiducialDisplayableManager::CreateWidget(vtkMRMLAnnotationNode* node)
{
    SetScaleFactor2D(0.01667);
    if (!node) {
        vtkErrorMacro("CreateWidget: Node not set!");
        return nullptr;
    }
    auto* fiducial = vtkMRMLAnnotationFiducialNode::SafeDownCast(node);
    if (!fiducial) {
        vtkErrorMacro("CreateWidget: Could not get fiducial node!");
        return nullptr;
    }
    vtkMRMLAnnotationPointDisplayNode* display = fiducial->GetAnnotationPointDisplayNode();
    if (!display) {
        Vexil::MsgConsoleSingleton::Instance().Warning("No DisplayNode!\n");
    } else {
        const auto entry = AppliedGlyphTypes.find(display);
        if (entry != AppliedGlyphTypes.end())
            entry->second = 0;
    }

    vtkNew<vtkSeedRepresentation> representation;
    vtkRenderer* renderer = GetRenderer();
    if (IsInLightboxMode()) {
        // A pane shows one slice flat: a flat handle, in the pane of the fiducial's slice.
        vtkNew<vtkPointHandleRepresentation2D> handle;
        representation->SetHandleRepresentation(handle);
        renderer = GetLightboxRenderer(GetLightboxIndex(node, 0));
    } else {
        vtkNew<vtkOrientedPolygonalHandleRepresentation3D> handle;
        vtkNew<vtkAnnotationGlyphSource2D> glyph;
        glyph->SetGlyphType(13);
        glyph->SetScale(1.0);
        glyph->Update();
        handle->SetHandle(glyph->GetOutput());
        representation->SetHandleRepresentation(handle);
    }

    vtkSeedWidget* widget = vtkSeedWidget::New();
    widget->CreateDefaultRepresentation();
    widget->SetRepresentation(representation);
    widget->SetInteractor(GetInteractor());
    widget->SetCurrentRenderer(renderer);
    representation->SetRenderer(renderer);
    if (vtkHandleWidget* seed = widget->CreateNewHandle()) {
        // Its own renderer: else it takes the light-box pane under the last event.
        seed->SetCurrentRenderer(renderer);
        seed->GetRepresentation()->SetRenderer(renderer);
    } else {
        vtkErrorMacro("CreateWidget: error creaing a new handle!");
    }

    PropagateMRMLToWidget(node, widget);

    if (vtkMRMLSliceNode* slice = GetSliceNode())
        widget->SetEnabled(IsWidgetDisplayable(slice, node) ? 1 : 0);
    else if (GetInteractor())
        widget->On();
    widget->CompleteInteraction();
    return widget;
}

void vtkMRMLAnnotationFiducialDisplayableManager::OnWidgetCreated(vtkAbstractWidget* widget,
                                                                   vtkMRMLAnnotationNode* node)
{
    if (!Gui::AnnotationWidgets::haveWidgetAndNode(this, "OnWidgetCreated", widget, node))
        return;
    vtkNew<vtkAnnotationFiducialWidgetCallback> callback;
    callback->Widget = vtkSeedWidget::SafeDownCast(widget);
    callback->Node = node;
    callback->Manager = this;
    widget->AddObserver(vtkCommand::StartInteractionEvent, callback);
    widget->AddObserver(vtkCommand::EndInteractionEvent, callback);
    widget->AddObserver(vtkCommand::InteractionEvent, callback);
    node->SaveView();
    HandOverToViewFeeder(node);
}

void vtkMRMLAnnotationFiducialDisplayableManager::PropagateMRMLToWidget(vtkMRMLAnnotationNode* node,
                                                                         vtkAbstractWidget* widget)
{
    if (!Gui::AnnotationWidgets::haveWidgetAndNode(this, "PropagateMRMLToWidget", widget, node))
        return;
    auto* seedWidget = vtkSeedWidget::SafeDownCast(widget);
    if (!seedWidget) {
        vtkErrorMacro("PropagateMRMLToWidget: Could not get seed widget!");
        return;
    }
    auto* fiducial = vtkMRMLAnnotationFiducialNode::SafeDownCast(node);
    if (!fiducial) {
        vtkErrorMacro("PropagateMRMLToWidget: Could not get fiducial node!");
        return;
    }
    auto* representation = vtkSeedRepresentation::SafeDownCast(seedWidget->GetRepresentation());
    if (!representation) {
        vtkErrorMacro("PropagateMRMLToWidget: Could not get seed representation from widget!");
        return;
    }
    PropagationScope propagating(this);
    vtkMRMLSliceNode* slice = GetSliceNode();
    double diagonal = 1.0;
    if (slice) {
        const int* size = slice->GetDimensions();
        const double length = std::sqrt(double(size[0]) * size[0] + double(size[1]) * size[1]);
        if (length > 0.0)
            diagonal = 707.1 / length;
    }
    auto* handle = vtkOrientedPolygonalHandleRepresentation3D::SafeDownCast(firstHandle(representation));
    auto* flatHandle = vtkPointHandleRepresentation2D::SafeDownCast(firstHandle(representation));
    const bool lightbox = IsInLightboxMode();
    if ((handle && lightbox) || (flatHandle && !lightbox)) {
        // The view went into or out of light-box mode: the widget is made again with the
        // handle that suits it.
        vtkSmartPointer<vtkAbstractWidget> keepAlive = widget;
        Helper->RemoveWidgetAndNode(node);
        vtkAbstractWidget* rebuilt = AddAnnotation(node) ? Helper->GetWidget(node) : nullptr;
        if (rebuilt)
            PropagateMRMLToWidget(node, rebuilt);
        else
            vtkWarningMacro("PropagateMRMLToWidget: failed to add a new widget for node "
                            << (node->GetName() ? node->GetName() : ""));
        return;
    }
    vtkMRMLAnnotationPointDisplayNode* display = fiducial->GetAnnotationPointDisplayNode();
    const bool selected = node->GetSelected() != 0;
    if (lightbox && flatHandle && display)
        flatHandle->GetProperty()->SetColor(selected ? display->GetSelectedColor() : display->GetColor());
    if (handle && display) {
        const int type = display->GetGlyphType();
        auto entry = AppliedGlyphTypes.find(display);
        if (entry == AppliedGlyphTypes.end() || entry->second != type) {
            vtkSmartPointer<vtkPolyData> shape;
            if (type == vtkMRMLAnnotationPointDisplayNode::Sphere3D && !slice) {
                vtkNew<vtkSphereSource> sphere;
                sphere->SetRadius(0.5);
                sphere->SetThetaResolution(10);
                sphere->SetPhiResolution(10);
                sphere->Update();
                shape = sphere->GetOutput();
            } else {
                int glyphType = type;
                if (vtkMRMLAnnotationPointDisplayNode::GlyphTypeIs3D(type))
                    glyphType = !slice ? 8 : type == 13 ? 7 : type == 14 ? 8 : 12;
                vtkNew<vtkAnnotationGlyphSource2D> glyph;
                glyph->SetGlyphType(glyphType);
                glyph->SetScale(1.0);
                glyph->Update();
                shape = glyph->GetOutput();
            }
            handle->SetHandle(shape);
            AppliedGlyphTypes[display] = type;
        }
        vtkProperty* property = handle->GetProperty();
        property->SetColor(selected ? display->GetSelectedColor() : display->GetColor());
        property->SetOpacity(display->GetOpacity());
        property->SetAmbient(display->GetAmbient());
        property->SetDiffuse(display->GetDiffuse());
        property->SetSpecular(display->GetSpecular());
        const double scale = display->GetGlyphScale();
        handle->SetUniformScale(slice ? scale * GetScaleFactor2D() * diagonal : scale);
    }
    if (handle) {
        const char* name = node->GetName();
        if (!name) {
            handle->LabelVisibilityOff();
        } else {
            const char* current = handle->GetLabelText();
            if (!current || std::strcmp(current, name) != 0)
                handle->SetLabelText(name);
            if (vtkMRMLAnnotationTextDisplayNode* text = node->GetAnnotationTextDisplayNode()) {
                double s = text->GetTextScale();
                if (slice)
                    s *= GetScaleFactor2D() * diagonal;
                handle->SetLabelTextScale(s, s, s);
                if (vtkFollower* label = handle->GetLabelTextActor()) {
                    label->GetProperty()->SetColor(selected ? text->GetSelectedColor() : text->GetColor());
                    label->GetProperty()->SetOpacity(text->GetOpacity());
                }
            }
            handle->LabelVisibilityOn();
        }
    }
    UpdatePosition(widget, node);
    Helper->UpdateLocked(node);
    Helper->UpdateVisible(node, slice ? IsWidgetDisplayable(slice, node) : true);
    representation->NeedToRenderOn();
    widget->Modified();
}

void vtkMRMLAnnotationFiducialDisplayableManager::PropagateWidgetToMRML(vtkAbstractWidget* widget,
                                                                         vtkMRMLAnnotationNode* node)
{
    if (!Gui::AnnotationWidgets::haveWidgetAndNode(this, "PropagateWidgetToMRML", widget, node))
        return;
    auto* seedWidget = vtkSeedWidget::SafeDownCast(widget);
    if (!seedWidget) {
        vtkErrorMacro("PropagateWidgetToMRML: Could not get seed widget!");
        return;
    }
    if (seedWidget->GetWidgetState() != vtkSeedWidget::MovingSeed) {
        node->InvokePendingModifiedEvent();
        return;
    }
    auto* fiducial = vtkMRMLAnnotationFiducialNode::SafeDownCast(node);
    if (!fiducial) {
        vtkErrorMacro("PropagateWidgetToMRML: Could not get fiducial node!");
        return;
    }
    auto* representation = vtkSeedRepresentation::SafeDownCast(seedWidget->GetRepresentation());
    vtkHandleRepresentation* handle = firstHandle(representation);
    if (!handle)
        return;
    PropagationScope propagating(this);
    node->SetDisableModifiedEvent(1);
    double seed[4] = {0.0, 0.0, 0.0, 1.0};
    if (Is2DDisplayableManager()) {
        double display[3];
        handle->GetDisplayPosition(display);
        GetDisplayToWorldCoordinates(display, seed);
    } else {
        handle->GetWorldPosition(seed);
    }
    double current[4];
    fiducial->GetControlPointWorldCoordinates(0, current);
    const bool changed = GetWorldCoordinatesChanged(current, seed);
    if (changed) {
        fiducial->SetControlPointWorldCoordinates(0, seed, 1, 1);
        fiducial->SaveView();
    }
    node->SetDisableModifiedEvent(0);
    if (changed) {
        node->Modified();
        if (vtkMRMLScene* scene = node->GetScene())
            scene->InvokeEvent(vtkCommand::ModifiedEvent, node);
    }
}

void vtkMRMLAnnotationFiducialDisplayableManager::UpdatePosition(vtkAbstractWidget* widget, vtkMRMLNode* node)
{
    if (!node)
        return;
    auto* points = vtkMRMLAnnotationControlPointsNode::SafeDownCast(node);
    if (!points) {
        vtkErrorMacro("UpdatePosition - Can not access control points node from node with id "
                      << (node->GetID() ? node->GetID() : ""));
        return;
    }
    if (!widget) {
        vtkErrorMacro("UpdatePosition: no widget associated with points node "
                      << (node->GetID() ? node->GetID() : ""));
        return;
    }
    auto* seedWidget = vtkSeedWidget::SafeDownCast(widget);
    if (!seedWidget) {
        vtkErrorMacro("UpdatePosition: Could not get seed widget!");
        return;
    }
    auto* representation = vtkSeedRepresentation::SafeDownCast(seedWidget->GetRepresentation());
    vtkHandleRepresentation* handle = firstHandle(representation);
    if (!handle)
        return;
    double world[4];
    points->GetControlPointWorldCoordinates(0, world);
    if (Is2DDisplayableManager()) {
        double target[3], display[3];
        GetWorldToDisplayCoordinates(world, target);
        handle->GetDisplayPosition(display);
        if (!GetDisplayCoordinatesChanged(display, target))
            return;
        vtkRenderer* renderer = representation->GetRenderer();
        if (renderer && renderer->GetActiveCamera())
            handle->SetDisplayPosition(target);
    } else {
        double position[3];
        handle->GetWorldPosition(position);
        if (!GetWorldCoordinatesChanged(position, world))
            return;
        handle->SetWorldPosition(world);
    }
    if (!PropagatingFromWidget) {
        representation->NeedToRenderOn();
        seedWidget->Modified();
    }
}
