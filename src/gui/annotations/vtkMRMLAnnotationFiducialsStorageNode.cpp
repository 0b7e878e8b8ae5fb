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
        int scheme = 0;
        if (!ReadNumber(value, "the value of pointNumberingScheme", scheme))
            return -1;
        node->SetNumberingScheme(scheme);
        return 1;
    }
    if (MatchKey(line, "# pointColumns = ", value)) {
        // Checked as the other sections' headers are; a label may stand where they have
        // the type.
        Columns checked;
        if (ReadColumnsHeader("pointColumns", value, {"x", "y", "z", "sel", "vis"}, 3, checked, "label") < 0)
            return -1;
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
    bool present[3] = {false, false, false};
    // Field 0 is the row's first field; the scan covers at most `count` fields.
    int column = 0;
    size_t pos = 0;
    while (column < cols.count && pos <= line.size() && !RefusedValue) {
        size_t bar = line.find('|', pos);
        if (bar == std::string_view::npos)
            bar = line.size();
        const std::string_view field = line.substr(pos, bar - pos);
        if (column != cols.label) {
            const int k = column == cols.x ? 0 : column == cols.y ? 1 : column == cols.z ? 2 : -1;
            static const char* const names[] = {"the x field of the point row", "the y field of the point row",
                                                "the z field of the point row"};
            if (k >= 0 && !field.empty()) {
                present[k] = true;
                ReadNumber(field, names[k], p[k]);
            } else if (column == cols.sel || column == cols.vis) {
                const char* what =
                    column == cols.sel ? "the sel field of the point row" : "the vis field of the point row";
                int& flag = column == cols.sel ? sel : vis;
                if (field.empty() || ReadNumber(field, what, flag))
                    CheckFlag(field, what, flag);
            }
        }
        ++column;
        pos = bar + 1;
    }
    if (RefusedValue)
        return -1;
    static const char* const coordinates[] = {"x", "y", "z"};
    const int coordinateColumns[] = {cols.x, cols.y, cols.z};
    for (int k = 0; k < 3; ++k)
        if (coordinateColumns[k] >= 0 && !present[k]) {
            RefusedValue = true;
            vtkErrorMacro(<< ContentSource << ", line " << PassLine << ": the " << coordinates[k]
                          << " field of the point row is empty or missing");
            return -1;
        }
    CheckExtraFields("point", cols.count, pos <= line.size() && column >= cols.count);
    if (!std::isfinite(p[0]) || !std::isfinite(p[1]) || !std::isfinite(p[2])) {
        vtkErrorMacro("Point row with a coordinate that is not a finite number: " << std::string(line.substr(0, 200)));
        return -1;
    }
    node->SetFiducial(p, sel, vis);
    if (PointRowLines.count > 0 && PointRowLines.firstLines.size() < LinesNamed)
        PointRowLines.firstLines.push_back(PointRowLines.last);
    ++PointRowLines.count;
    PointRowLines.last = PassLine;
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
        if (ReadAnnotationTextData(node, line, textCols) == 0 && !RefusedValue) {
            const int read = ReadAnnotationFiducialsData(node, line, pointCols);
            pointRow = read >= 0;
            return read >= 0;
        }
        return !RefusedValue;
    }
    if (line.size() < 2 || line[1] != ' ')
        return true;
    // A refused header or value ends the read.  A node without a text display node has
    // every "# " line refused by the text reader: it goes on to the point readers.
    const int text = ReadAnnotationTextProperties(node, line, textCols);
    if (text > 0)
        return true;
    if (text < 0 && RefusedValue)
        return false;
    if (const int header = ReadAnnotationFiducialsProperties(node, line, pointCols))
        return header > 0;
    const int display = ReadAnnotationPointDisplayProperties(node->GetAnnotationPointDisplayNode(), line, "point");
    if (display < 0) {
        if (RefusedValue)
            return false;
        vtkWarningMacro(<< warningPrefix << ": have a # line that can't parse:\n'" << std::string(line) << "'");
    } else if (display == 0 && text == 0) {
        CheckUnknownKey(line, "text");
        CheckUnknownKey(line, "point");
    }
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
    PointRowLines = PointRowsMet();
    const int ok = RunPass(node, [&](std::string_view line) {
        bool pointRow = false;
        return ReadFiducialLine(node, line, textCols, pointCols, "ReadAnnotation", pointRow);
    });
    // A fiducial is one point: of several point rows the last one is kept, and the
    // others are said, the first few by their lines.
    if (ok && PointRowLines.count > 1) {
        std::string lines;
        for (size_t i = 0; i < PointRowLines.firstLines.size(); ++i)
            lines += (i ? ", " : "") + std::to_string(PointRowLines.firstLines[i]);
        const size_t more = PointRowLines.count - 1 - PointRowLines.firstLines.size();
        if (more > 0)
            lines += " and " + CountText(more) + (more == 1 ? " more line" : " more lines");
        const bool one = PointRowLines.count == 2;
        vtkWarningMacro(<< ContentSource << ": a fiducial holds one point; the point of line " << PointRowLines.last
                        << " is kept, " << (one ? "the point of line " : "the points of lines ") << lines
                        << (one ? " is not" : " are not"));
    }
    PointRowLines = PointRowsMet();
    return ok;
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
    ContentSource = "the fiducial stream";
    PassLine = 0;
    RefusedValue = false;
    ForgetLenientReads();
    while (std::getline(in, line)) {
        ++PassLine;
        bool pointRow = false;
        // A refused header or value ends the reading, and the read fails.
        ReadFiducialLine(node, line, textCols, pointCols, "ReadOneFiducial", pointRow);
        if (RefusedValue)
            break;
        if (pointRow)
            break;
    }
    node->SetDisableModifiedEvent(disabled);
    SayLenientReads();
    return RefusedValue ? 0 : 1;
}
