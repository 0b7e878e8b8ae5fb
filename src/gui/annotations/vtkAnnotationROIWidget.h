#pragma once
// The interaction widget of a region-of-interest box: a left press on a handle moves its
// face (or, with Shift or Control, the whole box), a middle press on any handle translates
// the box and a right press scales it; each interaction is reported by the start,
// interaction and end events.

#include "PelmoraGuiExport.h"

#include <vtkAbstractWidget.h>

class vtkAnnotationROIRepresentation;

class PELMORAGUI_EXPORT vtkAnnotationROIWidget : public vtkAbstractWidget
{
public:
    static vtkAnnotationROIWidget* New();
    vtkTypeMacro(vtkAnnotationROIWidget, vtkAbstractWidget);
    void PrintSelf(ostream& os, vtkIndent indent) override;

    enum WidgetStateType
    {
        Start = 0,
        Active
    };

    virtual void SetRepresentation(vtkAnnotationROIRepresentation* representation);

    // Kept, read and printed; no binding consults them.
    virtual void SetTranslationEnabled(int on);
    virtual int GetTranslationEnabled() { return TranslationEnabled; }
    virtual void TranslationEnabledOn() { SetTranslationEnabled(1); }
    virtual void TranslationEnabledOff() { SetTranslationEnabled(0); }
    virtual void SetScalingEnabled(int on);
    virtual int GetScalingEnabled() { return ScalingEnabled; }
    virtual void ScalingEnabledOn() { SetScalingEnabled(1); }
    virtual void ScalingEnabledOff() { SetScalingEnabled(0); }
    virtual void SetRotationEnabled(int on);
    virtual int GetRotationEnabled() { return RotationEnabled; }
    virtual void RotationEnabledOn() { SetRotationEnabled(1); }
    virtual void RotationEnabledOff() { SetRotationEnabled(0); }

    int GetWidgetState() const { return WidgetState; }

    void CreateDefaultRepresentation() override;

protected:
    vtkAnnotationROIWidget();
    ~vtkAnnotationROIWidget() override = default;

private:
    vtkAnnotationROIWidget(const vtkAnnotationROIWidget&) = delete;
    void operator=(const vtkAnnotationROIWidget&) = delete;

    static void SelectAction(vtkAbstractWidget* widget);
    static void TranslateAction(vtkAbstractWidget* widget);
    static void ScaleAction(vtkAbstractWidget* widget);
    static void EndSelectAction(vtkAbstractWidget* widget);
    static void MoveAction(vtkAbstractWidget* widget);
    // A press: starts an interaction in `state` (0: the picked one) when a handle is hit.
    void Press(int state);

    int WidgetState = Start;
    int TranslationEnabled = 1;
    int ScalingEnabled = 1;
    int RotationEnabled = 1;
};
