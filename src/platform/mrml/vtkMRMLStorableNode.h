#pragma once
// A node whose data can be read from and written to a file through a storage node.

#include "vtkMRMLNode.h"

class vtkMRMLStorageNode;

class vtkMRMLStorableNode : public vtkMRMLNode
{
public:
    vtkTypeMacro(vtkMRMLStorableNode, vtkMRMLNode);

    static const char* StorageNodeReferenceRole() { return "storage"; }

    void SetAndObserveStorageNodeID(const char* storageNodeId);
    const char* GetStorageNodeID() const { return GetNodeReferenceID(StorageNodeReferenceRole()); }
    vtkMRMLStorageNode* GetStorageNode();
    // A new storage node suited to this node (caller owns it); null when it has none.
    virtual vtkMRMLStorageNode* CreateDefaultStorageNode() { return nullptr; }

protected:
    vtkMRMLStorableNode() = default;
    ~vtkMRMLStorableNode() override = default;
    vtkMRMLStorableNode(const vtkMRMLStorableNode&) = delete;
    void operator=(const vtkMRMLStorableNode&) = delete;
};
