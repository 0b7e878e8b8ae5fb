#include "AnnotationViewFixture.h"

#include "../annotations/AnnotationTestHelpers.h"

#include <annotations/ViewFeederAnnotationBase.h>
#include <vtkAnnotationRulerRepresentation.h>
#include <vtkAnnotationRulerRepresentation3D.h>
#include <vtkAnnotationRulerWidget.h>
#include <vtkMRMLAnnotationLineDisplayNode.h>
#include <vtkMRMLAnnotationRulerDisplayableManager.h>
#include <vtkMRMLAnnotationRulerNode.h>
#include <vtkMRMLAnnotationRulerStorageNode.h>
#include <vtkMRMLAnnotationTextDisplayNode.h>

#include <mrml/vtkMRMLUnitNode.h>

#include <vtkFollower.h>
#include <vtkObjectFactory.h>
#include <vtkOutputWindow.h>
#include <vtkProperty.h>
#include <vtkPointHandleRepresentation3D.h>
#include <vtkPoints.h>

#include <QTemporaryDir>

#include <memory>
#include <string>
#include <vector>

using AnnotationViewTest::near;

namespace {

class RulerView : public AnnotationViewTest::View
{
protected:
    void SetUp() override
    {
        build("vtkMRMLAnnotationRulerDisplayableManager", "vtkMRMLAnnotationRulerNode");
        rulers = vtkMRMLAnnotationRulerDisplayableManager::SafeDownCast(manager);
    }

    // Places a ruler from (x1, y1) to (x2, y2) in display pixels.
    vtkMRMLAnnotationRulerNode* place(int x1, int y1, int x2, int y2)
    {
        startPlacing(false);
        const size_t before = nodes<vtkMRMLAnnotationRulerNode>().size();
        click(x1, y1);
        click(x2, y2);
        auto all = nodes<vtkMRMLAnnotationRulerNode>();
        EXPECT_EQ(all.size(), before + 1);
        render();
        return all.empty() ? nullptr : all.back();
    }

    vtkAnnotationRulerRepresentation3D* representationOf(vtkMRMLAnnotationRulerNode* node)
    {
        auto* widget = vtkAnnotationRulerWidget::SafeDownCast(manager->GetWidget(node));
        return widget ? vtkAnnotationRulerRepresentation3D::SafeDownCast(widget->GetRepresentation()) : nullptr;
    }

    std::string label(vtkMRMLAnnotationRulerNode* node)
    {
        render();
        vtkAnnotationRulerRepresentation3D* representation = representationOf(node);
        return representation && representation->GetLabelText() ? representation->GetLabelText() : "<none>";
    }

    vtkMRMLAnnotationRulerDisplayableManager* rulers = nullptr;
};

} // namespace

TEST_F(RulerView, TwoClicksPlaceARulerThatShowsItsDistance)
{
    auto feeder = std::make_unique<Gui::ViewFeederAnnotationRuler>();
    rulers->setViewFeederObject(feeder.get());
    startPlacing(false);
    click(200, 200);
    EXPECT_TRUE(nodes<vtkMRMLAnnotationRulerNode>().empty()) << "one click makes no ruler";
    click(280, 200);
    auto all = nodes<vtkMRMLAnnotationRulerNode>();
    ASSERT_EQ(all.size(), 1u);
    vtkMRMLAnnotationRulerNode* ruler = all[0];
    double p[3];
    ruler->GetPositionWorldCoordinates1(p);
    EXPECT_TRUE(near(p, 0, 0, 10));
    ruler->GetPositionWorldCoordinates2(p);
    EXPECT_TRUE(near(p, 20, 0, 10));
    EXPECT_STREQ(ruler->GetName(), "M");
    EXPECT_EQ(interaction->GetCurrentInteractionMode(), vtkMRMLInteractionNode::ViewTransform);
    // The node's own distance format is used for the number.
    EXPECT_EQ(label(ruler), "M :20 mm");
    ASSERT_NE(representationOf(ruler), nullptr);
    EXPECT_EQ(representationOf(ruler)->GetTickPoints()->GetNumberOfPoints(), 2) << "a tick every 10 mm";

    // The feeder got this ruler, and only this one.
    EXPECT_EQ(feeder->getMRMLNode(), ruler);
    EXPECT_EQ(rulers->getViewFeederObject(), nullptr);
    vtkNew<vtkMRMLAnnotationRulerNode> read;
    read->SetPosition1(1, 2, 3);
    read->SetPosition2(4, 5, 6);
    read->Initialize(scene);
    EXPECT_NE(manager->GetWidget(read), nullptr);
    EXPECT_EQ(feeder->getMRMLNode(), ruler);

    // Persistent placing makes a ruler per two clicks; a click for another kind counts not.
    startPlacing(true);
    click(100, 100);
    click(100, 140);
    click(120, 100);
    selection->SetActivePlaceNodeClassName("vtkMRMLAnnotationFiducialNode");
    click(130, 100);
    selection->SetActivePlaceNodeClassName("vtkMRMLAnnotationRulerNode");
    click(120, 180);
    all = nodes<vtkMRMLAnnotationRulerNode>();
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(interaction->GetCurrentInteractionMode(), vtkMRMLInteractionNode::Place);
    all.back()->GetPositionWorldCoordinates2(p);
    EXPECT_TRUE(near(p, -20, -5, 10));
    EXPECT_STRNE(all[2]->GetName(), all[3]->GetName());
}

