#include "vtkMRMLModelDisplayableManager.h"

#include "vtkMRMLClipModelsNode.h"
#include "vtkMRMLDisplayNode.h"
#include "vtkMRMLModelNode.h"
#include "vtkMRMLScene.h"

#include <vtkActor.h>
#include <vtkCommand.h>
#include <vtkMatrix4x4.h>
#include <vtkNew.h>
#include <vtkObjectFactory.h>
#include <vtkPlane.h>
#include <vtkPlaneCollection.h>
#include <vtkPolyData.h>
#include <vtkPolyDataMapper.h>
#include <vtkProperty.h>
#include <vtkRenderer.h>
#include <vtkSmartPointer.h>
#include <vtkWeakPointer.h>

#include <ostream>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

vtkStandardNewMacro(vtkMRMLModelDisplayableManager);

namespace {

struct Pipeline
{
    vtkWeakPointer<vtkMRMLDisplayNode> display;
    vtkMRMLDisplayNode* displayKey = nullptr; // the key in actorByDisplay, even once gone
    vtkSmartPointer<vtkActor> actor;
    vtkSmartPointer<vtkPolyDataMapper> mapper;
};

struct ModelEntry
{
    vtkWeakPointer<vtkMRMLModelNode> model;
    std::vector<Pipeline> pipelines;
};

} // namespace

struct vtkMRMLModelDisplayableManager::Internal
{
    std::unordered_map<vtkMRMLModelNode*, ModelEntry> models;
    std::unordered_map<vtkProp*, vtkMRMLModelNode*> modelByProp;
    std::unordered_map<vtkMRMLDisplayNode*, vtkActor*> actorByDisplay;
    std::unordered_set<vtkMRMLModelNode*> dirty;
    // Display-node IDs that models refer to before those nodes are in the scene.
    std::unordered_map<std::string, std::vector<vtkMRMLModelNode*>> awaitedDisplays;
    vtkWeakPointer<vtkMRMLClipModelsNode> clipNode;
    vtkWeakPointer<vtkMRMLModelNode> highlighted;
    vtkWeakPointer<vtkMRMLModelNode> preHighlighted;
    int viewDisplayMode = 0;
    bool useSelectedColor = false;
    bool usePreSelectedColor = false;
    double selectedColor[3] = {0.0, 0.0, 0.0};
    double preSelectedColor[3] = {0.0, 0.0, 0.0};
    bool pointsVisible = false;
    bool edgesVisible = false;

    // A setting of every model changed: all of them are redrawn at the next render.
    bool changeAll(bool& setting, bool value)
    {
        if (setting == value)
            return false;
        setting = value;
        for (auto& entry : models)
            dirty.insert(entry.first);
        return true;
    }

    // Moves a highlight (`slot`) to `model`; the models losing and gaining it are redrawn.
    // False when it is there already.
    bool moveHighlight(vtkWeakPointer<vtkMRMLModelNode>& slot, vtkMRMLModelNode* model)
    {
        if (slot == model)
            return false;
        if (slot && models.count(slot))
            dirty.insert(slot);
        slot = model;
        if (model && models.count(model))
            dirty.insert(model);
        return true;
    }
};

vtkMRMLModelDisplayableManager::vtkMRMLModelDisplayableManager()
    : d(new Internal)
{
}

vtkMRMLModelDisplayableManager::~vtkMRMLModelDisplayableManager()
{
    for (auto& entry : d->models) {
        if (entry.second.model)
            RemoveNodeObservers(entry.second.model);
        if (GetRenderer())
            for (auto& p : entry.second.pipelines)
                GetRenderer()->RemoveActor(p.actor);
    }
    if (d->clipNode)
        RemoveNodeObservers(d->clipNode);
}

void vtkMRMLModelDisplayableManager::PrintSelf(ostream& os, vtkIndent indent)
{
    Superclass::PrintSelf(os, indent);
    os << indent << "Models: " << d->models.size() << " Actors: " << d->modelByProp.size()
       << " ViewDisplayMode: " << d->viewDisplayMode << "\n";
}

void vtkMRMLModelDisplayableManager::SetViewDisplayMode(int mode)
{
    if (mode < 0 || mode > 3 || mode == d->viewDisplayMode)
        return;
    d->viewDisplayMode = mode;
    for (auto& entry : d->models)
        d->dirty.insert(entry.first);
    RequestRender();
}

int vtkMRMLModelDisplayableManager::GetViewDisplayMode() const
{
    return d->viewDisplayMode;
}

