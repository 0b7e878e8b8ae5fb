#include "vtkMRMLModelDisplayNode.h"

#include "MRMLXMLHelpers.h"

#include <vtkObjectFactory.h>

#include <ostream>
#include <string>

vtkStandardNewMacro(vtkMRMLModelDisplayNode);

void vtkMRMLModelDisplayNode::PrintSelf(ostream& os, vtkIndent indent)
{
    Superclass::PrintSelf(os, indent);
    os << indent << "ScalarVisibility: " << ScalarVisibility << "\n";
}

void vtkMRMLModelDisplayNode::ReadXMLAttributes(const char** atts)
{
    int wasModifying = StartModify();
    Superclass::ReadXMLAttributes(atts);
    for (int i = 0; atts && atts[i] && atts[i + 1]; i += 2)
        if (std::string(atts[i]) == "scalarVisibility")
            SetScalarVisibility(mrmlxml::parseFlag(atts[i + 1]));
    EndModify(wasModifying);
}

void vtkMRMLModelDisplayNode::WriteXML(ostream& of, int indent)
{
    Superclass::WriteXML(of, indent);
    of << " scalarVisibility=\"" << (ScalarVisibility ? "true" : "false") << "\"";
}

void vtkMRMLModelDisplayNode::Copy(vtkMRMLNode* anode)
{
    int wasModifying = StartModify();
    Superclass::Copy(anode);
    if (auto* node = vtkMRMLModelDisplayNode::SafeDownCast(anode))
        SetScalarVisibility(node->GetScalarVisibility());
    EndModify(wasModifying);
}
