#pragma once
// The logic of one view: the scene and the view node it shows. View controllers keep one
// and add it to the application's collection of view logics.

#include <vtkObject.h>
#include <vtkWeakPointer.h>

class vtkMRMLAbstractViewNode;
class vtkMRMLScene;

class vtkMRMLViewLogic : public vtkObject
{
public:
    static vtkMRMLViewLogic* New();
    vtkTypeMacro(vtkMRMLViewLogic, vtkObject);
    void PrintSelf(ostream& os, vtkIndent indent) override;

    void SetMRMLScene(vtkMRMLScene* scene);
    vtkMRMLScene* GetMRMLScene() const;
    void SetViewNode(vtkMRMLAbstractViewNode* viewNode);
    vtkMRMLAbstractViewNode* GetViewNode() const;

protected:
    vtkMRMLViewLogic() = default;
    ~vtkMRMLViewLogic() override = default;
    vtkMRMLViewLogic(const vtkMRMLViewLogic&) = delete;
    void operator=(const vtkMRMLViewLogic&) = delete;

private:
    vtkWeakPointer<vtkMRMLScene> Scene;
    vtkWeakPointer<vtkMRMLAbstractViewNode> ViewNode;
};
