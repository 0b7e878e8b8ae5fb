#include "vtkAnnotationWidgetCallback.h"

#include "vtkMRMLAnnotationDisplayableManager.h"
#include "vtkMRMLAnnotationNode.h"

#include <mrml/vtkMRMLScene.h>

#include <vtkAbstractWidget.h>
#include <vtkHandleRepresentation.h>

#include <algorithm>

void vtkAnnotationWidgetCallback::Execute(vtkObject*, unsigned long event, void*)
{
    if (!Widget || !Node || !Manager)
        return;
    if (event == vtkCommand::StartInteractionEvent) {
        // Undo brings back the annotation as it was before the drag.
        if (vtkMRMLScene* scene = Node->GetScene())
            scene->SaveStateForUndo(Node);
        return;
    }
    if (event == vtkCommand::InteractionEvent || event == vtkCommand::EndInteractionEvent)
        Step(event == vtkCommand::EndInteractionEvent);
}

void vtkAnnotationWidgetCallback::Observe(vtkAbstractWidget* widget, vtkMRMLAnnotationNode* node,
                                          vtkMRMLAnnotationDisplayableManager* manager, bool everyStep)
{
    Widget = widget;
    Node = node;
    Manager = manager;
    widget->AddObserver(vtkCommand::StartInteractionEvent, this);
    widget->AddObserver(vtkCommand::EndInteractionEvent, this);
    if (everyStep)
        widget->AddObserver(vtkCommand::InteractionEvent, this);
}

namespace Gui {
namespace AnnotationWidgets {

void keepInViewport(vtkMRMLAnnotationDisplayableManager* manager, vtkHandleRepresentation* handle)
{
    if (!manager || !handle)
        return;
    double display[3], clamped[3];
    handle->GetDisplayPosition(display);
    std::copy(display, display + 3, clamped);
    manager->RestrictDisplayCoordinatesToViewport(clamped);
    if (manager->GetDisplayCoordinatesChanged(display, clamped))
        handle->SetDisplayPosition(clamped);
}

bool haveWidgetAndNode(vtkMRMLAnnotationDisplayableManager* manager, const char* operation, vtkAbstractWidget* widget,
                       vtkMRMLNode* node)
{
    if (!widget) {
        vtkErrorWithObjectMacro(manager, << operation << ": Widget was null!");
        return false;
    }
    if (!node) {
        vtkErrorWithObjectMacro(manager, << operation << ": MRML node was null!");
        return false;
    }
    return true;
}

void finishNodeWrite(vtkMRMLAnnotationNode* node, int wasDisabled, bool changed, bool finished)
{
    if (finished)
        node->SaveView();
    node->SetDisableModifiedEvent(wasDisabled);
    if (changed || finished)
        node->Modified();
    if (finished)
        if (vtkMRMLScene* scene = node->GetScene())
            scene->InvokeEvent(vtkCommand::ModifiedEvent, node);
}

} // namespace AnnotationWidgets
} // namespace Gui
