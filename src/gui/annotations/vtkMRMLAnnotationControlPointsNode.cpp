#include "vtkMRMLAnnotationControlPointsNode.h"

#include "AnnotationFileText.h"
#include "vtkMRMLAnnotationPointDisplayNode.h"

#include <mrml/vtkMRMLScene.h>

#include <vtkBitArray.h>
#include <vtkDataArray.h>
#include <vtkDoubleArray.h>
#include <vtkNew.h>
#include <vtkObjectFactory.h>
#include <vtkPointData.h>
#include <vtkPoints.h>
#include <vtkPolyData.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <locale>
#include <sstream>
#include <utility>
#include <vector>

vtkStandardNewMacro(vtkMRMLAnnotationControlPointsNode);

namespace {
const char* const SchemeNames[] = {"UseID", "UseIndex", "UsePrevious"};

std::vector<double> readNumbers(std::string text)
{
    for (char& c : text)
        if (c == '|')
            c = ' ';
    std::vector<double> values;
    std::istringstream is(text);
    is.imbue(std::locale::classic());
    double v;
    while (is >> v)
        values.push_back(v);
    return values;
}
} // namespace

const char* vtkMRMLAnnotationControlPointsNode::GetAttributeTypesEnumAsString(int type)
{
    switch (type) {
    case CP_SELECTED: return "ctrlPtsSelected";
    case CP_VISIBLE: return "ctrlPtsVisible";
    default: return Superclass::GetAttributeTypesEnumAsString(type);
    }
}

void vtkMRMLAnnotationControlPointsNode::SetNumberingScheme(int scheme)
{
    if (NumberingScheme == scheme)
        return;
    NumberingScheme = scheme;
    Modified();
}

const char* vtkMRMLAnnotationControlPointsNode::GetNumberingSchemeAsString()
{
    return NumberingScheme >= UseID && NumberingScheme <= UsePrevious ? SchemeNames[NumberingScheme]
                                                                      : "UNKNOWN";
}

void vtkMRMLAnnotationControlPointsNode::SetNumberingSchemeFromString(const char* name)
{
    for (int s = UseID; name && s <= UsePrevious; ++s)
        if (std::strcmp(name, SchemeNames[s]) == 0) {
            SetNumberingScheme(s);
            return;
        }
    vtkErrorMacro("Invalid numbering scheme string: " << (name ? name : "(null)"));
}

void vtkMRMLAnnotationControlPointsNode::Modified()
{
    Superclass::Modified();
    if (!GetDisableModifiedEvent())
        InvokeEvent(ControlPointModifiedEvent);
}

int vtkMRMLAnnotationControlPointsNode::InvokePendingModifiedEvent()
{
    // Observers of the points hear of a batched change before the generic event.
    if (GetModifiedEventPending())
        InvokeEvent(ControlPointModifiedEvent);
    return Superclass::InvokePendingModifiedEvent();
}

void vtkMRMLAnnotationControlPointsNode::CreatePolyData()
{
    Superclass::CreatePolyData();
    if (GetPolyData() && !GetPolyData()->GetPoints()) {
        vtkNew<vtkPoints> points;
        points->SetDataTypeToDouble();
        GetPolyData()->SetPoints(points);
    }
}

void vtkMRMLAnnotationControlPointsNode::ResetControlPointsAttributesAll()
{
    ResetAttributes(CP_SELECTED);
    ResetAttributes(CP_VISIBLE);
}

void vtkMRMLAnnotationControlPointsNode::ResetControlPoints()
{
    CreatePolyData();
    GetPolyData()->GetPoints()->Reset();
    GetPolyData()->GetPoints()->Modified();
    ResetControlPointsAttributesAll();
}

void vtkMRMLAnnotationControlPointsNode::ResetAnnotations()
{
    Superclass::ResetAnnotations();
    ResetControlPoints();
}

int vtkMRMLAnnotationControlPointsNode::GetNumberOfControlPoints()
{
    if (!GetPoints())
        CreatePolyData();
    return static_cast<int>(GetPoints()->GetNumberOfPoints());
}

int vtkMRMLAnnotationControlPointsNode::AddControlPoint(const double coord[3], int selected, int visible)
{
    const int n = GetNumberOfControlPoints();
    return SetControlPoint(n, coord, selected, visible) ? n : -1;
}

