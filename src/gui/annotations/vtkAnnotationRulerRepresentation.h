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
    // How the axis shows a distance: in ruler mode a tick every `Spacing` (the ruler
    // distance, or a multiple of it when there would be more than the number of ruler
    // ticks) from point 1, `Labels` labels on the first ticks, spread over 0..`Range`.
    // Out of ruler mode `Labels` (the number of ruler ticks) spread over the distance.
    struct TickLayout
    {
        double Spacing = 0.0;
        double Range = 0.0;
        int Labels = 2;
    };
    TickLayout LayOutTicks(double shown) const;

    vtkAnnotationRulerRepresentation(const vtkAnnotationRulerRepresentation&) = delete;
    void operator=(const vtkAnnotationRulerRepresentation&) = delete;

    double ShownDistance = 0.0;
};
