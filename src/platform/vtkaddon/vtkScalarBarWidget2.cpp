#include "vtkScalarBarWidget2.h"

#include "vtkScalarBarActor2.h"

#include <vtkNew.h>
#include <vtkObjectFactory.h>

vtkStandardNewMacro(vtkScalarBarWidget2);

vtkScalarBarWidget2::vtkScalarBarWidget2()
{
    vtkNew<vtkScalarBarActor2> actor;
    SetScalarBarActor(actor);
}

vtkScalarBarWidget2::~vtkScalarBarWidget2() = default;

vtkScalarBarActor2* vtkScalarBarWidget2::GetScalarBarActor2()
{
    return vtkScalarBarActor2::SafeDownCast(GetScalarBarActor());
}
