#include "MRMLTestHelpers.h"

#include <mrml/vtkMRMLModelNode.h>
#include <mrml/vtkMRMLScene.h>
#include <mrml/vtkMRMLUnitNode.h>

#include <vtkNew.h>

#include <gtest/gtest.h>

#include <string>

TEST(SceneUndo, RemovesWhatWasAddedAndRestoresSavedNodes)
{
    vtkNew<vtkMRMLScene> scene;
    EXPECT_FALSE(scene->Undo());
    vtkMRMLModelNode* kept = MRMLTest::addNode<vtkMRMLModelNode>(scene);
    kept->SetName("kept");

    scene->SaveStateForUndo();
    vtkMRMLModelNode* first = MRMLTest::addNode<vtkMRMLModelNode>(scene);
    vtkMRMLModelNode* second = MRMLTest::addNode<vtkMRMLModelNode>(scene);
    const std::string firstId = first->GetID(), secondId = second->GetID();
    scene->SaveStateForUndo(kept);
    kept->SetName("renamed");
    vtkMRMLModelNode* third = MRMLTest::addNode<vtkMRMLModelNode>(scene);
    const std::string thirdId = third->GetID();
    ASSERT_EQ(scene->GetNumberOfUndoLevels(), 2);

    // The last level: the third node goes and the saved node gets its old state back.
    ASSERT_TRUE(scene->Undo());
    EXPECT_EQ(scene->GetNodeByID(thirdId), nullptr);
    EXPECT_NE(scene->GetNodeByID(secondId), nullptr);
    EXPECT_STREQ(kept->GetName(), "kept");
    EXPECT_EQ(kept->GetID(), std::string(scene->GetNodeByID(kept->GetID())->GetID()));

    ASSERT_TRUE(scene->Undo());
    EXPECT_EQ(scene->GetNodeByID(firstId), nullptr);
    EXPECT_EQ(scene->GetNodeByID(secondId), nullptr);
    EXPECT_EQ(scene->GetNumberOfNodesByClass("vtkMRMLModelNode"), 1);
    EXPECT_FALSE(scene->Undo());

    // The stack keeps its newest levels only.
    for (int i = 0; i < vtkMRMLScene::GetUndoStackLimit() + 5; ++i)
        scene->SaveStateForUndo();
    EXPECT_EQ(scene->GetNumberOfUndoLevels(), vtkMRMLScene::GetUndoStackLimit());
    scene->ClearUndoStack();
    EXPECT_EQ(scene->GetNumberOfUndoLevels(), 0);
}

TEST(UnitNode, FormatsShownValues)
{
    vtkNew<vtkMRMLUnitNode> unit;
    unit->SetQuantity("length");
    unit->SetSuffix("cm");
    unit->SetPrecision(2);
    unit->SetDisplayCoefficient(0.1);
    EXPECT_EQ(unit->GetDisplayStringFormat(), "%.2f cm");
    EXPECT_DOUBLE_EQ(unit->GetDisplayValueFromValue(25.0), 2.5);
    EXPECT_EQ(unit->GetDisplayStringFromValue(25.0), "2.50 cm");
    unit->SetPrefix("100%");
    unit->SetSuffix("");
    unit->SetPrecision(99);
    EXPECT_EQ(unit->GetPrecision(), 15);
    EXPECT_EQ(unit->GetDisplayStringFormat(), "100%%%.15f");

    // The scene creates unit nodes by class, as scene files need.
    vtkNew<vtkMRMLScene> scene;
    vtkSmartPointer<vtkMRMLNode> made =
        vtkSmartPointer<vtkMRMLNode>::Take(scene->CreateNodeByClass("vtkMRMLUnitNode"));
    EXPECT_NE(vtkMRMLUnitNode::SafeDownCast(made), nullptr);
}
