#pragma once
// A flat ruler: an axis in display coordinates between the two handles, with ticks and a
// title that shows the measured distance, or a distance set by the caller instead.

#include "PelmoraGuiExport.h"

#include <vtkDistanceRepresentation2D.h>

class vtkProperty2D;

class PELMORAGUI_EXPORT vtkAnnotationRulerRepresentation : public vtkDistanceRepresentation2D
{
public:
    static vtkAnnotationRulerRepresentation* New();
    vtkTypeMacro(vtkAnnotationRulerRepresentation, vtkDistanceRepresentation2D);
    void PrintSelf(ostream& os, vtkIndent indent) override;

    // The distance shown when greater than 0, instead of the one between the handles.
    // It takes effect at the next build that a change triggers.
    void SetDistance(double distance) { ShownDistance = distance; }
    double GetShownDistance() const { return ShownDistance; }

    // The axis's property; null without an axis.
    virtual vtkProperty2D* GetLineProperty();

    void BuildRepresentation() override;

protected:
    vtkAnnotationRulerRepresentation() = default;
    ~vtkAnnotationRulerRepresentation() override = default;

private:
    // Labels along the axis for a shown distance: in ruler mode one per ruler distance
    // (at most the number of ruler ticks) plus the one at point 1; otherwise the number of
    // ruler ticks. The axis keeps it within its own limits.
    int LabelCount(double shown) const;

    vtkAnnotationRulerRepresentation(const vtkAnnotationRulerRepresentation&) = delete;
    void operator=(const vtkAnnotationRulerRepresentation&) = delete;

    double ShownDistance = 0.0;
};
