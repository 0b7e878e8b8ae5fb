#include "AnnotationTestHelpers.h"
#include "support/StepCount.h"
#include "support/ThreadCpuTimer.h"
#include "support/WorkCount.h"

#include <vtkMRMLAnnotationBidimensionalNode.h>
#include <vtkMRMLAnnotationFiducialNode.h>
#include <vtkMRMLAnnotationLineDisplayNode.h>
#include <vtkMRMLAnnotationLinesNode.h>
#include <vtkMRMLAnnotationPointDisplayNode.h>
#include <vtkMRMLAnnotationROINode.h>
#include <vtkMRMLAnnotationRulerNode.h>
#include <vtkMRMLAnnotationStorageNode.h>
#include <vtkMRMLAnnotationTextDisplayNode.h>
#include <vtkMRMLAnnotationTextNode.h>

#include <mrml/vtkMRMLScene.h>
#include <mrml/vtkMRMLTransformNode.h>

#include <vtkDataArray.h>
#include <vtkMatrix4x4.h>
#include <vtkNew.h>
#include <vtkPlanes.h>
#include <vtkPoints.h>
#include <vtkSmartPointer.h>
#include <vtkSphericalTransform.h>
#include <vtkTransform.h>
#include <vtkMath.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

using namespace AnnotationTest;


TEST(AnnotationNode, TextsKeepTheirFlagsInStepWithTheList)
{
    vtkNew<vtkMRMLAnnotationNode> node;
    EXPECT_EQ(node->GetNumberOfTexts(), 0);
    EXPECT_EQ(node->AddText("first", 1, 0), 0);
    EXPECT_EQ(node->AddText("second", 0, 1), 1);
    EXPECT_EQ(node->GetText(1), "second");
    EXPECT_EQ(node->GetText(5), "");
    EXPECT_EQ(node->GetAnnotationAttribute(0, vtkMRMLAnnotationNode::TEXT_SELECTED), 1);
    EXPECT_EQ(node->GetAnnotationAttribute(0, vtkMRMLAnnotationNode::TEXT_VISIBLE), 0);

    // Setting past the end grows the list with empty entries and flags for each.
    node->SetText(5, "sixth", 1, 1);
    EXPECT_EQ(node->GetNumberOfTexts(), 6);
    EXPECT_EQ(node->GetText(3), "");
    EXPECT_EQ(node->GetAnnotationAttributes(vtkMRMLAnnotationNode::TEXT_VISIBLE)->GetNumberOfTuples(), 6);

    EXPECT_EQ(node->DeleteText(0), 1);
    EXPECT_EQ(node->GetText(0), "second");
    EXPECT_EQ(node->GetAnnotationAttributes(vtkMRMLAnnotationNode::TEXT_SELECTED)->GetNumberOfTuples(), 5);
    EXPECT_EQ(node->DeleteText(-1), -1);

    // An empty text into an empty list changes nothing.
    vtkNew<vtkMRMLAnnotationNode> empty;
    empty->SetText(0, "", 1, 1);
    EXPECT_EQ(empty->GetNumberOfTexts(), 0);
    Messages messages(empty);
    empty->SetText(-1, "x", 1, 1);
    EXPECT_TRUE(messages.hasError("Invalid ID"));
}

TEST(AnnotationNode, LockEventOnlyOnChange)
{
    vtkNew<vtkMRMLAnnotationNode> node;
    EXPECT_EQ(countEvents(node, vtkMRMLAnnotationNode::LockModifiedEvent, [&] { node->SetLocked(0); }), 0);
    EXPECT_EQ(countEvents(node, vtkMRMLAnnotationNode::LockModifiedEvent, [&] { node->SetLocked(1); }), 1);
    EXPECT_EQ(node->GetLocked(), 1);
}

