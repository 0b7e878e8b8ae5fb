#pragma once
// A node shown in views through one or more display nodes. It observes its display
// nodes and fires DisplayModifiedEvent (call data: the display node) when one changes.

#include "vtkMRMLTransformableNode.h"

class vtkMRMLDisplayNode;

class vtkMRMLDisplayableNode : public vtkMRMLTransformableNode
{
public:
    vtkTypeMacro(vtkMRMLDisplayableNode, vtkMRMLTransformableNode);

    enum
    {
        DisplayModifiedEvent = 17000,
    };

    static const char* DisplayNodeReferenceRole() { return "display"; }

    void SetAndObserveDisplayNodeID(const char* displayNodeId);
    void AddAndObserveDisplayNodeID(const char* displayNodeId);
    void RemoveAllDisplayNodeIDs();
    int GetNumberOfDisplayNodes() const { return GetNumberOfNodeReferences(DisplayNodeReferenceRole()); }
    const char* GetNthDisplayNodeID(int n) const { return GetNthNodeReferenceID(DisplayNodeReferenceRole(), n); }
    const char* GetDisplayNodeID() const { return GetNthDisplayNodeID(0); }
    vtkMRMLDisplayNode* GetNthDisplayNode(int n);
    vtkMRMLDisplayNode* GetDisplayNode() { return GetNthDisplayNode(0); }

    // Visible when any display node is visible; setting it sets every display node.
    int GetDisplayVisibility();
    void SetDisplayVisibility(int visible);

    void ProcessMRMLEvents(vtkObject* caller, unsigned long event, void* callData) override;

protected:
    vtkMRMLDisplayableNode() = default;
    ~vtkMRMLDisplayableNode() override = default;
    vtkMRMLDisplayableNode(const vtkMRMLDisplayableNode&) = delete;
    void operator=(const vtkMRMLDisplayableNode&) = delete;
};
