#include <annotations/ViewFeederAnnotationBase.h>
#include <vtkMRMLAnnotationDisplayableManager.h>
#include <vtkMRMLAnnotationFiducialDisplayableManager.h>
#include <vtkMRMLAnnotationFiducialNode.h>
#include <vtkMRMLAnnotationPointDisplayNode.h>
#include <vtkMRMLAnnotationDisplayableManagerHelper.h>
#include <vtkVizAnnotationsModuleMRMLDisplayableManagerObjectFactory.h>

#include <mrml/vtkMRMLDisplayableManagerGroup.h>
#include <mrml/vtkMRMLInteractionNode.h>
#include <mrml/vtkMRMLModelDisplayNode.h>
#include <mrml/vtkMRMLModelNode.h>
#include <mrml/vtkMRMLScene.h>
#include <mrml/vtkMRMLSelectionNode.h>
#include <support/ConsoleCapture.h>

#include "../annotations/AnnotationTestHelpers.h"

#include <vtkCamera.h>
#include <vtkAbstractWidget.h>
#include <vtkCommand.h>
#include <vtkHandleRepresentation.h>
#include <vtkHandleWidget.h>
#include <vtkNew.h>
#include <vtkObjectFactory.h>
#include <vtkObjectFactoryCollection.h>
#include <vtkVersion.h>
#include <vtkOrientedPolygonalHandleRepresentation3D.h>
#include <vtkPlaneSource.h>
#include <vtkPolyData.h>
#include <vtkRenderWindow.h>
#include <vtkRenderWindowInteractor.h>
#include <vtkRenderer.h>
#include <vtkSeedRepresentation.h>
#include <vtkSeedWidget.h>
#include <vtkSmartPointer.h>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

// A 400 x 400 view looking down -z with a parallel camera that shows 100 x 100 world
// units, so that display pixel (x, y) is world ((x - 200) / 4, (y - 200) / 4). A plane
// model at z = 10 covers the view when `withPlane` is set.
class FiducialView : public ::testing::Test
{
protected:
    void SetUp() override { build(true); }

    void build(bool withPlane)
    {
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
        // The annotation manager is made by name, as a view makes it.
        group->AddDisplayableManagers({"vtkMRMLModelDisplayableManager", "vtkMRML3DViewDisplayableManager",
                                       "vtkMRMLAnnotationFiducialDisplayableManager"});
        group->SetMRMLScene(scene);
        group->SetRenderer(renderer);
        manager = vtkMRMLAnnotationFiducialDisplayableManager::SafeDownCast(
            group->GetDisplayableManagerByClassName("vtkMRMLAnnotationFiducialDisplayableManager"));
        ASSERT_NE(manager, nullptr);

        if (withPlane) {
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
        }
        render();
    }

    void render()
    {
        renderer->ResetCameraClippingRange(-200, 200, -200, 200, -200, 200);
        window->Render();
    }

    void startPlacing(bool persistent)
    {
        selection->SetActivePlaceNodeClassName("vtkMRMLAnnotationFiducialNode");
        interaction->SetPlaceModePersistence(persistent ? 1 : 0);
        interaction->SetCurrentInteractionMode(vtkMRMLInteractionNode::Place);
    }

    void mouse(unsigned long event, int x, int y)
    {

        interactor->SetEventInformation(x, y);
        interactor->InvokeEvent(event);
    }
    void click(int x, int y)
    {
        mouse(vtkCommand::LeftButtonPressEvent, x, y);
        mouse(vtkCommand::LeftButtonReleaseEvent, x, y);
    }

    std::vector<vtkMRMLAnnotationFiducialNode*> fiducials()
    {
        std::vector<vtkMRMLNode*> nodes;
        scene->GetNodesByClass("vtkMRMLAnnotationFiducialNode", nodes);
        std::vector<vtkMRMLAnnotationFiducialNode*> out;
        for (vtkMRMLNode* n : nodes)
            out.push_back(vtkMRMLAnnotationFiducialNode::SafeDownCast(n));
        return out;
    }

    static std::vector<double> world(vtkMRMLAnnotationFiducialNode* node)
    {
        double w[4];
        node->GetControlPointWorldCoordinates(0, w);
        return {w[0], w[1], w[2]};
    }

