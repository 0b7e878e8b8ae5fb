#include "vtkAnnotationBidimensionalRepresentation.h"

#include "AnnotationLabelFormat.h"

#include <vtkActor2D.h>
#include <vtkCellArray.h>
#include <vtkHandleRepresentation.h>
#include <vtkMath.h>
#include <vtkObjectFactory.h>
#include <vtkPoints.h>
#include <vtkRenderer.h>
#include <vtkTextMapper.h>
#include <vtkWindow.h>

#include <cmath>
#include <string>

vtkStandardNewMacro(vtkAnnotationBidimensionalRepresentation);

void vtkAnnotationBidimensionalRepresentation::PrintSelf(ostream& os, vtkIndent indent)
{
    Superclass::PrintSelf(os, indent);
}

void vtkAnnotationBidimensionalRepresentation::BuildRepresentation()
{
    vtkHandleRepresentation* handles[4] = {Point1Representation, Point2Representation, Point3Representation,
                                           Point4Representation};
    for (vtkHandleRepresentation* h : handles)
        if (!h)
            return;
    const vtkMTimeType built = BuildTime.GetMTime();
    bool changed = GetMTime() > built ||
                   (Renderer && Renderer->GetVTKWindow() && Renderer->GetVTKWindow()->GetMTime() > built);
    for (vtkHandleRepresentation* h : handles)
        changed = changed || h->GetMTime() > built;
    if (!changed)
        return;

    for (vtkHandleRepresentation* h : handles)
        h->BuildRepresentation();
    if (!Line1Visibility)
        return;

    double d[4][3], w[4][3];
    for (int i = 0; i < 4; ++i) {
        handles[i]->GetDisplayPosition(d[i]);
        handles[i]->GetWorldPosition(w[i]);
    }
    for (int i = 0; i < 4; ++i)
        LinePoints->SetPoint(i, d[i]);
    LinePoints->Modified();
    LineCells->Reset();
    const vtkIdType line1[2] = {0, 1}, line2[2] = {2, 3};
    LineCells->InsertNextCell(2, line1);
    if (Line2Visibility)
        LineCells->InsertNextCell(2, line2);
    LineCells->Modified();

    const double length1 = Distance1 > 0.0 ? Distance1 : std::sqrt(vtkMath::Distance2BetweenPoints(w[1], w[0]));
    double length2 = 0.0;
    if (Line2Visibility)
        length2 = Distance2 > 0.0 ? Distance2 : std::sqrt(vtkMath::Distance2BetweenPoints(w[3], w[2]));

    // The base build is not called: it would give the label format to printf unchecked.
    std::string text1, text2;
    if (!Gui::AnnotationLabel::formatNumber(LabelFormat, length1, text1))
        vtkWarningMacro("BuildRepresentation: label format refused: " << (LabelFormat ? LabelFormat : "(none)"));
    Gui::AnnotationLabel::formatNumber(LabelFormat, length2, text2);
    std::string label = IDInitialized ? std::to_string(ID) + ": " : std::string();
    label += length1 > length2 ? text1 + " x " + text2 : text2 + " x " + text1;
    TextMapper->SetInput(label.c_str());

    if (Renderer) {
        int stringSize[2];
        vtkTextMapper::SetRelativeFontSize(TextMapper, Renderer, Renderer->GetSize(), stringSize, 0.015f);
        int highest = 0, lowest = 0;
        for (int i = 1; i < 4; ++i) {
            if (static_cast<int>(d[i][1]) > static_cast<int>(d[highest][1]))
                highest = i;
            if (static_cast<int>(d[i][1]) < static_cast<int>(d[lowest][1]))
                lowest = i;
        }
        int size[2] = {0, 0};
        TextMapper->GetSize(Renderer, size);
        if (ShowLabelAboveWidget)
            TextActor->SetPosition(static_cast<int>(d[highest][0]) - size[0] / 2, static_cast<int>(d[highest][1]) + 9);
        else
            TextActor->SetPosition(static_cast<int>(d[lowest][0]) - size[0] / 2,
                                   static_cast<int>(d[lowest][1]) - size[1] - 9);
    }
    BuildTime.Modified();
}