TEST(AnnotationNode, SceneAttributesRoundTripTextsWithBarsAndLineBreaks)
{
    vtkNew<vtkMRMLAnnotationNode> node;
    node->AddText("a|b", 1, 0);
    node->AddText("two\nlines", 0, 1);
    node->AddText("back\\slash", 1, 1);
    node->SetLocked(1);
    node->SetReferenceNodeID("vtkMRMLModelNode3");
    EXPECT_EQ(attribute(node, "locked"), "1");
    EXPECT_EQ(attribute(node, "textSelected"), "1 0 1");

    vtkNew<vtkMRMLAnnotationNode> back;
    xmlRoundTrip(node, back);
    ASSERT_EQ(back->GetNumberOfTexts(), 3);
    EXPECT_EQ(back->GetText(0), "a|b");
    EXPECT_EQ(back->GetText(1), "two\nlines");
    EXPECT_EQ(back->GetText(2), "back\\slash");
    EXPECT_EQ(back->GetAnnotationAttribute(0, vtkMRMLAnnotationNode::TEXT_VISIBLE), 0);
    EXPECT_EQ(back->GetAnnotationAttribute(1, vtkMRMLAnnotationNode::TEXT_SELECTED), 0);
    EXPECT_EQ(back->GetLocked(), 1);
    EXPECT_STREQ(back->GetReferenceNodeID(), "vtkMRMLModelNode3");

    // Plain texts are written as they are.
    vtkNew<vtkMRMLAnnotationNode> plain;
    plain->AddText("hello", 1, 1);
    plain->AddText("world", 1, 1);
    EXPECT_EQ(attribute(plain, "textList"), "hello|world");
    EXPECT_EQ(attribute(vtkNew<vtkMRMLAnnotationNode>().GetPointer(), "referenceNodeID"), "None");
}

TEST(AnnotationNode, LockedOutOfRangeReadsAsUnlocked)
{
    vtkNew<vtkMRMLAnnotationNode> node;
    readAttributes(node, {{"locked", "1e300"}});
    EXPECT_EQ(node->GetLocked(), 0);
    readAttributes(node, {{"locked", "nan"}});
    EXPECT_EQ(node->GetLocked(), 0);
    readAttributes(node, {{"locked", "1.7"}});
    EXPECT_EQ(node->GetLocked(), 1);
}

TEST(AnnotationNode, InitializeCreatesDisplayNodesAndDefaultStorage)
{
    vtkNew<vtkMRMLScene> scene;
    vtkNew<vtkMRMLAnnotationRulerNode> ruler;
    ruler->Initialize(scene);
    EXPECT_TRUE(scene->IsNodePresent(ruler));
    EXPECT_NE(ruler->GetAnnotationTextDisplayNode(), nullptr);
    EXPECT_NE(ruler->GetAnnotationPointDisplayNode(), nullptr);
    EXPECT_NE(ruler->GetAnnotationLineDisplayNode(), nullptr);
    auto storage = vtkSmartPointer<vtkMRMLStorageNode>::Take(ruler->CreateDefaultStorageNode());
    ASSERT_NE(storage, nullptr);
    EXPECT_STREQ(storage->GetClassName(), "vtkMRMLAnnotationRulerStorageNode");

    vtkNew<vtkMRMLAnnotationNode> orphan;
    Messages messages(orphan);
    EXPECT_EQ(orphan->CreateDefaultStorageNode(), nullptr);
    EXPECT_TRUE(messages.hasError("CreateDefaultStorageNode failed: scene is invalid"));
}

TEST(AnnotationNode, BackupRestoresTexts)
{
    vtkNew<vtkMRMLAnnotationNode> node;
    Messages messages(node);
    node->RestoreBackup();
    EXPECT_TRUE(messages.hasError("RestoreBackup - could not get the attached backup"));
    node->AddText("before", 1, 1);
    node->CreateBackup();
    node->SetText(0, "after", 1, 1);
    node->RestoreBackup();
    EXPECT_EQ(node->GetText(0), "before");
}

TEST(ControlPointsNode, SamePositionStillAppliesNewFlags)
{
    vtkNew<vtkMRMLAnnotationControlPointsNode> node;
    const double p[3] = {1, 2, 3};
    EXPECT_EQ(node->AddControlPoint(p, 0, 1), 0);
    const double near[3] = {1 + 1e-8, 2, 3};
    EXPECT_EQ(node->SetControlPoint(0, near, 1, 0), 1);
    EXPECT_EQ(node->GetAnnotationAttribute(0, vtkMRMLAnnotationControlPointsNode::CP_SELECTED), 1);
    EXPECT_EQ(node->GetAnnotationAttribute(0, vtkMRMLAnnotationControlPointsNode::CP_VISIBLE), 0);
    EXPECT_DOUBLE_EQ(node->GetControlPointCoordinates(0)[0], 1.0);

    // The same position and flags fire no event.
    EXPECT_EQ(countEvents(node, vtkMRMLAnnotationControlPointsNode::ControlPointModifiedEvent,
                          [&] { node->SetControlPoint(0, near, 1, 0); }),
              0);
    Messages messages(node);
    EXPECT_EQ(node->SetControlPoint(-1, p, 1, 1), 0);
    EXPECT_TRUE(messages.hasError("Invalid ID"));
    node->DeleteControlPoint(1);
    EXPECT_TRUE(messages.hasError("id is out of range !"));
    node->DeleteControlPoint(0);
    EXPECT_EQ(node->GetNumberOfControlPoints(), 0);
}

