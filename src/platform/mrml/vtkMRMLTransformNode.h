#pragma once
// A linear transform: the matrix from this node's coordinates to its parent's. Nodes that
// use it as parent observe its TransformModifiedEvent.

#include "vtkMRMLTransformableNode.h"

class vtkMRMLTransformNode : public vtkMRMLTransformableNode
{
public:
    static vtkMRMLTransformNode* New();
    vtkTypeMacro(vtkMRMLTransformNode, vtkMRMLTransformableNode);
    void PrintSelf(ostream& os, vtkIndent indent) override;

    vtkMRMLNode* CreateNodeInstance() override { return vtkMRMLTransformNode::New(); }
    const char* GetNodeTagName() override { return "LinearTransform"; }
    void ReadXMLAttributes(const char** atts) override;
    void WriteXML(ostream& of, int indent) override;
    void Copy(vtkMRMLNode* node) override;

    // Copies the matrix in; a change fires ModifiedEvent and TransformModifiedEvent.
    void SetMatrixTransformToParent(vtkMatrix4x4* matrix);
    // The node's own matrix: read it, change it only through the setter.
    vtkMatrix4x4* GetMatrixTransformToParent() { return MatrixTransformToParent; }
    void GetMatrixTransformToParent(vtkMatrix4x4* out);
    // This node's matrix composed with its parents' (a parent cycle stops the chain).
    void GetMatrixTransformToWorld(vtkMatrix4x4* out);

protected:
    vtkMRMLTransformNode();
    ~vtkMRMLTransformNode() override;
    vtkMRMLTransformNode(const vtkMRMLTransformNode&) = delete;
    void operator=(const vtkMRMLTransformNode&) = delete;

    vtkMatrix4x4* MatrixTransformToParent; // owned
};
