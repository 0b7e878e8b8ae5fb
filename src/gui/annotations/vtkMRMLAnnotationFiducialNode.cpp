#include "vtkMRMLAnnotationFiducialNode.h"

#include <vtkObjectFactory.h>

#include <string>

vtkStandardNewMacro(vtkMRMLAnnotationFiducialNode);

int vtkMRMLAnnotationFiducialNode::SetFiducial(const double position[3], int selected, int visible)
{
    return SetControlPoint(0, position, selected, visible) ? 1 : 0;
}

bool vtkMRMLAnnotationFiducialNode::GetFiducialCoordinates(double position[3])
{
    position[0] = position[1] = position[2] = 0.0;
    if (GetNumberOfControlPoints() < 1)
        return false;
    const double* p = GetControlPointCoordinates(0);
    position[0] = p[0];
    position[1] = p[1];
    position[2] = p[2];
    return true;
}

int vtkMRMLAnnotationFiducialNode::SetFiducialCoordinates(double x, double y, double z)
{
    const double p[3] = {x, y, z};
    return SetControlPoint(0, p, 1, 1);
}

int vtkMRMLAnnotationFiducialNode::SetFiducialCoordinates(const double position[3], int selected, int visible)
{
    return SetControlPoint(0, position, selected, visible);
}

int vtkMRMLAnnotationFiducialNode::SetFiducialWorldCoordinates(const double world[3], int selected, int visible)
{
    return SetControlPointWorldCoordinates(0, world, selected, visible);
}

void vtkMRMLAnnotationFiducialNode::GetFiducialWorldCoordinates(double world[3])
{
    double w[4] = {0, 0, 0, 1};
    if (GetNumberOfControlPoints() > 0)
        GetControlPointWorldCoordinates(0, w);
    world[0] = w[0];
    world[1] = w[1];
    world[2] = w[2];
}

void vtkMRMLAnnotationFiducialNode::SetTextFromID()
{
    const std::string id = GetID() ? GetID() : "";
    std::string text;
    if (NumberingScheme == UseID) {
        text = id;
    } else {
        const size_t last = id.find_last_not_of("0123456789");
        const std::string rest = last == std::string::npos ? std::string() : id.substr(0, last + 1);
        if (NumberingScheme == UseIndex) {
            text = rest + "0";
        } else if (NumberingScheme == UsePrevious) {
            vtkErrorMacro("Currently option vtkMRMLAnnotationControlPointsNode::UsePrevious is not installed");
            return;
        } else {
            text = rest;
        }
    }
    SetText(0, text.c_str(), 1, 1);
}
