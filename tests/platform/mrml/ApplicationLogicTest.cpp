#include <mrml/vtkMRMLInteractionNode.h>
#include <mrml/vtkMRMLScene.h>
#include <mrml/vtkMRMLSelectionNode.h>
#include <mrml/vtkVizApplicationLogic.h>

#include <vtkNew.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

TEST(VizApplicationLogic, SceneGetsSelectionAndInteractionSingletons)
{
    vtkNew<vtkVizApplicationLogic> logic;
    EXPECT_EQ(logic->GetSelectionNode(), nullptr);

    vtkNew<vtkMRMLScene> scene;
    vtkNew<vtkMRMLInteractionNode> existing;
    scene->AddNode(existing);
    logic->SetMRMLScene(scene);
    ASSERT_NE(logic->GetSelectionNode(), nullptr);
    EXPECT_STREQ(logic->GetSelectionNode()->GetID(), "vtkMRMLSelectionNodeSingleton");
    EXPECT_EQ(logic->GetInteractionNode(), existing.GetPointer());
    EXPECT_EQ(scene->GetNumberOfNodes(), 2);

    logic->SetMRMLScene(nullptr);
    EXPECT_EQ(logic->GetInteractionNode(), nullptr);
}

TEST(VizApplicationLogic, ProcessingThreadRunsTasksAndStopsCleanly)
{
    std::atomic<int> done{0};
    std::vector<int> order;
    {
        vtkNew<vtkVizApplicationLogic> logic;
        EXPECT_FALSE(logic->ScheduleTask([&] { ++done; }));
        logic->CreateProcessingThread();
        logic->CreateProcessingThread();
        EXPECT_TRUE(logic->IsProcessingThreadRunning());
        const std::thread::id caller = std::this_thread::get_id();
        std::atomic<bool> otherThread{false};
        for (int i = 0; i < 100; ++i)
            ASSERT_TRUE(logic->ScheduleTask([&, i] {
                order.push_back(i);
                otherThread = std::this_thread::get_id() != caller;
                ++done;
            }));
        // A throwing task does not stop the worker.
        logic->ScheduleTask([] { throw std::runtime_error("task failure"); });
        logic->ScheduleTask([&] { ++done; });
        logic->TerminateProcessingThread();
        EXPECT_EQ(done.load(), 101);
        EXPECT_TRUE(otherThread.load());
        EXPECT_FALSE(logic->IsProcessingThreadRunning());
        logic->TerminateProcessingThread();
        EXPECT_FALSE(logic->ScheduleTask([&] { ++done; }));

        // Restart, then leave the worker busy for the destructor to join.
        logic->CreateProcessingThread();
        logic->ScheduleTask([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            ++done;
        });
    }
    EXPECT_EQ(done.load(), 102);
    ASSERT_EQ(order.size(), 100u);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(order[static_cast<size_t>(i)], i);
}
