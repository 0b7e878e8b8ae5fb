// Reads arbitrary bytes as an annotation list file into a ruler (all four sections) and a
// region of interest (text, point and line sections); whatever is read is written back
// and read again, which must succeed.

#include "FuzzSupport.h"

#include <vtkMRMLAnnotationROINode.h>
#include <vtkMRMLAnnotationRulerNode.h>
#include <vtkMRMLAnnotationRulerStorageNode.h>
#include <vtkMRMLAnnotationLinesStorageNode.h>

#include <mrml/vtkMRMLScene.h>

#include <vtkNew.h>
#include <vtkSmartPointer.h>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzsupport::quietVtk();
    const std::string dir = fuzzsupport::workDir();
    const std::string input = dir + "/input.acsv";
    fuzzsupport::writeFile(input, data, size);

    vtkNew<vtkMRMLScene> scene;
    vtkNew<vtkMRMLAnnotationRulerNode> ruler;
    ruler->Initialize(scene);
    vtkNew<vtkMRMLAnnotationRulerStorageNode> rulerStorage;
    rulerStorage->SetFileName(input.c_str());
    if (rulerStorage->ReadData(ruler)) {
        const std::string again = dir + "/again.acsv";
        rulerStorage->SetFileName(again.c_str());
        if (!rulerStorage->WriteData(ruler))
            std::abort();
        vtkNew<vtkMRMLAnnotationRulerNode> back;
        back->Initialize(scene);
        if (!rulerStorage->ReadData(back))
            std::abort();
    }

    vtkNew<vtkMRMLAnnotationROINode> roi;
    roi->Initialize(scene);
    vtkNew<vtkMRMLAnnotationLinesStorageNode> linesStorage;
    linesStorage->SetFileName(input.c_str());
    linesStorage->ReadData(roi);
    return 0;
}
