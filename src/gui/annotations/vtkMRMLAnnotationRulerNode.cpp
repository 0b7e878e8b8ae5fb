#include "vtkMRMLAnnotationRulerNode.h"

#include "AnnotationFileText.h"
#include "vtkMRMLAnnotationLineDisplayNode.h"
#include "vtkMRMLAnnotationPointDisplayNode.h"
#include "vtkMRMLAnnotationTextDisplayNode.h"

#include <vtkAbstractTransform.h>
#include <vtkMath.h>
#include <vtkMatrix4x4.h>
#include <vtkObjectFactory.h>

#include <algorithm>

vtkStandardNewMacro(vtkMRMLAnnotationRulerNode);

vtkMRMLAnnotationRulerNode::vtkMRMLAnnotationRulerNode()
{
    SetDistanceAnnotationFormat("%.0f mm");
    HideFromEditors = 0;
}

vtkMRMLAnnotationRulerNode::~vtkMRMLAnnotationRulerNode()
{
    SetDistanceAnnotationFormat(nullptr);
    SetModelID1(nullptr);
    SetModelID2(nullptr);
}

int vtkMRMLAnnotationRulerNode::SetControlPoint(int id, const double coord[3])
{
    if (id < 0 || id > 1)
        return 0;
    if (!vtkMRMLAnnotationLinesNode::SetControlPoint(id, coord, 1, 1))
        return 0;
    if (GetNumberOfControlPoints() >= 2)
        AddLine(0, 1, 1, 1);
    return 1;
}

int vtkMRMLAnnotationRulerNode::AddControlPoint(const double coord[3], int selected, int visible)
{
    if (GetNumberOfControlPoints() >= 2) {
        vtkErrorMacro("AnnotationRuler: " << NameText() << " cannot have more than 2 control points !");
        return -1;
    }
    return vtkMRMLAnnotationControlPointsNode::AddControlPoint(coord, selected, visible);
}

double* vtkMRMLAnnotationRulerNode::GetPosition1()
{
    return GetNumberOfControlPoints() > 0 ? GetControlPointCoordinates(0) : nullptr;
}

double* vtkMRMLAnnotationRulerNode::GetPosition2()
{
    return GetNumberOfControlPoints() > 1 ? GetControlPointCoordinates(1) : nullptr;
}

void vtkMRMLAnnotationRulerNode::GetPosition1(double p[3])
{
    const double* c = GetPosition1();
    if (!c) {
        vtkErrorMacro("AnnotationRuler - Failed to get first control point");
        return;
    }
    p[0] = c[0]; p[1] = c[1]; p[2] = c[2];
}

void vtkMRMLAnnotationRulerNode::GetPosition2(double p[3])
{
    const double* c = GetPosition2();
    if (!c) {
        vtkErrorMacro("AnnotationRuler - Failed to get second control point");
        return;
    }
    p[0] = c[0]; p[1] = c[1]; p[2] = c[2];
}

int vtkMRMLAnnotationRulerNode::SetPositionWorldCoordinates1(const double world[3])
{
    double local[3];
    TransformPointFromWorld(world, local);
    return SetControlPoint(0, local);
}

int vtkMRMLAnnotationRulerNode::SetPositionWorldCoordinates2(const double world[3])
{
    double local[3];
    TransformPointFromWorld(world, local);
    return SetControlPoint(1, local);
}

void vtkMRMLAnnotationRulerNode::GetPositionWorldCoordinates1(double world[3])
{
    double local[3] = {0, 0, 0};
    GetPosition1(local);
    TransformPointToWorld(local, world);
}

void vtkMRMLAnnotationRulerNode::GetPositionWorldCoordinates2(double world[3])
{
    double local[3] = {0, 0, 0};
    GetPosition2(local);
    TransformPointToWorld(local, world);
}

double vtkMRMLAnnotationRulerNode::GetDistanceMeasurement()
{
    double a[3], b[3];
    GetPositionWorldCoordinates1(a);
    GetPositionWorldCoordinates2(b);
    return std::sqrt(vtkMath::Distance2BetweenPoints(a, b));
}

int vtkMRMLAnnotationRulerNode::SetRuler(vtkIdType lineId, int selected, int visible)
{
    vtkIdType ids[2];
    if (lineId < 0 || lineId >= GetNumberOfLines() || !GetEndPointsId(lineId, ids) || ids[0] != 0 || ids[1] != 1) {
        vtkErrorMacro("Not valid line definition!");
        return -1;
    }
    SetSelected(selected);
    SetDisplayVisibility(visible);
    return 1;
}

double vtkMRMLAnnotationRulerNode::GetDistanceAnnotationScale()
{
    auto* node = GetAnnotationTextDisplayNode();
    return node ? node->GetTextScale() : 0.0;
}

void vtkMRMLAnnotationRulerNode::SetDistanceAnnotationScale(double scale)
{
    auto* node = GetAnnotationTextDisplayNode();
    if (!node) {
        vtkErrorMacro("AnnotationRuler: " << NameText() << " cannot get AnnotationTextDisplayNode");
        return;
    }
    node->SetTextScale(scale);
}

