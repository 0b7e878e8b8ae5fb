#pragma once
// What the annotation managers share in turning a widget's interaction into node updates:
// the command that observes the widget, and the checks and clamps of its steps.

#include "PelmoraGuiExport.h"

#include <vtkCommand.h>

class vtkAbstractWidget;
class vtkHandleRepresentation;
class vtkMRMLAnnotationDisplayableManager;
class vtkMRMLAnnotationNode;
class vtkMRMLNode;

// Observes a widget: the start of a drag takes one undo state of the node, each step of
// the drag (when asked for) and its end go to Step. Neither pointer is owned; the widget
// owns the command.
class PELMORAGUI_EXPORT vtkAnnotationWidgetCallback : public vtkCommand
{
public:
    void Execute(vtkObject* caller, unsigned long event, void* callData) override;
    void Observe(vtkAbstractWidget* widget, vtkMRMLAnnotationNode* node, vtkMRMLAnnotationDisplayableManager* manager,
                 bool everyStep);

protected:
    virtual void Step(bool finished) = 0;

    vtkAbstractWidget* Widget = nullptr;
    vtkMRMLAnnotationNode* Node = nullptr;
    vtkMRMLAnnotationDisplayableManager* Manager = nullptr;
};

namespace Gui {
namespace AnnotationWidgets {

// Keeps the handle's display position inside the manager's viewport.
PELMORAGUI_EXPORT void keepInViewport(vtkMRMLAnnotationDisplayableManager* manager, vtkHandleRepresentation* handle);
// Reports "<operation>: Widget was null!" or "<operation>: MRML node was null!" through the
// manager; true when both are given.
PELMORAGUI_EXPORT bool haveWidgetAndNode(vtkMRMLAnnotationDisplayableManager* manager, const char* operation,
                                         vtkAbstractWidget* widget, vtkMRMLNode* node);

// Ends a write of a widget into its node, whose modified events were switched off: a
// finished drag saves the view; the events come back on; the node's observers hear of the
// change, and the scene too when the drag is finished.
PELMORAGUI_EXPORT void finishNodeWrite(vtkMRMLAnnotationNode* node, int wasDisabled, bool changed, bool finished);

} // namespace AnnotationWidgets
} // namespace Gui
