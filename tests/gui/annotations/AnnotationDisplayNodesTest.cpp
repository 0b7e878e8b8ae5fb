#include "AnnotationTestHelpers.h"

#include <vtkMRMLAnnotationFiducialNode.h>
#include <vtkMRMLAnnotationLineDisplayNode.h>
#include <vtkMRMLAnnotationPointDisplayNode.h>
#include <vtkMRMLAnnotationTextDisplayNode.h>

#include <mrml/vtkMRMLScene.h>

#include <vtkNew.h>

#include <gtest/gtest.h>

#include <vector>

using namespace AnnotationTest;

TEST(AnnotationDisplayNodes, Defaults)
{
    vtkNew<vtkMRMLAnnotationPointDisplayNode> point;
    EXPECT_EQ(point->GetGlyphType(), 13);
    EXPECT_DOUBLE_EQ(point->GetGlyphScale(), 5.0);
    EXPECT_EQ(point->GetSliceProjection(), 6);
    EXPECT_DOUBLE_EQ(point->GetColor()[0], 0.7373);
    EXPECT_DOUBLE_EQ(point->GetSelectedColor()[1], 0.6745);
    EXPECT_DOUBLE_EQ(point->GetProjectedColor()[2], 1.0);
    EXPECT_DOUBLE_EQ(point->GetProjectedOpacity(), 1.0);
    EXPECT_EQ(point->GetVisibility(), 1);

    vtkNew<vtkMRMLAnnotationLineDisplayNode> line;
    EXPECT_EQ(line->GetSliceProjection(), 30);
    EXPECT_DOUBLE_EQ(line->GetLabelPosition(), 0.2);
    EXPECT_EQ(line->GetMaxTicks(), 99);
    EXPECT_DOUBLE_EQ(line->GetOverLineThickness(), 3.0);

    vtkNew<vtkMRMLAnnotationTextDisplayNode> text;
    EXPECT_DOUBLE_EQ(text->GetTextScale(), 4.5);
    EXPECT_EQ(text->GetShowBorder() + text->GetShowLeader() + text->GetShowArrowHead()
                  + text->GetUseThreeDimensionalLeader(),
              4);
    EXPECT_EQ(text->GetUseLineWrap(), 0);
    EXPECT_EQ(text->GetMaxCharactersPerLine(), 20u);
    EXPECT_EQ(text->GetPadding(), 3);
}

TEST(AnnotationDisplayNodes, SettersClampAndXMLIsRangeChecked)
{
    vtkNew<vtkMRMLAnnotationTextDisplayNode> text;
    text->SetPadding(80);
    EXPECT_EQ(text->GetPadding(), 50);
    text->SetLeaderGlyphSize(0.5);
    EXPECT_DOUBLE_EQ(text->GetLeaderGlyphSize(), 0.1);
    text->SetMaximumLeaderGlyphSize(0);
    EXPECT_EQ(text->GetMaximumLeaderGlyphSize(), 1);
    text->SetMaxCharactersPerLine(0);
    EXPECT_EQ(text->GetMaxCharactersPerLine(), 1u);

    vtkNew<vtkMRMLAnnotationTextDisplayNode> read;
    readAttributes(read, {{"padding", "80"}, {"maxCharactersPerLine", "0"}, {"leaderGlyphSize", "nan"},
                          {"maximumLeaderGlyphSize", "99999999999999"}, {"useLineWrap", "1"}});
    EXPECT_EQ(read->GetPadding(), 50);
    EXPECT_EQ(read->GetMaxCharactersPerLine(), 1u);
    EXPECT_DOUBLE_EQ(read->GetLeaderGlyphSize(), 0.025);
    EXPECT_EQ(read->GetMaximumLeaderGlyphSize(), 1000);
    EXPECT_EQ(read->GetUseLineWrap(), 0); // only "true" sets a flag

    vtkNew<vtkMRMLAnnotationLineDisplayNode> line;
    line->SetLabelPosition(3);
    EXPECT_DOUBLE_EQ(line->GetLabelPosition(), 1.0);
    readAttributes(line, {{"labelPosition", "-4"}, {"labelVisibility", "1"}});
    EXPECT_DOUBLE_EQ(line->GetLabelPosition(), 0.0);
    EXPECT_EQ(line->GetLabelVisibility(), 0);
}

