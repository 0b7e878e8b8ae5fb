#include "AnnotationViewFixture.h"

#include "../annotations/AnnotationTestHelpers.h"

#include <annotations/ViewFeederAnnotationBase.h>
#include <vtkAnnotationROIRepresentation.h>
#include <vtkAnnotationROIWidget.h>
#include <vtkMRMLAnnotationDisplayableManagerHelper.h>
#include <vtkMRMLAnnotationROIDisplayableManager.h>
#include <vtkMRMLAnnotationROINode.h>

#include <mrml/vtkMRMLSliceNode.h>
#include <mrml/vtkMRMLTransformNode.h>

#include <vtkActor.h>
#include <vtkCellArray.h>
#include <vtkMatrix4x4.h>
#include <vtkPlanes.h>
#include <vtkPoints.h>
#include <vtkPolyData.h>
#include <vtkTransform.h>

#include <memory>

using AnnotationViewTest::near;

namespace {

// Opens the slice-node reaction to the test.
class OpenROIManager : public vtkMRMLAnnotationROIDisplayableManager
{
public:
    static OpenROIManager* New() { return new OpenROIManager; }
    using vtkMRMLAnnotationROIDisplayableManager::OnMRMLSliceNodeModifiedEvent;
};

class ROIView : public AnnotationViewTest::View
{
protected:
    void SetUp() override { build("vtkMRMLAnnotationROIDisplayableManager", "vtkMRMLAnnotationROINode"); }

    // A box centred at the first click's point, reaching to the second's.
    vtkMRMLAnnotationROINode* place(int x1, int y1, int x2, int y2)
    {
        startPlacing(false);
        click(x1, y1);
        click(x2, y2);
        auto all = nodes<vtkMRMLAnnotationROINode>();
        render();
        return all.empty() ? nullptr : all.back();
    }

    vtkAnnotationROIRepresentation* box(vtkMRMLAnnotationROINode* node)
    {
        auto* widget = vtkAnnotationROIWidget::SafeDownCast(manager->GetWidget(node));
        return widget ? vtkAnnotationROIRepresentation::SafeDownCast(widget->GetRepresentation()) : nullptr;
    }

    static std::vector<double> centre(vtkMRMLAnnotationROINode* node)
    {
        double c[3];
        node->GetXYZ(c);
        return {c[0], c[1], c[2]};
    }
    static std::vector<double> radius(vtkMRMLAnnotationROINode* node)
    {
        double r[3];
        node->GetRadiusXYZ(r);
        return {r[0], r[1], r[2]};
    }
};

} // namespace

TEST_F(ROIView, TwoClicksPlaceABoxAroundTheFirstClick)
{
    auto feeder = std::make_unique<Gui::ViewFeederAnnotationROI>();
    manager->setViewFeederObject(feeder.get());
    vtkMRMLAnnotationROINode* roi = place(200, 200, 220, 212);
    ASSERT_NE(roi, nullptr);
    EXPECT_TRUE(near(centre(roi).data(), 0, 0, 10));
    EXPECT_TRUE(near(radius(roi).data(), 5, 3, 5));
    EXPECT_STREQ(roi->GetName(), "R");
    EXPECT_EQ(interaction->GetCurrentInteractionMode(), vtkMRMLInteractionNode::ViewTransform);
    EXPECT_EQ(feeder->getMRMLNode(), roi);
    EXPECT_EQ(manager->getViewFeederObject(), nullptr);

    // The box is placed on the node as it is created.
    vtkAnnotationROIRepresentation* representation = box(roi);
    ASSERT_NE(representation, nullptr);
    double c[3], e[3];
    representation->GetCenter(c);
    representation->GetExtents(e);
    EXPECT_TRUE(near(c, 0, 0, 10));
    EXPECT_TRUE(near(e, 10, 6, 10));

    // Two clicks on one point give a box of radius 100; names stay unique.
    vtkMRMLAnnotationROINode* second = place(150, 150, 150, 150);
    ASSERT_NE(second, roi);
    EXPECT_TRUE(near(radius(second).data(), 100, 100, 100));
    EXPECT_STRNE(second->GetName(), roi->GetName());
    EXPECT_EQ(feeder->getMRMLNode(), roi);
}

