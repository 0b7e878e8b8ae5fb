#include "MRMLTestHelpers.h"

#include <mrml/vtkMRML3DViewDisplayableManager.h>
#include <mrml/vtkMRMLClipModelsNode.h>
#include <mrml/vtkMRMLDisplayableManagerGroup.h>
#include <mrml/vtkMRMLModelDisplayNode.h>
#include <mrml/vtkMRMLModelDisplayableManager.h>
#include <mrml/vtkMRMLModelNode.h>
#include <mrml/vtkMRMLModelStorageNode.h>
#include <mrml/vtkMRMLRulerDisplayableManager.h>
#include <mrml/vtkMRMLScene.h>
#include <mrml/vtkMRMLThreeDViewDisplayableManagerFactory.h>
#include <mrml/vtkMRMLTransformNode.h>
#include <pmfwm/EntitySelectionData.h>

#include <vtkActor.h>
#include <vtkCamera.h>
#include <vtkCommand.h>
#include <vtkCoordinate.h>
#include <vtkMatrix4x4.h>
#include <vtkNew.h>
#include <vtkPolyData.h>
#include <vtkPolyDataMapper.h>
#include <vtkProperty.h>
#include <vtkRenderWindow.h>
#include <vtkRenderer.h>
#include <vtkSphereSource.h>
#include <vtkUnsignedCharArray.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using MRMLTest::EventRecorder;

namespace {

// A scene with one red sphere shown through a view of 200 x 200 pixels on a black
// background, the model and the 3D-view managers in one group.
class ModelView : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window->SetSize(200, 200);
        window->SetOffScreenRendering(1);
        window->AddRenderer(renderer);
        renderer->SetBackground(0, 0, 0);
        group.TakeReference(vtkMRMLDisplayableManagerGroup::New());
        group->AddDisplayableManagers({"vtkMRMLModelDisplayableManager",
                                       "vtkMRML3DViewDisplayableManager"});
        group->SetMRMLScene(scene);
        group->SetRenderer(renderer);
        models = vtkMRMLModelDisplayableManager::SafeDownCast(group->GetNthDisplayableManager(0));
        view = vtkMRML3DViewDisplayableManager::SafeDownCast(group->GetNthDisplayableManager(1));

        vtkNew<vtkSphereSource> sphere;
        sphere->SetRadius(1.0);
        sphere->SetThetaResolution(32);
        sphere->SetPhiResolution(16);
        sphere->Update();
        display = MRMLTest::addNode<vtkMRMLModelDisplayNode>(scene);
        display->SetColor(1, 0, 0);
        display->SetAmbient(1.0);
        display->SetDiffuse(0.0);
        model = vtkSmartPointer<vtkMRMLModelNode>::New();
        model->SetAndObservePolyData(sphere->GetOutput());
        model->SetAndObserveDisplayNodeID(display->GetID());
        scene->AddNode(model);
        renderer->GetActiveCamera()->SetPosition(0, 0, 10);
        renderer->GetActiveCamera()->SetFocalPoint(0, 0, 0);
        renderer->GetActiveCamera()->SetViewAngle(30);
    }

    // Red, green and blue of the pixel at the window's centre after a render.
    std::vector<int> centrePixel()
    {
        window->Render();
        vtkNew<vtkUnsignedCharArray> pixels;
        window->GetPixelData(100, 100, 100, 100, 0, pixels);
        return {pixels->GetValue(0), pixels->GetValue(1), pixels->GetValue(2)};
    }

    vtkNew<vtkRenderWindow> window;
    vtkNew<vtkRenderer> renderer;
    vtkNew<vtkMRMLScene> scene;
    vtkSmartPointer<vtkMRMLDisplayableManagerGroup> group;
    vtkMRMLModelDisplayableManager* models = nullptr;
    vtkMRML3DViewDisplayableManager* view = nullptr;
    vtkSmartPointer<vtkMRMLModelDisplayNode> display;
    vtkSmartPointer<vtkMRMLModelNode> model;
};

bool isRed(const std::vector<int>& rgb)
{
    return rgb[0] > 200 && rgb[1] < 40 && rgb[2] < 40;
}

} // namespace

