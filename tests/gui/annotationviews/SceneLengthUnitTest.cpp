// The scene's length unit: one unit node per scene, named by the selection node, that
// views hear of whenever it changes, and only then.

#include "../annotations/AnnotationTestHelpers.h"

#include <vtkMRMLAnnotationRulerDisplayableManager.h>
#include <vtkMRMLAnnotationRulerNode.h>

#include <mrml/vtkMRMLScene.h>
#include <mrml/vtkMRMLSelectionNode.h>
#include <mrml/vtkMRMLUnitNode.h>

#include <vtkNew.h>

#include <gtest/gtest.h>

TEST(SceneLengthUnit, OneUnitNodeNamedByTheSelectionAndAnnouncedOnChange)
{
    vtkNew<vtkMRMLScene> scene;
    EXPECT_EQ(vtkMRMLUnitNode::SelectSceneUnit(scene, "length", "m", 3), nullptr) << "no selection node yet";
    EXPECT_EQ(scene->GetNumberOfNodesByClass("vtkMRMLUnitNode"), 0);
    EXPECT_EQ(vtkMRMLUnitNode::SelectSceneUnit(nullptr, "length", "m", 3), nullptr);

    scene->AddNode(vtkNew<vtkMRMLSelectionNode>());
    auto* selection = vtkMRMLSelectionNode::SafeDownCast(scene->GetNodeByID("vtkMRMLSelectionNodeSingleton"));
    ASSERT_NE(selection, nullptr);
    vtkNew<vtkMRMLAnnotationRulerDisplayableManager> rulers;
    rulers->SetMRMLScene(scene);
    vtkNew<vtkMRMLAnnotationRulerNode> ruler;
    ruler->SetName("M");

    vtkMRMLUnitNode* unit = nullptr;
    int events = AnnotationTest::countEvents(selection, vtkMRMLSelectionNode::UnitModifiedEvent, [&] {
        unit = vtkMRMLUnitNode::SelectSceneUnit(scene, "length", "m", 3);
    });
    ASSERT_NE(unit, nullptr);
    EXPECT_EQ(events, 1);
    EXPECT_STREQ(selection->GetUnitNodeID("length"), unit->GetID());
    EXPECT_STREQ(unit->GetQuantity(), "length");
    EXPECT_EQ(rulers->GetLabelFormat(ruler), "M :%.3f m");
    EXPECT_EQ(rulers->ApplyUnit(37.5), 37.5) << "coordinates are shown as they are";

    // The same unit again: nothing to tell.
    events = AnnotationTest::countEvents(selection, vtkMRMLSelectionNode::UnitModifiedEvent, [&] {
        EXPECT_EQ(vtkMRMLUnitNode::SelectSceneUnit(scene, "length", "m", 3), unit);
    });
    EXPECT_EQ(events, 0);

    // Another unit system or number of decimals: the same node, changed, and announced.
    events = AnnotationTest::countEvents(selection, vtkMRMLSelectionNode::UnitModifiedEvent, [&] {
        EXPECT_EQ(vtkMRMLUnitNode::SelectSceneUnit(scene, "length", "mm", 3), unit);
        EXPECT_EQ(vtkMRMLUnitNode::SelectSceneUnit(scene, "length", "mm", 1), unit);
    });
    EXPECT_EQ(events, 2);
    EXPECT_EQ(scene->GetNumberOfNodesByClass("vtkMRMLUnitNode"), 1);
    EXPECT_EQ(rulers->GetLabelFormat(ruler), "M :%.1f mm");

    // A unit whose text holds a percent sign is shown, not taken for a conversion.
    vtkMRMLUnitNode::SelectSceneUnit(scene, "length", "%n", 2);
    EXPECT_EQ(rulers->GetLabelFormat(ruler), "M :%.2f %%n");

    // Someone else's unit node named meanwhile is replaced by the scene's own.
    vtkNew<vtkMRMLUnitNode> other;
    other->SetSuffix("ft");
    scene->AddNode(other);
    selection->SetUnitNodeID("length", other->GetID());
    events = AnnotationTest::countEvents(selection, vtkMRMLSelectionNode::UnitModifiedEvent, [&] {
        vtkMRMLUnitNode::SelectSceneUnit(scene, "length", "%n", 2);
    });
    EXPECT_EQ(events, 1);
    EXPECT_STREQ(selection->GetUnitNodeID("length"), unit->GetID());

    // Closing what the scene shows keeps its unit.
    scene->Clear(0);
    EXPECT_EQ(scene->GetNodeByID(unit->GetID()), unit);
    EXPECT_STREQ(selection->GetUnitNodeID("length"), unit->GetID());

    // Coordinates in metres shown in millimetres: converted, and announced once.
    events = AnnotationTest::countEvents(selection, vtkMRMLSelectionNode::UnitModifiedEvent, [&] {
        EXPECT_EQ(vtkMRMLUnitNode::SelectSceneUnit(scene, "length", "mm", 2, 1000.0), unit);
        EXPECT_EQ(vtkMRMLUnitNode::SelectSceneUnit(scene, "length", "mm", 2, 1000.0), unit);
    });
    EXPECT_EQ(events, 1);
    EXPECT_DOUBLE_EQ(rulers->ApplyUnit(0.0375), 37.5);
}
