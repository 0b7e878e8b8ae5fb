#include "vtkMRMLAnnotationLineDisplayNode.h"

#include <mrml/MRMLXMLHelpers.h>

#include <vtkObjectFactory.h>

#include <algorithm>
#include <cmath>
#include <ostream>

vtkStandardNewMacro(vtkMRMLAnnotationLineDisplayNode);

vtkMRMLAnnotationLineDisplayNode::vtkMRMLAnnotationLineDisplayNode()
{
    SliceProjection = ProjectionDashed | ProjectionColoredWhenParallel | ProjectionThickerOnTop
                    | ProjectionUseRulerColor;
    // Lines are drawn without back-face culling: they have no faces to cull.
    BackfaceCulling = 0;
}

void vtkMRMLAnnotationLineDisplayNode::PrintSelf(ostream& os, vtkIndent indent)
{
    Superclass::PrintSelf(os, indent);
    os << indent << "Line Thickness   : " << LineThickness << "\n";
    os << indent << "Label Position   : " << LabelPosition << "\n";
    os << indent << "Label Visibility : " << (LabelVisibility ? "true" : "false") << "\n";
    os << indent << "Tick Spacing     : " << TickSpacing << "\n";
    os << indent << "Max Ticks        : " << MaxTicks << "\n";
    os << indent << "Slice Projection : " << SliceProjection << "\n";
    os << indent << "Projected Color : (" << ProjectedColor[0] << "," << ProjectedColor[1] << ","
       << ProjectedColor[2] << ")\n";
    os << indent << "Projected Opacity: " << ProjectedOpacity << "\n";
    os << indent << "Under Line Thickness: " << UnderLineThickness << "\n";
    os << indent << "Over Line Thickness: " << OverLineThickness << "\n";
}

void vtkMRMLAnnotationLineDisplayNode::WriteXML(ostream& of, int indent)
{
    Superclass::WriteXML(of, indent);
    auto num = [&](const char* key, double v) { of << " " << key << "=\"" << mrmlxml::formatDoubles(&v, 1) << "\""; };
    num("lineThickness", LineThickness);
    num("labelPosition", LabelPosition);
    of << " labelVisibility=\"" << (LabelVisibility ? "true" : "false") << "\"";
    num("tickSpacing", TickSpacing);
    of << " maxTicks=\"" << MaxTicks << "\"";
    of << " sliceProjection=\"" << SliceProjection << "\"";
    of << " projectedColor=\"" << mrmlxml::formatDoubles(ProjectedColor, 3) << "\"";
    num("projectedOpacity", ProjectedOpacity);
    num("underLineThickness", UnderLineThickness);
    num("overLineThickness", OverLineThickness);
}

void vtkMRMLAnnotationLineDisplayNode::ReadXMLAttributes(const char** atts)
{
    int wasModifying = StartModify();
    Superclass::ReadXMLAttributes(atts);
    for (int i = 0; atts && atts[i] && atts[i + 1]; i += 2) {
        const std::string key = atts[i];
        const char* value = atts[i + 1];
        if (key == "lineThickness")
            mrmlxml::parseDoubles(value, &LineThickness, 1);
        else if (key == "labelPosition") {
            double v = LabelPosition;
            // A file may hold any number: keep the field within the range its setter allows.
            if (mrmlxml::parseDoubles(value, &v, 1) == 1 && !std::isnan(v))
                LabelPosition = std::clamp(v, 0.0, 1.0);
        } else if (key == "labelVisibility")
            LabelVisibility = std::string(value) == "true" ? 1 : 0;
        else if (key == "tickSpacing")
            mrmlxml::parseDoubles(value, &TickSpacing, 1);
        else if (key == "maxTicks")
            MaxTicks = mrmlxml::parseInt(value);
        else if (ReadProjectionAttribute(key.c_str(), value))
            continue;
        else if (key == "underLineThickness")
            mrmlxml::parseDoubles(value, &UnderLineThickness, 1);
        else if (key == "overLineThickness")
            mrmlxml::parseDoubles(value, &OverLineThickness, 1);
    }
    Modified();
    EndModify(wasModifying);
}

void vtkMRMLAnnotationLineDisplayNode::Copy(vtkMRMLNode* anode)
{
    int wasModifying = StartModify();
    Superclass::Copy(anode);
    if (auto* node = vtkMRMLAnnotationLineDisplayNode::SafeDownCast(anode)) {
        SetLineThickness(node->LineThickness);
        SetLabelPosition(node->LabelPosition);
        SetLabelVisibility(node->LabelVisibility);
        SetTickSpacing(node->TickSpacing);
        SetMaxTicks(node->MaxTicks);
        CopyProjectionFrom(node);
        SetUnderLineThickness(node->UnderLineThickness);
        SetOverLineThickness(node->OverLineThickness);
    }
    EndModify(wasModifying);
}

void vtkMRMLAnnotationLineDisplayNode::CreateBackup()
{
    StoreBackup();
}

void vtkMRMLAnnotationLineDisplayNode::RestoreBackup()
{
    if (!CopyBackupBack())
        vtkErrorMacro("RestoreBackup - could not get the attached backup");
}
