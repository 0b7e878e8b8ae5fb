#pragma once
// A node placed in the world through an optional parent transform node. It fires
// TransformModifiedEvent when its parent transform changes or is replaced.

#include "vtkMRMLStorableNode.h"

class vtkMatrix4x4;
class vtkMRMLTransformNode;

class vtkMRMLTransformableNode : public vtkMRMLStorableNode
{
public:
    vtkTypeMacro(vtkMRMLTransformableNode, vtkMRMLStorableNode);

    enum
    {
        TransformModifiedEvent = 15000,
    };

    static const char* TransformNodeReferenceRole() { return "transform"; }

    void SetAndObserveTransformNodeID(const char* transformNodeId);
    const char* GetTransformNodeID() const { return GetNodeReferenceID(TransformNodeReferenceRole()); }
    vtkMRMLTransformNode* GetParentTransformNode();

    // The matrix from this node's coordinates to the world (identity without parent).
    virtual void GetTransformToWorld(vtkMatrix4x4* toWorld);
    virtual int IsTransformToWorldLinear() { return 1; }
    void TransformPointToWorld(const double in[3], double out[3]);
    void TransformPointFromWorld(const double in[3], double out[3]);

    void ProcessMRMLEvents(vtkObject* caller, unsigned long event, void* callData) override;

protected:
    vtkMRMLTransformableNode() = default;
    ~vtkMRMLTransformableNode() override = default;
    vtkMRMLTransformableNode(const vtkMRMLTransformableNode&) = delete;
    void operator=(const vtkMRMLTransformableNode&) = delete;

private:
    // Set while the parent's TransformModifiedEvent is passed on: a transform that is,
    // through its parents, its own parent would otherwise pass it on forever.
    bool ForwardingTransformModified = false;
};
