// Annotations in slice views: light-box panes, the marks of annotations off the slice,
// and the node a click is tied to.

#include "../annotations/AnnotationTestHelpers.h"
#include "AnnotationViewFixture.h"

#include <vtkMRMLAnnotationFiducialDisplayableManager.h>
#include <vtkMRMLAnnotationDisplayableManagerHelper.h>
#include <vtkMRMLAnnotationFiducialNode.h>
#include <vtkMRMLAnnotationLineDisplayNode.h>
#include <vtkMRMLAnnotationPointDisplayNode.h>
#include <vtkMRMLAnnotationRulerDisplayableManager.h>
#include <vtkMRMLAnnotationRulerNode.h>

#include <mrml/vtkMRMLDisplayNode.h>
#include <mrml/vtkMRMLSliceCompositeNode.h>
#include <mrml/vtkMRMLSliceNode.h>
#include <mrml/vtkVizApplicationLogic.h>
#include <qmrml/qMRMLSliceView.h>

#include <QVTKOpenGLNativeWidget.h>
#include <vtkLineRepresentation.h>
#include <vtkLineWidget2.h>
#include <vtkMatrix4x4.h>
#include <vtkOrientedPolygonalHandleRepresentation3D.h>
#include <vtkPointHandleRepresentation2D.h>
#include <vtkProperty.h>
#include <vtkProperty2D.h>
#include <vtkSeedRepresentation.h>
#include <vtkSeedWidget.h>

#include <QSurfaceFormat>
#include <QTest>
#include <support/HangGuard.h>

#include <sstream>

namespace {

const bool surfaceFormatSet = [] {
    QSurfaceFormat::setDefaultFormat(QVTKOpenGLNativeWidget::defaultFormat());
    return true;
}();

// A 400 x 400 axial slice view of a 200 x 200 field through the RAS origin (half a unit
// per pixel, one unit per slice), with the fiducial and ruler managers and the
// application logic that gives the view its slice logic.
class SliceViews : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(surfaceFormatSet);
        vtkMRMLAnnotationNode::RegisterNodeClasses(scene);
        logic->SetMRMLScene(scene);
        interaction = logic->GetInteractionNode();
        selection = logic->GetSelectionNode();
        slice->SetLayoutName("Red");
        slice->SetFieldOfView(200, 200, 1);
        scene->AddNode(slice);

        view.resize(400, 400);
        view.addDisplayableManager("vtkMRMLAnnotationFiducialDisplayableManager");
        view.addDisplayableManager("vtkMRMLAnnotationRulerDisplayableManager");
        view.setApplicationLogic(logic);
        view.setMRMLScene(scene);
        view.setMRMLSliceNode(slice);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view, PelmoraTest::HangGuardMs));
        view.forceRender();
        fiducials = vtkMRMLAnnotationDisplayableManager::SafeDownCast(
            view.displayableManagerByClassName("vtkMRMLAnnotationFiducialDisplayableManager"));
        rulers = vtkMRMLAnnotationDisplayableManager::SafeDownCast(
            view.displayableManagerByClassName("vtkMRMLAnnotationRulerDisplayableManager"));
        ASSERT_NE(fiducials, nullptr);
        ASSERT_NE(rulers, nullptr);
    }

    vtkMRMLAnnotationFiducialNode* fiducial(double x, double y, double z)
    {
        vtkNew<vtkMRMLAnnotationFiducialNode> node;
        const double world[3] = {x, y, z};
        node->SetControlPointWorldCoordinates(0, world, 1, 1);
        node->Initialize(scene);
        return node;
    }

    vtkMRMLAnnotationRulerNode* ruler(const double a[3], const double b[3])
    {
        vtkNew<vtkMRMLAnnotationRulerNode> node;
        node->SetPosition1(a[0], a[1], a[2]);
        node->SetPosition2(b[0], b[1], b[2]);
        node->Initialize(scene);
        return node;
    }

    void click(int x, int y)
    {
        vtkRenderWindowInteractor* interactor = view.interactor();
        interactor->SetEventInformation(x, y);
        interactor->InvokeEvent(vtkCommand::LeftButtonPressEvent);
        interactor->InvokeEvent(vtkCommand::LeftButtonReleaseEvent);
    }

    void startPlacing(const char* nodeClass)
    {
        selection->SetActivePlaceNodeClassName(nodeClass);
        interaction->SetPlaceModePersistence(1);
        interaction->SetCurrentInteractionMode(vtkMRMLInteractionNode::Place);
    }

    static bool on(vtkAbstractWidget* widget) { return widget && widget->GetEnabled(); }

    static vtkHandleRepresentation* handleOf(vtkAbstractWidget* widget)
    {
        auto* seeds = widget ? vtkSeedRepresentation::SafeDownCast(widget->GetRepresentation()) : nullptr;
        return seeds && seeds->GetNumberOfSeeds() > 0 ? seeds->GetHandleRepresentation(0) : nullptr;
    }

    static ::testing::AssertionResult atDisplay(vtkHandleRepresentation* handle, double x, double y)
    {
        if (!handle)
            return ::testing::AssertionFailure() << "no handle";
        double d[3];
        handle->GetDisplayPosition(d);
        if (std::abs(d[0] - x) < 0.6 && std::abs(d[1] - y) < 0.6)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "handle at (" << d[0] << ", " << d[1] << "), not (" << x << ", " << y
                                             << ")";
    }

    vtkNew<vtkMRMLScene> scene;
    vtkNew<vtkVizApplicationLogic> logic;
    vtkNew<vtkMRMLSliceNode> slice;
    qMRMLSliceView view;
    vtkMRMLAnnotationDisplayableManager* fiducials = nullptr;
    vtkMRMLAnnotationDisplayableManager* rulers = nullptr;
    vtkMRMLInteractionNode* interaction = nullptr;
    vtkMRMLSelectionNode* selection = nullptr;
};

} // namespace

