#include "vtkMRMLClipModelsNode.h"

#include "MRMLXMLHelpers.h"

#include <vtkObjectFactory.h>

#include <ostream>
#include <string>

vtkStandardNewMacro(vtkMRMLClipModelsNode);

void vtkMRMLClipModelsNode::PrintSelf(ostream& os, vtkIndent indent)
{
    Superclass::PrintSelf(os, indent);
    os << indent << "ClipType: " << ClipType << "\n";
    os << indent << "RedSliceClipState: " << RedSliceClipState << "\n";
    os << indent << "YellowSliceClipState: " << YellowSliceClipState << "\n";
    os << indent << "GreenSliceClipState: " << GreenSliceClipState << "\n";
    os << indent << "ClippingMethod: " << ClippingMethod << "\n";
    os << indent << "ClipOrigin: " << mrmlxml::formatDoubles(ClipOrigin, 3) << "\n";
}

void vtkMRMLClipModelsNode::ReadXMLAttributes(const char** atts)
{
    int wasModifying = StartModify();
    Superclass::ReadXMLAttributes(atts);
    for (int i = 0; atts && atts[i] && atts[i + 1]; i += 2) {
        const std::string name = atts[i];
        const char* value = atts[i + 1];
        double origin[3];
        if (name == "clipType")
            SetClipType(mrmlxml::parseInt(value));
        else if (name == "redSliceClipState")
            SetRedSliceClipState(mrmlxml::parseInt(value));
        else if (name == "yellowSliceClipState")
            SetYellowSliceClipState(mrmlxml::parseInt(value));
        else if (name == "greenSliceClipState")
            SetGreenSliceClipState(mrmlxml::parseInt(value));
        else if (name == "clippingMethod")
            SetClippingMethod(mrmlxml::parseInt(value));
        else if (name == "clipOrigin" && mrmlxml::parseDoubles(value, origin, 3) == 3)
            SetClipOrigin(origin);
    }
    EndModify(wasModifying);
}

void vtkMRMLClipModelsNode::WriteXML(ostream& of, int indent)
{
    Superclass::WriteXML(of, indent);
    of << " clipType=\"" << ClipType << "\"";
    of << " redSliceClipState=\"" << RedSliceClipState << "\"";
    of << " yellowSliceClipState=\"" << YellowSliceClipState << "\"";
    of << " greenSliceClipState=\"" << GreenSliceClipState << "\"";
    of << " clippingMethod=\"" << ClippingMethod << "\"";
    of << " clipOrigin=\"" << mrmlxml::formatDoubles(ClipOrigin, 3) << "\"";
}

void vtkMRMLClipModelsNode::Copy(vtkMRMLNode* anode)
{
    int wasModifying = StartModify();
    Superclass::Copy(anode);
    if (auto* node = vtkMRMLClipModelsNode::SafeDownCast(anode)) {
        SetClipType(node->GetClipType());
        SetRedSliceClipState(node->GetRedSliceClipState());
        SetYellowSliceClipState(node->GetYellowSliceClipState());
        SetGreenSliceClipState(node->GetGreenSliceClipState());
        SetClippingMethod(node->GetClippingMethod());
        SetClipOrigin(node->GetClipOrigin());
    }
    EndModify(wasModifying);
}