// Keeps every text VTK prints while it is installed.
class RecordingOutputWindow : public vtkOutputWindow
{
public:
    static RecordingOutputWindow* New();
    vtkTypeMacro(RecordingOutputWindow, vtkOutputWindow);
    void DisplayText(const char* text) override { texts.emplace_back(text ? text : ""); }
    std::vector<std::string> texts;
};
vtkStandardNewMacro(RecordingOutputWindow);

TEST_F(RulerView, PlacingClicksPrintNoObserverWarning)
{
    vtkSmartPointer<vtkOutputWindow> previous = vtkOutputWindow::GetInstance();
    vtkNew<RecordingOutputWindow> printed;
    vtkOutputWindow::SetInstance(printed);

    // A ruler, then a persistent placing that a right click ends while a seed is down.
    startPlacing(false);
    click(200, 200);
    click(280, 260);
    startPlacing(true);
    click(100, 100);
    mouse(vtkCommand::RightButtonPressEvent, 100, 100);
    mouse(vtkCommand::RightButtonReleaseEvent, 100, 100);
    vtkOutputWindow::SetInstance(previous);

    for (const std::string& text : printed->texts)
        ADD_FAILURE() << "printed: " << text;
    auto all = nodes<vtkMRMLAnnotationRulerNode>();
    ASSERT_EQ(all.size(), 1u);
    EXPECT_NE(manager->GetWidget(all[0]), nullptr);
    double p[3];
    all[0]->GetPositionWorldCoordinates2(p);
    EXPECT_TRUE(near(p, 20, 15, 10));
    EXPECT_EQ(interaction->GetCurrentInteractionMode(), vtkMRMLInteractionNode::ViewTransform);
    EXPECT_EQ(manager->GetSeed(0), nullptr) << "the right click took the seed away";
}

TEST_F(RulerView, HostileNamesAndFormatsNeverReachPrintf)
{
    vtkMRMLAnnotationRulerNode* ruler = place(200, 200, 240, 200);
    ASSERT_NE(ruler, nullptr);
    ruler->SetName("50%s %n");
    EXPECT_EQ(label(ruler), "50%s %n :10 mm");

    {
        AnnotationTest::Messages messages(manager);
        ruler->SetDistanceAnnotationFormat("%s%s %n");
        EXPECT_EQ(label(ruler), "50%s %n :10.0   mm");
        EXPECT_TRUE(messages.hasWarning("is refused: %s%s %n")) << messages.all();
    }
    ruler->SetDistanceAnnotationFormat("%.2f mm");
    EXPECT_EQ(label(ruler), "50%s %n :10.00 mm");

    // A format set on the widget directly is checked as well.
    vtkAnnotationRulerRepresentation3D* representation = representationOf(ruler);
    {
        AnnotationTest::Messages messages(representation);
        representation->SetLabelFormat("%s");
        representation->Modified();
        render();
        EXPECT_STREQ(representation->GetLabelText(), "10");
        EXPECT_TRUE(messages.hasWarning("label format refused")) << messages.all();
    }
}

TEST_F(RulerView, TheDistanceIsShownInTheScenesLengthUnit)
{
    vtkMRMLAnnotationRulerNode* ruler = place(200, 200, 240, 200);
    ASSERT_NE(ruler, nullptr);
    vtkNew<vtkMRMLUnitNode> unit;
    unit->SetQuantity("length");
    unit->SetSuffix("cm");
    unit->SetPrecision(2);
    unit->SetDisplayCoefficient(0.1);
    scene->AddNode(unit);
    selection->SetUnitNodeID("length", unit->GetID());
    EXPECT_EQ(rulers->GetLabelFormat(ruler), "M :%.2f cm");
    EXPECT_EQ(label(ruler), "M :1.00 cm");
    // Ticks fall every 10 scene units, whatever the unit shows.
    EXPECT_EQ(representationOf(ruler)->GetTickPoints()->GetNumberOfPoints(), 1);

    selection->SetUnitNodeID("length", nullptr);
    EXPECT_EQ(label(ruler), "M :10 mm");
    ruler->SetName(nullptr);
    EXPECT_EQ(rulers->GetLabelFormat(ruler), "%.0f mm");
    EXPECT_EQ(rulers->GetLabelFormat(nullptr), "");
}