TEST_F(SliceViews, ALightBoxHidesRulersAndShowsEachFiducialFlatInThePaneOfItsSlice)
{
    const double a[3] = {-20, 0, 0}, b[3] = {20, 0, 0};
    vtkMRMLAnnotationRulerNode* measure = ruler(a, b);
    vtkMRMLAnnotationFiducialNode* here = fiducial(10, 10, 0);
    vtkMRMLAnnotationFiducialNode* next = fiducial(10, 10, 1);
    EXPECT_TRUE(on(rulers->GetWidget(measure)));
    EXPECT_TRUE(on(fiducials->GetWidget(here)));
    EXPECT_FALSE(on(fiducials->GetWidget(next))) << "one slice further";
    EXPECT_TRUE(vtkOrientedPolygonalHandleRepresentation3D::SafeDownCast(handleOf(fiducials->GetWidget(here))));

    slice->SetLayoutGrid(2, 2);
    ASSERT_EQ(view.lightBoxPaneCount(), 4);
    EXPECT_EQ(slice->GetDimensions()[0], 200);
    EXPECT_FALSE(on(rulers->GetWidget(measure)));
    // Both fiducials have new widgets with flat handles, each in its slice's pane: the
    // second slice is the top right pane, where world (10, 10) is pixel (310, 310).
    for (vtkMRMLAnnotationFiducialNode* node : {here, next}) {
        vtkAbstractWidget* widget = fiducials->GetWidget(node);
        EXPECT_TRUE(on(widget)) << node->GetName();
        EXPECT_TRUE(vtkPointHandleRepresentation2D::SafeDownCast(handleOf(widget))) << node->GetName();
    }
    EXPECT_EQ(fiducials->GetWidget(here)->GetCurrentRenderer(), view.lightBoxRenderer(0));
    EXPECT_EQ(fiducials->GetWidget(next)->GetCurrentRenderer(), view.lightBoxRenderer(1));
    EXPECT_EQ(handleOf(fiducials->GetWidget(next))->GetRenderer(), view.lightBoxRenderer(1));
    EXPECT_TRUE(atDisplay(handleOf(fiducials->GetWidget(next)), 310, 310));
    EXPECT_TRUE(atDisplay(handleOf(fiducials->GetWidget(here)), 110, 310));
    view.forceRender();

    // A node change in the light box keeps the flat handle and its pane.
    vtkAbstractWidget* flat = fiducials->GetWidget(next);
    next->GetAnnotationPointDisplayNode()->SetColor(0, 1, 0);
    EXPECT_EQ(fiducials->GetWidget(next), flat);
    auto* flatHandle = vtkPointHandleRepresentation2D::SafeDownCast(handleOf(flat));
    EXPECT_DOUBLE_EQ(flatHandle->GetProperty()->GetColor()[1], 1.0);

    slice->SetLayoutGrid(1, 1);
    EXPECT_EQ(view.lightBoxPaneCount(), 1);
    EXPECT_TRUE(on(rulers->GetWidget(measure)));
    EXPECT_TRUE(on(fiducials->GetWidget(here)));
    EXPECT_TRUE(vtkOrientedPolygonalHandleRepresentation3D::SafeDownCast(handleOf(fiducials->GetWidget(here))));
    EXPECT_EQ(handleOf(fiducials->GetWidget(here))->GetRenderer(), view.renderer());
    EXPECT_TRUE(atDisplay(handleOf(fiducials->GetWidget(here)), 220, 220));
    EXPECT_FALSE(on(fiducials->GetWidget(next)));
    view.forceRender();
}

