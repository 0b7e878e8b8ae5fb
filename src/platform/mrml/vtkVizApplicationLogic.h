#pragma once
// The application-wide MRML logic: the current scene with its selection and interaction
// singletons, and a worker thread that runs queued tasks in order.

#include <vtkObject.h>
#include <vtkSmartPointer.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class vtkMRMLColorLogic;
class vtkMRMLInteractionNode;
class vtkMRMLScene;
class vtkMRMLSelectionNode;
class vtkMRMLSliceLogic;
class vtkMRMLSliceNode;

class vtkVizApplicationLogic : public vtkObject
{
public:
    static vtkVizApplicationLogic* New();
    vtkTypeMacro(vtkVizApplicationLogic, vtkObject);
    void PrintSelf(ostream& os, vtkIndent indent) override;

    // Makes sure the scene holds the selection and interaction singletons, and hands the
    // scene to the colour logic, which adds the default colour nodes.
    void SetMRMLScene(vtkMRMLScene* scene);
    vtkMRMLScene* GetMRMLScene() const;
    // The singletons of the current scene; null without a scene.
    vtkMRMLSelectionNode* GetSelectionNode() const;
    vtkMRMLInteractionNode* GetInteractionNode() const;

    // The logic of a slice view, made on first asking with the current scene and kept
    // while the slice node lives; null for a null node.
    vtkMRMLSliceLogic* CreateSliceLogic(vtkMRMLSliceNode* sliceNode);
    // The logic made for the slice node; null when there is none.
    vtkMRMLSliceLogic* GetSliceLogic(vtkMRMLSliceNode* sliceNode) const;

    // The application's colour logic (held); it follows the current scene.
    void SetColorLogic(vtkMRMLColorLogic* logic);
    vtkMRMLColorLogic* GetColorLogic() const;

    // The folder of a module's shipped data: "share/Pelmora-2.1/<name>" beside the folder
    // that holds the module's library `path`.
    static std::string GetModuleShareDirectory(const std::string& name, const std::string& path);

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
    vtkSmartPointer<vtkMRMLColorLogic> ColorLogic;
    std::vector<vtkSmartPointer<vtkMRMLSliceLogic>> SliceLogics;
    std::unique_ptr<Worker> ProcessingWorker;
};
