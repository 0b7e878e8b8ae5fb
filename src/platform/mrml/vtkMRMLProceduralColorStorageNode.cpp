#include "vtkMRMLProceduralColorStorageNode.h"

#include "ColorFileText.h"
#include "vtkMRMLProceduralColorNode.h"

#include <vexil/AtomicSave.h>

#include <vtkColorTransferFunction.h>
#include <vtkObjectFactory.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <locale>
#include <sstream>
#include <vector>

vtkStandardNewMacro(vtkMRMLProceduralColorStorageNode);

bool vtkMRMLProceduralColorStorageNode::SupportedFileType(const char* fileName)
{
    return mrmlcolor::hasExtension(fileName, {".txt", ".pcf"});
}

int vtkMRMLProceduralColorStorageNode::ReadDataInternal(vtkMRMLNode* refNode)
{
    auto* node = vtkMRMLProceduralColorNode::SafeDownCast(refNode);
    LastError.clear();
    if (!node || !node->GetColorTransferFunction()) {
        LastError = "ReadData: not a procedural colour node";
        vtkErrorMacro(<< LastError);
        return 0;
    }
    // A transfer function sorts its points again on each one added, so its cost grows
    // with the square of their number: a file holds a bounded number of them.
    std::vector<mrmlcolor::Line> lines;
    if (!mrmlcolor::readLines(FileName, 16u << 20, MaximumPoints, lines, LastError)) {
        vtkErrorMacro("ReadData: " << LastError);
        return 0;
    }
    std::vector<std::array<double, 4>> points;
    for (const mrmlcolor::Line& line : lines) {
        std::istringstream in(line.text);
        in.imbue(std::locale::classic());
        std::array<double, 4> p{};
        std::string rest;
        bool ok = static_cast<bool>(in >> p[0] >> p[1] >> p[2] >> p[3]) && !(in >> rest)
            && std::isfinite(p[0]);
        for (int c = 1; ok && c < 4; ++c)
            ok = std::isfinite(p[c]) && p[c] >= 0 && p[c] <= 1;
        if (!ok) {
            LastError = "ReadData: line " + std::to_string(line.number) + " of \"" + FileName
                + "\" is not \"x r g b\" with components 0 to 1";
            vtkErrorMacro(<< LastError);
            return 0;
        }
        points.push_back(p);
    }
    if (points.empty()) {
        LastError = std::string("ReadData: \"") + FileName + "\" holds no points";
        vtkErrorMacro(<< LastError);
        return 0;
    }
    vtkColorTransferFunction* function = node->GetColorTransferFunction();
    int wasModifying = node->StartModify();
    function->RemoveAllPoints();
    for (const auto& p : points)
        function->AddRGBPoint(p[0], p[1], p[2], p[3]);
    node->SetTypeToFile();
    node->EndModify(wasModifying);
    return 1;
}

int vtkMRMLProceduralColorStorageNode::WriteDataInternal(vtkMRMLNode* refNode)
{
    auto* node = vtkMRMLProceduralColorNode::SafeDownCast(refNode);
    LastError.clear();
    if (!node || !node->GetColorTransferFunction()) {
        LastError = "WriteData: not a procedural colour node";
        vtkErrorMacro(<< LastError);
        return 0;
    }
    vtkColorTransferFunction* function = node->GetColorTransferFunction();
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out.precision(std::numeric_limits<double>::max_digits10);
    out << "# Color procedural file " << FileName << "\n# " << function->GetSize() << " points\n";
    for (int i = 0; i < function->GetSize(); ++i) {
        double v[6];
        function->GetNodeValue(i, v);
        out << v[0] << " " << v[1] << " " << v[2] << " " << v[3] << "\n";
    }
    if (!Vexil::saveFileAtomically(FileName, out.str(), LastError)) {
        vtkErrorMacro("WriteData: " << LastError);
        return 0;
    }
    return 1;
}
