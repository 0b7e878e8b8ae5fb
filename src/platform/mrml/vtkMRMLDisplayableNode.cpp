#include "vtkMRMLDisplayableNode.h"

#include "vtkMRMLDisplayNode.h"

#include <vtkCommand.h>

void vtkMRMLDisplayableNode::SetAndObserveDisplayNodeID(const char* displayNodeId)
{
    SetAndObserveNodeReferenceID(DisplayNodeReferenceRole(), displayNodeId,
                                 {vtkCommand::ModifiedEvent});
}

void vtkMRMLDisplayableNode::AddAndObserveDisplayNodeID(const char* displayNodeId)
{
    AddAndObserveNodeReferenceID(DisplayNodeReferenceRole(), displayNodeId,
                                 {vtkCommand::ModifiedEvent});
}

void vtkMRMLDisplayableNode::RemoveAllDisplayNodeIDs()
{
    RemoveNodeReferenceIDs(DisplayNodeReferenceRole());
}

vtkMRMLDisplayNode* vtkMRMLDisplayableNode::GetNthDisplayNode(int n)
{
    return vtkMRMLDisplayNode::SafeDownCast(GetNthNodeReference(DisplayNodeReferenceRole(), n));
}

int vtkMRMLDisplayableNode::GetDisplayVisibility()
{
    for (int i = 0; i < GetNumberOfDisplayNodes(); ++i)
        if (vtkMRMLDisplayNode* display = GetNthDisplayNode(i))
            if (display->GetVisibility())
                return 1;
    return 0;
}

void vtkMRMLDisplayableNode::SetDisplayVisibility(int visible)
{
    for (int i = 0; i < GetNumberOfDisplayNodes(); ++i)
        if (vtkMRMLDisplayNode* display = GetNthDisplayNode(i))
            display->SetVisibility(visible);
}

void vtkMRMLDisplayableNode::ProcessMRMLEvents(vtkObject* caller, unsigned long event,
                                               void* callData)
{
    Superclass::ProcessMRMLEvents(caller, event, callData);
    if (event != vtkCommand::ModifiedEvent || !caller)
        return;
    for (int i = 0; i < GetNumberOfDisplayNodes(); ++i)
        if (caller == GetNthDisplayNode(i)) {
            InvokeEvent(DisplayModifiedEvent, caller);
            return;
        }
}
