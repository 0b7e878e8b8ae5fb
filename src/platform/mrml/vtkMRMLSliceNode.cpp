#include "vtkMRMLSliceNode.h"

#include "MRMLXMLHelpers.h"

#include <vtkMatrix4x4.h>
#include <vtkObjectFactory.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <ostream>
#include <string>

vtkStandardNewMacro(vtkMRMLSliceNode);

namespace {
// The plane's x and y axes in RAS for each orientation; the normal is x cross y.
struct OrientationAxes
{
    const char* name;
    double x[3];
    double y[3];
};
const OrientationAxes Orientations[] = {
    {"Axial", {1, 0, 0}, {0, 1, 0}},
    {"Sagittal", {0, 1, 0}, {0, 0, 1}},
    {"Coronal", {1, 0, 0}, {0, 0, 1}},
};

bool finitePositive(double v)
{
    return std::isfinite(v) && v > 0;
}
} // namespace

vtkMRMLSliceNode::vtkMRMLSliceNode()
{
    UpdateMatrices();
}

vtkMRMLSliceNode::~vtkMRMLSliceNode() = default;

void vtkMRMLSliceNode::PrintSelf(ostream& os, vtkIndent indent)
{
    Superclass::PrintSelf(os, indent);
    os << indent << "Orientation: " << Orientation << "\n";
    os << indent << "FieldOfView: " << mrmlxml::formatDoubles(FieldOfView, 3) << "\n";
    os << indent << "Dimensions: " << Dimensions[0] << " " << Dimensions[1] << " " << Dimensions[2] << "\n";
    os << indent << "LayoutGrid: " << LayoutGridRows << " x " << LayoutGridColumns << "\n";
    os << indent << "LayoutColor: " << mrmlxml::formatDoubles(LayoutColor, 3) << "\n";
    os << indent << "SliceToRAS: " << mrmlxml::formatDoubles(&SliceToRAS->Element[0][0], 16) << "\n";
}

bool vtkMRMLSliceNode::SetOrientation(const char* orientation)
{
    for (const OrientationAxes& o : Orientations) {
        if (!orientation || std::strcmp(orientation, o.name) != 0)
            continue;
        const double n[3] = {o.x[1] * o.y[2] - o.x[2] * o.y[1], o.x[2] * o.y[0] - o.x[0] * o.y[2],
                             o.x[0] * o.y[1] - o.x[1] * o.y[0]};
        for (int r = 0; r < 3; ++r) {
            SliceToRAS->SetElement(r, 0, o.x[r]);
            SliceToRAS->SetElement(r, 1, o.y[r]);
            SliceToRAS->SetElement(r, 2, n[r]);
        }
        Orientation = o.name;
        UpdateMatrices();
        return true;
    }
    return false;
}

void vtkMRMLSliceNode::UpdateMatrices()
{
    // Pixel (x, y) to the plane's millimetres, centred on the plane's origin.
    vtkNew<vtkMatrix4x4> xyToSlice;
    for (int k = 0; k < 3; ++k) {
        const double spacing = FieldOfView[k] / Dimensions[k];
        xyToSlice->SetElement(k, k, spacing);
        xyToSlice->SetElement(k, 3, k < 2 ? -FieldOfView[k] / 2.0 : 0.0);
    }
    vtkMatrix4x4::Multiply4x4(SliceToRAS, xyToSlice, XYToRAS);
    Modified();
}

void vtkMRMLSliceNode::SetFieldOfView(double x, double y, double z)
{
    if (!finitePositive(x) || !finitePositive(y) || !finitePositive(z))
        return;
    if (FieldOfView[0] == x && FieldOfView[1] == y && FieldOfView[2] == z)
        return;
    FieldOfView[0] = x;
    FieldOfView[1] = y;
    FieldOfView[2] = z;
    UpdateMatrices();
}

void vtkMRMLSliceNode::SetDimensions(int x, int y, int z)
{
    x = x < 1 ? 1 : x;
    y = y < 1 ? 1 : y;
    z = z < 1 ? 1 : z;
    if (Dimensions[0] == x && Dimensions[1] == y && Dimensions[2] == z)
        return;
    Dimensions[0] = x;
    Dimensions[1] = y;
    Dimensions[2] = z;
    UpdateMatrices();
}