int vtkMRMLAnnotationControlPointsNode::AddControlPoints(vtkIdType count, const double* coords,
                                                         const unsigned char* selected, const unsigned char* visible)
{
    const int first = GetNumberOfControlPoints();
    if (count <= 0)
        return count == 0 ? first : -1;
    if (count > VTK_INT_MAX - first) {
        vtkErrorMacro("AddControlPoints: too many control points");
        return -1;
    }
    vtkPoints* points = GetPoints();
    vtkPointData* pd = GetPolyData()->GetPointData();
    auto* sel = vtkBitArray::SafeDownCast(pd->GetArray(GetAttributeTypesEnumAsString(CP_SELECTED)));
    auto* vis = vtkBitArray::SafeDownCast(pd->GetArray(GetAttributeTypesEnumAsString(CP_VISIBLE)));
    if (!sel || !vis || sel->GetNumberOfTuples() != first || vis->GetNumberOfTuples() != first) {
        // Flags out of step with the points: the one-by-one path sorts them out.
        for (vtkIdType i = 0; i < count; ++i)
            if (AddControlPoint(coords + 3 * i, selected[i], visible[i]) < 0)
                return -1;
        return first;
    }
    const vtkIdType total = first + count;
    points->SetNumberOfPoints(total);
    if (auto* data = vtkDoubleArray::SafeDownCast(points->GetData()))
        std::copy(coords, coords + 3 * count, data->GetPointer(3 * static_cast<vtkIdType>(first)));
    else
        for (vtkIdType i = 0; i < count; ++i)
            points->SetPoint(first + i, coords + 3 * i);
    points->Modified();
    sel->SetNumberOfValues(total);
    vis->SetNumberOfValues(total);
    for (vtkIdType i = 0; i < count; ++i) {
        sel->SetValue(first + i, selected[i] ? 1 : 0);
        vis->SetValue(first + i, visible[i] ? 1 : 0);
    }
    sel->Modified();
    vis->Modified();
    Modified();
    return first;
}

int vtkMRMLAnnotationControlPointsNode::SetControlPoint(int id, const double coord[3])
{
    if (id < 0) {
        vtkErrorMacro("Invalid ID");
        return 0;
    }
    const int n = GetNumberOfControlPoints();
    int selected = 0;
    int visible = 1;
    if (id < n) {
        selected = GetAnnotationAttribute(id, CP_SELECTED) == 1;
        const int v = GetAnnotationAttribute(id, CP_VISIBLE);
        visible = v < 0 ? 1 : v;
    }
    return SetControlPoint(id, coord, selected, visible);
}

int vtkMRMLAnnotationControlPointsNode::SetControlPoint(int id, const double coord[3], int selected,
                                                        int visible)
{
    if (id < 0) {
        vtkErrorMacro("Invalid ID");
        return 0;
    }
    if (!GetPoints())
        ResetControlPoints();
    vtkPoints* points = GetPoints();
    const int n = static_cast<int>(points->GetNumberOfPoints());
    if (id == n) {
        // Appending, the common case of reading a file: both flag arrays take one value.
        vtkPointData* pd = GetPolyData()->GetPointData();
        vtkDataArray* sel = pd->GetArray(GetAttributeTypesEnumAsString(CP_SELECTED));
        vtkDataArray* vis = pd->GetArray(GetAttributeTypesEnumAsString(CP_VISIBLE));
        if (sel && vis && sel->GetNumberOfTuples() == n && vis->GetNumberOfTuples() == n) {
            points->InsertNextPoint(coord);
            points->Modified();
            sel->InsertTuple1(n, selected ? 1 : 0);
            vis->InsertTuple1(n, visible ? 1 : 0);
            Modified();
            return 1;
        }
    }
    if (id < n) {
        double old[3];
        points->GetPoint(id, old);
        if (std::fabs(old[0] - coord[0]) < 1e-6 && std::fabs(old[1] - coord[1]) < 1e-6
            && std::fabs(old[2] - coord[2]) < 1e-6) {
            // Same place: the flags may still have changed, and they are applied.
            if (GetAnnotationAttribute(id, CP_SELECTED) == (selected ? 1 : 0)
                && GetAnnotationAttribute(id, CP_VISIBLE) == (visible ? 1 : 0))
                return 1;
            SetAnnotationAttribute(id, CP_SELECTED, selected);
            SetAnnotationAttribute(id, CP_VISIBLE, visible);
            Modified();
            return 1;
        }
    }
    // Points created in between sit at the origin until they are set.
    for (int i = n; i < id; ++i)
        points->InsertPoint(i, 0.0, 0.0, 0.0);
    points->InsertPoint(id, coord);
    points->Modified();
    const vtkIdType count = points->GetNumberOfPoints();
    SetAttributeSize(CP_SELECTED, count);
    SetAttributeSize(CP_VISIBLE, count);
    // Points created in between have no flags of their own: unselected and visible.
    for (vtkIdType i = n; i < id; ++i)
        SetAnnotationAttribute(i, CP_VISIBLE, 1);
    SetAnnotationAttribute(id, CP_SELECTED, selected);
    SetAnnotationAttribute(id, CP_VISIBLE, visible);
    Modified();
    return 1;
}

