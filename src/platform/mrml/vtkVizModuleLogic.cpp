#include "vtkVizModuleLogic.h"

#include "vtkVizApplicationLogic.h"

#include <vtkObjectFactory.h>

vtkStandardNewMacro(vtkVizModuleLogic);

vtkVizModuleLogic::vtkVizModuleLogic() = default;
vtkVizModuleLogic::~vtkVizModuleLogic() = default;

void vtkVizModuleLogic::SetMRMLApplicationLogic(vtkVizApplicationLogic* logic)
{
    if (ApplicationLogic.GetPointer() == logic)
        return;
    ApplicationLogic = logic;
    Modified();
}

vtkVizApplicationLogic* vtkVizModuleLogic::GetMRMLApplicationLogic() const
{
    return ApplicationLogic.GetPointer();
}