TEST_F(RulerView, DraggingAHandleMovesTheNodeWithOneUndoStateAndOneSceneEvent)
{
    vtkMRMLAnnotationRulerNode* ruler = place(200, 200, 280, 200);
    ASSERT_NE(ruler, nullptr);
    const int levels = scene->GetNumberOfUndoLevels();
    int controlPointEvents = 0;
    const int sceneEvents = AnnotationViewTest::sceneEventsFor(scene, ruler, [&] {
        controlPointEvents = AnnotationTest::countEvents(
            ruler, vtkMRMLAnnotationControlPointsNode::ControlPointModifiedEvent, [&] { drag(280, 200, 280, 240, 8); });
    });
    double p[3];
    ruler->GetPositionWorldCoordinates2(p);
    EXPECT_TRUE(near(p, 20, 10, 10, 1.0));
    ruler->GetPositionWorldCoordinates1(p);
    EXPECT_TRUE(near(p, 0, 0, 10));
    EXPECT_GE(controlPointEvents, 4) << "the node follows the drag, not only its end";
    EXPECT_EQ(sceneEvents, 1) << "the scene hears of the drag once";
    EXPECT_EQ(scene->GetNumberOfUndoLevels(), levels + 1);
    EXPECT_EQ(label(ruler), "M :22 mm");

    ASSERT_TRUE(scene->Undo());
    ruler = nodes<vtkMRMLAnnotationRulerNode>()[0];
    ruler->GetPositionWorldCoordinates2(p);
    EXPECT_TRUE(near(p, 20, 0, 10));
}

TEST_F(RulerView, ANodeChangeRedrawsTheWidgetAndDisplayNodesStyleIt)
{
    vtkMRMLAnnotationRulerNode* ruler = place(200, 200, 240, 200);
    ASSERT_NE(ruler, nullptr);
    ruler->SetPosition2(0, 35, 10);
    vtkAnnotationRulerRepresentation3D* representation = representationOf(ruler);
    double p[3];
    representation->GetPoint2WorldPosition(p);
    EXPECT_TRUE(near(p, 0, 35, 10, 1e-9));
    EXPECT_EQ(label(ruler), "M :35 mm");

    vtkMRMLAnnotationLineDisplayNode* line = ruler->GetAnnotationLineDisplayNode();
    ASSERT_NE(line, nullptr);
    line->SetTickSpacing(1);
    line->SetMaxTicks(5);
    label(ruler);
    EXPECT_EQ(representation->GetTickPoints()->GetNumberOfPoints(), 5);
    line->SetColor(0.25, 0.5, 0.75);
    EXPECT_DOUBLE_EQ(representation->GetLineProperty()->GetColor()[2], 0.75);

    vtkMRMLAnnotationTextDisplayNode* text = ruler->GetAnnotationTextDisplayNode();
    ASSERT_NE(text, nullptr);
    text->SetTextScale(12.9);
    EXPECT_DOUBLE_EQ(representation->GetLabelScale()[1], 12.9);
    text->SetVisibility(0);
    EXPECT_DOUBLE_EQ(representation->GetLabelProperty()->GetOpacity(), 0.0);
}

TEST_F(RulerView, ChangesObserversMakeWhileTheWidgetIsWrittenAreNotFedBack)
{
    vtkMRMLAnnotationRulerNode* ruler = place(200, 200, 240, 200);
    ASSERT_NE(ruler, nullptr);
    vtkAbstractWidget* widget = manager->GetWidget(ruler);
    const int alone = AnnotationTest::countEvents(widget, vtkCommand::ModifiedEvent, [&] { ruler->Modified(); });
    ASSERT_GE(alone, 2);

    // At the widget's last change of a propagation (after the nested position update has
    // returned), an observer changes the display node: the manager is still writing, so
    // the change must not start another propagation.
    struct Data
    {
        int seen;
        int trigger;
        vtkMRMLAnnotationLineDisplayNode* line;
    } data{0, alone, ruler->GetAnnotationLineDisplayNode()};
    vtkNew<vtkCallbackCommand> command;
    command->SetClientData(&data);
    command->SetCallback([](vtkObject*, unsigned long, void* client, void*) {
        auto* d = static_cast<Data*>(client);
        if (++d->seen == d->trigger)
            d->line->SetLineThickness(7);
    });
    widget->AddObserver(vtkCommand::ModifiedEvent, command);
    const int withChange = AnnotationTest::countEvents(widget, vtkCommand::ModifiedEvent, [&] { ruler->Modified(); });
    widget->RemoveObserver(command);
    EXPECT_EQ(data.line->GetLineThickness(), 7);
    EXPECT_EQ(withChange, alone) << "the display change made inside was not propagated again";
}

