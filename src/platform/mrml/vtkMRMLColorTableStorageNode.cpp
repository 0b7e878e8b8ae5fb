#include "vtkMRMLColorTableStorageNode.h"

#include "ColorFileText.h"
#include "vtkMRMLColorTableNode.h"

#include <vexil/AtomicSave.h>

#include <vtkLookupTable.h>
#include <vtkObjectFactory.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <locale>
#include <sstream>
#include <vector>

vtkStandardNewMacro(vtkMRMLColorTableStorageNode);

namespace {

struct Entry
{
    int index = 0;
    std::string name;
    double rgba[4] = {0, 0, 0, 1};
};

// "index name r g b [a]" with integer components 0..255.
bool parseEntry(const std::string& line, Entry& entry)
{
    std::istringstream in(line);
    in.imbue(std::locale::classic());
    long index = -1;
    if (!(in >> index) || index < 0 || index > vtkMRMLColorTableStorageNode::MaximumIndex)
        return false;
    if (!(in >> entry.name))
        return false;
    double components[4] = {0, 0, 0, 255};
    int count = 0;
    for (; count < 4; ++count)
        if (!(in >> components[count]))
            break;
    if (count < 3)
        return false;
    std::string rest;
    if (count == 4 && (in >> rest))
        return false;
    for (double c : components)
        if (!std::isfinite(c) || c < 0 || c > 255)
            return false;
    entry.index = static_cast<int>(index);
    for (int i = 0; i < 4; ++i)
        entry.rgba[i] = components[i] / 255.0;
    return true;
}

int toByte(double c)
{
    return static_cast<int>(std::lround(std::clamp(c, 0.0, 1.0) * 255.0));
}

} // namespace

bool vtkMRMLColorTableStorageNode::SupportedFileType(const char* fileName)
{
    return mrmlcolor::hasExtension(fileName, {".txt", ".ctbl"});
}

int vtkMRMLColorTableStorageNode::ReadDataInternal(vtkMRMLNode* refNode)
{
    auto* node = vtkMRMLColorTableNode::SafeDownCast(refNode);
    LastError.clear();
    if (!node) {
        LastError = "ReadData: not a colour table node";
        vtkErrorMacro(<< LastError);
        return 0;
    }
    std::vector<mrmlcolor::Line> lines;
    if (!mrmlcolor::readLines(FileName, 64u << 20, MaximumIndex + 1, lines, LastError)) {
        vtkErrorMacro("ReadData: " << LastError);
        return 0;
    }
    std::vector<Entry> entries;
    int largest = -1;
    for (const mrmlcolor::Line& line : lines) {
        Entry entry;
        if (!parseEntry(line.text, entry)) {
            LastError = "ReadData: line " + std::to_string(line.number) + " of \"" + FileName
                + "\" is not \"index name r g b a\" with components 0 to 255";
            vtkErrorMacro(<< LastError);
            return 0;
        }
        largest = std::max(largest, entry.index);
        entries.push_back(entry);
    }
    if (entries.empty()) {
        LastError = std::string("ReadData: \"") + FileName + "\" holds no colours";
        vtkErrorMacro(<< LastError);
        return 0;
    }
    int wasModifying = node->StartModify();
    node->SetNumberOfColors(0);
    node->SetNumberOfColors(largest + 1);
    for (const Entry& e : entries)
        node->SetColor(e.index, e.name.c_str(), e.rgba[0], e.rgba[1], e.rgba[2], e.rgba[3]);
    node->GetLookupTable()->SetTableRange(0, largest);
    node->SetTypeToFile();
    node->EndModify(wasModifying);
    return 1;
}

int vtkMRMLColorTableStorageNode::WriteDataInternal(vtkMRMLNode* refNode)
{
    auto* node = vtkMRMLColorTableNode::SafeDownCast(refNode);
    LastError.clear();
    if (!node) {
        LastError = "WriteData: not a colour table node";
        vtkErrorMacro(<< LastError);
        return 0;
    }
    const int n = node->GetNumberOfColors();
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << "# Color table file " << FileName << "\n# " << n << " values\n";
    for (int i = 0; i < n; ++i) {
        double rgba[4];
        node->GetColor(i, rgba);
        std::string name = node->GetColorName(i);
        // Entries nobody named or coloured are left out, but the last one keeps the size.
        const bool empty = name.empty() && rgba[0] == 0 && rgba[1] == 0 && rgba[2] == 0 && rgba[3] == 0;
        if (empty && i != n - 1)
            continue;
        if (name.empty())
            name = "unnamed";
        std::replace_if(name.begin(), name.end(), [](unsigned char c) { return std::isspace(c); }, '_');
        out << i << " " << name << " " << toByte(rgba[0]) << " " << toByte(rgba[1]) << " "
            << toByte(rgba[2]) << " " << toByte(rgba[3]) << "\n";
    }
    if (!Vexil::saveFileAtomically(FileName, out.str(), LastError)) {
        vtkErrorMacro("WriteData: " << LastError);
        return 0;
    }
    return 1;
}
