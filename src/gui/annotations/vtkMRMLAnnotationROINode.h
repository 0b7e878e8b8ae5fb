#pragma once
// An axis-aligned box: centre (control point 0) and half edge lengths (control point 1),
// handed out as bounds or as six clipping planes.

#include "vtkMRMLAnnotationLinesNode.h"

class vtkAbstractTransform;
class vtkMatrix4x4;
class vtkPlanes;

class PELMORAANNOTATIONS_EXPORT vtkMRMLAnnotationROINode : public vtkMRMLAnnotationLinesNode
{
public:
    static vtkMRMLAnnotationROINode* New();
    vtkTypeMacro(vtkMRMLAnnotationROINode, vtkMRMLAnnotationLinesNode);

    vtkMRMLNode* CreateNodeInstance() override { return vtkMRMLAnnotationROINode::New(); }
    const char* GetNodeTagName() override { return "AnnotationROI"; }
    const char* GetIcon() override { return ":/Icons/AnnotationROI.png"; }
    void ReadXMLAttributes(const char** atts) override;
    void WriteXML(ostream& of, int indent) override;
    void Copy(vtkMRMLNode* node) override;
    void ProcessMRMLEvents(vtkObject* caller, unsigned long event, void* callData) override;
    void PrintAnnotationInfo(ostream& os, vtkIndent indent, int titleFlag = 1) override;

    int SetXYZ(double x, double y, double z) { const double p[3] = {x, y, z}; return SetControlPoint(0, p); }
    int SetXYZ(const double p[3]) { return SetControlPoint(0, p); }
    int SetRadiusXYZ(double x, double y, double z) { const double p[3] = {x, y, z}; return SetControlPoint(1, p); }
    int SetRadiusXYZ(const double p[3]) { return SetControlPoint(1, p); }
    bool GetXYZ(double p[3]);
    bool GetRadiusXYZ(double p[3]);

    void SetInsideOut(int v);
    vtkGetMacro(InsideOut, int);
    void InsideOutOn() { SetInsideOut(1); }
    void InsideOutOff() { SetInsideOut(0); }
    void SetInteractiveMode(int v);
    vtkGetMacro(InteractiveMode, int);
    void InteractiveModeOn() { SetInteractiveMode(1); }
    void InteractiveModeOff() { SetInteractiveMode(0); }
    vtkGetStringMacro(LabelText);
    vtkSetStringMacro(LabelText);
    vtkGetStringMacro(VolumeNodeID);
    vtkSetStringMacro(VolumeNodeID);

    double* GetLineColor();
    void SetLineColor(const double color[3]);
    double* GetPointColor();
    void SetPointColor(const double color[3]);
    double* GetROIAnnotationTextColor();
    void SetROIAnnotationTextColor(const double color[3]);
    double GetROIAnnotationScale();
    void SetROIAnnotationScale(double scale);
    int GetROIAnnotationVisibility() { return GetAnnotationAttribute(0, TEXT_VISIBLE); }
    void SetROIAnnotationVisibility(int visible) { SetAnnotationAttribute(0, TEXT_VISIBLE, visible); }

    void GetBounds(double bounds[6]);
    void GetRASBounds(double bounds[6]);
    void GetTransformedPlanes(vtkPlanes* planes);
    void ApplyTransformMatrix(vtkMatrix4x4* matrix);
    void ApplyTransform(vtkAbstractTransform* transform);

    using vtkMRMLAnnotationLinesNode::SetControlPoint;
    int SetControlPoint(int id, const double coord[3]);
    int AddControlPoint(const double coord[3], int selected, int visible);

protected:
    vtkMRMLAnnotationROINode();
    ~vtkMRMLAnnotationROINode() override;
    vtkMRMLAnnotationROINode(const vtkMRMLAnnotationROINode&) = delete;
    void operator=(const vtkMRMLAnnotationROINode&) = delete;

    int InteractiveMode = 0;
    int InsideOut = 0;
    char* LabelText = nullptr;
    char* VolumeNodeID = nullptr;
};
