#include "vtkMRMLAnnotationPointDisplayNode.h"

#include <mrml/MRMLXMLHelpers.h>

#include <vtkObjectFactory.h>

#include <cstring>
#include <ostream>

vtkStandardNewMacro(vtkMRMLAnnotationPointDisplayNode);

namespace {
const char* const GlyphNames[] = {"GlyphMin", "Vertex2D", "Dash2D", "Cross2D", "ThickCross2D",
                                  "Triangle2D", "Square2D", "Circle2D", "Diamond2D", "Arrow2D",
                                  "ThickArrow2D", "HookedArrow2D", "StarBurst2D", "Sphere3D"};
}

vtkMRMLAnnotationPointDisplayNode::vtkMRMLAnnotationPointDisplayNode()
{
    SliceProjection = ProjectionUseFiducialColor | ProjectionOutlinedBehindSlicePlane;
}

void vtkMRMLAnnotationPointDisplayNode::PrintSelf(ostream& os, vtkIndent indent)
{
    Superclass::PrintSelf(os, indent);
    os << indent << "Glyph scale: (" << GlyphScale << ")\n";
    os << indent << "Glyph type: " << GetGlyphTypeAsString() << " (" << GlyphType << ")\n";
    os << indent << "Slice projection: (" << SliceProjection << ")\n";
    os << indent << "Projected Color: (" << ProjectedColor[0] << "," << ProjectedColor[1] << ","
       << ProjectedColor[2] << ")\n";
    os << indent << "Projected Opacity: " << ProjectedOpacity << "\n";
}

void vtkMRMLAnnotationPointDisplayNode::SetGlyphType(int type)
{
    if (GlyphType == type)
        return;
    GlyphType = type;
    Modified();
}

void vtkMRMLAnnotationPointDisplayNode::SetGlyphScale(double scale)
{
    if (GlyphScale == scale)
        return;
    GlyphScale = scale;
    Modified();
}

const char* vtkMRMLAnnotationPointDisplayNode::GetGlyphTypeAsString(int type)
{
    if (type < GlyphMin || type > GlyphMax)
        return "UNKNOWN";
    return GlyphNames[type];
}

void vtkMRMLAnnotationPointDisplayNode::SetGlyphTypeFromString(const char* name)
{
    for (int t = GlyphMin; name && t <= GlyphMax; ++t)
        if (std::strcmp(name, GlyphNames[t]) == 0) {
            SetGlyphType(t);
            return;
        }
    vtkErrorMacro("Invalid glyph type string: " << (name ? name : "(null)"));
}

void vtkMRMLAnnotationPointDisplayNode::WriteXML(ostream& of, int indent)
{
    Superclass::WriteXML(of, indent);
    of << " glyphScale=\"" << mrmlxml::formatDoubles(&GlyphScale, 1) << "\"";
    of << " glyphType=\"" << GlyphType << "\"";
    of << " sliceProjection=\"" << SliceProjection << "\"";
    of << " projectedColor=\"" << mrmlxml::formatDoubles(ProjectedColor, 3) << "\"";
    of << " projectedOpacity=\"" << mrmlxml::formatDoubles(&ProjectedOpacity, 1) << "\"";
}

void vtkMRMLAnnotationPointDisplayNode::ReadXMLAttributes(const char** atts)
{
    int wasModifying = StartModify();
    Superclass::ReadXMLAttributes(atts);
    for (int i = 0; atts && atts[i] && atts[i + 1]; i += 2) {
        const std::string key = atts[i];
        const char* value = atts[i + 1];
        if (key == "glyphScale")
            mrmlxml::parseDoubles(value, &GlyphScale, 1);
        else if (key == "glyphType")
            GlyphType = mrmlxml::parseInt(value);
        else if (ReadProjectionAttribute(key.c_str(), value))
            continue;
    }
    Modified();
    EndModify(wasModifying);
}

void vtkMRMLAnnotationPointDisplayNode::Copy(vtkMRMLNode* anode)
{
    int wasModifying = StartModify();
    Superclass::Copy(anode);
    if (auto* node = vtkMRMLAnnotationPointDisplayNode::SafeDownCast(anode)) {
        SetGlyphType(node->GlyphType);
        SetGlyphScale(node->GlyphScale);
        CopyProjectionFrom(node);
    }
    EndModify(wasModifying);
}

void vtkMRMLAnnotationPointDisplayNode::CreateBackup()
{
    StoreBackup();
}

void vtkMRMLAnnotationPointDisplayNode::RestoreBackup()
{
    if (!CopyBackupBack())
        vtkErrorMacro("RestoreBackup - could not get the attached backup");
}
