#pragma once
// A caption: text 0, shown at a position in normalized viewport coordinates (control
// point 1) and pointing at control point 0.

#include "vtkMRMLAnnotationControlPointsNode.h"

class PELMORAANNOTATIONS_EXPORT vtkMRMLAnnotationTextNode : public vtkMRMLAnnotationControlPointsNode
{
public:
    static vtkMRMLAnnotationTextNode* New();
    vtkTypeMacro(vtkMRMLAnnotationTextNode, vtkMRMLAnnotationControlPointsNode);

    vtkMRMLNode* CreateNodeInstance() override { return vtkMRMLAnnotationTextNode::New(); }
    const char* GetNodeTagName() override { return "AnnotationText"; }
    const char* GetIcon() override { return ":/Icons/AnnotationText.png"; }

    int SetCaptionCoordinates(double x, double y);
    int SetCaptionCoordinates(const double position[2]) { return SetCaptionCoordinates(position[0], position[1]); }
    double* GetCaptionCoordinates() { return GetControlPointCoordinates(1); }
    void SetTextLabel(const char* label) { SetText(0, label, 1, 1); }
    vtkStdString GetTextLabel() { return GetText(0); }
    int SetTextCoordinates(const double position[3]) { return SetControlPoint(0, position, 1, 1); }
    double* GetTextCoordinates() { return GetControlPointCoordinates(0); }

protected:
    vtkMRMLAnnotationTextNode();
    ~vtkMRMLAnnotationTextNode() override = default;
    vtkMRMLAnnotationTextNode(const vtkMRMLAnnotationTextNode&) = delete;
    void operator=(const vtkMRMLAnnotationTextNode&) = delete;
};
