// The mouse-mode and viewers toolbars: what the user chooses is written to the scene's
// interaction, selection and crosshair nodes, and what the nodes hold shows in the bars.

#include <visualization/qVizMouseModeToolBar.h>
#include <visualization/qVizViewersToolBar.h>

#include <mrml/vtkMRMLCrosshairNode.h>
#include <mrml/vtkMRMLInteractionNode.h>
#include <mrml/vtkMRMLScene.h>
#include <mrml/vtkMRMLSelectionNode.h>
#include <mrml/vtkVizApplicationLogic.h>

#include <vtkNew.h>

#include <QAction>
#include <QMenu>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

QAction* actionByText(QWidget* owner, const QString& text)
{
    for (QAction* a : owner->findChildren<QAction*>())
        if (a->text() == text)
            return a;
    return nullptr;
}

class MouseModeToolBar : public ::testing::Test
{
protected:
    void SetUp() override
    {
        logic->SetMRMLScene(scene);
        selection = logic->GetSelectionNode();
        interaction = logic->GetInteractionNode();
        ASSERT_NE(selection, nullptr);
        ASSERT_NE(interaction, nullptr);
        selection->AddNewPlaceNodeClassNameToList("vtkMRMLAnnotationFiducialNode", "", "Fiducial");
        selection->AddNewPlaceNodeClassNameToList("vtkMRMLAnnotationRulerNode", "", "Ruler");
        bar.setApplicationLogic(logic);
        bar.setMRMLScene(scene);
        menu = bar.findChild<QMenu*>(QStringLiteral("CreateAndPlaceMenu"));
        ASSERT_NE(menu, nullptr);
    }

    QAction* placeAction(const char* className) const
    {
        for (QAction* a : menu->actions())
            if (a->objectName() == QLatin1String(className))
                return a;
        return nullptr;
    }

    vtkNew<vtkMRMLScene> scene;
    vtkNew<vtkVizApplicationLogic> logic;
    vtkMRMLSelectionNode* selection = nullptr;
    vtkMRMLInteractionNode* interaction = nullptr;
    qVizMouseModeToolBar bar;
    QMenu* menu = nullptr;
};

} // namespace

TEST_F(MouseModeToolBar, PlacingOnceOrPersistentlyAndBackToViewTransform)
{
    EXPECT_TRUE(bar.isEnabled());
    ASSERT_NE(placeAction("vtkMRMLAnnotationFiducialNode"), nullptr);
    ASSERT_NE(placeAction("vtkMRMLAnnotationRulerNode"), nullptr);
    EXPECT_EQ(placeAction("vtkMRMLAnnotationRulerNode")->toolTip(), QString("Use mouse to Create-and-Place Ruler"));

    bar.setPlaceMode(QStringLiteral("vtkMRMLAnnotationRulerNode"));
    EXPECT_EQ(interaction->GetCurrentInteractionMode(), vtkMRMLInteractionNode::Place);
    EXPECT_EQ(interaction->GetPlaceModePersistence(), 0);
    EXPECT_STREQ(selection->GetActivePlaceNodeClassName(), "vtkMRMLAnnotationRulerNode");
    EXPECT_EQ(bar.activeActionText(), QString("Ruler"));
    EXPECT_TRUE(placeAction("vtkMRMLAnnotationRulerNode")->isChecked());

    // The active class chosen again while placing switches placing off.
    bar.setPlaceMode(QStringLiteral("vtkMRMLAnnotationRulerNode"));
    EXPECT_EQ(interaction->GetCurrentInteractionMode(), vtkMRMLInteractionNode::ViewTransform);
    EXPECT_FALSE(placeAction("vtkMRMLAnnotationRulerNode")->isChecked());

    // "Persistent" is kept on the interaction node, and read back from it.
    QAction* persistent = actionByText(&bar, QStringLiteral("Persistent"));
    ASSERT_NE(persistent, nullptr);
    persistent->trigger();
    EXPECT_EQ(interaction->GetPlaceModePersistence(), 1);
    bar.setPlaceMode(QStringLiteral("vtkMRMLAnnotationFiducialNode"));
    EXPECT_EQ(interaction->GetCurrentInteractionMode(), vtkMRMLInteractionNode::Place);
    EXPECT_EQ(interaction->GetPlaceModePersistence(), 1);
    interaction->SetPlaceModePersistence(0);
    EXPECT_FALSE(persistent->isChecked());
}

