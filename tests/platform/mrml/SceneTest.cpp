#include "MRMLTestHelpers.h"
#include "support/StepCount.h"
#include "support/WorkCount.h"

#include <mrml/vtkMRMLCrosshairNode.h>
#include <mrml/vtkMRMLInteractionNode.h>
#include <mrml/vtkMRMLScene.h>
#include <mrml/vtkMRMLSelectionNode.h>
#include <mrml/vtkMRMLTransformNode.h>
#include <mrml/vtkMRMLViewNode.h>

#include <vtkCollection.h>
#include <vtkNew.h>
#include <vtkObjectFactory.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

using MRMLTest::EventRecorder;
using MRMLTest::addNode;

namespace {

// A node class the scene does not know until it is registered.
class TestCustomNode : public vtkMRMLNode
{
public:
    static TestCustomNode* New();
    vtkTypeMacro(TestCustomNode, vtkMRMLNode);
    vtkMRMLNode* CreateNodeInstance() override { return TestCustomNode::New(); }
    const char* GetNodeTagName() override { return "TestCustom"; }
};
vtkStandardNewMacro(TestCustomNode);

// Two classes whose made IDs can meet: "TestCustomNode21" is number 21 of the first and
// number 1 of the second.
class TestCustomNode2 : public vtkMRMLNode
{
public:
    static TestCustomNode2* New();
    vtkTypeMacro(TestCustomNode2, vtkMRMLNode);
    vtkMRMLNode* CreateNodeInstance() override { return TestCustomNode2::New(); }
    const char* GetNodeTagName() override { return "TestCustom2"; }
};
vtkStandardNewMacro(TestCustomNode2);

// Every node of `nodes` that is in the scene is found by its ID and at its position
// (the scene holding those nodes only), every other one is not.
void expectFoundByIDAndPosition(vtkMRMLScene* scene, const std::vector<vtkSmartPointer<vtkMRMLNode>>& nodes,
                                const std::vector<std::string>& ids)
{
    int position = 0;
    for (size_t i = 0; i < nodes.size(); ++i) {
        const bool present = scene->IsNodePresent(nodes[i]);
        ASSERT_EQ(scene->GetNodeByID(ids[i]), present ? nodes[i].GetPointer() : nullptr) << ids[i];
        if (present) {
            ASSERT_EQ(scene->GetNthNode(position), nodes[i].GetPointer()) << position;
            ASSERT_EQ(scene->GetNthNodeByClass(position, "vtkMRMLTransformNode"), nodes[i].GetPointer());
            ++position;
        }
    }
    EXPECT_EQ(scene->GetNumberOfNodes(), position);
}

} // namespace

TEST(MRMLScene, AssignsClassNumberedAndSingletonIDs)
{
    vtkNew<vtkMRMLScene> scene;
    auto view1 = addNode<vtkMRMLViewNode>(scene);
    EXPECT_STREQ(view1->GetID(), "vtkMRMLViewNode1");
    EXPECT_STREQ(addNode<vtkMRMLViewNode>(scene)->GetID(), "vtkMRMLViewNode2");
    EXPECT_EQ(view1->GetScene(), scene.GetPointer());

    // A preset ID is kept and the class counter steps over it; a taken one is replaced.
    auto preset = addNode<vtkMRMLTransformNode>(scene, "vtkMRMLTransformNode1");
    EXPECT_STREQ(preset->GetID(), "vtkMRMLTransformNode1");
    EXPECT_STREQ(addNode<vtkMRMLTransformNode>(scene)->GetID(), "vtkMRMLTransformNode2");
    EXPECT_STREQ(addNode<vtkMRMLTransformNode>(scene, "vtkMRMLTransformNode1")->GetID(), "vtkMRMLTransformNode3");
    EXPECT_EQ(scene->GetNodeByID("vtkMRMLTransformNode1"), preset.GetPointer());

    EXPECT_STREQ(addNode<vtkMRMLSelectionNode>(scene)->GetID(), "vtkMRMLSelectionNodeSingleton");
    EXPECT_STREQ(addNode<vtkMRMLInteractionNode>(scene)->GetID(), "vtkMRMLInteractionNodeSingleton");
}