TEST(ControlPointsNode, BatchedChangesSendOneControlPointEventBeforeTheModifiedEvent)
{
    vtkNew<vtkMRMLAnnotationControlPointsNode> node;
    std::vector<unsigned long> order;
    auto cmd = vtkSmartPointer<vtkCallbackCommand>::New();
    cmd->SetClientData(&order);
    cmd->SetCallback([](vtkObject*, unsigned long event, void* client, void*) {
        static_cast<std::vector<unsigned long>*>(client)->push_back(event);
    });
    node->AddObserver(vtkCommand::ModifiedEvent, cmd);
    node->AddObserver(vtkMRMLAnnotationControlPointsNode::ControlPointModifiedEvent, cmd);

    const int wasDisabled = node->StartModify();
    const double p[3] = {1, 2, 3};
    const double q[3] = {4, 5, 6};
    node->AddControlPoint(p, 0, 1);
    node->AddControlPoint(q, 0, 1);
    EXPECT_TRUE(order.empty());
    node->EndModify(wasDisabled);
    const std::vector<unsigned long> expected{
        vtkMRMLAnnotationControlPointsNode::ControlPointModifiedEvent, vtkCommand::ModifiedEvent};
    EXPECT_EQ(order, expected);

    // Nothing pending: nothing sent.
    order.clear();
    EXPECT_EQ(node->InvokePendingModifiedEvent(), 0);
    EXPECT_TRUE(order.empty());
}

TEST(ControlPointsNode, SceneAttributesKeepFullPrecision)
{
    vtkNew<vtkMRMLAnnotationControlPointsNode> node;
    const double a[3] = {0.1, 1.0 / 3.0, -123456.789012345};
    const double b[3] = {1e-310, 4, 5};
    node->AddControlPoint(a, 1, 0);
    node->AddControlPoint(b, 0, 1);
    node->SetNumberingScheme(vtkMRMLAnnotationControlPointsNode::UseIndex);
    vtkNew<vtkMRMLAnnotationControlPointsNode> back;
    xmlRoundTrip(node, back);
    ASSERT_EQ(back->GetNumberOfControlPoints(), 2);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(back->GetControlPointCoordinates(0)[k], a[k]);
        EXPECT_EQ(back->GetControlPointCoordinates(1)[k], b[k]);
    }
    EXPECT_EQ(back->GetAnnotationAttribute(0, vtkMRMLAnnotationControlPointsNode::CP_SELECTED), 1);
    EXPECT_EQ(back->GetAnnotationAttribute(1, vtkMRMLAnnotationControlPointsNode::CP_VISIBLE), 1);
    EXPECT_EQ(back->GetAnnotationAttribute(0, vtkMRMLAnnotationControlPointsNode::CP_VISIBLE), 0);
    EXPECT_EQ(back->GetNumberingScheme(), 1);
    EXPECT_STREQ(back->GetNumberingSchemeAsString(), "UseIndex");

    Messages messages(back);
    back->SetNumberingSchemeFromString("useid");
    EXPECT_TRUE(messages.hasError("Invalid numbering scheme string: useid"));
    EXPECT_EQ(back->GetNumberingScheme(), 1);
}

