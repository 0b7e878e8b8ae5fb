#include "vtkAnnotationROIWidget.h"

#include "vtkAnnotationROIRepresentation.h"

#include <vtkCallbackCommand.h>
#include <vtkCommand.h>
#include <vtkObjectFactory.h>
#include <vtkRenderWindowInteractor.h>
#include <vtkRenderer.h>
#include <vtkWidgetCallbackMapper.h>
#include <vtkWidgetEvent.h>

vtkStandardNewMacro(vtkAnnotationROIWidget);

vtkAnnotationROIWidget::vtkAnnotationROIWidget()
{
    CallbackMapper->SetCallbackMethod(vtkCommand::LeftButtonPressEvent, vtkWidgetEvent::Select, this,
                                      &vtkAnnotationROIWidget::SelectAction);
    CallbackMapper->SetCallbackMethod(vtkCommand::LeftButtonReleaseEvent, vtkWidgetEvent::EndSelect, this,
                                      &vtkAnnotationROIWidget::EndSelectAction);
    CallbackMapper->SetCallbackMethod(vtkCommand::MiddleButtonPressEvent, vtkWidgetEvent::Translate, this,
                                      &vtkAnnotationROIWidget::TranslateAction);
    CallbackMapper->SetCallbackMethod(vtkCommand::MiddleButtonReleaseEvent, vtkWidgetEvent::EndTranslate, this,
                                      &vtkAnnotationROIWidget::EndSelectAction);
    CallbackMapper->SetCallbackMethod(vtkCommand::RightButtonPressEvent, vtkWidgetEvent::Scale, this,
                                      &vtkAnnotationROIWidget::ScaleAction);
    CallbackMapper->SetCallbackMethod(vtkCommand::RightButtonReleaseEvent, vtkWidgetEvent::EndScale, this,
                                      &vtkAnnotationROIWidget::EndSelectAction);
    CallbackMapper->SetCallbackMethod(vtkCommand::MouseMoveEvent, vtkWidgetEvent::Move, this,
                                      &vtkAnnotationROIWidget::MoveAction);
}

void vtkAnnotationROIWidget::PrintSelf(ostream& os, vtkIndent indent)
{
    Superclass::PrintSelf(os, indent);
    os << indent << "Translation Enabled: " << (TranslationEnabled ? "On" : "Off") << "\n";
    os << indent << "Scaling Enabled: " << (ScalingEnabled ? "On" : "Off") << "\n";
    os << indent << "Rotation Enabled: " << (RotationEnabled ? "On" : "Off") << "\n";
}

void vtkAnnotationROIWidget::SetRepresentation(vtkAnnotationROIRepresentation* representation)
{
    SetWidgetRepresentation(representation);
}

void vtkAnnotationROIWidget::SetTranslationEnabled(int on)
{
    if (TranslationEnabled == on)
        return;
    TranslationEnabled = on;
    Modified();
}

void vtkAnnotationROIWidget::SetScalingEnabled(int on)
{
    if (ScalingEnabled == on)
        return;
    ScalingEnabled = on;
    Modified();
}

void vtkAnnotationROIWidget::SetRotationEnabled(int on)
{
    if (RotationEnabled == on)
        return;
    RotationEnabled = on;
    Modified();
}

void vtkAnnotationROIWidget::CreateDefaultRepresentation()
{
    if (!WidgetRep)
        WidgetRep = vtkAnnotationROIRepresentation::New();
}

void vtkAnnotationROIWidget::Press(int state)
{
    const int X = Interactor->GetEventPosition()[0];
    const int Y = Interactor->GetEventPosition()[1];
    if (!CurrentRenderer || !CurrentRenderer->IsInViewport(X, Y)) {
        WidgetState = Start;
        return;
    }
    double e[2] = {static_cast<double>(X), static_cast<double>(Y)};
    WidgetRep->StartWidgetInteraction(e);
    const int picked = WidgetRep->GetInteractionState();
    if (picked == vtkAnnotationROIRepresentation::Outside)
        return;
    WidgetState = Active;
    GrabFocus(EventCallbackCommand);
    if (state == 0)
        state = Interactor->GetShiftKey() || Interactor->GetControlKey() ? vtkAnnotationROIRepresentation::Translating
                                                                          : picked;
    static_cast<vtkAnnotationROIRepresentation*>(WidgetRep)->SetInteractionState(state);
    EventCallbackCommand->SetAbortFlag(1);
    StartInteraction();
    InvokeEvent(vtkCommand::StartInteractionEvent, nullptr);
    Render();
}

void vtkAnnotationROIWidget::SelectAction(vtkAbstractWidget* widget)
{
    static_cast<vtkAnnotationROIWidget*>(widget)->Press(0);
}

void vtkAnnotationROIWidget::TranslateAction(vtkAbstractWidget* widget)
{
    static_cast<vtkAnnotationROIWidget*>(widget)->Press(vtkAnnotationROIRepresentation::Translating);
}

void vtkAnnotationROIWidget::ScaleAction(vtkAbstractWidget* widget)
{
    static_cast<vtkAnnotationROIWidget*>(widget)->Press(vtkAnnotationROIRepresentation::Scaling);
}

void vtkAnnotationROIWidget::MoveAction(vtkAbstractWidget* widget)
{
    auto* self = static_cast<vtkAnnotationROIWidget*>(widget);
    if (self->WidgetState == Start)
        return;
    double e[2] = {static_cast<double>(self->Interactor->GetEventPosition()[0]),
                   static_cast<double>(self->Interactor->GetEventPosition()[1])};
    self->WidgetRep->WidgetInteraction(e);
    self->EventCallbackCommand->SetAbortFlag(1);
    self->InvokeEvent(vtkCommand::InteractionEvent, nullptr);
    self->Render();
}

void vtkAnnotationROIWidget::EndSelectAction(vtkAbstractWidget* widget)
{
    auto* self = static_cast<vtkAnnotationROIWidget*>(widget);
    if (self->WidgetState == Start)
        return;
    self->WidgetState = Start;
    static_cast<vtkAnnotationROIRepresentation*>(self->WidgetRep)->SetInteractionState(
        vtkAnnotationROIRepresentation::Outside);
    self->ReleaseFocus();
    self->EventCallbackCommand->SetAbortFlag(1);
    self->EndInteraction();
    self->InvokeEvent(vtkCommand::EndInteractionEvent, nullptr);
    self->Render();
}
