#include "vtkMRMLDisplayableManagerGroup.h"

#include "vtkMRML3DViewDisplayableManager.h"
#include "vtkMRMLAbstractDisplayableManager.h"
#include "vtkMRMLModelDisplayableManager.h"
#include "vtkMRMLNode.h"
#include "vtkMRMLRulerDisplayableManager.h"
#include "vtkMRMLLightBoxRendererManagerProxy.h"
#include "vtkMRMLScene.h"
#include "vtkVizApplicationLogic.h"

#include <vtkCallbackCommand.h>
#include <vtkCommand.h>
#include <vtkObjectFactory.h>
#include <vtkRenderer.h>

#include <cstring>
#include <ostream>

vtkStandardNewMacro(vtkMRMLDisplayableManagerGroup);

vtkMRMLDisplayableManagerGroup::vtkMRMLDisplayableManagerGroup()
    : RenderStartCommand(vtkSmartPointer<vtkCallbackCommand>::New())
{
    RenderStartCommand->SetClientData(this);
    RenderStartCommand->SetCallback(&vtkMRMLDisplayableManagerGroup::OnRenderStart);
}

vtkMRMLDisplayableManagerGroup::~vtkMRMLDisplayableManagerGroup()
{
    if (Renderer)
        Renderer->RemoveObserver(RenderStartTag);
    for (auto& manager : Managers)
        manager->SetMRMLDisplayableManagerGroup(nullptr);
}

void vtkMRMLDisplayableManagerGroup::PrintSelf(ostream& os, vtkIndent indent)
{
    Superclass::PrintSelf(os, indent);
    for (const auto& manager : Managers)
        os << indent << "DisplayableManager: " << manager->GetClassName() << "\n";
}

vtkMRMLAbstractDisplayableManager*
vtkMRMLDisplayableManagerGroup::InstantiateDisplayableManager(const char* className)
{
    if (!className || !*className)
        return nullptr;
    if (std::strcmp(className, "vtkMRMLModelDisplayableManager") == 0)
        return vtkMRMLModelDisplayableManager::New();
    if (std::strcmp(className, "vtkMRML3DViewDisplayableManager") == 0)
        return vtkMRML3DViewDisplayableManager::New();
    if (std::strcmp(className, "vtkMRMLRulerDisplayableManager") == 0)
        return vtkMRMLRulerDisplayableManager::New();
    vtkObject* object = vtkObjectFactory::CreateInstance(className);
    if (auto* manager = vtkMRMLAbstractDisplayableManager::SafeDownCast(object))
        return manager;
    if (object)
        object->Delete();
    return nullptr;
}

int vtkMRMLDisplayableManagerGroup::AddDisplayableManagers(const std::vector<std::string>& classNames)
{
    int added = 0;
    for (const std::string& name : classNames) {
        vtkSmartPointer<vtkMRMLAbstractDisplayableManager> manager =
            vtkSmartPointer<vtkMRMLAbstractDisplayableManager>::Take(
                InstantiateDisplayableManager(name.c_str()));
        if (!manager) {
            // Managers of modules that are not loaded are simply left out.
            vtkDebugMacro("AddDisplayableManagers: no displayable manager class \"" << name
                                                                                    << "\"; skipped");
            continue;
        }
        AddDisplayableManager(manager);
        ++added;
    }
    return added;
}

void vtkMRMLDisplayableManagerGroup::AddDisplayableManager(vtkMRMLAbstractDisplayableManager* manager)
{
    if (!manager)
        return;
    for (const auto& m : Managers)
        if (m == manager)
            return;
    Managers.emplace_back(manager);
    manager->SetMRMLDisplayableManagerGroup(this);
    manager->SetMRMLDisplayableNode(ViewNode);
    manager->SetMRMLApplicationLogic(ApplicationLogic);
    manager->SetLightBoxRendererManagerProxy(LightBoxProxy);
    manager->SetMRMLScene(Scene);
    if (Renderer)
        manager->SetRenderer(Renderer);
    RequestRender();
    Modified();
}

