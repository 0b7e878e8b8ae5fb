#include "vtkMRMLAbstractViewNode.h"

#include "MRMLXMLHelpers.h"

#include <ostream>
#include <string>

vtkMRMLAbstractViewNode::vtkMRMLAbstractViewNode() = default;

vtkMRMLAbstractViewNode::~vtkMRMLAbstractViewNode()
{
    delete[] LayoutName;
}

void vtkMRMLAbstractViewNode::PrintSelf(ostream& os, vtkIndent indent)
{
    Superclass::PrintSelf(os, indent);
    os << indent << "LayoutName: " << (LayoutName ? LayoutName : "(none)") << "\n";
    os << indent << "BackgroundColor: " << mrmlxml::formatDoubles(BackgroundColor, 3) << "\n";
    os << indent << "BackgroundColor2: " << mrmlxml::formatDoubles(BackgroundColor2, 3) << "\n";
    os << indent << "Visibility: " << Visibility << "\n";
    os << indent << "MappedInLayout: " << MappedInLayout << "\n";
}

void vtkMRMLAbstractViewNode::ReadXMLAttributes(const char** atts)
{
    int wasModifying = StartModify();
    Superclass::ReadXMLAttributes(atts);
    for (int i = 0; atts && atts[i] && atts[i + 1]; i += 2) {
        const std::string name = atts[i];
        const char* value = atts[i + 1];
        double c[3];
        if (name == "layoutName")
            SetLayoutName(value);
        else if (name == "backgroundColor" && mrmlxml::parseDoubles(value, c, 3) == 3)
            SetBackgroundColor(c);
        else if (name == "backgroundColor2" && mrmlxml::parseDoubles(value, c, 3) == 3)
            SetBackgroundColor2(c);
        else if (name == "visibility")
            SetVisibility(mrmlxml::parseFlag(value));
        else if (name == "mappedInLayout")
            SetMappedInLayout(mrmlxml::parseFlag(value));
    }
    EndModify(wasModifying);
}

void vtkMRMLAbstractViewNode::WriteXML(ostream& of, int indent)
{
    Superclass::WriteXML(of, indent);
    if (LayoutName)
        of << " layoutName=\"" << XMLAttributeEncodeString(LayoutName) << "\"";
    of << " backgroundColor=\"" << mrmlxml::formatDoubles(BackgroundColor, 3) << "\"";
    of << " backgroundColor2=\"" << mrmlxml::formatDoubles(BackgroundColor2, 3) << "\"";
    of << " visibility=\"" << (Visibility ? "true" : "false") << "\"";
    of << " mappedInLayout=\"" << (MappedInLayout ? "true" : "false") << "\"";
}

void vtkMRMLAbstractViewNode::Copy(vtkMRMLNode* anode)
{
    int wasModifying = StartModify();
    Superclass::Copy(anode);
    if (auto* node = vtkMRMLAbstractViewNode::SafeDownCast(anode)) {
        SetLayoutName(node->GetLayoutName());
        SetBackgroundColor(node->GetBackgroundColor());
        SetBackgroundColor2(node->GetBackgroundColor2());
        SetVisibility(node->GetVisibility());
        SetMappedInLayout(node->GetMappedInLayout());
    }
    EndModify(wasModifying);
}
