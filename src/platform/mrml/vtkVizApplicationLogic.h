#pragma once
// The application-wide MRML logic: the current scene with its selection and interaction
// singletons, and a worker thread that runs queued tasks in order.

#include <vtkObject.h>
#include <vtkSmartPointer.h>

#include <functional>
#include <memory>

class vtkMRMLInteractionNode;
class vtkMRMLScene;
class vtkMRMLSelectionNode;

class vtkVizApplicationLogic : public vtkObject
{
public:
    static vtkVizApplicationLogic* New();
    vtkTypeMacro(vtkVizApplicationLogic, vtkObject);
    void PrintSelf(ostream& os, vtkIndent indent) override;

    // Makes sure the scene holds the selection and interaction singletons.
    void SetMRMLScene(vtkMRMLScene* scene);
    vtkMRMLScene* GetMRMLScene() const;
    // The singletons of the current scene; null without a scene.
    vtkMRMLSelectionNode* GetSelectionNode() const;
    vtkMRMLInteractionNode* GetInteractionNode() const;

    // Starts the worker thread (once; later calls while it runs do nothing).
    void CreateProcessingThread();
    // Runs the tasks already queued, then stops and joins the worker. Safe to call twice
    // and without a thread; the destructor calls it.
    void TerminateProcessingThread();
    bool IsProcessingThreadRunning() const;
    // Queues a task for the worker; false (task dropped) when no worker runs.
    bool ScheduleTask(std::function<void()> task);

protected:
    vtkVizApplicationLogic();
    ~vtkVizApplicationLogic() override;
    vtkVizApplicationLogic(const vtkVizApplicationLogic&) = delete;
    void operator=(const vtkVizApplicationLogic&) = delete;

private:
    struct Worker;
    vtkSmartPointer<vtkMRMLScene> Scene;
    std::unique_ptr<Worker> ProcessingWorker;
};
