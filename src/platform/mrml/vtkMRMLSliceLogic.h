#pragma once
// The logic behind one slice view: its slice node, the composite node that says which
// volumes the view stacks, and the spacing at which the view steps through slices.

#include <vtkObject.h>
#include <vtkWeakPointer.h>

class vtkMRMLScene;
class vtkMRMLSliceCompositeNode;
class vtkMRMLSliceNode;

class vtkMRMLSliceLogic : public vtkObject
{
public:
    static vtkMRMLSliceLogic* New();
    vtkTypeMacro(vtkMRMLSliceLogic, vtkObject);
    void PrintSelf(ostream& os, vtkIndent indent) override;

    // Neither is owned.
    void SetMRMLScene(vtkMRMLScene* scene);
    vtkMRMLScene* GetMRMLScene() const;
    void SetSliceNode(vtkMRMLSliceNode* sliceNode);
    vtkMRMLSliceNode* GetSliceNode() const;

    // The scene's composite node of the same layout name as the slice node; null when
    // there is none (or no scene, no slice node, no layout name).
    vtkMRMLSliceCompositeNode* GetSliceCompositeNode() const;

    // The smallest spacing of the shown volumes along the slice's x, y and normal. This
    // system loads no volumes, so it is the slice's own pixel spacing: the field of view
    // over the dimensions. 1, 1, 1 without a slice node.
    void GetLowestVolumeSliceSpacing(double spacing[3]) const;

protected:
    vtkMRMLSliceLogic() = default;
    ~vtkMRMLSliceLogic() override = default;
    vtkMRMLSliceLogic(const vtkMRMLSliceLogic&) = delete;
    void operator=(const vtkMRMLSliceLogic&) = delete;

private:
    vtkWeakPointer<vtkMRMLScene> Scene;
    vtkWeakPointer<vtkMRMLSliceNode> SliceNode;
};
