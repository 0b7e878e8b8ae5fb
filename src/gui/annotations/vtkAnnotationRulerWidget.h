#pragma once
// The distance widget of a ruler annotation: a flat ruler (the default) or a ruler in
// space, chosen before the widget first builds its representation.

#include "PelmoraGuiExport.h"

#include <vtkDistanceWidget.h>

class PELMORAGUI_EXPORT vtkAnnotationRulerWidget : public vtkDistanceWidget
{
public:
    static vtkAnnotationRulerWidget* New();
    vtkTypeMacro(vtkAnnotationRulerWidget, vtkDistanceWidget);
    void PrintSelf(ostream& os, vtkIndent indent) override;

    // Refused (reported) once a representation exists.
    void SetIs2DWidget(int is2D);
    int GetIs2DWidget() const { return Is2DWidget ? 1 : 0; }

    void CreateDefaultRepresentation() override;

protected:
    vtkAnnotationRulerWidget() = default;
    ~vtkAnnotationRulerWidget() override = default;

private:
    vtkAnnotationRulerWidget(const vtkAnnotationRulerWidget&) = delete;
    void operator=(const vtkAnnotationRulerWidget&) = delete;

    bool Is2DWidget = true;
};
