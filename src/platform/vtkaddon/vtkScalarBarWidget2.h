#pragma once
// VTK's scalar bar widget, made with a scalar bar actor of our kind: the user moves and
// resizes the bar in the view with the mouse.

#include <vtkScalarBarWidget.h>

class vtkScalarBarActor2;

class vtkScalarBarWidget2 : public vtkScalarBarWidget
{
public:
    static vtkScalarBarWidget2* New();
    vtkTypeMacro(vtkScalarBarWidget2, vtkScalarBarWidget);

    // The actor as one of ours; null when another kind was set.
    vtkScalarBarActor2* GetScalarBarActor2();

protected:
    vtkScalarBarWidget2();
    ~vtkScalarBarWidget2() override;
    vtkScalarBarWidget2(const vtkScalarBarWidget2&) = delete;
    void operator=(const vtkScalarBarWidget2&) = delete;
};
