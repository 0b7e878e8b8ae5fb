#include "../annotations/AnnotationTestHelpers.h"

#include <vtkAnnotationBidimensionalRepresentation.h>
#include <vtkAnnotationBidimensionalWidget.h>
#include <vtkMRMLAnnotationBidimensionalDisplayableManager.h>
#include <vtkMRMLAnnotationBidimensionalNode.h>
#include <vtkMRMLAnnotationDisplayableManagerHelper.h>
#include <vtkAnnotationRulerRepresentation.h>
#include <vtkAnnotationRulerWidget.h>
#include <vtkMRMLAnnotationRulerDisplayableManager.h>
#include <vtkMRMLAnnotationRulerNode.h>

#include <mrml/vtkMRMLInteractionNode.h>
#include <mrml/vtkMRMLScene.h>
#include <mrml/vtkMRMLSelectionNode.h>
#include <mrml/vtkMRMLSliceNode.h>
#include <qmrml/qMRMLSliceView.h>

#include <QVTKOpenGLNativeWidget.h>
#include <vtkAxisActor2D.h>
#include <vtkMatrix4x4.h>
#include <vtkNew.h>
#include <vtkRenderWindowInteractor.h>

#include <QSurfaceFormat>
#include <QTest>
#include <support/HangGuard.h>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

const bool surfaceFormatSet = [] {
    QSurfaceFormat::setDefaultFormat(QVTKOpenGLNativeWidget::defaultFormat());
    return true;
}();

// A 400 x 400 slice view of a 200 x 200 field: half a unit per pixel.
class SliceView : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(surfaceFormatSet);
        vtkMRMLAnnotationNode::RegisterNodeClasses(scene);
        scene->AddNode(vtkNew<vtkMRMLInteractionNode>());
        scene->AddNode(vtkNew<vtkMRMLSelectionNode>());
        interaction = vtkMRMLInteractionNode::SafeDownCast(scene->GetNodeByID("vtkMRMLInteractionNodeSingleton"));
        selection = vtkMRMLSelectionNode::SafeDownCast(scene->GetNodeByID("vtkMRMLSelectionNodeSingleton"));
        slice->SetLayoutName("Red");
        slice->SetFieldOfView(200, 200, 1);
        scene->AddNode(slice);

        view.resize(400, 400);
        view.addDisplayableManager("vtkMRMLAnnotationBidimensionalDisplayableManager");
        view.addDisplayableManager("vtkMRMLAnnotationRulerDisplayableManager");
        view.setMRMLScene(scene);
        view.setMRMLSliceNode(slice);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view, PelmoraTest::HangGuardMs));
        view.forceRender();
        manager = vtkMRMLAnnotationBidimensionalDisplayableManager::SafeDownCast(
            view.displayableManagerByClassName("vtkMRMLAnnotationBidimensionalDisplayableManager"));
        ASSERT_NE(manager, nullptr);
        ASSERT_TRUE(manager->Is2DDisplayableManager());
    }

    void click(int x, int y)
    {
        vtkRenderWindowInteractor* interactor = view.interactor();
        interactor->SetEventInformation(x, y);
        interactor->InvokeEvent(vtkCommand::LeftButtonPressEvent);
        interactor->InvokeEvent(vtkCommand::LeftButtonReleaseEvent);
    }

    void startPlacing()
    {
        selection->SetActivePlaceNodeClassName("vtkMRMLAnnotationBidimensionalNode");
        interaction->SetPlaceModePersistence(0);
        interaction->SetCurrentInteractionMode(vtkMRMLInteractionNode::Place);
    }

    std::vector<double> world(double x, double y)
    {
        const double xy[4] = {x, y, 0, 1};
        double ras[4];
        slice->GetXYToRAS()->MultiplyPoint(xy, ras);
        return {ras[0], ras[1], ras[2]};
    }

    static ::testing::AssertionResult at(vtkMRMLAnnotationControlPointsNode* node, int index, const std::vector<double>& p)
    {
        double w[4];
        node->GetControlPointWorldCoordinates(index, w);
        for (int k = 0; k < 3; ++k)
            if (std::abs(w[k] - p[k]) > 1e-6)
                return ::testing::AssertionFailure() << "point " << index << " is (" << w[0] << ", " << w[1] << ", "
                                                     << w[2] << "), not (" << p[0] << ", " << p[1] << ", " << p[2]
                                                     << ")";
        return ::testing::AssertionSuccess();
    }

    int count() { return scene->GetNumberOfNodesByClass("vtkMRMLAnnotationBidimensionalNode"); }

    vtkNew<vtkMRMLScene> scene;
    vtkNew<vtkMRMLSliceNode> slice;
    qMRMLSliceView view;
    vtkMRMLAnnotationBidimensionalDisplayableManager* manager = nullptr;
    vtkMRMLInteractionNode* interaction = nullptr;
    vtkMRMLSelectionNode* selection = nullptr;
};

} // namespace

