#pragma once
// The interaction widget of a bidimensional measurement, drawn by
// vtkAnnotationBidimensionalRepresentation.

#include "PelmoraGuiExport.h"

#include <vtkBiDimensionalWidget.h>

class PELMORAGUI_EXPORT vtkAnnotationBidimensionalWidget : public vtkBiDimensionalWidget
{
public:
    static vtkAnnotationBidimensionalWidget* New();
    vtkTypeMacro(vtkAnnotationBidimensionalWidget, vtkBiDimensionalWidget);
    void PrintSelf(ostream& os, vtkIndent indent) override;

    // A representation of another kind set before is kept when it draws a bidimensional
    // measurement, and reported otherwise.
    void CreateDefaultRepresentation() override;

protected:
    vtkAnnotationBidimensionalWidget() = default;
    ~vtkAnnotationBidimensionalWidget() override = default;

private:
    vtkAnnotationBidimensionalWidget(const vtkAnnotationBidimensionalWidget&) = delete;
    void operator=(const vtkAnnotationBidimensionalWidget&) = delete;
};
