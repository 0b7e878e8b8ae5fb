#include "vtkMRMLAnnotationLinesStorageNode.h"

#include "AnnotationFileText.h"
#include "vtkMRMLAnnotationLineDisplayNode.h"
#include "vtkMRMLAnnotationLinesNode.h"

#include <vtkObjectFactory.h>

#include <cmath>
#include <ostream>

vtkStandardNewMacro(vtkMRMLAnnotationLinesStorageNode);

bool vtkMRMLAnnotationLinesStorageNode::CanReadInReferenceNode(vtkMRMLNode* node)
{
    return node && node->IsA("vtkMRMLAnnotationLinesNode");
}

int vtkMRMLAnnotationLinesStorageNode::WriteAnnotationLineDisplayProperties(
    std::string& out, vtkMRMLAnnotationLineDisplayNode* node, const std::string& section)
{
    if (!node || !WriteAnnotationDisplayProperties(out, node, section))
        return 0;
    out += "# " + section + "LineThickness = ";
    annotationtext::appendDouble(out, node->GetLineThickness());
    out += '\n';
    return 1;
}

int vtkMRMLAnnotationLinesStorageNode::WriteAnnotationLinesProperties(std::string& out,
                                                                      vtkMRMLAnnotationLinesNode* node)
{
    if (!node) {
        vtkErrorMacro("WriteAnnotationLinesProperties: ref node is null");
        return 0;
    }
    if (vtkMRMLAnnotationLineDisplayNode* display = node->GetAnnotationLineDisplayNode())
        WriteAnnotationLineDisplayProperties(out, display, "line");
    out += "# lineColumns = type|startPointID|endPointID|sel|vis\n";
    return 1;
}

int vtkMRMLAnnotationLinesStorageNode::WriteAnnotationLinesData(std::string& out, vtkMRMLAnnotationLinesNode* node)
{
    if (!node)
        return 0;
    const int n = node->GetNumberOfLines();
    for (int i = 0; i < n; ++i) {
        vtkIdType ids[2] = {-1, -1};
        if (!node->GetEndPointsId(i, ids))
            continue; // a filler cell joins no points
        out += "line|" + std::to_string(ids[0]) + "|" + std::to_string(ids[1]);
        out += '|' + std::to_string(node->GetAnnotationAttribute(i, vtkMRMLAnnotationLinesNode::LINE_SELECTED));
        out += '|' + std::to_string(node->GetAnnotationAttribute(i, vtkMRMLAnnotationLinesNode::LINE_VISIBLE));
        out += '\n';
    }
    return 1;
}

int vtkMRMLAnnotationLinesStorageNode::WriteAnnotationDataInternal(vtkMRMLNode* refNode, std::string& out)
{
    if (!Superclass::WriteAnnotationDataInternal(refNode, out)) {
        vtkWarningMacro("WriteAnnotationDataInternal: with stream: can't call WriteAnnotationDataInternal on superclass, retval = 0");
        return 0;
    }
    auto* node = vtkMRMLAnnotationLinesNode::SafeDownCast(refNode);
    if (!node) {
        vtkErrorMacro("WriteAnnotationDataInternal: unable to cast input node "
                      << (refNode->GetID() ? refNode->GetID() : "") << " to a known annotation line node");
        return 0;
    }
    if (!WriteAnnotationLinesProperties(out, node)) {
        vtkWarningMacro("WriteAnnotationDataInternal with stream: error writing annotation lines properties");
        return 0;
    }
    return WriteAnnotationLinesData(out, node);
}

int vtkMRMLAnnotationLinesStorageNode::ReadAnnotationLinesProperties(vtkMRMLAnnotationLinesNode* node,
                                                                     std::string_view line, Columns& cols)
{
    std::string_view value;
    if (!node || !MatchKey(line, "# lineColumns = ", value))
        return 0;
    return ReadColumnsHeader("lineColumns", value, {"startPointID", "endPointID", "sel", "vis"}, 2, cols);
}

