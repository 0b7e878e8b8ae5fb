#include "vtkMRMLColorNode.h"

#include "MRMLXMLHelpers.h"

#include <vtkScalarsToColors.h>

#include <ostream>
#include <string>

vtkMRMLColorNode::vtkMRMLColorNode()
{
    HideFromEditors = 0;
}

vtkMRMLColorNode::~vtkMRMLColorNode() = default;

void vtkMRMLColorNode::PrintSelf(ostream& os, vtkIndent indent)
{
    Superclass::PrintSelf(os, indent);
    os << indent << "Type: " << Type << "\n";
    os << indent << "NumberOfColors: " << GetNumberOfColors() << "\n";
}

void vtkMRMLColorNode::ReadXMLAttributes(const char** atts)
{
    int wasModifying = StartModify();
    Superclass::ReadXMLAttributes(atts);
    for (int i = 0; atts && atts[i] && atts[i + 1]; i += 2)
        if (std::string(atts[i]) == "type")
            SetType(mrmlxml::parseInt(atts[i + 1]));
    EndModify(wasModifying);
}

void vtkMRMLColorNode::WriteXML(ostream& of, int indent)
{
    Superclass::WriteXML(of, indent);
    of << " type=\"" << Type << "\"";
}

void vtkMRMLColorNode::Copy(vtkMRMLNode* anode)
{
    int wasModifying = StartModify();
    Superclass::Copy(anode);
    if (auto* node = vtkMRMLColorNode::SafeDownCast(anode)) {
        SetType(node->Type);
        Names = node->Names;
        Modified();
    }
    EndModify(wasModifying);
}

void vtkMRMLColorNode::SetType(int type)
{
    if (Type == type)
        return;
    Type = type;
    Modified();
}

bool vtkMRMLColorNode::GetColor(int i, double rgba[4])
{
    vtkScalarsToColors* colors = GetScalarsToColors();
    if (!colors || i < 0 || i >= GetNumberOfColors())
        return false;
    colors->GetColor(i, rgba);
    rgba[3] = colors->GetOpacity(i);
    return true;
}

const char* vtkMRMLColorNode::GetColorName(int i) const
{
    if (i < 0 || i >= static_cast<int>(Names->size()))
        return "";
    return (*Names)[static_cast<size_t>(i)].c_str();
}

bool vtkMRMLColorNode::SetColorName(int i, const char* name)
{
    if (i < 0)
        return false;
    if (i >= static_cast<int>(Names->size()))
        ResizeNames(i + 1);
    const std::string value = name ? name : "";
    if ((*Names)[static_cast<size_t>(i)] == value)
        return true;
    OwnEntries();
    (*Names)[static_cast<size_t>(i)] = value;
    Modified();
    return true;
}

void vtkMRMLColorNode::ResizeNames(int n)
{
    const size_t size = static_cast<size_t>(n < 0 ? 0 : n);
    if (size == Names->size())
        return;
    OwnEntries();
    Names->resize(size);
}

void vtkMRMLColorNode::OwnEntries()
{
    if (Names.use_count() > 1)
        Names = std::make_shared<std::vector<std::string>>(*Names);
}
