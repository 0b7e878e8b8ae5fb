#include "MRMLTestHelpers.h"

#include <mrml/vtkMRMLClipModelsNode.h>
#include <mrml/vtkMRMLDisplayNode.h>
#include <mrml/vtkMRMLDisplayableNode.h>
#include <mrml/vtkMRMLInteractionNode.h>
#include <mrml/vtkMRMLScene.h>
#include <mrml/vtkMRMLSelectionNode.h>
#include <mrml/vtkMRMLStorageNode.h>
#include <mrml/vtkMRMLTransformNode.h>
#include <mrml/vtkMRMLViewNode.h>

#include <vtkCommand.h>
#include <vtkMatrix4x4.h>
#include <vtkNew.h>
#include <vtkObjectFactory.h>

#include <gtest/gtest.h>

#include <sstream>
#include <string>

using MRMLTest::EventRecorder;

namespace {

class TestDisplayNode : public vtkMRMLDisplayNode
{
public:
    static TestDisplayNode* New();
    vtkTypeMacro(TestDisplayNode, vtkMRMLDisplayNode);
    vtkMRMLNode* CreateNodeInstance() override { return TestDisplayNode::New(); }
    const char* GetNodeTagName() override { return "TestDisplay"; }
};
vtkStandardNewMacro(TestDisplayNode);

class TestModelNode : public vtkMRMLDisplayableNode
{
public:
    static TestModelNode* New();
    vtkTypeMacro(TestModelNode, vtkMRMLDisplayableNode);
    vtkMRMLNode* CreateNodeInstance() override { return TestModelNode::New(); }
    const char* GetNodeTagName() override { return "TestModel"; }
};
vtkStandardNewMacro(TestModelNode);

class TestStorageNode : public vtkMRMLStorageNode
{
public:
    static TestStorageNode* New();
    vtkTypeMacro(TestStorageNode, vtkMRMLStorageNode);
    vtkMRMLNode* CreateNodeInstance() override { return TestStorageNode::New(); }
    const char* GetNodeTagName() override { return "TestStorage"; }
    int Reads = 0;

protected:
    int ReadDataInternal(vtkMRMLNode*) override { return ++Reads, 1; }
};
vtkStandardNewMacro(TestStorageNode);

std::string writeXML(vtkMRMLNode* node)
{
    std::ostringstream os;
    node->WriteXML(os, 0);
    return os.str();
}

void readXML(vtkMRMLNode* node, const std::string& xml)
{
    MRMLTest::AttributeArray atts(
        MRMLTest::parseXMLAttributes(xml, &vtkMRMLNode::XMLAttributeDecodeString));
    node->ReadXMLAttributes(atts.get());
}

} // namespace

TEST(MRMLNode, ModificationsInsideStartEndModifyFireOneEvent)
{
    vtkNew<vtkMRMLViewNode> node;
    EventRecorder events(node, {vtkCommand::ModifiedEvent});

    int was = node->StartModify();
    node->SetName("View1");
    node->SetDescription("main view");
    node->SetAttribute("key", "value");
    node->SetBoxVisible(0);
    int nested = node->StartModify();
    node->SetLayoutName("1");
    node->EndModify(nested);
    EXPECT_EQ(events.count(vtkCommand::ModifiedEvent), 0);
    node->EndModify(was);
    EXPECT_EQ(events.count(vtkCommand::ModifiedEvent), 1);

    // Nothing changed: no event at all.
    events.clear();
    was = node->StartModify();
    node->SetName("View1");
    node->SetAttribute("key", "value");
    node->SetBoxVisible(0);
    node->EndModify(was);
    EXPECT_EQ(events.count(vtkCommand::ModifiedEvent), 0);

    // Outside a batch each change fires on its own.
    node->SetName("View2");
    node->RemoveAttribute("key");
    node->RemoveAttribute("key");
    EXPECT_EQ(events.count(vtkCommand::ModifiedEvent), 2);
}

TEST(MRMLNode, AttributesCanBeSetReadAndRemoved)
{
    vtkNew<vtkMRMLViewNode> node;
    node->SetAttribute("AssociatedNodeID", "vtkMRMLModelNode4");
    node->SetAttribute("b", "2");
    EXPECT_STREQ(node->GetAttribute("AssociatedNodeID"), "vtkMRMLModelNode4");
    EXPECT_EQ(node->GetAttributeNames(), (std::vector<std::string>{"AssociatedNodeID", "b"}));
    node->SetAttribute("b", nullptr);
    EXPECT_EQ(node->GetAttribute("b"), nullptr);
    EXPECT_EQ(node->GetAttribute(nullptr), nullptr);
}

