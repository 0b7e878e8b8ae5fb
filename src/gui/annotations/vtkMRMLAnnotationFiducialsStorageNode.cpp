#include "vtkMRMLAnnotationFiducialsStorageNode.h"

#include "AnnotationFileText.h"
#include "vtkMRMLAnnotationFiducialNode.h"

#include <vtkObjectFactory.h>

#include <cmath>

#include <istream>
#include <string>

vtkStandardNewMacro(vtkMRMLAnnotationFiducialsStorageNode);

vtkMRMLAnnotationFiducialsStorageNode::vtkMRMLAnnotationFiducialsStorageNode()
{
    WriteFileTypes.push_back("Fiducial List CSV (.fcsv)");
}

bool vtkMRMLAnnotationFiducialsStorageNode::CanReadInReferenceNode(vtkMRMLNode* node)
{
    return node && node->IsA("vtkMRMLAnnotationFiducialNode");
}

void vtkMRMLAnnotationFiducialsStorageNode::ReportWrongNodeClass(vtkMRMLNode*)
{
    vtkErrorMacro("ReadAnnotation: unable to read into a null annotation fiducial node node");
}

int vtkMRMLAnnotationFiducialsStorageNode::ReadAnnotationFiducialsProperties(vtkMRMLAnnotationFiducialNode* node,
                                                                             std::string_view line,
                                                                             FiducialColumns& cols)
{
    if (!node || line.size() < 2 || line[0] != '#' || line[1] != ' ')
        return 0;
    std::string_view value;
    if (MatchKey(line, "# pointNumberingScheme = ", value)) {
        node->SetNumberingScheme(annotationtext::parseInt(value));
        return 1;
    }
    if (MatchKey(line, "# pointColumns = ", value)) {
        cols = FiducialColumns{-1, -1, -1, -1, -1, -1, 0};
        ForEachColumnName(value, [&cols](std::string_view name) {
            if (name == "label") cols.label = cols.count;
            else if (name == "x") cols.x = cols.count;
            else if (name == "y") cols.y = cols.count;
            else if (name == "z") cols.z = cols.count;
            else if (name == "sel") cols.sel = cols.count;
            else if (name == "vis") cols.vis = cols.count;
            ++cols.count;
            return true;
        });
        return 1;
    }
    return 0;
}

int vtkMRMLAnnotationFiducialsStorageNode::ReadAnnotationFiducialsData(vtkMRMLAnnotationFiducialNode* node,
                                                                       std::string_view line,
                                                                       const FiducialColumns& cols)
{
    if (!node)
        return -1;
    if (line.empty())
        return 1;
    if (line.substr(0, 5) != "point")
        return 0;
    double p[3] = {0, 0, 0};
    int sel = 1, vis = 1;
    // Field 0 is the row's first field; the scan covers at most `count` fields.
    int column = 0;
    size_t pos = 0;
    while (column < cols.count && pos <= line.size()) {
        size_t bar = line.find('|', pos);
        if (bar == std::string_view::npos)
            bar = line.size();
        const std::string_view field = line.substr(pos, bar - pos);
        if (!field.empty() && column != cols.label) {
            if (column == cols.x) p[0] = annotationtext::parseDouble(field);
            else if (column == cols.y) p[1] = annotationtext::parseDouble(field);
            else if (column == cols.z) p[2] = annotationtext::parseDouble(field);
            else if (column == cols.sel) sel = annotationtext::parseInt(field);
            else if (column == cols.vis) vis = annotationtext::parseInt(field);
        }
        ++column;
        pos = bar + 1;
    }
    if (!std::isfinite(p[0]) || !std::isfinite(p[1]) || !std::isfinite(p[2])) {
        vtkErrorMacro("Point row with a coordinate that is not a finite number: " << std::string(line.substr(0, 200)));
        return -1;
    }
    node->SetFiducial(p, sel, vis);
    return 1;
}

bool vtkMRMLAnnotationFiducialsStorageNode::ReadFiducialLine(vtkMRMLAnnotationFiducialNode* node,
                                                             std::string_view line, Columns& textCols,
                                                             FiducialColumns& pointCols, const char* warningPrefix,
                                                             bool& pointRow)
{
    pointRow = false;
    if (line.empty())
        return true;
    if (line[0] != '#') {
        if (ReadAnnotationTextData(node, line, textCols) == 0) {
            const int read = ReadAnnotationFiducialsData(node, line, pointCols);
            pointRow = read >= 0;
            return read >= 0;
        }
        return true;
    }
    if (line.size() < 2 || line[1] != ' ')
        return true;
    if (const int read = ReadAnnotationTextProperties(node, line, textCols))
        return read > 0;
    if (ReadAnnotationFiducialsProperties(node, line, pointCols))
        return true;
    if (ReadAnnotationPointDisplayProperties(node->GetAnnotationPointDisplayNode(), line, "point") < 0)
        vtkWarningMacro(<< warningPrefix << ": have a # line that can't parse:\n'" << std::string(line) << "'");
    return true;
}

int vtkMRMLAnnotationFiducialsStorageNode::ReadAnnotation(vtkMRMLAnnotationNode* anode)
{
    auto* node = vtkMRMLAnnotationFiducialNode::SafeDownCast(anode);
    if (!node) {
        vtkErrorMacro("ReadAnnotation: unable to read into a null annotation fiducial node node");
        return 0;
    }
    if (!OpenFileToRead(node))
        return 0;
    node->CreateAnnotationTextDisplayNode();
    node->CreateAnnotationPointDisplayNode();
    Columns textCols;
    textCols.field[0] = 1;
    textCols.field[1] = 2;
    textCols.field[2] = 3;
    textCols.count = 4;
    FiducialColumns pointCols;
    return RunPass(node, [&](std::string_view line) {
        bool pointRow = false;
        return ReadFiducialLine(node, line, textCols, pointCols, "ReadAnnotation", pointRow);
    });
}

int vtkMRMLAnnotationFiducialsStorageNode::ReadOneFiducial(std::istream& in, vtkMRMLAnnotationFiducialNode* node)
{
    if (!node) {
        vtkErrorMacro("ReadOneFiducial: can't read into a null node");
        return 0;
    }
    // A storage node kept out of the scene reads nothing, as the ruler's reader does.
    if (!GetAddToScene())
        return 1;
    if (!in.good()) {
        vtkErrorMacro("ReadOneFiducial: file isn't open");
        return 0;
    }
    node->CreateAnnotationTextDisplayNode();
    node->CreateAnnotationPointDisplayNode();
    const int disabled = node->GetDisableModifiedEvent();
    node->SetDisableModifiedEvent(1);
    Columns textCols;
    textCols.field[0] = 1;
    textCols.field[1] = 2;
    textCols.field[2] = 3;
    textCols.count = 4;
    FiducialColumns pointCols;
    std::string line;
    while (std::getline(in, line)) {
        bool pointRow = false;
        ReadFiducialLine(node, line, textCols, pointCols, "ReadOneFiducial", pointRow);
        if (pointRow)
            break;
    }
    node->SetDisableModifiedEvent(disabled);
    return 1;
}
