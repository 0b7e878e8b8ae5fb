#pragma once
// A ruler in space: a line between the two handles with tick glyphs and a label that faces
// the camera. The label shows the measured distance, or a distance set by the caller.

#include "PelmoraGuiExport.h"

#include <vtkDistanceRepresentation3D.h>

class vtkActor;
class vtkFollower;
class vtkPolyData;

class PELMORAGUI_EXPORT vtkAnnotationRulerRepresentation3D : public vtkDistanceRepresentation3D
{
public:
    static vtkAnnotationRulerRepresentation3D* New();
    vtkTypeMacro(vtkAnnotationRulerRepresentation3D, vtkDistanceRepresentation3D);
    void PrintSelf(ostream& os, vtkIndent indent) override;

    // The distance shown and used for the ticks when greater than 0.
    void SetDistance(double distance) { ShownDistance = distance; }
    double GetShownDistance() const { return ShownDistance; }

    // Where along the line the label sits, 0 at point 1 and 1 at point 2; the label moves
    // to the handles at once, even when the value stays.
    void SetLabelPosition(double position);

    // The most ticks drawn in ruler mode.
    virtual void SetMaxTicks(int ticks);
    virtual int GetMaxTicks() { return MaxTicks; }

    vtkProperty* GetLineProperty() override;
    void UpdateGlyphPolyData(vtkPolyData* polyData);
    // The tick points of the last build (for tests and callers that show them elsewhere).
    vtkPoints* GetTickPoints() { return GlyphPoints; }
    const char* GetLabelText();
    vtkActor* GetGlyphActor() { return GlyphActor; }
    vtkFollower* GetLabelFollower() { return LabelActor; }

    void BuildRepresentation() override;
    vtkTypeBool HasTranslucentPolygonalGeometry() override;

protected:
    vtkAnnotationRulerRepresentation3D();
    ~vtkAnnotationRulerRepresentation3D() override = default;

private:
    vtkAnnotationRulerRepresentation3D(const vtkAnnotationRulerRepresentation3D&) = delete;
    void operator=(const vtkAnnotationRulerRepresentation3D&) = delete;

    void MoveLabel();

    double ShownDistance = 0.0;
    int MaxTicks = 99;
};