TEST(LinesNode, AddSetDeleteAndEndPoints)
{
    vtkNew<vtkMRMLAnnotationLinesNode> node;
    for (int i = 0; i < 4; ++i) {
        const double p[3] = {double(i), 0, 0};
        node->AddControlPoint(p, 0, 1);
    }
    EXPECT_EQ(node->GetNumberOfLines(), 0);
    EXPECT_EQ(node->AddLine(0, 1, 1, 1), 0);
    EXPECT_EQ(node->AddLine(0, 1, 0, 0), 0);
    EXPECT_EQ(node->GetAnnotationAttribute(0, vtkMRMLAnnotationLinesNode::LINE_SELECTED), 0);
    EXPECT_EQ(node->AddLine(1, 0, 1, 1), 1);
    EXPECT_EQ(node->SetLine(4, 2, 3, 1, 1), 1);
    EXPECT_EQ(node->GetNumberOfLines(), 5);

    Messages messages(node);
    vtkIdType ids[2];
    EXPECT_EQ(node->GetEndPointsId(2, ids), 0); // an empty filler cell
    EXPECT_TRUE(messages.hasError("not correctly defined"));
    EXPECT_EQ(node->GetEndPointsId(-1, ids), 0);
    EXPECT_TRUE(messages.hasError("id is out of range"));
    EXPECT_EQ(node->GetEndPointsId(4, ids), 1);
    EXPECT_EQ(ids[0], 2);
    EXPECT_EQ(ids[1], 3);
    EXPECT_EQ(node->SetLine(0, 0, 9, 1, 1), 0);
    EXPECT_TRUE(messages.hasError("At least one control point does not exists"));
}

namespace {

// A lines node on 200 control points.
vtkSmartPointer<vtkMRMLAnnotationLinesNode> linesNodeOn200Points()
{
    auto node = vtkSmartPointer<vtkMRMLAnnotationLinesNode>::New();
    for (int i = 0; i < 200; ++i) {
        const double p[3] = {double(i), 0, 0};
        node->AddControlPoint(p, 0, 1);
    }
    return node;
}

// The allocations, and the line cells and look-up entries read, of adding n different
// lines, then each of them again.
struct LinesWork
{
    PelmoraTest::Work work;
    std::uint64_t entries = 0;
};
LinesWork addLinesTwice(vtkMRMLAnnotationLinesNode* node, int n)
{
    PelmoraTest::WorkMeter meter;
    PelmoraTest::StepMeter entries(&vtkMRMLAnnotationLinesNode::GetLineEntriesVisited);
    for (int round = 0; round < 2; ++round)
        for (int i = 0; i < n; ++i)
            EXPECT_EQ(node->AddLine(i % 200, (i / 200 + i % 200 + 1) % 200, round, 1), i);
    return {meter.elapsed(), entries.elapsed()};
}

} // namespace

TEST(LinesNode, ManyLinesAddInTimeProportionalToTheirNumberAndEditsStayFound)
{
    // Scanning every line per addition, or rebuilding the lookup of lines per addition,
    // took half a minute for 30,000 lines; counted in lines read (which sees a scan that
    // allocates nothing) and in allocations, four times the lines cost about four times
    // as much.  A look-up walking every line fails here.
    const int n = 30000;
    const LinesWork quarterLines = addLinesTwice(linesNodeOn200Points(), n / 4);
    vtkSmartPointer<vtkMRMLAnnotationLinesNode> node = linesNodeOn200Points();
    const LinesWork wholeLines = addLinesTwice(node, n);
    EXPECT_TRUE(PelmoraTest::stepsGrowAtMost(quarterLines.entries, wholeLines.entries, 4.5)) << "lines read";
    const PelmoraTest::Work& quarter = quarterLines.work;
    const PelmoraTest::Work& whole = wholeLines.work;
    std::printf("adding %d lines twice: %s; %d lines: %s\n", n / 4, PelmoraTest::describe(quarter).c_str(), n,
                PelmoraTest::describe(whole).c_str());
    if (PelmoraTest::workCounted()) {
        EXPECT_LE(double(whole.allocations), 4.5 * double(quarter.allocations) + 100)
            << PelmoraTest::describe(quarter) << " for " << n / 4 << ", " << PelmoraTest::describe(whole) << " for " << n;
        EXPECT_LE(double(whole.bytes), 4.5 * double(quarter.bytes) + 65536)
            << PelmoraTest::describe(quarter) << " for " << n / 4 << ", " << PelmoraTest::describe(whole) << " for " << n;
    }
    EXPECT_EQ(node->GetNumberOfLines(), n);
    EXPECT_EQ(node->GetAnnotationAttribute(n - 1, vtkMRMLAnnotationLinesNode::LINE_SELECTED), 1);

    // Lines changed, moved or removed otherwise are found where they now are.
    EXPECT_EQ(node->SetLine(0, 7, 7, 1, 1), 1);
    EXPECT_EQ(node->AddLine(7, 7, 1, 1), 0);
    EXPECT_EQ(node->AddLine(0, 1, 1, 1), n) << "line 0 no longer joins 0 and 1";
    node->DeleteLine(0);
    EXPECT_EQ(node->AddLine(7, 7, 1, 1), n) << "appended anew after its removal";
    EXPECT_EQ(node->AddLine(0, 1, 1, 1), n - 1);
    vtkIdType ids[2];
    ASSERT_EQ(node->GetEndPointsId(0, ids), 1);
    EXPECT_EQ(node->AddLine(int(ids[0]), int(ids[1]), 0, 0), 0);
}

