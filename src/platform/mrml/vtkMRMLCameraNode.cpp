#include "vtkMRMLCameraNode.h"

#include "MRMLXMLHelpers.h"

#include <vtkObjectFactory.h>

#include <ostream>
#include <string>

vtkStandardNewMacro(vtkMRMLCameraNode);

namespace {
double parseDouble(const char* text, double fallback)
{
    double v = fallback;
    return mrmlxml::parseDoubles(text, &v, 1) == 1 ? v : fallback;
}
} // namespace

vtkMRMLCameraNode::vtkMRMLCameraNode() = default;

vtkMRMLCameraNode::~vtkMRMLCameraNode()
{
    delete[] LayoutName;
}

void vtkMRMLCameraNode::PrintSelf(ostream& os, vtkIndent indent)
{
    Superclass::PrintSelf(os, indent);
    os << indent << "LayoutName: " << (LayoutName ? LayoutName : "(none)") << "\n";
    os << indent << "Position: " << mrmlxml::formatDoubles(Position, 3) << "\n";
    os << indent << "FocalPoint: " << mrmlxml::formatDoubles(FocalPoint, 3) << "\n";
    os << indent << "ViewUp: " << mrmlxml::formatDoubles(ViewUp, 3) << "\n";
    os << indent << "ParallelProjection: " << ParallelProjection << "\n";
    os << indent << "ParallelScale: " << ParallelScale << "\n";
    os << indent << "ViewAngle: " << ViewAngle << "\n";
}

void vtkMRMLCameraNode::ReadXMLAttributes(const char** atts)
{
    int wasModifying = StartModify();
    Superclass::ReadXMLAttributes(atts);
    for (int i = 0; atts && atts[i] && atts[i + 1]; i += 2) {
        const std::string name = atts[i];
        const char* value = atts[i + 1];
        double v[3];
        if (name == "layoutName")
            SetLayoutName(value);
        else if (name == "position" && mrmlxml::parseDoubles(value, v, 3) == 3)
            SetPosition(v);
        else if (name == "focalPoint" && mrmlxml::parseDoubles(value, v, 3) == 3)
            SetFocalPoint(v);
        else if (name == "viewUp" && mrmlxml::parseDoubles(value, v, 3) == 3)
            SetViewUp(v);
        else if (name == "parallelProjection")
            SetParallelProjection(mrmlxml::parseFlag(value));
        else if (name == "parallelScale")
            SetParallelScale(parseDouble(value, ParallelScale));
        else if (name == "viewAngle")
            SetViewAngle(parseDouble(value, ViewAngle));
    }
    EndModify(wasModifying);
}

void vtkMRMLCameraNode::WriteXML(ostream& of, int indent)
{
    Superclass::WriteXML(of, indent);
    if (LayoutName)
        of << " layoutName=\"" << XMLAttributeEncodeString(LayoutName) << "\"";
    of << " position=\"" << mrmlxml::formatDoubles(Position, 3) << "\"";
    of << " focalPoint=\"" << mrmlxml::formatDoubles(FocalPoint, 3) << "\"";
    of << " viewUp=\"" << mrmlxml::formatDoubles(ViewUp, 3) << "\"";
    of << " parallelProjection=\"" << (ParallelProjection ? "true" : "false") << "\"";
    of << " parallelScale=\"" << mrmlxml::formatDoubles(&ParallelScale, 1) << "\"";
    of << " viewAngle=\"" << mrmlxml::formatDoubles(&ViewAngle, 1) << "\"";
}

void vtkMRMLCameraNode::Copy(vtkMRMLNode* anode)
{
    int wasModifying = StartModify();
    Superclass::Copy(anode);
    if (auto* node = vtkMRMLCameraNode::SafeDownCast(anode)) {
        SetLayoutName(node->GetLayoutName());
        SetPosition(node->GetPosition());
        SetFocalPoint(node->GetFocalPoint());
        SetViewUp(node->GetViewUp());
        SetParallelProjection(node->GetParallelProjection());
        SetParallelScale(node->GetParallelScale());
        SetViewAngle(node->GetViewAngle());
    }
    EndModify(wasModifying);
}
