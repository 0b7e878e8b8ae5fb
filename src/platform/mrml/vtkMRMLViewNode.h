#pragma once
// The node of a 3D view: the layout and background of vtkMRMLAbstractViewNode plus the
// bounding box and its axis labels.

#include "vtkMRMLAbstractViewNode.h"

class vtkMRMLViewNode : public vtkMRMLAbstractViewNode
{
public:
    static vtkMRMLViewNode* New();
    vtkTypeMacro(vtkMRMLViewNode, vtkMRMLAbstractViewNode);
    void PrintSelf(ostream& os, vtkIndent indent) override;

    vtkMRMLNode* CreateNodeInstance() override { return vtkMRMLViewNode::New(); }
    const char* GetNodeTagName() override { return "View"; }
    void ReadXMLAttributes(const char** atts) override;
    void WriteXML(ostream& of, int indent) override;
    void Copy(vtkMRMLNode* node) override;

    vtkSetMacro(BoxVisible, int);
    vtkGetMacro(BoxVisible, int);
    vtkBooleanMacro(BoxVisible, int);
    vtkSetMacro(AxisLabelsVisible, int);
    vtkGetMacro(AxisLabelsVisible, int);
    vtkBooleanMacro(AxisLabelsVisible, int);

protected:
    vtkMRMLViewNode() = default;
    ~vtkMRMLViewNode() override = default;
    vtkMRMLViewNode(const vtkMRMLViewNode&) = delete;
    void operator=(const vtkMRMLViewNode&) = delete;

    int BoxVisible = 1;
    int AxisLabelsVisible = 1;
};