TEST_F(SliceView, ThreeClicksOnAVerticalLinePlaceAMeasurementWithItsMirrorPoint)
{
    startPlacing();
    click(100, 100);
    click(100, 200);
    EXPECT_EQ(count(), 0);
    click(160, 150);
    ASSERT_EQ(count(), 1);
    auto* node = vtkMRMLAnnotationBidimensionalNode::SafeDownCast(
        scene->GetFirstNodeByClass("vtkMRMLAnnotationBidimensionalNode"));
    EXPECT_STREQ(node->GetName(), "B");
    // The fourth point is the third click mirrored on the first line: (40, 150).
    EXPECT_TRUE(at(node, 0, world(100, 200)));
    EXPECT_TRUE(at(node, 1, world(100, 100)));
    EXPECT_TRUE(at(node, 2, world(40, 150)));
    EXPECT_TRUE(at(node, 3, world(160, 150)));
    const std::vector<double> measurement = node->GetBidimensionalMeasurement();
    EXPECT_NEAR(measurement[0], 50, 1e-9);
    EXPECT_NEAR(measurement[1], 60, 1e-9);
    for (double m : measurement)
        EXPECT_FALSE(std::isnan(m));
    EXPECT_EQ(interaction->GetCurrentInteractionMode(), vtkMRMLInteractionNode::ViewTransform);
    auto* widget = vtkAnnotationBidimensionalWidget::SafeDownCast(manager->GetWidget(node));
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->GetWidgetState(), vtkBiDimensionalWidget::Manipulate);
    view.forceRender();
    auto* representation = vtkAnnotationBidimensionalRepresentation::SafeDownCast(widget->GetRepresentation());
    EXPECT_STREQ(representation->GetLabelText(), "60.0 x 50.0");
    double display[3];
    representation->GetPoint3DisplayPosition(display);
    EXPECT_NEAR(display[0], 40, 1e-6);
    EXPECT_NEAR(display[1], 150, 1e-6);
}

TEST_F(SliceView, ClicksThatSpanNoTwoLinesAreRefused)
{
    startPlacing();
    for (const auto& clicks : std::vector<std::vector<int>>{{100, 100, 100, 100, 150, 150},
                                                            {100, 100, 100, 200, 100, 150},
                                                            {10, 10, 200, 200, 300, 300}}) {
        AnnotationTest::Messages messages(manager);
        click(clicks[0], clicks[1]);
        click(clicks[2], clicks[3]);
        click(clicks[4], clicks[5]);
        EXPECT_TRUE(messages.hasWarning("the clicks do not span two crossing lines")) << messages.all();
        EXPECT_EQ(manager->GetHelper()->GetNumberOfSeeds(), 0);
    }
    EXPECT_EQ(count(), 0);
    EXPECT_EQ(interaction->GetCurrentInteractionMode(), vtkMRMLInteractionNode::Place);
    // The next three clicks start afresh.
    click(300, 100);
    click(100, 100);
    click(200, 300);
    EXPECT_EQ(count(), 1);
}

