#include "vtkMRMLAnnotationRulerStorageNode.h"

#include "AnnotationFileText.h"
#include "vtkMRMLAnnotationRulerNode.h"

#include <vtkObjectFactory.h>

#include <istream>
#include <ostream>

vtkStandardNewMacro(vtkMRMLAnnotationRulerStorageNode);

bool vtkMRMLAnnotationRulerStorageNode::CanReadInReferenceNode(vtkMRMLNode* node)
{
    return node && node->IsA("vtkMRMLAnnotationRulerNode");
}

int vtkMRMLAnnotationRulerStorageNode::WriteAnnotationRulerProperties(std::string& out,
                                                                      vtkMRMLAnnotationRulerNode* node)
{
    if (!node) {
        vtkWarningMacro("WriteAnnotationRulerProperties: ref node is null");
        return 0;
    }
    const char* format = node->GetDistanceAnnotationFormat();
    out += "# rulerDistanceAnnotationFormat = " + TextForFile(format ? format : "", false) + "\n";
    out += "# rulerColumns = type|line1ID|sel|vis\n";
    return 1;
}

int vtkMRMLAnnotationRulerStorageNode::WriteAnnotationRulerData(std::string& out, vtkMRMLAnnotationRulerNode* node)
{
    if (!node) {
        vtkWarningMacro("WriteAnnotationRulerData: reference node is null");
        return 0;
    }
    // A ruler still missing an end point has no line 0 to name; a row for it could not be
    // read back.
    vtkIdType ids[2] = {-1, -1};
    if (node->GetNumberOfLines() < 1 || !node->GetEndPointsId(0, ids) || ids[0] != 0 || ids[1] != 1)
        return 1;
    out += "ruler|0|" + std::to_string(node->GetSelected()) + "|" + std::to_string(node->GetDisplayVisibility()) + "\n";
    return 1;
}

int vtkMRMLAnnotationRulerStorageNode::WriteAnnotationDataInternal(vtkMRMLNode* refNode, std::string& out)
{
    if (!Superclass::WriteAnnotationDataInternal(refNode, out)) {
        vtkWarningMacro("Ruler WriteAnnotationDataInternal: unable to call superclass WriteData, retval = 0");
        return 0;
    }
    auto* node = vtkMRMLAnnotationRulerNode::SafeDownCast(refNode);
    if (!node) {
        vtkErrorMacro("WriteAnnotationDataInternal: Reference node is not a proper vtkMRMLAnnotationRulerNode");
        return 0;
    }
    if (!WriteAnnotationRulerProperties(out, node)) {
        vtkWarningMacro("Ruler: WriteAnnotationDataInternal: failure in WriteAnnotationRulerProperties");
        return 0;
    }
    if (!WriteAnnotationRulerData(out, node)) {
        vtkWarningMacro("Ruler: WriteAnnotationDataInternal: failure in WriteAnnotationRulerData");
        return 0;
    }
    return 1;
}

int vtkMRMLAnnotationRulerStorageNode::ReadAnnotationRulerProperties(vtkMRMLAnnotationRulerNode* node,
                                                                     std::string_view line, Columns& cols)
{
    if (!node)
        return 0;
    std::string_view value;
    if (MatchKey(line, "# rulerDistanceAnnotationFormat = ", value)) {
        if (!value.empty() && value.back() == '\r')
            value.remove_suffix(1);
        node->SetDistanceAnnotationFormat(TextFromFile(value).c_str());
        return 1;
    }
    if (MatchKey(line, "# rulerColumns = ", value))
        return ReadColumnsHeader("rulerColumns", value, {"line1ID", "sel", "vis"}, 1, cols);
    return 0;
}

int vtkMRMLAnnotationRulerStorageNode::ReadAnnotationRulerData(vtkMRMLAnnotationRulerNode* node,
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
    if (line.substr(0, 5) != "ruler")
        return 0;
    int lineId = -1, sel = 1, vis = 1;
    const bool extra = ForEachRowField(line, cols.count, FileEscaped, [&](int column, std::string_view field) {
        if (RefusedValue)
            return;
        if (column == cols.field[0] && !field.empty())
            ReadNumber(field, "the line1ID field of the ruler row", lineId);
        else if (column == cols.field[1] || column == cols.field[2]) {
            const bool isSel = column == cols.field[1];
            const char* what = isSel ? "the sel field of the ruler row" : "the vis field of the ruler row";
            int& flag = isSel ? sel : vis;
            if (field.empty() || ReadNumber(field, what, flag))
                CheckFlag(field, what, flag);
        }
    });
    if (RefusedValue)
        return -1;
    CheckExtraFields("ruler", cols.count, extra);
    if (node->SetRuler(lineId, sel, vis) < 0) {
        vtkErrorMacro("Error setting angle , lineID = " << lineId);
        return -1;
    }
    // A ruler has one row: a later one replaces it, its flags with it.
    if (RulerRowLine > 0)
        NoteLenient(Lenient::ReplacedRow, [&](std::ostream& os) {
            os << "a second ruler row; it replaces the one of line " << RulerRowLine << ", and its sel " << sel
               << " and vis " << vis << " are read";
        });
    RulerRowLine = PassLine;
    return 1;
}

int vtkMRMLAnnotationRulerStorageNode::ReadOneRuler(std::istream& in, vtkMRMLAnnotationRulerNode* node)
{
    if (!node) {
        vtkErrorMacro("ReadOneRuler: can't read into a null node");
        return 0;
    }
    if (!GetAddToScene())
        return 1;
    if (in.good())
        vtkErrorMacro("ReadOneRuler: not implemented yet!");
    else
        vtkErrorMacro("ReadOneRuler: file isn't open");
    return 0;
}

int vtkMRMLAnnotationRulerStorageNode::ReadAnnotation(vtkMRMLAnnotationNode* anode)
{
    auto* node = vtkMRMLAnnotationRulerNode::SafeDownCast(anode);
    if (!node) {
        vtkErrorMacro("ReadAnnotation: unable to cast input node " << (anode && anode->GetID() ? anode->GetID() : "")
                                                                   << " to a annotation ruler node");
        return 0;
    }
    if (!Superclass::ReadAnnotation(node))
        return 0;
    if (!OpenFileToRead(node))
        return 0;
    Columns cols;
    cols.field[0] = 1;
    cols.field[1] = 4;
    cols.field[2] = 5;
    cols.field[3] = cols.field[4] = -1;
    RulerRowLine = 0;
    return RunPass(node, [&](std::string_view line) {
        if (line.size() >= 2 && line[0] == '#' && line[1] == ' ') {
            const int read = ReadAnnotationRulerProperties(node, line, cols);
            if (read == 0)
                CheckUnknownKey(line, "ruler");
            return read >= 0;
        }
        return ReadAnnotationRulerData(node, line, cols) >= 0;
    });
}
