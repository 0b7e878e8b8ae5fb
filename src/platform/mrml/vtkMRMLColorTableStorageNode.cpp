#include "vtkMRMLColorTableStorageNode.h"

#include "ColorFileText.h"
#include "vtkMRMLColorTableNode.h"

#include <vexil/AtomicSave.h>
#include <vexil/PrintableText.h>

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

// A word as the line gave it, shortened so that a line of garbage stays readable, and
// printable: the file's bytes reach the console.
std::string shown(const std::string& word)
{
    return Vexil::printableText(word.size() <= 40 ? word : word.substr(0, 40)) + (word.size() <= 40 ? "" : "...");
}

// "index name r g b [a]" with components 0..255; the reason when the line is not that.
std::string parseEntry(const std::string& line, Entry& entry)
{
    std::istringstream in(line);
    in.imbue(std::locale::classic());
    std::string word;
    in >> word;
    // Digits alone, with a sign: a number too long for any type is still an index too large.
    const bool negative = !word.empty() && word[0] == '-';
    const size_t digitsFrom = (!word.empty() && (word[0] == '-' || word[0] == '+')) ? 1 : 0;
    if (word.size() == digitsFrom
        || !std::all_of(word.begin() + static_cast<std::ptrdiff_t>(digitsFrom), word.end(),
                        [](unsigned char c) { return std::isdigit(c); }))
        return "\"" + shown(word) + "\" is no index (a whole number from 0 to "
            + std::to_string(vtkMRMLColorTableStorageNode::MaximumIndex) + ")";
    const std::string digits = word.substr(digitsFrom);
    const size_t significant = std::min(digits.find_first_not_of('0'), digits.size());
    const bool zero = significant == digits.size();
    if (negative && !zero)
        return "index " + shown(word) + " is below 0";
    if (digits.size() - significant > 7
        || (!zero && std::stol(digits.substr(significant)) > vtkMRMLColorTableStorageNode::MaximumIndex))
        return "index " + shown(word) + " is beyond " + std::to_string(vtkMRMLColorTableStorageNode::MaximumIndex);
    const long index = zero ? 0 : std::stol(digits.substr(significant));
    if (!(in >> entry.name))
        return "index " + std::to_string(index) + " has no name";
    double components[4] = {0, 0, 0, 255};
    int count = 0;
    for (; in >> word; ++count) {
        if (count == 4)
            return "more than four colour components (\"index name r g b a\")";
        // Read as C text: "nan" and "inf" are read too, and then refused for what they are.
        std::istringstream number(word);
        number.imbue(std::locale::classic());
        double value = 0;
        std::string rest;
        const bool isNumber = static_cast<bool>(number >> value) && !(number >> rest);
        std::string lower = word.substr(word[0] == '-' || word[0] == '+' ? 1 : 0, 3);
        std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
        const bool special = lower == "nan" || lower == "inf";
        if (!isNumber && !special)
            return "component \"" + shown(word) + "\" is not a number";
        if (special || !std::isfinite(value))
            return "component " + shown(word) + " is not a finite number";
        if (value < 0 || value > 255)
            return "component " + shown(word) + " is outside 0 to 255";
        components[count] = value;
    }
    if (count < 3)
        return "index " + std::to_string(index) + " has " + std::to_string(count)
            + " colour components, not three or four (\"index name r g b a\")";
    entry.index = static_cast<int>(index);
    for (int i = 0; i < 4; ++i)
        entry.rgba[i] = components[i] / 255.0;
    return {};
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
    LastErrorLine = 0;
    if (!node) {
        LastError = "ReadData: not a colour table node";
        vtkErrorMacro(<< LastError);
        return 0;
    }
    std::vector<mrmlcolor::Line> lines;
    if (!mrmlcolor::readLines(FileName, MaximumBytes, MaximumIndex + 1, lines, LastError)) {
        vtkErrorMacro("ReadData: " << LastError);
        return 0;
    }
    std::vector<Entry> entries;
    int largest = -1;
    for (const mrmlcolor::Line& line : lines) {
        Entry entry;
        const std::string reason = parseEntry(line.text, entry);
        if (!reason.empty()) {
            LastError = "line " + std::to_string(line.number) + ": " + reason;
            LastErrorLine = line.number;
            vtkErrorMacro("ReadData: " << LastError);
            return 0;
        }
        largest = std::max(largest, entry.index);
        entries.push_back(entry);
    }
    if (entries.empty()) {
        LastError = "it holds no colours, only blank lines and comments";
        vtkErrorMacro("ReadData: " << LastError);
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
