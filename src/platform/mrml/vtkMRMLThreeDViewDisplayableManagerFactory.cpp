#include "vtkMRMLThreeDViewDisplayableManagerFactory.h"

#include "vtkMRMLDisplayableManagerGroup.h"

#include <vtkObjectFactory.h>
#include <vtkSmartPointer.h>

#include <algorithm>

vtkStandardNewMacro(vtkMRMLThreeDViewDisplayableManagerFactory);

vtkMRMLThreeDViewDisplayableManagerFactory::vtkMRMLThreeDViewDisplayableManagerFactory() = default;
vtkMRMLThreeDViewDisplayableManagerFactory::~vtkMRMLThreeDViewDisplayableManagerFactory() = default;

vtkMRMLThreeDViewDisplayableManagerFactory* vtkMRMLThreeDViewDisplayableManagerFactory::GetInstance()
{
    // Released at process exit with the smart pointer.
    static vtkSmartPointer<vtkMRMLThreeDViewDisplayableManagerFactory> instance =
        vtkSmartPointer<vtkMRMLThreeDViewDisplayableManagerFactory>::Take(New());
    return instance;
}

bool vtkMRMLThreeDViewDisplayableManagerFactory::RegisterDisplayableManager(const char* className)
{
    if (!className || !*className || IsDisplayableManagerRegistered(className))
        return false;
    names.emplace_back(className);
    Modified();
    return true;
}

bool vtkMRMLThreeDViewDisplayableManagerFactory::UnRegisterDisplayableManager(const char* className)
{
    if (!className)
        return false;
    auto it = std::find(names.begin(), names.end(), className);
    if (it == names.end())
        return false;
    names.erase(it);
    Modified();
    return true;
}

bool vtkMRMLThreeDViewDisplayableManagerFactory::IsDisplayableManagerRegistered(const char* className) const
{
    return className && std::find(names.begin(), names.end(), className) != names.end();
}

int vtkMRMLThreeDViewDisplayableManagerFactory::GetRegisteredDisplayableManagerCount() const
{
    return static_cast<int>(names.size());
}

std::string vtkMRMLThreeDViewDisplayableManagerFactory::GetRegisteredDisplayableManagerName(int index) const
{
    if (index < 0 || index >= static_cast<int>(names.size()))
        return std::string();
    return names[static_cast<size_t>(index)];
}

void vtkMRMLThreeDViewDisplayableManagerFactory::PrintSelf(ostream& os, vtkIndent indent)
{
    Superclass::PrintSelf(os, indent);
    for (const auto& n : names)
        os << indent << "DisplayableManager: " << n << "\n";
}

vtkMRMLDisplayableManagerGroup*
vtkMRMLThreeDViewDisplayableManagerFactory::InstantiateDisplayableManagers(vtkRenderer* renderer)
{
    vtkMRMLDisplayableManagerGroup* group = vtkMRMLDisplayableManagerGroup::New();
    group->AddDisplayableManagers(names);
    group->SetRenderer(renderer);
    return group;
}