int vtkMRMLAnnotationControlPointsNode::SetControlPointWorldCoordinates(int id, const double world[3])
{
    double local[3];
    TransformPointFromWorld(world, local);
    return SetControlPoint(id, local);
}

int vtkMRMLAnnotationControlPointsNode::SetControlPointWorldCoordinates(int id, const double world[3],
                                                                        int selected, int visible)
{
    double local[3];
    TransformPointFromWorld(world, local);
    return SetControlPoint(id, local, selected, visible);
}

double* vtkMRMLAnnotationControlPointsNode::GetControlPointCoordinates(vtkIdType id)
{
    vtkPoints* points = GetPoints();
    if (!points || id < 0 || id >= points->GetNumberOfPoints()) {
        vtkErrorMacro("GetControlPointCoordinates: no control point with index " << id);
        return nullptr;
    }
    return points->GetPoint(id);
}

void vtkMRMLAnnotationControlPointsNode::GetControlPointWorldCoordinates(vtkIdType id, double world[4])
{
    vtkPoints* points = GetPoints();
    if (!points || id < 0 || id >= points->GetNumberOfPoints()) {
        vtkErrorMacro("vtkMRMLAnnotationControlPointsNode::GetControlPointWorldCoordinates() no control point with index" << id);
        return;
    }
    double local[3];
    points->GetPoint(id, local);
    TransformPointToWorld(local, world);
    world[3] = 1.0;
}

void vtkMRMLAnnotationControlPointsNode::DeleteControlPoint(int id)
{
    vtkPoints* points = GetPoints();
    const int n = points ? static_cast<int>(points->GetNumberOfPoints()) : 0;
    if (id < 0 || id > n - 1) {
        vtkErrorMacro("Annotation " << NameText() << " id is out of range !");
        return;
    }
    for (int i = id; i < n - 1; ++i)
        points->SetPoint(i, points->GetPoint(i + 1));
    points->SetNumberOfPoints(n - 1);
    points->Modified();
    for (int att = CP_SELECTED; att <= CP_VISIBLE; ++att) {
        vtkDataArray* values = GetAnnotationAttributes(att);
        const vtkIdType size = values ? values->GetNumberOfTuples() : 0;
        if (size == n)
            DeleteAttribute(id, att);
        else
            vtkErrorMacro("Annotation " << NameText() << " Attribute " << GetAttributeTypesEnumAsString(att)
                                        << " is out of sync with PolyData->GetPoints()! Size of Attribute:"
                                        << size << " Number of Points: " << n);
    }
    Modified();
}

void vtkMRMLAnnotationControlPointsNode::CreateAnnotationPointDisplayNode()
{
    if (GetAnnotationPointDisplayNode())
        return;
    AddNewDisplayNodeOfClass<vtkMRMLAnnotationPointDisplayNode>("vtkMRMLAnnotationControlPointsNode::CreateAnnotationControlPointDisplayNode Annotation: No scene defined");
}

vtkMRMLAnnotationPointDisplayNode* vtkMRMLAnnotationControlPointsNode::GetAnnotationPointDisplayNode()
{
    return FirstDisplayNodeOfClass<vtkMRMLAnnotationPointDisplayNode>();
}

void vtkMRMLAnnotationControlPointsNode::Initialize(vtkMRMLScene* scene)
{
    if (!scene) {
        vtkErrorMacro("Scene was null!");
        return;
    }
    RegisterNodeClasses(scene);
    const int disabled = GetDisableModifiedEvent();
    SetDisableModifiedEvent(1);
    if (GetScene() != scene)
        SetScene(scene);
    CreateAnnotationPointDisplayNode();
    SetDisableModifiedEvent(disabled);
    Superclass::Initialize(scene);
}

vtkMRMLStorageNode* vtkMRMLAnnotationControlPointsNode::CreateDefaultStorageNode()
{
    return CreateStorageNodeOfClass("vtkMRMLAnnotationControlPointsStorageNode");
}

void vtkMRMLAnnotationControlPointsNode::WriteXML(ostream& of, int indent)
{
    Superclass::WriteXML(of, indent);
    vtkPoints* points = GetPoints();
    std::string coords, selected, visible;
    if (points) {
        const vtkIdType n = points->GetNumberOfPoints();
        for (vtkIdType i = 0; i < n; ++i) {
            double p[3];
            points->GetPoint(i, p);
            if (i) {
                coords += '|';
                selected += ' ';
                visible += ' ';
            }
            for (int k = 0; k < 3; ++k) {
                if (k)
                    coords += ' ';
                annotationtext::appendDouble(coords, p[k]);
            }
            selected += std::to_string(GetAnnotationAttribute(i, CP_SELECTED));
            visible += std::to_string(GetAnnotationAttribute(i, CP_VISIBLE));
        }
    }
    of << " ctrlPtsCoord=\"" << coords << "\"";
    of << " ctrlPtsSelected=\"" << selected << "\"";
    of << " ctrlPtsVisible=\"" << visible << "\"";
    of << " ctrlPtsNumberingScheme=\"" << NumberingScheme << "\"";
}

