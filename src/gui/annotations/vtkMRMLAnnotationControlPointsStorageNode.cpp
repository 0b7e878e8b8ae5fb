#include "vtkMRMLAnnotationControlPointsStorageNode.h"

#include "AnnotationFileText.h"
#include "vtkMRMLAnnotationControlPointsNode.h"
#include "vtkMRMLAnnotationPointDisplayNode.h"

#include <vtkObjectFactory.h>
#include <vtkPoints.h>

#include <algorithm>
#include <cmath>

vtkStandardNewMacro(vtkMRMLAnnotationControlPointsStorageNode);

bool vtkMRMLAnnotationControlPointsStorageNode::CanReadInReferenceNode(vtkMRMLNode* node)
{
    return node && node->IsA("vtkMRMLAnnotationControlPointsNode");
}

void vtkMRMLAnnotationControlPointsStorageNode::ReportWrongNodeClass(vtkMRMLNode* node)
{
    vtkErrorMacro("ReadData: unable to cast input node " << (node && node->GetID() ? node->GetID() : "")
                                                         << " to a annotation control point node");
}

int vtkMRMLAnnotationControlPointsStorageNode::WriteAnnotationPointDisplayProperties(
    std::string& out, vtkMRMLAnnotationPointDisplayNode* node, const std::string& section)
{
    if (!node) {
        vtkErrorMacro("WriteAnnotationPointDisplayProperties:  null control points display node");
        return 0;
    }
    if (!WriteAnnotationDisplayProperties(out, node, section))
        return 0;
    out += "# " + section + "GlyphScale = ";
    annotationtext::appendDouble(out, node->GetGlyphScale());
    out += "\n# " + section + "GlyphType = " + std::to_string(node->GetGlyphType()) + "\n";
    return 1;
}

int vtkMRMLAnnotationControlPointsStorageNode::WriteAnnotationControlPointsProperties(
    std::string& out, vtkMRMLAnnotationControlPointsNode* node)
{
    if (!node) {
        vtkErrorMacro("WriteAnnotationControlPointsProperties: null control points node");
        return 0;
    }
    out += "# pointNumberingScheme = " + std::to_string(node->GetNumberingScheme()) + "\n";
    if (!WriteAnnotationPointDisplayProperties(out, node->GetAnnotationPointDisplayNode(), "point"))
        return 0;
    out += "# pointColumns = type|x|y|z|sel|vis\n";
    return 1;
}

int vtkMRMLAnnotationControlPointsStorageNode::WriteAnnotationControlPointsData(
    std::string& out, vtkMRMLAnnotationControlPointsNode* node)
{
    if (!node) {
        vtkErrorMacro("WriteAnnotationControlPointsData: null control points node");
        return 0;
    }
    const int n = node->GetNumberOfControlPoints();
    out.reserve(out.size() + static_cast<size_t>(n) * 72);
    for (int i = 0; i < n; ++i) {
        const double* p = node->GetControlPointCoordinates(i);
        out += "point";
        for (int k = 0; k < 3; ++k) {
            out += '|';
            annotationtext::appendDouble(out, p[k]);
        }
        out += node->GetAnnotationAttribute(i, vtkMRMLAnnotationControlPointsNode::CP_SELECTED) == 1 ? "|1" : "|0";
        out += node->GetAnnotationAttribute(i, vtkMRMLAnnotationControlPointsNode::CP_VISIBLE) == 1 ? "|1" : "|0";
        out += '\n';
    }
    return 1;
}

int vtkMRMLAnnotationControlPointsStorageNode::WriteAnnotationDataInternal(vtkMRMLNode* refNode, std::string& out)
{
    if (!Superclass::WriteAnnotationDataInternal(refNode, out))
        return 0;
    auto* node = vtkMRMLAnnotationControlPointsNode::SafeDownCast(refNode);
    if (!node) {
        vtkErrorMacro("WriteAnnotationDataInternal: unable to cast input node "
                      << (refNode->GetID() ? refNode->GetID() : "") << " to a known annotation control point node");
        return 0;
    }
    if (!WriteAnnotationControlPointsProperties(out, node))
        return 0;
    return WriteAnnotationControlPointsData(out, node);
}

int vtkMRMLAnnotationControlPointsStorageNode::ReadAnnotationPointDisplayProperties(
    vtkMRMLAnnotationPointDisplayNode* node, std::string_view line, const std::string& section)
{
    if (!node) {
        vtkErrorMacro("ReadAnnotationPointDisplayProperties: unable to get associated AnnotationPointDisplayNode");
        return -1;
    }
    const int common = ReadAnnotationDisplayProperties(node, line, section);
    if (common != 0)
        return common;
    std::string_view value;
    if (MatchKey(line, "# " + section + "GlyphScale = ", value)) {
        double scale = 0;
        if (!ReadNumber(value, {"the value of ", section, "GlyphScale"}, scale))
            return -1;
        node->SetGlyphScale(scale);
        CheckTaken(section + "GlyphScale", value, scale, node->GetGlyphScale());
        return 1;
    }
    if (MatchKey(line, "# " + section + "GlyphType = ", value)) {
        int type = 0;
        if (!ReadNumber(value, {"the value of ", section, "GlyphType"}, type))
            return -1;
        node->SetGlyphType(type);
        CheckTaken(section + "GlyphType", value, type, node->GetGlyphType());
        return 1;
    }
    return 0;
}

