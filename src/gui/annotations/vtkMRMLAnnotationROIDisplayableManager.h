#pragma once
// Shows the regions of interest of the scene in the 3D view as boxes with handles, places
// a new one with two clicks in place mode (the first click is the centre, the second lies
// on the boundary), keeps node and box in step both ways, and hands each region it places
// to the view feeder the command set.

#include "vtkMRMLAnnotationDisplayableManager.h"

class PELMORAGUI_EXPORT vtkMRMLAnnotationROIDisplayableManager : public vtkMRMLAnnotationDisplayableManager
{
public:
    static vtkMRMLAnnotationROIDisplayableManager* New();
    vtkTypeMacro(vtkMRMLAnnotationROIDisplayableManager, vtkMRMLAnnotationDisplayableManager);
    void PrintSelf(ostream& os, vtkIndent indent) override;

    void PropagateMRMLToWidget(vtkMRMLAnnotationNode* node, vtkAbstractWidget* widget) override;
    void PropagateWidgetToMRML(vtkAbstractWidget* widget, vtkMRMLAnnotationNode* node) override;
    void SetParentTransformToWidget(vtkMRMLAnnotationNode* node, vtkAbstractWidget* widget) override;
    bool IsWidgetDisplayable(vtkMRMLSliceNode* sliceNode, vtkMRMLAnnotationNode* node) override;
    void OnClickInRenderWindow(double x, double y, const char* associatedNodeID) override;
    void UpdatePosition(vtkAbstractWidget* widget, vtkMRMLNode* node) override;
    vtkAbstractWidget* CreateWidget(vtkMRMLAnnotationNode* node) override;
    void OnWidgetCreated(vtkAbstractWidget* widget, vtkMRMLAnnotationNode* node) override;

protected:
    vtkMRMLAnnotationROIDisplayableManager();
    ~vtkMRMLAnnotationROIDisplayableManager() override = default;
    vtkMRMLAnnotationROIDisplayableManager(const vtkMRMLAnnotationROIDisplayableManager&) = delete;
    void operator=(const vtkMRMLAnnotationROIDisplayableManager&) = delete;

    void OnMRMLSceneNodeRemoved(vtkMRMLNode* node) override;
    void OnMRMLSliceNodeModifiedEvent(vtkMRMLSliceNode* sliceNode) override;

private:
    // World position of the first click of a placement (homogeneous).
    double LastClickWorldCoordinates[4] = {0.0, 0.0, 0.0, 1.0};
};