    vtkHandleRepresentation* handleOf(vtkMRMLAnnotationFiducialNode* node)
    {
        auto* widget = vtkSeedWidget::SafeDownCast(manager->GetWidget(node));
        if (!widget)
            return nullptr;
        return vtkSeedRepresentation::SafeDownCast(widget->GetRepresentation())->GetHandleRepresentation(0);
    }

    vtkNew<vtkMRMLScene> scene;
    vtkNew<vtkRenderWindow> window;
    vtkNew<vtkRenderer> renderer;
    vtkNew<vtkRenderWindowInteractor> interactor;
    vtkSmartPointer<vtkMRMLDisplayableManagerGroup> group;
    vtkMRMLAnnotationFiducialDisplayableManager* manager = nullptr;
    vtkMRMLInteractionNode* interaction = nullptr;
    vtkMRMLSelectionNode* selection = nullptr;
};

::testing::AssertionResult near(const std::vector<double>& p, double x, double y, double z)
{
    if (std::abs(p[0] - x) < 0.6 && std::abs(p[1] - y) < 0.6 && std::abs(p[2] - z) < 0.6)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << p[0] << ", " << p[1] << ", " << p[2] << ") is not near (" << x
                                         << ", " << y << ", " << z << ")";
}

} // namespace

TEST(AnnotationManagerFactory, CreatesTheManagersByName)
{
    for (const char* name : {"vtkMRMLAnnotationDisplayableManager", "vtkMRMLAnnotationFiducialDisplayableManager",
                             "vtkMRMLAnnotationRulerDisplayableManager", "vtkMRMLAnnotationROIDisplayableManager"}) {
        vtkSmartPointer<vtkObject> object = vtkSmartPointer<vtkObject>::Take(vtkObjectFactory::CreateInstance(name));
        ASSERT_NE(object, nullptr) << name;
        EXPECT_STREQ(object->GetClassName(), name);
        EXPECT_TRUE(object->IsA("vtkMRMLAnnotationDisplayableManager"));
    }
    // One factory, registered as the library loaded, naming the VTK it was built with.
    int factories = 0;
    vtkObjectFactoryCollection* all = vtkObjectFactory::GetRegisteredFactories();
    all->InitTraversal();
    while (vtkObjectFactory* f = all->GetNextItem()) {
        if (std::string(f->GetClassName()) != "vtkVizAnnotationsModuleMRMLDisplayableManagerObjectFactory")
            continue;
        ++factories;
        EXPECT_STREQ(f->GetVTKSourceVersion(), vtkVersion::GetVTKSourceVersion());
    }
    EXPECT_EQ(factories, 1);
    vtkVizAnnotationsModuleMRMLDisplayableManagerObjectFactory::RegisterOnce();
    all->InitTraversal();
    factories = 0;
    while (vtkObjectFactory* f = all->GetNextItem())
        factories += std::string(f->GetClassName()) == "vtkVizAnnotationsModuleMRMLDisplayableManagerObjectFactory";
    EXPECT_EQ(factories, 1);

    // The base alone makes no widgets.
    vtkNew<vtkMRMLAnnotationDisplayableManager> base;
    vtkNew<vtkMRMLScene> scene;
    base->SetMRMLScene(scene);
    vtkNew<vtkMRMLAnnotationFiducialNode> node;
    EXPECT_FALSE(base->AddAnnotation(node));
}

TEST_F(FiducialView, OneClickPlacesAFiducialOnTheModelUnderThePointer)
{
    startPlacing(false);
    click(300, 250);
    auto nodes = fiducials();
    ASSERT_EQ(nodes.size(), 1u);
    // Display y counts from the bottom, as the interactor reports it: no flip.
    EXPECT_TRUE(near(world(nodes[0]), 25.0, 12.5, 10.0));
    EXPECT_STREQ(nodes[0]->GetName(), "F");
    EXPECT_NE(nodes[0]->GetAttribute("AssociatedNodeID"), nullptr);
    EXPECT_NE(manager->GetWidget(nodes[0]), nullptr);
    EXPECT_EQ(interaction->GetCurrentInteractionMode(), vtkMRMLInteractionNode::ViewTransform);

    // Not in place mode any more: a click places nothing.
    click(100, 100);
    EXPECT_EQ(fiducials().size(), 1u);

    // Clicks outside the window are ignored.
    startPlacing(false);
    click(400, 10);
    click(-1, 10);
    EXPECT_EQ(fiducials().size(), 1u);
    // The key "p" places at the pointer.
    interactor->SetEventInformation(100, 300, 0, 0, 'p', 0, "p");
    interactor->InvokeEvent(vtkCommand::KeyPressEvent);
    ASSERT_EQ(fiducials().size(), 2u);
    EXPECT_TRUE(near(world(fiducials()[1]), -25.0, 25.0, 10.0));
}