void vtkMRMLSliceNode::SetLayoutGrid(int rows, int columns)
{
    // A grid of more panes than pixels shows nothing useful.
    rows = std::min(std::max(rows, 1), 64);
    columns = std::min(std::max(columns, 1), 64);
    if (rows == LayoutGridRows && columns == LayoutGridColumns)
        return;
    LayoutGridRows = rows;
    LayoutGridColumns = columns;
    Modified();
}

double vtkMRMLSliceNode::GetSliceOffset()
{
    double offset = 0;
    for (int r = 0; r < 3; ++r)
        offset += SliceToRAS->GetElement(r, 2) * SliceToRAS->GetElement(r, 3);
    return offset;
}

void vtkMRMLSliceNode::SetSliceOffset(double offset)
{
    const double delta = offset - GetSliceOffset();
    if (delta == 0 || !std::isfinite(offset))
        return;
    for (int r = 0; r < 3; ++r)
        SliceToRAS->SetElement(r, 3, SliceToRAS->GetElement(r, 3) + delta * SliceToRAS->GetElement(r, 2));
    UpdateMatrices();
}

void vtkMRMLSliceNode::ReadXMLAttributes(const char** atts)
{
    int wasModifying = StartModify();
    Superclass::ReadXMLAttributes(atts);
    for (int i = 0; atts && atts[i] && atts[i + 1]; i += 2) {
        const std::string name = atts[i];
        const char* value = atts[i + 1];
        double v[16];
        if (name == "orientation") {
            SetOrientation(value);
        } else if (name == "fieldOfView" && mrmlxml::parseDoubles(value, v, 3) == 3) {
            SetFieldOfView(v[0], v[1], v[2]);
        } else if (name == "dimensions" && mrmlxml::parseDoubles(value, v, 3) == 3) {
            auto toInt = [](double d) { return std::isfinite(d) && d >= 1 && d < 1e9 ? static_cast<int>(d) : 1; };
            SetDimensions(toInt(v[0]), toInt(v[1]), toInt(v[2]));
        } else if (name == "layoutGridRows" || name == "layoutGridColumns") {
            const int n = mrmlxml::parseInt(value);
            if (name == "layoutGridRows")
                SetLayoutGrid(n, LayoutGridColumns);
            else
                SetLayoutGrid(LayoutGridRows, n);
        } else if (name == "layoutColor" && mrmlxml::parseDoubles(value, v, 3) == 3) {
            SetLayoutColor(v);
        } else if (name == "sliceToRAS" && mrmlxml::parseDoubles(value, v, 16) == 16) {
            SliceToRAS->DeepCopy(v);
            UpdateMatrices();
        }
    }
    EndModify(wasModifying);
}

void vtkMRMLSliceNode::WriteXML(ostream& of, int indent)
{
    Superclass::WriteXML(of, indent);
    of << " orientation=\"" << Orientation << "\"";
    of << " fieldOfView=\"" << mrmlxml::formatDoubles(FieldOfView, 3) << "\"";
    of << " dimensions=\"" << Dimensions[0] << " " << Dimensions[1] << " " << Dimensions[2] << "\"";
    of << " sliceToRAS=\"" << mrmlxml::formatDoubles(&SliceToRAS->Element[0][0], 16) << "\"";
    of << " layoutGridRows=\"" << LayoutGridRows << "\"";
    of << " layoutGridColumns=\"" << LayoutGridColumns << "\"";
    of << " layoutColor=\"" << mrmlxml::formatDoubles(LayoutColor, 3) << "\"";
}

void vtkMRMLSliceNode::Copy(vtkMRMLNode* anode)
{
    int wasModifying = StartModify();
    Superclass::Copy(anode);
    if (auto* node = vtkMRMLSliceNode::SafeDownCast(anode)) {
        Orientation = node->Orientation;
        SliceToRAS->DeepCopy(node->SliceToRAS);
        for (int k = 0; k < 3; ++k) {
            FieldOfView[k] = node->FieldOfView[k];
            Dimensions[k] = node->Dimensions[k];
            LayoutColor[k] = node->LayoutColor[k];
        }
        LayoutGridRows = node->LayoutGridRows;
        LayoutGridColumns = node->LayoutGridColumns;
        UpdateMatrices();
    }
    EndModify(wasModifying);
}
