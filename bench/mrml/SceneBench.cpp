// The MRML scene against a plain vtkCollection (or a hash) holding the same nodes: adding
// and removing, clearing, positional, by-ID and by-class access.  The nodes are made
// outside the timed part, so the figures are the cost of the container alone.
#include <benchmark/benchmark.h>

#include <mrml/vtkMRMLScene.h>
#include <mrml/vtkMRMLTransformNode.h>
#include <mrml/vtkMRMLViewNode.h>

#include <vtkCollection.h>
#include <vtkNew.h>
#include <vtkSmartPointer.h>

#include <QByteArray>
#include <QHash>

#include <string>
#include <vector>

namespace {

using Nodes = std::vector<vtkSmartPointer<vtkMRMLNode>>;

// `n` new nodes, a view node every tenth (the class look-ups ask for those).
Nodes makeNodes(const benchmark::State& state)
{
    Nodes nodes;
    nodes.reserve(static_cast<size_t>(state.range(0)));
    for (int i = 0; i < state.range(0); ++i) {
        if (i % 10 == 0)
            nodes.push_back(vtkSmartPointer<vtkMRMLViewNode>::New());
        else
            nodes.push_back(vtkSmartPointer<vtkMRMLTransformNode>::New());
    }
    return nodes;
}

vtkSmartPointer<vtkMRMLScene> filledScene(const Nodes& nodes)
{
    auto scene = vtkSmartPointer<vtkMRMLScene>::New();
    for (const auto& node : nodes)
        scene->AddNode(node);
    return scene;
}

vtkSmartPointer<vtkCollection> filledCollection(const Nodes& nodes)
{
    auto collection = vtkSmartPointer<vtkCollection>::New();
    for (const auto& node : nodes)
        collection->AddItem(node);
    return collection;
}

// Runs `body` once per iteration on a fresh set of nodes and container made by `setUp`;
// making and destroying them is not timed.
template <class SetUp, class Body> void timed(benchmark::State& state, SetUp setUp, Body body)
{
    for (auto _ : state) {
        state.PauseTiming();
        Nodes nodes = makeNodes(state);
        auto container = setUp(nodes);
        state.ResumeTiming();
        body(nodes, container);
        state.PauseTiming();
        container = nullptr;
        nodes.clear();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

auto emptyScene = [](const Nodes&) { return vtkSmartPointer<vtkMRMLScene>::New(); };
auto emptyCollection = [](const Nodes&) { return vtkSmartPointer<vtkCollection>::New(); };

void items(benchmark::State& state)
{
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// Every node added, then every node removed (in the order of addition).
void BM_SceneAddRemove(benchmark::State& state)
{
    timed(state, emptyScene, [](const Nodes& nodes, vtkMRMLScene* scene) {
        for (const auto& node : nodes)
            scene->AddNode(node);
        for (const auto& node : nodes)
            scene->RemoveNode(node);
        benchmark::DoNotOptimize(scene->GetNumberOfNodes());
    });
}

void BM_SceneAddRemove_Baseline(benchmark::State& state)
{
    timed(state, emptyCollection, [](const Nodes& nodes, vtkCollection* collection) {
        for (const auto& node : nodes)
            collection->AddItem(node);
        for (const auto& node : nodes)
            collection->RemoveItem(node);
        benchmark::DoNotOptimize(collection->GetNumberOfItems());
    });
}

// The same inside a batch-processing state.
void BM_SceneBatchAddRemove(benchmark::State& state)
{
    timed(state, emptyScene, [](const Nodes& nodes, vtkMRMLScene* scene) {
        scene->StartState(vtkMRMLScene::BatchProcessState);
        for (const auto& node : nodes)
            scene->AddNode(node);
        for (const auto& node : nodes)
            scene->RemoveNode(node);
        scene->EndState(vtkMRMLScene::BatchProcessState);
        benchmark::DoNotOptimize(scene->GetNumberOfNodes());
    });
}

void BM_SceneBatchAddRemove_Baseline(benchmark::State& state)
{
    BM_SceneAddRemove_Baseline(state);
}

// Removing the newest node first: a vector or list searched from the front pays for the
// whole scene on every removal.
void BM_SceneRemoveNewestFirst(benchmark::State& state)
{
    timed(state, filledScene, [](const Nodes& nodes, vtkMRMLScene* scene) {
        for (auto it = nodes.rbegin(); it != nodes.rend(); ++it)
            scene->RemoveNode(*it);
        benchmark::DoNotOptimize(scene->GetNumberOfNodes());
    });
}

// vtkCollection searches from its front when removing by node; the baseline removes its
// first item by position instead, the cheapest removal it offers.
void BM_SceneRemoveNewestFirst_Baseline(benchmark::State& state)
{
    timed(state, filledCollection, [](const Nodes&, vtkCollection* collection) {
        for (int i = collection->GetNumberOfItems() - 1; i >= 0; --i)
            collection->RemoveItem(0);
        benchmark::DoNotOptimize(collection->GetNumberOfItems());
    });
}

void BM_SceneClear(benchmark::State& state)
{
    timed(state, filledScene, [](const Nodes&, vtkMRMLScene* scene) {
        scene->Clear(1);
        benchmark::DoNotOptimize(scene->GetNumberOfNodes());
    });
}

void BM_SceneClear_Baseline(benchmark::State& state)
{
    timed(state, filledCollection, [](const Nodes&, vtkCollection* collection) {
        collection->RemoveAllItems();
        benchmark::DoNotOptimize(collection->GetNumberOfItems());
    });
}

// An index loop over the whole scene.
void BM_SceneGetNthNode(benchmark::State& state)
{
    Nodes nodes = makeNodes(state);
    auto scene = filledScene(nodes);
    for (auto _ : state) {
        const int n = scene->GetNumberOfNodes();
        for (int i = 0; i < n; ++i)
            benchmark::DoNotOptimize(scene->GetNthNode(i));
    }
    items(state);
}

void BM_SceneGetNthNode_Baseline(benchmark::State& state)
{
    Nodes nodes = makeNodes(state);
    auto collection = filledCollection(nodes);
    for (auto _ : state) {
        vtkCollectionSimpleIterator it;
        collection->InitTraversal(it);
        while (vtkObject* object = collection->GetNextItemAsObject(it))
            benchmark::DoNotOptimize(object);
    }
    items(state);
}

// The same loop after a tenth of the nodes, spread over the scene, was removed.
void BM_SceneGetNthNodeAfterRemovals(benchmark::State& state)
{
    Nodes nodes = makeNodes(state);
    auto scene = filledScene(nodes);
    for (size_t i = 5; i < nodes.size(); i += 10)
        scene->RemoveNode(nodes[i]);
    for (auto _ : state) {
        const int n = scene->GetNumberOfNodes();
        for (int i = 0; i < n; ++i)
            benchmark::DoNotOptimize(scene->GetNthNode(i));
    }
    state.SetItemsProcessed(state.iterations() * scene->GetNumberOfNodes());
}

void BM_SceneGetNthNodeAfterRemovals_Baseline(benchmark::State& state)
{
    Nodes nodes = makeNodes(state);
    auto collection = filledCollection(nodes);
    for (size_t i = 5; i < nodes.size(); i += 10)
        collection->RemoveItem(nodes[i]);
    for (auto _ : state) {
        vtkCollectionSimpleIterator it;
        collection->InitTraversal(it);
        while (vtkObject* object = collection->GetNextItemAsObject(it))
            benchmark::DoNotOptimize(object);
    }
    state.SetItemsProcessed(state.iterations() * collection->GetNumberOfItems());
}

void BM_SceneGetNodeByID(benchmark::State& state)
{
    Nodes nodes = makeNodes(state);
    auto scene = filledScene(nodes);
    std::vector<std::string> ids;
    for (const auto& node : nodes)
        ids.emplace_back(node->GetID());
    for (auto _ : state)
        for (const auto& id : ids)
            benchmark::DoNotOptimize(scene->GetNodeByID(id));
    items(state);
}

void BM_SceneGetNodeByID_Baseline(benchmark::State& state)
{
    Nodes nodes = makeNodes(state);
    auto scene = filledScene(nodes);
    QHash<QByteArray, vtkMRMLNode*> byID;
    std::vector<QByteArray> ids;
    for (const auto& node : nodes) {
        ids.emplace_back(node->GetID());
        byID.insert(ids.back(), node);
    }
    for (auto _ : state)
        for (const auto& id : ids)
            benchmark::DoNotOptimize(byID.value(id));
    items(state);
}

// An index loop over the nodes of one class (a tenth of the scene).
void BM_SceneGetNthNodeByClass(benchmark::State& state)
{
    Nodes nodes = makeNodes(state);
    auto scene = filledScene(nodes);
    for (auto _ : state) {
        const int n = scene->GetNumberOfNodesByClass("vtkMRMLViewNode");
        for (int i = 0; i < n; ++i)
            benchmark::DoNotOptimize(scene->GetNthNodeByClass(i, "vtkMRMLViewNode"));
    }
    items(state);
}

void BM_SceneGetNthNodeByClass_Baseline(benchmark::State& state)
{
    Nodes nodes = makeNodes(state);
    auto collection = filledCollection(nodes);
    for (auto _ : state) {
        vtkCollectionSimpleIterator it;
        collection->InitTraversal(it);
        while (vtkObject* object = collection->GetNextItemAsObject(it))
            if (object->IsA("vtkMRMLViewNode"))
                benchmark::DoNotOptimize(object);
    }
    items(state);
}

// Removing nodes one by one while something counts a class after every removal (a tree
// view or a displayable manager refreshing on NodeRemovedEvent).
void BM_SceneRemoveWithClassCount(benchmark::State& state)
{
    timed(state, filledScene, [](const Nodes& nodes, vtkMRMLScene* scene) {
        for (const auto& node : nodes) {
            scene->RemoveNode(node);
            benchmark::DoNotOptimize(scene->GetNumberOfNodesByClass("vtkMRMLViewNode"));
        }
    });
}

void BM_SceneRemoveWithClassCount_Baseline(benchmark::State& state)
{
    timed(state, filledCollection, [](const Nodes& nodes, vtkCollection* collection) {
        int views = 0;
        for (const auto& node : nodes)
            views += node->IsA("vtkMRMLViewNode");
        for (const auto& node : nodes) {
            collection->RemoveItem(node);
            views -= node->IsA("vtkMRMLViewNode");
            benchmark::DoNotOptimize(views);
        }
    });
}

} // namespace

#define SCENE_SIZES ->Arg(100)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond)
BENCHMARK(BM_SceneAddRemove) SCENE_SIZES;
BENCHMARK(BM_SceneAddRemove_Baseline) SCENE_SIZES;
BENCHMARK(BM_SceneBatchAddRemove) SCENE_SIZES;
BENCHMARK(BM_SceneBatchAddRemove_Baseline) SCENE_SIZES;
BENCHMARK(BM_SceneRemoveNewestFirst) SCENE_SIZES;
BENCHMARK(BM_SceneRemoveNewestFirst_Baseline) SCENE_SIZES;
BENCHMARK(BM_SceneClear) SCENE_SIZES;
BENCHMARK(BM_SceneClear_Baseline) SCENE_SIZES;
BENCHMARK(BM_SceneGetNthNode) SCENE_SIZES;
BENCHMARK(BM_SceneGetNthNode_Baseline) SCENE_SIZES;
BENCHMARK(BM_SceneGetNthNodeAfterRemovals) SCENE_SIZES;
BENCHMARK(BM_SceneGetNthNodeAfterRemovals_Baseline) SCENE_SIZES;
BENCHMARK(BM_SceneGetNodeByID) SCENE_SIZES;
BENCHMARK(BM_SceneGetNodeByID_Baseline) SCENE_SIZES;
BENCHMARK(BM_SceneGetNthNodeByClass) SCENE_SIZES;
BENCHMARK(BM_SceneGetNthNodeByClass_Baseline) SCENE_SIZES;
BENCHMARK(BM_SceneRemoveWithClassCount) SCENE_SIZES;
BENCHMARK(BM_SceneRemoveWithClassCount_Baseline) SCENE_SIZES;