TEST(MRMLNode, XMLAttributesRoundTripWithEscaping)
{
    vtkNew<vtkMRMLClipModelsNode> node;
    node->SetID("vtkMRMLClipModelsNode1");
    node->SetName("Clip <a & \"b\">");
    node->SetDescription("x > y");
    node->SetAttribute("key:with;separators", "value % 100;done:yes");
    node->SetAttribute("plain", "1");
    node->SetClipType(vtkMRMLClipModelsNode::ClipUnion);
    node->SetRedSliceClipState(vtkMRMLClipModelsNode::ClipNegativeSpace);
    node->SetClipOrigin(0.1, -2.5e-7, 1.0 / 3.0);
    node->SetNodeReferenceID("display", "vtkMRMLDisplayNode 7");

    const std::string xml = writeXML(node);
    EXPECT_NE(xml.find(" name=\"Clip &lt;a &amp; &quot;b&quot;&gt;\""), std::string::npos) << xml;
    EXPECT_NE(xml.find(" id=\"vtkMRMLClipModelsNode1\""), std::string::npos) << xml;
    EXPECT_EQ(xml.find('\n'), std::string::npos);

    vtkNew<vtkMRMLClipModelsNode> copy;
    readXML(copy, xml);
    EXPECT_STREQ(copy->GetID(), "vtkMRMLClipModelsNode1");
    EXPECT_STREQ(copy->GetName(), "Clip <a & \"b\">");
    EXPECT_STREQ(copy->GetDescription(), "x > y");
    EXPECT_STREQ(copy->GetAttribute("key:with;separators"), "value % 100;done:yes");
    EXPECT_STREQ(copy->GetAttribute("plain"), "1");
    EXPECT_EQ(copy->GetAttributeNames().size(), 2u);
    EXPECT_EQ(copy->GetClipType(), vtkMRMLClipModelsNode::ClipUnion);
    EXPECT_EQ(copy->GetRedSliceClipState(), vtkMRMLClipModelsNode::ClipNegativeSpace);
    EXPECT_EQ(copy->GetClipOrigin()[0], 0.1);
    EXPECT_EQ(copy->GetClipOrigin()[1], -2.5e-7);
    EXPECT_EQ(copy->GetClipOrigin()[2], 1.0 / 3.0);
    EXPECT_STREQ(copy->GetNodeReferenceID("display"), "vtkMRMLDisplayNode 7");
    EXPECT_EQ(writeXML(copy), xml);
}

TEST(MRMLNode, TransformMatrixAndSelectionListSurviveXML)
{
    vtkNew<vtkMRMLTransformNode> transform;
    vtkNew<vtkMatrix4x4> m;
    m->SetElement(0, 3, 0.1);
    m->SetElement(1, 1, 2.0 / 3.0);
    transform->SetMatrixTransformToParent(m);
    vtkNew<vtkMRMLTransformNode> transformCopy;
    readXML(transformCopy, writeXML(transform));
    EXPECT_EQ(transformCopy->GetMatrixTransformToParent()->GetElement(0, 3), 0.1);
    EXPECT_EQ(transformCopy->GetMatrixTransformToParent()->GetElement(1, 1), 2.0 / 3.0);

    vtkNew<vtkMRMLSelectionNode> selection;
    selection->AddNewPlaceNodeClassNameToList("A", ":/Icons/A.png", "Fiducial");
    selection->AddNewPlaceNodeClassNameToList("B", "", "Ruler");
    selection->SetActivePlaceNodeClassName("B");
    vtkNew<vtkMRMLSelectionNode> selectionCopy;
    readXML(selectionCopy, writeXML(selection));
    ASSERT_EQ(selectionCopy->GetNumberOfPlaceNodeClassNamesInList(), 2);
    EXPECT_EQ(selectionCopy->GetPlaceNodeResourceByIndex(0), ":/Icons/A.png");
    EXPECT_EQ(selectionCopy->GetPlaceNodeIconNameByIndex(1), "Ruler");
    EXPECT_STREQ(selectionCopy->GetActivePlaceNodeClassName(), "B");
}

