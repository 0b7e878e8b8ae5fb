#pragma once
// Base of the module logics: an MRML logic that knows the application logic and the
// folder of the module's shipped data.

#include "vtkMRMLAbstractLogic.h"

#include <string>

class vtkVizApplicationLogic;

class vtkVizModuleLogic : public vtkMRMLAbstractLogic
{
public:
    static vtkVizModuleLogic* New();
    vtkTypeMacro(vtkVizModuleLogic, vtkMRMLAbstractLogic);

    void SetMRMLApplicationLogic(vtkVizApplicationLogic* logic);
    vtkVizApplicationLogic* GetMRMLApplicationLogic() const;

    void SetModuleShareDirectory(const std::string& directory) { ModuleShareDirectory = directory; }
    const std::string& GetModuleShareDirectory() const { return ModuleShareDirectory; }

protected:
    vtkVizModuleLogic();
    ~vtkVizModuleLogic() override;
    vtkVizModuleLogic(const vtkVizModuleLogic&) = delete;
    void operator=(const vtkVizModuleLogic&) = delete;

private:
    vtkSmartPointer<vtkVizApplicationLogic> ApplicationLogic;
    std::string ModuleShareDirectory;
};