TEST_F(RulerView, ADraggedRulerIsSavedAndReadBackByteIdentical)
{
    vtkMRMLAnnotationRulerNode* ruler = place(200, 200, 280, 200);
    ASSERT_NE(ruler, nullptr);
    drag(200, 200, 170, 230, 5);
    double p[3];
    ruler->GetPositionWorldCoordinates1(p);
    EXPECT_TRUE(near(p, -7.5, 7.5, 10, 1.0));

    QTemporaryDir dir;
    const std::string first = dir.filePath("ruler.acsv").toStdString();
    vtkNew<vtkMRMLAnnotationRulerStorageNode> storage;
    storage->SetScene(scene);
    storage->SetFileName(first.c_str());
    ASSERT_EQ(storage->WriteData(ruler), 1);

    vtkNew<vtkMRMLScene> other;
    vtkNew<vtkMRMLAnnotationRulerNode> read;
    read->Initialize(other);
    vtkNew<vtkMRMLAnnotationRulerStorageNode> reader;
    reader->SetScene(other);
    reader->SetFileName(first.c_str());
    ASSERT_EQ(reader->ReadData(read), 1);
    double q[3];
    read->GetPosition1(q);
    ruler->GetPosition1(p);
    EXPECT_EQ(q[0], p[0]);
    EXPECT_EQ(q[1], p[1]);
    const std::string written = AnnotationTest::readFile(first);
    ASSERT_EQ(reader->WriteData(read), 1);
    EXPECT_EQ(AnnotationTest::readFile(first), written);
}

TEST(RulerRepresentation, TicksAndShownDistance)
{
    vtkNew<vtkAnnotationRulerRepresentation3D> ruler;
    ruler->InstantiateHandleRepresentation();
    double a[3] = {0, 0, 0}, b[3] = {70, 0, 0};
    ruler->SetPoint1WorldPosition(a);
    ruler->SetPoint2WorldPosition(b);
    ruler->SetLabelFormat("%.1f");
    ruler->RulerModeOn();
    ruler->SetRulerDistance(10);
    ruler->SetDistance(35);
    ruler->BuildRepresentation();
    EXPECT_STREQ(ruler->GetLabelText(), "35.0");
    vtkPoints* ticks = ruler->GetTickPoints();
    ASSERT_EQ(ticks->GetNumberOfPoints(), 3);
    EXPECT_NEAR(ticks->GetPoint(0)[0], 20, 1e-9) << "10 of 35 shown units along a 70 long line";
    EXPECT_NEAR(ticks->GetPoint(2)[0], 60, 1e-9);

    ruler->SetRulerDistance(0);
    ruler->BuildRepresentation();
    ASSERT_EQ(ticks->GetNumberOfPoints(), 1);
    EXPECT_EQ(ticks->GetPoint(0)[0], 0);

    ruler->SetRulerDistance(0.001);
    ruler->SetDistance(1000);
    ruler->Modified();
    ruler->BuildRepresentation();
    EXPECT_EQ(ticks->GetNumberOfPoints(), 99);
    ruler->SetRulerDistance(1e-300);
    ruler->BuildRepresentation();
    EXPECT_EQ(ticks->GetNumberOfPoints(), 99) << "a tiny spacing does not overflow the count";

    ruler->SetDistance(0);
    ruler->Modified();
    ruler->BuildRepresentation();
    EXPECT_STREQ(ruler->GetLabelText(), "70.0");

    // The label follows the handles when its position is set again.
    ruler->SetLabelPosition(0.5);
    EXPECT_NEAR(ruler->GetLabelFollower()->GetPosition()[0] - ruler->GetLabelFollower()->GetPosition()[1], 35, 1e-9);

    vtkNew<vtkAnnotationRulerWidget> widget;
    widget->CreateDefaultRepresentation();
    EXPECT_TRUE(vtkAnnotationRulerRepresentation::SafeDownCast(widget->GetRepresentation()));
    AnnotationTest::Messages messages(widget);
    widget->SetIs2DWidget(0);
    EXPECT_EQ(widget->GetIs2DWidget(), 1);
    EXPECT_TRUE(messages.hasError("SetIs2DWidget: Setting Is2DWidget after a representation has been built is a no-op !"));
}
