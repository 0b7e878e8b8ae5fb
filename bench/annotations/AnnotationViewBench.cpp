// Fiducials in the 3D view against bare VTK drawing the same points in the same run:
// rendering a frame of many fiducials (after a small camera turn, so that every handle
// and label follows the camera), and adding one fiducial to a view that shows many.
#include <benchmark/benchmark.h>

#include <support/OffscreenWindow.h>

#include <vtkMRMLAnnotationFiducialDisplayableManager.h>
#include <vtkMRMLAnnotationFiducialNode.h>

#include <mrml/vtkMRMLDisplayableManagerGroup.h>
#include <mrml/vtkMRMLScene.h>

#include <vtkActor.h>
#include <vtkCamera.h>
#include <vtkFollower.h>
#include <vtkNew.h>
#include <vtkPolyDataMapper.h>
#include <vtkRenderWindow.h>
#include <vtkRenderWindowInteractor.h>
#include <vtkRenderer.h>
#include <vtkSmartPointer.h>
#include <vtkSphereSource.h>

#include <string>
#include <vector>

namespace {

using PelmoraBench::makeWindow;

void pointAt(int i, double p[3])
{
    p[0] = 10.0 * (i % 40);
    p[1] = 10.0 * ((i / 40) % 40);
    p[2] = 10.0 * (i / 1600);
}

// A view whose fiducial manager shows `n` fiducials, each with its handle and label.
struct FiducialScene
{
    vtkNew<vtkMRMLScene> scene;
    vtkNew<vtkRenderer> renderer;
    vtkSmartPointer<vtkRenderWindow> window = makeWindow(renderer);
    vtkNew<vtkRenderWindowInteractor> interactor;
    vtkSmartPointer<vtkMRMLDisplayableManagerGroup> group = vtkSmartPointer<vtkMRMLDisplayableManagerGroup>::New();

    explicit FiducialScene(int n)
    {
        interactor->SetRenderWindow(window);
        group->AddDisplayableManagers({"vtkMRMLModelDisplayableManager", "vtkMRML3DViewDisplayableManager",
                                       "vtkMRMLAnnotationFiducialDisplayableManager"});
        group->SetMRMLScene(scene);
        group->SetRenderer(renderer);
        for (int i = 0; i < n; ++i)
            add(i);
        renderer->ResetCamera();
        window->Render();
    }

    vtkMRMLAnnotationFiducialNode* add(int i)
    {
        vtkNew<vtkMRMLAnnotationFiducialNode> node;
        double p[3];
        pointAt(i, p);
        node->SetFiducialWorldCoordinates(p, 1, 1);
        node->SetName(("F_" + std::to_string(i)).c_str());
        node->Initialize(scene);
        return node;
    }
};

// The same points as bare VTK glyphs: a sphere per point that follows the camera as a
// handle does.
struct BareScene
{
    vtkNew<vtkRenderer> renderer;
    vtkSmartPointer<vtkRenderWindow> window = makeWindow(renderer);
    vtkNew<vtkSphereSource> glyph;
    std::vector<vtkSmartPointer<vtkFollower>> actors;

    explicit BareScene(int n)
    {
        glyph->SetRadius(0.5);
        glyph->SetThetaResolution(10);
        glyph->SetPhiResolution(10);
        for (int i = 0; i < n; ++i)
            add(i);
        renderer->ResetCamera();
        window->Render();
    }

    void add(int i)
    {
        double p[3];
        pointAt(i, p);
        vtkNew<vtkPolyDataMapper> mapper;
        mapper->SetInputConnection(glyph->GetOutputPort());
        auto actor = vtkSmartPointer<vtkFollower>::New();
        actor->SetMapper(mapper);
        actor->SetPosition(p);
        actor->SetScale(5.0);
        actor->SetCamera(renderer->GetActiveCamera());
        renderer->AddActor(actor);
        actors.push_back(actor);
    }

    void removeLast()
    {
        renderer->RemoveActor(actors.back());
        actors.pop_back();
    }
};

template <class Scene> void renderFrames(benchmark::State& state)
{
    Scene s(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        s.renderer->GetActiveCamera()->Azimuth(1.0);
        s.window->Render();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_RenderFiducials(benchmark::State& state)
{
    renderFrames<FiducialScene>(state);
}

void BM_RenderFiducials_Baseline(benchmark::State& state)
{
    renderFrames<BareScene>(state);
}

// One fiducial added to a view of n - 1, getting its handle, then removed again: with
// `render` the frame that shows it (which draws all n) is counted too.
void addFiducial(benchmark::State& state, bool render)
{
    const int n = static_cast<int>(state.range(0));
    FiducialScene s(n - 1);
    for (auto _ : state) {
        vtkMRMLAnnotationFiducialNode* node = s.add(n - 1);
        if (render)
            s.window->Render();
        s.scene->RemoveNode(node);
    }
    state.SetItemsProcessed(state.iterations());
}

void addBare(benchmark::State& state, bool render)
{
    const int n = static_cast<int>(state.range(0));
    BareScene s(n - 1);
    for (auto _ : state) {
        s.add(n - 1);
        if (render)
            s.window->Render();
        s.removeLast();
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_AddFiducial(benchmark::State& state)
{
    addFiducial(state, false);
}

void BM_AddFiducial_Baseline(benchmark::State& state)
{
    addBare(state, false);
}

void BM_AddAndShowFiducial(benchmark::State& state)
{
    addFiducial(state, true);
}

void BM_AddAndShowFiducial_Baseline(benchmark::State& state)
{
    addBare(state, true);
}

} // namespace

BENCHMARK(BM_RenderFiducials)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderFiducials_Baseline)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AddFiducial)->Arg(10)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AddFiducial_Baseline)->Arg(10)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AddAndShowFiducial)->Arg(10)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AddAndShowFiducial_Baseline)->Arg(10)->Arg(1000)->Unit(benchmark::kMillisecond);
