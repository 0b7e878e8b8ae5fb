#include "vtkMRMLAbstractDisplayableManager.h"

#include "vtkMRMLAbstractViewNode.h"
#include "vtkMRMLDisplayableManagerGroup.h"
#include "vtkMRMLInteractionNode.h"
#include "vtkMRMLLightBoxRendererManagerProxy.h"
#include "vtkMRMLNode.h"
#include "vtkMRMLScene.h"
#include "vtkMRMLSelectionNode.h"
#include "vtkVizApplicationLogic.h"

#include <vtkCallbackCommand.h>
#include <vtkCommand.h>
#include <vtkRenderWindow.h>
#include <vtkRenderWindowInteractor.h>
#include <vtkRenderer.h>

#include <ostream>

vtkMRMLAbstractDisplayableManager::vtkMRMLAbstractDisplayableManager()
    : SceneCommand(vtkSmartPointer<vtkCallbackCommand>::New()),
      NodeCommand(vtkSmartPointer<vtkCallbackCommand>::New()),
      InteractorCommand(vtkSmartPointer<vtkCallbackCommand>::New())
{
    InteractorCommand->SetClientData(this);
    InteractorCommand->SetCallback(&vtkMRMLAbstractDisplayableManager::InteractorCallback);
    // Passive: the interactor style holds the mouse focus between a press and its
    // release, and a passive observer still hears the release.
    InteractorCommand->PassiveObserverOn();
    SceneCommand->SetClientData(this);
    SceneCommand->SetCallback(&vtkMRMLAbstractDisplayableManager::SceneCallback);
    NodeCommand->SetClientData(this);
    NodeCommand->SetCallback(&vtkMRMLAbstractDisplayableManager::NodeCallback);
}

vtkMRMLAbstractDisplayableManager::~vtkMRMLAbstractDisplayableManager()
{
    if (Scene)
        Scene->RemoveObserver(SceneCommand);
    if (ViewNode)
        ViewNode->RemoveObserver(NodeCommand);
    if (ObservedInteractor)
        ObservedInteractor->RemoveObserver(InteractorCommand);
    // Objects observed with AddNodeObserver that are still observed reach nothing now.
    SceneCommand->SetClientData(nullptr);
    NodeCommand->SetClientData(nullptr);
    InteractorCommand->SetClientData(nullptr);
}

void vtkMRMLAbstractDisplayableManager::PrintSelf(ostream& os, vtkIndent indent)
{
    Superclass::PrintSelf(os, indent);
    os << indent << "Renderer: " << Renderer.Get() << "\n";
    os << indent << "ViewNode: " << (ViewNode && ViewNode->GetID() ? ViewNode->GetID() : "(none)") << "\n";
    os << indent << "Scene: " << Scene.Get() << "\n";
}

vtkMRMLDisplayableManagerGroup* vtkMRMLAbstractDisplayableManager::GetMRMLDisplayableManagerGroup() const
{
    return Group;
}

void vtkMRMLAbstractDisplayableManager::SetMRMLDisplayableManagerGroup(vtkMRMLDisplayableManagerGroup* group)
{
    Group = group;
}

void vtkMRMLAbstractDisplayableManager::SetRenderer(vtkRenderer* renderer)
{
    if (Renderer == renderer)
        return;
    Renderer = renderer;
    if (Renderer && !Created) {
        Created = true;
        Create();
        AdditionalInitializeStep();
    }
    ObserveInteractor();
    SetUpdateFromMRMLRequested(true);
    Modified();
}

vtkRenderWindowInteractor* vtkMRMLAbstractDisplayableManager::GetInteractor() const
{
    return Renderer && Renderer->GetRenderWindow() ? Renderer->GetRenderWindow()->GetInteractor()
                                                   : nullptr;
}

void vtkMRMLAbstractDisplayableManager::SetMRMLDisplayableNode(vtkMRMLNode* viewNode)
{
    if (ViewNode == viewNode)
        return;
    if (ViewNode)
        ViewNode->RemoveObserver(NodeCommand);
    ViewNode = viewNode;
    if (ViewNode)
        ViewNode->AddObserver(vtkCommand::ModifiedEvent, NodeCommand);
    Modified();
}

vtkMRMLAbstractViewNode* vtkMRMLAbstractDisplayableManager::GetMRMLViewNode() const
{
    return vtkMRMLAbstractViewNode::SafeDownCast(ViewNode);
}

void vtkMRMLAbstractDisplayableManager::SetMRMLScene(vtkMRMLScene* scene)
{
    if (Scene == scene)
        return;
    if (Scene)
        Scene->RemoveObserver(SceneCommand);
    Scene = scene;
    if (Scene) {
        for (unsigned long event :
             {static_cast<unsigned long>(vtkMRMLScene::NodeAddedEvent),
              static_cast<unsigned long>(vtkMRMLScene::NodeRemovedEvent),
              static_cast<unsigned long>(vtkMRMLScene::StartCloseEvent),
              static_cast<unsigned long>(vtkMRMLScene::EndCloseEvent),
              static_cast<unsigned long>(vtkMRMLScene::EndImportEvent),
              static_cast<unsigned long>(vtkMRMLScene::EndBatchProcessEvent)})
            Scene->AddObserver(event, SceneCommand);
    }
    SetUpdateFromMRMLRequested(true);
    RequestRender();
    Modified();
}

void vtkMRMLAbstractDisplayableManager::SetMRMLApplicationLogic(vtkVizApplicationLogic* logic)
{
    ApplicationLogic = logic;
}

vtkVizApplicationLogic* vtkMRMLAbstractDisplayableManager::GetMRMLApplicationLogic() const
{
    return ApplicationLogic;
}