TEST_F(ROIView, HandlesMoveAFaceTranslateAndScaleTheBoxAndTheNodeFollowsAtTheEnd)
{
    vtkMRMLAnnotationROINode* roi = place(200, 200, 220, 212);
    ASSERT_NE(roi, nullptr);
    vtkAnnotationROIRepresentation* representation = box(roi);
    auto* widget = vtkAnnotationROIWidget::SafeDownCast(manager->GetWidget(roi));

    // Nothing under the pointer: no interaction starts.
    EXPECT_EQ(AnnotationTest::countEvents(widget, vtkCommand::StartInteractionEvent, [&] { drag(60, 60, 80, 80); }), 0);
    EXPECT_TRUE(near(radius(roi).data(), 5, 3, 5));

    // The +X face handle sits at display (220, 200): dragging it 20 pixels right moves
    // the face 5 along x; the node changes once, when the button is released.
    const int levels = scene->GetNumberOfUndoLevels();
    int changes = AnnotationTest::countEvents(roi, vtkCommand::ModifiedEvent, [&] { drag(220, 200, 240, 210, 4); });
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(near(centre(roi).data(), 2.5, 0, 10));
    EXPECT_TRUE(near(radius(roi).data(), 7.5, 3, 5)) << "the face moves along its normal only";
    EXPECT_EQ(representation->GetCurrentFace(), -1) << "the highlight goes with the release";
    EXPECT_EQ(scene->GetNumberOfUndoLevels(), levels + 1) << "one undo step per drag";

    // The middle button on a handle translates the whole box.
    render();
    drag(240, 200, 240, 240, 4, vtkCommand::MiddleButtonPressEvent, vtkCommand::MiddleButtonReleaseEvent);
    EXPECT_TRUE(near(centre(roi).data(), 2.5, 10, 10));
    EXPECT_TRUE(near(radius(roi).data(), 7.5, 3, 5));

    // Shift with the left button translates as well.
    render();
    mouse(vtkCommand::MouseMoveEvent, 240, 240);
    mouse(vtkCommand::LeftButtonPressEvent, 240, 240, 1);
    mouse(vtkCommand::MouseMoveEvent, 220, 240, 1);
    mouse(vtkCommand::LeftButtonReleaseEvent, 220, 240, 1);
    EXPECT_TRUE(near(centre(roi).data(), -2.5, 10, 10));

    // The right button scales about the centre, one step per move.
    render();
    drag(220, 240, 220, 250, 1, vtkCommand::RightButtonPressEvent, vtkCommand::RightButtonReleaseEvent);
    EXPECT_TRUE(near(centre(roi).data(), -2.5, 10, 10));
    EXPECT_NEAR(radius(roi)[0], 7.5 * 1.03, 1e-6);
    EXPECT_NEAR(radius(roi)[1], 3 * 1.03, 1e-6);

    // Asking for interactive updates makes the node follow every step.
    roi->InteractiveModeOn();
    render();
    changes = AnnotationTest::countEvents(roi, vtkCommand::ModifiedEvent, [&] { drag(220, 240, 220, 200, 4, vtkCommand::MiddleButtonPressEvent, vtkCommand::MiddleButtonReleaseEvent); });
    EXPECT_GE(changes, 4);

    ASSERT_TRUE(scene->Undo());
    roi = nodes<vtkMRMLAnnotationROINode>()[0];
    EXPECT_TRUE(near(centre(roi).data(), -2.5, 10, 10)) << "undo takes back the last drag";
}

