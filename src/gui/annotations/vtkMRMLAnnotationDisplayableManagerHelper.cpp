#include "vtkMRMLAnnotationDisplayableManagerHelper.h"

#include "vtkMRMLAnnotationDisplayNode.h"
#include "vtkMRMLAnnotationNode.h"

#include <mrml/vtkMRMLInteractionNode.h>

#include <vtkAbstractWidget.h>
#include <vtkHandleRepresentation.h>
#include <vtkHandleWidget.h>
#include <vtkObjectFactory.h>
#include <vtkProperty.h>
#include <vtkSeedRepresentation.h>
#include <vtkSeedWidget.h>
#include <vtkSphereHandleRepresentation.h>

#include <algorithm>
#include <cstring>
#include <ostream>

vtkStandardNewMacro(vtkMRMLAnnotationDisplayableManagerHelper);

namespace {
vtkAbstractWidget* lookUp(const vtkMRMLAnnotationDisplayableManagerHelper::WidgetMap& map,
                          vtkMRMLAnnotationNode* node)
{
    if (!node)
        return nullptr;
    const auto it = map.find(node);
    return it == map.end() ? nullptr : it->second.Get();
}

void store(vtkMRMLAnnotationDisplayableManagerHelper::WidgetMap& map, vtkMRMLAnnotationNode* node,
           vtkAbstractWidget* widget)
{
    if (!node)
        return;
    if (widget)
        map[node] = widget;
    else
        map.erase(node);
}

void switchOff(vtkAbstractWidget* widget)
{
    if (widget)
        widget->SetEnabled(0);
}

// Seeds only mark clicks: they are not dragged and leave the cursor alone.
void freeze(vtkSeedWidget* widget)
{
    widget->CompleteInteraction();
    widget->ManagesCursorOff();
    widget->ProcessEventsOff();
}
} // namespace

vtkMRMLAnnotationDisplayableManagerHelper::vtkMRMLAnnotationDisplayableManagerHelper() = default;

vtkMRMLAnnotationDisplayableManagerHelper::~vtkMRMLAnnotationDisplayableManagerHelper()
{
    RemoveSeeds();
    RemoveAllWidgetsAndNodes();
}

void vtkMRMLAnnotationDisplayableManagerHelper::PrintSelf(ostream& os, vtkIndent indent)
{
    Superclass::PrintSelf(os, indent);
    os << indent << "Nodes: " << Nodes.size() << "\n";
    os << indent << "Widgets: " << Widgets.size() << "\n";
    os << indent << "Seeds: " << Seeds.size() << "\n";
}

vtkAbstractWidget* vtkMRMLAnnotationDisplayableManagerHelper::GetWidget(vtkMRMLAnnotationNode* node) const
{
    return lookUp(Widgets, node);
}

vtkAbstractWidget* vtkMRMLAnnotationDisplayableManagerHelper::GetIntersectionWidget(vtkMRMLAnnotationNode* node) const
{
    return lookUp(IntersectionWidgets, node);
}

vtkAbstractWidget*
vtkMRMLAnnotationDisplayableManagerHelper::GetOverLineProjectionWidget(vtkMRMLAnnotationNode* node) const
{
    return lookUp(OverLineProjectionWidgets, node);
}

vtkAbstractWidget*
vtkMRMLAnnotationDisplayableManagerHelper::GetUnderLineProjectionWidget(vtkMRMLAnnotationNode* node) const
{
    return lookUp(UnderLineProjectionWidgets, node);
}

vtkAbstractWidget* vtkMRMLAnnotationDisplayableManagerHelper::GetPointProjectionWidget(vtkMRMLAnnotationNode* node) const
{
    return lookUp(PointProjectionWidgets, node);
}

void vtkMRMLAnnotationDisplayableManagerHelper::SetWidget(vtkMRMLAnnotationNode* node, vtkAbstractWidget* widget)
{
    store(Widgets, node, widget);
}

void vtkMRMLAnnotationDisplayableManagerHelper::SetIntersectionWidget(vtkMRMLAnnotationNode* node,
                                                                      vtkAbstractWidget* widget)
{
    store(IntersectionWidgets, node, widget);
}

void vtkMRMLAnnotationDisplayableManagerHelper::SetOverLineProjectionWidget(vtkMRMLAnnotationNode* node,
                                                                            vtkAbstractWidget* widget)
{
    store(OverLineProjectionWidgets, node, widget);
}

void vtkMRMLAnnotationDisplayableManagerHelper::SetUnderLineProjectionWidget(vtkMRMLAnnotationNode* node,
                                                                             vtkAbstractWidget* widget)
{
    store(UnderLineProjectionWidgets, node, widget);
}

void vtkMRMLAnnotationDisplayableManagerHelper::SetPointProjectionWidget(vtkMRMLAnnotationNode* node,
                                                                         vtkAbstractWidget* widget)
{
    store(PointProjectionWidgets, node, widget);
}

void vtkMRMLAnnotationDisplayableManagerHelper::AddNode(vtkMRMLAnnotationNode* node)
{
    if (node && NodeSet.insert(node).second)
        Nodes.push_back(node);
}

bool vtkMRMLAnnotationDisplayableManagerHelper::HasNode(vtkMRMLAnnotationNode* node) const
{
    return node && NodeSet.count(node) != 0;
}

vtkSeedWidget* vtkMRMLAnnotationDisplayableManagerHelper::GetSeedWidget() const
{
    return SeedWidget;
}

vtkHandleWidget* vtkMRMLAnnotationDisplayableManagerHelper::GetSeed(int index) const
{
    if (index < 0 || index >= static_cast<int>(Seeds.size()))
        return nullptr;
    return Seeds[static_cast<size_t>(index)];
}