TEST_F(MouseModeToolBar, FollowsThePlaceClassListAndTheScenesBatches)
{
    selection->RemovePlaceNodeClassNameFromList("vtkMRMLAnnotationRulerNode");
    EXPECT_EQ(placeAction("vtkMRMLAnnotationRulerNode"), nullptr);
    EXPECT_NE(placeAction("vtkMRMLAnnotationFiducialNode"), nullptr);
    EXPECT_NE(actionByText(&bar, QStringLiteral("Persistent")), nullptr);

    selection->SetActivePlaceNodeClassName("vtkMRMLAnnotationFiducialNode");
    EXPECT_EQ(bar.activeActionText(), QString("Fiducial"));

    scene->StartState(vtkMRMLScene::BatchProcessState);
    EXPECT_FALSE(bar.isEnabled());
    scene->EndState(vtkMRMLScene::BatchProcessState);
    EXPECT_TRUE(bar.isEnabled());

    // Without a scene the bar is off.
    bar.setMRMLScene(nullptr);
    EXPECT_FALSE(bar.isEnabled());
}

TEST(ViewersToolBar, CrosshairSettingsReachEveryCrosshairAndComeBackFromTheDefaultOne)
{
    vtkNew<vtkMRMLScene> scene;
    vtkNew<vtkMRMLCrosshairNode> main, other;
    main->SetCrosshairName("default");
    other->SetCrosshairName("second");
    scene->AddNode(main);
    scene->AddNode(other);
    qVizViewersToolBar bar;
    EXPECT_FALSE(bar.isEnabled());
    bar.setMRMLScene(scene);
    EXPECT_TRUE(bar.isEnabled());

    auto* button = bar.findChild<QToolButton*>(QStringLiteral("CrosshairToolButton"));
    ASSERT_NE(button, nullptr);
    QAction* toggle = button->defaultAction();
    ASSERT_NE(toggle, nullptr);
    EXPECT_FALSE(toggle->isChecked());

    // Off and on again restores the basic crosshair when no shape was chosen.
    toggle->trigger();
    EXPECT_EQ(main->GetCrosshairMode(), vtkMRMLCrosshairNode::ShowBasic);
    EXPECT_EQ(other->GetCrosshairMode(), vtkMRMLCrosshairNode::ShowBasic);

    actionByText(&bar, QStringLiteral("Small basic crosshair"))->trigger();
    actionByText(&bar, QStringLiteral("Thick crosshair"))->trigger();
    EXPECT_EQ(other->GetCrosshairMode(), vtkMRMLCrosshairNode::ShowSmallBasic);
    EXPECT_EQ(other->GetCrosshairThickness(), vtkMRMLCrosshairNode::Thick);
    toggle->trigger();
    EXPECT_EQ(main->GetCrosshairMode(), vtkMRMLCrosshairNode::NoCrosshair);
    toggle->trigger();
    EXPECT_EQ(main->GetCrosshairMode(), vtkMRMLCrosshairNode::ShowSmallBasic) << "the last shape comes back";

    // A change on the default node shows in the menu.
    main->SetCrosshairMode(vtkMRMLCrosshairNode::ShowIntersection);
    EXPECT_TRUE(actionByText(&bar, QStringLiteral("Basic + intersection"))->isChecked());
    main->SetCrosshairMode(vtkMRMLCrosshairNode::NoCrosshair);
    EXPECT_FALSE(toggle->isChecked());

    // Without a scene nothing is written.
    bar.setMRMLScene(nullptr);
    EXPECT_FALSE(bar.isEnabled());
    actionByText(&bar, QStringLiteral("Basic crosshair"))->trigger();
    EXPECT_EQ(main->GetCrosshairMode(), vtkMRMLCrosshairNode::NoCrosshair);
}

TEST(ViewersToolBar, SceneWithoutADefaultCrosshairLeavesTheActionsAlone)
{
    vtkNew<vtkMRMLScene> scene;
    vtkNew<vtkMRMLCrosshairNode> unnamed;
    unnamed->SetCrosshairName("other");
    unnamed->SetCrosshairMode(vtkMRMLCrosshairNode::ShowSmallIntersection);
    scene->AddNode(unnamed);
    qVizViewersToolBar bar;
    bar.setMRMLScene(scene);
    EXPECT_FALSE(actionByText(&bar, QStringLiteral("Small basic + intersection"))->isChecked());
}