TEST(DisplayableManagerGroup, FactoryCreatesManagersByNameAndSkipsUnknownNames)
{
    auto* factory = vtkMRMLThreeDViewDisplayableManagerFactory::GetInstance();
    const std::vector<std::string> names{"vtkMRMLModelDisplayableManager", "vtkMRMLNoSuchManager",
                                         "vtkMRML3DViewDisplayableManager", "vtkMRMLScene"};
    for (const auto& n : names)
        factory->RegisterDisplayableManager(n.c_str());
    vtkNew<vtkRenderer> renderer;
    vtkSmartPointer<vtkMRMLDisplayableManagerGroup> group =
        vtkSmartPointer<vtkMRMLDisplayableManagerGroup>::Take(factory->InstantiateDisplayableManagers(renderer));
    for (const auto& n : names)
        factory->UnRegisterDisplayableManager(n.c_str());

    ASSERT_EQ(group->GetDisplayableManagerCount(), 2);
    EXPECT_STREQ(group->GetNthDisplayableManager(0)->GetClassName(), "vtkMRMLModelDisplayableManager");
    EXPECT_STREQ(group->GetNthDisplayableManager(1)->GetClassName(), "vtkMRML3DViewDisplayableManager");
    EXPECT_EQ(group->GetNthDisplayableManager(1)->GetRenderer(), renderer.Get());
    EXPECT_NE(group->GetDisplayableManagerByClassName("vtkMRML3DViewDisplayableManager"), nullptr);
    EXPECT_EQ(group->GetDisplayableManagerByClassName("vtkMRMLNoSuchManager"), nullptr);

    // Requests between two renders make one UpdateEvent.
    vtkNew<vtkMRMLScene> scene;
    group->UpdateBeforeRender();
    EventRecorder updates(group, {vtkCommand::UpdateEvent});
    group->SetMRMLScene(scene);
    MRMLTest::addNode<vtkMRMLModelNode>(scene);
    MRMLTest::addNode<vtkMRMLModelNode>(scene);
    EXPECT_EQ(updates.count(vtkCommand::UpdateEvent), 1);
    group->UpdateBeforeRender();
    MRMLTest::addNode<vtkMRMLModelNode>(scene);
    EXPECT_EQ(updates.count(vtkCommand::UpdateEvent), 2);
}

TEST_F(ModelView, ModelIsDrawnInItsColourAndGoneWhenHidden)
{
    EXPECT_TRUE(isRed(centrePixel()));
    ASSERT_NE(models->GetActorByDisplayNode(display), nullptr);
    EXPECT_EQ(models->GetModelNodeByProp(models->GetActorByDisplayNode(display)), model.Get());

    display->SetVisibility(0);
    const std::vector<int> hidden = centrePixel();
    EXPECT_EQ(hidden, (std::vector<int>{0, 0, 0}));

    display->SetVisibility(1);
    display->SetColor(0, 0, 1);
    const std::vector<int> blue = centrePixel();
    EXPECT_GT(blue[2], 200);
    EXPECT_LT(blue[0], 40);

    // Moved out of sight by its transform, then removed with its actor.
    auto transform = MRMLTest::addNode<vtkMRMLTransformNode>(scene);
    model->SetAndObserveTransformNodeID(transform->GetID());
    vtkNew<vtkMatrix4x4> shift;
    shift->SetElement(0, 3, 3.0);
    transform->SetMatrixTransformToParent(shift);
    EXPECT_EQ(centrePixel(), (std::vector<int>{0, 0, 0}));
    scene->RemoveNode(model);
    EXPECT_EQ(models->GetNumberOfActors(), 0);
    EXPECT_EQ(renderer->GetActors()->GetNumberOfItems(), 0);
}

TEST_F(ModelView, DisplayNodeAddedAfterItsModelIsTakenUp)
{
    vtkNew<vtkSphereSource> sphere;
    sphere->SetCenter(0, 0, 2);
    sphere->Update();
    auto late = vtkSmartPointer<vtkMRMLModelNode>::New();
    late->SetAndObservePolyData(sphere->GetOutput());
    late->SetAndObserveDisplayNodeID("vtkMRMLModelDisplayNodeLate");
    scene->AddNode(late);
    window->Render();
    EXPECT_EQ(models->GetNumberOfActors(), 1);

    auto lateDisplay = vtkSmartPointer<vtkMRMLModelDisplayNode>::New();
    lateDisplay->SetID("vtkMRMLModelDisplayNodeLate");
    lateDisplay->SetColor(0, 1, 0);
    lateDisplay->SetAmbient(1.0);
    lateDisplay->SetDiffuse(0.0);
    scene->AddNode(lateDisplay);
    ASSERT_STREQ(lateDisplay->GetID(), "vtkMRMLModelDisplayNodeLate");
    const std::vector<int> front = centrePixel();
    EXPECT_EQ(models->GetNumberOfActors(), 2);
    EXPECT_GT(front[1], 200) << "the late model sits in front and is drawn in its display's green";
}

