// The 3D view's displayable managers against bare VTK doing the same drawing in the same
// run: showing or hiding many models and rendering once, opening a large model file and
// rendering it, drawing a model with a stray point far away shaded with wireframe, and
// rendering with the colours panel's scalar bar shown.
#include <benchmark/benchmark.h>
#include <support/StlActor.h>
#include <platform/mrml/ModelShapes.h>

#include <colors/vtkVizScalarBarActor.h>
#include <support/OffscreenWindow.h>

#include <visualization/ViewFeederTopoObject.h>

#include <mrml/MRMLSharedPoints.h>
#include <mrml/vtkMRMLColorLogic.h>
#include <mrml/vtkMRMLColorTableNode.h>
#include <mrml/vtkMRMLDisplayableManagerGroup.h>
#include <mrml/vtkMRMLModelDisplayNode.h>
#include <mrml/vtkMRMLModelNode.h>
#include <mrml/vtkMRMLModelStorageNode.h>
#include <mrml/vtkMRMLScene.h>

#include <vtkActor.h>
#include <vtkFeatureEdges.h>
#include <vtkNonMergingPointLocator.h>
#include <vtkProperty.h>
#include <vtkLookupTable.h>
#include <vtkNew.h>
#include <vtkPolyData.h>
#include <vtkPolyDataMapper.h>
#include <vtkRenderWindow.h>
#include <vtkRenderer.h>
#include <vtkScalarBarActor.h>
#include <vtkSTLReader.h>
#include <vtkSTLWriter.h>
#include <vtkSmartPointer.h>
#include <vtkSphereSource.h>

#include <QDir>
#include <QTemporaryDir>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using PelmoraBench::makeWindow;

// A small closed surface per model, each at its own place on a grid.
vtkSmartPointer<vtkPolyData> smallModel(int i)
{
    vtkNew<vtkSphereSource> sphere;
    sphere->SetThetaResolution(8);
    sphere->SetPhiResolution(6);
    sphere->SetRadius(0.4);
    sphere->SetCenter(i % 40, (i / 40) % 40, i / 1600);
    sphere->Update();
    return sphere->GetOutput();
}

// Scene of `n` model nodes shown through the model displayable manager.
struct ModelScene
{
    vtkNew<vtkMRMLScene> scene;
    vtkNew<vtkRenderer> renderer;
    vtkSmartPointer<vtkRenderWindow> window = makeWindow(renderer);
    vtkSmartPointer<vtkMRMLDisplayableManagerGroup> group = vtkSmartPointer<vtkMRMLDisplayableManagerGroup>::New();
    std::vector<vtkMRMLModelDisplayNode*> displays;

    explicit ModelScene(int n)
    {
        group->AddDisplayableManagers({"vtkMRMLModelDisplayableManager", "vtkMRML3DViewDisplayableManager"});
        group->SetMRMLScene(scene);
        group->SetRenderer(renderer);
        for (int i = 0; i < n; ++i) {
            vtkNew<vtkMRMLModelDisplayNode> display;
            scene->AddNode(display);
            vtkNew<vtkMRMLModelNode> model;
            model->SetAndObservePolyData(smallModel(i));
            model->SetAndObserveDisplayNodeID(display->GetID());
            scene->AddNode(model);
            displays.push_back(display);
        }
        renderer->ResetCamera();
        window->Render();
    }
};

// The first drawing of what a run of a benchmark built, timed, then its scene or its bare
// renderer and window dropped untimed.
void drawThenDrop(benchmark::State& state, std::unique_ptr<ModelScene>& s)
{
    s->renderer->ResetCamera();
    s->window->Render();
    state.PauseTiming();
    s.reset();
    state.ResumeTiming();
}

void drawThenDrop(benchmark::State& state, vtkSmartPointer<vtkRenderer>& renderer,
                  vtkSmartPointer<vtkRenderWindow>& window)
{
    renderer->ResetCamera();
    window->Render();
    state.PauseTiming();
    window = nullptr;
    renderer = nullptr;
    state.ResumeTiming();
}