TEST(LinesNode, DeleteLineShiftsLinesAndFlags)
{
    vtkNew<vtkMRMLAnnotationLinesNode> node;
    for (int i = 0; i < 4; ++i) {
        const double p[3] = {double(i), 0, 0};
        node->AddControlPoint(p, 0, 1);
    }
    node->AddLine(0, 1, 1, 1);
    node->AddLine(1, 2, 0, 1);
    node->AddLine(2, 3, 1, 0);
    node->DeleteLine(0);
    ASSERT_EQ(node->GetNumberOfLines(), 2);
    vtkIdType ids[2];
    node->GetEndPointsId(0, ids);
    EXPECT_EQ(ids[0], 1);
    EXPECT_EQ(node->GetAnnotationAttribute(0, vtkMRMLAnnotationLinesNode::LINE_SELECTED), 0);
    EXPECT_EQ(node->GetAnnotationAttribute(1, vtkMRMLAnnotationLinesNode::LINE_VISIBLE), 0);

    vtkNew<vtkMRMLAnnotationLinesNode> back;
    xmlRoundTrip(node, back);
    EXPECT_EQ(attribute(node, "linePtsID"), "1 2|2 3");
    ASSERT_EQ(back->GetNumberOfLines(), 2);
    back->GetEndPointsId(1, ids);
    EXPECT_EQ(ids[0], 2);
    EXPECT_EQ(ids[1], 3);
    EXPECT_EQ(back->GetAnnotationAttribute(1, vtkMRMLAnnotationLinesNode::LINE_SELECTED), 1);
    EXPECT_EQ(back->GetAnnotationAttribute(1, vtkMRMLAnnotationLinesNode::LINE_VISIBLE), 0);
}

TEST(LinesNode, CopiedRestoredOrUnreadLinesAreKeptByTheNextLine)
{
    const auto linesOf = [](vtkMRMLAnnotationLinesNode* node) {
        std::string text;
        for (int i = 0; i < node->GetNumberOfLines(); ++i) {
            vtkIdType ids[2] = {-1, -1};
            if (node->GetEndPointsId(i, ids))
                text += "[" + std::to_string(ids[0]) + "-" + std::to_string(ids[1]) + "]";
            else
                text += "[empty]";
        }
        return text;
    };
    vtkNew<vtkMRMLScene> scene;
    // Four points on a line, lines [0-1][1-2].
    const auto twoLines = [&scene] {
        auto node = vtkSmartPointer<vtkMRMLAnnotationLinesNode>::New();
        node->Initialize(scene);
        for (int i = 0; i < 4; ++i) {
            const double p[3] = {double(i), 0, 0};
            node->AddControlPoint(p, 0, 1);
        }
        node->AddLine(0, 1, 1, 1);
        node->AddLine(1, 2, 1, 1);
        return node;
    };

    auto node = twoLines();
    vtkNew<vtkMRMLAnnotationLinesNode> copy;
    copy->Copy(node);
    EXPECT_EQ(copy->AddLine(2, 3, 1, 1), 2);
    EXPECT_EQ(linesOf(copy), "[0-1][1-2][2-3]");
    EXPECT_EQ(copy->SetLine(0, 3, 0, 1, 1), 1);
    EXPECT_EQ(linesOf(copy), "[3-0][1-2][2-3]");
    EXPECT_EQ(linesOf(node), "[0-1][1-2]") << "the copy's lines are its own";

    node->CreateBackup();
    node->AddLine(0, 2, 1, 1);
    node->RestoreBackup();
    EXPECT_EQ(node->AddLine(2, 3, 1, 1), 2);
    EXPECT_EQ(linesOf(node), "[0-1][1-2][2-3]");

    // A read that fails puts the lines back, and they stay when the next one comes.
    auto unread = twoLines();
    auto storage = vtkSmartPointer<vtkMRMLStorageNode>::Take(unread->CreateDefaultStorageNode());
    QTemporaryDir dir;
    const std::string file = dir.filePath("lines.acsv").toStdString();
    writeFile(file, "# Annotation file lines.acsv\n"
                    "# lineColumns = type|startPointID|endPointID|sel|vis\n"
                    "line|0|9|1|1\n");
    storage->SetScene(scene);
    storage->SetFileName(file.c_str());
    Messages failed(storage);
    EXPECT_EQ(storage->ReadData(unread), 0);
    EXPECT_TRUE(failed.hasError("could not be read")) << failed.all();
    EXPECT_EQ(unread->AddLine(2, 3, 1, 1), 2);
    EXPECT_EQ(linesOf(unread), "[0-1][1-2][2-3]");
}