void vtkMRMLModelDisplayableManager::SetHighlightColors(const double selected[3], const double preSelected[3])
{
    d->useSelectedColor = selected != nullptr;
    d->usePreSelectedColor = preSelected != nullptr;
    for (int i = 0; i < 3; ++i) {
        d->selectedColor[i] = selected ? selected[i] : 0.0;
        d->preSelectedColor[i] = preSelected ? preSelected[i] : 0.0;
    }
    for (vtkMRMLModelNode* model : {d->highlighted.GetPointer(), d->preHighlighted.GetPointer()})
        if (model && d->models.count(model))
            d->dirty.insert(model);
    RequestRender();
}

void vtkMRMLModelDisplayableManager::SetPointsVisible(bool visible)
{
    if (d->changeAll(d->pointsVisible, visible))
        RequestRender();
}

bool vtkMRMLModelDisplayableManager::GetPointsVisible() const
{
    return d->pointsVisible;
}

void vtkMRMLModelDisplayableManager::SetEdgesVisible(bool visible)
{
    if (d->changeAll(d->edgesVisible, visible))
        RequestRender();
}

bool vtkMRMLModelDisplayableManager::GetEdgesVisible() const
{
    return d->edgesVisible;
}

vtkActor* vtkMRMLModelDisplayableManager::GetActorByDisplayNode(vtkMRMLDisplayNode* displayNode) const
{
    auto it = d->actorByDisplay.find(displayNode);
    return it == d->actorByDisplay.end() ? nullptr : it->second;
}

vtkMRMLModelNode* vtkMRMLModelDisplayableManager::GetModelNodeByProp(vtkProp* prop) const
{
    auto it = d->modelByProp.find(prop);
    return it == d->modelByProp.end() ? nullptr : it->second;
}

int vtkMRMLModelDisplayableManager::GetNumberOfActors() const
{
    return static_cast<int>(d->modelByProp.size());
}

void vtkMRMLModelDisplayableManager::SetHighlightedModel(vtkMRMLModelNode* model)
{
    if (d->moveHighlight(d->highlighted, model))
        RequestRender();
}

vtkMRMLModelNode* vtkMRMLModelDisplayableManager::GetHighlightedModel() const
{
    return d->highlighted;
}

void vtkMRMLModelDisplayableManager::SetPreHighlightedModel(vtkMRMLModelNode* model)
{
    if (d->moveHighlight(d->preHighlighted, model))
        RequestRender();
}

vtkMRMLModelNode* vtkMRMLModelDisplayableManager::GetPreHighlightedModel() const
{
    return d->preHighlighted;
}

namespace {

const std::vector<unsigned long>& modelEvents()
{
    static const std::vector<unsigned long> events{
        vtkCommand::ModifiedEvent, vtkMRMLModelNode::MeshModifiedEvent,
        vtkMRMLDisplayableNode::DisplayModifiedEvent,
        vtkMRMLTransformableNode::TransformModifiedEvent};
    return events;
}

void removePipelines(vtkRenderer* renderer, ModelEntry& entry,
                     std::unordered_map<vtkProp*, vtkMRMLModelNode*>& modelByProp,
                     std::unordered_map<vtkMRMLDisplayNode*, vtkActor*>& actorByDisplay)
{
    for (auto& p : entry.pipelines) {
        modelByProp.erase(p.actor);
        auto it = actorByDisplay.find(p.displayKey);
        if (it != actorByDisplay.end() && it->second == p.actor)
            actorByDisplay.erase(it);
        if (renderer)
            renderer->RemoveActor(p.actor);
    }
    entry.pipelines.clear();
}

// The planes of the scene's clip node: each slice plane that clips passes through the
// node's origin; the plane's normal points to the side that stays.
void applyClipping(vtkPolyDataMapper* mapper, vtkMRMLClipModelsNode* clip, bool clipping)
{
    mapper->RemoveAllClippingPlanes();
    if (!clipping || !clip)
        return;
    const int states[3] = {clip->GetYellowSliceClipState(), clip->GetGreenSliceClipState(),
                           clip->GetRedSliceClipState()};
    for (int axis = 0; axis < 3; ++axis) {
        if (states[axis] == vtkMRMLClipModelsNode::ClipOff)
            continue;
        double normal[3] = {0, 0, 0};
        normal[axis] = states[axis] == vtkMRMLClipModelsNode::ClipPositiveSpace ? -1.0 : 1.0;
        vtkNew<vtkPlane> plane;
        plane->SetOrigin(clip->GetClipOrigin());
        plane->SetNormal(normal);
        mapper->AddClippingPlane(plane);
    }
}

} // namespace

