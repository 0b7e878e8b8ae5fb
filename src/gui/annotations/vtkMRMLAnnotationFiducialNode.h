#pragma once
// A single marked point (control point 0) with its label (text 0).

#include "vtkMRMLAnnotationControlPointsNode.h"

class PELMORAANNOTATIONS_EXPORT vtkMRMLAnnotationFiducialNode : public vtkMRMLAnnotationControlPointsNode
{
public:
    static vtkMRMLAnnotationFiducialNode* New();
    vtkTypeMacro(vtkMRMLAnnotationFiducialNode, vtkMRMLAnnotationControlPointsNode);

    vtkMRMLNode* CreateNodeInstance() override { return vtkMRMLAnnotationFiducialNode::New(); }
    const char* GetNodeTagName() override { return "AnnotationFiducials"; }
    const char* GetIcon() override { return ":/Icons/AnnotationPoint.png"; }

    int SetFiducial(const double position[3], int selected, int visible);
    bool GetFiducialCoordinates(double position[3]);
    int SetFiducialCoordinates(double x, double y, double z);
    int SetFiducialCoordinates(const double position[3], int selected, int visible);
    int SetFiducialWorldCoordinates(const double world[3], int selected, int visible);
    void GetFiducialWorldCoordinates(double world[3]);
    void SetFiducialLabel(const char* label) { SetText(0, label, 1, 1); }
    vtkStdString GetFiducialLabel() { return GetText(0); }
    void SetFiducialValue(const char* value) { SetText(1, value, 1, 1); }
    int GetFiducialValue() { return 0; }

protected:
    vtkMRMLAnnotationFiducialNode() = default;
    ~vtkMRMLAnnotationFiducialNode() override = default;
    vtkMRMLAnnotationFiducialNode(const vtkMRMLAnnotationFiducialNode&) = delete;
    void operator=(const vtkMRMLAnnotationFiducialNode&) = delete;

    // Text 0 from the node's id, following the numbering scheme.
    void SetTextFromID();
    friend class vtkMRMLAnnotationFiducialNodeTestAccess;
};

// Lets tests and the placing code name a fiducial from its id.
class PELMORAANNOTATIONS_EXPORT vtkMRMLAnnotationFiducialNodeTestAccess
{
public:
    static void SetTextFromID(vtkMRMLAnnotationFiducialNode* node) { node->SetTextFromID(); }
};