TEST_F(SliceViews, AClickInALightBoxPanePlacesTheFiducialOnThatPanesSlice)
{
    slice->SetLayoutGrid(2, 2);
    view.forceRender();
    startPlacing("vtkMRMLAnnotationFiducialNode");
    click(310, 310); // top right: the second slice
    click(60, 150);  // bottom left: the third slice
    std::vector<vtkMRMLNode*> placed;
    scene->GetNodesByClass("vtkMRMLAnnotationFiducialNode", placed);
    ASSERT_EQ(placed.size(), 2u);
    double w[4];
    auto* first = vtkMRMLAnnotationFiducialNode::SafeDownCast(placed[0]);
    first->GetControlPointWorldCoordinates(0, w);
    EXPECT_TRUE(AnnotationViewTest::near(w, 10, 10, 1, 1e-9));
    auto* second = vtkMRMLAnnotationFiducialNode::SafeDownCast(placed[1]);
    second->GetControlPointWorldCoordinates(0, w);
    EXPECT_TRUE(AnnotationViewTest::near(w, -40, 50, 2, 1e-9));
    EXPECT_EQ(fiducials->GetWidget(first)->GetCurrentRenderer(), view.lightBoxRenderer(1));
    EXPECT_EQ(fiducials->GetWidget(second)->GetCurrentRenderer(), view.lightBoxRenderer(2));
    EXPECT_TRUE(on(fiducials->GetWidget(second)));
    EXPECT_EQ(first->GetAttribute("AssociatedNodeID"), nullptr) << "the view shows no volume";
}

TEST_F(SliceViews, AClickIsTiedToTheFirstVolumeOfTheViewsCompositeNode)
{
    vtkNew<vtkMRMLSliceCompositeNode> other;
    other->SetLayoutName("Yellow");
    other->SetBackgroundVolumeID("vtkMRMLScalarVolumeNode9");
    scene->AddNode(other);
    vtkNew<vtkMRMLSliceCompositeNode> composite;
    composite->SetLayoutName("Red");
    composite->SetLabelVolumeID("vtkMRMLLabelMapVolumeNode1");
    scene->AddNode(composite);
    startPlacing("vtkMRMLAnnotationFiducialNode");

    click(200, 200);
    composite->SetForegroundVolumeID("vtkMRMLScalarVolumeNode2");
    click(210, 200);
    composite->SetBackgroundVolumeID("vtkMRMLScalarVolumeNode1");
    click(220, 200);
    composite->SetBackgroundVolumeID("");
    composite->SetForegroundVolumeID("");
    composite->SetLabelVolumeID(nullptr);
    click(230, 200);

    std::vector<vtkMRMLNode*> placed;
    scene->GetNodesByClass("vtkMRMLAnnotationFiducialNode", placed);
    ASSERT_EQ(placed.size(), 4u);
    EXPECT_STREQ(placed[0]->GetAttribute("AssociatedNodeID"), "vtkMRMLLabelMapVolumeNode1");
    EXPECT_STREQ(placed[1]->GetAttribute("AssociatedNodeID"), "vtkMRMLScalarVolumeNode2");
    EXPECT_STREQ(placed[2]->GetAttribute("AssociatedNodeID"), "vtkMRMLScalarVolumeNode1");
    EXPECT_EQ(placed[3]->GetAttribute("AssociatedNodeID"), nullptr);
}