void vtkMRMLModelDisplayableManager::OnMRMLSceneNodeAdded(vtkMRMLNode* node)
{
    if (auto* model = vtkMRMLModelNode::SafeDownCast(node)) {
        if (d->models.count(model))
            return;
        ModelEntry& entry = d->models[model];
        entry.model = model;
        AddNodeObserver(model, modelEvents());
        d->dirty.insert(model);
        RequestRender();
    } else if (auto* clip = vtkMRMLClipModelsNode::SafeDownCast(node)) {
        if (!d->clipNode) {
            d->clipNode = clip;
            AddNodeObserver(clip, {vtkCommand::ModifiedEvent});
            for (auto& entry : d->models)
                d->dirty.insert(entry.first);
            RequestRender();
        }
    } else if (vtkMRMLDisplayNode::SafeDownCast(node) && node->GetID()) {
        // Models that referred to this display node before it was in the scene.
        auto it = d->awaitedDisplays.find(node->GetID());
        if (it == d->awaitedDisplays.end())
            return;
        for (vtkMRMLModelNode* model : it->second)
            if (d->models.count(model))
                d->dirty.insert(model);
        d->awaitedDisplays.erase(it);
        RequestRender();
    }
}

void vtkMRMLModelDisplayableManager::OnMRMLSceneNodeRemoved(vtkMRMLNode* node)
{
    if (auto* model = vtkMRMLModelNode::SafeDownCast(node)) {
        auto it = d->models.find(model);
        if (it == d->models.end())
            return;
        RemoveNodeObservers(model);
        removePipelines(GetRenderer(), it->second, d->modelByProp, d->actorByDisplay);
        d->models.erase(it);
        d->dirty.erase(model);
        RequestRender();
    } else if (node && node == d->clipNode.Get()) {
        RemoveNodeObservers(node);
        d->clipNode = nullptr;
        for (auto& entry : d->models)
            d->dirty.insert(entry.first);
        RequestRender();
    } else if (auto* display = vtkMRMLDisplayNode::SafeDownCast(node)) {
        auto it = d->actorByDisplay.find(display);
        if (it != d->actorByDisplay.end()) {
            auto owner = d->modelByProp.find(it->second);
            if (owner != d->modelByProp.end())
                d->dirty.insert(owner->second);
            RequestRender();
        }
    }
}

void vtkMRMLModelDisplayableManager::OnMRMLSceneStartClose()
{
    for (auto& entry : d->models) {
        if (entry.second.model)
            RemoveNodeObservers(entry.second.model);
        removePipelines(GetRenderer(), entry.second, d->modelByProp, d->actorByDisplay);
    }
    d->models.clear();
    d->dirty.clear();
    d->awaitedDisplays.clear();
    RequestRender();
}

void vtkMRMLModelDisplayableManager::ProcessMRMLNodesEvents(vtkObject* caller, unsigned long event,
                                                            void*)
{
    if (caller && caller == d->clipNode.Get()) {
        for (auto& entry : d->models)
            d->dirty.insert(entry.first);
        RequestRender();
        return;
    }
    auto* model = vtkMRMLModelNode::SafeDownCast(caller);
    if (!model || !d->models.count(model))
        return;
    (void)event;
    d->dirty.insert(model);
    RequestRender();
}

void vtkMRMLModelDisplayableManager::UpdateFromMRML()
{
    // Drop what no longer is in the scene, then take up every model node of it.
    vtkMRMLScene* scene = GetMRMLScene();
    for (auto it = d->models.begin(); it != d->models.end();) {
        vtkMRMLModelNode* model = it->second.model;
        if (!model || !scene || !scene->IsNodePresent(model)) {
            if (model)
                RemoveNodeObservers(model);
            removePipelines(GetRenderer(), it->second, d->modelByProp, d->actorByDisplay);
            d->dirty.erase(it->first);
            it = d->models.erase(it);
        } else {
            ++it;
        }
    }
    if (!scene)
        return;
    if (!d->clipNode)
        if (auto* clip = vtkMRMLClipModelsNode::SafeDownCast(
                scene->GetFirstNodeByClass("vtkMRMLClipModelsNode"))) {
            d->clipNode = clip;
            AddNodeObserver(clip, {vtkCommand::ModifiedEvent});
        }
    std::vector<vtkMRMLNode*> nodes;
    scene->GetNodesByClass("vtkMRMLModelNode", nodes);
    for (vtkMRMLNode* node : nodes) {
        auto* model = static_cast<vtkMRMLModelNode*>(node);
        if (!d->models.count(model)) {
            ModelEntry& entry = d->models[model];
            entry.model = model;
            AddNodeObserver(model, modelEvents());
        }
        d->dirty.insert(model);
    }
}

