#pragma once
// The drawing of a bidimensional measurement: two lines through four handles and a label
// that joins the two lengths with " x ", the longer first. The lengths shown may be set by
// the caller instead of measured between the handles.

#include "PelmoraGuiExport.h"

#include <vtkBiDimensionalRepresentation2D.h>

class PELMORAGUI_EXPORT vtkAnnotationBidimensionalRepresentation : public vtkBiDimensionalRepresentation2D
{
public:
    static vtkAnnotationBidimensionalRepresentation* New();
    vtkTypeMacro(vtkAnnotationBidimensionalRepresentation, vtkBiDimensionalRepresentation2D);
    void PrintSelf(ostream& os, vtkIndent indent) override;

    // Shown instead of the measured length when greater than 0; they take effect at the
    // next build that a change triggers.
    void SetDistance1(double distance) { Distance1 = distance; }
    void SetDistance2(double distance) { Distance2 = distance; }

    void BuildRepresentation() override;

protected:
    vtkAnnotationBidimensionalRepresentation() = default;
    ~vtkAnnotationBidimensionalRepresentation() override = default;

private:
    vtkAnnotationBidimensionalRepresentation(const vtkAnnotationBidimensionalRepresentation&) = delete;
    void operator=(const vtkAnnotationBidimensionalRepresentation&) = delete;

    double Distance1 = 0.0;
    double Distance2 = 0.0;
};