TEST_F(ROIView, ANodeChangeRedrawsTheBoxAndLockAndVisibilityApply)
{
    vtkMRMLAnnotationROINode* roi = place(200, 200, 220, 212);
    ASSERT_NE(roi, nullptr);
    roi->SetXYZ(1, 2, 3);
    roi->SetRadiusXYZ(4, 5, 6);
    vtkAnnotationROIRepresentation* representation = box(roi);
    double c[3], e[3];
    representation->GetCenter(c);
    representation->GetExtents(e);
    EXPECT_TRUE(near(c, 1, 2, 3, 1e-9));
    EXPECT_TRUE(near(e, 8, 10, 12, 1e-9));

    roi->SetLocked(1);
    roi->Modified();
    EXPECT_FALSE(representation->GetHandleActor(0)->GetVisibility());
    roi->SetLocked(0);
    roi->Modified();
    EXPECT_TRUE(representation->GetHandleActor(0)->GetVisibility());
    roi->SetDisplayVisibility(0);
    EXPECT_FALSE(manager->GetWidget(roi)->GetEnabled());

    // A parent transform moves the drawn box; the node keeps its local box.
    vtkNew<vtkMRMLTransformNode> transform;
    scene->AddNode(transform);
    vtkNew<vtkMatrix4x4> shift;
    shift->SetElement(0, 3, 10);
    transform->SetMatrixTransformToParent(shift);
    roi->SetAndObserveTransformNodeID(transform->GetID());
    EXPECT_DOUBLE_EQ(representation->GetHandleActor(6)->GetUserMatrix()->GetElement(0, 3), 10);
    EXPECT_TRUE(near(centre(roi).data(), 1, 2, 3, 1e-9));
}

TEST_F(ROIView, ANodeWithoutABoxDoesNotStopTheOthersFollowingTheSlice)
{
    vtkNew<OpenROIManager> open;
    open->SetMRMLScene(scene);
    open->SetRenderer(renderer);
    vtkNew<vtkMRMLAnnotationROINode> first, second;
    first->Initialize(scene);
    second->Initialize(scene);
    ASSERT_NE(open->GetWidget(second), nullptr);
    open->GetHelper()->SetWidget(first, nullptr);
    // Changed without telling anyone: only the slice reaction brings it to the box.
    second->SetDisableModifiedEvent(1);
    second->SetXYZ(7, 8, 9);
    second->SetDisableModifiedEvent(0);
    vtkNew<vtkMRMLSliceNode> slice;
    AnnotationTest::Messages messages(open);
    open->OnMRMLSliceNodeModifiedEvent(slice);
    EXPECT_TRUE(messages.hasError("We could not get the widget to the node: ")) << messages.all();
    double c[3];
    vtkAnnotationROIRepresentation::SafeDownCast(open->GetWidget(second)->GetRepresentation())->GetCenter(c);
    EXPECT_TRUE(near(c, 7, 8, 9, 1e-9));
}

TEST(ROIRepresentation, PlacingPlanesScalingAndTheHighlightedFace)
{
    vtkNew<vtkAnnotationROIRepresentation> representation;
    representation->SetPlaceFactor(1.0);
    double bounds[6] = {-1, 1, -2, 2, -3, 3};
    representation->PlaceWidget(bounds);
    double e[3];
    representation->GetExtents(e);
    EXPECT_TRUE(near(e, 2, 4, 6, 1e-12));
    EXPECT_EQ(representation->GetOutlineCursorWires(), 1);

    vtkNew<vtkPlanes> planes;
    representation->GetPlanes(planes);
    double n[3];
    planes->GetNormals()->GetTuple(1, n);
    EXPECT_TRUE(near(n, 1, 0, 0, 1e-12));
    representation->InsideOutOn();
    representation->GetPlanes(planes);
    planes->GetNormals()->GetTuple(1, n);
    EXPECT_TRUE(near(n, -1, 0, 0, 1e-12));

    // One scaling step grows every edge by 3 percent about the centre.
    double a[3] = {0, 0, 0};
    representation->Scale(a, a, 0, 10);
    representation->GetExtents(e);
    EXPECT_TRUE(near(e, 2 * 1.03, 4 * 1.03, 6 * 1.03, 1e-12));

    // Highlighting a face rewrites the face cell in place.
    representation->HighlightFace(0);
    EXPECT_EQ(representation->GetCurrentFace(), 0);
    vtkNew<vtkPolyData> hex;
    representation->GetPolyData(hex);
    EXPECT_EQ(hex->GetNumberOfPolys(), 6);

    representation->HandlesOff();
    representation->SizeHandles();
    EXPECT_FALSE(representation->GetHandleActor(3)->GetVisibility());

    vtkNew<vtkTransform> t;
    representation->GetTransform(t);
    double origin[3] = {0.5, 1, 1.5}, out[3];
    t->TransformPoint(origin, out);
    EXPECT_TRUE(near(out, 0.5 * 1.03, 1.03, 1.5 * 1.03, 1e-9)) << "the transform from the placed box holds the scaling";
}