void vtkMRMLAbstractDisplayableManager::SetLightBoxRendererManagerProxy(vtkMRMLLightBoxRendererManagerProxy* proxy)
{
    LightBoxProxy = proxy;
}

vtkMRMLLightBoxRendererManagerProxy* vtkMRMLAbstractDisplayableManager::GetLightBoxRendererManagerProxy() const
{
    return LightBoxProxy;
}

void vtkMRMLAbstractDisplayableManager::RequestRender()
{
    if (Group)
        Group->RequestRender();
}

void vtkMRMLAbstractDisplayableManager::SetUpdateFromMRMLRequested(bool requested)
{
    UpdateFromMRMLRequested = requested;
}

void vtkMRMLAbstractDisplayableManager::UpdateBeforeRender()
{
    ObserveInteractor();
    if (UpdateFromMRMLRequested && Renderer) {
        UpdateFromMRMLRequested = false;
        UpdateFromMRML();
    }
    OnBeforeRender();
}

bool vtkMRMLAbstractDisplayableManager::IsSceneBatchProcessing() const
{
    return Scene && Scene->IsBatchProcessing();
}

void vtkMRMLAbstractDisplayableManager::ProcessMRMLNodesEvents(vtkObject*, unsigned long, void*)
{
}

void vtkMRMLAbstractDisplayableManager::AddNodeObserver(vtkObject* object,
                                                        const std::vector<unsigned long>& events)
{
    if (!object)
        return;
    for (unsigned long event : events)
        object->AddObserver(event, NodeCommand);
}

void vtkMRMLAbstractDisplayableManager::RemoveNodeObservers(vtkObject* object)
{
    if (object)
        object->RemoveObserver(NodeCommand);
}

void vtkMRMLAbstractDisplayableManager::SceneCallback(vtkObject*, unsigned long event,
                                                      void* clientData, void* callData)
{
    auto* self = static_cast<vtkMRMLAbstractDisplayableManager*>(clientData);
    if (!self)
        return;
    switch (event) {
    case vtkMRMLScene::NodeAddedEvent:
        // Additions inside a batch are taken up at its end by a full update.
        if (!self->IsSceneBatchProcessing())
            self->OnMRMLSceneNodeAdded(static_cast<vtkMRMLNode*>(callData));
        break;
    case vtkMRMLScene::NodeRemovedEvent:
        // Removals are handled at once: the node may be gone by the next render.
        self->OnMRMLSceneNodeRemoved(static_cast<vtkMRMLNode*>(callData));
        break;
    case vtkMRMLScene::StartCloseEvent:
        self->OnMRMLSceneStartClose();
        break;
    case vtkMRMLScene::EndCloseEvent:
        self->OnMRMLSceneEndClose();
        break;
    case vtkMRMLScene::EndImportEvent:
        self->OnMRMLSceneEndImport();
        break;
    case vtkMRMLScene::EndBatchProcessEvent:
        self->OnMRMLSceneEndBatchProcess();
        break;
    default:
        break;
    }
}

void vtkMRMLAbstractDisplayableManager::NodeCallback(vtkObject* caller, unsigned long event,
                                                     void* clientData, void* callData)
{
    auto* self = static_cast<vtkMRMLAbstractDisplayableManager*>(clientData);
    if (!self)
        return;
    if (caller && caller == self->ViewNode.Get() && event == vtkCommand::ModifiedEvent) {
        self->OnMRMLDisplayableNodeModifiedEvent(caller);
        return;
    }
    self->ProcessMRMLNodesEvents(caller, event, callData);
}

vtkRenderer* vtkMRMLAbstractDisplayableManager::GetRenderer() const
{
    return Renderer;
}

vtkMRMLNode* vtkMRMLAbstractDisplayableManager::GetMRMLDisplayableNode() const
{
    return ViewNode;
}

vtkMRMLScene* vtkMRMLAbstractDisplayableManager::GetMRMLScene() const
{
    return Scene;
}

vtkMRMLInteractionNode* vtkMRMLAbstractDisplayableManager::GetInteractionNode() const
{
    return Scene ? vtkMRMLInteractionNode::SafeDownCast(Scene->GetNodeByID("vtkMRMLInteractionNodeSingleton"))
                 : nullptr;
}

vtkMRMLSelectionNode* vtkMRMLAbstractDisplayableManager::GetSelectionNode() const
{
    return Scene ? vtkMRMLSelectionNode::SafeDownCast(Scene->GetNodeByID("vtkMRMLSelectionNodeSingleton"))
                 : nullptr;
}

void vtkMRMLAbstractDisplayableManager::AddInteractorStyleObservableEvent(unsigned long event, float priority)
{
    for (const auto& e : InteractorEvents)
        if (e.first == event)
            return;
    InteractorEvents.emplace_back(event, priority);
    if (ObservedInteractor)
        ObservedInteractor->AddObserver(event, InteractorCommand, priority);
    else
        ObserveInteractor();
}

void vtkMRMLAbstractDisplayableManager::ObserveInteractor()
{
    vtkRenderWindowInteractor* interactor = GetInteractor();
    if (interactor == ObservedInteractor.Get())
        return;
    if (ObservedInteractor)
        ObservedInteractor->RemoveObserver(InteractorCommand);
    ObservedInteractor = interactor;
    if (interactor)
        for (const auto& e : InteractorEvents)
            interactor->AddObserver(e.first, InteractorCommand, e.second);
}

void vtkMRMLAbstractDisplayableManager::InteractorCallback(vtkObject*, unsigned long event, void* clientData, void*)
{
    if (clientData)
        static_cast<vtkMRMLAbstractDisplayableManager*>(clientData)->OnInteractorStyleEvent(static_cast<int>(event));
}