TEST(MRMLScene, SecondSingletonUpdatesTheFirst)
{
    vtkNew<vtkMRMLScene> scene;
    auto first = addNode<vtkMRMLSelectionNode>(scene);
    const int count = scene->GetNumberOfNodes();

    vtkNew<vtkMRMLSelectionNode> second;
    second->SetActivePlaceNodeClassName("vtkMRMLAnnotationRulerNode");
    EventRecorder added(scene, {vtkMRMLScene::NodeAddedEvent});
    vtkMRMLNode* result = scene->AddNode(second);

    EXPECT_EQ(result, first);
    EXPECT_EQ(scene->GetNumberOfNodes(), count);
    EXPECT_EQ(added.count(vtkMRMLScene::NodeAddedEvent), 0);
    EXPECT_STREQ(first->GetActivePlaceNodeClassName(), "vtkMRMLAnnotationRulerNode");
    EXPECT_EQ(second->GetScene(), nullptr);
}

TEST(MRMLScene, AddAndRemoveFireEventsWithTheNode)
{
    vtkNew<vtkMRMLScene> scene;
    EventRecorder events(scene, {vtkMRMLScene::NodeAboutToBeAddedEvent, vtkMRMLScene::NodeAddedEvent,
                                 vtkMRMLScene::NodeAboutToBeRemovedEvent,
                                 vtkMRMLScene::NodeRemovedEvent});
    vtkNew<vtkMRMLCrosshairNode> node;
    scene->AddNode(node);
    ASSERT_EQ(events.Entries.size(), 2u);
    EXPECT_EQ(events.Entries[1].event, static_cast<unsigned long>(vtkMRMLScene::NodeAddedEvent));
    EXPECT_EQ(events.Entries[1].callData, static_cast<void*>(node.GetPointer()));

    events.clear();
    const std::string id = node->GetID();
    scene->RemoveNode(node);
    EXPECT_EQ(events.sequence(),
              (std::vector<unsigned long>{vtkMRMLScene::NodeAboutToBeRemovedEvent,
                                          vtkMRMLScene::NodeRemovedEvent}));
    EXPECT_EQ(events.Entries[1].callData, static_cast<void*>(node.GetPointer()));
    EXPECT_FALSE(scene->IsNodePresent(node));
    EXPECT_EQ(scene->GetNodeByID(id), nullptr);
    EXPECT_EQ(node->GetScene(), nullptr);

    // Removing again, or a null node, changes nothing.
    events.clear();
    scene->RemoveNode(node);
    scene->RemoveNode(nullptr);
    EXPECT_TRUE(events.Entries.empty());
}

TEST(MRMLScene, ClassAndNameLookupsFollowSceneOrder)
{
    vtkNew<vtkMRMLScene> scene;
    auto view = addNode<vtkMRMLViewNode>(scene);
    auto crosshair = addNode<vtkMRMLCrosshairNode>(scene);
    auto view2 = addNode<vtkMRMLViewNode>(scene, nullptr, "Main");

    EXPECT_EQ(scene->GetNthNodeByClass(1, "vtkMRMLViewNode"), view2.GetPointer());
    EXPECT_EQ(scene->GetNthNodeByClass(2, "vtkMRMLViewNode"), nullptr);
    // Base-class look-ups include derived classes, still in the order of addition.
    EXPECT_EQ(scene->GetNumberOfNodesByClass("vtkMRMLAbstractViewNode"), 2);
    std::vector<vtkMRMLNode*> all;
    EXPECT_EQ(scene->GetNodesByClass("vtkMRMLNode", all), 3);
    EXPECT_EQ(all, (std::vector<vtkMRMLNode*>{view, crosshair, view2}));
    auto collection = vtkSmartPointer<vtkCollection>::Take(scene->GetNodesByClass("vtkMRMLViewNode"));
    EXPECT_EQ(collection->GetNumberOfItems(), 2);

    // Names and IDs changed while in the scene keep the indexes right.
    view->SetName("Main");
    EXPECT_EQ(scene->GetFirstNodeByName("Main"), view.GetPointer());
    view->SetName("Other");
    EXPECT_EQ(scene->GetFirstNodeByName("Main"), view2.GetPointer());
    view->SetID("MyView");
    EXPECT_EQ(scene->GetNodeByID("MyView"), view.GetPointer());
    EXPECT_EQ(scene->GetNodeByID("vtkMRMLViewNode1"), nullptr);
}

