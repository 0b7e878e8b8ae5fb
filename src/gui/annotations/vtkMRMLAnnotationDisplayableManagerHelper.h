#pragma once
// The bookkeeping of one annotation displayable manager: the annotation nodes it shows,
// the widget of each node, the extra widgets that show an annotation in a slice view
// where it cannot be edited, and the seeds that mark the clicks of a placement under way.
// It also applies the nodes' lock and visibility to their widgets. It owns every widget
// it holds.

#include "PelmoraAnnotationsExport.h"

#include <vtkObject.h>
#include <vtkSmartPointer.h>

#include <map>
#include <unordered_set>
#include <vector>

class vtkAbstractWidget;
class vtkHandleWidget;
class vtkMRMLAnnotationDisplayNode;
class vtkMRMLAnnotationNode;
class vtkMRMLInteractionNode;
class vtkRenderWindowInteractor;
class vtkRenderer;
class vtkSeedWidget;

class PELMORAANNOTATIONS_EXPORT vtkMRMLAnnotationDisplayableManagerHelper : public vtkObject
{
public:
    static vtkMRMLAnnotationDisplayableManagerHelper* New();
    vtkTypeMacro(vtkMRMLAnnotationDisplayableManagerHelper, vtkObject);
    void PrintSelf(ostream& os, vtkIndent indent) override;

    using WidgetMap = std::map<vtkMRMLAnnotationNode*, vtkSmartPointer<vtkAbstractWidget>>;

    // The entries of the node; null for a null node or a node without entry.
    vtkAbstractWidget* GetWidget(vtkMRMLAnnotationNode* node) const;
    vtkAbstractWidget* GetIntersectionWidget(vtkMRMLAnnotationNode* node) const;
    vtkAbstractWidget* GetOverLineProjectionWidget(vtkMRMLAnnotationNode* node) const;
    vtkAbstractWidget* GetUnderLineProjectionWidget(vtkMRMLAnnotationNode* node) const;
    vtkAbstractWidget* GetPointProjectionWidget(vtkMRMLAnnotationNode* node) const;
    // Entries are made by the manager (a held reference each).
    void SetWidget(vtkMRMLAnnotationNode* node, vtkAbstractWidget* widget);
    void SetIntersectionWidget(vtkMRMLAnnotationNode* node, vtkAbstractWidget* widget);
    void SetOverLineProjectionWidget(vtkMRMLAnnotationNode* node, vtkAbstractWidget* widget);
    void SetUnderLineProjectionWidget(vtkMRMLAnnotationNode* node, vtkAbstractWidget* widget);
    void SetPointProjectionWidget(vtkMRMLAnnotationNode* node, vtkAbstractWidget* widget);

    // The nodes shown, in the order added (not owned).
    const std::vector<vtkMRMLAnnotationNode*>& GetNodes() const { return Nodes; }
    void AddNode(vtkMRMLAnnotationNode* node);
    bool HasNode(vtkMRMLAnnotationNode* node) const;

    // The seed handle at the index; null when it is out of range.
    vtkHandleWidget* GetSeed(int index) const;
    int GetNumberOfSeeds() const { return static_cast<int>(Seeds.size()); }
    vtkSeedWidget* GetSeedWidget() const;
    // Marks a click at display coordinates with a red seed that cannot be dragged.
    void PlaceSeed(double x, double y, vtkRenderWindowInteractor* interactor, vtkRenderer* renderer);
    void RemoveSeeds();

    // The first node of the list that has a display node of the same id; null for a null
    // display node or one without id (reported).
    vtkMRMLAnnotationNode* GetAnnotationNodeFromDisplayNode(vtkMRMLAnnotationDisplayNode* displayNode);

    // Switches off and releases the node's widgets and forgets the node.
    void RemoveWidgetAndNode(vtkMRMLAnnotationNode* node);
    // The same for every node; the seeds stay.
    void RemoveAllWidgetsAndNodes();

    // A locked node's widget ignores events.
    void UpdateLocked(vtkMRMLAnnotationNode* node);
    void UpdateLockedAllWidgets(bool locked);
    // Place mode locks every widget; view-transform mode applies each node's own lock.
    void UpdateLockedAllWidgetsFromInteractionNode(vtkMRMLInteractionNode* interactionNode);
    void UpdateLockedAllWidgetsFromNodes();

    // Shows the node's widget exactly when `displayableInView` and the node's display
    // visibility are both on.
    void UpdateVisible(vtkMRMLAnnotationNode* node, bool displayableInView);
    // The same with the display visibility alone (the 3D view).
    void UpdateWidget(vtkMRMLAnnotationNode* node);

protected:
    vtkMRMLAnnotationDisplayableManagerHelper();
    ~vtkMRMLAnnotationDisplayableManagerHelper() override;
    vtkMRMLAnnotationDisplayableManagerHelper(const vtkMRMLAnnotationDisplayableManagerHelper&) = delete;
    void operator=(const vtkMRMLAnnotationDisplayableManagerHelper&) = delete;

private:
    std::vector<vtkMRMLAnnotationNode*> Nodes;
    // The same nodes, for look-ups that do not grow with their number.
    std::unordered_set<vtkMRMLAnnotationNode*> NodeSet;
    // Kept together, in this order, for removal.
    WidgetMap Widgets;
    WidgetMap IntersectionWidgets;
    WidgetMap OverLineProjectionWidgets;
    WidgetMap UnderLineProjectionWidgets;
    WidgetMap PointProjectionWidgets;
    vtkSmartPointer<vtkSeedWidget> SeedWidget;
    std::vector<vtkSmartPointer<vtkHandleWidget>> Seeds;
};
