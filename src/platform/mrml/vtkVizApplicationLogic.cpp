#include "vtkVizApplicationLogic.h"

#include "vtkMRMLColorLogic.h"
#include "vtkMRMLInteractionNode.h"
#include "vtkMRMLScene.h"
#include "vtkMRMLSelectionNode.h"
#include "vtkMRMLSliceLogic.h"
#include "vtkMRMLSliceNode.h"

#include <vtkNew.h>
#include <vtkObjectFactory.h>
#include <vtksys/SystemTools.hxx>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <exception>
#include <iostream>
#include <mutex>
#include <thread>

vtkStandardNewMacro(vtkVizApplicationLogic);

struct vtkVizApplicationLogic::Worker
{
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<std::function<void()>> tasks;
    bool stopping = false;
    std::thread thread;

    void run()
    {
        for (;;) {
            std::function<void()> task;
            {
                std::unique_lock<std::mutex> lock(mutex);
                wake.wait(lock, [this] { return stopping || !tasks.empty(); });
                if (tasks.empty())
                    return; // stopping, and everything queued has run
                task = std::move(tasks.front());
                tasks.pop_front();
            }
            // A failing task must not take the worker (and the application) down.
            try {
                task();
            } catch (const std::exception& e) {
                std::cerr << "vtkVizApplicationLogic: processing task failed: " << e.what()
                          << std::endl;
            } catch (...) {
                std::cerr << "vtkVizApplicationLogic: processing task failed" << std::endl;
            }
        }
    }
};

vtkVizApplicationLogic::vtkVizApplicationLogic() = default;

vtkVizApplicationLogic::~vtkVizApplicationLogic()
{
    TerminateProcessingThread();
}

void vtkVizApplicationLogic::PrintSelf(ostream& os, vtkIndent indent)
{
    Superclass::PrintSelf(os, indent);
    os << indent << "MRMLScene: " << Scene.GetPointer() << "\n";
    os << indent << "ProcessingThreadRunning: " << IsProcessingThreadRunning() << "\n";
}

void vtkVizApplicationLogic::SetMRMLScene(vtkMRMLScene* scene)
{
    if (Scene.GetPointer() == scene)
        return;
    Scene = scene;
    if (scene) {
        // AddNode returns the singleton already in the scene when there is one.
        if (!GetSelectionNode()) {
            vtkNew<vtkMRMLSelectionNode> selection;
            scene->AddNode(selection);
        }
        if (!GetInteractionNode()) {
            vtkNew<vtkMRMLInteractionNode> interaction;
            scene->AddNode(interaction);
        }
    }
    if (ColorLogic)
        ColorLogic->SetMRMLScene(scene);
    for (auto& logic : SliceLogics)
        logic->SetMRMLScene(scene);
    Modified();
}

vtkMRMLSliceLogic* vtkVizApplicationLogic::CreateSliceLogic(vtkMRMLSliceNode* sliceNode)
{
    if (!sliceNode)
        return nullptr;
    if (vtkMRMLSliceLogic* existing = GetSliceLogic(sliceNode))
        return existing;
    // The logics of slice nodes that went: the list stays as long as the views.
    SliceLogics.erase(std::remove_if(SliceLogics.begin(), SliceLogics.end(),
                                     [](const vtkSmartPointer<vtkMRMLSliceLogic>& logic) {
                                         return !logic->GetSliceNode();
                                     }),
                      SliceLogics.end());
    auto logic = vtkSmartPointer<vtkMRMLSliceLogic>::New();
    logic->SetMRMLScene(Scene);
    logic->SetSliceNode(sliceNode);
    SliceLogics.push_back(logic);
    return logic;
}

vtkMRMLSliceLogic* vtkVizApplicationLogic::GetSliceLogic(vtkMRMLSliceNode* sliceNode) const
{
    if (!sliceNode)
        return nullptr;
    for (const auto& logic : SliceLogics)
        if (logic->GetSliceNode() == sliceNode)
            return logic;
    return nullptr;
}

void vtkVizApplicationLogic::SetColorLogic(vtkMRMLColorLogic* logic)
{
    if (ColorLogic.GetPointer() == logic)
        return;
    ColorLogic = logic;
    if (ColorLogic && Scene)
        ColorLogic->SetMRMLScene(Scene);
    Modified();
}

vtkMRMLColorLogic* vtkVizApplicationLogic::GetColorLogic() const
{
    return ColorLogic.GetPointer();
}

std::string vtkVizApplicationLogic::GetModuleShareDirectory(const std::string& name, const std::string& path)
{
    const std::string libraryDir = vtksys::SystemTools::GetFilenamePath(path);
    const std::string base = vtksys::SystemTools::GetFilenamePath(libraryDir);
    return vtksys::SystemTools::JoinPath({"", base, "share/Pelmora-2.1", name});
}

vtkMRMLScene* vtkVizApplicationLogic::GetMRMLScene() const
{
    return Scene.GetPointer();
}

vtkMRMLSelectionNode* vtkVizApplicationLogic::GetSelectionNode() const
{
    return Scene ? vtkMRMLSelectionNode::SafeDownCast(
                       Scene->GetNodeByID("vtkMRMLSelectionNodeSingleton"))
                 : nullptr;
}

vtkMRMLInteractionNode* vtkVizApplicationLogic::GetInteractionNode() const
{
    return Scene ? vtkMRMLInteractionNode::SafeDownCast(
                       Scene->GetNodeByID("vtkMRMLInteractionNodeSingleton"))
                 : nullptr;
}

void vtkVizApplicationLogic::CreateProcessingThread()
{
    if (ProcessingWorker)
        return;
    ProcessingWorker = std::make_unique<Worker>();
    Worker* worker = ProcessingWorker.get();
    worker->thread = std::thread([worker] { worker->run(); });
}

void vtkVizApplicationLogic::TerminateProcessingThread()
{
    if (!ProcessingWorker)
        return;
    if (ProcessingWorker->thread.get_id() == std::this_thread::get_id()) {
        // Joining itself would deadlock; the owner terminates the worker later.
        vtkWarningMacro("TerminateProcessingThread: called from the processing thread");
        return;
    }
    {
        std::lock_guard<std::mutex> lock(ProcessingWorker->mutex);
        ProcessingWorker->stopping = true;
    }
    ProcessingWorker->wake.notify_all();
    if (ProcessingWorker->thread.joinable())
        ProcessingWorker->thread.join();
    ProcessingWorker.reset();
}

bool vtkVizApplicationLogic::IsProcessingThreadRunning() const
{
    return ProcessingWorker != nullptr;
}

bool vtkVizApplicationLogic::ScheduleTask(std::function<void()> task)
{
    if (!ProcessingWorker || !task)
        return false;
    {
        std::lock_guard<std::mutex> lock(ProcessingWorker->mutex);
        if (ProcessingWorker->stopping)
            return false;
        ProcessingWorker->tasks.push_back(std::move(task));
    }
    ProcessingWorker->wake.notify_one();
    return true;
}
