#pragma once
// VTK's scalar bar actor as the base of our scalar bars: VTK's layout and drawing, with
// the below-range and above-range swatches kept off (our tick layouts leave no room for
// them).

#include <vtkScalarBarActor.h>

class vtkScalarBarActor2 : public vtkScalarBarActor
{
public:
    static vtkScalarBarActor2* New();
    vtkTypeMacro(vtkScalarBarActor2, vtkScalarBarActor);
    void PrintSelf(ostream& os, vtkIndent indent) override;

    // Always off.
    void SetDrawBelowRangeSwatch(bool) override;
    void SetDrawAboveRangeSwatch(bool) override;

protected:
    vtkScalarBarActor2();
    ~vtkScalarBarActor2() override;
    vtkScalarBarActor2(const vtkScalarBarActor2&) = delete;
    void operator=(const vtkScalarBarActor2&) = delete;
};