int vtkMRMLAnnotationLinesStorageNode::ReadAnnotationLineDisplayProperties(vtkMRMLAnnotationLineDisplayNode* node,
                                                                           std::string_view line,
                                                                           const std::string& section)
{
    if (!node) {
        vtkErrorMacro("ReadAnnotationLineDisplayProperties: null associated AnnotationLineDisplayNode");
        return -1;
    }
    if (ReadAnnotationDisplayProperties(node, line, section))
        return 1;
    std::string_view value;
    if (MatchKey(line, "# " + section + "LineThickness = ", value)) {
        double thickness = 0;
        if (!ReadNumber(value, {"the value of ", section, "LineThickness"}, thickness))
            return -1;
        node->SetLineThickness(thickness);
        CheckTaken(section + "LineThickness", value, thickness, node->GetLineThickness());
        return 1;
    }
    return 0;
}

int vtkMRMLAnnotationLinesStorageNode::ReadAnnotationLinesData(vtkMRMLAnnotationLinesNode* node,
                                                               std::string_view line, const Columns& cols)
{
    if (!node)
        return -1;
    if (cols.type != 0) {
        vtkErrorMacro("Type column has to be zero !");
        return -1;
    }
    if (line.empty())
        return 1;
    if (line.substr(0, 4) != "line")
        return 0;
    int start = -1, end = -1, sel = 1, vis = 1;
    const bool extra = ForEachRowField(line, cols.count, FileEscaped, [&](int column, std::string_view field) {
        if (RefusedValue)
            return;
        double id = 0;
        const bool isStart = column == cols.field[0];
        if ((isStart || column == cols.field[1]) && !field.empty()) {
            const char* what =
                isStart ? "the startPointID field of the line row" : "the endPointID field of the line row";
            if (!ReadNumber(field, what, id))
                return;
            const int taken = (isStart ? start : end) = annotationtext::parseId(field);
            // A point's number is whole: the part after the point is not read, and said,
            // unless the number was said to be read otherwise already.
            if (std::isfinite(id) && id != std::trunc(id)
                && annotationtext::doubleFit(field) == annotationtext::NumberFit::Whole)
                NoteLenient(Lenient::FractionalId, [&](std::ostream& os) {
                    os << what << " \"" << ShownValue(field) << "\" is read as " << taken;
                });
        } else if (column == cols.field[2] || column == cols.field[3]) {
            const bool isSel = column == cols.field[2];
            const char* what = isSel ? "the sel field of the line row" : "the vis field of the line row";
            int& flag = isSel ? sel : vis;
            if (field.empty() || ReadNumber(field, what, flag))
                CheckFlag(field, what, flag);
        }
    });
    if (RefusedValue)
        return -1;
    CheckExtraFields("line", cols.count, extra);
    if (node->AddLine(start, end, sel, vis) < 0) {
        vtkErrorMacro("Error adding list to list, coordID = " << start << " " << end);
        return -1;
    }
    return 1;
}

int vtkMRMLAnnotationLinesStorageNode::ReadAnnotation(vtkMRMLAnnotationNode* anode)
{
    auto* node = vtkMRMLAnnotationLinesNode::SafeDownCast(anode);
    if (!node) {
        vtkErrorMacro("ReadAnnotation: unable to cast input node " << (anode && anode->GetID() ? anode->GetID() : "")
                                                                   << " to a annotation lines node");
        return 0;
    }
    if (!Superclass::ReadAnnotation(node))
        return 0;
    if (!OpenFileToRead(node))
        return 0;
    vtkMRMLAnnotationLineDisplayNode* display = node->GetAnnotationLineDisplayNode();
    Columns cols = DefaultLineColumns();
    return RunPass(node, [&](std::string_view line) {
        if (!line.empty() && line[0] == '#') {
            if (line.size() < 2 || line[1] != ' ')
                return true;
            if (const int read = ReadAnnotationLinesProperties(node, line, cols))
                return read > 0;
            const int read = ReadAnnotationLineDisplayProperties(display, line, "line");
            if (read == 0)
                CheckUnknownKey(line, "line");
            return read >= 0;
        }
        return ReadAnnotationLinesData(node, line, cols) >= 0;
    });
}
