#include "vtkMRMLViewNode.h"

#include "MRMLXMLHelpers.h"

#include <vtkObjectFactory.h>

#include <ostream>
#include <string>

vtkStandardNewMacro(vtkMRMLViewNode);

void vtkMRMLViewNode::PrintSelf(ostream& os, vtkIndent indent)
{
    Superclass::PrintSelf(os, indent);
    os << indent << "BoxVisible: " << BoxVisible << "\n";
    os << indent << "AxisLabelsVisible: " << AxisLabelsVisible << "\n";
}

void vtkMRMLViewNode::ReadXMLAttributes(const char** atts)
{
    int wasModifying = StartModify();
    Superclass::ReadXMLAttributes(atts);
    for (int i = 0; atts && atts[i] && atts[i + 1]; i += 2) {
        const std::string name = atts[i];
        if (name == "boxVisible")
            SetBoxVisible(mrmlxml::parseFlag(atts[i + 1]));
        else if (name == "axisLabelsVisible")
            SetAxisLabelsVisible(mrmlxml::parseFlag(atts[i + 1]));
    }
    EndModify(wasModifying);
}

void vtkMRMLViewNode::WriteXML(ostream& of, int indent)
{
    Superclass::WriteXML(of, indent);
    of << " boxVisible=\"" << (BoxVisible ? "true" : "false") << "\"";
    of << " axisLabelsVisible=\"" << (AxisLabelsVisible ? "true" : "false") << "\"";
}

void vtkMRMLViewNode::Copy(vtkMRMLNode* anode)
{
    int wasModifying = StartModify();
    Superclass::Copy(anode);
    if (auto* node = vtkMRMLViewNode::SafeDownCast(anode)) {
        SetBoxVisible(node->GetBoxVisible());
        SetAxisLabelsVisible(node->GetAxisLabelsVisible());
    }
    EndModify(wasModifying);
}
