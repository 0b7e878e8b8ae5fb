#pragma once
// The crosshair of the views: its shape, thickness, what moving it does to the slice
// views, and its position in RAS coordinates.

#include "vtkMRMLNode.h"

class vtkMRMLCrosshairNode : public vtkMRMLNode
{
public:
    static vtkMRMLCrosshairNode* New();
    vtkTypeMacro(vtkMRMLCrosshairNode, vtkMRMLNode);
    void PrintSelf(ostream& os, vtkIndent indent) override;

    vtkMRMLNode* CreateNodeInstance() override { return vtkMRMLCrosshairNode::New(); }
    const char* GetNodeTagName() override { return "Crosshair"; }
    void ReadXMLAttributes(const char** atts) override;
    void WriteXML(ostream& of, int indent) override;
    void Copy(vtkMRMLNode* node) override;

    enum CrosshairModeType
    {
        NoCrosshair = 0,
        ShowBasic = 1,
        ShowIntersection = 2,
        ShowSmallBasic = 5,
        ShowSmallIntersection = 6,
    };
    enum CrosshairThicknessType
    {
        Fine = 1,
        Medium = 2,
        Thick = 3,
    };
    enum CrosshairBehaviorType
    {
        NoAction = 0,
        OffsetJumpSlice = 1,
        CenteredJumpSlice = 2,
    };

    // The views look for the crosshair named "default".
    vtkSetStringMacro(CrosshairName);
    vtkGetStringMacro(CrosshairName);
    vtkSetMacro(CrosshairMode, int);
    vtkGetMacro(CrosshairMode, int);
    vtkSetMacro(CrosshairThickness, int);
    vtkGetMacro(CrosshairThickness, int);
    vtkSetMacro(CrosshairBehavior, int);
    vtkGetMacro(CrosshairBehavior, int);
    vtkSetVector3Macro(CrosshairRAS, double);
    vtkGetVector3Macro(CrosshairRAS, double);

protected:
    vtkMRMLCrosshairNode();
    ~vtkMRMLCrosshairNode() override;
    vtkMRMLCrosshairNode(const vtkMRMLCrosshairNode&) = delete;
    void operator=(const vtkMRMLCrosshairNode&) = delete;

    char* CrosshairName = nullptr;
    int CrosshairMode = NoCrosshair;
    int CrosshairThickness = Fine;
    int CrosshairBehavior = OffsetJumpSlice;
    double CrosshairRAS[3] = {0.0, 0.0, 0.0};
};
