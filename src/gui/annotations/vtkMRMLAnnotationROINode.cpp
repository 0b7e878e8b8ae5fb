#include "vtkMRMLAnnotationROINode.h"

#include "vtkMRMLAnnotationLineDisplayNode.h"
#include "vtkMRMLAnnotationPointDisplayNode.h"
#include "vtkMRMLAnnotationTextDisplayNode.h"

#include <mrml/MRMLXMLHelpers.h>
#include <mrml/vtkMRMLTransformNode.h>

#include <vtkBoundingBox.h>
#include <vtkDoubleArray.h>
#include <vtkHomogeneousTransform.h>
#include <vtkMath.h>
#include <vtkMatrix4x4.h>
#include <vtkNew.h>
#include <vtkObjectFactory.h>
#include <vtkPlanes.h>
#include <vtkPoints.h>
#include <vtkPolyData.h>

#include <cmath>

vtkStandardNewMacro(vtkMRMLAnnotationROINode);

vtkMRMLAnnotationROINode::vtkMRMLAnnotationROINode()
{
    HideFromEditors = 0;
    SetLabelText("");
    const int disabled = GetDisableModifiedEvent();
    SetDisableModifiedEvent(1);
    SetXYZ(0, 0, 0);
    SetRadiusXYZ(10, 10, 10);
    SetDisableModifiedEvent(disabled);
}

vtkMRMLAnnotationROINode::~vtkMRMLAnnotationROINode()
{
    SetLabelText(nullptr);
    SetVolumeNodeID(nullptr);
}

int vtkMRMLAnnotationROINode::SetControlPoint(int id, const double coord[3])
{
    if (id < 0 || id > 1)
        return 0;
    if (!vtkMRMLAnnotationLinesNode::SetControlPoint(id, coord, 1, 1))
        return 0;
    if (GetNumberOfControlPoints() >= 2)
        AddLine(0, 1, 1, 1);
    return 1;
}

int vtkMRMLAnnotationROINode::AddControlPoint(const double coord[3], int selected, int visible)
{
    if (GetNumberOfControlPoints() >= 2) {
        vtkErrorMacro("AnnotationROINode: " << NameText() << " cannot have more than 2 control points !");
        return -1;
    }
    return vtkMRMLAnnotationControlPointsNode::AddControlPoint(coord, selected, visible);
}

bool vtkMRMLAnnotationROINode::GetXYZ(double p[3])
{
    p[0] = p[1] = p[2] = 0.0;
    if (GetNumberOfControlPoints() < 1)
        return false;
    const double* c = GetControlPointCoordinates(0);
    p[0] = c[0]; p[1] = c[1]; p[2] = c[2];
    return true;
}

bool vtkMRMLAnnotationROINode::GetRadiusXYZ(double p[3])
{
    p[0] = p[1] = p[2] = 0.0;
    if (GetNumberOfControlPoints() < 2)
        return false;
    const double* c = GetControlPointCoordinates(1);
    p[0] = c[0]; p[1] = c[1]; p[2] = c[2];
    return true;
}

void vtkMRMLAnnotationROINode::SetInsideOut(int v)
{
    if (InsideOut == v)
        return;
    InsideOut = v;
    Modified();
}

void vtkMRMLAnnotationROINode::SetInteractiveMode(int v)
{
    if (InteractiveMode == v)
        return;
    InteractiveMode = v;
    Modified();
}

double* vtkMRMLAnnotationROINode::GetLineColor()
{
    auto* node = GetAnnotationLineDisplayNode();
    return node ? node->GetSelectedColor() : nullptr;
}

void vtkMRMLAnnotationROINode::SetLineColor(const double color[3])
{
    SetSelectedColorOf(GetAnnotationLineDisplayNode(), "AnnotationROI", "AnnotationLineDisplayNode", color);
}

double* vtkMRMLAnnotationROINode::GetPointColor()
{
    auto* node = GetAnnotationPointDisplayNode();
    return node ? node->GetSelectedColor() : nullptr;
}

void vtkMRMLAnnotationROINode::SetPointColor(const double color[3])
{
    SetSelectedColorOf(GetAnnotationPointDisplayNode(), "AnnotationROI", "AnnotationPointDisplayNode", color);
}

double* vtkMRMLAnnotationROINode::GetROIAnnotationTextColor()
{
    auto* node = GetAnnotationTextDisplayNode();
    return node ? node->GetSelectedColor() : nullptr;
}

