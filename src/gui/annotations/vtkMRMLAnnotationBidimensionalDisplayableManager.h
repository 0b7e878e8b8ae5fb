#pragma once
// Shows the bidimensional measurements of the scene in one view and places a new one with
// three clicks in a slice view: the first two end the first line, the third ends the line
// across it, whose other end is the third click mirrored on the first line.

#include "vtkMRMLAnnotationDisplayableManager.h"

class PELMORAGUI_EXPORT vtkMRMLAnnotationBidimensionalDisplayableManager : public vtkMRMLAnnotationDisplayableManager
{
public:
    static vtkMRMLAnnotationBidimensionalDisplayableManager* New();
    vtkTypeMacro(vtkMRMLAnnotationBidimensionalDisplayableManager, vtkMRMLAnnotationDisplayableManager);
    void PrintSelf(ostream& os, vtkIndent indent) override;

    void PropagateMRMLToWidget(vtkMRMLAnnotationNode* node, vtkAbstractWidget* widget) override;
    // Writes the handles into the node, saves the view and tells the scene.
    void PropagateWidgetToMRML(vtkAbstractWidget* widget, vtkMRMLAnnotationNode* node) override;
    void OnClickInRenderWindow(double x, double y, const char* associatedNodeID) override;
    void UpdatePosition(vtkAbstractWidget* widget, vtkMRMLNode* node) override;
    vtkAbstractWidget* CreateWidget(vtkMRMLAnnotationNode* node) override;
    void OnWidgetCreated(vtkAbstractWidget* widget, vtkMRMLAnnotationNode* node) override;

    // One step of a drag: the node follows the handles; the view is saved and the scene
    // told only when `finished`.
    void WriteWidgetToNode(vtkAbstractWidget* widget, vtkMRMLAnnotationNode* node, bool finished);

    // The mirror image of `p` across the line through `a` and `b` (display x and y); false,
    // leaving `mirrored` alone, when a and b lie less than a pixel apart.
    static bool MirrorAcrossLine(const double a[2], const double b[2], const double p[2], double mirrored[2]);

protected:
    vtkMRMLAnnotationBidimensionalDisplayableManager();
    ~vtkMRMLAnnotationBidimensionalDisplayableManager() override = default;
    vtkMRMLAnnotationBidimensionalDisplayableManager(const vtkMRMLAnnotationBidimensionalDisplayableManager&) = delete;
    void operator=(const vtkMRMLAnnotationBidimensionalDisplayableManager&) = delete;

private:
    // The display points of the clicks of the placement under way.
    double Clicks[3][2] = {};
};