TEST(MRMLScene, BatchStatesNestAndFireOnceAtTheOuterLevel)
{
    vtkNew<vtkMRMLScene> scene;
    EventRecorder events(scene, {vtkMRMLScene::StartBatchProcessEvent, vtkMRMLScene::EndBatchProcessEvent,
                                 vtkMRMLScene::StartCloseEvent, vtkMRMLScene::EndCloseEvent});
    scene->StartState(vtkMRMLScene::BatchProcessState);
    scene->StartState(vtkMRMLScene::BatchProcessState);
    EXPECT_TRUE(scene->IsBatchProcessing());
    scene->EndState(vtkMRMLScene::BatchProcessState);
    EXPECT_TRUE(scene->IsBatchProcessing());
    EXPECT_EQ(events.sequence(), (std::vector<unsigned long>{vtkMRMLScene::StartBatchProcessEvent}));
    scene->EndState(vtkMRMLScene::BatchProcessState);
    EXPECT_FALSE(scene->IsBatchProcessing());
    EXPECT_EQ(events.count(vtkMRMLScene::EndBatchProcessEvent), 1);

    // An unbalanced end changes nothing.
    events.clear();
    scene->EndState(vtkMRMLScene::BatchProcessState);
    EXPECT_TRUE(events.Entries.empty());
    EXPECT_FALSE(scene->IsBatchProcessing());

    // Clearing is a close state inside a batch state.
    addNode<vtkMRMLViewNode>(scene);
    auto selection = addNode<vtkMRMLSelectionNode>(scene);
    scene->Clear(0);
    EXPECT_EQ(events.sequence(),
              (std::vector<unsigned long>{vtkMRMLScene::StartBatchProcessEvent, vtkMRMLScene::StartCloseEvent,
                                          vtkMRMLScene::EndCloseEvent, vtkMRMLScene::EndBatchProcessEvent}));
    EXPECT_EQ(scene->GetNumberOfNodes(), 1);
    EXPECT_EQ(scene->GetNodeByID("vtkMRMLSelectionNodeSingleton"), selection);
    scene->Clear(1);
    EXPECT_EQ(scene->GetNumberOfNodes(), 0);
}

TEST(MRMLScene, CreatesRegisteredClassesOnly)
{
    vtkNew<vtkMRMLScene> scene;
    auto view = vtkSmartPointer<vtkMRMLNode>::Take(scene->CreateNodeByClass("vtkMRMLViewNode"));
    ASSERT_NE(view, nullptr);
    EXPECT_STREQ(view->GetClassName(), "vtkMRMLViewNode");
    EXPECT_EQ(scene->CreateNodeByClass("vtkMRMLNoSuchNode"), nullptr);
    EXPECT_EQ(scene->CreateNodeByClass(nullptr), nullptr);

    EXPECT_EQ(scene->CreateNodeByClass("TestCustomNode"), nullptr);
    vtkNew<TestCustomNode> prototype;
    scene->RegisterNodeClass(prototype);
    auto custom = vtkSmartPointer<vtkMRMLNode>::Take(scene->CreateNodeByClass("TestCustomNode"));
    ASSERT_NE(custom, nullptr);
    EXPECT_NE(custom.GetPointer(), prototype.GetPointer());
    EXPECT_TRUE(custom->IsA("TestCustomNode"));
}

TEST(MRMLScene, UniqueNamesSkipNamesInUse)
{
    vtkNew<vtkMRMLScene> scene;
    EXPECT_EQ(scene->GetUniqueNameByString("M"), "M");
    auto a = addNode<vtkMRMLCrosshairNode>(scene, nullptr, "M");
    EXPECT_EQ(scene->GetUniqueNameByString("M"), "M_1");
    addNode<vtkMRMLCrosshairNode>(scene, nullptr, "M_2");
    EXPECT_EQ(scene->GetUniqueNameByString("M"), "M_3");
    scene->RemoveNode(a);
    EXPECT_EQ(scene->GetUniqueNameByString("M"), "M");
}

namespace {

// The ways of adding node k: under a unique name from one base; under a base of its own
// that is taken already (so that the scene keeps a counter for each base); as the
// singleton of a tag of its own, added twice (the second copy goes into the first).
enum class Adding
{
    OneBase,
    BaseEach,
    SingletonEach,
};

void addNumbered(vtkMRMLScene* scene, Adding way, int k)
{
    const std::string base = "B" + std::to_string(k);
    switch (way) {
    case Adding::OneBase:
        addNode<vtkMRMLViewNode>(scene, nullptr, scene->GetUniqueNameByString("View").c_str());
        break;
    case Adding::BaseEach:
        addNode<vtkMRMLViewNode>(scene, nullptr, base.c_str());
        addNode<vtkMRMLViewNode>(scene, nullptr, scene->GetUniqueNameByString(base.c_str()).c_str());
        break;
    case Adding::SingletonEach:
        for (int copy = 0; copy < 2; ++copy) {
            vtkNew<vtkMRMLViewNode> node;
            node->SetSingletonTag(base.c_str());
            scene->AddNode(node);
        }
        break;
    }
}

} // namespace

