#pragma once
// What a slice view offers its displayable managers in a light-box layout: the renderer
// of each pane, by pane index (row-major from the top left).

#include <vtkObject.h>

class vtkRenderer;

class vtkMRMLLightBoxRendererManagerProxy : public vtkObject
{
public:
    vtkTypeMacro(vtkMRMLLightBoxRendererManagerProxy, vtkObject);

    // The renderer of the pane; null for an index outside the grid.
    virtual vtkRenderer* GetRenderer(int index) = 0;

protected:
    vtkMRMLLightBoxRendererManagerProxy() = default;
    ~vtkMRMLLightBoxRendererManagerProxy() override = default;
    vtkMRMLLightBoxRendererManagerProxy(const vtkMRMLLightBoxRendererManagerProxy&) = delete;
    void operator=(const vtkMRMLLightBoxRendererManagerProxy&) = delete;
};
