#include "AnnotationViewFixture.h"

#include "../annotations/AnnotationTestHelpers.h"

#include <vtkMRMLAnnotationTextDisplayNode.h>
#include <vtkMRMLAnnotationTextDisplayableManager.h>
#include <vtkMRMLAnnotationTextNode.h>

#include <vtkCaptionActor2D.h>
#include <vtkCaptionRepresentation.h>
#include <vtkCaptionWidget.h>
#include <vtkTextProperty.h>

using AnnotationViewTest::near;

namespace {

class TextView : public AnnotationViewTest::View
{
protected:
    void SetUp() override { build("vtkMRMLAnnotationTextDisplayableManager", "vtkMRMLAnnotationTextNode"); }

    vtkCaptionRepresentation* captionOf(vtkMRMLAnnotationTextNode* node)
    {
        auto* widget = vtkCaptionWidget::SafeDownCast(manager->GetWidget(node));
        return widget ? vtkCaptionRepresentation::SafeDownCast(widget->GetRepresentation()) : nullptr;
    }
};

} // namespace

TEST_F(TextView, OneClickPlacesACaptionWhereTheOthersAreNot)
{
    startPlacing(false);
    click(240, 160);
    auto texts = nodes<vtkMRMLAnnotationTextNode>();
    ASSERT_EQ(texts.size(), 1u);
    vtkMRMLAnnotationTextNode* text = texts[0];
    EXPECT_STREQ(text->GetName(), "T");
    EXPECT_EQ(text->GetTextLabel(), "New text");
    EXPECT_TRUE(near(text->GetTextCoordinates(), 10, -10, 10));
    EXPECT_DOUBLE_EQ(text->GetCaptionCoordinates()[0], 0.8);
    EXPECT_DOUBLE_EQ(text->GetCaptionCoordinates()[1], 0.8);
    EXPECT_EQ(interaction->GetCurrentInteractionMode(), vtkMRMLInteractionNode::ViewTransform);

    vtkCaptionRepresentation* caption = captionOf(text);
    ASSERT_NE(caption, nullptr);
    EXPECT_STREQ(caption->GetCaptionActor2D()->GetCaption(), "New text");
    EXPECT_DOUBLE_EQ(caption->GetPosition()[0], 0.8);
    double anchor[3];
    caption->GetAnchorPosition(anchor);
    EXPECT_TRUE(near(anchor, 10, -10, 10));

    // The next ones go to the other corners and the centre, then round again.
    auto* texter = vtkMRMLAnnotationTextDisplayableManager::SafeDownCast(manager);
    const double expected[5][2] = {{0.05, 0.8}, {0.8, 0.05}, {0.2, 0.2}, {0.5, 0.5}, {0.8, 0.8}};
    for (const auto& e : expected) {
        double xy[2];
        texter->BestGuessForNewCaptionCoordinates(xy);
        EXPECT_DOUBLE_EQ(xy[0], e[0]);
        EXPECT_DOUBLE_EQ(xy[1], e[1]);
        startPlacing(false);
        click(200, 200);
    }
    EXPECT_EQ(nodes<vtkMRMLAnnotationTextNode>().size(), 6u);
}

TEST_F(TextView, TheDisplayNodeStylesTheCaptionAtAReadableSize)
{
    startPlacing(false);
    click(200, 200);
    vtkMRMLAnnotationTextNode* text = nodes<vtkMRMLAnnotationTextNode>()[0];
    vtkCaptionActor2D* caption = captionOf(text)->GetCaptionActor2D();
    vtkMRMLAnnotationTextDisplayNode* display = text->GetAnnotationTextDisplayNode();
    ASSERT_NE(display, nullptr);
    EXPECT_GE(caption->GetCaptionTextProperty()->GetFontSize(), 12) << "the default scale is readable";
    display->SetTextScale(9);
    EXPECT_EQ(caption->GetCaptionTextProperty()->GetFontSize(), 27);
    display->SetTextScale(1e30);
    EXPECT_EQ(caption->GetCaptionTextProperty()->GetFontSize(), 200);

    text->SetSelected(1);
    text->Modified();
    EXPECT_DOUBLE_EQ(caption->GetCaptionTextProperty()->GetColor()[1], display->GetSelectedColor()[1]);
    display->SetShowLeader(1);
    display->SetShowArrowHead(0);
    EXPECT_DOUBLE_EQ(caption->GetLeaderGlyphSize(), 0.0);
    text->SetTextLabel("Inlet");
    EXPECT_STREQ(caption->GetCaption(), "Inlet");
}

TEST_F(TextView, ACaptionDraggedOutOfTheViewKeepsItsPlaceWhileTheAnchorFollows)
{
    startPlacing(false);
    click(200, 200);
    vtkMRMLAnnotationTextNode* text = nodes<vtkMRMLAnnotationTextNode>()[0];
    vtkCaptionRepresentation* caption = captionOf(text);
    caption->SetPosition(0.3, 0.4);
    double anchor[3] = {1, 2, 3};
    caption->SetAnchorPosition(anchor);
    const int sceneEvents = AnnotationViewTest::sceneEventsFor(
        scene, text, [&] { manager->PropagateWidgetToMRML(manager->GetWidget(text), text); });
    EXPECT_EQ(sceneEvents, 1);
    EXPECT_DOUBLE_EQ(text->GetCaptionCoordinates()[0], 0.3);
    EXPECT_DOUBLE_EQ(text->GetCaptionCoordinates()[1], 0.4);

    caption->SetPosition(1.5, 0.2);
    anchor[0] = 4;
    caption->SetAnchorPosition(anchor);
    AnnotationTest::Messages messages(manager);
    manager->PropagateWidgetToMRML(manager->GetWidget(text), text);
    EXPECT_TRUE(messages.hasError("caption position from widget is not in normalised viewport coordinates: 1.5, 0.2"))
        << messages.all();
    EXPECT_DOUBLE_EQ(text->GetCaptionCoordinates()[0], 0.3);
    EXPECT_TRUE(near(text->GetTextCoordinates(), 4, 2, 3, 1e-9));
}