TEST(MRMLScene, AddingManyNodesCostsInProportionToThem)
{
    for (const Adding way : {Adding::OneBase, Adding::BaseEach, Adding::SingletonEach}) {
        SCOPED_TRACE(static_cast<int>(way));
        vtkNew<vtkMRMLScene> scene;
        int added = 0;
        // The work of adding nodes until there are `n` of the way's kind and of finding
        // each node again: allocations, and node slots stepped over (which see a walk that
        // allocates nothing, such as a class look-up going through every node).
        std::uint64_t slots[2] = {0, 0};
        const auto adding = [&](int n) {
            PelmoraTest::WorkMeter meter;
            PelmoraTest::StepMeter stepped(&vtkMRMLScene::GetNodeSlotsVisited);
            for (; added < n; ++added)
                addNumbered(scene, way, added);
            const int nodes = scene->GetNumberOfNodes();
            for (int i = 0; i < nodes; ++i)
                EXPECT_NE(scene->GetNthNodeByClass(i, "vtkMRMLViewNode"), nullptr);
            slots[n > 500] = stepped.elapsed();
            return meter.elapsed();
        };
        const PelmoraTest::Work first = adding(500);
        const PelmoraTest::Work next = adding(2000);
        std::printf("way %d: %llu node slots for the first 500, %llu for 1,500 more\n", static_cast<int>(way),
                    static_cast<unsigned long long>(slots[0]), static_cast<unsigned long long>(slots[1]));
        // 3,500 adds and finds beside 1,000: a look-up walking every node makes it sixteen times.
        EXPECT_TRUE(PelmoraTest::stepsGrowAtMost(slots[0], slots[1], 5)) << "node slots stepped over";
        EXPECT_EQ(scene->GetNumberOfNodes(), way == Adding::BaseEach ? 4000 : 2000);
        if (way == Adding::OneBase) {
            EXPECT_NE(scene->GetNodeByID("vtkMRMLViewNode2000"), nullptr);
            EXPECT_NE(scene->GetFirstNodeByName("View_1999"), nullptr);
        }
        if (PelmoraTest::workCounted()) {
            // Three times the nodes added beside four times as many: about three times the
            // work, where a cost growing with the nodes already there makes it far more.
            EXPECT_GT(first.allocations, 500u);
            EXPECT_LT(next.allocations, 5 * first.allocations) << PelmoraTest::describe(first) << " for the first 500, "
                                                               << PelmoraTest::describe(next) << " for 1,500 more";
            EXPECT_LT(next.bytes, 5 * first.bytes) << PelmoraTest::describe(first) << " for the first 500, "
                                                   << PelmoraTest::describe(next) << " for 1,500 more";
        }
    }
}

TEST(MRMLScene, OneSingletonPerClassAndTagEvenWhenItsIDIsTaken)
{
    vtkNew<vtkMRMLScene> scene;
    // A node of another class already holds the ID the singleton would get.
    auto squatter = addNode<vtkMRMLViewNode>(scene, "vtkMRMLSelectionNodeSingleton");
    auto first = addNode<vtkMRMLSelectionNode>(scene);
    EXPECT_NE(first->GetScene(), nullptr);
    EXPECT_STRNE(first->GetID(), "vtkMRMLSelectionNodeSingleton");

    vtkNew<vtkMRMLSelectionNode> second;
    second->SetActivePlaceNodeClassName("vtkMRMLAnnotationFiducialNode");
    EXPECT_EQ(scene->AddNode(second), first.GetPointer());
    EXPECT_EQ(scene->GetNumberOfNodesByClass("vtkMRMLSelectionNode"), 1);
    EXPECT_STREQ(first->GetActivePlaceNodeClassName(), "vtkMRMLAnnotationFiducialNode");
    EXPECT_EQ(scene->GetNodeByID("vtkMRMLSelectionNodeSingleton"), squatter.GetPointer());

    // Once the singleton is gone, the next one takes its place.
    scene->RemoveNode(first);
    vtkNew<vtkMRMLSelectionNode> third;
    EXPECT_EQ(scene->AddNode(third), third.GetPointer());
    EXPECT_EQ(scene->GetNumberOfNodesByClass("vtkMRMLSelectionNode"), 1);
}

