#pragma once
// The 3D view's display and selection settings: a display mode for every model of the
// view, which kinds of entity a pick selects, the entity-selection data picks are
// reported to, and picking with a cell picker. Settings take effect at the next render.

#include "IVtkTypes.h"
#include "vtkMRMLAbstractDisplayableManager.h"

#include <map>
#include <string>
#include <vector>

class vtkCellPicker;
class vtkMRMLModelDisplayableManager;
class vtkMRMLModelNode;

namespace pmFwm {
class EntitySelectionData;
}

class vtkMRML3DViewDisplayableManager : public vtkMRMLAbstractDisplayableManager
{
public:
    static vtkMRML3DViewDisplayableManager* New();
    vtkTypeMacro(vtkMRML3DViewDisplayableManager, vtkMRMLAbstractDisplayableManager);
    void PrintSelf(ostream& os, vtkIndent indent) override;

    // Display modes: 0 each model's own, 1 wireframe, 2 shaded, 3 shaded with edges.
    void VtkSetDisplayMode(int mode);
    int GetDisplayMode() const { return DisplayMode; }

    // Draws the models' vertices as points over their surfaces.
    void SetRenderPointsVisible(bool visible);
    bool GetRenderPointsVisible() const { return PointsVisible; }
    // Draws the edges of the models' cells whatever the display mode.
    void VtkSetShowMesh(bool show);
    bool GetShowMesh() const { return ShowMesh; }

    // Selection modes: 0 whole shape, 1 vertex, 2 edge, 4 face. The first form pairs the
    // modes with their flags and asks for a render; the second only records the flag.
    void VtkSetSelectionModes(const std::vector<int>& modes, const std::vector<bool>& on);
    void VtkSetSelectionModeNoRender(int mode, bool on);
    bool GetSelectionMode(int mode) const;
    const std::map<int, bool>& GetSelectionModes() const { return SelectionModes; }

    // Highlighting of the picked model and of the model under the mouse: off, or on in
    // the given colours (red, green, blue from 0 to 1; null keeps the display nodes').
    void SetHighlighting(bool selection, const double selected[3], const double preSelected[3]);
    bool GetSelectionHighlighting() const { return SelectionHighlighting; }

    // Where picks are reported (not owned; null reports nowhere).
    void setEntitySelData(pmFwm::EntitySelectionData* data) { EntitySelData = data; }
    pmFwm::EntitySelectionData* getEntitySelData() const { return EntitySelData; }

    // Forgets the picked entities and the highlight.
    void ResetSelection();

    // Picks at display coordinates (pixels, origin at the bottom left). True when a model
    // was hit: its node, the picked point in world coordinates and the entity of the
    // finest selection mode that is on are kept, and the entity is reported to the
    // entity-selection data (project name and object id from the model node's
    // "ProjectName" and "ObjectId" attributes): as the whole selection, or with `add` as
    // an addition to it.
    bool Pick(int x, int y, bool add = false);
    // Marks the model under the point as the one about to be picked (none off a model);
    // nothing is reported. True when a model is under the point.
    bool PreSelect(int x, int y);

    // Finds the model point under display coordinates (as Pick) and keeps its node and
    // world point, but selects, highlights and reports nothing: for placing points on
    // models. False off every model and for negative coordinates.
    bool PickModelPoint(int x, int y);

    const double* GetPickedRAS() const { return PickedRAS; }
    void GetPickedRAS(double ras[3]) const;
    const char* GetPickedNodeID() const { return PickedNodeID.empty() ? nullptr : PickedNodeID.c_str(); }
    // The picked entity: kind (1 vertex, 2 edge, 3 face, 4 whole shape, 0 none) and index.
    int GetPickedEntityKind() const { return PickedEntityKind; }
    long long GetPickedEntityIndex() const { return PickedEntityIndex; }

protected:
    vtkMRML3DViewDisplayableManager();
    ~vtkMRML3DViewDisplayableManager() override;
    vtkMRML3DViewDisplayableManager(const vtkMRML3DViewDisplayableManager&) = delete;
    void operator=(const vtkMRML3DViewDisplayableManager&) = delete;

    void OnBeforeRender() override;

private:
    vtkMRMLModelDisplayableManager* ModelManager() const;
    // Picks the model under display coordinates with pending changes applied, and keeps
    // the picked point and node; null when none is there.
    vtkMRMLModelNode* PickModel(int x, int y);

    int DisplayMode = 0;
    bool DisplayModePending = false;
    bool PointsVisible = false;
    bool SelectionHighlighting = true;
    bool ShowMesh = false;
    std::map<int, bool> SelectionModes{{0, false}, {1, false}, {2, false}, {4, false}};
    pmFwm::EntitySelectionData* EntitySelData = nullptr;
    vtkCellPicker* Picker = nullptr;
    double PickedRAS[3] = {0.0, 0.0, 0.0};
    std::string PickedNodeID;
    int PickedEntityKind = 0;
    long long PickedEntityIndex = -1;
    bool ResetPending = false;
};