TEST_F(FiducialView, PersistentPlaceModePlacesSeveralAndUndoRemovesTheLast)
{
    startPlacing(true);
    click(200, 200);
    click(220, 200);
    click(240, 200);
    auto nodes = fiducials();
    ASSERT_EQ(nodes.size(), 3u);
    EXPECT_STREQ(nodes[0]->GetName(), "F");
    EXPECT_STRNE(nodes[1]->GetName(), nodes[0]->GetName());
    EXPECT_STRNE(nodes[2]->GetName(), nodes[1]->GetName());
    EXPECT_EQ(interaction->GetCurrentInteractionMode(), vtkMRMLInteractionNode::Place);

    const int displayNodes = scene->GetNumberOfNodesByClass("vtkMRMLAnnotationDisplayNode");
    ASSERT_TRUE(scene->Undo());
    nodes = fiducials();
    ASSERT_EQ(nodes.size(), 2u);
    EXPECT_TRUE(near(world(nodes[1]), 5.0, 0.0, 10.0));
    EXPECT_EQ(manager->GetHelper()->GetNodes().size(), 2u);
    // Its display nodes go with it.
    EXPECT_LT(scene->GetNumberOfNodesByClass("vtkMRMLAnnotationDisplayNode"), displayNodes);

    // A right click ends persistent placing.
    mouse(vtkCommand::RightButtonReleaseEvent, 10, 10);
    EXPECT_EQ(interaction->GetCurrentInteractionMode(), vtkMRMLInteractionNode::ViewTransform);
}

TEST_F(FiducialView, DraggingTheHandleMovesTheNodeAndANodeChangeMovesTheHandle)
{
    startPlacing(false);
    click(300, 250);
    ASSERT_EQ(fiducials().size(), 1u);
    vtkMRMLAnnotationFiducialNode* node = fiducials()[0];
    render();

    mouse(vtkCommand::MouseMoveEvent, 300, 250);
    mouse(vtkCommand::LeftButtonPressEvent, 300, 250);
    mouse(vtkCommand::MouseMoveEvent, 250, 225);
    mouse(vtkCommand::MouseMoveEvent, 200, 200);
    mouse(vtkCommand::LeftButtonReleaseEvent, 200, 200);
    EXPECT_TRUE(near(world(node), 0.0, 0.0, 10.0));

    const double moved[3] = {5.0, -5.0, 10.0};
    node->SetFiducialWorldCoordinates(moved, 1, 1);
    vtkHandleRepresentation* handle = handleOf(node);
    ASSERT_NE(handle, nullptr);
    double position[3];
    handle->GetWorldPosition(position);
    EXPECT_TRUE(near(std::vector<double>(position, position + 3), 5.0, -5.0, 10.0));

    // Undo of the drag puts the point back where it was before.
    ASSERT_TRUE(scene->Undo());
    EXPECT_TRUE(near(world(fiducials()[0]), 25.0, 12.5, 10.0));
}

TEST_F(FiducialView, TheFeederReceivesItsNodeOnceAndAFreedFeederIsForgotten)
{
    auto feeder = std::make_unique<Gui::ViewFeederAnnotationFiducial>();
    manager->setViewFeederObject(feeder.get());
    startPlacing(false);
    click(200, 200);
    ASSERT_EQ(fiducials().size(), 1u);
    EXPECT_EQ(feeder->getMRMLNode(), fiducials()[0]);
    EXPECT_EQ(manager->getViewFeederObject(), nullptr);

    // A fiducial read from a file later is not handed to the same feeder.
    vtkNew<vtkMRMLAnnotationFiducialNode> read;
    read->Initialize(scene);
    EXPECT_EQ(fiducials().size(), 2u);
    EXPECT_NE(manager->GetWidget(read), nullptr);
    EXPECT_EQ(feeder->getMRMLNode(), fiducials()[0]);

    // A feeder freed before the click is not reached.
    auto gone = std::make_unique<Gui::ViewFeederAnnotationFiducial>();
    manager->setViewFeederObject(gone.get());
    gone.reset();
    EXPECT_EQ(manager->getViewFeederObject(), nullptr);
    startPlacing(false);
    click(250, 200);
    EXPECT_EQ(fiducials().size(), 3u);
}

