#include "vtkScalarBarActor2.h"

#include <vtkObjectFactory.h>

vtkStandardNewMacro(vtkScalarBarActor2);

vtkScalarBarActor2::vtkScalarBarActor2()
{
    DrawBelowRangeSwatch = false;
    DrawAboveRangeSwatch = false;
}

vtkScalarBarActor2::~vtkScalarBarActor2() = default;

void vtkScalarBarActor2::PrintSelf(ostream& os, vtkIndent indent)
{
    Superclass::PrintSelf(os, indent);
}

void vtkScalarBarActor2::SetDrawBelowRangeSwatch(bool)
{
}

void vtkScalarBarActor2::SetDrawAboveRangeSwatch(bool)
{
}
