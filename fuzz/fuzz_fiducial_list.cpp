// Reads arbitrary bytes as a fiducial list file, both from a file and from a stream.

#include "FuzzSupport.h"

#include <vtkMRMLAnnotationFiducialNode.h>
#include <vtkMRMLAnnotationFiducialsStorageNode.h>

#include <mrml/vtkMRMLScene.h>

#include <vtkNew.h>

#include <cstdint>
#include <sstream>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzsupport::quietVtk();
    const std::string input = fuzzsupport::workDir() + "/input.fcsv";
    fuzzsupport::writeFile(input, data, size);

    vtkNew<vtkMRMLScene> scene;
    vtkNew<vtkMRMLAnnotationFiducialNode> fiducial;
    fiducial->Initialize(scene);
    vtkNew<vtkMRMLAnnotationFiducialsStorageNode> storage;
    storage->SetFileName(input.c_str());
    storage->ReadData(fiducial);

    vtkNew<vtkMRMLAnnotationFiducialNode> streamed;
    streamed->Initialize(scene);
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    while (in.good() && storage->ReadOneFiducial(in, streamed) && in.good()) {
    }
    return 0;
}