TEST_F(SliceViews, ARulerOffTheSliceShowsWhereItCrossesAndItsProjection)
{
    const double a[3] = {-20, 0, -5}, b[3] = {20, 0, 5};
    vtkMRMLAnnotationRulerNode* measure = ruler(a, b);
    vtkMRMLAnnotationDisplayableManagerHelper* registry = rulers->GetHelper();
    EXPECT_FALSE(on(rulers->GetWidget(measure)));
    EXPECT_EQ(registry->GetIntersectionWidget(measure), nullptr);
    EXPECT_EQ(registry->GetOverLineProjectionWidget(measure), nullptr);

    vtkMRMLAnnotationLineDisplayNode* line = measure->GetAnnotationLineDisplayNode();
    line->SetProjectedColor(0, 0, 1);
    line->SetProjectedOpacity(0.5);
    line->SliceIntersectionVisibilityOn();
    line->SetSliceProjection(vtkMRMLAnnotationDisplayNode::ProjectionOn |
                             vtkMRMLAnnotationLineDisplayNode::ProjectionThickerOnTop |
                             vtkMRMLAnnotationLineDisplayNode::ProjectionDashed);

    // The ruler crosses the slice at world (0, 0, 0), pixel (200, 200).
    auto* intersection = vtkSeedWidget::SafeDownCast(registry->GetIntersectionWidget(measure));
    ASSERT_NE(intersection, nullptr);
    EXPECT_TRUE(on(intersection));
    EXPECT_FALSE(intersection->GetProcessEvents());
    ASSERT_EQ(vtkSeedRepresentation::SafeDownCast(intersection->GetRepresentation())->GetNumberOfSeeds(), 1);
    EXPECT_TRUE(atDisplay(handleOf(intersection), 200, 200));
    auto* mark = vtkPointHandleRepresentation2D::SafeDownCast(handleOf(intersection));
    ASSERT_NE(mark, nullptr);
    EXPECT_DOUBLE_EQ(mark->GetProperty()->GetColor()[1], 1.0);

    auto lineOf = [](vtkAbstractWidget* widget) {
        return vtkLineRepresentation::SafeDownCast(widget->GetRepresentation());
    };
    auto ends = [&](vtkAbstractWidget* widget) {
        double p[3], q[3];
        lineOf(widget)->GetPoint1DisplayPosition(p);
        lineOf(widget)->GetPoint2DisplayPosition(q);
        std::ostringstream text;
        text << p[0] << " " << p[1] << " - " << q[0] << " " << q[1];
        return text.str();
    };
    vtkAbstractWidget* over = registry->GetOverLineProjectionWidget(measure);
    vtkAbstractWidget* under = registry->GetUnderLineProjectionWidget(measure);
    ASSERT_TRUE(over && under);
    EXPECT_TRUE(on(over));
    EXPECT_TRUE(on(under));
    EXPECT_EQ(ends(over), "160 200 - 200 200");
    EXPECT_EQ(ends(under), "200 200 - 240 200");
    // The half below the slice is drawn thick, the half above thin; both dashed.
    EXPECT_EQ(lineOf(over)->GetLineProperty()->GetLineWidth(), 3.0f);
    EXPECT_EQ(lineOf(under)->GetLineProperty()->GetLineWidth(), 1.0f);
    EXPECT_EQ(lineOf(over)->GetLineProperty()->GetLineStipplePattern(), 0xFF00);
    EXPECT_DOUBLE_EQ(lineOf(under)->GetLineProperty()->GetColor()[2], 1.0);
    EXPECT_DOUBLE_EQ(lineOf(under)->GetLineProperty()->GetOpacity(), 0.5);
    view.forceRender();

    // Wholly above the slice: no crossing, one thin line.
    measure->SetPosition1(-20, 0, 2);
    EXPECT_EQ(vtkSeedRepresentation::SafeDownCast(intersection->GetRepresentation())->GetNumberOfSeeds(), 0);
    EXPECT_EQ(ends(over), "160 200 - 240 200");
    EXPECT_FALSE(on(under));
    EXPECT_EQ(lineOf(over)->GetLineProperty()->GetLineWidth(), 1.0f);

    // Parallel to the slice: the slice's own colour, solid.
    slice->SetLayoutColor(0.9, 0.3, 0.2);
    line->SliceProjectionColoredWhenParallelOn();
    measure->SetPosition1(-20, 0, 5);
    EXPECT_DOUBLE_EQ(lineOf(over)->GetLineProperty()->GetColor()[0], 0.9);
    EXPECT_EQ(lineOf(over)->GetLineProperty()->GetLineStipplePattern(), 0xFFFF);
    line->SliceProjectionUseRulerColorOn();
    line->SliceProjectionColoredWhenParallelOff();
    EXPECT_DOUBLE_EQ(lineOf(over)->GetLineProperty()->GetColor()[0], line->GetColor()[0]);

    // On the slice the ruler itself is drawn, and its marks go.
    slice->SetSliceOffset(5);
    EXPECT_TRUE(on(rulers->GetWidget(measure)));
    EXPECT_FALSE(on(over));
    EXPECT_FALSE(on(intersection));

    slice->SetSliceOffset(0);
    EXPECT_TRUE(on(over));
    line->SliceProjectionOff();
    EXPECT_FALSE(on(over));
    EXPECT_FALSE(on(under));
    view.forceRender();
}

