// Dragging a ruler's handle in the 3D view through 200 mouse moves, against a bare VTK
// distance widget dragged the same way in the same run. The ruler's node follows every
// move; the view is saved and the scene told once per drag, which the counters show.
#include <benchmark/benchmark.h>

#include <support/OffscreenWindow.h>

#include <vtkMRMLAnnotationDisplayableManager.h>
#include <vtkMRMLAnnotationRulerNode.h>
#include <vtkVizAnnotationsModuleMRMLDisplayableManagerObjectFactory.h>

#include <mrml/vtkMRMLDisplayableManagerGroup.h>
#include <mrml/vtkMRMLInteractionNode.h>
#include <mrml/vtkMRMLScene.h>
#include <mrml/vtkMRMLSelectionNode.h>

#include <vtkCallbackCommand.h>
#include <vtkCamera.h>
#include <vtkCommand.h>
#include <vtkDistanceRepresentation3D.h>
#include <vtkDistanceWidget.h>
#include <vtkNew.h>
#include <vtkPointHandleRepresentation3D.h>
#include <vtkRenderWindow.h>
#include <vtkRenderWindowInteractor.h>
#include <vtkRenderer.h>
#include <vtkSmartPointer.h>

namespace {

using PelmoraBench::makeWindow;

constexpr int Moves = 200;

// A parallel camera showing 100 x 100 units: the ruler's end (20, 0, 0) is at pixel (280, 200).
void aim(vtkRenderer* renderer)
{
    vtkCamera* camera = renderer->GetActiveCamera();
    camera->ParallelProjectionOn();
    camera->SetParallelScale(50.0);
    camera->SetPosition(0, 0, 100);
    camera->SetFocalPoint(0, 0, 0);
    camera->SetViewUp(0, 1, 0);
    renderer->ResetCameraClippingRange(-200, 200, -200, 200, -200, 200);
}

void mouse(vtkRenderWindowInteractor* interactor, unsigned long event, int x, int y)
{
    interactor->SetEventInformation(x, y);
    interactor->InvokeEvent(event);
}

// Press on the handle, move it up and down 200 times, release where it started.
void dragHandle(vtkRenderWindowInteractor* interactor)
{
    mouse(interactor, vtkCommand::MouseMoveEvent, 280, 200);
    mouse(interactor, vtkCommand::LeftButtonPressEvent, 280, 200);
    for (int i = 1; i <= Moves; ++i) {
        const int step = i % 40;
        mouse(interactor, vtkCommand::MouseMoveEvent, 280, 200 + (step < 20 ? step : 40 - step));
    }
    mouse(interactor, vtkCommand::LeftButtonReleaseEvent, 280, 200);
}

void BM_RulerHandleDrag(benchmark::State& state)
{
    // Named here, the annotation library is linked and its managers can be made by name.
    vtkVizAnnotationsModuleMRMLDisplayableManagerObjectFactory::RegisterOnce();
    vtkNew<vtkMRMLScene> scene;
    scene->AddNode(vtkNew<vtkMRMLInteractionNode>());
    scene->AddNode(vtkNew<vtkMRMLSelectionNode>());
    vtkNew<vtkRenderer> renderer;
    vtkSmartPointer<vtkRenderWindow> window = makeWindow(renderer);
    vtkNew<vtkRenderWindowInteractor> interactor;
    interactor->SetRenderWindow(window);
    aim(renderer);
    auto group = vtkSmartPointer<vtkMRMLDisplayableManagerGroup>::New();
    group->AddDisplayableManagers({"vtkMRMLAnnotationRulerDisplayableManager"});
    group->SetMRMLScene(scene);
    group->SetRenderer(renderer);
    vtkNew<vtkMRMLAnnotationRulerNode> ruler;
    ruler->SetPosition1(0, 0, 0);
    ruler->SetPosition2(20, 0, 0);
    ruler->Initialize(scene);
    aim(renderer);
    window->Render();
    auto* manager = vtkMRMLAnnotationDisplayableManager::SafeDownCast(
        group->GetDisplayableManagerByClassName("vtkMRMLAnnotationRulerDisplayableManager"));
    if (!manager || !manager->GetWidget(ruler)) {
        state.SkipWithError("no ruler widget in the view");
        return;
    }

    int sceneEvents = 0;
    vtkNew<vtkCallbackCommand> counter;
    counter->SetClientData(&sceneEvents);
    counter->SetCallback([](vtkObject*, unsigned long, void* client, void*) { ++*static_cast<int*>(client); });
    scene->AddObserver(vtkCommand::ModifiedEvent, counter);
    int drags = 0;
    for (auto _ : state) {
        dragHandle(interactor);
        ++drags;
    }
    if (drags && sceneEvents == 0)
        state.SkipWithError("the drags did not reach the ruler");
    state.counters["scene_events_per_drag"] = drags ? double(sceneEvents) / drags : 0.0;
    state.SetItemsProcessed(state.iterations() * Moves);
}

void BM_RulerHandleDrag_Baseline(benchmark::State& state)
{
    vtkNew<vtkRenderer> renderer;
    vtkSmartPointer<vtkRenderWindow> window = makeWindow(renderer);
    vtkNew<vtkRenderWindowInteractor> interactor;
    interactor->SetRenderWindow(window);
    aim(renderer);
    vtkNew<vtkDistanceWidget> widget;
    vtkNew<vtkDistanceRepresentation3D> representation;
    vtkNew<vtkPointHandleRepresentation3D> handle;
    representation->SetHandleRepresentation(handle);
    representation->InstantiateHandleRepresentation();
    widget->SetInteractor(interactor);
    widget->SetCurrentRenderer(renderer);
    widget->SetRepresentation(representation);
    double a[3] = {0, 0, 0}, b[3] = {20, 0, 0};
    representation->SetPoint1WorldPosition(a);
    representation->SetPoint2WorldPosition(b);
    representation->RulerModeOn();
    representation->SetRulerDistance(10);
    widget->SetWidgetStateToManipulate();
    widget->On();
    window->Render();
    for (auto _ : state)
        dragHandle(interactor);
    state.SetItemsProcessed(state.iterations() * Moves);
}

} // namespace

BENCHMARK(BM_RulerHandleDrag)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RulerHandleDrag_Baseline)->Unit(benchmark::kMillisecond);
