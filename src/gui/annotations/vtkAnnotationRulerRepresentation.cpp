#include "vtkAnnotationRulerRepresentation.h"

#include "AnnotationLabelFormat.h"

#include <vtkAxisActor2D.h>
#include <vtkCoordinate.h>
#include <vtkHandleRepresentation.h>
#include <vtkMath.h>
#include <vtkObjectFactory.h>
#include <vtkRenderer.h>
#include <vtkTextProperty.h>
#include <vtkWindow.h>

#include <algorithm>
#include <cmath>
#include <string>

vtkStandardNewMacro(vtkAnnotationRulerRepresentation);

void vtkAnnotationRulerRepresentation::PrintSelf(ostream& os, vtkIndent indent)
{
    Superclass::PrintSelf(os, indent);
    os << indent << "Shown distance: " << ShownDistance << "\n";
}

vtkProperty2D* vtkAnnotationRulerRepresentation::GetLineProperty()
{
    return AxisActor ? AxisActor->GetProperty() : nullptr;
}

int vtkAnnotationRulerRepresentation::LabelCount(double shown) const
{
    if (!RulerMode)
        return NumberOfRulerTicks;
    // In double first: a tiny spacing on a long ruler must not overflow the count. The
    // small allowance keeps the tick at the end of a ruler measured a hair short.
    const double steps = RulerDistance > 0.0 && shown > 0.0 ? std::floor(shown / RulerDistance + 1e-9) : 1.0;
    return static_cast<int>(std::min(steps, static_cast<double>(NumberOfRulerTicks))) + 1;
}

void vtkAnnotationRulerRepresentation::BuildRepresentation()
{
    if (!Point1Representation || !Point2Representation || !AxisActor)
        return;
    const vtkMTimeType built = BuildTime.GetMTime();
    const bool windowChanged = Renderer && Renderer->GetVTKWindow() && Renderer->GetVTKWindow()->GetMTime() > built;
    if (GetMTime() <= built && AxisActor->GetMTime() <= built &&
        AxisActor->GetTitleTextProperty()->GetMTime() <= built &&
        AxisActor->GetLabelTextProperty()->GetMTime() <= built && Point1Representation->GetMTime() <= built &&
        Point2Representation->GetMTime() <= built && !windowChanged)
        return;

    // The base build is not called: it would give the label format to printf unchecked.
    Point1Representation->BuildRepresentation();
    Point2Representation->BuildRepresentation();
    double p1[3], p2[3], d1[3], d2[3];
    Point1Representation->GetWorldPosition(p1);
    Point2Representation->GetWorldPosition(p2);
    Point1Representation->GetDisplayPosition(d1);
    Point2Representation->GetDisplayPosition(d2);
    const double shown = ShownDistance > 0.0 ? ShownDistance : std::sqrt(vtkMath::Distance2BetweenPoints(p1, p2));
    Distance = shown;

    AxisActor->GetPositionCoordinate()->SetCoordinateSystemToDisplay();
    AxisActor->GetPositionCoordinate()->SetValue(d1);
    AxisActor->GetPosition2Coordinate()->SetCoordinateSystemToDisplay();
    AxisActor->GetPosition2Coordinate()->SetValue(d2);
    // The axis's own ruler mode breaks the renderer (Mesa reads past a vertex buffer) when
    // its ends are given in display coordinates, as here: the ticks are laid out by count,
    // one per ruler distance of the shown distance with both ends labelled, and the labels
    // read the distance from point 1.
    AxisActor->SetRulerMode(0);
    AxisActor->SetAdjustLabels(0);
    AxisActor->SetRange(0.0, shown);
    AxisActor->SetNumberOfLabels(LabelCount(shown));

    std::string title;
    if (!Gui::AnnotationLabel::formatNumber(LabelFormat, shown, title))
        vtkWarningMacro("BuildRepresentation: label format refused: " << (LabelFormat ? LabelFormat : "(none)"));
    AxisActor->SetTitle(title.c_str());
    BuildTime.Modified();
}
