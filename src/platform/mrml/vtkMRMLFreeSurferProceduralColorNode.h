#pragma once
// The surface-curvature colour maps: a heat map and green-red / red-green / blue-red
// scales, each as a transfer function and as a lookup table of 256 colours.

#include "vtkMRMLProceduralColorNode.h"

class vtkLookupTable;

class vtkMRMLFreeSurferProceduralColorNode : public vtkMRMLProceduralColorNode
{
public:
    static vtkMRMLFreeSurferProceduralColorNode* New();
    vtkTypeMacro(vtkMRMLFreeSurferProceduralColorNode, vtkMRMLProceduralColorNode);

    vtkMRMLNode* CreateNodeInstance() override { return vtkMRMLFreeSurferProceduralColorNode::New(); }
    const char* GetNodeTagName() override { return "FreeSurferProceduralColor"; }
    void Copy(vtkMRMLNode* node) override;

    enum
    {
        Heat = 0,
        BlueRed = 1,
        RedBlue = 2,
        RedGreen = 3,
        GreenRed = 4,
    };
    // Builds the maps of the kind (one of the values above).
    void SetTypeToKind(int kind);
    vtkGetMacro(Kind, int);

    int GetNumberOfColors() override;
    bool GetColor(int i, double rgba[4]) override;
    vtkLookupTable* GetLookupTable() override;
    vtkLookupTable* GetFSLookupTable() { return GetLookupTable(); }

protected:
    vtkMRMLFreeSurferProceduralColorNode();
    ~vtkMRMLFreeSurferProceduralColorNode() override;
    vtkMRMLFreeSurferProceduralColorNode(const vtkMRMLFreeSurferProceduralColorNode&) = delete;
    void operator=(const vtkMRMLFreeSurferProceduralColorNode&) = delete;

private:
    int Kind = Heat;
    vtkSmartPointer<vtkLookupTable> Table;
};
