#pragma once
// The camera of a 3D view: where it stands, what it looks at, which way is up and how it
// projects. The view it belongs to is named by its layout name.

#include "vtkMRMLNode.h"

class vtkMRMLCameraNode : public vtkMRMLNode
{
public:
    static vtkMRMLCameraNode* New();
    vtkTypeMacro(vtkMRMLCameraNode, vtkMRMLNode);
    void PrintSelf(ostream& os, vtkIndent indent) override;

    vtkMRMLNode* CreateNodeInstance() override { return vtkMRMLCameraNode::New(); }
    const char* GetNodeTagName() override { return "Camera"; }
    void ReadXMLAttributes(const char** atts) override;
    void WriteXML(ostream& of, int indent) override;
    void Copy(vtkMRMLNode* node) override;

    // The layout name of the view that shows through this camera.
    vtkSetStringMacro(LayoutName);
    vtkGetStringMacro(LayoutName);
    vtkSetVector3Macro(Position, double);
    vtkGetVector3Macro(Position, double);
    vtkSetVector3Macro(FocalPoint, double);
    vtkGetVector3Macro(FocalPoint, double);
    vtkSetVector3Macro(ViewUp, double);
    vtkGetVector3Macro(ViewUp, double);
    vtkSetMacro(ParallelProjection, int);
    vtkGetMacro(ParallelProjection, int);
    vtkBooleanMacro(ParallelProjection, int);
    // Height of the view in world units under parallel projection; kept positive.
    vtkSetClampMacro(ParallelScale, double, 1e-12, VTK_DOUBLE_MAX);
    vtkGetMacro(ParallelScale, double);
    // Vertical view angle in degrees under perspective projection.
    vtkSetClampMacro(ViewAngle, double, 1e-6, 179.0);
    vtkGetMacro(ViewAngle, double);

protected:
    vtkMRMLCameraNode();
    ~vtkMRMLCameraNode() override;
    vtkMRMLCameraNode(const vtkMRMLCameraNode&) = delete;
    void operator=(const vtkMRMLCameraNode&) = delete;

    char* LayoutName = nullptr;
    double Position[3] = {0.0, 500.0, 0.0};
    double FocalPoint[3] = {0.0, 0.0, 0.0};
    double ViewUp[3] = {0.0, 0.0, 1.0};
    int ParallelProjection = 0;
    double ParallelScale = 1.0;
    double ViewAngle = 30.0;
};