void vtkMRMLModelDisplayableManager::OnBeforeRender()
{
    vtkRenderer* renderer = GetRenderer();
    if (!renderer || d->dirty.empty())
        return;
    bool geometryChanged = false;
    vtkNew<vtkMatrix4x4> toWorld;
    for (vtkMRMLModelNode* model : d->dirty) {
        auto found = d->models.find(model);
        if (found == d->models.end() || !found->second.model)
            continue;
        ModelEntry& entry = found->second;

        // One pipeline per display node that is in the scene, in display-node order.
        std::vector<vtkMRMLDisplayNode*> displays;
        for (int i = 0; i < model->GetNumberOfDisplayNodes(); ++i) {
            if (vtkMRMLDisplayNode* display = model->GetNthDisplayNode(i))
                displays.push_back(display);
            else if (const char* id = model->GetNthDisplayNodeID(i))
                d->awaitedDisplays[id].push_back(model);
        }
        bool same = displays.size() == entry.pipelines.size();
        for (size_t i = 0; same && i < displays.size(); ++i)
            same = entry.pipelines[i].display == displays[i];
        if (!same) {
            removePipelines(renderer, entry, d->modelByProp, d->actorByDisplay);
            for (vtkMRMLDisplayNode* display : displays) {
                Pipeline p;
                p.display = display;
                p.displayKey = display;
                p.mapper = vtkSmartPointer<vtkPolyDataMapper>::New();
                p.actor = vtkSmartPointer<vtkActor>::New();
                p.actor->SetMapper(p.mapper);
                renderer->AddActor(p.actor);
                d->modelByProp[p.actor] = model;
                d->actorByDisplay[display] = p.actor;
                entry.pipelines.push_back(p);
            }
            geometryChanged = true;
        }

        model->GetTransformToWorld(toWorld);
        vtkPolyData* polyData = model->GetPolyData();
        const bool highlighted = d->highlighted == model;
        const bool preHighlighted = !highlighted && d->preHighlighted == model;
        for (Pipeline& p : entry.pipelines) {
            vtkMRMLDisplayNode* display = p.display;
            if (p.mapper->GetInput() != polyData) {
                p.mapper->SetInputData(polyData);
                geometryChanged = true;
            }
            const bool visible = display->GetVisibility() && polyData &&
                                 polyData->GetNumberOfPoints() > 0;
            if (p.actor->GetVisibility() != (visible ? 1 : 0)) {
                p.actor->SetVisibility(visible);
                geometryChanged = true;
            }
            if (!visible)
                continue; // the rest waits until it is shown again
            vtkMatrix4x4* current = p.actor->GetUserMatrix();
            bool sameMatrix = current != nullptr;
            for (int k = 0; sameMatrix && k < 16; ++k)
                sameMatrix = current->GetData()[k] == toWorld->GetData()[k];
            if (!sameMatrix) {
                vtkNew<vtkMatrix4x4> copy;
                copy->DeepCopy(toWorld);
                p.actor->SetUserMatrix(copy);
                geometryChanged = true;
            }
            p.mapper->SetScalarVisibility(0);
            vtkProperty* property = p.actor->GetProperty();
            if (preHighlighted && d->usePreSelectedColor) {
                property->SetColor(d->preSelectedColor);
            } else if (preHighlighted) {
                const double* a = display->GetColor();
                const double* b = display->GetSelectedColor();
                property->SetColor(0.5 * (a[0] + b[0]), 0.5 * (a[1] + b[1]), 0.5 * (a[2] + b[2]));
            } else if (highlighted) {
                property->SetColor(d->useSelectedColor ? d->selectedColor : display->GetSelectedColor());
            } else {
                property->SetColor(display->GetColor());
            }
            property->SetOpacity(display->GetOpacity());
            property->SetAmbient(display->GetAmbient());
            property->SetDiffuse(display->GetDiffuse());
            property->SetSpecular(display->GetSpecular());
            property->SetSpecularPower(display->GetPower());
            property->SetEdgeColor(display->GetEdgeColor());
            property->SetLineWidth(static_cast<float>(display->GetLineWidth()));
            property->SetBackfaceCulling(display->GetBackfaceCulling());
            const int mode = d->viewDisplayMode ? d->viewDisplayMode : display->GetDisplayMode();
            property->SetRepresentation(mode == vtkMRMLDisplayNode::DisplayWireframe ? VTK_WIREFRAME
                                                                                    : VTK_SURFACE);
            property->SetEdgeVisibility(d->edgesVisible || mode == vtkMRMLDisplayNode::DisplayShadedWithWireframe);
            property->SetVertexVisibility(d->pointsVisible);
            property->SetVertexColor(display->GetEdgeColor());
            property->SetPointSize(d->pointsVisible ? 5.0f : 1.0f);
            applyClipping(p.mapper, d->clipNode, display->GetClipping() != 0);
        }
    }
    d->dirty.clear();
    if (geometryChanged)
        renderer->ResetCameraClippingRange();
}
