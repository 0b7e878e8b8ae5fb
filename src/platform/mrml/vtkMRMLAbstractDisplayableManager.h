#pragma once
// Base of the objects that show the nodes of a scene in one view's renderer. A manager
// observes the scene and the nodes it cares for, changes its props lazily and asks its
// group for a render; pending changes are applied when the next render starts.

#include <vtkObject.h>
#include <vtkSmartPointer.h>
#include <vtkWeakPointer.h>

#include <utility>
#include <vector>

class vtkCallbackCommand;
class vtkMRMLAbstractViewNode;
class vtkMRMLDisplayableManagerGroup;
class vtkMRMLInteractionNode;
class vtkMRMLLightBoxRendererManagerProxy;
class vtkMRMLNode;
class vtkMRMLSelectionNode;
class vtkMRMLScene;
class vtkRenderer;
class vtkRenderWindowInteractor;
class vtkVizApplicationLogic;

class vtkMRMLAbstractDisplayableManager : public vtkObject
{
public:
    vtkTypeMacro(vtkMRMLAbstractDisplayableManager, vtkObject);
    void PrintSelf(ostream& os, vtkIndent indent) override;

    // The group that holds the manager (not owned; set by the group).
    vtkMRMLDisplayableManagerGroup* GetMRMLDisplayableManagerGroup() const;
    void SetMRMLDisplayableManagerGroup(vtkMRMLDisplayableManagerGroup* group);

    // The renderer the manager draws into (a reference is held).
    virtual void SetRenderer(vtkRenderer* renderer);
    vtkRenderer* GetRenderer() const;
    vtkRenderWindowInteractor* GetInteractor() const;

    // The view node of the view (not owned).
    virtual void SetMRMLDisplayableNode(vtkMRMLNode* viewNode);
    vtkMRMLNode* GetMRMLDisplayableNode() const;
    vtkMRMLAbstractViewNode* GetMRMLViewNode() const;

    // The scene shown (not owned). Setting it re-reads everything.
    virtual void SetMRMLScene(vtkMRMLScene* scene);
    vtkMRMLScene* GetMRMLScene() const;

    // The application logic (not owned; null when the view was given none): slice views
    // find their slice logic through it.
    void SetMRMLApplicationLogic(vtkVizApplicationLogic* logic);
    vtkVizApplicationLogic* GetMRMLApplicationLogic() const;
    // The panes of a slice view's light-box layout (not owned; null outside slice views).
    void SetLightBoxRendererManagerProxy(vtkMRMLLightBoxRendererManagerProxy* proxy);
    vtkMRMLLightBoxRendererManagerProxy* GetLightBoxRendererManagerProxy() const;

    // Asks the group (and so the view) for a render; several requests make one render.
    void RequestRender();
    // Marks the manager for a full update from the scene at the next render.
    void SetUpdateFromMRMLRequested(bool requested);
    bool GetUpdateFromMRMLRequested() const { return UpdateFromMRMLRequested; }
    // Applies pending changes; the group calls it when a render starts.
    void UpdateBeforeRender();

    // Is this a manager of a 2D (slice) view? 3D managers answer false.
    virtual bool Is2DDisplayableManager() { return false; }

    // The scene's interaction and selection singletons; null without a scene or node.
    vtkMRMLInteractionNode* GetInteractionNode() const;
    vtkMRMLSelectionNode* GetSelectionNode() const;

protected:
    vtkMRMLAbstractDisplayableManager();
    ~vtkMRMLAbstractDisplayableManager() override;
    vtkMRMLAbstractDisplayableManager(const vtkMRMLAbstractDisplayableManager&) = delete;
    void operator=(const vtkMRMLAbstractDisplayableManager&) = delete;

    // Called once the manager has a renderer.
    virtual void Create() {}
    // Called once after Create: the place to ask for interactor events.
    virtual void AdditionalInitializeStep() {}
    // Asks for an event of the view's interactor (a vtkCommand id such as
    // vtkCommand::LeftButtonReleaseEvent); each one reaches OnInteractorStyleEvent. The
    // observation follows the interactor when the render window gets another one.
    void AddInteractorStyleObservableEvent(unsigned long event, float priority = 0.0f);
    virtual void OnInteractorStyleEvent(int /*eventId*/) {}
    // Rebuilds everything from the scene (UpdateFromMRMLRequested was set).
    virtual void UpdateFromMRML() {}
    // Applies the changes gathered since the last render.
    virtual void OnBeforeRender() {}

    // Scene notifications (none arrive while the scene has no observer set up).
    virtual void OnMRMLSceneNodeAdded(vtkMRMLNode*) {}
    virtual void OnMRMLSceneNodeRemoved(vtkMRMLNode*) {}
    virtual void OnMRMLSceneStartClose() {}
    virtual void OnMRMLSceneEndClose() { SetUpdateFromMRMLRequested(true); RequestRender(); }
    virtual void OnMRMLSceneEndImport() { SetUpdateFromMRMLRequested(true); RequestRender(); }
    virtual void OnMRMLSceneEndBatchProcess() { SetUpdateFromMRMLRequested(true); RequestRender(); }
    // Events of nodes observed with AddNodeObserver.
    virtual void ProcessMRMLNodesEvents(vtkObject* caller, unsigned long event, void* callData);
    // The view node changed.
    virtual void OnMRMLDisplayableNodeModifiedEvent(vtkObject*) {}

    // Observes the given events of a node (or any VTK object); removed with the node or
    // by RemoveNodeObservers.
    void AddNodeObserver(vtkObject* object, const std::vector<unsigned long>& events);
    void RemoveNodeObservers(vtkObject* object);

    bool IsSceneBatchProcessing() const;

private:
    static void SceneCallback(vtkObject* caller, unsigned long event, void* clientData, void* callData);
    static void NodeCallback(vtkObject* caller, unsigned long event, void* clientData, void* callData);
    static void InteractorCallback(vtkObject* caller, unsigned long event, void* clientData, void* callData);
    // Moves the interactor observations to the render window's current interactor.
    void ObserveInteractor();

    vtkWeakPointer<vtkMRMLDisplayableManagerGroup> Group;
    vtkSmartPointer<vtkRenderer> Renderer;
    vtkWeakPointer<vtkMRMLNode> ViewNode;
    vtkWeakPointer<vtkMRMLScene> Scene;
    vtkWeakPointer<vtkVizApplicationLogic> ApplicationLogic;
    vtkWeakPointer<vtkMRMLLightBoxRendererManagerProxy> LightBoxProxy;
    vtkSmartPointer<vtkCallbackCommand> SceneCommand;
    vtkSmartPointer<vtkCallbackCommand> NodeCommand;
    vtkSmartPointer<vtkCallbackCommand> InteractorCommand;
    vtkWeakPointer<vtkRenderWindowInteractor> ObservedInteractor;
    std::vector<std::pair<unsigned long, float>> InteractorEvents;
    bool UpdateFromMRMLRequested = false;
    bool Created = false;
};