void vtkMRMLAnnotationControlPointsNode::ReadXMLAttributes(const char** atts)
{
    int wasModifying = StartModify();
    Superclass::ReadXMLAttributes(atts);
    for (int i = 0; atts && atts[i] && atts[i + 1]; i += 2) {
        const std::string key = atts[i];
        const char* value = atts[i + 1];
        if (key == "ctrlPtsCoord") {
            const std::vector<double> v = readNumbers(value);
            if (!GetPoints())
                ResetControlPoints();
            for (size_t k = 0; k + 2 < v.size(); k += 3) {
                const double p[3] = {v[k], v[k + 1], v[k + 2]};
                AddControlPoint(p, 0, 0);
            }
        } else if (key == "ctrlPtsNumberingScheme") {
            NumberingScheme = annotationtext::parseInt(value);
        } else if (key == "ctrlPtsSelected" || key == "ctrlPtsVisible") {
            const int att = key == "ctrlPtsSelected" ? CP_SELECTED : CP_VISIBLE;
            const std::vector<double> v = readNumbers(value);
            const int n = GetNumberOfControlPoints();
            for (size_t k = 0; k < v.size() && static_cast<int>(k) < n; ++k)
                SetAnnotationAttribute(static_cast<vtkIdType>(k), att, v[k]);
        }
    }
    EndModify(wasModifying);
}

bool vtkMRMLAnnotationControlPointsNode::WriteCLI(std::vector<std::string>& commandLine, const std::string& prefix,
                                                  int coordinateSystem, int multipleFlag)
{
    // The displayable layer below has no command-line form of its own.
    vtkPoints* points = GetPoints();
    if (!points)
        return false;
    const vtkIdType n = points->GetNumberOfPoints();
    if (!multipleFlag && n > 1)
        vtkWarningMacro("WriteCLI - Ignoring 'multipleFlag' and writing all "
                        << n << " points for annotation " << IdText()
                        << ". For more details see the issue report on passing several points to a"
                           " single-point argument.");
    std::string argument;
    if (!prefix.empty())
        argument = prefix + " ";
    if (coordinateSystem == CoordinateSystemRAS || coordinateSystem == CoordinateSystemLPS) {
        const bool lps = coordinateSystem == CoordinateSystemLPS;
        for (vtkIdType i = 0; i < n; ++i) {
            double p[3];
            points->GetPoint(i, p);
            if (i)
                argument += ',';
            // 0 - v rather than -v, so that a zero stays "0" and not "-0".
            annotationtext::appendDouble(argument, lps ? 0.0 - p[0] : p[0]);
            argument += ',';
            annotationtext::appendDouble(argument, lps ? 0.0 - p[1] : p[1]);
            argument += ',';
            annotationtext::appendDouble(argument, p[2]);
        }
    }
    commandLine.push_back(std::move(argument));
    return true;
}

void vtkMRMLAnnotationControlPointsNode::PrintAnnotationInfo(ostream& os, vtkIndent indent, int titleFlag)
{
    if (titleFlag) {
        os << indent << "vtkMRMLAnnotationControlPointsNode: Annotation Summary";
        if (GetName())
            os << " of " << GetName();
        os << "\n";
    }
    Superclass::PrintAnnotationInfo(os, indent, 0);
    vtkPoints* points = GetPoints();
    if (!points || points->GetNumberOfPoints() == 0) {
        os << indent << "ctrlPtsCoord: None\n";
        for (int att = CP_SELECTED; att <= CP_VISIBLE; ++att)
            os << indent << GetAttributeTypesEnumAsString(att) << ": None\n";
    } else {
        os << indent << "ctrlPtsCoord: ";
        for (vtkIdType i = 0; i < points->GetNumberOfPoints(); ++i) {
            double p[3];
            points->GetPoint(i, p);
            os << (i ? " | " : "") << p[0] << " " << p[1] << " " << p[2];
        }
        os << "\n";
        for (int att = CP_SELECTED; att <= CP_VISIBLE; ++att) {
            os << indent << GetAttributeTypesEnumAsString(att) << ": ";
            for (vtkIdType i = 0; i < points->GetNumberOfPoints(); ++i)
                os << GetAnnotationAttribute(i, att) << " ";
            os << "\n";
        }
    }
    os << indent << "ctrlPtsNumberingScheme: " << GetNumberingSchemeAsString() << " (" << NumberingScheme << ")\n";
}
