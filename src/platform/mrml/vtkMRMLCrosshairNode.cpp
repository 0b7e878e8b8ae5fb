#include "vtkMRMLCrosshairNode.h"

#include "MRMLXMLHelpers.h"

#include <vtkObjectFactory.h>

#include <ostream>
#include <string>

vtkStandardNewMacro(vtkMRMLCrosshairNode);

vtkMRMLCrosshairNode::vtkMRMLCrosshairNode()
{
    SetCrosshairName("default");
}

vtkMRMLCrosshairNode::~vtkMRMLCrosshairNode()
{
    delete[] CrosshairName;
}

void vtkMRMLCrosshairNode::PrintSelf(ostream& os, vtkIndent indent)
{
    Superclass::PrintSelf(os, indent);
    os << indent << "CrosshairName: " << (CrosshairName ? CrosshairName : "(none)") << "\n";
    os << indent << "CrosshairMode: " << CrosshairMode << "\n";
    os << indent << "CrosshairThickness: " << CrosshairThickness << "\n";
    os << indent << "CrosshairBehavior: " << CrosshairBehavior << "\n";
    os << indent << "CrosshairRAS: " << mrmlxml::formatDoubles(CrosshairRAS, 3) << "\n";
}

void vtkMRMLCrosshairNode::ReadXMLAttributes(const char** atts)
{
    int wasModifying = StartModify();
    Superclass::ReadXMLAttributes(atts);
    for (int i = 0; atts && atts[i] && atts[i + 1]; i += 2) {
        const std::string name = atts[i];
        const char* value = atts[i + 1];
        double ras[3];
        if (name == "crosshairName")
            SetCrosshairName(value);
        else if (name == "crosshairMode")
            SetCrosshairMode(mrmlxml::parseInt(value));
        else if (name == "crosshairThickness")
            SetCrosshairThickness(mrmlxml::parseInt(value));
        else if (name == "crosshairBehavior")
            SetCrosshairBehavior(mrmlxml::parseInt(value));
        else if (name == "crosshairRAS" && mrmlxml::parseDoubles(value, ras, 3) == 3)
            SetCrosshairRAS(ras);
    }
    EndModify(wasModifying);
}

void vtkMRMLCrosshairNode::WriteXML(ostream& of, int indent)
{
    Superclass::WriteXML(of, indent);
    if (CrosshairName)
        of << " crosshairName=\"" << XMLAttributeEncodeString(CrosshairName) << "\"";
    of << " crosshairMode=\"" << CrosshairMode << "\"";
    of << " crosshairThickness=\"" << CrosshairThickness << "\"";
    of << " crosshairBehavior=\"" << CrosshairBehavior << "\"";
    of << " crosshairRAS=\"" << mrmlxml::formatDoubles(CrosshairRAS, 3) << "\"";
}

void vtkMRMLCrosshairNode::Copy(vtkMRMLNode* anode)
{
    int wasModifying = StartModify();
    Superclass::Copy(anode);
    if (auto* node = vtkMRMLCrosshairNode::SafeDownCast(anode)) {
        SetCrosshairName(node->GetCrosshairName());
        SetCrosshairMode(node->GetCrosshairMode());
        SetCrosshairThickness(node->GetCrosshairThickness());
        SetCrosshairBehavior(node->GetCrosshairBehavior());
        SetCrosshairRAS(node->GetCrosshairRAS());
    }
    EndModify(wasModifying);
}