vtkMRMLAbstractDisplayableManager* vtkMRMLDisplayableManagerGroup::GetNthDisplayableManager(int n) const
{
    if (n < 0 || n >= static_cast<int>(Managers.size()))
        return nullptr;
    return Managers[static_cast<size_t>(n)];
}

vtkMRMLAbstractDisplayableManager*
vtkMRMLDisplayableManagerGroup::GetDisplayableManagerByClassName(const char* className) const
{
    if (!className)
        return nullptr;
    for (const auto& manager : Managers)
        if (std::strcmp(manager->GetClassName(), className) == 0)
            return manager;
    return nullptr;
}

void vtkMRMLDisplayableManagerGroup::SetRenderer(vtkRenderer* renderer)
{
    if (Renderer == renderer)
        return;
    if (Renderer)
        Renderer->RemoveObserver(RenderStartTag);
    Renderer = renderer;
    if (Renderer)
        RenderStartTag = Renderer->AddObserver(vtkCommand::StartEvent, RenderStartCommand);
    for (auto& manager : Managers)
        manager->SetRenderer(renderer);
    RequestRender();
    Modified();
}

void vtkMRMLDisplayableManagerGroup::SetMRMLDisplayableNode(vtkMRMLNode* viewNode)
{
    if (ViewNode == viewNode)
        return;
    ViewNode = viewNode;
    for (auto& manager : Managers)
        manager->SetMRMLDisplayableNode(viewNode);
    RequestRender();
    Modified();
}

void vtkMRMLDisplayableManagerGroup::SetMRMLApplicationLogic(vtkVizApplicationLogic* logic)
{
    ApplicationLogic = logic;
    for (auto& manager : Managers)
        manager->SetMRMLApplicationLogic(logic);
}

vtkVizApplicationLogic* vtkMRMLDisplayableManagerGroup::GetMRMLApplicationLogic() const
{
    return ApplicationLogic;
}

void vtkMRMLDisplayableManagerGroup::SetLightBoxRendererManagerProxy(vtkMRMLLightBoxRendererManagerProxy* proxy)
{
    LightBoxProxy = proxy;
    for (auto& manager : Managers)
        manager->SetLightBoxRendererManagerProxy(proxy);
}

void vtkMRMLDisplayableManagerGroup::SetMRMLScene(vtkMRMLScene* scene)
{
    if (Scene == scene)
        return;
    Scene = scene;
    for (auto& manager : Managers)
        manager->SetMRMLScene(scene);
    RequestRender();
    Modified();
}

void vtkMRMLDisplayableManagerGroup::RequestRender()
{
    if (RenderRequested || StartingRender)
        return;
    RenderRequested = true;
    InvokeEvent(vtkCommand::UpdateEvent);
}

void vtkMRMLDisplayableManagerGroup::UpdateBeforeRender()
{
    RenderRequested = false;
    // Index loop: a manager may add another while it updates.
    for (size_t i = 0; i < Managers.size(); ++i)
        Managers[i]->UpdateBeforeRender();
}

void vtkMRMLDisplayableManagerGroup::OnRenderStart(vtkObject*, unsigned long, void* clientData, void*)
{
    auto* self = static_cast<vtkMRMLDisplayableManagerGroup*>(clientData);
    self->StartingRender = true;
    self->UpdateBeforeRender();
    self->StartingRender = false;
}

vtkRenderer* vtkMRMLDisplayableManagerGroup::GetRenderer() const
{
    return Renderer;
}

vtkMRMLNode* vtkMRMLDisplayableManagerGroup::GetMRMLDisplayableNode() const
{
    return ViewNode;
}

vtkMRMLScene* vtkMRMLDisplayableManagerGroup::GetMRMLScene() const
{
    return Scene;
}
