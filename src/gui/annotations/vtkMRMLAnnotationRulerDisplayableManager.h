#pragma once
// Shows the rulers of the scene in one view as distance widgets (a ruler in space in the
// 3D view, a flat ruler in a slice view), places a new ruler with two clicks in place
// mode, labels the distance in the scene's length unit, keeps node and widget in step
// both ways, and hands each ruler it places to the view feeder the ruler command set.

#include "vtkMRMLAnnotationDisplayableManager.h"

#include <string>

class vtkMRMLAnnotationRulerNode;
class vtkMRMLUnitNode;

class PELMORAGUI_EXPORT vtkMRMLAnnotationRulerDisplayableManager : public vtkMRMLAnnotationDisplayableManager
{
public:
    static vtkMRMLAnnotationRulerDisplayableManager* New();
    vtkTypeMacro(vtkMRMLAnnotationRulerDisplayableManager, vtkMRMLAnnotationDisplayableManager);
    void PrintSelf(ostream& os, vtkIndent indent) override;

    void PropagateMRMLToWidget(vtkMRMLAnnotationNode* node, vtkAbstractWidget* widget) override;
    // Writes the handles into the node, saves the view and tells the scene.
    void PropagateWidgetToMRML(vtkAbstractWidget* widget, vtkMRMLAnnotationNode* node) override;
    void OnClickInRenderWindow(double x, double y, const char* associatedNodeID) override;
    void UpdatePosition(vtkAbstractWidget* widget, vtkMRMLNode* node) override;
    vtkAbstractWidget* CreateWidget(vtkMRMLAnnotationNode* node) override;
    void OnWidgetCreated(vtkAbstractWidget* widget, vtkMRMLAnnotationNode* node) override;

    // The label's printf format: the node's name (its "%" doubled), " :" and the number
    // format: the length unit's, with the preferences' decimals, when the scene names one,
    // else the node's own distance format when it takes one number, else "%-#6.3g mm".
    // Empty without a node.
    std::string GetLabelFormat(vtkMRMLAnnotationRulerNode* node);
    // A length in scene units as shown in the scene's length unit.
    double ApplyUnit(double lengthInSceneUnits);

    // One step of a drag: the node follows the handles; the view is saved and the scene
    // told only when `finished`.
    void WriteWidgetToNode(vtkAbstractWidget* widget, vtkMRMLAnnotationNode* node, bool finished);

protected:
    vtkMRMLAnnotationRulerDisplayableManager();
    ~vtkMRMLAnnotationRulerDisplayableManager() override = default;
    vtkMRMLAnnotationRulerDisplayableManager(const vtkMRMLAnnotationRulerDisplayableManager&) = delete;
    void operator=(const vtkMRMLAnnotationRulerDisplayableManager&) = delete;

    void OnMRMLSelectionNodeUnitModifiedEvent(vtkMRMLNode* selectionNode) override;
    void OnBeforeRender() override;

private:
    vtkMRMLUnitNode* GetLengthUnitNode();

    // World position of the first click of a placement (homogeneous).
    double LastClickWorldCoordinates[4] = {0.0, 0.0, 0.0, 1.0};
    // The decimals the drawn labels were last given at a render (-2: none yet).
    int LabelDecimals = -2;
};
