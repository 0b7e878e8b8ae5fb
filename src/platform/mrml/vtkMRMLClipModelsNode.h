#pragma once
// How the three slice planes clip the models: which planes clip and which side stays,
// how several planes combine, whether cells are cut or kept whole, and the origin the
// planes pass through.

#include "vtkMRMLNode.h"

class vtkMRMLClipModelsNode : public vtkMRMLNode
{
public:
    static vtkMRMLClipModelsNode* New();
    vtkTypeMacro(vtkMRMLClipModelsNode, vtkMRMLNode);
    void PrintSelf(ostream& os, vtkIndent indent) override;

    vtkMRMLNode* CreateNodeInstance() override { return vtkMRMLClipModelsNode::New(); }
    const char* GetNodeTagName() override { return "ClipModels"; }
    void ReadXMLAttributes(const char** atts) override;
    void WriteXML(ostream& of, int indent) override;
    void Copy(vtkMRMLNode* node) override;

    enum ClipTypeType
    {
        ClipIntersection = 0,
        ClipUnion = 1,
    };
    enum ClipStateType
    {
        ClipOff = 0,
        ClipPositiveSpace = 1,
        ClipNegativeSpace = 2,
    };
    enum ClippingMethodType
    {
        Straight = 0,
        WholeCells = 1,
    };

    vtkSetMacro(ClipType, int);
    vtkGetMacro(ClipType, int);
    vtkSetMacro(RedSliceClipState, int);
    vtkGetMacro(RedSliceClipState, int);
    vtkSetMacro(YellowSliceClipState, int);
    vtkGetMacro(YellowSliceClipState, int);
    vtkSetMacro(GreenSliceClipState, int);
    vtkGetMacro(GreenSliceClipState, int);
    vtkSetMacro(ClippingMethod, int);
    vtkGetMacro(ClippingMethod, int);
    vtkSetVector3Macro(ClipOrigin, double);
    vtkGetVector3Macro(ClipOrigin, double);

protected:
    vtkMRMLClipModelsNode() = default;
    ~vtkMRMLClipModelsNode() override = default;
    vtkMRMLClipModelsNode(const vtkMRMLClipModelsNode&) = delete;
    void operator=(const vtkMRMLClipModelsNode&) = delete;

    int ClipType = ClipIntersection;
    int RedSliceClipState = ClipOff;
    int YellowSliceClipState = ClipOff;
    int GreenSliceClipState = ClipOff;
    int ClippingMethod = Straight;
    double ClipOrigin[3] = {0.0, 0.0, 0.0};
};
