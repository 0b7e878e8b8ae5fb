#include "vtkMRMLModelDisplayableManager.h"

#include "vtkMRMLClipModelsNode.h"
#include "vtkMRMLDisplayNode.h"
#include "vtkMRMLJoinPointsFilter.h"
#include "vtkMRMLModelNode.h"
#include "vtkMRMLModelOutlineFilter.h"
#include "vtkMRMLScene.h"

#include <vtkActor.h>
#include <vtkClipPolyData.h>
#include <vtkCommand.h>
#include <vtkExtractPolyDataGeometry.h>
#include <vtkImplicitBoolean.h>
#include <vtkMath.h>
#include <vtkMatrix4x4.h>
#include <vtkNonMergingPointLocator.h>
#include <vtkNew.h>
#include <vtkObjectFactory.h>
#include <vtkPlane.h>
#include <vtkPlaneCollection.h>
#include <vtkPolyData.h>
#include <vtkPolyDataMapper.h>
#include <vtkProperty.h>
#include <vtkRenderer.h>
#include <vtkSmartPointer.h>
#include <vtkTransform.h>
#include <vtkWeakPointer.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <unordered_map>

#include <counted/SeededHash.h>
#include <unordered_set>
#include <utility>
#include <vector>

vtkStandardNewMacro(vtkMRMLModelDisplayableManager);

namespace {

struct Pipeline
{
    vtkWeakPointer<vtkMRMLDisplayNode> display;
    vtkMRMLDisplayNode* displayKey = nullptr; // the key in actorByDisplay, even once gone
    vtkSmartPointer<vtkActor> actor;
    vtkSmartPointer<vtkPolyDataMapper> mapper;
    // Cuts the model for the clip node when the mapper's clipping planes cannot.
    vtkSmartPointer<vtkPolyDataAlgorithm> cutter;
    // Made when first needed: the vertices as points (same mapper, so cut alike), and
    // the outline that "shaded with wireframe" draws (boundary and feature edges).
    vtkSmartPointer<vtkActor> points;
    vtkSmartPointer<vtkActor> outline;
    vtkSmartPointer<vtkMRMLModelOutlineFilter> outlineEdges;

