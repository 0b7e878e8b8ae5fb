#include "vtkMRMLAnnotationBidimensionalNode.h"

#include "AnnotationFileText.h"

#include <vtkObjectFactory.h>

#include <cstring>

vtkStandardNewMacro(vtkMRMLAnnotationBidimensionalNode);

vtkMRMLAnnotationBidimensionalNode::vtkMRMLAnnotationBidimensionalNode()
{
    SetAnnotationFormat("%.1f");
}

vtkMRMLAnnotationBidimensionalNode::~vtkMRMLAnnotationBidimensionalNode()
{
    delete[] AnnotationFormat;
}

void vtkMRMLAnnotationBidimensionalNode::SetAnnotationFormat(const char* format)
{
    if ((!format && !AnnotationFormat) || (format && AnnotationFormat && std::strcmp(format, AnnotationFormat) == 0))
        return;
    delete[] AnnotationFormat;
    AnnotationFormat = nullptr;
    if (format) {
        AnnotationFormat = new char[std::strlen(format) + 1];
        std::strcpy(AnnotationFormat, format);
    }
    Modified();
}

void vtkMRMLAnnotationBidimensionalNode::SetResolution(int resolution)
{
    if (Resolution == resolution)
        return;
    Resolution = resolution;
    Modified();
}

void vtkMRMLAnnotationBidimensionalNode::Initialize(vtkMRMLScene* scene)
{
    Superclass::Initialize(scene);
    if (!scene)
        return;
    AddText(" ", 1, 1);
    InvokeEvent(BidimensionalNodeAddedEvent);
}

void vtkMRMLAnnotationBidimensionalNode::SetBidimensionalMeasurement(double m1, double m2)
{
    Measurement1 = m1;
    Measurement2 = m2;
    InvokeEvent(ValueModifiedEvent);
}

int vtkMRMLAnnotationBidimensionalNode::SetControlPoint(const double coord[3], int id)
{
    if (id < 0 || id > 3)
        return 0;
    if (!vtkMRMLAnnotationLinesNode::SetControlPoint(id, coord, 1, 1))
        return 0;
    if (GetNumberOfControlPoints() >= 3 && GetNumberOfLines() != 2) {
        AddLine(0, 1, 1, 1);
        AddLine(1, 2, 1, 1);
    }
    return 1;
}

int vtkMRMLAnnotationBidimensionalNode::SetControlPointWorldCoordinates(const double world[3], int id)
{
    double local[3] = {0, 0, 0};
    TransformPointFromWorld(world, local);
    return SetControlPoint(local, id);
}

void vtkMRMLAnnotationBidimensionalNode::Copy(vtkMRMLNode* anode)
{
    Superclass::Copy(anode);
    if (auto* node = vtkMRMLAnnotationBidimensionalNode::SafeDownCast(anode)) {
        Measurement1 = node->Measurement1;
        Measurement2 = node->Measurement2;
    }
    InvokeEvent(ValueModifiedEvent);
}

void vtkMRMLAnnotationBidimensionalNode::WriteXML(ostream& of, int indent)
{
    Superclass::WriteXML(of, indent);
    of << " AnnotationFormat=\"" << XMLAttributeEncodeString(AnnotationFormat ? AnnotationFormat : "") << "\"";
    of << " Resolution=\"" << Resolution << "\"";
    if (Measurement1 != 0)
        of << " measurement1=\"" << annotationtext::formatDouble(Measurement1) << "\"";
    if (Measurement2 != 0)
        of << " measurement2=\"" << annotationtext::formatDouble(Measurement2) << "\"";
}

void vtkMRMLAnnotationBidimensionalNode::ReadXMLAttributes(const char** atts)
{
    int wasModifying = StartModify();
    ResetAnnotations();
    Superclass::ReadXMLAttributes(atts);
    for (int i = 0; atts && atts[i] && atts[i + 1]; i += 2) {
        const std::string key = atts[i];
        const char* value = atts[i + 1];
        // Written as "Resolution"; older scenes carry "rulerResolution".
        if (key == "Resolution" || key == "rulerResolution")
            Resolution = annotationtext::parseInt(value);
        else if (key == "AnnotationFormat")
            SetAnnotationFormat(value);
        else if (key == "measurement1")
            Measurement1 = annotationtext::parseDouble(value);
        else if (key == "measurement2")
            Measurement2 = annotationtext::parseDouble(value);
    }
    EndModify(wasModifying);
}

void vtkMRMLAnnotationBidimensionalNode::PrintAnnotationInfo(ostream& os, vtkIndent indent, int titleFlag)
{
    if (titleFlag) {
        os << indent << "vtkMRMLAnnotationBidimensionalNode: Annotation Summary";
        if (GetName())
            os << " of " << GetName();
        os << "\n";
    }
    Superclass::PrintAnnotationInfo(os, indent, 0);
    os << indent << "rulerDistanceAnnotationFormat: " << (AnnotationFormat ? AnnotationFormat : "(None)") << "\n";
    os << indent << "Resolution: " << Resolution << "\n";
}