double* vtkMRMLAnnotationRulerNode::GetDistanceAnnotationTextColour()
{
    auto* node = GetAnnotationTextDisplayNode();
    return node ? node->GetSelectedColor() : nullptr;
}

void vtkMRMLAnnotationRulerNode::SetDistanceAnnotationTextColour(const double color[3])
{
    SetSelectedColorOf(GetAnnotationTextDisplayNode(), "AnnotationRuler", "AnnotationTextDisplayNode", color);
}

double* vtkMRMLAnnotationRulerNode::GetLineColour()
{
    auto* node = GetAnnotationLineDisplayNode();
    return node ? node->GetSelectedColor() : nullptr;
}

void vtkMRMLAnnotationRulerNode::SetLineColour(const double color[3])
{
    SetSelectedColorOf(GetAnnotationLineDisplayNode(), "AnnotationRuler", "AnnotationLineDisplayNode", color);
}

double* vtkMRMLAnnotationRulerNode::GetPointColour()
{
    auto* node = GetAnnotationPointDisplayNode();
    return node ? node->GetSelectedColor() : nullptr;
}

void vtkMRMLAnnotationRulerNode::SetPointColour(const double color[3])
{
    SetSelectedColorOf(GetAnnotationPointDisplayNode(), "AnnotationRuler", "AnnotationPointDisplayNode", color);
}

template <typename Move>
void vtkMRMLAnnotationRulerNode::MoveEnds(Move move)
{
    // Point 0, then point 1, where they exist; the line follows the second one.
    for (int id = 0; id < 2; ++id) {
        if (GetNumberOfControlPoints() <= id)
            continue;
        const double* c = GetControlPointCoordinates(id);
        const double in[3] = {c[0], c[1], c[2]};
        double out[3];
        move(in, out);
        SetControlPoint(id, out);
    }
}

void vtkMRMLAnnotationRulerNode::ApplyTransformMatrix(vtkMatrix4x4* matrix)
{
    if (!matrix)
        return;
    MoveEnds([matrix](const double in[3], double out[3]) {
        const double point[4] = {in[0], in[1], in[2], 1.0};
        double moved[4];
        matrix->MultiplyPoint(point, moved);
        std::copy(moved, moved + 3, out);
    });
}

void vtkMRMLAnnotationRulerNode::ApplyTransform(vtkAbstractTransform* transform)
{
    if (!transform)
        return;
    MoveEnds([transform](const double in[3], double out[3]) { transform->TransformPoint(in, out); });
}

vtkMRMLStorageNode* vtkMRMLAnnotationRulerNode::CreateDefaultStorageNode()
{
    return CreateStorageNodeOfClass("vtkMRMLAnnotationRulerStorageNode");
}

void vtkMRMLAnnotationRulerNode::WriteXML(ostream& of, int indent)
{
    Superclass::WriteXML(of, indent);
    of << " rulerDistanceAnnotationFormat=\""
       << XMLAttributeEncodeString(DistanceAnnotationFormat ? DistanceAnnotationFormat : "") << "\"";
    if (ModelID1)
        of << " modelID1=\"" << XMLAttributeEncodeString(ModelID1) << "\"";
    if (ModelID2)
        of << " modelID2=\"" << XMLAttributeEncodeString(ModelID2) << "\"";
    double a[3] = {0, 0, 0}, b[3] = {0, 0, 0};
    if (GetPosition1())
        GetPositionWorldCoordinates1(a);
    if (GetPosition2())
        GetPositionWorldCoordinates2(b);
    of << " distanceMeasurement=\"" << annotationtext::formatDouble(std::sqrt(vtkMath::Distance2BetweenPoints(a, b)))
       << "\"";
}

void vtkMRMLAnnotationRulerNode::ReadXMLAttributes(const char** atts)
{
    int wasModifying = StartModify();
    Superclass::ReadXMLAttributes(atts);
    for (int i = 0; atts && atts[i] && atts[i + 1]; i += 2) {
        const std::string key = atts[i];
        if (key == "rulerDistanceAnnotationFormat")
            SetDistanceAnnotationFormat(atts[i + 1]);
        else if (key == "modelID1")
            SetModelID1(atts[i + 1]);
        else if (key == "modelID2")
            SetModelID2(atts[i + 1]);
    }
    EndModify(wasModifying);
}

void vtkMRMLAnnotationRulerNode::PrintAnnotationInfo(ostream& os, vtkIndent indent, int titleFlag)
{
    if (titleFlag) {
        os << indent << "vtkMRMLAnnotationRulerNode: Annotation Summary";
        if (GetName())
            os << " of " << GetName();
        os << "\n";
    }
    Superclass::PrintAnnotationInfo(os, indent, 0);
    os << indent << "rulerDistanceAnnotationFormat: " << (DistanceAnnotationFormat ? DistanceAnnotationFormat : "(None)") << "\n";
    os << indent << "Model 1: " << (ModelID1 ? ModelID1 : "none") << "\n";
    os << indent << "Model 2: " << (ModelID2 ? ModelID2 : "none") << "\n";
}