    // The actors this pipeline adds to the renderer.
    std::vector<vtkActor*> actors() const
    {
        std::vector<vtkActor*> all{actor};
        for (vtkActor* extra : {points.GetPointer(), outline.GetPointer()})
            if (extra)
                all.push_back(extra);
        return all;
    }
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
    std::unordered_map<std::string, std::vector<vtkMRMLModelNode*>, Counted::SeededHash<std::string>> awaitedDisplays;
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
                for (vtkActor* actor : p.actors())
                    GetRenderer()->RemoveActor(actor);
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

bool vtkMRMLModelDisplayableManager::GetVisibleModelBounds(double bounds[6]) const
{
    vtkMath::UninitializeBounds(bounds);
    bool any = false;
    for (const auto& entry : d->modelByProp) {
        vtkProp* prop = entry.first;
        const double* b = prop->GetVisibility() ? prop->GetBounds() : nullptr;
        if (!b || !vtkMath::AreBoundsInitialized(b))
            continue;
        for (int i = 0; i < 3; ++i) {
            bounds[2 * i] = any ? std::min(bounds[2 * i], b[2 * i]) : b[2 * i];
            bounds[2 * i + 1] = any ? std::max(bounds[2 * i + 1], b[2 * i + 1]) : b[2 * i + 1];
        }
        any = true;
    }
    return any;
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
            for (vtkActor* actor : p.actors())
                renderer->RemoveActor(actor);
    }
    entry.pipelines.clear();
}

// An actor drawn with a model's own actor, never picked: a pick names the model actor.
vtkSmartPointer<vtkActor> companionActor(vtkRenderer* renderer)
{
    auto actor = vtkSmartPointer<vtkActor>::New();
    actor->PickableOff();
    actor->GetProperty()->SetAmbient(1.0);
    actor->GetProperty()->SetDiffuse(0.0);
    actor->GetProperty()->LightingOff();
    renderer->AddActor(actor);
    return actor;
}

// Shows the vertices of the pipeline's model as points when `on`.
void showPoints(vtkRenderer* renderer, Pipeline& p, bool on, const double color[3], vtkMatrix4x4* toWorld)
{
    if (!on) {
        if (p.points)
            p.points->VisibilityOff();
        return;
    }
    if (!p.points) {
        p.points = companionActor(renderer);
        p.points->SetMapper(p.mapper);
        vtkProperty* property = p.points->GetProperty();
        property->SetRepresentationToPoints();
        property->SetPointSize(6.0f);
        // Spheres stand out of the surface they sit on instead of sinking half into it.
        property->RenderPointsAsSpheresOn();
    }
    p.points->GetProperty()->SetColor(color[0], color[1], color[2]);
    p.points->SetUserMatrix(toWorld);
    p.points->VisibilityOn();
}

// Shows the outline of the pipeline's model (what the mapper draws, cut as it is cut)
// when `on`.
void showOutline(vtkRenderer* renderer, Pipeline& p, bool on, vtkPolyData* polyData, vtkProperty* look,
                 vtkMatrix4x4* toWorld)
{
    if (!on) {
        if (p.outline)
            p.outline->VisibilityOff();
        return;
    }
    if (!p.outline) {
        p.outlineEdges = vtkSmartPointer<vtkMRMLModelOutlineFilter>::New();
        vtkNew<vtkPolyDataMapper> mapper;
        mapper->SetInputConnection(p.outlineEdges->GetOutputPort());
        mapper->ScalarVisibilityOff();
        p.outline = companionActor(renderer);
        p.outline->SetMapper(mapper);
    }
    if (p.cutter)
        p.outlineEdges->SetInputConnection(p.cutter->GetOutputPort());
    else
        p.outlineEdges->SetInputData(polyData);
    p.outline->GetMapper()->SetClippingPlanes(p.mapper->GetClippingPlanes());
    const double* color = look->GetEdgeColor();
    p.outline->GetProperty()->SetColor(color[0], color[1], color[2]);
    p.outline->GetProperty()->SetLineWidth(std::max(1.0f, look->GetLineWidth()));
    p.outline->GetProperty()->SetOpacity(look->GetOpacity());
    p.outline->SetUserMatrix(toWorld);
    p.outline->VisibilityOn();
}

// A model node this manager draws.  Annotations are model nodes too, but their own
// managers draw them as widgets: drawn here as well they would be picked and framed as
// models.
vtkMRMLModelNode* shownModel(vtkMRMLNode* node)
{
    auto* model = vtkMRMLModelNode::SafeDownCast(node);
    return model && !model->IsA("vtkMRMLAnnotationNode") ? model : nullptr;
}

// The half-spaces that the scene's clip node keeps: each slice plane that clips passes
// through the node's origin; "positive" keeps the side toward growing coordinates
// (yellow: x, green: y, red: z).  Normals point into the kept side.
std::vector<std::pair<int, double>> keptHalfSpaces(vtkMRMLClipModelsNode* clip)
{
    std::vector<std::pair<int, double>> kept; // axis, sign of the kept side
    if (!clip)
        return kept;
    const int states[3] = {clip->GetYellowSliceClipState(), clip->GetGreenSliceClipState(),
                           clip->GetRedSliceClipState()};
    for (int axis = 0; axis < 3; ++axis)
        if (states[axis] == vtkMRMLClipModelsNode::ClipPositiveSpace)
            kept.emplace_back(axis, 1.0);
        else if (states[axis] == vtkMRMLClipModelsNode::ClipNegativeSpace)
            kept.emplace_back(axis, -1.0);
    return kept;
}

// Feeds the mapper with the model's surface as the clip node cuts it.  The planes apply to
// every model of the scene: the clip planes dialog offers no choice per model.  Cells cut
// straight by the intersection of the kept half-spaces are left to the mapper's clipping
// planes (no copy of the data); a union or whole cells need a filter: an implicit boolean
// of the planes, evaluated in world coordinates, cuts (vtkClipPolyData) or keeps the cells
// wholly inside (vtkExtractPolyDataGeometry).  True when what the mapper draws changed.
bool applyClipping(Pipeline& p, vtkPolyData* polyData, vtkMRMLClipModelsNode* clip, vtkMatrix4x4* toWorld)
{
    p.mapper->RemoveAllClippingPlanes();
    const auto kept = keptHalfSpaces(clip);
    const bool wholeCells = clip && clip->GetClippingMethod() == vtkMRMLClipModelsNode::WholeCells;
    const bool unite = clip && clip->GetClipType() == vtkMRMLClipModelsNode::ClipUnion && kept.size() > 1;
    const double* origin = clip ? clip->GetClipOrigin() : nullptr;

    if (kept.empty() || (!wholeCells && !unite)) {
        const bool changed = p.cutter != nullptr || p.mapper->GetInput() != polyData;
        p.cutter = nullptr;
        if (p.mapper->GetInput() != polyData)
            p.mapper->SetInputData(polyData);
        for (const auto& half : kept) {
            double normal[3] = {0, 0, 0};
            normal[half.first] = half.second;
            vtkNew<vtkPlane> plane;
            plane->SetOrigin(origin[0], origin[1], origin[2]);
            plane->SetNormal(normal);
            p.mapper->AddClippingPlane(plane);
        }
        return changed;
    }

    // Implicit functions are negative inside: the normals point out of the kept side.
    vtkNew<vtkImplicitBoolean> region;
    region->SetOperationType(unite ? vtkImplicitBoolean::VTK_UNION : vtkImplicitBoolean::VTK_INTERSECTION);
    for (const auto& half : kept) {
        double normal[3] = {0, 0, 0};
        normal[half.first] = -half.second;
        vtkNew<vtkPlane> plane;
        plane->SetOrigin(origin[0], origin[1], origin[2]);
        plane->SetNormal(normal);
        region->AddFunction(plane);
    }
    // The data is in the model's own coordinates, the planes in the world's.
    vtkNew<vtkTransform> modelToWorld;
    modelToWorld->SetMatrix(toWorld);
    region->SetTransform(modelToWorld);

    if (wholeCells) {
        vtkNew<vtkExtractPolyDataGeometry> extract;
        extract->SetImplicitFunction(region);
        extract->ExtractInsideOn();
        extract->ExtractBoundaryCellsOff();
        p.cutter = extract;
        p.cutter->SetInputData(polyData);
    } else {
        // Each cut cell's corners are copied as they come and joined afterwards by their
        // exact coordinates: VTK's default locator bins the model's bounds evenly, and a
        // model with a stray point far away has all its other points in a few bins.
        vtkNew<vtkClipPolyData> cut;
        cut->SetClipFunction(region);
        cut->InsideOutOn();
        vtkNew<vtkNonMergingPointLocator> copyAll;
        cut->SetLocator(copyAll);
        cut->SetInputData(polyData);
        vtkNew<vtkMRMLJoinPointsFilter> join;
        join->SetInputConnection(cut->GetOutputPort());
        p.cutter = join;
    }
    p.mapper->SetInputConnection(p.cutter->GetOutputPort());
    return true;
}

} // namespace

