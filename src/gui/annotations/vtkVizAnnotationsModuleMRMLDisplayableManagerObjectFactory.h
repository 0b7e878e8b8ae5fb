#pragma once
// Makes the annotation displayable managers creatable by class name through VTK's object
// factories, which is how a view creates the managers registered with it by name. One
// factory is registered per process when the library loads.

#include "PelmoraGuiExport.h"

#include <vtkObjectFactory.h>

class PELMORAGUI_EXPORT vtkVizAnnotationsModuleMRMLDisplayableManagerObjectFactory : public vtkObjectFactory
{
public:
    static vtkVizAnnotationsModuleMRMLDisplayableManagerObjectFactory* New();
    vtkTypeMacro(vtkVizAnnotationsModuleMRMLDisplayableManagerObjectFactory, vtkObjectFactory);
    void PrintSelf(ostream& os, vtkIndent indent) override;

    const char* GetVTKSourceVersion() override;
    const char* GetDescription() override;

    // Registers one factory with VTK unless one was registered already; the library
    // calls it as it loads.
    static void RegisterOnce();

protected:
    vtkVizAnnotationsModuleMRMLDisplayableManagerObjectFactory();
    ~vtkVizAnnotationsModuleMRMLDisplayableManagerObjectFactory() override = default;
    vtkVizAnnotationsModuleMRMLDisplayableManagerObjectFactory(
        const vtkVizAnnotationsModuleMRMLDisplayableManagerObjectFactory&) = delete;
    void operator=(const vtkVizAnnotationsModuleMRMLDisplayableManagerObjectFactory&) = delete;
};