int vtkMRMLAnnotationControlPointsStorageNode::ReadAnnotationControlPointsProperties(
    vtkMRMLAnnotationControlPointsNode* node, std::string_view line, Columns& cols)
{
    if (!node || line.size() < 2 || line[0] != '#' || line[1] != ' ')
        return 0;
    std::string_view value;
    if (MatchKey(line, "# pointNumberingScheme = ", value)) {
        int scheme = 0;
        if (!ReadNumber(value, "the value of pointNumberingScheme", scheme))
            return -1;
        node->SetNumberingScheme(scheme);
        return 1;
    }
    if (MatchKey(line, "# pointColumns = ", value))
        return ReadColumnsHeader("pointColumns", value, {"x", "y", "z", "sel", "vis"}, 3, cols);
    return 0;
}

int vtkMRMLAnnotationControlPointsStorageNode::ReadAnnotationControlPointsData(
    vtkMRMLAnnotationControlPointsNode* node, std::string_view line, const Columns& cols)
{
    return ReadPointRow(node, line, cols, nullptr);
}

int vtkMRMLAnnotationControlPointsStorageNode::ReadPointRow(vtkMRMLAnnotationControlPointsNode* node,
                                                            std::string_view line, const Columns& cols,
                                                            PointRows* rows)
{
    if (cols.type != 0) {
        vtkErrorMacro("Type column has to be zero !");
        return -1;
    }
    if (line.empty())
        return 1;
    if (!node || line.substr(0, 5) != "point")
        return 0;
    double coord[3] = {0, 0, 0};
    int sel = 1, vis = 1;
    static const char* const names[] = {"the x field of the point row", "the y field of the point row",
                                        "the z field of the point row"};
    bool present[3] = {false, false, false};
    const bool extra = ForEachRowField(line, cols.count, FileEscaped, [&](int column, std::string_view field) {
        if (RefusedValue)
            return;
        for (int k = 0; k < 3; ++k)
            if (column == cols.field[k] && !field.empty()) {
                present[k] = true;
                ReadNumber(field, names[k], coord[k]);
            }
        if (column == cols.field[3] || column == cols.field[4]) {
            const bool isSel = column == cols.field[3];
            const char* what = isSel ? "the sel field of the point row" : "the vis field of the point row";
            int& flag = isSel ? sel : vis;
            if (!field.empty() && ReadNumber(field, what, flag))
                CheckFlag(field, what, flag);
            else if (field.empty())
                CheckFlag(field, what, flag);
        }
    });
    if (RefusedValue)
        return -1;
    // A coordinate the header names must be in the row.
    for (int k = 0; k < 3; ++k)
        if (cols.field[k] >= 0 && !present[k]) {
            RefusedValue = true;
            vtkErrorMacro(<< ContentSource << ", line " << PassLine << ": " << names[k] << " is empty or missing");
            return -1;
        }
    CheckExtraFields("point", cols.count, extra);
    // A field that is no number reads as 0, but a point at NaN or infinity cannot be
    // drawn, measured or written back.
    if (!std::isfinite(coord[0]) || !std::isfinite(coord[1]) || !std::isfinite(coord[2])) {
        vtkErrorMacro("Point row with a coordinate that is not a finite number: " << std::string(line.substr(0, 200)));
        return -1;
    }
    if (rows) {
        rows->coords.insert(rows->coords.end(), coord, coord + 3);
        rows->selected.push_back(sel ? 1 : 0);
        rows->visible.push_back(vis ? 1 : 0);
        return 1;
    }
    if (node->AddControlPoint(coord, sel, vis) < 0) {
        vtkErrorMacro("Error adding control point to list, coord = " << coord[0] << " " << coord[1] << " " << coord[2]);
        return -1;
    }
    return 1;
}

int vtkMRMLAnnotationControlPointsStorageNode::AddPointRows(vtkMRMLAnnotationControlPointsNode* node,
                                                            const PointRows& rows)
{
    const auto count = static_cast<vtkIdType>(rows.selected.size());
    if (node->AddControlPoints(count, rows.coords.data(), rows.selected.data(), rows.visible.data()) < 0) {
        vtkErrorMacro("Error adding " << count << " control points to list");
        return 0;
    }
    return 1;
}

int vtkMRMLAnnotationControlPointsStorageNode::ReadAnnotation(vtkMRMLAnnotationNode* anode)
{
    auto* node = vtkMRMLAnnotationControlPointsNode::SafeDownCast(anode);
    if (!node) {
        vtkErrorMacro("ReadAnnotation: unable to cast input node " << (anode && anode->GetID() ? anode->GetID() : "")
                                                                   << " to a annotation node");
        return 0;
    }
    if (!Superclass::ReadAnnotation(node))
        return 0;
    if (!OpenFileToRead(node))
        return 0;
    vtkMRMLAnnotationPointDisplayNode* display = node->GetAnnotationPointDisplayNode();
    Columns cols;
    PointRows rows;
    const int ok = RunPass(node, [&](std::string_view line) {
        if (!line.empty() && line[0] == '#') {
            if (line.size() < 2 || line[1] != ' ')
                return true;
            if (const int read = ReadAnnotationControlPointsProperties(node, line, cols))
                return read > 0;
            const int read = ReadAnnotationPointDisplayProperties(display, line, "point");
            if (read == 0)
                CheckUnknownKey(line, "point");
            return read >= 0;
        }
        return ReadPointRow(node, line, cols, &rows) >= 0;
    });
    if (!ok)
        return 0;
    // Added together: one modified mark for the whole section instead of one per point.
    const int disabled = node->GetDisableModifiedEvent();
    node->SetDisableModifiedEvent(1);
    const int added = AddPointRows(node, rows);
    node->SetDisableModifiedEvent(disabled);
    return added;
}