TEST(MRMLScene, PositionsAndClassListsStayInOrderThroughManyRemovals)
{
    vtkNew<vtkMRMLScene> scene;
    std::vector<vtkSmartPointer<vtkMRMLNode>> model;
    // Ask for a class list early so that it is kept up to date from then on.
    EXPECT_EQ(scene->GetNumberOfNodesByClass("vtkMRMLAbstractViewNode"), 0);
    for (int i = 0; i < 600; ++i) {
        if (i % 3 == 0)
            model.push_back(addNode<vtkMRMLCrosshairNode>(scene));
        else
            model.push_back(addNode<vtkMRMLViewNode>(scene));
    }
    // Remove most nodes in a scattered order, adding some back on the way, so that
    // empty slots pile up and get compacted several times.
    for (int round = 0; round < 5; ++round) {
        for (size_t i = round % 2; i < model.size(); i += 2)
            scene->RemoveNode(model[i]);
        std::vector<vtkSmartPointer<vtkMRMLNode>> kept;
        for (size_t i = 0; i < model.size(); ++i)
            if (scene->IsNodePresent(model[i]))
                kept.push_back(model[i]);
        model = kept;
        for (int i = 0; i < 40; ++i)
            model.push_back(addNode<vtkMRMLViewNode>(scene));

        ASSERT_EQ(scene->GetNumberOfNodes(), static_cast<int>(model.size()));
        std::vector<vtkMRMLNode*> views;
        for (size_t i = 0; i < model.size(); ++i) {
            ASSERT_EQ(scene->GetNthNode(static_cast<int>(i)), model[i].GetPointer()) << "round " << round;
            if (model[i]->IsA("vtkMRMLViewNode"))
                views.push_back(model[i]);
        }
        EXPECT_EQ(scene->GetNthNode(static_cast<int>(model.size())), nullptr);
        // Backwards and skipping, too.
        for (size_t i = model.size(); i-- > 0;)
            ASSERT_EQ(scene->GetNthNode(static_cast<int>(i)), model[i].GetPointer());
        for (size_t i = 0; i < model.size(); i += 7)
            ASSERT_EQ(scene->GetNthNode(static_cast<int>(i)), model[i].GetPointer());
        std::vector<vtkMRMLNode*> listed;
        scene->GetNodesByClass("vtkMRMLAbstractViewNode", listed);
        EXPECT_EQ(listed, views);
        for (size_t i = 0; i < views.size(); ++i)
            ASSERT_EQ(scene->GetNthNodeByClass(static_cast<int>(i), "vtkMRMLViewNode"), views[i]);
    }
    scene->Clear(1);
    EXPECT_EQ(scene->GetNumberOfNodes(), 0);
    EXPECT_EQ(scene->GetNthNode(0), nullptr);
    EXPECT_EQ(scene->GetFirstNodeByClass("vtkMRMLViewNode"), nullptr);
}

TEST(MRMLScene, NodesForgetAScenesThatIsGone)
{
    vtkSmartPointer<vtkMRMLTransformNode> target;
    vtkSmartPointer<vtkMRMLViewNode> holder;
    {
        vtkNew<vtkMRMLScene> scene;
        target = addNode<vtkMRMLTransformNode>(scene);
        holder = addNode<vtkMRMLViewNode>(scene);
        holder->SetAndObserveNodeReferenceID("transform", target->GetID(), {vtkCommand::ModifiedEvent});
        EXPECT_EQ(holder->GetNodeReference("transform"), target.GetPointer());
    }
    EXPECT_EQ(target->GetScene(), nullptr);
    EXPECT_EQ(holder->GetScene(), nullptr);
    EXPECT_EQ(holder->GetNodeReference("transform"), nullptr);
    EXPECT_STREQ(holder->GetNodeReferenceID("transform"), target->GetID());
    // The observed node dies before the node that observed it: nothing dangles.
    vtkNew<vtkMRMLScene> scene;
    scene->AddNode(target);
    scene->AddNode(holder);
    ASSERT_EQ(holder->GetNodeReference("transform"), target.GetPointer());
    scene->RemoveNode(target);
    target = nullptr;
    EXPECT_EQ(holder->GetNodeReference("transform"), nullptr);
    scene->RemoveNode(holder);
    holder = nullptr;
}