TEST(RulerNode, DistanceLineAndThirdPoint)
{
    vtkNew<vtkMRMLAnnotationRulerNode> ruler;
    EXPECT_STREQ(ruler->GetDistanceAnnotationFormat(), "%.0f mm");
    ruler->SetPosition1(0, 0, 0);
    EXPECT_EQ(ruler->GetNumberOfLines(), 0);
    ruler->SetPosition2(3, 4, 0);
    EXPECT_EQ(ruler->GetNumberOfLines(), 1);
    EXPECT_DOUBLE_EQ(ruler->GetDistanceMeasurement(), 5.0);

    Messages messages(ruler);
    const double p[3] = {9, 9, 9};
    EXPECT_EQ(ruler->AddControlPoint(p, 1, 1), -1);
    EXPECT_EQ(ruler->GetNumberOfControlPoints(), 2);
    EXPECT_EQ(ruler->SetRuler(0, 1, 1), 1);
    EXPECT_EQ(ruler->SetRuler(3, 1, 1), -1);
    EXPECT_TRUE(messages.hasError("Not valid line definition!"));

    ruler->SetModelID1("vtkMRMLModelNode1");
    vtkNew<vtkMRMLAnnotationRulerNode> back;
    readAttributes(back, [&] {
        auto atts = writtenAttributes(ruler);
        for (auto& a : atts)
            if (a.first == "distanceMeasurement")
                a.second = "99"; // ignored: the distance always follows the points
        return atts;
    }());
    EXPECT_DOUBLE_EQ(back->GetDistanceMeasurement(), 5.0);
    EXPECT_STREQ(back->GetModelID1(), "vtkMRMLModelNode1");
    EXPECT_EQ(back->GetModelID2(), nullptr);
    EXPECT_EQ(attribute(back, "distanceMeasurement"), "5");
}

TEST(RulerNode, ParentTransformScalesTheMeasurement)
{
    vtkNew<vtkMRMLScene> scene;
    vtkNew<vtkMRMLTransformNode> transform;
    scene->AddNode(transform);
    vtkNew<vtkMatrix4x4> scale;
    scale->SetElement(0, 0, 2);
    scale->SetElement(1, 1, 2);
    scale->SetElement(2, 2, 2);
    transform->SetMatrixTransformToParent(scale);
    vtkNew<vtkMRMLAnnotationRulerNode> ruler;
    scene->AddNode(ruler);
    ruler->SetPosition1(0, 0, 0);
    ruler->SetPosition2(3, 4, 0);
    ruler->SetAndObserveTransformNodeID(transform->GetID());
    EXPECT_DOUBLE_EQ(ruler->GetDistanceMeasurement(), 10.0);
    EXPECT_DOUBLE_EQ(ruler->GetPosition2()[0], 3.0);
}

