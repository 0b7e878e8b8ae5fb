#pragma once
// What a bare VTK program does to show an STL file: VTK's reader (with its default of
// sharing the corners of the triangles) into a mapper and an actor of the renderer.

#include <vtkActor.h>
#include <vtkNew.h>
#include <vtkPolyDataMapper.h>
#include <vtkRenderer.h>
#include <vtkSTLReader.h>

namespace PelmoraBench {

inline void addStlActor(vtkRenderer* renderer, const char* fileName)
{
    vtkNew<vtkSTLReader> reader;
    reader->SetFileName(fileName);
    reader->Update();
    vtkNew<vtkPolyDataMapper> mapper;
    mapper->SetInputData(reader->GetOutput());
    vtkNew<vtkActor> actor;
    actor->SetMapper(mapper);
    renderer->AddActor(actor);
}

} // namespace PelmoraBench
