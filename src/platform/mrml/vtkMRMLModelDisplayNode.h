#pragma once
// How a model node looks in the views: the display node's colour, opacity, visibility,
// clipping and surface/edge mode, plus whether the poly data's scalars colour it.

#include "vtkMRMLDisplayNode.h"

class vtkMRMLModelDisplayNode : public vtkMRMLDisplayNode
{
public:
    static vtkMRMLModelDisplayNode* New();
    vtkTypeMacro(vtkMRMLModelDisplayNode, vtkMRMLDisplayNode);
    void PrintSelf(ostream& os, vtkIndent indent) override;

    vtkMRMLNode* CreateNodeInstance() override { return vtkMRMLModelDisplayNode::New(); }
    const char* GetNodeTagName() override { return "ModelDisplay"; }
    void ReadXMLAttributes(const char** atts) override;
    void WriteXML(ostream& of, int indent) override;
    void Copy(vtkMRMLNode* node) override;

    vtkSetMacro(ScalarVisibility, int);
    vtkGetMacro(ScalarVisibility, int);
    vtkBooleanMacro(ScalarVisibility, int);

protected:
    vtkMRMLModelDisplayNode() = default;
    ~vtkMRMLModelDisplayNode() override = default;
    vtkMRMLModelDisplayNode(const vtkMRMLModelDisplayNode&) = delete;
    void operator=(const vtkMRMLModelDisplayNode&) = delete;

    int ScalarVisibility = 0;
};
