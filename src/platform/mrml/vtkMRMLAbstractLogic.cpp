#include "vtkMRMLAbstractLogic.h"

#include "vtkMRMLScene.h"

#include <ostream>

vtkMRMLAbstractLogic::vtkMRMLAbstractLogic() = default;
vtkMRMLAbstractLogic::~vtkMRMLAbstractLogic() = default;

void vtkMRMLAbstractLogic::PrintSelf(ostream& os, vtkIndent indent)
{
    Superclass::PrintSelf(os, indent);
    os << indent << "MRMLScene: " << Scene.GetPointer() << "\n";
}

void vtkMRMLAbstractLogic::SetMRMLScene(vtkMRMLScene* scene)
{
    if (Scene.GetPointer() == scene)
        return;
    SetMRMLSceneInternal(scene);
    Modified();
}

vtkMRMLScene* vtkMRMLAbstractLogic::GetMRMLScene() const
{
    return Scene.GetPointer();
}

void vtkMRMLAbstractLogic::SetMRMLSceneInternal(vtkMRMLScene* scene)
{
    Scene = scene;
}