TEST(RulerNode, AnyTransformMovesBothEndsAndTheLineFollows)
{
    vtkNew<vtkMRMLAnnotationRulerNode> ruler;
    vtkNew<vtkTransform> shift;
    shift->Translate(1, 2, 3);
    // One end only: it moves, and no line or second end appears.
    ruler->SetPosition1(0, 0, 0);
    ruler->ApplyTransform(shift);
    EXPECT_EQ(ruler->GetNumberOfControlPoints(), 1);
    EXPECT_EQ(ruler->GetNumberOfLines(), 0);
    EXPECT_DOUBLE_EQ(ruler->GetPosition1()[2], 3.0);

    ruler->SetPosition2(4, 6, 3);
    ruler->ApplyTransform(shift);
    EXPECT_DOUBLE_EQ(ruler->GetPosition1()[0], 2.0);
    EXPECT_DOUBLE_EQ(ruler->GetPosition2()[1], 8.0);
    EXPECT_DOUBLE_EQ(ruler->GetDistanceMeasurement(), 5.0);

    // A transform that is not linear: spherical (r, phi, theta) to Cartesian.
    ruler->SetPosition1(2, 0, 0);
    ruler->SetPosition2(2, vtkMath::Pi() / 2, 0);
    vtkNew<vtkSphericalTransform> spherical;
    ruler->ApplyTransform(spherical);
    EXPECT_NEAR(ruler->GetPosition1()[2], 2.0, 1e-12);
    EXPECT_NEAR(ruler->GetPosition2()[0], 2.0, 1e-12);
    EXPECT_NEAR(ruler->GetPosition2()[2], 0.0, 1e-12);
    EXPECT_NEAR(ruler->GetDistanceMeasurement(), 2.0 * std::sqrt(2.0), 1e-12);
    ASSERT_EQ(ruler->GetNumberOfLines(), 1);
    vtkIdType ids[2];
    ASSERT_EQ(ruler->GetEndPointsId(0, ids), 1);
    EXPECT_EQ(ids[1], 1);
    EXPECT_EQ(ruler->GetAnnotationAttribute(1, vtkMRMLAnnotationControlPointsNode::CP_SELECTED), 1);
    ruler->ApplyTransform(nullptr);
    EXPECT_NEAR(ruler->GetPosition2()[0], 2.0, 1e-12);
}

TEST(ROINode, DefaultsBoundsPlanesAndTransform)
{
    vtkNew<vtkMRMLAnnotationROINode> roi;
    double b[6];
    roi->GetBounds(b);
    EXPECT_DOUBLE_EQ(b[0], -10);
    EXPECT_DOUBLE_EQ(b[5], 10);
    EXPECT_EQ(roi->GetNumberOfLines(), 1);
    EXPECT_STREQ(roi->GetLabelText(), "");

    vtkNew<vtkPlanes> planes;
    roi->GetTransformedPlanes(planes);
    double n[3];
    planes->GetNormals()->GetTuple(0, n);
    EXPECT_DOUBLE_EQ(n[0], -1);
    planes->GetNormals()->GetTuple(3, n);
    EXPECT_DOUBLE_EQ(n[0], 1);
    roi->InsideOutOn();
    roi->GetTransformedPlanes(planes);
    planes->GetNormals()->GetTuple(0, n);
    EXPECT_DOUBLE_EQ(n[0], 1);

    vtkNew<vtkMatrix4x4> rot;
    const double c = std::cos(M_PI / 4), s = std::sin(M_PI / 4);
    rot->SetElement(0, 0, c);
    rot->SetElement(0, 1, -s);
    rot->SetElement(1, 0, s);
    rot->SetElement(1, 1, c);
    roi->ApplyTransformMatrix(rot);
    double r[3];
    roi->GetRadiusXYZ(r);
    EXPECT_NEAR(r[0], 10 * std::sqrt(2.0), 1e-9);
    EXPECT_NEAR(r[2], 10, 1e-9);

    Messages messages(roi);
    const double p[3] = {1, 1, 1};
    EXPECT_EQ(roi->AddControlPoint(p, 1, 1), -1);
    EXPECT_TRUE(messages.hasError("cannot have more than 2 control points !"));
}

TEST(ROINode, SceneAttributes)
{
    vtkNew<vtkMRMLAnnotationROINode> roi;
    roi->SetXYZ(1, 2, 3);
    roi->SetRadiusXYZ(4, 5, 6);
    roi->SetVolumeNodeID("vol1");
    roi->InteractiveModeOn();
    EXPECT_EQ(attribute(roi, "insideOut"), "false");
    vtkNew<vtkMRMLAnnotationROINode> back;
    xmlRoundTrip(roi, back);
    double c[3], r[3];
    back->GetXYZ(c);
    back->GetRadiusXYZ(r);
    EXPECT_DOUBLE_EQ(c[2], 3);
    EXPECT_DOUBLE_EQ(r[1], 5);
    EXPECT_EQ(back->GetInteractiveMode(), 1);
    EXPECT_STREQ(back->GetVolumeNodeID(), "vol1");

    vtkNew<vtkMRMLAnnotationROINode> other;
    readAttributes(other, {{"xyz", "1 2"}, {"insideOut", "True"}});
    other->GetXYZ(c);
    EXPECT_DOUBLE_EQ(c[1], 2);
    EXPECT_DOUBLE_EQ(c[2], 0);
    EXPECT_EQ(other->GetInsideOut(), 0);

    vtkNew<vtkMRMLAnnotationROINode> copy;
    copy->SetVolumeNodeID("mine");
    copy->Copy(roi);
    EXPECT_STREQ(copy->GetVolumeNodeID(), "mine");
}