TEST_F(SliceViews, AFiducialOffTheSliceShowsItsProjectionWhereverItMoves)
{
    vtkMRMLAnnotationFiducialNode* node = fiducial(10, 10, 4);
    vtkMRMLAnnotationDisplayableManagerHelper* registry = fiducials->GetHelper();
    EXPECT_FALSE(on(fiducials->GetWidget(node)));
    EXPECT_EQ(registry->GetPointProjectionWidget(node), nullptr);

    vtkMRMLAnnotationPointDisplayNode* display = node->GetAnnotationPointDisplayNode();
    display->SetProjectedColor(0, 1, 1);
    display->SetSliceProjection(vtkMRMLAnnotationDisplayNode::ProjectionOn);
    auto* projection = vtkSeedWidget::SafeDownCast(registry->GetPointProjectionWidget(node));
    ASSERT_NE(projection, nullptr);
    EXPECT_TRUE(on(projection));
    EXPECT_FALSE(projection->GetProcessEvents());
    EXPECT_TRUE(atDisplay(handleOf(projection), 220, 220));
    auto* mark = vtkPointHandleRepresentation2D::SafeDownCast(handleOf(projection));
    EXPECT_DOUBLE_EQ(mark->GetProperty()->GetColor()[0], 0.0);
    EXPECT_DOUBLE_EQ(mark->GetProperty()->GetColor()[2], 1.0);

    const double moved[3] = {-30, 20, 4};
    node->SetControlPointWorldCoordinates(0, moved, 1, 1);
    EXPECT_TRUE(atDisplay(handleOf(projection), 140, 240)) << "the mark follows the fiducial";
    display->SetColor(0.2, 0.4, 0.6);
    display->SliceProjectionUseFiducialColorOn();
    EXPECT_DOUBLE_EQ(mark->GetProperty()->GetColor()[0], 0.2);
    view.forceRender();

    slice->SetSliceOffset(4);
    EXPECT_TRUE(on(fiducials->GetWidget(node)));
    EXPECT_FALSE(on(projection));
    slice->SetSliceOffset(0);
    display->SliceProjectionOff();
    EXPECT_FALSE(on(projection));

    // A node removed takes its mark with it.
    scene->RemoveNode(node);
    EXPECT_EQ(registry->GetPointProjectionWidget(node), nullptr);
}