void vtkMRMLModelDisplayableManager::OnMRMLSceneNodeAdded(vtkMRMLNode* node)
{
    if (auto* model = shownModel(node)) {
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
        auto* model = shownModel(node);
        if (!model)
            continue;
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
            const bool visible = display->GetVisibility() && polyData &&
                                 polyData->GetNumberOfPoints() > 0;
            if (p.actor->GetVisibility() != (visible ? 1 : 0)) {
                p.actor->SetVisibility(visible);
                geometryChanged = true;
            }
            if (!visible) {
                showPoints(renderer, p, false, nullptr, nullptr);
                showOutline(renderer, p, false, nullptr, nullptr, nullptr);
                continue; // the rest waits until it is shown again
            }
            if (applyClipping(p, polyData, d->clipNode, toWorld))
                geometryChanged = true;
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
            // Shaded with wireframe outlines the shape (its borders and sharp edges); every
            // cell edge, the mesh, shows only when the mesh is asked for.
            property->SetEdgeVisibility(d->edgesVisible);
            showOutline(renderer, p, mode == vtkMRMLDisplayNode::DisplayShadedWithWireframe && !d->edgesVisible,
                        polyData, property, p.actor->GetUserMatrix());
            showPoints(renderer, p, d->pointsVisible, display->GetEdgeColor(), p.actor->GetUserMatrix());
        }
    }
    d->dirty.clear();
    if (geometryChanged)
        renderer->ResetCameraClippingRange();
}