TEST(BidimensionalNode, DefaultsControlPointsAndResolutionNames)
{
    vtkNew<vtkMRMLAnnotationBidimensionalNode> node;
    EXPECT_EQ(node->GetResolution(), 5);
    EXPECT_STREQ(node->GetAnnotationFormat(), "%.1f");
    const double p[3] = {0, 0, 0};
    EXPECT_EQ(node->SetControlPoint(p, 4), 0);
    EXPECT_EQ(node->SetControlPoint(p, -1), 0);
    for (int i = 0; i < 3; ++i) {
        const double q[3] = {double(i), 1, 0};
        node->SetControlPoint(q, i);
    }
    EXPECT_EQ(node->GetNumberOfLines(), 2);
    const double q[3] = {7, 7, 7};
    node->SetControlPoint(q, 3);
    EXPECT_EQ(node->GetNumberOfLines(), 2);

    EXPECT_EQ(attribute(node, "measurement1"), "<absent>");
    node->SetResolution(9);
    node->SetBidimensionalMeasurement(1.5, 2.25);
    vtkNew<vtkMRMLAnnotationBidimensionalNode> back;
    xmlRoundTrip(node, back);
    EXPECT_EQ(back->GetResolution(), 9);
    EXPECT_DOUBLE_EQ(back->GetBidimensionalMeasurement()[1], 2.25);
    readAttributes(back, {{"rulerResolution", "12"}});
    EXPECT_EQ(back->GetResolution(), 12);
}

TEST(FiducialAndTextNodes, Behaviour)
{
    vtkNew<vtkMRMLAnnotationFiducialNode> fiducial;
    double p[3] = {9, 9, 9};
    EXPECT_FALSE(fiducial->GetFiducialCoordinates(p));
    EXPECT_DOUBLE_EQ(p[0], 0);
    fiducial->SetFiducialCoordinates(1, 2, 3);
    EXPECT_TRUE(fiducial->GetFiducialCoordinates(p));
    EXPECT_DOUBLE_EQ(p[2], 3);

    vtkNew<vtkMRMLScene> scene;
    scene->AddNode(fiducial);
    fiducial->SetID("vtkMRMLAnnotationFiducialNode12");
    fiducial->SetNumberingScheme(vtkMRMLAnnotationControlPointsNode::UseIndex);
    vtkMRMLAnnotationFiducialNodeTestAccess::SetTextFromID(fiducial);
    EXPECT_EQ(fiducial->GetFiducialLabel(), "vtkMRMLAnnotationFiducialNode0");
    fiducial->SetNumberingScheme(vtkMRMLAnnotationControlPointsNode::UsePrevious);
    {
        Messages previous(fiducial);
        vtkMRMLAnnotationFiducialNodeTestAccess::SetTextFromID(fiducial);
        EXPECT_TRUE(previous.hasError("UsePrevious is not installed"));
    }
    EXPECT_EQ(fiducial->GetFiducialLabel(), "vtkMRMLAnnotationFiducialNode0");
    fiducial->SetNumberingScheme(vtkMRMLAnnotationControlPointsNode::UseID);
    vtkMRMLAnnotationFiducialNodeTestAccess::SetTextFromID(fiducial);
    EXPECT_EQ(fiducial->GetFiducialLabel(), "vtkMRMLAnnotationFiducialNode12");

    vtkNew<vtkMRMLAnnotationTextNode> text;
    EXPECT_DOUBLE_EQ(text->GetCaptionCoordinates()[0], 0.05);
    EXPECT_EQ(text->SetCaptionCoordinates(1.0, 0.0), 1);
    Messages messages(text);
    EXPECT_EQ(text->SetCaptionCoordinates(-0.1, 2.0), 0);
    EXPECT_TRUE(messages.hasError("x is out of range"));
    EXPECT_FALSE(messages.hasError("y is out of range"));
    EXPECT_EQ(text->SetCaptionCoordinates(0.5, NAN), 0);
}