TEST_F(SliceViews, AnAnnotationShownOnlyInOtherViewsHasNoWidgetHere)
{
    vtkMRMLAnnotationFiducialNode* node = fiducial(0, 0, 0);
    EXPECT_TRUE(on(fiducials->GetWidget(node)));
    vtkMRMLDisplayNode* display = node->GetDisplayNode();
    display->AddViewNodeID("vtkMRMLViewNode1");
    EXPECT_FALSE(on(fiducials->GetWidget(node)));
    display->AddViewNodeID(slice->GetID());
    EXPECT_TRUE(on(fiducials->GetWidget(node)));

    // The views a node is shown in are kept in its file.
    std::ostringstream xml;
    display->WriteXML(xml, 0);
    EXPECT_NE(xml.str().find(std::string("viewNodeRef=\"vtkMRMLViewNode1 ") + slice->GetID() + "\""),
              std::string::npos)
        << xml.str();
}

TEST(SliceStandIns, LayoutGridAndCompositeVolumesSurviveTheFile)
{
    vtkNew<vtkMRMLSliceNode> slice;
    slice->SetLayoutGrid(3, 0);
    EXPECT_EQ(slice->GetLayoutGridRows(), 3);
    EXPECT_EQ(slice->GetLayoutGridColumns(), 1);
    slice->SetLayoutColor(0.25, 0.5, 1);
    std::ostringstream xml;
    slice->WriteXML(xml, 0);
    vtkNew<vtkMRMLSliceNode> read;
    const std::string text = xml.str();
    // Pairs of name and value out of ` name="value"`.
    std::vector<std::string> parts;
    for (size_t at = text.find(' '); at != std::string::npos;) {
        const size_t eq = text.find("=\"", at);
        const size_t end = text.find('"', eq + 2);
        if (eq == std::string::npos || end == std::string::npos)
            break;
        parts.push_back(text.substr(at + 1, eq - at - 1));
        parts.push_back(text.substr(eq + 2, end - eq - 2));
        at = text.find(' ', end);
    }
    std::vector<const char*> atts;
    for (const std::string& p : parts)
        atts.push_back(p.c_str());
    atts.push_back(nullptr);
    read->ReadXMLAttributes(atts.data());
    EXPECT_EQ(read->GetLayoutGridRows(), 3);
    EXPECT_EQ(read->GetLayoutGridColumns(), 1);
    EXPECT_DOUBLE_EQ(read->GetLayoutColor()[2], 1.0);

    vtkNew<vtkMRMLScene> scene;
    vtkNew<vtkMRMLSliceCompositeNode> composite;
    EXPECT_EQ(composite->GetFirstVolumeID(), nullptr);
    composite->SetForegroundVolumeID("F");
    composite->SetBackgroundVolumeID("");
    EXPECT_STREQ(composite->GetFirstVolumeID(), "F");
    vtkSmartPointer<vtkMRMLNode> made = vtkSmartPointer<vtkMRMLNode>::Take(scene->CreateNodeByClass("vtkMRMLSliceCompositeNode"));
    EXPECT_TRUE(vtkMRMLSliceCompositeNode::SafeDownCast(made)) << "the scene knows the class";
}

// The 3D view: a click on a slice model belongs to the volume of the slice it shows.
class CompositeClick : public AnnotationViewTest::View
{
protected:
    void SetUp() override
    {
        build("vtkMRMLAnnotationFiducialDisplayableManager", "vtkMRMLAnnotationFiducialNode");
        model = vtkMRMLNode::SafeDownCast(scene->GetFirstNodeByClass("vtkMRMLModelNode"));
        ASSERT_NE(model, nullptr);
        startPlacing(true);
    }
    const char* placedAttribute(int x, int y)
    {
        click(x, y);
        std::vector<vtkMRMLAnnotationFiducialNode*> all = nodes<vtkMRMLAnnotationFiducialNode>();
        return all.empty() ? "(none placed)" : all.back()->GetAttribute("AssociatedNodeID");
    }
    vtkMRMLNode* model = nullptr;
};

