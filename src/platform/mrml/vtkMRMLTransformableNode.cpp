#include "vtkMRMLTransformableNode.h"

#include "vtkMRMLTransformNode.h"

#include <vtkMatrix4x4.h>
#include <vtkNew.h>

#include <cstring>

void vtkMRMLTransformableNode::SetAndObserveTransformNodeID(const char* transformNodeId)
{
    const char* current = GetTransformNodeID();
    if ((!current && !transformNodeId) ||
        (current && transformNodeId && std::strcmp(current, transformNodeId) == 0))
        return;
    SetAndObserveNodeReferenceID(TransformNodeReferenceRole(), transformNodeId,
                                 {TransformModifiedEvent});
    InvokeEvent(TransformModifiedEvent, nullptr);
}

vtkMRMLTransformNode* vtkMRMLTransformableNode::GetParentTransformNode()
{
    return vtkMRMLTransformNode::SafeDownCast(GetNodeReference(TransformNodeReferenceRole()));
}

void vtkMRMLTransformableNode::GetTransformToWorld(vtkMatrix4x4* toWorld)
{
    if (!toWorld)
        return;
    toWorld->Identity();
    if (vtkMRMLTransformNode* parent = GetParentTransformNode())
        parent->GetMatrixTransformToWorld(toWorld);
}

namespace {
void transformPoint(vtkMatrix4x4* m, const double in[3], double out[3])
{
    const double p[4] = {in[0], in[1], in[2], 1.0};
    double r[4];
    m->MultiplyPoint(p, r);
    for (int i = 0; i < 3; ++i)
        out[i] = r[i];
}
} // namespace

void vtkMRMLTransformableNode::TransformPointToWorld(const double in[3], double out[3])
{
    vtkNew<vtkMatrix4x4> m;
    GetTransformToWorld(m);
    transformPoint(m, in, out);
}

void vtkMRMLTransformableNode::TransformPointFromWorld(const double in[3], double out[3])
{
    vtkNew<vtkMatrix4x4> m;
    GetTransformToWorld(m);
    m->Invert();
    transformPoint(m, in, out);
}

void vtkMRMLTransformableNode::ProcessMRMLEvents(vtkObject* caller, unsigned long event,
                                                 void* callData)
{
    Superclass::ProcessMRMLEvents(caller, event, callData);
    if (event == TransformModifiedEvent && caller && !ForwardingTransformModified &&
        caller == GetNodeReference(TransformNodeReferenceRole())) {
        ForwardingTransformModified = true;
        InvokeEvent(TransformModifiedEvent, caller);
        ForwardingTransformModified = false;
    }
}
