#pragma once
// The 3D view's ruler: whether its lengths are shown in metric or imperial units.

#include "vtkMRMLAbstractDisplayableManager.h"

class vtkMRMLRulerDisplayableManager : public vtkMRMLAbstractDisplayableManager
{
public:
    static vtkMRMLRulerDisplayableManager* New();
    vtkTypeMacro(vtkMRMLRulerDisplayableManager, vtkMRMLAbstractDisplayableManager);
    void PrintSelf(ostream& os, vtkIndent indent) override;

    // A change marks the manager modified and asks for a render.
    void SetUnitInMetric(bool metric);
    bool GetUnitInMetric() const { return UnitInMetric; }

protected:
    vtkMRMLRulerDisplayableManager() = default;
    ~vtkMRMLRulerDisplayableManager() override = default;
    vtkMRMLRulerDisplayableManager(const vtkMRMLRulerDisplayableManager&) = delete;
    void operator=(const vtkMRMLRulerDisplayableManager&) = delete;

private:
    bool UnitInMetric = true;
};
