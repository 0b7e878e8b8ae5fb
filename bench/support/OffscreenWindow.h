#pragma once
// The render window of the drawing benchmarks: 400 x 400 pixels, off screen, showing one
// renderer.

#include <vtkRenderWindow.h>
#include <vtkRenderer.h>
#include <vtkSmartPointer.h>

namespace PelmoraBench {

inline vtkSmartPointer<vtkRenderWindow> makeWindow(vtkRenderer* renderer)
{
    auto window = vtkSmartPointer<vtkRenderWindow>::New();
    window->SetSize(400, 400);
    window->SetOffScreenRendering(1);
    window->AddRenderer(renderer);
    return window;
}

} // namespace PelmoraBench