void BM_ToggleModelVisibility(benchmark::State& state)
{
    ModelScene s(static_cast<int>(state.range(0)));
    int visible = 1;
    for (auto _ : state) {
        visible = !visible;
        for (vtkMRMLModelDisplayNode* display : s.displays)
            display->SetVisibility(visible);
        s.window->Render();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_ToggleModelVisibility_Baseline(benchmark::State& state)
{
    vtkNew<vtkRenderer> renderer;
    auto window = makeWindow(renderer);
    std::vector<vtkSmartPointer<vtkActor>> actors;
    for (int i = 0; i < state.range(0); ++i) {
        vtkNew<vtkPolyDataMapper> mapper;
        mapper->SetInputData(smallModel(i));
        mapper->ScalarVisibilityOff();
        auto actor = vtkSmartPointer<vtkActor>::New();
        actor->SetMapper(mapper);
        renderer->AddActor(actor);
        actors.push_back(actor);
    }
    renderer->ResetCamera();
    window->Render();
    int visible = 1;
    for (auto _ : state) {
        visible = !visible;
        for (auto& actor : actors)
            actor->SetVisibility(visible);
        window->Render();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The user's path: each model object's feeder gets its "Visibility" property changed.
void BM_ToggleFeederVisibility(benchmark::State& state)
{
    ModelScene s(static_cast<int>(state.range(0)));
    std::vector<std::unique_ptr<Gui::ViewFeederTopoObject>> feeders;
    std::vector<vtkMRMLNode*> nodes;
    s.scene->GetNodesByClass("vtkMRMLModelNode", nodes);
    for (vtkMRMLNode* node : nodes) {
        feeders.push_back(std::make_unique<Gui::ViewFeederTopoObject>());
        feeders.back()->setMRMLNode(vtkMRMLModelNode::SafeDownCast(node));
    }
    bool visible = true;
    for (auto _ : state) {
        visible = !visible;
        for (auto& feeder : feeders)
            feeder->Visibility->set_value(visible);
        s.window->Render();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_ToggleFeederVisibility_Baseline(benchmark::State& state)
{
    BM_ToggleModelVisibility_Baseline(state);
}

BENCHMARK(BM_ToggleModelVisibility)->Arg(300)->Arg(1200)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ToggleModelVisibility_Baseline)->Arg(300)->Arg(1200)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ToggleFeederVisibility)->Arg(300)->Arg(1200)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ToggleFeederVisibility_Baseline)->Arg(300)->Arg(1200)->Unit(benchmark::kMillisecond);

// One binary STL file of about `triangles` triangles, written once per size.
const std::string& modelFile(int triangles)
{
    static QTemporaryDir dir;
    static std::map<int, std::string> files;
    auto it = files.find(triangles);
    if (it != files.end())
        return it->second;
    // A UV sphere has 2 * theta * (phi - 2) triangles.
    const int theta = 1000;
    const int phi = triangles / (2 * theta) + 2;
    vtkNew<vtkSphereSource> sphere;
    sphere->SetThetaResolution(theta);
    sphere->SetPhiResolution(phi);
    sphere->Update();
    const std::string name = QDir(dir.path()).filePath(QStringLiteral("model%1.stl").arg(triangles)).toStdString();
    vtkNew<vtkSTLWriter> writer;
    writer->SetInputData(sphere->GetOutput());
    writer->SetFileTypeToBinary();
    writer->SetFileName(name.c_str());
    writer->Write();
    return files[triangles] = name;
}

void BM_OpenModelFile(benchmark::State& state)
{
    const std::string& file = modelFile(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        auto s = std::make_unique<ModelScene>(0);
        state.ResumeTiming();
        std::string error;
        vtkMRMLModelNode* model = vtkMRMLModelStorageNode::AddModelFromFile(s->scene, file.c_str(), "model", error);
        if (!model) {
            state.SkipWithError(error.c_str());
            break;
        }
        drawThenDrop(state, s);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_OpenModelFile_Baseline(benchmark::State& state)
{
    const std::string& file = modelFile(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        auto renderer = vtkSmartPointer<vtkRenderer>::New();
        auto window = makeWindow(renderer);
        window->Render();
        state.ResumeTiming();
        // Read with corners shared, as the model storage node keeps them.
        PelmoraBench::addStlActor(renderer, file.c_str());
        drawThenDrop(state, renderer, window);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// A grid of N triangles with shared corners and one stray triangle 1e7 away, as exported
// CAD and scan data often have: the first drawing of it shaded with wireframe (surface and
// outline).  The baseline draws the same surface and outline with plain VTK, its
// feature-edge filter given a locator that does not merge points (its default one bins
// the bounds evenly and piles this model into a few bins).
vtkSmartPointer<vtkPolyData> strayPointModel(int triangles)
{
    vtkSmartPointer<vtkPolyData> data = ModelShapes::triangleSoup(
        ModelShapes::triangleCorners(ModelShapes::Shape::Integer, triangles, true));
    mrmlmodelfile::shareCoincidentPoints(data);
    return data;
}

void BM_DrawStrayPointModel(benchmark::State& state)
{
    vtkSmartPointer<vtkPolyData> data = strayPointModel(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        auto s = std::make_unique<ModelScene>(0);
        vtkNew<vtkPolyData> copy;
        copy->DeepCopy(data);
        state.ResumeTiming();
        vtkNew<vtkMRMLModelDisplayNode> display;
        display->SetDisplayMode(vtkMRMLDisplayNode::DisplayShadedWithWireframe);
        s->scene->AddNode(display);
        vtkNew<vtkMRMLModelNode> model;
        model->SetAndObservePolyData(copy);
        model->SetAndObserveDisplayNodeID(display->GetID());
        s->scene->AddNode(model);
        drawThenDrop(state, s);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_DrawStrayPointModel_Baseline(benchmark::State& state)
{
    vtkSmartPointer<vtkPolyData> data = strayPointModel(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        auto renderer = vtkSmartPointer<vtkRenderer>::New();
        auto window = makeWindow(renderer);
        window->Render();
        vtkNew<vtkPolyData> copy;
        copy->DeepCopy(data);
        state.ResumeTiming();
        vtkNew<vtkPolyDataMapper> mapper;
        mapper->SetInputData(copy);
        vtkNew<vtkActor> actor;
        actor->SetMapper(mapper);
        renderer->AddActor(actor);
        vtkNew<vtkFeatureEdges> edges;
        edges->SetInputData(copy);
        edges->BoundaryEdgesOn();
        edges->FeatureEdgesOn();
        edges->NonManifoldEdgesOn();
        edges->ManifoldEdgesOff();
        edges->ColoringOff();
        vtkNew<vtkNonMergingPointLocator> copyAll;
        edges->SetLocator(copyAll);
        vtkNew<vtkPolyDataMapper> outlineMapper;
        outlineMapper->SetInputConnection(edges->GetOutputPort());
        vtkNew<vtkActor> outline;
        outline->SetMapper(outlineMapper);
        renderer->AddActor(outline);
        drawThenDrop(state, renderer, window);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The scalar bar as the colours panel sets it up, on the default rainbow table, beside
// the models of a small scene. Its layout is rebuilt every frame, as when the view is
// resized or the table edited.
template <class Bar>
void renderWithScalarBar(benchmark::State& state, Bar* bar, vtkLookupTable* table)
{
    ModelScene s(static_cast<int>(state.range(0)));
    bar->SetLookupTable(table);
    bar->SetOrientationToVertical();
    bar->SetNumberOfLabels(11);
    bar->SetTitle("PmRainbow (mm)");
    bar->SetPosition(0.1, 0.1);
    bar->SetWidth(0.1);
    bar->SetHeight(0.8);
    bar->SetBarRatio(0.15);
    bar->SetLabelFormat(" %#8.3f");
    s.renderer->AddActor2D(bar);
    s.window->Render();
    for (auto _ : state) {
        bar->Modified();
        s.window->Render();
    }
    state.SetItemsProcessed(state.iterations());
}

vtkMRMLColorTableNode* rainbow(vtkMRMLScene* scene)
{
    vtkNew<vtkMRMLColorLogic> logic;
    logic->SetMRMLScene(scene);
    return vtkMRMLColorTableNode::SafeDownCast(scene->GetNodeByID(vtkMRMLColorLogic::GetRainbowColorNodeID()));
}

void BM_RenderWithScalarBar(benchmark::State& state)
{
    vtkNew<vtkMRMLScene> scene;
    vtkNew<vtkVizScalarBarActor> bar;
    renderWithScalarBar(state, bar.GetPointer(), rainbow(scene)->GetLookupTable());
}

void BM_RenderWithScalarBar_Baseline(benchmark::State& state)
{
    vtkNew<vtkMRMLScene> scene;
    vtkNew<vtkScalarBarActor> bar;
    renderWithScalarBar(state, bar.GetPointer(), rainbow(scene)->GetLookupTable());
}

BENCHMARK(BM_RenderWithScalarBar)->Arg(20)->Arg(300)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderWithScalarBar_Baseline)->Arg(20)->Arg(300)->Unit(benchmark::kMillisecond);

BENCHMARK(BM_DrawStrayPointModel)->Arg(10000)->Arg(20000)->Arg(40000)->Arg(80000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawStrayPointModel_Baseline)->Arg(10000)->Arg(20000)->Arg(40000)->Arg(80000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenModelFile)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenModelFile_Baseline)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

} // namespace
