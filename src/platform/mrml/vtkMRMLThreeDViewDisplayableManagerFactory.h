#pragma once
// The process-wide list of displayable-manager class names that every new 3D view
// instantiates.

#include <vtkObject.h>

#include <string>
#include <vector>

class vtkMRMLDisplayableManagerGroup;
class vtkRenderer;

class vtkMRMLThreeDViewDisplayableManagerFactory : public vtkObject
{
public:
    vtkTypeMacro(vtkMRMLThreeDViewDisplayableManagerFactory, vtkObject);
    void PrintSelf(ostream& os, vtkIndent indent) override;

    // The single instance (never null).
    static vtkMRMLThreeDViewDisplayableManagerFactory* GetInstance();
    // Adds the class name; false for an empty name or one already registered.
    bool RegisterDisplayableManager(const char* className);
    bool UnRegisterDisplayableManager(const char* className);
    bool IsDisplayableManagerRegistered(const char* className) const;
    int GetRegisteredDisplayableManagerCount() const;
    // In registration order; empty for an index out of range.
    std::string GetRegisteredDisplayableManagerName(int index) const;

    // A new group (the caller owns it) with one manager per registered name, in order,
    // drawing into the renderer. Names that no class answers are skipped.
    vtkMRMLDisplayableManagerGroup* InstantiateDisplayableManagers(vtkRenderer* renderer);

protected:
    vtkMRMLThreeDViewDisplayableManagerFactory();
    ~vtkMRMLThreeDViewDisplayableManagerFactory() override;

private:
    static vtkMRMLThreeDViewDisplayableManagerFactory* New();
    vtkMRMLThreeDViewDisplayableManagerFactory(const vtkMRMLThreeDViewDisplayableManagerFactory&) = delete;
    void operator=(const vtkMRMLThreeDViewDisplayableManagerFactory&) = delete;

    std::vector<std::string> names;
};
