#include "vtkAnnotationRulerRepresentation3D.h"

#include "AnnotationLabelFormat.h"

#include <vtkActor.h>
#include <vtkBox.h>
#include <vtkCylinderSource.h>
#include <vtkDoubleArray.h>
#include <vtkFollower.h>
#include <vtkGlyph3D.h>
#include <vtkHandleRepresentation.h>
#include <vtkMath.h>
#include <vtkNew.h>
#include <vtkObjectFactory.h>
#include <vtkPoints.h>
#include <vtkPolyData.h>
#include <vtkRenderer.h>
#include <vtkShaderProperty.h>
#include <vtkVectorText.h>
#include <vtkWindow.h>

#include <algorithm>
#include <cmath>
#include <string>

vtkStandardNewMacro(vtkAnnotationRulerRepresentation3D);

namespace {

// A label that faces the camera and draws with its own shader settings: the plain
// follower renders through an inner actor that would not take them.
class vtkAnnotationRulerLabelFollower : public vtkFollower
{
public:
    static vtkAnnotationRulerLabelFollower* New();
    vtkTypeMacro(vtkAnnotationRulerLabelFollower, vtkFollower);

    void Render(vtkRenderer* renderer) override
    {
        Device->SetShaderProperty(GetShaderProperty());
        Superclass::Render(renderer);
    }

protected:
    vtkAnnotationRulerLabelFollower() = default;
    ~vtkAnnotationRulerLabelFollower() override = default;
};

vtkStandardNewMacro(vtkAnnotationRulerLabelFollower);

// Where a fragment's depth is set: the label is drawn over everything, so that the surface
// a ruler measures never hides its number; the line and ticks move a little toward the
// camera, so that they do not fight the face they lie on.
const char* const depthTag = "//VTK::Depth::Impl";
const char* const labelDepth = "gl_FragDepth = 0.0;\n";
const char* const lineDepth = "gl_FragDepth = max(gl_FragCoord.z - 0.0002, 0.0);\n";

void setDepth(vtkProp* prop, const char* depth)
{
    // Without a rendering back end there is no shader to change (nor anything drawn).
    if (vtkShaderProperty* shader = prop->GetShaderProperty())
        shader->AddFragmentShaderReplacement(depthTag, true, depth, false);
}

} // namespace

vtkAnnotationRulerRepresentation3D::vtkAnnotationRulerRepresentation3D()
{
    GlyphScale = 1.0;
    GlyphScaleSpecified = false;
    GlyphCylinder->SetRadius(0.25);

    vtkNew<vtkAnnotationRulerLabelFollower> label;
    label->SetMapper(LabelActor->GetMapper());
    label->SetProperty(LabelActor->GetProperty());
    label->SetPickable(LabelActor->GetPickable());
    SetLabelActor(label);
    setDepth(LabelActor, labelDepth);
    setDepth(LineActor, lineDepth);
    setDepth(GlyphActor, lineDepth);
}

void vtkAnnotationRulerRepresentation3D::PrintSelf(ostream& os, vtkIndent indent)
{
    Superclass::PrintSelf(os, indent);
    os << indent << "Distance: " << ShownDistance << "\n";
    os << indent << "LabelScaleSpecified: " << (LabelScaleSpecified ? "true" : "false") << "\n";
    os << indent << "LabelPosition: " << LabelPosition << "\n";
    os << indent << "MaxTicks: " << MaxTicks << "\n";
    os << indent << "GlyphScaleSpecified: " << (GlyphScaleSpecified ? "true" : "false") << "\n";
    os << indent << "GlyphScale: " << GlyphScale << "\n";
}

void vtkAnnotationRulerRepresentation3D::SetMaxTicks(int ticks)
{
    if (ticks == MaxTicks)
        return;
    MaxTicks = ticks;
    Modified();
}

vtkProperty* vtkAnnotationRulerRepresentation3D::GetLineProperty()
{
    return LineActor->GetProperty();
}

void vtkAnnotationRulerRepresentation3D::UpdateGlyphPolyData(vtkPolyData* polyData)
{
    if (!polyData) {
        vtkErrorMacro("UpdateGlyphPolyData: invalid poly data!");
        return;
    }
    vtkWarningMacro("UpdateGlyphPolyData: not implemented yet!");
}

const char* vtkAnnotationRulerRepresentation3D::GetLabelText()
{
    return LabelText->GetText();
}

