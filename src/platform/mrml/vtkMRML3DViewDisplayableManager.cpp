#include "vtkMRML3DViewDisplayableManager.h"

#include "vtkMRMLDisplayableManagerGroup.h"
#include "vtkMRMLModelDisplayableManager.h"
#include "vtkMRMLModelNode.h"
#include "vtkMRMLScene.h"

#include <pmfwm/EntitySelectionData.h>

#include <vtkCell.h>
#include <vtkCellPicker.h>
#include <vtkObjectFactory.h>
#include <vtkPolyData.h>
#include <vtkProp3D.h>
#include <vtkRenderer.h>

#include <cstdlib>
#include <limits>
#include <ostream>

vtkStandardNewMacro(vtkMRML3DViewDisplayableManager);

vtkMRML3DViewDisplayableManager::vtkMRML3DViewDisplayableManager()
    : Picker(vtkCellPicker::New())
{
    Picker->SetTolerance(0.005);
}

vtkMRML3DViewDisplayableManager::~vtkMRML3DViewDisplayableManager()
{
    Picker->Delete();
}

void vtkMRML3DViewDisplayableManager::PrintSelf(ostream& os, vtkIndent indent)
{
    Superclass::PrintSelf(os, indent);
    os << indent << "DisplayMode: " << DisplayMode << "\n";
    for (const auto& m : SelectionModes)
        os << indent << "SelectionMode " << m.first << ": " << m.second << "\n";
    os << indent << "PickedNodeID: " << PickedNodeID << "\n";
}

vtkMRMLModelDisplayableManager* vtkMRML3DViewDisplayableManager::ModelManager() const
{
    vtkMRMLDisplayableManagerGroup* group = GetMRMLDisplayableManagerGroup();
    if (!group)
        return nullptr;
    for (int i = 0; i < group->GetDisplayableManagerCount(); ++i)
        if (auto* models = vtkMRMLModelDisplayableManager::SafeDownCast(group->GetNthDisplayableManager(i)))
            return models;
    return nullptr;
}

void vtkMRML3DViewDisplayableManager::VtkSetDisplayMode(int mode)
{
    if (mode < 0 || mode > 3)
        return;
    DisplayMode = mode;
    DisplayModePending = true;
    Modified();
    RequestRender();
}

void vtkMRML3DViewDisplayableManager::SetHighlighting(bool selection, const double selected[3],
                                                      const double preSelected[3])
{
    SelectionHighlighting = selection;
    if (vtkMRMLModelDisplayableManager* models = ModelManager()) {
        models->SetHighlightColors(selected, preSelected);
        if (!selection)
            models->SetHighlightedModel(nullptr);
    }
}

void vtkMRML3DViewDisplayableManager::SetRenderPointsVisible(bool visible)
{
    PointsVisible = visible;
    if (vtkMRMLModelDisplayableManager* models = ModelManager())
        models->SetPointsVisible(visible);
}

void vtkMRML3DViewDisplayableManager::VtkSetShowMesh(bool show)
{
    ShowMesh = show;
    if (vtkMRMLModelDisplayableManager* models = ModelManager())
        models->SetEdgesVisible(show);
}

void vtkMRML3DViewDisplayableManager::VtkSetSelectionModes(const std::vector<int>& modes,
                                                           const std::vector<bool>& on)
{
    for (size_t i = 0; i < modes.size() && i < on.size(); ++i)
        VtkSetSelectionModeNoRender(modes[i], on[i]);
    RequestRender();
}

void vtkMRML3DViewDisplayableManager::VtkSetSelectionModeNoRender(int mode, bool on)
{
    auto it = SelectionModes.find(mode);
    if (it == SelectionModes.end() || it->second == on)
        return;
    it->second = on;
    Modified();
}

bool vtkMRML3DViewDisplayableManager::GetSelectionMode(int mode) const
{
    auto it = SelectionModes.find(mode);
    return it != SelectionModes.end() && it->second;
}

void vtkMRML3DViewDisplayableManager::ResetSelection()
{
    PickedNodeID.clear();
    PickedEntityKind = 0;
    PickedEntityIndex = -1;
    ResetPending = true;
    RequestRender();
}

void vtkMRML3DViewDisplayableManager::GetPickedRAS(double ras[3]) const
{
    for (int i = 0; i < 3; ++i)
        ras[i] = PickedRAS[i];
}

void vtkMRML3DViewDisplayableManager::OnBeforeRender()
{
    vtkMRMLModelDisplayableManager* models = ModelManager();
    if (DisplayModePending && models) {
        DisplayModePending = false;
        models->SetViewDisplayMode(DisplayMode);
        models->UpdateBeforeRender();
    }
    if (ResetPending && models) {
        ResetPending = false;
        models->SetHighlightedModel(nullptr);
        models->SetPreHighlightedModel(nullptr);
        models->UpdateBeforeRender();
    }
}