TEST_F(FiducialView, ANodeBuiltWhileTheFeederWaitsIsNotHandedToIt)
{
    // The fiducial command waits for its click; meanwhile a paste builds another node.
    auto waiting = std::make_unique<Gui::ViewFeederAnnotationFiducial>();
    manager->setViewFeederObject(waiting.get());
    startPlacing(false);
    vtkNew<vtkMRMLAnnotationFiducialNode> pasted;
    pasted->Initialize(scene);
    EXPECT_NE(manager->GetWidget(pasted), nullptr);
    EXPECT_EQ(waiting->getMRMLNode(), nullptr);
    EXPECT_EQ(manager->getViewFeederObject(), waiting.get());

    click(200, 200);
    ASSERT_EQ(fiducials().size(), 2u);
    ASSERT_NE(waiting->getMRMLNode(), nullptr);
    EXPECT_NE(waiting->getMRMLNode(), pasted.GetPointer());
    EXPECT_TRUE(near(world(vtkMRMLAnnotationFiducialNode::SafeDownCast(waiting->getMRMLNode())), 0.0, 0.0, 10.0));
}

TEST_F(FiducialView, GlyphFollowsThePointDisplayNode)
{
    startPlacing(false);
    click(200, 200);
    vtkMRMLAnnotationFiducialNode* node = fiducials()[0];
    auto* handle = vtkOrientedPolygonalHandleRepresentation3D::SafeDownCast(handleOf(node));
    ASSERT_NE(handle, nullptr);
    vtkMRMLAnnotationPointDisplayNode* display = node->GetAnnotationPointDisplayNode();
    ASSERT_NE(display, nullptr);

    display->SetGlyphType(vtkMRMLAnnotationPointDisplayNode::Vertex2D);
    EXPECT_EQ(handle->GetHandle()->GetNumberOfVerts(), 1);
    display->SetGlyphType(vtkMRMLAnnotationPointDisplayNode::Sphere3D);
    EXPECT_GT(handle->GetHandle()->GetNumberOfPolys(), 10);

    // The label follows the name.
    node->SetName("Tip");
    EXPECT_STREQ(handle->GetLabelText(), "Tip");
}

TEST_F(FiducialView, BaseRulesForNodesSeedsAndDisabledEvents)
{
    // The same node twice: refused, one widget.
    vtkNew<vtkMRMLAnnotationFiducialNode> node;
    node->Initialize(scene);
    {
        AnnotationTest::Messages messages(manager);
        EXPECT_FALSE(manager->AddAnnotation(node));
        EXPECT_TRUE(messages.hasError("AddAnnotation: This node is already associated to the displayable manager!"));
    }
    EXPECT_EQ(manager->GetHelper()->GetNodes().size(), 1u);

    // Seeds of a placement under way go when a node of another class arrives.
    manager->PlaceSeed(10, 10);
    ASSERT_NE(manager->GetSeed(0), nullptr);
    scene->AddNode(vtkNew<vtkMRMLModelNode>());
    EXPECT_EQ(manager->GetSeed(0), nullptr);

    // Inside a batch no widget is made at once; the next update makes it.
    scene->StartState(vtkMRMLScene::BatchProcessState);
    vtkNew<vtkMRMLAnnotationFiducialNode> batched;
    batched->Initialize(scene);
    EXPECT_EQ(manager->GetWidget(batched), nullptr);
    scene->EndState(vtkMRMLScene::BatchProcessState);
    render();
    EXPECT_NE(manager->GetWidget(batched), nullptr);

    // With interactor events switched off clicks place nothing, and say so.
    manager->SetDisableInteractorStyleEventsProcessing(1);
    startPlacing(false);
    {
        AnnotationTest::Messages messages(manager);
        click(200, 200);
        EXPECT_TRUE(messages.hasWarning("OnInteractorStyleEvent: Processing of events was disabled."));
    }
    EXPECT_EQ(fiducials().size(), 2u);

    // A locked node's handle ignores the mouse; place mode locks them all.
    manager->SetDisableInteractorStyleEventsProcessing(0);
    interaction->SetCurrentInteractionMode(vtkMRMLInteractionNode::ViewTransform);
    EXPECT_TRUE(manager->GetWidget(node)->GetProcessEvents());
    node->SetLocked(1);
    EXPECT_FALSE(manager->GetWidget(node)->GetProcessEvents());
    interaction->SetCurrentInteractionMode(vtkMRMLInteractionNode::Place);
    EXPECT_FALSE(manager->GetWidget(batched)->GetProcessEvents());
    interaction->SetCurrentInteractionMode(vtkMRMLInteractionNode::ViewTransform);
    EXPECT_TRUE(manager->GetWidget(batched)->GetProcessEvents());
    EXPECT_FALSE(manager->GetWidget(node)->GetProcessEvents());
}

