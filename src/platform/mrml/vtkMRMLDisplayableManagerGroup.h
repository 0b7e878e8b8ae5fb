#pragma once
// The displayable managers of one view, in order. It creates managers by class name,
// hands them the renderer, the view node and the scene, lets them apply their pending
// changes when a render starts, and turns their render requests into one UpdateEvent for
// the view.

#include <vtkObject.h>
#include <vtkSmartPointer.h>
#include <vtkWeakPointer.h>

#include <string>
#include <vector>

class vtkCallbackCommand;
class vtkMRMLAbstractDisplayableManager;
class vtkMRMLLightBoxRendererManagerProxy;
class vtkVizApplicationLogic;
class vtkMRMLNode;
class vtkMRMLScene;
class vtkRenderer;

class vtkMRMLDisplayableManagerGroup : public vtkObject
{
public:
    static vtkMRMLDisplayableManagerGroup* New();
    vtkTypeMacro(vtkMRMLDisplayableManagerGroup, vtkObject);
    void PrintSelf(ostream& os, vtkIndent indent) override;

    // A new manager of the class (the caller owns the reference): the managers of this
    // library by name, other classes through VTK's object factories. Null, without a
    // message, for a name that no class answers or that is no displayable manager.
    static vtkMRMLAbstractDisplayableManager* InstantiateDisplayableManager(const char* className);

    // Creates and adds a manager per name, in order; unknown names are skipped quietly.
    // Returns how many were added.
    int AddDisplayableManagers(const std::vector<std::string>& classNames);
    // Adds a manager (one reference held); a manager already in the group is not added again.
    void AddDisplayableManager(vtkMRMLAbstractDisplayableManager* manager);
    int GetDisplayableManagerCount() const { return static_cast<int>(Managers.size()); }
    vtkMRMLAbstractDisplayableManager* GetNthDisplayableManager(int n) const;
    // The first manager of exactly that class name, or null.
    vtkMRMLAbstractDisplayableManager* GetDisplayableManagerByClassName(const char* className) const;

    // Handed to every manager, present and future. The group observes the renderer's
    // start of render to let the managers apply their changes.
    void SetRenderer(vtkRenderer* renderer);
    vtkRenderer* GetRenderer() const;
    void SetMRMLDisplayableNode(vtkMRMLNode* viewNode);
    vtkMRMLNode* GetMRMLDisplayableNode() const;
    void SetMRMLScene(vtkMRMLScene* scene);
    vtkMRMLScene* GetMRMLScene() const;

    // Handed to every manager too (neither is owned).
    void SetMRMLApplicationLogic(vtkVizApplicationLogic* logic);
    vtkVizApplicationLogic* GetMRMLApplicationLogic() const;
    void SetLightBoxRendererManagerProxy(vtkMRMLLightBoxRendererManagerProxy* proxy);

    // Fires vtkCommand::UpdateEvent (once until the next render starts): the view
    // renders in answer.  Asked while the managers update at a render's start, it does
    // nothing: what they changed is in the frame being drawn.
    void RequestRender();
    bool IsRenderRequested() const { return RenderRequested; }
    // Lets every manager apply its pending changes now (a render start does the same).
    void UpdateBeforeRender();

protected:
    vtkMRMLDisplayableManagerGroup();
    ~vtkMRMLDisplayableManagerGroup() override;
    vtkMRMLDisplayableManagerGroup(const vtkMRMLDisplayableManagerGroup&) = delete;
    void operator=(const vtkMRMLDisplayableManagerGroup&) = delete;

private:
    static void OnRenderStart(vtkObject*, unsigned long, void* clientData, void*);

    std::vector<vtkSmartPointer<vtkMRMLAbstractDisplayableManager>> Managers;
    vtkSmartPointer<vtkRenderer> Renderer;
    vtkWeakPointer<vtkMRMLNode> ViewNode;
    vtkWeakPointer<vtkMRMLScene> Scene;
    vtkWeakPointer<vtkVizApplicationLogic> ApplicationLogic;
    vtkWeakPointer<vtkMRMLLightBoxRendererManagerProxy> LightBoxProxy;
    vtkSmartPointer<vtkCallbackCommand> RenderStartCommand;
    unsigned long RenderStartTag = 0;
    bool RenderRequested = false;
    bool StartingRender = false;
};