void vtkMRMLAnnotationROINode::SetROIAnnotationTextColor(const double color[3])
{
    SetSelectedColorOf(GetAnnotationTextDisplayNode(), "AnnotationROI", "AnnotationTextDisplayNode", color);
}

double vtkMRMLAnnotationROINode::GetROIAnnotationScale()
{
    auto* node = GetAnnotationTextDisplayNode();
    return node ? node->GetTextScale() : 0.0;
}

void vtkMRMLAnnotationROINode::SetROIAnnotationScale(double scale)
{
    auto* node = GetAnnotationTextDisplayNode();
    if (!node) {
        vtkErrorMacro("AnnotationROI: " << NameText() << " cannot get AnnotationTextDisplayNode");
        return;
    }
    node->SetTextScale(scale);
}

void vtkMRMLAnnotationROINode::GetBounds(double bounds[6])
{
    vtkMath::UninitializeBounds(bounds);
    if (!GetPolyData() || !GetPoints() || GetNumberOfControlPoints() < 2)
        return;
    double c[3], r[3];
    GetXYZ(c);
    GetRadiusXYZ(r);
    for (int k = 0; k < 3; ++k) {
        bounds[2 * k] = c[k] - r[k];
        bounds[2 * k + 1] = c[k] + r[k];
    }
}

void vtkMRMLAnnotationROINode::GetRASBounds(double bounds[6])
{
    GetBounds(bounds);
    if (!vtkMath::AreBoundsInitialized(bounds))
        return;
    vtkNew<vtkMatrix4x4> toWorld;
    GetTransformToWorld(toWorld);
    vtkBoundingBox box;
    for (int i = 0; i < 8; ++i) {
        double in[4] = {bounds[i & 1], bounds[2 + ((i >> 1) & 1)], bounds[4 + ((i >> 2) & 1)], 1.0}, out[4];
        toWorld->MultiplyPoint(in, out);
        box.AddPoint(out);
    }
    box.GetBounds(bounds);
}

namespace {
void corners(const double c[3], const double r[3], double p[8][3])
{
    static const int sign[8][3] = {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1},
                                   {-1, -1, 1},  {1, -1, 1},  {1, 1, 1},  {-1, 1, 1}};
    for (int i = 0; i < 8; ++i)
        for (int k = 0; k < 3; ++k)
            p[i][k] = c[k] + sign[i][k] * r[k];
}
} // namespace

void vtkMRMLAnnotationROINode::GetTransformedPlanes(vtkPlanes* planes)
{
    if (!planes)
        return;
    double c[3], r[3], p[8][3];
    GetXYZ(c);
    GetRadiusXYZ(r);
    corners(c, r, p);
    vtkNew<vtkMatrix4x4> toWorld;
    GetTransformToWorld(toWorld);
    for (auto& q : p) {
        double in[4] = {q[0], q[1], q[2], 1.0}, out[4];
        toWorld->MultiplyPoint(in, out);
        for (int k = 0; k < 3; ++k)
            q[k] = out[k] / (out[3] != 0.0 ? out[3] : 1.0);
    }
    auto normal = [&](int a, int b, double n[3]) {
        double u[3], v[3];
        vtkMath::Subtract(p[a], p[0], u);
        vtkMath::Subtract(p[b], p[0], v);
        vtkMath::Cross(u, v, n);
        vtkMath::Normalize(n);
    };
    double n[3][3];
    normal(4, 3, n[0]);
    normal(1, 4, n[1]);
    normal(3, 1, n[2]);
    const double s = InsideOut ? -1.0 : 1.0;
    vtkNew<vtkPoints> origins;
    vtkNew<vtkDoubleArray> normals;
    normals->SetNumberOfComponents(3);
    for (int i = 0; i < 3; ++i) {
        origins->InsertNextPoint(p[0]);
        normals->InsertNextTuple3(s * n[i][0], s * n[i][1], s * n[i][2]);
    }
    for (int i = 0; i < 3; ++i) {
        origins->InsertNextPoint(p[6]);
        normals->InsertNextTuple3(-s * n[i][0], -s * n[i][1], -s * n[i][2]);
    }
    planes->SetPoints(origins);
    planes->SetNormals(normals);
    planes->Modified();
}