// Off every model a click lands at the depth of the camera's focal point (z = 0 here),
// where the fiducial is seen, not on the near clipping plane.
class EmptyView : public FiducialView
{
protected:
    void SetUp() override { build(false); }
};

TEST_F(EmptyView, AClickOffTheModelsLandsInTheFocalPlaneAndAnotherSceneDropsTheWidgets)
{
    startPlacing(false);
    click(240, 160);
    ASSERT_EQ(fiducials().size(), 1u);
    vtkMRMLAnnotationFiducialNode* node = fiducials()[0];
    EXPECT_TRUE(near(world(node), 10.0, -10.0, 0.0));
    EXPECT_EQ(node->GetAttribute("AssociatedNodeID"), nullptr);
    ASSERT_NE(manager->GetWidget(node), nullptr);

    vtkNew<vtkMRMLScene> other;
    manager->SetMRMLScene(other);
    EXPECT_EQ(manager->GetWidget(node), nullptr);
    EXPECT_TRUE(manager->GetHelper()->GetNodes().empty());
}

TEST(FiducialManager, OutlivesItsSceneAndItsNodes)
{
    vtkNew<vtkMRMLAnnotationFiducialDisplayableManager> manager;
    {
        vtkNew<vtkMRMLScene> scene;
        manager->SetMRMLScene(scene);
        vtkNew<vtkMRMLAnnotationFiducialNode> node;
        node->Initialize(scene);
        ASSERT_NE(manager->GetWidget(node), nullptr);
    }
    EXPECT_TRUE(manager->GetHelper()->GetNodes().empty());
    EXPECT_EQ(manager->GetMRMLScene(), nullptr);

    // And a scene outlives a manager: its nodes' events reach no manager that is gone.
    vtkNew<vtkMRMLScene> scene;
    vtkNew<vtkMRMLInteractionNode> interactionNode;
    vtkMRMLInteractionNode* interaction = vtkMRMLInteractionNode::SafeDownCast(scene->AddNode(interactionNode));
    vtkNew<vtkMRMLAnnotationFiducialNode> node;
    {
        vtkNew<vtkMRMLAnnotationFiducialDisplayableManager> shortLived;
        shortLived->SetMRMLScene(scene);
        node->Initialize(scene);
    }
    interaction->SetCurrentInteractionMode(vtkMRMLInteractionNode::Place);
    node->SetFiducialCoordinates(1, 2, 3);
    node->SetLocked(1);
    scene->RemoveNode(node);
}

TEST(FiducialManager, AMissingDisplayNodeIsAConsoleWarning)
{
    vtkNew<vtkMRMLScene> scene;
    vtkNew<vtkMRMLAnnotationFiducialDisplayableManager> manager;
    manager->SetMRMLScene(scene);
    PelmoraTest::ConsoleCapture console;
    vtkNew<vtkMRMLAnnotationFiducialNode> bare;
    scene->AddNode(bare);
    EXPECT_TRUE(console.contains(PelmoraTest::ConsoleCapture::Level::Warning, "No DisplayNode!"));
}
