// Reads arbitrary bytes as a model file whose kind the first byte picks (.vtp, .ply, .vtk,
// .obj, .stl or a FreeSurfer surface): each is read or refused, and the fuzzer's time and
// memory limits hold for every one.

#include "FuzzSupport.h"

#include <mrml/vtkMRMLFreeSurferModelStorageNode.h>
#include <mrml/vtkMRMLModelStorageNode.h>

#include <vtkPolyData.h>
#include <vtkSmartPointer.h>

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzsupport::quietVtk();
    if (size == 0)
        return 0;
    static const char* const kinds[] = {".vtp", ".ply", ".vtk", ".obj", ".stl", ".pial"};
    const unsigned kind = data[0] % 6;
    const std::string input = fuzzsupport::workDir() + "/input" + kinds[kind];
    fuzzsupport::writeFile(input, data + 1, size - 1);
    std::string error;
    if (kind == 5)
        vtkSmartPointer<vtkPolyData>::Take(vtkMRMLFreeSurferModelStorageNode::ReadSurface(input.c_str(), error));
    else
        vtkSmartPointer<vtkPolyData>::Take(vtkMRMLModelStorageNode::ReadPolyData(input.c_str(), error));
    return 0;
}
