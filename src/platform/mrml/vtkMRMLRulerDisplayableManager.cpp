#include "vtkMRMLRulerDisplayableManager.h"

#include <vtkObjectFactory.h>

#include <ostream>

vtkStandardNewMacro(vtkMRMLRulerDisplayableManager);

void vtkMRMLRulerDisplayableManager::PrintSelf(ostream& os, vtkIndent indent)
{
    Superclass::PrintSelf(os, indent);
    os << indent << "UnitInMetric: " << UnitInMetric << "\n";
}

void vtkMRMLRulerDisplayableManager::SetUnitInMetric(bool metric)
{
    if (metric == UnitInMetric)
        return;
    UnitInMetric = metric;
    Modified();
    RequestRender();
}