TEST(MRMLScene, IDsStayUniqueAndFoundThroughRemovalsRenamingAndLookalikes)
{
    vtkNew<vtkMRMLScene> scene;
    // A preset ID ahead of the class counter is stepped over when the counter gets there.
    auto preset = addNode<vtkMRMLTransformNode>(scene, "vtkMRMLTransformNode700");
    std::vector<vtkSmartPointer<vtkMRMLNode>> nodes;
    std::vector<std::string> ids;
    for (int i = 0; i < 2000; ++i) {
        vtkNew<vtkMRMLTransformNode> node;
        EventRecorder modified(node, {vtkCommand::ModifiedEvent});
        scene->AddNode(node);
        ASSERT_EQ(modified.count(vtkCommand::ModifiedEvent), 1) << "the new ID marks the node modified";
        nodes.emplace_back(node.GetPointer());
        ids.emplace_back(node->GetID());
    }
    EXPECT_EQ(ids[698], "vtkMRMLTransformNode699");
    EXPECT_EQ(ids[699], "vtkMRMLTransformNode701");
    EXPECT_EQ(scene->GetNodeByID("vtkMRMLTransformNode700"), preset.GetPointer());
    scene->RemoveNode(preset);
    for (const char* lookalike : {"vtkMRMLTransformNode0701", "vtkMRMLTransformNode", "vtkMRMLTransformNode0",
                                  "vtkMRMLTransformNode99999999999999999999999", "701", "vtkMRMLViewNode701"})
        EXPECT_EQ(scene->GetNodeByID(lookalike), nullptr) << lookalike;
    expectFoundByIDAndPosition(scene, nodes, ids);

    // Oldest first, newest first, then scattered, so that the lists and the index shed
    // their front, their back and then their holes.
    for (size_t i = 0; i < 1600; ++i)
        scene->RemoveNode(nodes[i]);
    expectFoundByIDAndPosition(scene, nodes, ids);
    for (size_t i = 1999; i > 1980; --i)
        scene->RemoveNode(nodes[i]);
    expectFoundByIDAndPosition(scene, nodes, ids);
    for (size_t i = 1600; i < nodes.size(); ++i)
        if (i % 5 != 0)
            scene->RemoveNode(nodes[i]);
    expectFoundByIDAndPosition(scene, nodes, ids);

    // A node renamed in the scene is found by its new ID only; its old one can be taken.
    vtkMRMLNode* renamed = nodes[1605];
    ASSERT_TRUE(scene->IsNodePresent(renamed));
    renamed->SetID("Renamed");
    EXPECT_EQ(scene->GetNodeByID("Renamed"), renamed);
    EXPECT_EQ(scene->GetNodeByID(ids[1605]), nullptr);
    auto taker = addNode<vtkMRMLTransformNode>(scene, ids[1605].c_str());
    EXPECT_EQ(taker->GetID(), ids[1605]);
    EXPECT_EQ(scene->GetNodeByID(ids[1605]), taker.GetPointer());
    // Removed nodes keep their IDs and get them back when added again.
    scene->AddNode(nodes[5]);
    EXPECT_EQ(scene->GetNodeByID(ids[5]), nodes[5].GetPointer());
    EXPECT_STREQ(addNode<vtkMRMLTransformNode>(scene)->GetID(), "vtkMRMLTransformNode2002");

    // Class names that run into each other's numbers still get distinct IDs, either way round.
    auto lone = addNode<TestCustomNode2>(scene);
    EXPECT_STREQ(lone->GetID(), "TestCustomNode21");
    std::vector<vtkSmartPointer<TestCustomNode>> custom;
    for (int i = 0; i < 22; ++i)
        custom.push_back(addNode<TestCustomNode>(scene));
    EXPECT_STREQ(custom[19]->GetID(), "TestCustomNode20");
    EXPECT_STREQ(custom[20]->GetID(), "TestCustomNode22");
    EXPECT_EQ(scene->GetNodeByID("TestCustomNode21"), lone.GetPointer());
    EXPECT_EQ(scene->GetNodeByID("TestCustomNode22"), custom[20].GetPointer());
    // The second class's own counter now meets the first class's numbers.
    EXPECT_STREQ(addNode<TestCustomNode2>(scene)->GetID(), "TestCustomNode24");
}
