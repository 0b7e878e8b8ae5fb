#include "vtkMRMLStorableNode.h"

#include "vtkMRMLStorageNode.h"

#include <vtkCommand.h>

void vtkMRMLStorableNode::SetAndObserveStorageNodeID(const char* storageNodeId)
{
    SetAndObserveNodeReferenceID(StorageNodeReferenceRole(), storageNodeId,
                                 {vtkCommand::ModifiedEvent});
}

vtkMRMLStorageNode* vtkMRMLStorableNode::GetStorageNode()
{
    return vtkMRMLStorageNode::SafeDownCast(GetNodeReference(StorageNodeReferenceRole()));
}