void vtkMRMLAnnotationROINode::ApplyTransformMatrix(vtkMatrix4x4* matrix)
{
    if (!matrix)
        return;
    double c[3], r[3], p[8][3];
    GetXYZ(c);
    GetRadiusXYZ(r);
    corners(c, r, p);
    vtkBoundingBox box;
    for (auto& q : p) {
        double in[4] = {q[0], q[1], q[2], 1.0}, out[4];
        matrix->MultiplyPoint(in, out);
        box.AddPoint(out);
    }
    int wasModifying = StartModify();
    double center[3], lengths[3];
    box.GetCenter(center);
    box.GetLengths(lengths);
    SetXYZ(center);
    SetRadiusXYZ(lengths[0] / 2, lengths[1] / 2, lengths[2] / 2);
    EndModify(wasModifying);
}

void vtkMRMLAnnotationROINode::ApplyTransform(vtkAbstractTransform* transform)
{
    auto* linear = vtkHomogeneousTransform::SafeDownCast(transform);
    if (!linear) {
        vtkErrorMacro("vtkMRMLAnnotationROINode::ApplyTransform is only supported for linear transforms");
        return;
    }
    linear->Update();
    ApplyTransformMatrix(linear->GetMatrix());
}

void vtkMRMLAnnotationROINode::ProcessMRMLEvents(vtkObject* caller, unsigned long event, void* callData)
{
    Superclass::ProcessMRMLEvents(caller, event, callData);
    if (event == vtkMRMLTransformableNode::TransformModifiedEvent)
        Modified();
}

void vtkMRMLAnnotationROINode::Copy(vtkMRMLNode* anode)
{
    int wasModifying = StartModify();
    Superclass::Copy(anode);
    if (auto* node = vtkMRMLAnnotationROINode::SafeDownCast(anode)) {
        if (node->LabelText)
            SetLabelText(node->LabelText);
        SetInteractiveMode(node->InteractiveMode);
        SetInsideOut(node->InsideOut);
    }
    EndModify(wasModifying);
}

void vtkMRMLAnnotationROINode::WriteXML(ostream& of, int indent)
{
    Superclass::WriteXML(of, indent);
    if (VolumeNodeID)
        of << " volumeNodeID=\"" << XMLAttributeEncodeString(VolumeNodeID) << "\"";
    if (LabelText)
        of << " labelText=\"" << XMLAttributeEncodeString(LabelText) << "\"";
    of << " insideOut=\"" << (InsideOut ? "true" : "false") << "\"";
    of << " interactiveMode=\"" << (InteractiveMode ? "true" : "false") << "\"";
}

void vtkMRMLAnnotationROINode::ReadXMLAttributes(const char** atts)
{
    int wasModifying = StartModify();
    Superclass::ReadXMLAttributes(atts);
    for (int i = 0; atts && atts[i] && atts[i + 1]; i += 2) {
        const std::string key = atts[i];
        const char* value = atts[i + 1];
        if (key == "XYZ" || key == "xyz" || key == "RadiusXYZ" || key == "radiusXYZ") {
            double v[3] = {0, 0, 0};
            mrmlxml::parseDoubles(value, v, 3);
            if (key == "XYZ" || key == "xyz")
                SetXYZ(v);
            else
                SetRadiusXYZ(v);
        } else if (key == "Selected" || key == "selected")
            SetSelected(std::string(value) == "true" ? 1 : 0);
        else if (key == "VolumeNodeID" || key == "volumeNodeID")
            SetVolumeNodeID(value);
        else if (key == "LabelText" || key == "labelText")
            SetLabelText(value);
        else if (key == "InteractiveMode" || key == "interactiveMode")
            InteractiveMode = std::string(value) == "true" ? 1 : 0;
        else if (key == "InsideOut" || key == "insideOut")
            InsideOut = std::string(value) == "true" ? 1 : 0;
    }
    EndModify(wasModifying);
}

void vtkMRMLAnnotationROINode::PrintAnnotationInfo(ostream& os, vtkIndent indent, int titleFlag)
{
    if (titleFlag) {
        os << indent << "vtkMRMLAnnotationROINode: Annotation Summary";
        if (GetName())
            os << " of " << GetName();
        os << "\n";
    }
    Superclass::PrintAnnotationInfo(os, indent, 0);
    double c[3], r[3];
    GetXYZ(c);
    GetRadiusXYZ(r);
    const vtkIndent twice = indent.GetNextIndent().GetNextIndent();
    os << indent << "Origin:\n" << twice << "X: " << c[0] << "\n" << twice << "Y: " << c[1] << "\n"
       << twice << "Z: " << c[2] << "\n";
    os << indent << "Radius:\n" << twice << "rX: " << r[0] << "\n" << twice << "rY: " << r[1] << "\n"
       << twice << "rZ: " << r[2] << "\n";
}