TEST(AnnotationDisplayNodes, XMLRoundTrips)
{
    vtkNew<vtkMRMLAnnotationPointDisplayNode> point;
    point->SetGlyphType(8);
    point->SetGlyphScale(0.1);
    point->SetProjectedColor(0.1, 0.2, 1.0 / 3.0);
    point->SliceProjectionOn();
    vtkNew<vtkMRMLAnnotationPointDisplayNode> pointBack;
    xmlRoundTrip(point, pointBack);
    EXPECT_EQ(pointBack->GetGlyphType(), 8);
    EXPECT_EQ(pointBack->GetGlyphScale(), 0.1);
    EXPECT_EQ(pointBack->GetProjectedColor()[2], 1.0 / 3.0);
    EXPECT_EQ(pointBack->GetSliceProjection(), 7);

    vtkNew<vtkMRMLAnnotationLineDisplayNode> line;
    line->SetLineThickness(2.5);
    line->LabelVisibilityOn();
    line->SetMaxTicks(7);
    line->SetUnderLineThickness(0.75);
    vtkNew<vtkMRMLAnnotationLineDisplayNode> lineBack;
    xmlRoundTrip(line, lineBack);
    EXPECT_EQ(attribute(line, "labelVisibility"), "true");
    EXPECT_EQ(lineBack->GetLineThickness(), 2.5);
    EXPECT_EQ(lineBack->GetLabelVisibility(), 1);
    EXPECT_EQ(lineBack->GetMaxTicks(), 7);
    EXPECT_EQ(lineBack->GetUnderLineThickness(), 0.75);

    vtkNew<vtkMRMLAnnotationTextDisplayNode> text;
    text->SetTextScale(7.25);
    text->ShowBorderOff();
    text->SetPadding(11);
    text->AttachEdgeOnlyOn();
    vtkNew<vtkMRMLAnnotationTextDisplayNode> textBack;
    xmlRoundTrip(text, textBack);
    EXPECT_EQ(textBack->GetTextScale(), 7.25);
    EXPECT_EQ(textBack->GetShowBorder(), 0);
    EXPECT_EQ(textBack->GetPadding(), 11);
    EXPECT_EQ(textBack->GetAttachEdgeOnly(), 1);
    EXPECT_EQ(attribute(text, "projectedColor"), "<absent>");
}

TEST(AnnotationDisplayNodes, GlyphNamesAndBackup)
{
    vtkNew<vtkMRMLAnnotationPointDisplayNode> point;
    point->SetGlyphTypeFromString("Diamond2D");
    EXPECT_EQ(point->GetGlyphType(), 8);
    Messages messages(point);
    point->SetGlyphTypeFromString("GlyphMin");
    point->SetGlyphTypeFromString("sphere3d");
    EXPECT_EQ(point->GetGlyphType(), 8);
    EXPECT_TRUE(messages.hasError("Invalid glyph type string: sphere3d"));
    EXPECT_STREQ(vtkMRMLAnnotationPointDisplayNode::GetGlyphTypeAsString(0), "UNKNOWN");
    EXPECT_STREQ(vtkMRMLAnnotationPointDisplayNode::GetGlyphTypeAsString(14), "UNKNOWN");

    point->RestoreBackup();
    EXPECT_TRUE(messages.hasError("RestoreBackup - could not get the attached backup"));
    point->CreateBackup();
    point->SetGlyphScale(42);
    point->RestoreBackup();
    EXPECT_DOUBLE_EQ(point->GetGlyphScale(), 5.0);
}

TEST(AnnotationDisplayNodes, LineWrapping)
{
    vtkNew<vtkMRMLAnnotationTextDisplayNode> text;
    text->SetMaxCharactersPerLine(20);
    const std::string long45(45, 'x');
    EXPECT_EQ(text->GetLineWrappedText(long45),
              std::string(20, 'x') + "\n" + std::string(20, 'x') + "\n" + std::string(5, 'x'));
    text->SetMaxCharactersPerLine(10);
    EXPECT_EQ(text->GetLineWrappedText("abc def ghi"), "abc def\nghi");
    text->SetMaxCharactersPerLine(5);
    EXPECT_EQ(text->GetLineWrappedText("ab abcdefghij"), "ab\nabcde\nfghij");
    EXPECT_EQ(text->GetLineWrappedText("    "), "");
    EXPECT_EQ(text->GetLineWrappedText(""), "");
    EXPECT_EQ(text->GetLineWrappedText("abcdefgh ij"), "abcde\nfgh\nij");

    // Zero characters per line cannot be set, from code or from a scene file, so wrapping
    // always ends.
    vtkNew<vtkMRMLAnnotationTextDisplayNode> read;
    readAttributes(read, {{"maxCharactersPerLine", "0"}});
    EXPECT_EQ(read->GetLineWrappedText("abc"), "a\nb\nc");
}

