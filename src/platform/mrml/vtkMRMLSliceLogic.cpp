#include "vtkMRMLSliceLogic.h"

#include "vtkMRMLScene.h"
#include "vtkMRMLSliceCompositeNode.h"
#include "vtkMRMLSliceNode.h"

#include <vtkObjectFactory.h>

#include <cstring>
#include <ostream>
#include <vector>

vtkStandardNewMacro(vtkMRMLSliceLogic);

void vtkMRMLSliceLogic::PrintSelf(ostream& os, vtkIndent indent)
{
    Superclass::PrintSelf(os, indent);
    os << indent << "SliceNode: " << SliceNode.Get() << "\n";
}

void vtkMRMLSliceLogic::SetMRMLScene(vtkMRMLScene* scene)
{
    if (Scene == scene)
        return;
    Scene = scene;
    Modified();
}

vtkMRMLScene* vtkMRMLSliceLogic::GetMRMLScene() const
{
    return Scene;
}

void vtkMRMLSliceLogic::SetSliceNode(vtkMRMLSliceNode* sliceNode)
{
    if (SliceNode == sliceNode)
        return;
    SliceNode = sliceNode;
    Modified();
}

vtkMRMLSliceNode* vtkMRMLSliceLogic::GetSliceNode() const
{
    return SliceNode;
}

vtkMRMLSliceCompositeNode* vtkMRMLSliceLogic::GetSliceCompositeNode() const
{
    const char* layout = SliceNode ? SliceNode->GetLayoutName() : nullptr;
    if (!Scene || !layout || !*layout)
        return nullptr;
    std::vector<vtkMRMLNode*> nodes;
    Scene->GetNodesByClass("vtkMRMLSliceCompositeNode", nodes);
    for (vtkMRMLNode* node : nodes) {
        auto* composite = vtkMRMLSliceCompositeNode::SafeDownCast(node);
        if (composite && composite->GetLayoutName() && std::strcmp(composite->GetLayoutName(), layout) == 0)
            return composite;
    }
    return nullptr;
}

void vtkMRMLSliceLogic::GetLowestVolumeSliceSpacing(double spacing[3]) const
{
    for (int k = 0; k < 3; ++k)
        spacing[k] = 1.0;
    if (!SliceNode)
        return;
    const double* field = SliceNode->GetFieldOfView();
    const int* dimensions = SliceNode->GetDimensions();
    for (int k = 0; k < 3; ++k)
        spacing[k] = field[k] / dimensions[k];
}