TEST_F(SliceView, ANodeChangeMovesTheHandlesAndTheMirrorHelperWorksInAnyDirection)
{
    startPlacing();
    click(100, 100);
    click(300, 100);
    click(200, 180);
    ASSERT_EQ(count(), 1);
    auto* node = vtkMRMLAnnotationBidimensionalNode::SafeDownCast(
        scene->GetFirstNodeByClass("vtkMRMLAnnotationBidimensionalNode"));
    std::vector<double> p = world(250, 50);
    node->SetControlPoint(p.data(), 3);
    auto* representation =
        vtkBiDimensionalRepresentation::SafeDownCast(manager->GetWidget(node)->GetRepresentation());
    double display[3];
    representation->GetPoint4DisplayPosition(display);
    EXPECT_NEAR(display[0], 250, 1e-6);
    EXPECT_NEAR(display[1], 50, 1e-6);

    const double a[2] = {0, 0}, b[2] = {10, 10}, q[2] = {10, 0};
    double m[2];
    ASSERT_TRUE(vtkMRMLAnnotationBidimensionalDisplayableManager::MirrorAcrossLine(a, b, q, m));
    EXPECT_NEAR(m[0], 0, 1e-12);
    EXPECT_NEAR(m[1], 10, 1e-12);
    EXPECT_FALSE(vtkMRMLAnnotationBidimensionalDisplayableManager::MirrorAcrossLine(a, a, q, m));
}

TEST_F(SliceView, AFlatRulerMeasuresInTheSliceAndKeepsItsPointsWhenAHandleLeavesTheView)
{
    selection->SetActivePlaceNodeClassName("vtkMRMLAnnotationRulerNode");
    interaction->SetCurrentInteractionMode(vtkMRMLInteractionNode::Place);
    click(100, 100);
    click(100, 180);
    auto* ruler = vtkMRMLAnnotationRulerNode::SafeDownCast(scene->GetFirstNodeByClass("vtkMRMLAnnotationRulerNode"));
    ASSERT_NE(ruler, nullptr);
    EXPECT_TRUE(at(ruler, 0, world(100, 100)));
    EXPECT_TRUE(at(ruler, 1, world(100, 180)));
    auto* rulers = vtkMRMLAnnotationRulerDisplayableManager::SafeDownCast(
        view.displayableManagerByClassName("vtkMRMLAnnotationRulerDisplayableManager"));
    auto* widget = vtkAnnotationRulerWidget::SafeDownCast(rulers->GetWidget(ruler));
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->GetIs2DWidget(), 1);
    auto* flat = vtkAnnotationRulerRepresentation::SafeDownCast(widget->GetRepresentation());
    ASSERT_NE(flat, nullptr);
    ruler->SetName("5% %s");
    view.forceRender();
    EXPECT_STREQ(flat->GetAxis()->GetTitle(), "5% %s :40 mm") << "80 pixels of half a unit";

    // A handle moved off the view: the label shows the new length, the node keeps its point.
    double outside[3] = {100, 600, 0};
    flat->SetPoint2DisplayPosition(outside);
    rulers->PropagateWidgetToMRML(widget, ruler);
    EXPECT_TRUE(at(ruler, 1, world(100, 180)));
    EXPECT_NEAR(flat->GetShownDistance(), 250, 1.0);
}

TEST(BidimensionalRepresentation, TheLongerLengthComesFirst)
{
    vtkNew<vtkAnnotationBidimensionalRepresentation> representation;
    representation->InstantiateHandleRepresentation();
    representation->SetLabelFormat("%.1f");
    representation->SetDistance1(12.5);
    representation->SetDistance2(30);
    representation->BuildRepresentation();
    EXPECT_STREQ(representation->GetLabelText(), "30.0 x 12.5");
    representation->SetID(7);
    representation->BuildRepresentation();
    EXPECT_STREQ(representation->GetLabelText(), "7: 30.0 x 12.5");
    representation->Line2VisibilityOff();
    representation->BuildRepresentation();
    EXPECT_STREQ(representation->GetLabelText(), "7: 12.5 x 0.0");

    AnnotationTest::Messages messages(representation);
    representation->SetLabelFormat("%s and %n");
    representation->BuildRepresentation();
    EXPECT_STREQ(representation->GetLabelText(), "7: 12.5 x 0");
    EXPECT_TRUE(messages.hasWarning("label format refused")) << messages.all();

    vtkNew<vtkAnnotationBidimensionalWidget> widget;
    widget->CreateDefaultRepresentation();
    EXPECT_TRUE(vtkAnnotationBidimensionalRepresentation::SafeDownCast(widget->GetRepresentation()));
}