TEST(MRMLNode, CopyTakesContentButNotID)
{
    vtkNew<vtkMRMLViewNode> source;
    source->SetID("vtkMRMLViewNode9");
    source->SetName("View9");
    source->SetAttribute("a", "b");
    source->SetBackgroundColor(0.1, 0.2, 0.3);
    vtkNew<vtkMRMLViewNode> target;
    EventRecorder events(target, {vtkCommand::ModifiedEvent});
    target->CopyWithSingleModifiedEvent(source);
    EXPECT_EQ(events.count(vtkCommand::ModifiedEvent), 1);
    EXPECT_EQ(target->GetID(), nullptr);
    EXPECT_STREQ(target->GetName(), "View9");
    EXPECT_STREQ(target->GetAttribute("a"), "b");
    EXPECT_DOUBLE_EQ(target->GetBackgroundColor()[2], 0.3);

    source->SetName("Other");
    target->CopyWithoutModifiedEvent(source);
    EXPECT_EQ(events.count(vtkCommand::ModifiedEvent), 1);
    EXPECT_STREQ(target->GetName(), "Other");
}

TEST(MRMLInteractionNode, ModeChangesFireOnlyOnChange)
{
    vtkNew<vtkMRMLInteractionNode> node;
    EXPECT_EQ(node->GetCurrentInteractionMode(), vtkMRMLInteractionNode::ViewTransform);
    EventRecorder events(node, {vtkMRMLInteractionNode::InteractionModeChangedEvent,
                                vtkMRMLInteractionNode::InteractionModePersistenceChangedEvent,
                                vtkMRMLInteractionNode::EndPlacementEvent, vtkCommand::ModifiedEvent});
    node->SetCurrentInteractionMode(vtkMRMLInteractionNode::ViewTransform);
    EXPECT_TRUE(events.Entries.empty());

    node->SwitchToPersistentPlaceMode();
    EXPECT_EQ(node->GetCurrentInteractionMode(), 1);
    EXPECT_EQ(node->GetPlaceModePersistence(), 1);
    EXPECT_EQ(events.count(vtkMRMLInteractionNode::InteractionModeChangedEvent), 1);
    EXPECT_EQ(events.count(vtkMRMLInteractionNode::InteractionModePersistenceChangedEvent), 1);
    EXPECT_EQ(events.count(vtkCommand::ModifiedEvent), 1);

    events.clear();
    node->SwitchToViewTransformMode();
    EXPECT_EQ(node->GetCurrentInteractionMode(), 2);
    EXPECT_EQ(node->GetLastInteractionMode(), 1);
    EXPECT_EQ(events.sequence(),
              (std::vector<unsigned long>{vtkMRMLInteractionNode::EndPlacementEvent,
                                          vtkMRMLInteractionNode::InteractionModeChangedEvent,
                                          vtkCommand::ModifiedEvent}));

    events.clear();
    node->SwitchToSinglePlaceMode();
    EXPECT_EQ(node->GetPlaceModePersistence(), 0);
    node->SetCurrentInteractionMode(vtkMRMLInteractionNode::Select);
    EXPECT_EQ(node->GetCurrentInteractionMode(), 4);
    EXPECT_EQ(events.count(vtkMRMLInteractionNode::InteractionModeChangedEvent), 2);
    EXPECT_EQ(vtkMRMLInteractionNode::InteractionModeChangedEvent, 19001);
    EXPECT_EQ(vtkMRMLInteractionNode::EndPlacementEvent, 19003);
}