bool vtkMRML3DViewDisplayableManager::PreSelect(int x, int y)
{
    vtkRenderer* renderer = GetRenderer();
    vtkMRMLModelDisplayableManager* models = ModelManager();
    if (!renderer || !models)
        return false;
    vtkMRMLModelNode* model = nullptr;
    if (Picker->Pick(x, y, 0.0, renderer))
        model = models->GetModelNodeByProp(Picker->GetProp3D());
    models->SetPreHighlightedModel(model);
    return model != nullptr;
}

bool vtkMRML3DViewDisplayableManager::Pick(int x, int y, bool add)
{
    PickedEntityKind = 0;
    PickedEntityIndex = -1;
    vtkMRMLModelNode* model = PickModel(x, y);
    if (!model)
        return false;

    // The finest kind of entity that may be selected decides what the pick reports.
    const vtkIdType cellId = Picker->GetCellId();
    if (GetSelectionMode(1) && Picker->GetPointId() >= 0) {
        PickedEntityKind = pmFwm::ENTITY_VERTEX;
        PickedEntityIndex = Picker->GetPointId();
    } else if (GetSelectionMode(2) && cellId >= 0) {
        PickedEntityKind = pmFwm::ENTITY_EDGE;
        // The edge of the picked cell nearest to the picked point.
        PickedEntityIndex = cellId;
        if (vtkPolyData* data = model->GetPolyData()) {
            vtkCell* cell = data->GetCell(cellId);
            double best = std::numeric_limits<double>::max();
            for (int e = 0; cell && e < cell->GetNumberOfEdges(); ++e) {
                vtkCell* edge = cell->GetEdge(e);
                double a[3], b[3], mid[3];
                data->GetPoint(edge->GetPointId(0), a);
                data->GetPoint(edge->GetPointId(1), b);
                for (int k = 0; k < 3; ++k)
                    mid[k] = 0.5 * (a[k] + b[k]);
                const double* p = Picker->GetMapperPosition();
                const double dist = (mid[0] - p[0]) * (mid[0] - p[0]) + (mid[1] - p[1]) * (mid[1] - p[1]) +
                                    (mid[2] - p[2]) * (mid[2] - p[2]);
                if (dist < best) {
                    best = dist;
                    PickedEntityIndex = cellId * 16 + e;
                }
            }
        }
    } else if (GetSelectionMode(4) && cellId >= 0) {
        PickedEntityKind = pmFwm::ENTITY_FACE;
        PickedEntityIndex = cellId;
    } else if (GetSelectionMode(0)) {
        PickedEntityKind = pmFwm::ENTITY_BODY;
        PickedEntityIndex = 0;
    }

    if (PickedEntityKind != 0) {
        if (SelectionHighlighting)
            ModelManager()->SetHighlightedModel(model);
        RequestRender();
        if (EntitySelData) {
            pmFwm::SelectionModification2 change;
            change.type = add ? 0 : 2;
            if (const char* project = model->GetAttribute("ProjectName"))
                change.project_name = project;
            if (const char* id = model->GetAttribute("ObjectId"))
                change.object_id = static_cast<unsigned int>(std::strtoul(id, nullptr, 10));
            change.entity_kind = PickedEntityKind;
            change.entity_index = static_cast<int>(PickedEntityIndex);
            change.x = PickedRAS[0];
            change.y = PickedRAS[1];
            change.z = PickedRAS[2];
            EntitySelData->notify(change);
        }
    }
    return true;
}

bool vtkMRML3DViewDisplayableManager::PickModelPoint(int x, int y)
{
    if (x < 0 || y < 0) {
        PickedNodeID.clear();
        return false;
    }
    return PickModel(x, y) != nullptr;
}

vtkMRMLModelNode* vtkMRML3DViewDisplayableManager::PickModel(int x, int y)
{
    PickedNodeID.clear();
    vtkRenderer* renderer = GetRenderer();
    vtkMRMLModelDisplayableManager* models = ModelManager();
    if (!renderer || !models)
        return nullptr;
    // Pending changes (a model shown or hidden a moment ago) count for the pick.
    if (vtkMRMLDisplayableManagerGroup* group = GetMRMLDisplayableManagerGroup())
        group->UpdateBeforeRender();
    if (!Picker->Pick(x, y, 0.0, renderer))
        return nullptr;
    vtkMRMLModelNode* model = models->GetModelNodeByProp(Picker->GetProp3D());
    if (!model)
        return nullptr;
    Picker->GetPickPosition(PickedRAS);
    PickedNodeID = model->GetID() ? model->GetID() : "";
    return model;
}
