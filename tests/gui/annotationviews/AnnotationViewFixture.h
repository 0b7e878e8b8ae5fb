#pragma once
// A 400 x 400 3D view looking down -z with a parallel camera that shows 100 x 100 world
// units, so that display pixel (x, y) is world ((x - 200) / 4, (y - 200) / 4). A plane
// model at z = 10 covers the view, so clicks land on it. The view holds the annotation
// manager named by the test, made by name as a view makes it.

#include <vtkMRMLAnnotationDisplayableManager.h>
#include <vtkMRMLAnnotationNode.h>

#include <mrml/vtkMRMLDisplayableManagerGroup.h>
#include <mrml/vtkMRMLInteractionNode.h>
#include <mrml/vtkMRMLModelDisplayNode.h>
#include <mrml/vtkMRMLModelNode.h>
#include <mrml/vtkMRMLScene.h>
#include <mrml/vtkMRMLSelectionNode.h>

#include <vtkCallbackCommand.h>
#include <vtkCamera.h>
#include <vtkCommand.h>
#include <vtkNew.h>
#include <vtkPlaneSource.h>
#include <vtkPolyData.h>
#include <vtkRenderWindow.h>
#include <vtkRenderWindowInteractor.h>
#include <vtkRenderer.h>
#include <vtkSmartPointer.h>

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace AnnotationViewTest {

class View : public ::testing::Test
{
protected:
    void build(const char* managerClass, const char* nodeClass)
    {
        NodeClass = nodeClass;
        vtkMRMLAnnotationNode::RegisterNodeClasses(scene);
        scene->AddNode(vtkNew<vtkMRMLInteractionNode>());
        scene->AddNode(vtkNew<vtkMRMLSelectionNode>());
        interaction = vtkMRMLInteractionNode::SafeDownCast(scene->GetNodeByID("vtkMRMLInteractionNodeSingleton"));
        selection = vtkMRMLSelectionNode::SafeDownCast(scene->GetNodeByID("vtkMRMLSelectionNodeSingleton"));

        window->SetSize(400, 400);
        window->SetOffScreenRendering(1);
        window->AddRenderer(renderer);
        interactor->SetRenderWindow(window);
        vtkCamera* camera = renderer->GetActiveCamera();
        camera->ParallelProjectionOn();
        camera->SetParallelScale(50.0);
        camera->SetPosition(0, 0, 100);
        camera->SetFocalPoint(0, 0, 0);
        camera->SetViewUp(0, 1, 0);

        group.TakeReference(vtkMRMLDisplayableManagerGroup::New());
        group->AddDisplayableManagers({"vtkMRMLModelDisplayableManager", "vtkMRML3DViewDisplayableManager", managerClass});
        group->SetMRMLScene(scene);
        group->SetRenderer(renderer);
        manager = vtkMRMLAnnotationDisplayableManager::SafeDownCast(group->GetDisplayableManagerByClassName(managerClass));
        ASSERT_NE(manager, nullptr) << managerClass;

        vtkNew<vtkPlaneSource> plane;
        plane->SetOrigin(-100, -100, 10);
        plane->SetPoint1(100, -100, 10);
        plane->SetPoint2(-100, 100, 10);
        plane->Update();
        vtkNew<vtkMRMLModelDisplayNode> display;
        scene->AddNode(display);
        vtkNew<vtkMRMLModelNode> model;
        model->SetAndObservePolyData(plane->GetOutput());
        model->SetAndObserveDisplayNodeID(display->GetID());
        scene->AddNode(model);
        render();
    }

    void render()
    {
        renderer->ResetCameraClippingRange(-200, 200, -200, 200, -200, 200);
        window->Render();
    }

    void startPlacing(bool persistent)
    {
        selection->SetActivePlaceNodeClassName(NodeClass.c_str());
        interaction->SetPlaceModePersistence(persistent ? 1 : 0);
        interaction->SetCurrentInteractionMode(vtkMRMLInteractionNode::Place);
    }

    void mouse(unsigned long event, int x, int y, int shift = 0)
    {
        interactor->SetEventInformation(x, y, 0, shift);
        interactor->InvokeEvent(event);
    }
    void click(int x, int y)
    {
        mouse(vtkCommand::LeftButtonPressEvent, x, y);
        mouse(vtkCommand::LeftButtonReleaseEvent, x, y);
    }
    // Press at `from`, move in `steps` steps to `to`, release there.
    void drag(int fx, int fy, int tx, int ty, int steps = 4, unsigned long press = vtkCommand::LeftButtonPressEvent,
              unsigned long release = vtkCommand::LeftButtonReleaseEvent)
    {
        mouse(vtkCommand::MouseMoveEvent, fx, fy);
        mouse(press, fx, fy);
        for (int i = 1; i <= steps; ++i)
            mouse(vtkCommand::MouseMoveEvent, fx + (tx - fx) * i / steps, fy + (ty - fy) * i / steps);
        mouse(release, tx, ty);
    }

    template <class T> std::vector<T*> nodes()
    {
        std::vector<vtkMRMLNode*> all;
        scene->GetNodesByClass(NodeClass.c_str(), all);
        std::vector<T*> out;
        for (vtkMRMLNode* n : all)
            out.push_back(T::SafeDownCast(n));
        return out;
    }

    vtkNew<vtkMRMLScene> scene;
    vtkNew<vtkRenderWindow> window;
    vtkNew<vtkRenderer> renderer;
    vtkNew<vtkRenderWindowInteractor> interactor;
    vtkSmartPointer<vtkMRMLDisplayableManagerGroup> group;
    vtkMRMLAnnotationDisplayableManager* manager = nullptr;
    vtkMRMLInteractionNode* interaction = nullptr;
    vtkMRMLSelectionNode* selection = nullptr;
    std::string NodeClass;
};

inline ::testing::AssertionResult near(const double* p, double x, double y, double z, double tolerance = 0.6)
{
    if (std::abs(p[0] - x) < tolerance && std::abs(p[1] - y) < tolerance && std::abs(p[2] - z) < tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << p[0] << ", " << p[1] << ", " << p[2] << ") is not near (" << x
                                         << ", " << y << ", " << z << ")";
}

// How often the scene says that this node changed while the action runs.
template <class F> int sceneEventsFor(vtkMRMLScene* scene, vtkObject* node, F action)
{
    struct Counter
    {
        vtkObject* node;
        int count = 0;
    } counter{node};
    vtkNew<vtkCallbackCommand> command;
    command->SetClientData(&counter);
    command->SetCallback([](vtkObject*, unsigned long, void* client, void* data) {
        auto* c = static_cast<Counter*>(client);
        if (data == c->node)
            ++c->count;
    });
    const unsigned long tag = scene->AddObserver(vtkCommand::ModifiedEvent, command);
    action();
    scene->RemoveObserver(tag);
    return counter.count;
}

} // namespace AnnotationViewTest