void vtkAnnotationRulerRepresentation3D::SetLabelPosition(double position)
{
    LabelPosition = position;
    MoveLabel();
}

void vtkAnnotationRulerRepresentation3D::MoveLabel()
{
    if (!Point1Representation || !Point2Representation)
        return;
    double p1[3], p2[3];
    Point1Representation->GetWorldPosition(p1);
    Point2Representation->GetWorldPosition(p2);
    const double offset = GlyphCylinder->GetRadius() * Glyph3D->GetScaleFactor();
    double position[3];
    for (int i = 0; i < 3; ++i)
        position[i] = p1[i] + (p2[i] - p1[i]) * LabelPosition + offset;
    if (std::sqrt(vtkMath::Distance2BetweenPoints(position, LabelActor->GetPosition())) > 0.001)
        LabelActor->SetPosition(position);
}

void vtkAnnotationRulerRepresentation3D::BuildRepresentation()
{
    if (!Point1Representation || !Point2Representation)
        return;
    const vtkMTimeType built = BuildTime.GetMTime();
    const bool windowChanged = Renderer && Renderer->GetVTKWindow() && Renderer->GetVTKWindow()->GetMTime() > built;
    if (GetMTime() <= built && Point1Representation->GetMTime() <= built &&
        Point2Representation->GetMTime() <= built && LabelActor->GetMTime() <= built &&
        BoundingBox->GetMTime() <= built && GlyphActor->GetMTime() <= built && LineActor->GetMTime() <= built &&
        !windowChanged)
        return;

    // The base build is not called: it would give the label format to printf unchecked.
    double p1[3], p2[3];
    Point1Representation->GetWorldPosition(p1);
    Point2Representation->GetWorldPosition(p2);
    const double length = std::sqrt(vtkMath::Distance2BetweenPoints(p1, p2));
    const double shown = ShownDistance > 0.0 ? ShownDistance : length;
    Distance = shown;

    LinePoints->SetPoint(0, p1);
    LinePoints->SetPoint(1, p2);
    LinePoints->Modified();

    std::string label;
    if (!Gui::AnnotationLabel::formatNumber(LabelFormat, shown, label))
        vtkWarningMacro("BuildRepresentation: label format refused: " << (LabelFormat ? LabelFormat : "(none)"));
    LabelText->SetText(label.c_str());

    const double glyphScale = GlyphScaleSpecified ? GlyphScale : shown / 40.0;
    Glyph3D->SetScaleFactor(glyphScale);
    MoveLabel();
    if (Renderer)
        LabelActor->SetCamera(Renderer->GetActiveCamera());
    if (!LabelScaleSpecified)
        LabelActor->SetScale(shown / 20.0, shown / 20.0, shown / 20.0);

    double u[3] = {0.0, 0.0, 0.0};
    if (length > 0.0)
        for (int i = 0; i < 3; ++i)
            u[i] = (p2[i] - p1[i]) / length;
    GlyphPoints->Reset();
    GlyphVectors->Reset();

    int ticks = 0;
    double spacing = 0.0;
    if (!RulerMode) {
        ticks = std::max(NumberOfRulerTicks, 0);
        spacing = length / (ticks + 1);
    } else {
        // In double first: a tiny spacing on a long ruler must not overflow the count. The
        // small allowance keeps the tick at the end of a ruler measured a hair short.
        const double wanted = RulerDistance > 0.0 ? std::floor(shown / RulerDistance + 1e-9) : 1.0;
        ticks = static_cast<int>(std::min(wanted, static_cast<double>(std::max(MaxTicks, 0))));
        spacing = shown > 0.0 ? RulerDistance * length / shown : 0.0;
    }
    for (int i = 1; i <= ticks; ++i) {
        const double t = i * spacing;
        GlyphPoints->InsertNextPoint(p1[0] + t * u[0], p1[1] + t * u[1], p1[2] + t * u[2]);
        GlyphVectors->InsertNextTuple(u);
    }
    GlyphPoints->Modified();
    GlyphVectors->Modified();
    GlyphPolyData->Modified();
    BuildTime.Modified();
}

vtkTypeBool vtkAnnotationRulerRepresentation3D::HasTranslucentPolygonalGeometry()
{
    BuildRepresentation();
    return LabelActor->HasTranslucentPolygonalGeometry() || GlyphActor->HasTranslucentPolygonalGeometry() ||
           LineActor->HasTranslucentPolygonalGeometry();
}
