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

namespace {

// More ticks than this are never drawn, whatever number of ruler ticks is asked for: each
// costs two points and a line, and ticks closer than a pixel show nothing.
const double mostTicks = 10000.0;

} // namespace

vtkAnnotationRulerRepresentation::TickLayout vtkAnnotationRulerRepresentation::LayOutTicks(double shown) const
{
    TickLayout layout;
    layout.Range = shown;
    if (!RulerMode) {
        layout.Labels = NumberOfRulerTicks;
        return layout;
    }
    // Without a usable spacing: the two ends, labelled 0 and the distance.
    if (!(shown > 0.0) || !(RulerDistance > 0.0) || !std::isfinite(shown / RulerDistance))
        return layout;
    // In double first: a tiny spacing on a long ruler must not overflow a count. The small
    // allowance keeps the tick at the end of a ruler measured a hair short.
    const double steps = std::floor(shown / RulerDistance + 1e-9);
    const double most = std::max(1.0, std::min(static_cast<double>(NumberOfRulerTicks), mostTicks));
    // Past the most ticks, every second (third, ...) one is drawn: they stay on whole ruler
    // distances from point 1.
    const double every = steps > most ? std::ceil(steps / most) : 1.0;
    layout.Spacing = RulerDistance * every;
    const double ticks = std::floor(steps / every);
    // Shorter than one ruler distance: the two ends alone.
    if (ticks < 1.0)
        return layout;
    // One label per tick, reading its distance from point 1; the end of the line carries
    // a tick of its own but no label (the title shows the distance). The axis shows at most
    // its own largest number of labels, on the first ticks.
    const double labels = std::min(ticks + 1.0, static_cast<double>(vtkAxisActor2D::VTK_MAX_LABELS));
    layout.Labels = static_cast<int>(labels);
    layout.Range = layout.Spacing * (labels - 1.0);
    return layout;
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

    // On the screen's plane: the axis measures its length, and so counts its ruler ticks,
    // from these values, and a depth left in them would count ticks no one sees.
    AxisActor->GetPositionCoordinate()->SetCoordinateSystemToDisplay();
    AxisActor->GetPositionCoordinate()->SetValue(d1[0], d1[1], 0.0);
    AxisActor->GetPosition2Coordinate()->SetCoordinateSystemToDisplay();
    AxisActor->GetPosition2Coordinate()->SetValue(d2[0], d2[1], 0.0);
    // The axis's ruler mode puts a tick every ruler distance (given in the axis's own
    // display units) from point 1, and one at point 2. It places its labels on those
    // ticks in order, with values spread evenly over its range: the range and the number
    // of labels are chosen so that each label reads the distance of its tick, and there is
    // never a label without a tick (the axis would read past its points for it).
    const TickLayout layout = LayOutTicks(shown);
    const double onScreen = std::hypot(d2[0] - d1[0], d2[1] - d1[1]);
    const bool ruler = RulerMode && layout.Spacing > 0.0 && onScreen > 0.0;
    AxisActor->SetRulerMode(ruler ? 1 : 0);
    AxisActor->SetRulerDistance(ruler ? layout.Spacing * onScreen / shown : 0.0);
    AxisActor->SetAdjustLabels(0);
    AxisActor->SetRange(0.0, layout.Range);
    AxisActor->SetNumberOfLabels(layout.Labels);

    std::string title;
    if (!Gui::AnnotationLabel::formatNumber(LabelFormat, shown, title))
        vtkWarningMacro("BuildRepresentation: label format refused: " << (LabelFormat ? LabelFormat : "(none)"));
    AxisActor->SetTitle(title.c_str());
    BuildTime.Modified();
}
