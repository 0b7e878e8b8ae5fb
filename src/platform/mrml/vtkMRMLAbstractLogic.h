#pragma once
// Base of the logic classes: holds the MRML scene the logic works on and tells the
// subclass when it changes.

#include <vtkObject.h>
#include <vtkSmartPointer.h>

class vtkMRMLScene;

class vtkMRMLAbstractLogic : public vtkObject
{
public:
    vtkTypeMacro(vtkMRMLAbstractLogic, vtkObject);
    void PrintSelf(ostream& os, vtkIndent indent) override;

    // Calls SetMRMLSceneInternal when the scene differs.
    void SetMRMLScene(vtkMRMLScene* scene);
    vtkMRMLScene* GetMRMLScene() const;

protected:
    vtkMRMLAbstractLogic();
    ~vtkMRMLAbstractLogic() override;
    vtkMRMLAbstractLogic(const vtkMRMLAbstractLogic&) = delete;
    void operator=(const vtkMRMLAbstractLogic&) = delete;

    // Stores the scene; subclasses extend it to react to a new scene.
    virtual void SetMRMLSceneInternal(vtkMRMLScene* scene);

private:
    vtkSmartPointer<vtkMRMLScene> Scene;
};