void vtkMRMLAnnotationDisplayableManagerHelper::PlaceSeed(double x, double y, vtkRenderWindowInteractor* interactor,
                                                          vtkRenderer* renderer)
{
    if (!interactor) {
        vtkErrorMacro("PlaceSeed: No renderInteractor found.");
        return;
    }
    if (!renderer) {
        vtkErrorMacro("PlaceSeed: No renderer found.");
        return;
    }
    if (!SeedWidget) {
        vtkNew<vtkSphereHandleRepresentation> handle;
        handle->GetProperty()->SetColor(1.0, 0.0, 0.0);
        handle->SetHandleSize(5.0);
        vtkNew<vtkSeedRepresentation> representation;
        representation->SetHandleRepresentation(handle);
        SeedWidget = vtkSmartPointer<vtkSeedWidget>::New();
        SeedWidget->SetRepresentation(representation);
        SeedWidget->SetInteractor(interactor);
        SeedWidget->SetCurrentRenderer(renderer);
        freeze(SeedWidget);
    }
    vtkHandleWidget* seed = SeedWidget->CreateNewHandle();
    if (seed) {
        double position[3] = {x, y, 0.0};
        seed->GetHandleRepresentation()->SetDisplayPosition(position);
        Seeds.emplace_back(seed);
    }
    SeedWidget->On();
    freeze(SeedWidget);
}

void vtkMRMLAnnotationDisplayableManagerHelper::RemoveSeeds()
{
    while (!Seeds.empty())
        Seeds.pop_back();
    if (SeedWidget) {
        SeedWidget->Off();
        SeedWidget = nullptr;
    }
}

vtkMRMLAnnotationNode*
vtkMRMLAnnotationDisplayableManagerHelper::GetAnnotationNodeFromDisplayNode(vtkMRMLAnnotationDisplayNode* displayNode)
{
    if (!displayNode || !displayNode->GetID()) {
        vtkErrorMacro("GetAnnotationNodeFromDisplayNode: display node or it's id is null");
        return nullptr;
    }
    for (vtkMRMLAnnotationNode* node : Nodes) {
        const int n = node->GetNumberOfDisplayNodes();
        for (int i = 0; i < n; ++i) {
            vtkMRMLDisplayNode* d = node->GetNthDisplayNode(i);
            if (d && d->GetID() && std::strcmp(d->GetID(), displayNode->GetID()) == 0)
                return node;
        }
    }
    return nullptr;
}

void vtkMRMLAnnotationDisplayableManagerHelper::RemoveWidgetAndNode(vtkMRMLAnnotationNode* node)
{
    if (!node)
        return;
    for (WidgetMap* map : {&Widgets, &IntersectionWidgets, &OverLineProjectionWidgets, &UnderLineProjectionWidgets,
                           &PointProjectionWidgets}) {
        const auto it = map->find(node);
        if (it == map->end())
            continue;
        switchOff(it->second);
        map->erase(it);
    }
    if (NodeSet.erase(node))
        Nodes.erase(std::find(Nodes.begin(), Nodes.end(), node));
}

void vtkMRMLAnnotationDisplayableManagerHelper::RemoveAllWidgetsAndNodes()
{
    for (WidgetMap* map : {&Widgets, &IntersectionWidgets, &OverLineProjectionWidgets, &UnderLineProjectionWidgets,
                           &PointProjectionWidgets}) {
        for (auto& entry : *map)
            switchOff(entry.second);
        map->clear();
    }
    Nodes.clear();
    NodeSet.clear();
}

void vtkMRMLAnnotationDisplayableManagerHelper::UpdateLocked(vtkMRMLAnnotationNode* node)
{
    vtkAbstractWidget* widget = GetWidget(node);
    if (!widget)
        return;
    const bool locked = node->GetLocked() != 0;
    if (locked && widget->GetProcessEvents())
        widget->ProcessEventsOff();
    else if (!locked && !widget->GetProcessEvents())
        widget->ProcessEventsOn();
}

void vtkMRMLAnnotationDisplayableManagerHelper::UpdateLockedAllWidgets(bool locked)
{
    for (auto& entry : Widgets)
        entry.second->SetProcessEvents(locked ? 0 : 1);
}

void vtkMRMLAnnotationDisplayableManagerHelper::UpdateLockedAllWidgetsFromInteractionNode(
    vtkMRMLInteractionNode* interactionNode)
{
    if (!interactionNode)
        return;
    const int mode = interactionNode->GetCurrentInteractionMode();
    if (mode == vtkMRMLInteractionNode::Place)
        UpdateLockedAllWidgets(true);
    else if (mode == vtkMRMLInteractionNode::ViewTransform)
        UpdateLockedAllWidgetsFromNodes();
}

void vtkMRMLAnnotationDisplayableManagerHelper::UpdateLockedAllWidgetsFromNodes()
{
    for (vtkMRMLAnnotationNode* node : Nodes)
        UpdateLocked(node);
}

void vtkMRMLAnnotationDisplayableManagerHelper::UpdateVisible(vtkMRMLAnnotationNode* node, bool displayableInView)
{
    vtkAbstractWidget* widget = GetWidget(node);
    if (!widget)
        return;
    const bool visible = displayableInView && node->GetDisplayVisibility() != 0;
    if ((widget->GetEnabled() != 0) == visible)
        return;
    widget->SetEnabled(visible ? 1 : 0);
    if (visible)
        if (auto* seeds = vtkSeedWidget::SafeDownCast(widget))
            seeds->CompleteInteraction();
}

void vtkMRMLAnnotationDisplayableManagerHelper::UpdateWidget(vtkMRMLAnnotationNode* node)
{
    UpdateVisible(node, true);
}
