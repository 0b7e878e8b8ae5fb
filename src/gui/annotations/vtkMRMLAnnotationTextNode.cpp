#include "vtkMRMLAnnotationTextNode.h"

#include <vtkObjectFactory.h>

vtkStandardNewMacro(vtkMRMLAnnotationTextNode);

vtkMRMLAnnotationTextNode::vtkMRMLAnnotationTextNode()
{
    SetCaptionCoordinates(0.05, 0.05);
}

int vtkMRMLAnnotationTextNode::SetCaptionCoordinates(double x, double y)
{
    if (!(x >= 0.0 && x <= 1.0)) {
        vtkErrorMacro("SetCaptionCoordinates: x is out of range of normalized viewport coordinates 0-1: " << x);
        return 0;
    }
    if (!(y >= 0.0 && y <= 1.0)) {
        vtkErrorMacro("SetCaptionCoordinates: y is out of range of normalized viewport coordinates 0-1: " << y);
        return 0;
    }
    const double p[3] = {x, y, 0.0};
    return SetControlPoint(1, p, 1, 1);
}
