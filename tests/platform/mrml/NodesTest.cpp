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

#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <utility>

using MRMLTest::EventRecorder;

namespace {

// Concrete stand-ins for the abstract node classes.
#define MRML_TEST_NODE(Name, Base, Tag)                                                            \
    class Name : public Base                                                                       \
    {                                                                                              \
    public:                                                                                        \
        static Name* New();                                                                        \
        vtkTypeMacro(Name, Base);                                                                  \
        vtkMRMLNode* CreateNodeInstance() override { return Name::New(); }                         \
        const char* GetNodeTagName() override { return Tag; }                                      \
    };                                                                                             \
    vtkStandardNewMacro(Name);
MRML_TEST_NODE(TestDisplayNode, vtkMRMLDisplayNode, "TestDisplay")
MRML_TEST_NODE(TestModelNode, vtkMRMLDisplayableNode, "TestModel")

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

// Splits WriteXML output into decoded name/value pairs, as an XML parser would hand them over.
void readXML(vtkMRMLNode* node, const std::string& xml)
{
    static const std::regex attr(R"re( ([A-Za-z0-9_]+)="([^"]*)")re");
    std::vector<std::string> strings;
    for (auto it = std::sregex_iterator(xml.begin(), xml.end(), attr); it != std::sregex_iterator(); ++it) {
        strings.push_back((*it)[1].str());
        strings.push_back(vtkMRMLNode::XMLAttributeDecodeString((*it)[2].str()));
    }
    std::vector<const char*> atts;
    for (const auto& str : strings)
        atts.push_back(str.c_str());
    atts.push_back(nullptr);
    node->ReadXMLAttributes(atts.data());
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
    node->EndModify(was);
    EXPECT_EQ(events.count(vtkCommand::ModifiedEvent), 0);

    // Outside a batch each change fires on its own.
    node->SetName("View2");
    node->RemoveAttribute("key");
    node->RemoveAttribute("key");
    EXPECT_EQ(events.count(vtkCommand::ModifiedEvent), 2);
}

TEST(MRMLNode, XMLAttributesRoundTripWithEscaping)
{
    vtkNew<vtkMRMLClipModelsNode> node;
    node->SetID("vtkMRMLClipModelsNode1");
    node->SetName("Clip <a & \"b\">");
    node->SetDescription("x > y");
    node->SetAttribute("key:with;separators", "value % 100;done:yes");
    node->SetAttribute("plain", "1");
    node->SetAttribute("removed", "x");
    node->SetAttribute("removed", nullptr);
    EXPECT_EQ(node->GetAttribute(nullptr), nullptr);
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
    EXPECT_EQ(copy->GetAttributeNames(), (std::vector<std::string>{"key:with;separators", "plain"}));
    EXPECT_EQ(copy->GetClipType(), vtkMRMLClipModelsNode::ClipUnion);
    EXPECT_EQ(copy->GetRedSliceClipState(), vtkMRMLClipModelsNode::ClipNegativeSpace);
    EXPECT_EQ(std::vector<double>(copy->GetClipOrigin(), copy->GetClipOrigin() + 3),
              (std::vector<double>{0.1, -2.5e-7, 1.0 / 3.0}));
    EXPECT_STREQ(copy->GetNodeReferenceID("display"), "vtkMRMLDisplayNode 7");
    EXPECT_EQ(writeXML(copy), xml);
}

TEST(MRMLNode, PackedListsSkipEmptyAndColonlessItemsAndKeepColonsInValues)
{
    vtkNew<vtkMRMLViewNode> node;
    readXML(node, R"( attributes=";;a%3Ab:1;nocolon;c:x:y;" references="display:n%201 n2  ;;broken;")");
    EXPECT_EQ(node->GetAttributeNames(), (std::vector<std::string>{"a:b", "c"}));
    EXPECT_STREQ(node->GetAttribute("a:b"), "1");
    EXPECT_STREQ(node->GetAttribute("c"), "x:y");
    ASSERT_EQ(node->GetNumberOfNodeReferences("display"), 2);
    EXPECT_STREQ(node->GetNthNodeReferenceID("display", 0), "n 1");
    EXPECT_STREQ(node->GetNthNodeReferenceID("display", 1), "n2");

    vtkNew<vtkMRMLSelectionNode> selection;
    readXML(selection, R"( units="length:mm%3B1;;time;mass:kg")");
    EXPECT_STREQ(selection->GetUnitNodeID("length"), "mm;1");
    EXPECT_STREQ(selection->GetUnitNodeID("mass"), "kg");
    EXPECT_EQ(selection->GetUnitNodeID("time"), nullptr);
}

TEST(MRMLNode, EveryStringRoundTripsThroughWellFormedXML)
{
    std::string everyByte;
    for (int c = 0; c < 128; ++c)
        everyByte += static_cast<char>(c);
    const std::string samples[] = {
        "line1\nline2\r\n\tindented",
        std::string("bell\x07 nul") + '\0' + "end\x1f",
        "looks encoded: &#10; &#xE001; &amp;",
        "private use \xEE\x80\x81 and \xE6\xA8\xA1\xE5\x9E\x8B",
        everyByte,
    };
    for (const std::string& value : samples) {
        const std::string encoded = vtkMRMLNode::XMLAttributeEncodeString(value);
        EXPECT_EQ(vtkMRMLNode::XMLAttributeDecodeString(encoded), value) << encoded;
        QXmlStreamReader xml(QByteArray::fromStdString("<node a=\"" + encoded + "\"/>"));
        QString parsed;
        while (!xml.atEnd()) {
            if (xml.readNext() == QXmlStreamReader::StartElement)
                parsed = xml.attributes().value(QLatin1String("a")).toString();
        }
        EXPECT_FALSE(xml.hasError()) << encoded << ": " << xml.errorString().toStdString();
        // A standard parser gets line breaks and tabs back as they were, not as blanks.
        if (value == samples[0]) {
            EXPECT_EQ(parsed.toStdString(), value);
        }
    }

    vtkNew<vtkMRMLViewNode> node;
    node->SetName("two\nlines\tand a \x01");
    node->SetDescription(samples[2].c_str());
    vtkNew<vtkMRMLViewNode> copy;
    readXML(copy, writeXML(node));
    EXPECT_STREQ(copy->GetName(), "two\nlines\tand a \x01");
    EXPECT_EQ(copy->GetDescription(), samples[2]);
}

TEST(MRMLSelectionNode, SeparatorsInsideListEntriesRoundTrip)
{
    vtkNew<vtkMRMLSelectionNode> selection;
    selection->AddNewPlaceNodeClassNameToList("A", "C:/icons;old/a.png", "Fiducial:1");
    selection->AddNewPlaceNodeClassNameToList("B%20", "b.png", "Ruler");
    selection->SetUnitNodeID("length", "vtkMRMLUnitNode:mm;1");
    selection->SetUnitNodeID("time", "vtkMRMLUnitNodeTime");
    vtkNew<vtkMRMLSelectionNode> copy;
    readXML(copy, writeXML(selection));
    ASSERT_EQ(copy->GetNumberOfPlaceNodeClassNamesInList(), 2);
    EXPECT_EQ(copy->GetPlaceNodeResourceByIndex(0), "C:/icons;old/a.png");
    EXPECT_EQ(copy->GetPlaceNodeIconNameByIndex(0), "Fiducial:1");
    EXPECT_EQ(copy->GetPlaceNodeClassNameByIndex(1), "B%20");
    EXPECT_EQ(copy->GetPlaceNodeResourceByIndex(1), "b.png");
    EXPECT_EQ(copy->GetPlaceNodeIconNameByIndex(1), "Ruler");
    EXPECT_STREQ(copy->GetUnitNodeID("length"), "vtkMRMLUnitNode:mm;1");
    EXPECT_STREQ(copy->GetUnitNodeID("time"), "vtkMRMLUnitNodeTime");
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
    EXPECT_EQ(selectionCopy->GetNumberOfPlaceNodeClassNamesInList(), 2);
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
    EXPECT_EQ(node->GetPlaceNodeClassNameByIndex(3) + node->GetPlaceNodeClassNameByIndex(-1), "");

    node->AddNewPlaceNodeClassNameToList("vtkMRMLAnnotationRulerNode", ":/Icons/Other.png", "Ruler");
    EXPECT_EQ(node->GetNumberOfPlaceNodeClassNamesInList(), 3);
    EXPECT_EQ(node->GetPlaceNodeResourceByIndex(1), ":/Icons/Other.png");
    node->AddNewPlaceNodeClassNameToList("vtkMRMLAnnotationRulerNode", ":/Icons/Other.png", "Ruler");
    EXPECT_EQ(events.count(vtkMRMLSelectionNode::PlaceNodeClassNameListModifiedEvent), 4);

    node->SetActivePlaceNodeClassName("vtkMRMLAnnotationRulerNode");
    node->SetActivePlaceNodeClassName("vtkMRMLAnnotationRulerNode");
    EXPECT_EQ(events.count(vtkMRMLSelectionNode::ActivePlaceNodeClassNameChangedEvent), 1);
    EXPECT_STREQ(node->GetActivePlaceNodeClassName(), "vtkMRMLAnnotationRulerNode");
}

TEST(MRMLDisplayableNode, RelaysDisplayAndTransformChanges)
{
    vtkNew<vtkMRMLScene> scene;
    auto display = MRMLTest::addNode<TestDisplayNode>(scene);
    auto transform = MRMLTest::addNode<vtkMRMLTransformNode>(scene);
    auto model = MRMLTest::addNode<TestModelNode>(scene);
    model->AddAndObserveDisplayNodeID(display->GetID());
    model->SetAndObserveTransformNodeID(transform->GetID());
    EXPECT_EQ(model->GetDisplayNode(), display.GetPointer());
    EXPECT_EQ(model->GetParentTransformNode(), transform.GetPointer());

    EventRecorder events(model, {vtkMRMLDisplayableNode::DisplayModifiedEvent,
                                 vtkMRMLTransformableNode::TransformModifiedEvent});
    display->SetOpacity(0.5);
    ASSERT_EQ(events.count(vtkMRMLDisplayableNode::DisplayModifiedEvent), 1);
    EXPECT_EQ(events.Entries[0].callData, static_cast<void*>(display.GetPointer()));
    model->SetDisplayVisibility(0);
    EXPECT_EQ(display->GetVisibility(), 0);

    vtkNew<vtkMatrix4x4> m;
    m->SetElement(0, 3, 10.0);
    transform->SetMatrixTransformToParent(m);
    EXPECT_EQ(events.count(vtkMRMLTransformableNode::TransformModifiedEvent), 1);
    const double local[3] = {1.0, 2.0, 3.0};
    double world[3], back[3];
    model->TransformPointToWorld(local, world);
    model->TransformPointFromWorld(world, back);
    EXPECT_EQ(std::make_pair(world[0], back[0]), std::make_pair(11.0, 1.0));

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
