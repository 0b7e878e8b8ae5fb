#include "vtkMRMLProceduralColorStorageNode.h"

#include "ColorFileText.h"
#include "vtkMRMLProceduralColorNode.h"

#include <vexil/PrintableText.h>
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

vtkSmartPointer<vtkColorTransferFunction> vtkMRMLProceduralColorStorageNode::ReadFunction()
{
    LastError.clear();
    LastErrorLine = 0;
    // One line more than a file may hold tells a file that holds too many.
    std::vector<mrmlcolor::Line> lines;
    if (!mrmlcolor::readLines(FileName ? FileName : "", MaximumBytes, MaximumPoints + 1, lines, LastError))
        return nullptr;
    if (lines.size() > MaximumPoints) {
        LastError = "a procedural file holds at most " + std::to_string(MaximumPoints)
            + " points, and this one holds more than that";
        return nullptr;
    }
    std::vector<std::array<double, 4>> points;
    points.reserve(lines.size());
    for (const mrmlcolor::Line& line : lines) {
        std::istringstream in(line.text);
        in.imbue(std::locale::classic());
        std::array<double, 4> p{};
        std::string word;
        std::string reason;
        int count = 0;
        for (; reason.empty() && in >> word; ++count) {
            if (count == 4) {
                reason = "more than four numbers (\"x r g b\")";
                break;
            }
            std::istringstream number(word);
            number.imbue(std::locale::classic());
            std::string rest;
            if (!(number >> p[count]) || (number >> rest) || !std::isfinite(p[count]))
                reason = "\"" + Vexil::printableText(word.size() <= 40 ? word : word.substr(0, 40) + "...")
                         + "\" is not a finite number";
            else if (count > 0 && (p[count] < 0 || p[count] > 1))
                reason = "component " + word + " is outside 0 to 1";
        }
        if (reason.empty() && count < 4)
            reason = std::to_string(count) + " numbers, not four (\"x r g b\")";
        if (!reason.empty()) {
            LastError = "line " + std::to_string(line.number) + ": " + reason;
            LastErrorLine = line.number;
            return nullptr;
        }
        points.push_back(p);
    }
    if (points.empty()) {
        LastError = "it holds no points, only blank lines and comments";
        return nullptr;
    }
    // A later point at the same place replaces the earlier one, as adding it would.
    std::stable_sort(points.begin(), points.end(), [](const auto& a, const auto& b) { return a[0] < b[0]; });
    std::vector<std::array<double, 4>> unique;
    unique.reserve(points.size());
    for (size_t i = 0; i < points.size(); ++i)
        if (i + 1 == points.size() || points[i][0] != points[i + 1][0])
            unique.push_back(points[i]);
    auto function = vtkSmartPointer<vtkColorTransferFunction>::New();
    // Each point added sorts them all again; points at even steps (the usual ramp) are
    // set all at once instead, when the steps give back exactly the places written.
    const size_t n = unique.size();
    const double step = n > 1 ? (unique[n - 1][0] - unique[0][0]) / static_cast<double>(n - 1) : 0.0;
    bool even = n > 1;
    for (size_t i = 0; even && i < n; ++i)
        even = unique[0][0] + step * static_cast<double>(i) == unique[i][0];
    if (even) {
        std::vector<double> table;
        table.reserve(3 * n);
        for (const auto& p : unique)
            table.insert(table.end(), {p[1], p[2], p[3]});
        function->BuildFunctionFromTable(unique[0][0], unique[n - 1][0], static_cast<int>(n), table.data());
        for (size_t i = 0; even && i < n; ++i) {
            double node[6];
            even = function->GetNodeValue(static_cast<int>(i), node) == 1 && node[0] == unique[i][0];
        }
    }
    if (!even) {
        function->RemoveAllPoints();
        for (const auto& p : unique)
            function->AddRGBPoint(p[0], p[1], p[2], p[3]);
    }
    return function;
}

int vtkMRMLProceduralColorStorageNode::ReadDataInternal(vtkMRMLNode* refNode)
{
    auto* node = vtkMRMLProceduralColorNode::SafeDownCast(refNode);
    if (!node) {
        LastError = "ReadData: not a procedural colour node";
        LastErrorLine = 0;
        vtkErrorMacro(<< LastError);
        return 0;
    }
    // Read into a function of its own: the node's may be shared with other scenes'.
    vtkSmartPointer<vtkColorTransferFunction> function = ReadFunction();
    if (!function) {
        vtkErrorMacro("ReadData: " << LastError);
        return 0;
    }
    int wasModifying = node->StartModify();
    node->SetAndObserveColorTransferFunction(function);
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
