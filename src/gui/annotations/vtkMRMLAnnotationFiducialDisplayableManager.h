#pragma once
// Shows the fiducials of the scene in one view as seed widgets with one handle each,
// places a new fiducial with one left click (or the key "p") in place mode, keeps node
// and handle in step both ways, and hands each fiducial it places to the view feeder the
// fiducial command set on it.

#include "vtkMRMLAnnotationDisplayableManager.h"

#include <map>

class vtkMRMLAnnotationPointDisplayNode;

class PELMORAGUI_EXPORT vtkMRMLAnnotationFiducialDisplayableManager : public vtkMRMLAnnotationDisplayableManager
{
public:
    static vtkMRMLAnnotationFiducialDisplayableManager* New();
    vtkTypeMacro(vtkMRMLAnnotationFiducialDisplayableManager, vtkMRMLAnnotationDisplayableManager);
    void PrintSelf(ostream& os, vtkIndent indent) override;

    void PropagateMRMLToWidget(vtkMRMLAnnotationNode* node, vtkAbstractWidget* widget) override;
    void PropagateWidgetToMRML(vtkAbstractWidget* widget, vtkMRMLAnnotationNode* node) override;
    void OnClickInRenderWindow(double x, double y, const char* associatedNodeID) override;
    void UpdatePosition(vtkAbstractWidget* widget, vtkMRMLNode* node) override;
    vtkAbstractWidget* CreateWidget(vtkMRMLAnnotationNode* node) override;
    void OnWidgetCreated(vtkAbstractWidget* widget, vtkMRMLAnnotationNode* node) override;

protected:
    vtkMRMLAnnotationFiducialDisplayableManager();
    ~vtkMRMLAnnotationFiducialDisplayableManager() override;
    vtkMRMLAnnotationFiducialDisplayableManager(const vtkMRMLAnnotationFiducialDisplayableManager&) = delete;
    void operator=(const vtkMRMLAnnotationFiducialDisplayableManager&) = delete;

    void OnMRMLSceneEndClose() override;
    void AdditionalInitializeStep() override;
    void OnInteractorStyleEvent(int eventId) override;

private:
    // The glyph type last built into the handles of the fiducials that use a point
    // display node; 0: build it at the next propagation.
    std::map<vtkMRMLAnnotationPointDisplayNode*, int> AppliedGlyphTypes;
};
