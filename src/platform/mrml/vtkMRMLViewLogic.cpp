#include "vtkMRMLViewLogic.h"

#include "vtkMRMLAbstractViewNode.h"
#include "vtkMRMLScene.h"

#include <vtkObjectFactory.h>

#include <ostream>

vtkStandardNewMacro(vtkMRMLViewLogic);

void vtkMRMLViewLogic::PrintSelf(ostream& os, vtkIndent indent)
{
    Superclass::PrintSelf(os, indent);
    os << indent << "ViewNode: " << (ViewNode && ViewNode->GetID() ? ViewNode->GetID() : "(none)") << "\n";
}

void vtkMRMLViewLogic::SetMRMLScene(vtkMRMLScene* scene)
{
    if (Scene == scene)
        return;
    Scene = scene;
    Modified();
}

vtkMRMLScene* vtkMRMLViewLogic::GetMRMLScene() const
{
    return Scene;
}

void vtkMRMLViewLogic::SetViewNode(vtkMRMLAbstractViewNode* viewNode)
{
    if (ViewNode == viewNode)
        return;
    ViewNode = viewNode;
    Modified();
}

vtkMRMLAbstractViewNode* vtkMRMLViewLogic::GetViewNode() const
{
    return ViewNode;
}
