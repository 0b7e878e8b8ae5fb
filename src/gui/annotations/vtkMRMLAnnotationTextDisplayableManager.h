#pragma once
// Shows the text annotations of the scene in one view as captions: a text box placed in
// the view's fractions with a leader to its anchor point in the scene. One click in place
// mode makes a new "New text", its box put where the earlier captions are not.

#include "vtkMRMLAnnotationDisplayableManager.h"

class PELMORAGUI_EXPORT vtkMRMLAnnotationTextDisplayableManager : public vtkMRMLAnnotationDisplayableManager
{
public:
    static vtkMRMLAnnotationTextDisplayableManager* New();
    vtkTypeMacro(vtkMRMLAnnotationTextDisplayableManager, vtkMRMLAnnotationDisplayableManager);
    void PrintSelf(ostream& os, vtkIndent indent) override;

    void PropagateMRMLToWidget(vtkMRMLAnnotationNode* node, vtkAbstractWidget* widget) override;
    void PropagateWidgetToMRML(vtkAbstractWidget* widget, vtkMRMLAnnotationNode* node) override;
    void OnClickInRenderWindow(double x, double y, const char* associatedNodeID) override;
    void UpdatePosition(vtkAbstractWidget* widget, vtkMRMLNode* node) override;
    vtkAbstractWidget* CreateWidget(vtkMRMLAnnotationNode* node) override;
    void OnWidgetCreated(vtkAbstractWidget* widget, vtkMRMLAnnotationNode* node) override;

    // Where the next caption's box goes: the corners and the centre of the view in turn,
    // by the number of texts the scene holds.
    void BestGuessForNewCaptionCoordinates(double xy[2]);

protected:
    vtkMRMLAnnotationTextDisplayableManager();
    ~vtkMRMLAnnotationTextDisplayableManager() override = default;
    vtkMRMLAnnotationTextDisplayableManager(const vtkMRMLAnnotationTextDisplayableManager&) = delete;
    void operator=(const vtkMRMLAnnotationTextDisplayableManager&) = delete;
};