TEST(AnnotationDisplayNodes, SuperValuesReachEveryDisplayNodeOfTheAnnotationAndReadBackInEveryForm)
{
    vtkNew<vtkMRMLScene> scene;
    vtkNew<vtkMRMLAnnotationFiducialNode> fiducial;
    fiducial->Initialize(scene);
    auto* point = fiducial->GetAnnotationPointDisplayNode();
    auto* text = fiducial->GetAnnotationTextDisplayNode();
    ASSERT_TRUE(point && text);
    point->SetAndPropagateSuperOpacity(0.5);
    EXPECT_DOUBLE_EQ(point->GetOpacity(), 0.5);
    EXPECT_DOUBLE_EQ(text->GetOpacity(), 0.5);
    EXPECT_DOUBLE_EQ(point->GetSuperOpacity(), 0.5);
    int events = 0;
    vtkNew<vtkCallbackCommand> cmd;
    cmd->SetClientData(&events);
    cmd->SetCallback([](vtkObject*, unsigned long, void* c, void*) { ++*static_cast<int*>(c); });
    text->AddObserver(vtkCommand::ModifiedEvent, cmd);
    point->AddObserver(vtkCommand::ModifiedEvent, cmd);
    point->SetAndPropagateSuperOpacity(0.5);
    EXPECT_EQ(events, 0);
    point->SetAndPropagateSuperColor(0.1, 0.2, 0.3);
    EXPECT_DOUBLE_EQ(text->GetColor()[2], 0.3);

    vtkNew<vtkMRMLAnnotationLineDisplayNode> alone;
    alone->SetAndPropagateSuperSpecular(0.75);
    EXPECT_DOUBLE_EQ(alone->GetSpecular(), 0.75);

    // Selected ambient and specular reach every display node of the annotation once.
    point->SetAndPropagateSuperSelectedAmbient(0.25);
    point->SetAndPropagateSuperSelectedSpecular(0.125);
    EXPECT_DOUBLE_EQ(text->GetSelectedAmbient(), 0.25);
    EXPECT_DOUBLE_EQ(text->GetSelectedSpecular(), 0.125);
    EXPECT_DOUBLE_EQ(point->GetSelectedAmbient(), 0.25);
    EXPECT_DOUBLE_EQ(point->GetSuperSelectedAmbient(), 0.25);
    EXPECT_DOUBLE_EQ(point->GetSuperSelectedSpecular(), 0.125);
    EXPECT_DOUBLE_EQ(text->GetAmbient(), 0.0) << "the unselected lighting stays";
    events = 0;
    point->SetAndPropagateSuperSelectedAmbient(0.25);
    EXPECT_EQ(events, 0);

    // They are copied and kept in the scene file like the other lighting values.
    vtkNew<vtkMRMLAnnotationTextDisplayNode> copy;
    copy->Copy(text);
    EXPECT_DOUBLE_EQ(copy->GetSelectedSpecular(), 0.125);
    vtkNew<vtkMRMLAnnotationTextDisplayNode> back;
    xmlRoundTrip(text, back);
    EXPECT_DOUBLE_EQ(back->GetSelectedAmbient(), 0.25);
    EXPECT_DOUBLE_EQ(back->GetSelectedSpecular(), 0.125);

    // The super colours come out as arrays and as three values alike.
    point->SetAndPropagateSuperSelectedColor(0.4, 0.5, 0.6);
    double c[3] = {0, 0, 0};
    point->GetSuperColor(c);
    EXPECT_EQ(std::vector<double>(c, c + 3), (std::vector<double>{0.1, 0.2, 0.3}));
    double r = 0, g = 0, b = 0;
    point->GetSuperSelectedColor(r, g, b);
    EXPECT_EQ((std::vector<double>{r, g, b}), (std::vector<double>{0.4, 0.5, 0.6}));
    point->GetSuperSelectedColor(c);
    EXPECT_EQ(c[2], 0.6);
    point->GetSuperColor(r, g, b);
    EXPECT_EQ(r, 0.1);
}