TEST(MRMLSelectionNode, PlaceClassListUpdatesInPlace)
{
    vtkNew<vtkMRMLSelectionNode> node;
    EventRecorder events(node, {vtkMRMLSelectionNode::ActivePlaceNodeClassNameChangedEvent,
                                vtkMRMLSelectionNode::PlaceNodeClassNameListModifiedEvent});
    node->AddNewPlaceNodeClassNameToList("vtkMRMLAnnotationFiducialNode", ":/Icons/AnnotationPointWithArrow.png", "Fiducial");
    node->AddNewPlaceNodeClassNameToList("vtkMRMLAnnotationRulerNode", ":/Icons/AnnotationDistanceWithArrow.png", "Ruler");
    node->AddNewPlaceNodeClassNameToList("vtkMRMLAnnotationROINode", ":/Icons/AnnotationROI.png", "ROI");
    ASSERT_EQ(node->GetNumberOfPlaceNodeClassNamesInList(), 3);
    EXPECT_EQ(node->GetPlaceNodeClassNameByIndex(1), "vtkMRMLAnnotationRulerNode");
    EXPECT_EQ(node->GetPlaceNodeResourceByIndex(2), ":/Icons/AnnotationROI.png");
    EXPECT_EQ(node->GetPlaceNodeIconNameByIndex(0), "Fiducial");
    EXPECT_EQ(node->GetPlaceNodeClassNameByIndex(3), "");
    EXPECT_EQ(node->GetPlaceNodeClassNameByIndex(-1), "");

    node->AddNewPlaceNodeClassNameToList("vtkMRMLAnnotationRulerNode", ":/Icons/Other.png", "Ruler");
    EXPECT_EQ(node->GetNumberOfPlaceNodeClassNamesInList(), 3);
    EXPECT_EQ(node->GetPlaceNodeResourceByIndex(1), ":/Icons/Other.png");
    node->AddNewPlaceNodeClassNameToList("vtkMRMLAnnotationRulerNode", ":/Icons/Other.png", "Ruler");
    EXPECT_EQ(events.count(vtkMRMLSelectionNode::PlaceNodeClassNameListModifiedEvent), 4);

    node->SetActivePlaceNodeClassName("vtkMRMLAnnotationRulerNode");
    node->SetActivePlaceNodeClassName("vtkMRMLAnnotationRulerNode");
    EXPECT_EQ(events.count(vtkMRMLSelectionNode::ActivePlaceNodeClassNameChangedEvent), 1);
    EXPECT_STREQ(node->GetActivePlaceNodeClassName(), "vtkMRMLAnnotationRulerNode");
    EXPECT_EQ(vtkMRMLSelectionNode::ActivePlaceNodeClassNameChangedEvent, 19002);
}

TEST(MRMLDisplayableNode, RelaysDisplayAndTransformChanges)
{
    vtkNew<vtkMRMLScene> scene;
    vtkNew<TestDisplayNode> display;
    vtkNew<vtkMRMLTransformNode> transform;
    vtkNew<TestModelNode> model;
    scene->AddNode(display);
    scene->AddNode(transform);
    scene->AddNode(model);
    model->AddAndObserveDisplayNodeID(display->GetID());
    model->SetAndObserveTransformNodeID(transform->GetID());
    EXPECT_EQ(model->GetNumberOfDisplayNodes(), 1);
    EXPECT_EQ(model->GetDisplayNode(), display.GetPointer());
    EXPECT_EQ(model->GetParentTransformNode(), transform.GetPointer());

    EventRecorder events(model, {vtkMRMLDisplayableNode::DisplayModifiedEvent,
                                 vtkMRMLTransformableNode::TransformModifiedEvent});
    display->SetOpacity(0.5);
    ASSERT_EQ(events.count(vtkMRMLDisplayableNode::DisplayModifiedEvent), 1);
    EXPECT_EQ(events.Entries[0].callData, static_cast<void*>(display.GetPointer()));
    EXPECT_EQ(model->GetDisplayVisibility(), 1);
    model->SetDisplayVisibility(0);
    EXPECT_EQ(display->GetVisibility(), 0);

    vtkNew<vtkMatrix4x4> m;
    m->SetElement(0, 3, 10.0);
    transform->SetMatrixTransformToParent(m);
    EXPECT_EQ(events.count(vtkMRMLTransformableNode::TransformModifiedEvent), 1);
    const double local[3] = {1.0, 2.0, 3.0};
    double world[3], back[3];
    model->TransformPointToWorld(local, world);
    EXPECT_DOUBLE_EQ(world[0], 11.0);
    model->TransformPointFromWorld(world, back);
    EXPECT_DOUBLE_EQ(back[0], 1.0);

    // Once the display node leaves the scene, its changes no longer reach the model.
    scene->RemoveNode(display);
    events.clear();
    display->SetOpacity(0.25);
    EXPECT_EQ(model->GetDisplayNode(), nullptr);
    EXPECT_EQ(events.count(vtkMRMLDisplayableNode::DisplayModifiedEvent), 0);
}

TEST(MRMLStorageNode, ReadDataNeedsNodeAndFileName)
{
    vtkObject::GlobalWarningDisplayOff();
    vtkNew<TestStorageNode> storage;
    vtkNew<TestModelNode> model;
    EXPECT_EQ(storage->ReadData(model), 0);
    storage->SetFileName("/tmp/some.acsv");
    EXPECT_EQ(storage->ReadData(nullptr), 0);
    EXPECT_EQ(storage->Reads, 0);
    EXPECT_EQ(storage->ReadData(model), 1);
    EXPECT_EQ(storage->WriteData(model), 0);
    vtkObject::GlobalWarningDisplayOn();
}