TEST_F(CompositeClick, AClickOnASliceModelIsTiedToItsSlicesVolume)
{
    vtkNew<vtkMRMLSliceCompositeNode> composite;
    composite->SetLayoutName("Red");
    scene->AddNode(composite);
    const std::string description = std::string("CompositeID ") + composite->GetID();
    model->SetDescription(description.c_str());

    // The slice shows no volume: the model itself.
    EXPECT_STREQ(placedAttribute(200, 200), model->GetID());
    composite->SetForegroundVolumeID("vtkMRMLScalarVolumeNode3");
    EXPECT_STREQ(placedAttribute(210, 200), "vtkMRMLScalarVolumeNode3");
    composite->SetBackgroundVolumeID("vtkMRMLScalarVolumeNode1");
    EXPECT_STREQ(placedAttribute(220, 200), "vtkMRMLScalarVolumeNode1");
    // Nothing after the key, or a composite node that is not there: the model again.
    model->SetDescription("CompositeID");
    EXPECT_STREQ(placedAttribute(230, 200), model->GetID());
    model->SetDescription("CompositeID:vtkMRMLSliceCompositeNode99");
    EXPECT_STREQ(placedAttribute(240, 200), model->GetID());
}

TEST_F(SliceViews, DraggingAFiducialInALightBoxPaneMovesItOnThatPanesSlice)
{
    vtkMRMLAnnotationFiducialNode* node = fiducial(10, 10, 1);
    slice->SetLayoutGrid(2, 2);
    view.forceRender();
    vtkRenderWindowInteractor* interactor = view.interactor();
    auto mouse = [&](unsigned long event, int x, int y) {
        interactor->SetEventInformation(x, y);
        interactor->InvokeEvent(event);
    };
    // World (10, 10) of the second slice is pixel (310, 310) of the top right pane.
    mouse(vtkCommand::MouseMoveEvent, 310, 310);
    mouse(vtkCommand::LeftButtonPressEvent, 310, 310);
    mouse(vtkCommand::MouseMoveEvent, 320, 305);
    mouse(vtkCommand::MouseMoveEvent, 330, 300);
    EXPECT_STREQ(node->GetAttribute("Annotations.MovingInSliceView"), "Red");
    mouse(vtkCommand::LeftButtonReleaseEvent, 330, 300);
    EXPECT_EQ(node->GetAttribute("Annotations.MovingInSliceView"), nullptr);
    double w[4];
    node->GetControlPointWorldCoordinates(0, w);
    EXPECT_TRUE(AnnotationViewTest::near(w, 30, 0, 1, 1e-9));
    EXPECT_EQ(fiducials->GetWidget(node)->GetCurrentRenderer(), view.lightBoxRenderer(1));

    // Dragged past the view's right border, the handle stays just inside its pane.
    mouse(vtkCommand::MouseMoveEvent, 330, 300);
    mouse(vtkCommand::LeftButtonPressEvent, 330, 300);
    mouse(vtkCommand::MouseMoveEvent, 380, 300);
    mouse(vtkCommand::MouseMoveEvent, 430, 300);
    mouse(vtkCommand::LeftButtonReleaseEvent, 430, 300);
    node->GetControlPointWorldCoordinates(0, w);
    EXPECT_NEAR(w[0], 199.8 - 100, 0.01) << "0.1 percent inside the pane";
    EXPECT_NEAR(w[2], 1, 1e-9);
}

TEST_F(SliceViews, AFlatHandleThatCannotBeMadeAgainOutOfTheLightBoxIsReported)
{
    vtkMRMLAnnotationFiducialNode* node = fiducial(0, 0, 0);
    node->SetName("Tip");
    slice->SetLayoutGrid(1, 2);
    vtkSmartPointer<vtkAbstractWidget> flat = fiducials->GetWidget(node);
    ASSERT_TRUE(vtkPointHandleRepresentation2D::SafeDownCast(handleOf(flat)));
    // Without its scene the manager cannot make the widget again.
    view.setMRMLScene(nullptr);
    slice->SetLayoutGrid(1, 1);
    AnnotationTest::Messages messages(fiducials);
    fiducials->PropagateMRMLToWidget(node, flat);
    EXPECT_TRUE(messages.hasWarning("PropagateMRMLToWidget: failed to add a new widget for node Tip"))
        << messages.all();
    EXPECT_EQ(fiducials->GetWidget(node), nullptr);
}