TEST_F(ModelView, DisplayModesTakeEffectAtTheNextRender)
{
    centrePixel();
    vtkActor* actor = models->GetActorByDisplayNode(display);
    ASSERT_NE(actor, nullptr);
    EXPECT_EQ(actor->GetProperty()->GetRepresentation(), VTK_SURFACE);

    display->SetDisplayMode(vtkMRMLDisplayNode::DisplayWireframe);
    EXPECT_EQ(actor->GetProperty()->GetRepresentation(), VTK_SURFACE) << "not before the render";
    window->Render();
    EXPECT_EQ(actor->GetProperty()->GetRepresentation(), VTK_WIREFRAME);
    display->SetDisplayMode(vtkMRMLDisplayNode::DisplayShadedWithWireframe);
    window->Render();
    EXPECT_EQ(actor->GetProperty()->GetRepresentation(), VTK_SURFACE);
    // The outline is a second actor; the cell edges (the mesh) stay off.
    EXPECT_FALSE(actor->GetProperty()->GetEdgeVisibility());
    EXPECT_EQ(renderer->GetActors()->GetNumberOfItems(), 2);

    // The view's own mode overrides every model's until it is set back to 0.
    view->VtkSetDisplayMode(1);
    EXPECT_EQ(actor->GetProperty()->GetRepresentation(), VTK_SURFACE);
    window->Render();
    EXPECT_EQ(actor->GetProperty()->GetRepresentation(), VTK_WIREFRAME);
    view->VtkSetDisplayMode(0);
    window->Render();
    EXPECT_EQ(actor->GetProperty()->GetRepresentation(), VTK_SURFACE);

    display->SetOpacity(0.5);
    window->Render();
    EXPECT_DOUBLE_EQ(actor->GetProperty()->GetOpacity(), 0.5);

    // The scene's clip node cuts every model, whatever its display node's own flag.
    auto clip = MRMLTest::addNode<vtkMRMLClipModelsNode>(scene);
    clip->SetRedSliceClipState(vtkMRMLClipModelsNode::ClipPositiveSpace);
    window->Render();
    auto* mapper = vtkPolyDataMapper::SafeDownCast(actor->GetMapper());
    EXPECT_EQ(mapper->GetNumberOfClippingPlanes(), 1);
    clip->SetRedSliceClipState(vtkMRMLClipModelsNode::ClipOff);
    window->Render();
    EXPECT_EQ(mapper->GetNumberOfClippingPlanes(), 0);
}

TEST_F(ModelView, PickReturnsTheModelUnderThePointAndReportsTheEntity)
{
    model->SetAttribute("ProjectName", "Project1");
    model->SetAttribute("ObjectId", "7");
    pmFwm::EntitySelectionData selection;
    std::vector<pmFwm::SelectionModification2> reported;
    selection.signal_selection_changed.connect(
        [&](const pmFwm::SelectionModification2& change) { reported.push_back(change); });
    view->setEntitySelData(&selection);
    window->Render();

    EXPECT_FALSE(view->Pick(5, 5)) << "a corner of the view shows no model";
    EXPECT_EQ(view->GetPickedNodeID(), nullptr);

    ASSERT_TRUE(view->Pick(100, 100));
    EXPECT_STREQ(view->GetPickedNodeID(), model->GetID());
    EXPECT_NEAR(view->GetPickedRAS()[2], 1.0, 0.05) << "the front of the sphere faces the camera";
    EXPECT_TRUE(reported.empty()) << "no selection mode is on";

    view->VtkSetSelectionModes({4, 0}, {true, true});
    ASSERT_TRUE(view->Pick(100, 100));
    EXPECT_EQ(view->GetPickedEntityKind(), pmFwm::ENTITY_FACE);
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_EQ(reported[0].project_name, "Project1");
    EXPECT_EQ(reported[0].object_id, 7u);
    EXPECT_EQ(reported[0].entity_kind, pmFwm::ENTITY_FACE);
    EXPECT_NEAR(reported[0].z, 1.0, 0.05);

    // The picked model is highlighted in its selected colour until the selection resets.
    display->SetSelectedColor(0, 1, 0);
    const std::vector<int> highlighted = centrePixel();
    EXPECT_GT(highlighted[1], 200);
    view->ResetSelection();
    EXPECT_TRUE(isRed(centrePixel()));

    view->VtkSetSelectionModeNoRender(4, false);
    ASSERT_TRUE(view->Pick(100, 100));
    EXPECT_EQ(view->GetPickedEntityKind(), pmFwm::ENTITY_BODY);

    // A hidden model cannot be picked, even before the next render.
    display->SetVisibility(0);
    EXPECT_FALSE(view->Pick(100, 100));
}

TEST(RulerDisplayableManager, MetricSwitchAsksForARenderOnChange)
{
    vtkSmartPointer<vtkMRMLDisplayableManagerGroup> group =
        vtkSmartPointer<vtkMRMLDisplayableManagerGroup>::New();
    group->AddDisplayableManagers({"vtkMRMLRulerDisplayableManager"});
    auto* ruler = vtkMRMLRulerDisplayableManager::SafeDownCast(group->GetNthDisplayableManager(0));
    ASSERT_NE(ruler, nullptr);
    group->UpdateBeforeRender();
    EventRecorder updates(group, {vtkCommand::UpdateEvent});
    ruler->SetUnitInMetric(true);
    EXPECT_EQ(updates.count(vtkCommand::UpdateEvent), 0);
    ruler->SetUnitInMetric(false);
    EXPECT_FALSE(ruler->GetUnitInMetric());
    EXPECT_EQ(updates.count(vtkCommand::UpdateEvent), 1);
}
